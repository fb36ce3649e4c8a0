// What a new value repaints on a channel display, and that the screen, after any
// sequence of values, states and changes around the display, shows what a full
// render of it shows.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <functional>
#include <map>

#include "QT27Controls/observation/ChannelObservation.h"
#include "support/FakeHost.h"

namespace {

using qt27::ChannelObservation;

/// Counts paint events by element name (class name for unnamed ones) while active.
class PaintLog : public QObject {
public:
    void watch(QWidget& root) {
        root.installEventFilter(this);
        for (QWidget* widget : root.findChildren<QWidget*>()) {
            widget->installEventFilter(this);
        }
    }
    std::map<QString, int> painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const QString name = watched->objectName();
            ++painted[name.isEmpty() ? QString::fromLatin1(watched->metaObject()->className()) : name];
        }
        return QObject::eventFilter(watched, event);
    }
};

QImage onScreen(QWidget& window) {
    return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}
QImage rendered(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

class ChannelRepaintTest : public testing::Test {
protected:
    void configure(ChannelObservation& channel) {
        channel.setResourceManager(&dtm.base.resources);
        channel.setChannelNumber(2);
        channel.setChannelTag(QStringLiteral("TI-102"));
        channel.setIsInitializing(false);
        channel.resize(channel.sizeHint());
    }
    void SetUp() override {
        configure(channel);
        channel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&channel));
        // No element keeps the focus frame the never-shown display lacks.
        if (QWidget* focused = channel.focusWidget()) {
            focused->clearFocus();
        }
    }
    /// Runs the repaints the last changes asked for.
    static void repaint() { QCoreApplication::processEvents(); }

    testsupport::FakeDtm dtm;
    ChannelObservation channel;
};

TEST_F(ChannelRepaintTest, NewValueInAnUnchangedStateRepaintsTheValueBoxAndTheBarOnly) {
    channel.SetCurrentValue(4000);
    repaint();
    PaintLog log;
    log.watch(channel);
    for (const qint16 value : {4100, 4100, 9000}) {
        channel.SetCurrentValue(value);
        repaint();
    }
    EXPECT_EQ(log.painted, (std::map<QString, int>{{"bar", 2}, {"txtValue", 2}}))
        << "the same value twice repaints nothing";
    log.painted.clear();
    channel.SetCurrentValue(9000, true);
    repaint();
    EXPECT_EQ(log.painted.count("imgState"), 1U) << "a new state shows its picture";
}

/// One change to the display or around it.
struct Step {
    const char* what;
    std::function<void(ChannelObservation&)> apply;
};

void value(ChannelObservation& channel, qint16 raw, bool invalid = false, bool forced = false) {
    channel.SetCurrentValue(raw, invalid, forced);
}

const Step kSteps[] = {
    {"first value", [](ChannelObservation& c) { value(c, 3000); }},
    {"new value", [](ChannelObservation& c) { value(c, 11000); }},
    {"invalid", [](ChannelObservation& c) { value(c, 500, true); }},
    {"forced", [](ChannelObservation& c) { value(c, 7000, false, true); }},
    {"outdated", [](ChannelObservation& c) { c.MarkValueOutdated(); }},
    {"current again", [](ChannelObservation& c) { value(c, 6500); }},
    {"page colour changed",
     [](ChannelObservation& c) {
         QPalette palette = c.palette();
         palette.setColor(QPalette::Window, QColor(200, 220, 180));
         c.setPalette(palette);
     }},
    {"value after the colour", [](ChannelObservation& c) { value(c, 1200); }},
    {"display resized", [](ChannelObservation& c) { c.resize(c.width() + 40, c.height() + 10); }},
    {"value after the resize", [](ChannelObservation& c) { value(c, 9900); }},
    {"disabled", [](ChannelObservation& c) { c.setEnabled(false); }},
    {"value while disabled", [](ChannelObservation& c) { value(c, 2500); }},
    {"connection gone", [](ChannelObservation& c) { c.setHasConnection(false); }},
};

TEST_F(ChannelRepaintTest, ScreenShowsWhatAFullRenderShowsAfterEveryChange) {
    ChannelObservation fresh;  // never shown: every part draws itself in full
    configure(fresh);
    for (const Step& step : kSteps) {
        step.apply(channel);
        step.apply(fresh);
        repaint();
        ASSERT_EQ(onScreen(channel), rendered(channel)) << "after: " << step.what;
        ASSERT_EQ(rendered(fresh), rendered(channel)) << "after: " << step.what;
    }
}

}  // namespace
