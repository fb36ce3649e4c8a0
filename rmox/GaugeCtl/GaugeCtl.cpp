#include "GaugeCtl.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "rmox/Error.h"

namespace rmox {

namespace {

// More major ticks than this cannot be told apart; the scale then shows its two ends only.
constexpr double kMaxMajorTicks = 200.0;

float clampPermille(float permille) {
    if (std::isnan(permille)) {
        return 0.0F;
    }
    return std::clamp(permille, 0.0F, 1000.0F);
}

const QColor kPointerColor(40, 90, 180);
const QColor kNeedleColor(20, 20, 20);

}  // namespace

/// Paints the bar of its gauge and every pixel of it, so that nothing behind it is
/// repainted when the pointer moves. Mouse events go through to the gauge.
class GaugeCtl::Bar : public QWidget {
public:
    explicit Bar(GaugeCtl* gauge) : QWidget(gauge), m_gauge(gauge) {
        setObjectName(QStringLiteral("bar"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        // Drawn in the gauge's coordinates, exactly as the gauge would draw it.
        painter.translate(-pos());
        const Layout& current = m_gauge->layout();
        m_gauge->paintBar(painter, current);
        m_gauge->paintSlider(painter, current);  // the tip of the handle touches the bar
    }

private:
    GaugeCtl* m_gauge;
};

GaugeCtl::GaugeCtl(QWidget* parent) : QWidget(parent), m_bar(new Bar(this)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_bar->hide();
}

GaugeCtl::~GaugeCtl() = default;

void GaugeCtl::setScaleMin(double value) {
    m_scaleMin = value;
    relayout();
    update();
}

void GaugeCtl::setScaleMax(double value) {
    m_scaleMax = value;
    relayout();
    update();
}

void GaugeCtl::setScaleStep(double value) {
    m_scaleStep = value;
    relayout();
    update();
}

void GaugeCtl::setScaleDivisions(int divisions) {
    m_scaleDivisions = divisions;
    update();
}

void GaugeCtl::setValue(float permille) {
    if (permille == m_value) {
        return;
    }
    m_value = permille;
    updateBar();
}

void GaugeCtl::setSliderValue(float permille) {
    m_sliderValue = permille;
    update();
}

void GaugeCtl::setSliderVisible(bool visible) {
    if (!visible) {
        cancelMouse();
    }
    m_sliderVisible = visible;
    relayout();
    updateGeometry();
    update();
}

void GaugeCtl::setVerticalSplit(double share) {
    m_verticalSplit = std::isfinite(share) ? std::clamp(share, 0.0, 0.9) : 0.0;
    relayout();
    update();
}

GaugeCtl::Zone& GaugeCtl::zone(int index) {
    if (index < 0 || index >= ZoneCount) {
        throw Error(Error::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    }
    return m_zones[static_cast<std::size_t>(index)];
}

const GaugeCtl::Zone& GaugeCtl::zone(int index) const {
    return const_cast<GaugeCtl*>(this)->zone(index);
}

float GaugeCtl::ZoneStart(int index) const {
    return zone(index).start;
}

void GaugeCtl::setZoneStart(int index, float permille) {
    zone(index).start = permille;
    updateBar();
}

float GaugeCtl::ZoneEnd(int index) const {
    return zone(index).end;
}

void GaugeCtl::setZoneEnd(int index, float permille) {
    zone(index).end = permille;
    updateBar();
}

int GaugeCtl::ZoneColor(int index) const {
    return zone(index).color;
}

void GaugeCtl::setZoneColor(int index, int rgb) {
    zone(index).color = rgb;
    updateBar();
}

QColor GaugeCtl::colorFromRgbValue(int rgb) {
    const auto bits = static_cast<unsigned int>(rgb);
    return QColor(static_cast<int>(bits & 0xFFU), static_cast<int>((bits >> 8) & 0xFFU),
                  static_cast<int>((bits >> 16) & 0xFFU));
}

QColor GaugeCtl::pointerColor() const {
    return isEnabled() && m_pointerStyle == PointerCurrent
               ? kPointerColor
               : palette().color(QPalette::Disabled, QPalette::Mid);
}

void GaugeCtl::setPointerStyle(PointerStyle style) {
    if (style != m_pointerStyle) {
        m_pointerStyle = style;
        updateBar();
    }
}

// ---- geometry ----

QString GaugeCtl::labelText(double value) const {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const double rounded = std::round(value);
    if (std::abs(value - rounded) <= 1e-9 * std::max(1.0, std::abs(value)) && std::abs(rounded) < 1e15) {
        return locale.toString(static_cast<qint64>(rounded));
    }
    return locale.toString(value, 'g', 6);
}

QList<double> GaugeCtl::majorTicks() const {
    QList<double> ticks;
    const double span = m_scaleMax - m_scaleMin;
    if (!std::isfinite(span) || !(span > 0.0)) {
        return ticks;
    }
    if (!std::isfinite(m_scaleStep) || !(m_scaleStep > 0.0) || span / m_scaleStep > kMaxMajorTicks) {
        ticks << m_scaleMin << m_scaleMax;
        return ticks;
    }
    const double tolerance = m_scaleStep * 1e-9;
    for (int k = 0;; ++k) {
        const double value = m_scaleMin + k * m_scaleStep;
        if (value > m_scaleMax + tolerance) {
            break;
        }
        ticks << value;
    }
    return ticks;
}

float GaugeCtl::scaleToPermille(double value) const {
    const double span = m_scaleMax - m_scaleMin;
    return span > 0.0 ? static_cast<float>((value - m_scaleMin) / span * 1000.0) : 0.0F;
}

qreal GaugeCtl::horizontalMargin() const {
    const QFontMetricsF metrics(font());
    qreal margin = metrics.height() * 0.5;
    const QList<double> ticks = majorTicks();
    if (!ticks.isEmpty()) {
        margin = std::max(margin, metrics.horizontalAdvance(labelText(ticks.first())) / 2.0);
        margin = std::max(margin, metrics.horizontalAdvance(labelText(ticks.last())) / 2.0);
    }
    return std::ceil(margin) + 2.0;
}

const GaugeCtl::Layout& GaugeCtl::layout() const {
    // A hidden gauge gets its resize event only when shown: the size is checked too.
    if (!m_layoutValid || m_layoutSize != size()) {
        m_layout = computeLayout();
        m_layoutSize = size();
        m_layoutValid = true;
    }
    return m_layout;
}

void GaugeCtl::relayout() {
    m_layoutValid = false;
    if (!isVisible()) {
        // Placed when shown: a gauge being set up changes its scale several times.
        // Until then the gauge paints the bar itself.
        m_bar->hide();
        return;
    }
    const QRectF bar = layout().bar;
    const QRect whole = bar.toRect();
    // On whole pixels the child paints exactly the pixels the bar covers; otherwise
    // the gauge paints the bar itself.
    if (QRectF(whole) == bar && !whole.isEmpty()) {
        m_bar->setGeometry(whole);
        m_bar->show();
    } else {
        m_bar->hide();
    }
}

bool GaugeCtl::barChildShown() const {
    return !m_bar->isHidden();
}

void GaugeCtl::updateBar() {
    if (barChildShown()) {
        m_bar->update();
    } else {
        update();
    }
}

void GaugeCtl::showEvent(QShowEvent* event) {
    relayout();
    QWidget::showEvent(event);
}

void GaugeCtl::resizeEvent(QResizeEvent* event) {
    relayout();
    QWidget::resizeEvent(event);
}

GaugeCtl::Layout GaugeCtl::computeLayout() const {
    const QFontMetricsF metrics(font());
    const qreal fontHeight = metrics.height();
    Layout result;
    if (m_sliderVisible) {
        result.handleHeight = m_verticalSplit > 0.0 ? std::round(height() * m_verticalSplit)
                                                    : std::round(std::max(6.0, fontHeight * 0.7));
    }
    result.majorTick = std::round(std::max(3.0, fontHeight * 0.4));
    result.minorTick = std::round(result.majorTick * 0.55);
    const qreal margin = horizontalMargin();
    qreal top = 1.0 + result.handleHeight;
    qreal bottom = height() - 2.0 - fontHeight - result.majorTick;
    if (bottom - top < 4.0) {
        bottom = top + 4.0;
    }
    // A tall gauge keeps a bar of moderate height and centres the drawing.
    const qreal tallest = std::round(fontHeight * 2.0);
    if (bottom - top > tallest) {
        const qreal shift = std::floor((bottom - top - tallest) / 2.0);
        top += shift;
        bottom = top + tallest;
    }
    result.bar = QRectF(margin, top, std::max(1.0, width() - 2.0 * margin), bottom - top);
    result.labelTop = result.bar.bottom() + result.majorTick + 1.0;
    return result;
}

QRectF GaugeCtl::barRect() const {
    return layout().bar;
}

qreal GaugeCtl::xOfPermille(float permille) const {
    const QRectF bar = barRect();
    return bar.left() + static_cast<qreal>(permille) / 1000.0 * bar.width();
}

float GaugeCtl::permilleAtX(qreal x) const {
    const QRectF bar = barRect();
    return static_cast<float>((x - bar.left()) / bar.width() * 1000.0);
}

QPolygonF GaugeCtl::sliderHandle(const Layout& layout) const {
    const qreal x = layout.bar.left() + clampPermille(m_sliderValue) / 1000.0 * layout.bar.width();
    const qreal tip = layout.bar.top();
    const qreal top = tip - layout.handleHeight + 1.0;
    const qreal halfWidth = std::max(4.0, std::round(layout.handleHeight * 0.6));
    return QPolygonF({QPointF(x - halfWidth, top), QPointF(x + halfWidth, top), QPointF(x, tip)});
}

QPointF GaugeCtl::sliderHandleCenter() const {
    const Layout& current = layout();
    const QRectF box = sliderHandle(current).boundingRect();
    return QPointF(box.center().x(), box.top() + box.height() / 3.0);
}

QSize GaugeCtl::sizeHint() const {
    const QFontMetricsF metrics(font());
    const qreal fontHeight = metrics.height();
    const qreal handle = m_sliderVisible ? std::max(6.0, fontHeight * 0.7) : 0.0;
    const qreal tick = std::max(3.0, fontHeight * 0.4);
    const qreal height = 1.0 + handle + fontHeight * 1.2 + tick + fontHeight + 2.0;
    return QSize(static_cast<int>(std::ceil(fontHeight * 16.0)), static_cast<int>(std::ceil(height)));
}

QSize GaugeCtl::minimumSizeHint() const {
    const QSize hint = sizeHint();
    return QSize(hint.width() / 3, hint.height());
}

// ---- painting ----

void GaugeCtl::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const Layout& current = layout();
    if (!barChildShown()) {
        paintBar(painter, current);
    }
    const QRectF bar = current.bar;
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const auto xOf = [&bar](float permille) { return bar.left() + permille / 1000.0 * bar.width(); };

    // Ticks and labels below the bar.
    painter.setPen(palette().color(group, QPalette::WindowText));
    const QList<double> ticks = majorTicks();
    const bool stepped = ticks.size() > 2 || (ticks.size() == 2 && m_scaleMin + m_scaleStep >= m_scaleMax);
    const QFontMetricsF metrics(font());
    for (qsizetype i = 0; i < ticks.size(); ++i) {
        const qreal x = xOf(scaleToPermille(ticks[i]));
        painter.drawLine(QPointF(x, bar.bottom()), QPointF(x, bar.bottom() + current.majorTick));
        const QString text = labelText(ticks[i]);
        const qreal textWidth = metrics.horizontalAdvance(text);
        painter.drawText(
            QRectF(x - textWidth / 2.0 - 4.0, current.labelTop, textWidth + 8.0, metrics.height()),
            Qt::AlignHCenter | Qt::AlignTop, text);
        if (stepped && m_scaleDivisions > 1) {
            for (int j = 1; j < m_scaleDivisions; ++j) {
                const double minor = ticks[i] + j * m_scaleStep / m_scaleDivisions;
                if (minor >= m_scaleMax - m_scaleStep * 1e-9) {
                    break;
                }
                const qreal minorX = xOf(scaleToPermille(minor));
                painter.drawLine(QPointF(minorX, bar.bottom()),
                                 QPointF(minorX, bar.bottom() + current.minorTick));
            }
        }
    }
    paintSlider(painter, current);
}

void GaugeCtl::paintBar(QPainter& painter, const Layout& current) const {
    const QRectF bar = current.bar;
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const auto xOf = [&bar](float permille) { return bar.left() + permille / 1000.0 * bar.width(); };

    // The bar, its zones along the lower edge and the pointer filling the upper part.
    painter.fillRect(bar, palette().color(group, QPalette::Base));
    const qreal bandHeight = std::max(2.0, std::round(bar.height() * 0.35));
    const QRectF band(bar.left(), bar.bottom() - bandHeight, bar.width(), bandHeight);
    for (const Zone& zone : m_zones) {
        const float start = clampPermille(zone.start);
        const float end = clampPermille(zone.end);
        if (end > start) {
            QColor color = colorFromRgbValue(zone.color);
            if (!isEnabled()) {
                color = color.lighter(160);
            }
            painter.fillRect(QRectF(QPointF(xOf(start), band.top()), QPointF(xOf(end), band.bottom())),
                             color);
        }
    }
    const float pointer = clampPermille(m_value);
    const QRectF pointerArea(bar.left(), bar.top(), bar.width(), band.top() - bar.top());
    const bool pointerShown = m_pointerStyle != PointerHidden;
    if (pointerShown && pointer > 0.0F) {
        painter.fillRect(QRectF(pointerArea.topLeft(), QPointF(xOf(pointer), pointerArea.bottom())),
                         pointerColor());
    }
    painter.setPen(palette().color(group, QPalette::Dark));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bar.adjusted(0, 0, -1, -1));
    const qreal needleWidth = std::max(2.0, std::round(bar.height() / 12.0));
    const qreal needleX = std::clamp(xOf(pointer) - needleWidth / 2.0, bar.left(), bar.right() - needleWidth);
    if (pointerShown) {
        painter.fillRect(QRectF(needleX, bar.top(), needleWidth, bar.height()),
                         isEnabled() && m_pointerStyle == PointerCurrent
                             ? kNeedleColor
                             : palette().color(QPalette::Disabled, QPalette::Dark));
    }
}

void GaugeCtl::paintSlider(QPainter& painter, const Layout& current) const {
    // The slider handle, a triangle pointing down onto the bar.
    if (m_sliderVisible && current.handleHeight > 0) {
        const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        QColor fill = palette().color(group, QPalette::ButtonText);
        if (m_dragging) {
            fill = palette().color(group, QPalette::Highlight);
        }
        painter.setPen(QPen(palette().color(group, QPalette::Shadow), 1.0));
        painter.setBrush(fill);
        painter.drawPolygon(sliderHandle(current));
        painter.restore();
    }
}

// ---- mouse ----

float GaugeCtl::dragValueAt(qreal x) const {
    return clampPermille(permilleAtX(x - m_dragOffset));
}

void GaugeCtl::cancelMouse() {
    m_pressed = false;
    m_dragging = false;
    m_moved = false;
    m_dragOffset = 0;
}

void GaugeCtl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    cancelMouse();
    m_pressed = true;
    if (m_sliderVisible) {
        const Layout& current = layout();
        const QRectF grip = sliderHandle(current).boundingRect().adjusted(-3, -3, 3, 3);
        if (grip.contains(event->position())) {
            m_dragging = true;
            m_dragOffset = event->position().x() -
                           (current.bar.left() + clampPermille(m_sliderValue) / 1000.0 * current.bar.width());
            update();
        }
    }
    event->accept();
}

void GaugeCtl::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const float value = dragValueAt(event->position().x());
    if (value != m_sliderValue) {
        m_sliderValue = value;
        m_moved = true;
        update();
        emit SliderChanging(value);
    }
    event->accept();
}

void GaugeCtl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const bool dragging = m_dragging;
    bool moved = m_moved;
    if (dragging) {
        const float value = dragValueAt(event->position().x());
        if (value != m_sliderValue) {
            m_sliderValue = value;
            moved = true;
        }
    }
    cancelMouse();
    update();
    event->accept();
    if (moved) {
        emit SliderChanged(m_sliderValue);
    } else {
        emit Click(static_cast<int>(std::lround(clampPermille(permilleAtX(event->position().x())))));
    }
}

void GaugeCtl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        cancelMouse();
    }
    if (event->type() == QEvent::FontChange || event->type() == QEvent::LocaleChange) {
        relayout();
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

}  // namespace rmox
