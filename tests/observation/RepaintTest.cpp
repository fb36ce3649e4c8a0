// What a new value repaints on a channel display, and that the screen, after any
// sequence of values, states and changes around the display, shows what a full
// render of a never-shown display (every part drawing itself in full) shows.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <functional>
#include <map>

#include "QT27Controls/observation/ChannelObservation.h"
#include "support/FakeHost.h"

namespace {

using qt27::ChannelObservation;

/// Counts paint events of the named elements below a widget.
class PaintLog : public QObject {
public:
    explicit PaintLog(QWidget& root) {
        for (QWidget* widget : root.findChildren<QWidget*>()) {
            widget->installEventFilter(this);
        }
    }
    std::map<QString, int> painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++painted[watched->objectName()];
        }
        return false;
    }
};

QImage image(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

class ChannelRepaintTest : public testing::Test {
protected:
    void configure(ChannelObservation& display) {
        display.setResourceManager(&dtm.base.resources);
        display.setChannelTag(QStringLiteral("TI-102"));
        display.setIsInitializing(false);
        display.resize(display.sizeHint());
    }
    void SetUp() override {
        configure(channel);
        channel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&channel));
        if (QWidget* focused = channel.focusWidget()) {
            focused->clearFocus();  // the never-shown display has no focus frame
        }
    }

    testsupport::FakeDtm dtm;
    ChannelObservation channel;
};

TEST_F(ChannelRepaintTest, NewValueInAnUnchangedStateRepaintsTheValueBoxAndTheBarOnly) {
    channel.SetCurrentValue(4000);
    QCoreApplication::processEvents();
    PaintLog log(channel);
    for (const qint16 value : {4100, 4100, 9000}) {
        channel.SetCurrentValue(value);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(log.painted, (std::map<QString, int>{{"bar", 2}, {"txtValue", 2}}))
        << "the same value twice repaints nothing";
    channel.SetCurrentValue(9000, true);
    QCoreApplication::processEvents();
    EXPECT_EQ(log.painted.count("imgState"), 1U) << "a new state shows its picture";
}

TEST_F(ChannelRepaintTest, ScreenShowsWhatAFullRenderShowsAfterEveryChange) {
    using Change = std::function<void(ChannelObservation&)>;
    const auto value = [](qint16 raw, bool invalid = false) -> Change {
        return [=](ChannelObservation& c) { c.SetCurrentValue(raw, invalid); };
    };
    const std::pair<const char*, Change> changes[] = {
        {"first value", value(3000)},
        {"new value", value(11000)},
        {"invalid", value(500, true)},
        {"outdated", [](ChannelObservation& c) { c.MarkValueOutdated(); }},
        {"colour behind the box", [](ChannelObservation& c) {
             QPalette palette = c.palette();
             palette.setColor(QPalette::Window, QColor(200, 220, 180));
             c.setPalette(palette);
         }},
        {"value after the colour", value(1200)},
        {"display resized", [](ChannelObservation& c) { c.resize(c.width() + 40, c.height() + 10); }},
        {"value after the resize", value(9900)},
        {"disabled", [](ChannelObservation& c) { c.setEnabled(false); }},
        {"connection gone", [](ChannelObservation& c) { c.setHasConnection(false); }},
    };
    ChannelObservation fresh;
    configure(fresh);
    for (const auto& [what, change] : changes) {
        change(channel);
        change(fresh);
        QCoreApplication::processEvents();
        const QImage shown = image(channel.screen()->grabWindow(channel.winId()));
        ASSERT_EQ(shown, image(channel.grab())) << "after: " << what;
        ASSERT_EQ(image(fresh.grab()), shown) << "after: " << what;
    }
}

}  // namespace
