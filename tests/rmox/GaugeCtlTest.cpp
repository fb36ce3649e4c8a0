#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <limits>
#include <memory>

#include "rmox/Error.h"
#include "rmox/GaugeCtl/GaugeCtl.h"

namespace {

using rmox::GaugeCtl;

class GaugeCtlTest : public testing::Test {
protected:
    void SetUp() override {
        gauge = std::make_unique<GaugeCtl>();
        gauge->resize(420, 90);
        gauge->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(gauge.get()));
    }

    QPoint pointAt(float permille) const {
        return QPoint(static_cast<int>(std::lround(gauge->xOfPermille(permille))),
                      static_cast<int>(std::lround(gauge->barRect().center().y())));
    }

    QPoint handle() const { return gauge->sliderHandleCenter().toPoint(); }

    // How far one pixel moves the slider, in permille.
    float pixelInPermille() const { return static_cast<float>(1000.0 / gauge->barRect().width()); }

    std::unique_ptr<GaugeCtl> gauge;
};

TEST_F(GaugeCtlTest, CreatedWithHiddenSliderAndEmptyZones) {
    EXPECT_FALSE(gauge->SliderVisible());
    EXPECT_FLOAT_EQ(gauge->Value(), 0.0F);
    EXPECT_FLOAT_EQ(gauge->SliderValue(), 0.0F);
    for (int index = 0; index < GaugeCtl::ZoneCount; ++index) {
        EXPECT_FLOAT_EQ(gauge->ZoneStart(index), 0.0F);
        EXPECT_FLOAT_EQ(gauge->ZoneEnd(index), 0.0F);
    }
}

TEST_F(GaugeCtlTest, ZonesKeepTheirOwnStartEndAndColour) {
    gauge->setZoneStart(0, 166.7F);
    gauge->setZoneEnd(0, 833.3F);
    gauge->setZoneColor(0, 65280);
    gauge->setZoneStart(1, 833.3F);
    gauge->setZoneEnd(1, 1000.0F);
    gauge->setZoneColor(1, 255);
    gauge->setZoneEnd(2, 166.7F);
    gauge->setZoneColor(2, 0x123456);

    EXPECT_FLOAT_EQ(gauge->ZoneStart(0), 166.7F);
    EXPECT_FLOAT_EQ(gauge->ZoneEnd(0), 833.3F);
    EXPECT_EQ(gauge->ZoneColor(0), 65280);
    EXPECT_FLOAT_EQ(gauge->ZoneStart(1), 833.3F);
    EXPECT_FLOAT_EQ(gauge->ZoneEnd(1), 1000.0F);
    EXPECT_EQ(gauge->ZoneColor(1), 255);
    EXPECT_FLOAT_EQ(gauge->ZoneStart(2), 0.0F);
    EXPECT_FLOAT_EQ(gauge->ZoneEnd(2), 166.7F);
    EXPECT_EQ(gauge->ZoneColor(2), 0x123456);
}

TEST_F(GaugeCtlTest, ZoneIndexOutsideZeroToTwoRaisesSubscriptError) {
    for (int index : {-1, 3, 100}) {
        try {
            gauge->setZoneStart(index, 1.0F);
            ADD_FAILURE() << "no error for index " << index;
        } catch (const rmox::Error& error) {
            EXPECT_EQ(error.number(), rmox::Error::SubscriptOutOfRange);
        }
        EXPECT_THROW(gauge->ZoneColor(index), rmox::Error);
    }
}

struct ColorCase {
    int rgb;
    QColor color;
};

class GaugeColorTest : public testing::TestWithParam<ColorCase> {};

TEST_P(GaugeColorTest, RedSitsInTheLowByte) {
    EXPECT_EQ(GaugeCtl::colorFromRgbValue(GetParam().rgb), GetParam().color);
}

INSTANTIATE_TEST_SUITE_P(Values, GaugeColorTest,
                         testing::Values(ColorCase{65280, QColor(0, 255, 0)},
                                         ColorCase{255, QColor(255, 0, 0)},
                                         ColorCase{0xFF0000, QColor(0, 0, 255)},
                                         ColorCase{0x0080FF, QColor(255, 128, 0)},
                                         ColorCase{0, QColor(0, 0, 0)}));

TEST_F(GaugeCtlTest, PermilleMapsOntoTheBarBothWays) {
    const QRectF bar = gauge->barRect();
    EXPECT_DOUBLE_EQ(gauge->xOfPermille(0.0F), bar.left());
    EXPECT_DOUBLE_EQ(gauge->xOfPermille(1000.0F), bar.right());
    EXPECT_DOUBLE_EQ(gauge->xOfPermille(500.0F), bar.center().x());
    for (float permille : {0.0F, 166.7F, 500.0F, 833.3F, 1000.0F}) {
        EXPECT_NEAR(gauge->permilleAtX(gauge->xOfPermille(permille)), permille, 1e-3);
    }
}

TEST_F(GaugeCtlTest, SettingValuesRaisesNoEvents) {
    gauge->setSliderVisible(true);
    QSignalSpy changing(gauge.get(), &GaugeCtl::SliderChanging);
    QSignalSpy changed(gauge.get(), &GaugeCtl::SliderChanged);
    QSignalSpy click(gauge.get(), &GaugeCtl::Click);
    gauge->setSliderValue(458.3F);
    gauge->setValue(833.3F);
    EXPECT_FLOAT_EQ(gauge->SliderValue(), 458.3F);
    EXPECT_FLOAT_EQ(gauge->Value(), 833.3F);
    EXPECT_EQ(changing.count() + changed.count() + click.count(), 0);
}

struct DragCase {
    float from;
    float to;        // where the mouse goes, may lie beyond the bar
    float expected;  // where the slider ends
};

class GaugeDragTest : public GaugeCtlTest, public testing::WithParamInterface<DragCase> {};

TEST_P(GaugeDragTest, DraggingTheHandleRaisesChangingThenOneChanged) {
    const DragCase drag = GetParam();
    gauge->setSliderVisible(true);
    gauge->setSliderValue(drag.from);
    QSignalSpy changing(gauge.get(), &GaugeCtl::SliderChanging);
    QSignalSpy changed(gauge.get(), &GaugeCtl::SliderChanged);
    QSignalSpy click(gauge.get(), &GaugeCtl::Click);

    const QPoint start = handle();
    const int targetX = static_cast<int>(std::lround(gauge->xOfPermille(drag.to)));
    QTest::mousePress(gauge.get(), Qt::LeftButton, {}, start);
    for (int step = 1; step <= 4; ++step) {
        QTest::mouseMove(gauge.get(), QPoint(start.x() + (targetX - start.x()) * step / 4, start.y()));
    }
    QTest::mouseRelease(gauge.get(), Qt::LeftButton, {}, QPoint(targetX, start.y()));

    ASSERT_GE(changing.count(), 1);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(click.count(), 0);
    const float last = changing.last().at(0).toFloat();
    const float released = changed.first().at(0).toFloat();
    EXPECT_FLOAT_EQ(released, last);
    EXPECT_FLOAT_EQ(gauge->SliderValue(), released);
    EXPECT_NEAR(released, drag.expected, pixelInPermille());
    for (const QList<QVariant>& event : changing) {
        EXPECT_GE(event.at(0).toFloat(), 0.0F);
        EXPECT_LE(event.at(0).toFloat(), 1000.0F);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, GaugeDragTest,
                         testing::Values(DragCase{0.0F, 500.0F, 500.0F}, DragCase{0.0F, 250.0F, 250.0F},
                                         DragCase{750.0F, 458.3F, 458.3F}, DragCase{500.0F, 1100.0F, 1000.0F},
                                         DragCase{500.0F, -150.0F, 0.0F}));

TEST_F(GaugeCtlTest, GrabbingTheHandleOffCentreDoesNotMakeItJump) {
    gauge->setSliderVisible(true);
    gauge->setSliderValue(500.0F);
    QSignalSpy changing(gauge.get(), &GaugeCtl::SliderChanging);
    const QPoint grip = handle() + QPoint(3, 0);
    QTest::mousePress(gauge.get(), Qt::LeftButton, {}, grip);
    QTest::mouseMove(gauge.get(), grip + QPoint(10, 0));
    QTest::mouseRelease(gauge.get(), Qt::LeftButton, {}, grip + QPoint(10, 0));
    ASSERT_EQ(changing.count(), 1);
    EXPECT_NEAR(changing.first().at(0).toFloat(), 500.0F + 10 * pixelInPermille(), pixelInPermille());
}

TEST_F(GaugeCtlTest, ClickingTheBarRaisesClickWithItsPositionAndLeavesTheSlider) {
    gauge->setSliderVisible(true);
    gauge->setSliderValue(100.0F);
    QSignalSpy changing(gauge.get(), &GaugeCtl::SliderChanging);
    QSignalSpy changed(gauge.get(), &GaugeCtl::SliderChanged);
    QSignalSpy click(gauge.get(), &GaugeCtl::Click);
    QTest::mouseClick(gauge.get(), Qt::LeftButton, {}, pointAt(700.0F));
    ASSERT_EQ(click.count(), 1);
    EXPECT_NEAR(click.first().at(0).toInt(), 700, 1 + pixelInPermille());
    EXPECT_EQ(changing.count() + changed.count(), 0);
    EXPECT_FLOAT_EQ(gauge->SliderValue(), 100.0F);
}

TEST_F(GaugeCtlTest, PressingTheHandleWithoutMovingIsAClick) {
    gauge->setSliderVisible(true);
    gauge->setSliderValue(300.0F);
    QSignalSpy changed(gauge.get(), &GaugeCtl::SliderChanged);
    QSignalSpy click(gauge.get(), &GaugeCtl::Click);
    QTest::mouseClick(gauge.get(), Qt::LeftButton, {}, handle());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(click.count(), 1);
    EXPECT_FLOAT_EQ(gauge->SliderValue(), 300.0F);
}

TEST_F(GaugeCtlTest, HiddenSliderCannotBeDragged) {
    gauge->setSliderVisible(true);
    const QPoint where = handle();
    gauge->setSliderVisible(false);
    QSignalSpy changing(gauge.get(), &GaugeCtl::SliderChanging);
    QSignalSpy changed(gauge.get(), &GaugeCtl::SliderChanged);
    QTest::mousePress(gauge.get(), Qt::LeftButton, {}, where);
    QTest::mouseMove(gauge.get(), pointAt(800.0F));
    QTest::mouseRelease(gauge.get(), Qt::LeftButton, {}, pointAt(800.0F));
    EXPECT_EQ(changing.count() + changed.count(), 0);
    EXPECT_FLOAT_EQ(gauge->SliderValue(), 0.0F);
}

TEST_F(GaugeCtlTest, DisabledGaugeRaisesNothing) {
    gauge->setSliderVisible(true);
    gauge->setEnabled(false);
    QSignalSpy changing(gauge.get(), &GaugeCtl::SliderChanging);
    QSignalSpy changed(gauge.get(), &GaugeCtl::SliderChanged);
    QSignalSpy click(gauge.get(), &GaugeCtl::Click);
    QTest::mousePress(gauge.get(), Qt::LeftButton, {}, handle());
    QTest::mouseMove(gauge.get(), pointAt(600.0F));
    QTest::mouseRelease(gauge.get(), Qt::LeftButton, {}, pointAt(600.0F));
    EXPECT_EQ(changing.count() + changed.count() + click.count(), 0);
}

TEST_F(GaugeCtlTest, HidingTheSliderWhileDraggingEndsTheDrag) {
    gauge->setSliderVisible(true);
    QSignalSpy changed(gauge.get(), &GaugeCtl::SliderChanged);
    QTest::mousePress(gauge.get(), Qt::LeftButton, {}, handle());
    QTest::mouseMove(gauge.get(), pointAt(400.0F));
    gauge->setSliderVisible(false);
    QTest::mouseMove(gauge.get(), pointAt(900.0F));
    QTest::mouseRelease(gauge.get(), Qt::LeftButton, {}, pointAt(900.0F));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_NEAR(gauge->SliderValue(), 400.0F, pixelInPermille());
}

TEST_F(GaugeCtlTest, PaintsZonesAlongTheLowerEdgeAndThePointerAbove) {
    gauge->setZoneStart(0, 0.0F);
    gauge->setZoneEnd(0, 833.3F);
    gauge->setZoneColor(0, 65280);
    gauge->setZoneStart(1, 833.3F);
    gauge->setZoneEnd(1, 1000.0F);
    gauge->setZoneColor(1, 255);
    gauge->setValue(500.0F);
    const QImage image = gauge->grab().toImage();
    const QRectF bar = gauge->barRect();
    const auto pixel = [&](float permille, qreal y) {
        return image.pixelColor(static_cast<int>(gauge->xOfPermille(permille)), static_cast<int>(y));
    };
    const qreal zoneY = bar.bottom() - 3;
    const qreal pointerY = bar.top() + 3;
    EXPECT_EQ(pixel(400.0F, zoneY), QColor(0, 255, 0));
    EXPECT_EQ(pixel(900.0F, zoneY), QColor(255, 0, 0));
    EXPECT_EQ(pixel(250.0F, pointerY), gauge->pointerColor());
    EXPECT_EQ(pixel(750.0F, pointerY), gauge->palette().color(QPalette::Base));
}

TEST_F(GaugeCtlTest, EmptyAndOutOfRangeMarksPaintWithinTheBar) {
    gauge->setZoneStart(2, 0.0F);
    gauge->setZoneEnd(2, 0.0F);
    gauge->setZoneColor(2, 255);
    gauge->setValue(40000.0F / 12.0F);  // far beyond the end: drawn at the end
    const QImage image = gauge->grab().toImage();
    const QRectF bar = gauge->barRect();
    const int zoneY = static_cast<int>(bar.bottom() - 3);
    EXPECT_NE(image.pixelColor(static_cast<int>(bar.left()) + 2, zoneY), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(static_cast<int>(gauge->xOfPermille(950.0F)), static_cast<int>(bar.top()) + 3),
              gauge->pointerColor());
}

TEST_F(GaugeCtlTest, DegenerateScalesPaintWithoutTrouble) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double min, max, step;
        int divisions;
    } scales[] = {{0, 0, 2, 5},      {10, 0, 2, 5},   {0, 12, 0, 5},   {0, 12, -2, 5},
                  {0, 1e9, 1e-6, 5}, {nan, 12, 2, 5}, {0, 12, nan, 0}, {-25, 125, 25, -3}};
    for (const auto& scale : scales) {
        gauge->setScaleMin(scale.min);
        gauge->setScaleMax(scale.max);
        gauge->setScaleStep(scale.step);
        gauge->setScaleDivisions(scale.divisions);
        gauge->setValue(std::numeric_limits<float>::quiet_NaN());
        EXPECT_FALSE(gauge->grab().isNull());
    }
    gauge->resize(6, 6);
    EXPECT_FALSE(gauge->grab().isNull());
}

TEST_F(GaugeCtlTest, SizeHintMakesRoomForTheHandle) {
    const QSize without = gauge->sizeHint();
    gauge->setSliderVisible(true);
    const QSize with = gauge->sizeHint();
    EXPECT_GT(without.width(), without.height());
    EXPECT_GT(with.height(), without.height());
}

}  // namespace
