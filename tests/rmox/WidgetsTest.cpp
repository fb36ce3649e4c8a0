// The button bar and the gauge's slider as a user presses and drags them, the bar's
// operation log, and the gauge's repaints; the pages check how they use them.
#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>

#include "rmox/ButtonControl/ButtonControl.h"
#include "rmox/GaugeCtl/GaugeCtl.h"

namespace {

using rmox::ButtonControl;

TEST(ButtonControl, EachButtonRaisesItsOwnEventUntilAPressIsAcknowledged) {
    ButtonControl bar;
    bar.SetButtonCaption(0, QString(), "Connect");
    bar.show();
    bar.setStatusText("Data set locked by operator");
    EXPECT_TRUE(bar.findChild<QLabel*>("lblStatus")->text().startsWith("Data"));
    QStringList raised;
    // clang-format off
    for (const auto& [event, name] : {std::pair{&ButtonControl::Apply, "Apply"}, {&ButtonControl::Cancel, "Cancel"},
                                      {&ButtonControl::Ok, "Ok"}, {&ButtonControl::Help, "Help"},
                                      {&ButtonControl::Clos, "Clos"}, {&ButtonControl::PageButton, "PageButton"}}) {
        // clang-format on
        QObject::connect(&bar, event, &bar, [&raised, name = name] { raised << name; });
    }
    const auto clickAll = [&] {
        QStringList result;
        for (QPushButton* button : {bar.applyButton(), bar.cancelButton(), bar.okButton(), bar.helpButton(),
                                    bar.closeButton(), bar.pageButton()}) {
            raised.clear();
            QTest::mouseClick(button, Qt::LeftButton);
            result << raised.join('+') + "=" + button->text();
        }
        return result.join(' ');
    };
    EXPECT_EQ(clickAll(), "Apply=Apply Cancel=Cancel Ok=OK Help=Help Clos=Close PageButton=Connect");
    bar.AcknowledgeButton();
    EXPECT_EQ(clickAll(), "=Apply =Cancel =OK Help=Help Clos=Close =Connect")
        << "Close and Help are never held";
    bar.DisableOk();
    bar.EndOperation();
    EXPECT_EQ(clickAll(), "Apply=Apply Cancel=Cancel =OK Help=Help Clos=Close PageButton=Connect")
        << "an ended operation frees the buttons";
}

TEST(ButtonControl, OperationLogKeepsTheLatestOperationsOldestFirstWithoutGrowing) {
    ButtonControl bar;
    QStringList expected;
    for (int k = 0; k < 3 * ButtonControl::kOperationLogSize + 5; ++k) {
        const QString text = QString::number(k);
        bar.setStatusText(text);
        expected << bar.OperationLog().constLast();
        EXPECT_TRUE(expected.constLast().contains(text)) << expected.constLast().toStdString();
        EXPECT_EQ(bar.OperationLog(), expected.mid(std::max<qsizetype>(0, expected.size() - ButtonControl::kOperationLogSize)));
    }
    bar.clearOperationLog();
    EXPECT_TRUE(bar.OperationLog().isEmpty());
    bar.EnableOk();
    EXPECT_EQ(bar.OperationLog(), QStringList{"EnableOk()"});
}

/// What the screen shows of a window: its buffer, as the last repaints left it.
QImage onScreen(QWidget& window) {
    return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}
QImage rendered(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

struct GaugeCase {
    int width, height;
    qreal pointSize;  // a size whose line height is not whole moves the bar off whole pixels
    bool slider;
};

class GaugeRepaint : public testing::TestWithParam<GaugeCase> {};

TEST_P(GaugeRepaint, PointerMovesLeaveTheScreenAsAFullRepaintDrawsIt) {
    const GaugeCase& c = GetParam();
    rmox::GaugeCtl gauge;
    QFont font = gauge.font();
    font.setPointSizeF(c.pointSize);
    gauge.setFont(font);
    gauge.resize(c.width, c.height);
    gauge.setSliderVisible(c.slider);
    gauge.setSliderValue(400.0F);
    gauge.setZoneStart(0, 100.0F);
    gauge.setZoneEnd(0, 800.0F);
    gauge.setZoneColor(0, 65280);
    gauge.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&gauge));
    for (const float value : {0.0F, 950.0F, 120.0F, 1200.0F, 500.0F}) {
        gauge.setValue(value);
        gauge.setPointerStyle(value > 1000.0F ? rmox::GaugeCtl::PointerOutdated : rmox::GaugeCtl::PointerCurrent);
        QCoreApplication::processEvents();
        ASSERT_EQ(onScreen(gauge), rendered(gauge)) << "after value " << value;
    }
    gauge.setZoneEnd(0, 300.0F);
    gauge.setEnabled(false);
    gauge.setScaleMax(250.0);
    QCoreApplication::processEvents();
    EXPECT_EQ(onScreen(gauge), rendered(gauge)) << "after a zone, the scale and the enabled state changed";

    // A gauge set up alike and never shown draws its bar itself: the same picture.
    rmox::GaugeCtl fresh;
    fresh.setFont(font);
    fresh.resize(c.width, c.height);
    fresh.setSliderVisible(c.slider);
    fresh.setSliderValue(400.0F);
    fresh.setZoneStart(0, 100.0F);
    fresh.setZoneEnd(0, 300.0F);
    fresh.setZoneColor(0, 65280);
    fresh.setScaleMax(250.0);
    fresh.setValue(500.0F);
    fresh.setEnabled(false);
    EXPECT_EQ(rendered(fresh), rendered(gauge));
}

INSTANTIATE_TEST_SUITE_P(Sizes, GaugeRepaint,
                         testing::Values(GaugeCase{372, 82, 9.0, false}, GaugeCase{420, 90, 9.0, true},
                                         GaugeCase{300, 40, 9.3, false}, GaugeCase{300, 47, 10.7, true}));

TEST(GaugeCtl, DraggingTheSliderRaisesChangingThenChangedWithinTheScale) {
    rmox::GaugeCtl gauge;
    gauge.resize(420, 90);
    gauge.setSliderVisible(true);
    gauge.setSliderValue(500.0F);
    gauge.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&gauge));
    QSignalSpy changing(&gauge, &rmox::GaugeCtl::SliderChanging);
    QSignalSpy changed(&gauge, &rmox::GaugeCtl::SliderChanged);
    const QPoint grip = gauge.sliderHandleCenter().toPoint();
    const int quarter = qRound(gauge.xOfPermille(750.0F) - gauge.xOfPermille(500.0F));
    QTest::mousePress(&gauge, Qt::LeftButton, {}, grip);
    QTest::mouseMove(&gauge, grip + QPoint(quarter, 0));
    const float moved = gauge.SliderValue();
    EXPECT_NEAR(moved, 750.0F, 1000.0F / gauge.barRect().width());
    QTest::mouseRelease(&gauge, Qt::LeftButton, {}, grip + QPoint(3 * quarter, 0));
    ASSERT_EQ(changing.count(), 1);
    EXPECT_EQ(changing[0][0].toFloat(), moved);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toFloat(), 1000.0F) << "the slider stays on the scale";
}

}  // namespace
