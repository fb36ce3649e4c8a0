#include "ChannelSimulation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "QT27Controls/common/ErrorHandling.h"
#include "QT27Controls/common/NumberFunctions.h"
#include "QT27Controls/framework/Twips.h"
#include "QT27Controls/observation/ChannelScaling.h"
#include "QT27Controls/observation/ValueBox.h"
#include "rmox/Error.h"
#include "rmox/GaugeCtl/GaugeCtl.h"

namespace qt27 {

namespace {

const QString kLogTag = QStringLiteral("ChannelSimulation");

// Common texts of the labels of the forcing part.
constexpr int kTextForcingActivated = 7014;
constexpr int kTextForceInvalid = 7015;
constexpr int kTextProcessValue = 7016;
constexpr int kTextForcedValue = 7017;

// Share of the gauge's height above the bar, for the slider handle.
constexpr double kGaugeVerticalSplit = 0.3;

// Design size and element positions inside the frame, in twips.
constexpr int kDesignWidth = 8400;
constexpr int kDesignHeight = 2250;
const QRect kGaugeRect = twipsRect(120, 300, 4440, 1830);
const QRect kProcessLabelRect = twipsRect(4680, 360, 1440, 345);
const QRect kValueRect = twipsRect(6180, 360, 1140, 345);
const QRect kUnitRect = twipsRect(7380, 360, 900, 345);
const QRect kForcedLabelRect = twipsRect(4680, 780, 1440, 345);
const QRect kForceValueRect = twipsRect(6180, 780, 1140, 345);
const QRect kLineRect = twipsRect(4680, 1230, 3600, 30);
const QRect kForcingCheckRect = twipsRect(4680, 1380, 300, 345);
const QRect kForcingLabelRect = twipsRect(5010, 1380, 2130, 345);
const QRect kInvalidCheckRect = twipsRect(4680, 1800, 300, 345);
const QRect kInvalidLabelRect = twipsRect(5010, 1800, 2130, 345);
const QRect kStateLabelRect = twipsRect(7200, 1380, 1080, 345);
const QRect kStatePictureRect = twipsRect(7440, 1740, 480, 420);

QLabel* makeLabel(const QString& name, const QString& text, const QRect& rect, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setGeometry(rect);
    return label;
}

QCheckBox* makeCheckBox(const QString& name, const QRect& rect, QWidget* parent) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(name);
    box->setGeometry(rect);
    return box;
}

}  // namespace

ChannelSimulation::ChannelSimulation(QWidget* parent) : ChannelObservation(parent) {
    fraChannelObservation->setObjectName(QStringLiteral("fraChannelSimulation"));
    txtForceValue = new QLineEdit(QStringLiteral("13,75"), fraChannelObservation);
    txtForceValue->setObjectName(QStringLiteral("txtForceValue"));
    txtForceValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtForceValue->installEventFilter(this);
    chkForcingActivated =
        makeCheckBox(QStringLiteral("chkForcingActivated"), kForcingCheckRect, fraChannelObservation);
    chkForcedInvalid =
        makeCheckBox(QStringLiteral("chkForcedInvalid"), kInvalidCheckRect, fraChannelObservation);
    lblForcingActivated =
        makeLabel(QStringLiteral("lblForcingActivated"), QStringLiteral("Forcing activated"),
                  kForcingLabelRect, fraChannelObservation);
    lblForceInvalid = makeLabel(QStringLiteral("lblForceInvalid"), QStringLiteral("Force invalid"),
                                kInvalidLabelRect, fraChannelObservation);
    lblProcessValue = makeLabel(QStringLiteral("lblProcessValue"), QStringLiteral("Process value"),
                                kProcessLabelRect, fraChannelObservation);
    lblForcedValue = makeLabel(QStringLiteral("lblForcedValue"), QStringLiteral("Forced value"),
                               kForcedLabelRect, fraChannelObservation);
    // A click on a label works its switch.
    lblForcingActivated->setBuddy(chkForcingActivated);
    lblForceInvalid->setBuddy(chkForcedInvalid);
    PlaceElements();

    // The slider carries the force value.
    ctlGauge->setSliderVisible(true);
    ctlGauge->setVerticalSplit(kGaugeVerticalSplit);
    connect(ctlGauge, &rmox::GaugeCtl::SliderChanging, this, &ChannelSimulation::SliderMoved);
    connect(ctlGauge, &rmox::GaugeCtl::SliderChanged, this, &ChannelSimulation::SliderMoved);
    connect(ctlGauge, &rmox::GaugeCtl::Click, this,
            [this](int) { LogAndContinue(kLogTag, [&] { Commit(false, false); }); });
    connect(chkForcingActivated, &QCheckBox::toggled, this, &ChannelSimulation::chkForcingActivated_Click);
    connect(chkForcedInvalid, &QCheckBox::toggled, this, &ChannelSimulation::ForceInvalidChanged);
    RefreshForceValueDisplay();
    resize(sizeHint());
}

ChannelSimulation::~ChannelSimulation() = default;

void ChannelSimulation::PlaceElements() {
    ctlGauge->setGeometry(kGaugeRect);
    txtValue->setGeometry(kValueRect);
    cmbUnit->setGeometry(kUnitRect);
    txtForceValue->setGeometry(kForceValueRect);
    Line1->setGeometry(kLineRect);
    lblState->setGeometry(kStateLabelRect);
    imgState->setGeometry(kStatePictureRect);
}

QSize ChannelSimulation::sizeHint() const {
    return QSize(twipsToPixels(kDesignWidth), twipsToPixels(kDesignHeight));
}

void ChannelSimulation::setResourceManager(rmox::ResourceManager* manager) {
    ChannelObservation::setResourceManager(manager);
    if (manager == nullptr) {
        return;
    }
    const std::pair<QLabel*, int> labels[] = {{lblForcingActivated, kTextForcingActivated},
                                              {lblForceInvalid, kTextForceInvalid},
                                              {lblProcessValue, kTextProcessValue},
                                              {lblForcedValue, kTextForcedValue}};
    for (const auto& [label, id] : labels) {
        LogAndContinue(kLogTag, [&] { label->setText(manager->GetString(id, CommonResourceFolder())); });
    }
}

void ChannelSimulation::SetCurrentValue(qint16 iCurrentValue, bool isInValid, bool /*isForced*/) {
    ChannelObservation::SetCurrentValue(iCurrentValue, isInValid, chkForcingActivated->isChecked());
}

void ChannelSimulation::setHasConnection(bool hasConnection) {
    if (hasConnection) {
        // A locked editor stays locked (every read answer reports the connection).
        chkForcingActivated->setEnabled(!m_locked);
    } else {
        // Not reported: the page keeps forcing and shows the switch again on reconnect.
        m_muted = true;
        chkForcingActivated->setChecked(false);
        chkForcingActivated->setEnabled(false);
        m_muted = false;
    }
    ChannelObservation::setHasConnection(hasConnection);
}

void ChannelSimulation::setLocked(bool locked) {
    m_locked = locked;
    txtForceValue->setEnabled(!locked);
    chkForcingActivated->setEnabled(!locked);
    chkForcedInvalid->setEnabled(!locked);
    ctlGauge->setSliderVisible(!locked);
}

bool ChannelSimulation::ForcingActivated() const {
    return chkForcingActivated->isChecked();
}

bool ChannelSimulation::ForcedInvalid() const {
    return chkForcedInvalid->isChecked();
}

QString ChannelSimulation::ForceValueText() const {
    return (txtForceValue->text() + QLatin1Char(' ') + cmbUnit->currentText()).trimmed();
}

void ChannelSimulation::ShowForcingActivated(bool activated) {
    m_muted = true;
    chkForcingActivated->setChecked(activated);
    m_muted = false;
}

void ChannelSimulation::chkForcingActivated_Click(bool checked) {
    if (!m_muted) {
        emit ForceActivatedChanged(checked);
    }
}

bool ChannelSimulation::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtForceValue) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                // Enter commits and goes no further.
                CommitForceValue();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // Another window or a menu taking the focus is no commit: a value half typed
            // would be forced.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
                CommitForceValue();
            }
        }
    }
    return ChannelObservation::eventFilter(watched, event);
}

void ChannelSimulation::CommitForceValue() {
    LogAndContinue(kLogTag, [&] { Commit(true, true); });
}

void ChannelSimulation::Commit(bool showTyped, bool restoreOnOverflow) {
    const Scaling scaling = CurrentScaling();
    if (!scaling.IsDefined()) {
        return;
    }
    QString text = txtForceValue->text();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    const double number = LeadingNumber(text);
    qint16 forceValue = 0;
    try {
        forceValue = RawFromNumber(number, scaling);
    } catch (const rmox::Error& error) {
        if (error.number() == rmox::Error::Overflow && restoreOnOverflow) {
            // The previous value stays: the slider still shows it.
            SliderMoved(ctlGauge->SliderValue());
            return;
        }
        throw;
    }
    m_forceValue = forceValue;
    if (showTyped) {
        txtForceValue->setText(
            WithDecimalSeparator(FormatWithPoint(number, m_formatText), m_decimalSeparator));
    } else {
        txtForceValue->setText(ValueText(m_forceValue, scaling, m_formatText, m_decimalSeparator));
    }
    ctlGauge->setSliderValue(PermilleOfRaw(m_forceValue, scaling));
    emit ForceValueChanged(m_forceValue);
}

void ChannelSimulation::SliderMoved(float value) {
    LogAndContinue(kLogTag, [&] {
        m_forceValue = RawFromPermille(value, CurrentScaling());
        RefreshForceValueDisplay();
        emit ForceValueChanged(m_forceValue);
    });
}

void ChannelSimulation::RefreshForceValueDisplay() {
    const Scaling scaling = CurrentScaling();
    txtForceValue->setText(ValueText(m_forceValue, scaling, m_formatText, m_decimalSeparator));
    ctlGauge->setSliderValue(PermilleOfRaw(m_forceValue, scaling));
}

void ChannelSimulation::unitConfigured() {
    // The raw force value stays; its text and slider follow the unit.
    RefreshForceValueDisplay();
}

}  // namespace qt27
