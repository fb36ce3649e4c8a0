#pragma once

#include <QColor>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QWidget>
#include <array>

namespace rmox {

/// A horizontal bar gauge: a scale with labelled major ticks and minor ticks, three
/// coloured zones, a pointer and an optional slider the user can drag.
///
/// Positions on the gauge are given in permille of its span: 0 is the left end
/// (`ScaleMin`), 1000 the right end (`ScaleMax`). The zones, the pointer (`Value`)
/// and the slider (`SliderValue`) all use that measure, so they do not move when
/// the scale labels change. Values outside 0 to 1000 are kept as given and drawn
/// at the nearer end of the bar.
///
/// Scale settings:
/// - `ScaleMin`, `ScaleMax`: the numbers written at the two ends of the scale.
/// - `ScaleStep`: distance between two labelled major ticks, in scale numbers.
/// - `ScaleDivisions`: the second scale setting, the number of minor divisions of
///   one step (5: a minor tick at every fifth of a step). 1 or less draws none.
/// - `VerticalSplit`: the share of the height (0 to 0.9) kept above the bar for the
///   slider handle while the slider is visible; 0 sizes it from the font.
///
/// Zones (index 0 to 2): a start and an end in permille and a colour given as an
/// RGB colour value with red in the low byte (65280 green, 255 red). A zone is
/// drawn as a coloured band along the lower edge of the bar; a zone whose end is
/// not above its start is not drawn. An index outside 0 to 2 raises rmox::Error 9.
///
/// Events, raised only for what the user does (setting a property raises none):
/// - `SliderChanging(value)`: while the user drags the slider handle, each time the
///   slider moves; value in permille, 0 to 1000.
/// - `SliderChanged(value)`: once when the user releases the handle after moving it.
/// - `Click(position)`: the user clicked the gauge without moving the slider;
///   position is the permille position of the click, rounded.
/// Only the left mouse button acts; a disabled gauge raises no events.
///
/// Drawing: the bar (zones, pointer, needle) is painted by an opaque child widget
/// that covers exactly the bar, so that a new pointer position repaints only the
/// bar and nothing behind it; the scale, its labels and the slider are painted by
/// the gauge itself, from a layout worked out once per size, font and scale.
class GaugeCtl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double ScaleMin READ ScaleMin WRITE setScaleMin)
    Q_PROPERTY(double ScaleMax READ ScaleMax WRITE setScaleMax)
    Q_PROPERTY(double ScaleStep READ ScaleStep WRITE setScaleStep)
    Q_PROPERTY(int ScaleDivisions READ ScaleDivisions WRITE setScaleDivisions)
    Q_PROPERTY(float Value READ Value WRITE setValue)
    Q_PROPERTY(float SliderValue READ SliderValue WRITE setSliderValue)
    Q_PROPERTY(bool SliderVisible READ SliderVisible WRITE setSliderVisible)
    Q_PROPERTY(double VerticalSplit READ VerticalSplit WRITE setVerticalSplit)

public:
    static constexpr int ZoneCount = 3;

    explicit GaugeCtl(QWidget* parent = nullptr);
    ~GaugeCtl() override;

    double ScaleMin() const { return m_scaleMin; }
    void setScaleMin(double value);
    double ScaleMax() const { return m_scaleMax; }
    void setScaleMax(double value);
    double ScaleStep() const { return m_scaleStep; }
    void setScaleStep(double value);
    int ScaleDivisions() const { return m_scaleDivisions; }
    void setScaleDivisions(int divisions);

    /// The pointer, in permille of the span.
    float Value() const { return m_value; }
    void setValue(float permille);

    /// How the pointer is drawn: as a current value, greyed as an outdated one, or
    /// not at all while there is no value.
    enum PointerStyle { PointerCurrent, PointerOutdated, PointerHidden };
    Q_ENUM(PointerStyle)
    PointerStyle pointerStyle() const { return m_pointerStyle; }
    void setPointerStyle(PointerStyle style);

    /// The slider, in permille of the span. Hidden after creation.
    float SliderValue() const { return m_sliderValue; }
    void setSliderValue(float permille);
    bool SliderVisible() const { return m_sliderVisible; }
    void setSliderVisible(bool visible);

    double VerticalSplit() const { return m_verticalSplit; }
    void setVerticalSplit(double share);

    float ZoneStart(int index) const;
    void setZoneStart(int index, float permille);
    float ZoneEnd(int index) const;
    void setZoneEnd(int index, float permille);
    /// RGB colour value, red in the low byte.
    int ZoneColor(int index) const;
    void setZoneColor(int index, int rgb);

    /// The colour of an RGB colour value with red in the low byte.
    static QColor colorFromRgbValue(int rgb);
    /// The colour the pointer is painted with (greyed while disabled or outdated).
    QColor pointerColor() const;

    // Geometry, in widget coordinates; the same mapping the painting and the mouse use.
    /// The bar that carries the zones and the pointer.
    QRectF barRect() const;
    /// The x coordinate of a permille position (not clamped).
    qreal xOfPermille(float permille) const;
    /// The permille position of an x coordinate (not clamped).
    float permilleAtX(qreal x) const;
    /// The centre of the slider handle.
    QPointF sliderHandleCenter() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void SliderChanging(float value);
    void SliderChanged(float value);
    void Click(int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Zone {
        float start = 0.0F;
        float end = 0.0F;
        int color = 0;
    };
    struct Layout {
        QRectF bar;
        qreal handleHeight = 0;
        qreal majorTick = 0;
        qreal minorTick = 0;
        qreal labelTop = 0;
    };
    class Bar;
    friend class Bar;

    /// The layout for the current size, font and scale, worked out on first use.
    const Layout& layout() const;
    Layout computeLayout() const;
    /// Drops the layout after a change of size, font or scale and places the bar child.
    void relayout();
    /// Repaints what shows the pointer, the zones and the enabled state of the bar.
    void updateBar();
    void paintBar(QPainter& painter, const Layout& current) const;
    void paintSlider(QPainter& painter, const Layout& current) const;
    QPolygonF sliderHandle(const Layout& layout) const;
    qreal horizontalMargin() const;
    /// The major tick values from ScaleMin to ScaleMax; empty when the scale cannot be drawn.
    QList<double> majorTicks() const;
    QString labelText(double value) const;
    float scaleToPermille(double value) const;
    Zone& zone(int index);
    const Zone& zone(int index) const;
    float dragValueAt(qreal x) const;
    /// Whether the bar child covers the bar (only when the bar lies on whole pixels).
    bool barChildShown() const;
    void cancelMouse();

    double m_scaleMin = 0.0;
    double m_scaleMax = 100.0;
    double m_scaleStep = 10.0;
    int m_scaleDivisions = 5;
    float m_value = 0.0F;
    PointerStyle m_pointerStyle = PointerCurrent;
    float m_sliderValue = 0.0F;
    bool m_sliderVisible = false;
    double m_verticalSplit = 0.0;
    std::array<Zone, ZoneCount> m_zones{};

    Bar* m_bar = nullptr;
    mutable Layout m_layout;
    mutable QSize m_layoutSize;
    mutable bool m_layoutValid = false;

    bool m_pressed = false;
    bool m_dragging = false;
    bool m_moved = false;
    qreal m_dragOffset = 0;
};

}  // namespace rmox
