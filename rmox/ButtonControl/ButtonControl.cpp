#include "ButtonControl.h"

#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <algorithm>

#include "rmox/Error.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace rmox {

namespace {

// Common texts of the bar, looked up in the common resource folder.
constexpr int kTextOk = 5010;
constexpr int kTextCancel = 5011;
constexpr int kTextApply = 5012;
constexpr int kTextClose = 5013;
constexpr int kTextHelp = 5014;
constexpr int kTextOnline = 5015;
constexpr int kTextOffline = 5016;

constexpr int kTwipsPerPixel = 15;
constexpr int kMinimumHeight = 32;
constexpr int kMarkerSize = 12;
constexpr int kBusyWidth = 24;

QString flag(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

int twipsToPixels(int twips) {
    return std::max(0, (twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

QPushButton* makeButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QPixmap markerPixmap(const QColor& colour, qreal ratio) {
    QPixmap pixmap(QSize(kMarkerSize, kMarkerSize) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour.darker(140), 1));
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(1.5, 1.5, kMarkerSize - 3, kMarkerSize - 3));
    return pixmap;
}

// Three dots, the busy mark. It is a still picture: an animated indicator would
// repaint the bar many times a second on every page that waits.
QPixmap busyPixmap(const QColor& colour, qreal ratio) {
    QPixmap pixmap(QSize(kBusyWidth, kMarkerSize) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    constexpr qreal kDot = 5.0;
    for (int dot = 0; dot < 3; ++dot) {
        painter.drawEllipse(QRectF(1.5 + dot * (kDot + 2.5), (kMarkerSize - kDot) / 2.0, kDot, kDot));
    }
    return pixmap;
}

}  // namespace

ButtonControl::ButtonControl(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ctlButtons"));

    m_marker = new QLabel(this);
    m_marker->setObjectName(QStringLiteral("imgOnline"));
    m_marker->setFixedSize(kMarkerSize, kMarkerSize);
    m_indicator = new QLabel(this);
    m_indicator->setObjectName(QStringLiteral("lblOnline"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_status->installEventFilter(this);
    m_busy = new QLabel(this);
    m_busy->setObjectName(QStringLiteral("imgBusy"));
    m_busy->setFixedSize(kBusyWidth, kMarkerSize);
    m_busy->hide();

    m_page = makeButton(QStringLiteral("cmdPage"), QString(), this);
    m_ok = makeButton(QStringLiteral("cmdOk"), QString(), this);
    m_cancel = makeButton(QStringLiteral("cmdCancel"), QString(), this);
    m_apply = makeButton(QStringLiteral("cmdApply"), QString(), this);
    m_close = makeButton(QStringLiteral("cmdClose"), QString(), this);
    m_help = makeButton(QStringLiteral("cmdHelp"), QString(), this);
    m_page->hide();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->setSpacing(6);
    layout->addWidget(m_marker);
    layout->addWidget(m_indicator);
    layout->addSpacing(6);
    layout->addWidget(m_status, 1);
    layout->addWidget(m_busy);
    layout->addWidget(m_page);
    layout->addWidget(m_ok);
    layout->addWidget(m_cancel);
    layout->addWidget(m_apply);
    layout->addWidget(m_close);
    layout->addWidget(m_help);

    connect(m_apply, &QPushButton::clicked, this, &ButtonControl::Apply);
    connect(m_cancel, &QPushButton::clicked, this, &ButtonControl::Cancel);
    connect(m_ok, &QPushButton::clicked, this, &ButtonControl::Ok);
    connect(m_help, &QPushButton::clicked, this, &ButtonControl::Help);
    connect(m_close, &QPushButton::clicked, this, &ButtonControl::Clos);
    connect(m_page, &QPushButton::clicked, this, &ButtonControl::PageButton);

    loadCaptions();
    // The indicator belongs to online pages; it appears with the first OnlineIndicator.
    m_marker->hide();
    m_indicator->hide();
    setFixedHeight(std::max(kMinimumHeight, m_ok->sizeHint().height() + 6));
}

ButtonControl::~ButtonControl() = default;

QString ButtonControl::StatusText() const {
    return m_statusText;
}

void ButtonControl::setStatusText(const QString& text) {
    record(QStringLiteral("StatusText(%1)").arg(quoted(text)));
    m_statusText = text;
    m_status->setToolTip(text);
    updateStatusLabel();
}

void ButtonControl::updateStatusLabel() {
    // A text longer than the room left by the buttons ends in an ellipsis; the
    // tool tip shows it whole.
    const int room = std::max(0, m_status->width());
    m_status->setText(room == 0 ? m_statusText
                                : m_status->fontMetrics().elidedText(m_statusText, Qt::ElideRight, room));
}

bool ButtonControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_status && event->type() == QEvent::Resize) {
        updateStatusLabel();
    }
    return QWidget::eventFilter(watched, event);
}

void ButtonControl::setResourceManager(ResourceManager* manager) {
    record(QStringLiteral("ResourceManager()"));
    m_resources = manager;
    loadCaptions();
}

ResourceManager* ButtonControl::resourceManager() const {
    return m_resources;
}

void ButtonControl::SetSize(int heightTwips, int widthTwips) {
    record(QStringLiteral("SetSize(%1,%2)").arg(heightTwips).arg(widthTwips));
    // The bar keeps its own height; the page decides where the bar sits.
    resize(twipsToPixels(widthTwips), height());
}

void ButtonControl::SetButtons(bool ok, bool cancel, bool apply, bool close) {
    record(QStringLiteral("SetButtons(%1,%2,%3,%4)").arg(flag(ok), flag(cancel), flag(apply), flag(close)));
    m_ok->setVisible(ok);
    m_cancel->setVisible(cancel);
    m_apply->setVisible(apply);
    m_close->setVisible(close);
}

void ButtonControl::EnableOk() {
    record(QStringLiteral("EnableOk()"));
    m_okEnabled = true;
    updateEnabled();
}

void ButtonControl::DisableOk() {
    record(QStringLiteral("DisableOk()"));
    m_okEnabled = false;
    updateEnabled();
}

void ButtonControl::EnableApply() {
    record(QStringLiteral("EnableApply()"));
    m_applyEnabled = true;
    updateEnabled();
}

void ButtonControl::DisableApply() {
    record(QStringLiteral("DisableApply()"));
    m_applyEnabled = false;
    updateEnabled();
}

void ButtonControl::OnlineIndicator(bool online) {
    record(QStringLiteral("OnlineIndicator(%1)").arg(flag(online)));
    m_online = online;
    m_indicatorUsed = true;
    updateIndicator();
}

void ButtonControl::SetButtonCaption(int index, const QString& key, const QString& caption) {
    record(QStringLiteral("SetButtonCaption(%1,%2,%3)").arg(index).arg(quoted(key), quoted(caption)));
    if (index != 0) {
        throw Error(Error::SubscriptOutOfRange,
                    QStringLiteral("Button bar: there is no page button with index %1").arg(index));
    }
    // The key selects nothing on this bar: it has a single page button.
    m_page->setText(caption);
    m_page->setVisible(!caption.isEmpty());
}

// The pages do not pair the two calls: a reading page begins an operation with
// every read cycle and ends one only when its connection changes. So neither
// shows anything by itself; the page sets the busy mark.
void ButtonControl::BeginOperation() {
    record(QStringLiteral("BeginOperation()"));
}

void ButtonControl::EndOperation() {
    record(QStringLiteral("EndOperation()"));
    // An operation that ended frees the buttons as well: a refused connect ends
    // its operation without a refresh, and the user must be able to try again.
    m_acknowledged = false;
    updateEnabled();
}

void ButtonControl::setBusyMark(bool busy) {
    if (busy != m_busyMark) {
        m_busyMark = busy;
        updateBusy();
    }
}

void ButtonControl::AcknowledgeButton() {
    record(QStringLiteral("AcknowledgeButton()"));
    m_acknowledged = true;
    updateEnabled();
}

void ButtonControl::RefreshButtons() {
    record(QStringLiteral("RefreshButtons()"));
    m_acknowledged = false;
    updateEnabled();
}

// Observation begins an operation with every read (twice a second for as long as
// it is open): the log overwrites its oldest entry instead of growing.
void ButtonControl::record(const QString& entry) {
    m_log[static_cast<std::size_t>(m_logNext)] = entry;
    m_logNext = (m_logNext + 1) % kOperationLogSize;
    m_logCount = std::min(m_logCount + 1, kOperationLogSize);
}

QStringList ButtonControl::OperationLog() const {
    QStringList entries;
    entries.reserve(m_logCount);
    for (int k = m_logCount; k > 0; --k) {
        entries.append(m_log[static_cast<std::size_t>((m_logNext - k + kOperationLogSize) % kOperationLogSize)]);
    }
    return entries;
}

void ButtonControl::clearOperationLog() {
    for (QString& entry : m_log) {
        entry.clear();
    }
    m_logNext = 0;
    m_logCount = 0;
}

void ButtonControl::updateEnabled() {
    // While a press is being handled the buttons that start something wait for
    // RefreshButtons; OK and Apply then return to the state the page asked for in
    // the meantime. Close and Help never wait: the user can always leave.
    const bool free = !m_acknowledged;
    m_ok->setEnabled(free && m_okEnabled);
    m_apply->setEnabled(free && m_applyEnabled);
    m_cancel->setEnabled(free);
    m_page->setEnabled(free);
}

void ButtonControl::updateIndicator() {
    m_indicator->setText(m_online ? m_onlineText : m_offlineText);
    const QColor colour = m_online ? QColor(0x2e, 0xa0, 0x43) : QColor(0x9e, 0x9e, 0x9e);
    m_marker->setPixmap(markerPixmap(colour, devicePixelRatioF()));
    m_marker->setVisible(m_indicatorUsed);
    m_indicator->setVisible(m_indicatorUsed);
}

void ButtonControl::updateBusy() {
    const bool busy = m_busyMark;
    if (busy && m_busy->isHidden()) {
        m_busy->setPixmap(busyPixmap(palette().color(QPalette::Highlight), devicePixelRatioF()));
    }
    m_busy->setVisible(busy);
    if (busy) {
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
    }
}

void ButtonControl::loadCaptions() {
    struct Caption {
        int id;
        const char* english;
        QString* target;
    };
    QString ok, cancel, apply, close, help;
    const Caption captions[] = {
        {kTextOk, "OK", &ok},
        {kTextCancel, "Cancel", &cancel},
        {kTextApply, "Apply", &apply},
        {kTextClose, "Close", &close},
        {kTextHelp, "Help", &help},
        {kTextOnline, "online", &m_onlineText},
        {kTextOffline, "offline", &m_offlineText},
    };
    // The manager a page hands over is set up for the device folder; the bar's texts
    // live in the common folder beside it.
    QString commonFolder;
    if (m_resources && !m_resources->ResourceFolder().isEmpty()) {
        commonFolder = QDir::cleanPath(
            QDir(m_resources->ResourceFolder()).filePath(QStringLiteral("../rmoxResourceData")));
    }
    for (const Caption& caption : captions) {
        *caption.target = QString::fromLatin1(caption.english);
        if (commonFolder.isEmpty()) {
            continue;
        }
        try {
            const QString text = m_resources->GetString(caption.id, commonFolder);
            if (!text.isEmpty()) {
                *caption.target = text;
            }
        } catch (const Error&) {
            // Keep the built-in English caption.
        }
    }
    m_ok->setText(ok);
    m_cancel->setText(cancel);
    m_apply->setText(apply);
    m_close->setText(close);
    m_help->setText(help);
    updateIndicator();
}

}  // namespace rmox
