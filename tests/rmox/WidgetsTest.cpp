// The button bar and the gauge's slider as a user presses and drags them; the pages check how they use them.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

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
