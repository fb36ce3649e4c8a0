// The button bar and the bar gauge as a user handles them.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "rmox/ButtonControl/ButtonControl.h"
#include "rmox/Error.h"
#include "rmox/GaugeCtl/GaugeCtl.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace {

using rmox::ButtonControl;
using rmox::GaugeCtl;

/// Clicks every visible button of @p bar and answers "event=caption" for each event that came.
QString ClickAll(ButtonControl& bar) {
    using Event = void (ButtonControl::*)();
    const std::pair<Event, const char*> events[] = {
        {&ButtonControl::Apply, "Apply"}, {&ButtonControl::Cancel, "Cancel"},
        {&ButtonControl::Ok, "Ok"},       {&ButtonControl::Help, "Help"},
        {&ButtonControl::Clos, "Clos"},   {&ButtonControl::PageButton, "PageButton"}};
    QObject context;
    QString raised;
    for (const auto& [event, name] : events) {
        QObject::connect(&bar, event, &context, [&raised, name = name] { raised += name; });
    }
    QStringList result;
    for (QPushButton* button : {bar.applyButton(), bar.cancelButton(), bar.okButton(), bar.helpButton(),
                                bar.closeButton(), bar.pageButton()}) {
        raised.clear();
        if (button->isVisible()) {
            QTest::mouseClick(button, Qt::LeftButton);
        }
        if (!raised.isEmpty()) {
            result << raised + "=" + button->text();
        }
    }
    return result.join(' ');
}

TEST(ButtonControl, ButtonsWaitAfterAPressUntilRefreshOrTheEndOfAnOperationAndSpeakTheLanguage) {
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath("QT27ResourceData") && QDir(root.path()).mkpath("rmoxResourceData"));
    QFile german(root.filePath("rmoxResourceData/strings.de.txt"));
    ASSERT_TRUE(german.open(QIODevice::WriteOnly) &&
                german.write("5010=Gut\n5011=Abbrechen\n5015=verbunden\n") > 0);
    german.close();
    rmox::ResourceManager manager;
    manager.setResourceFolder(root.filePath("QT27ResourceData"));
    manager.setLanguage("de");
    ButtonControl bar;
    bar.SetButtonCaption(0, QString(), "Connect");
    bar.OnlineIndicator(true);
    bar.setResourceManager(&manager);
    bar.show();
    EXPECT_EQ(ClickAll(bar), "Apply=Apply Cancel=Abbrechen Ok=Gut Help=Help Clos=Close PageButton=Connect")
        << "the texts missing in German stay English";
    EXPECT_EQ(bar.onlineLabel()->text(), "verbunden");
    bar.DisableOk();
    bar.AcknowledgeButton();
    bar.DisableApply();
    EXPECT_EQ(ClickAll(bar), "");
    bar.RefreshButtons();
    EXPECT_EQ(ClickAll(bar), "Cancel=Abbrechen Help=Help Clos=Close PageButton=Connect")
        << "OK and Apply as the page asked meanwhile";
    bar.EnableOk();
    bar.AcknowledgeButton();
    bar.BeginOperation();
    EXPECT_EQ(ClickAll(bar), "");
    bar.EndOperation();
    EXPECT_EQ(ClickAll(bar), "Cancel=Abbrechen Ok=Gut Help=Help Clos=Close PageButton=Connect")
        << "an ended operation frees the buttons";
    bar.SetButtons(false, false, false, true);
    bar.SetButtonCaption(0, QString(), QString());
    bar.setResourceManager(nullptr);
    EXPECT_EQ(ClickAll(bar), "Help=Help Clos=Close");
    EXPECT_THROW(bar.SetButtonCaption(1, QString(), "Other"), rmox::Error);
    EXPECT_EQ(bar.OperationLog().mid(0, 3), QStringList({"SetButtonCaption(0,\"\",\"Connect\")",
                                                         "OnlineIndicator(1)", "ResourceManager()"}));
}

TEST(GaugeCtl, DraggingTheHandleRaisesChangingThenChangedAndAClickRaisesClick) {
    GaugeCtl gauge;
    gauge.resize(420, 90);
    gauge.setSliderVisible(true);
    gauge.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&gauge));
    QSignalSpy changing(&gauge, &GaugeCtl::SliderChanging);
    QSignalSpy changed(&gauge, &GaugeCtl::SliderChanged);
    QSignalSpy click(&gauge, &GaugeCtl::Click);
    const float pixel = static_cast<float>(1000.0 / gauge.barRect().width());
    const auto at = [&gauge](float permille) { return QPointF(gauge.xOfPermille(permille), 5).toPoint(); };
    gauge.setSliderValue(500.0F);
    gauge.setValue(800.0F);
    const QPoint grip = gauge.sliderHandleCenter().toPoint() + QPoint(2, 0);  // off centre: no jump
    QTest::mousePress(&gauge, Qt::LeftButton, {}, grip);
    QTest::mouseMove(&gauge, grip + QPoint(1, 0));
    QTest::mouseMove(&gauge, grip + at(750.0F) - at(500.0F));
    QTest::mouseRelease(&gauge, Qt::LeftButton, {}, grip + at(1200.0F) - at(500.0F));
    ASSERT_EQ(changing.count(), 2);
    EXPECT_NEAR(changing[0][0].toFloat(), 500.0F + pixel, pixel / 2);
    EXPECT_NEAR(changing[1][0].toFloat(), 750.0F, pixel);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toFloat(), 1000.0F) << "the slider stays on the scale";
    QTest::mouseClick(&gauge, Qt::LeftButton, {}, at(300.0F) + QPoint(0, 40));
    QTest::mouseClick(&gauge, Qt::LeftButton, {}, gauge.sliderHandleCenter().toPoint());
    ASSERT_EQ(click.count(), 2);
    EXPECT_NEAR(click[0][0].toInt(), 300, 1 + pixel);
    EXPECT_NEAR(click[1][0].toInt(), 1000, 1 + pixel);
    gauge.setEnabled(false);
    QTest::mouseClick(&gauge, Qt::LeftButton, {}, at(600.0F));
    gauge.setEnabled(true);
    QTest::mousePress(&gauge, Qt::LeftButton, {}, gauge.sliderHandleCenter().toPoint());
    gauge.setSliderVisible(false);  // ends the drag
    QTest::mouseRelease(&gauge, Qt::LeftButton, {}, at(200.0F));
    EXPECT_EQ(changing.count() + changed.count() + click.count(), 5)
        << "setting values raises nothing either";
    EXPECT_EQ(gauge.Value(), 800.0F);
    EXPECT_THROW(gauge.setZoneStart(3, 1.0F), rmox::Error);
    EXPECT_THROW(gauge.ZoneColor(-1), rmox::Error);
}

}  // namespace
