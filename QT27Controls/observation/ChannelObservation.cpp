#include "ChannelObservation.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QResizeEvent>

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/common/ErrorHandling.h"
#include "QT27Controls/framework/Twips.h"
#include "QT27Controls/observation/ChannelScaling.h"
#include "QT27Controls/observation/ChannelUnitDisplay.h"
#include "QT27Controls/observation/ValueBox.h"
#include "rmox/GaugeCtl/GaugeCtl.h"

namespace qt27 {

namespace {

const QString kLogTag = QStringLiteral("ChannelObservation");

// Common texts.
constexpr int kTextDecimalSeparator = 4002;
constexpr int kTextChannel = 6003;
constexpr int kTextState = 7013;

// Design size of the control and positions of its elements inside the frame, in twips.
constexpr int kDesignWidth = 8400;
constexpr int kDesignHeight = 1650;
const QRect kGaugeRect = twipsRect(120, 300, 5580, 1230);
const QRect kValueRect = twipsRect(5880, 360, 1350, 345);
const QRect kUnitRect = twipsRect(7350, 360, 930, 345);
const QRect kLineRect = twipsRect(5880, 870, 2400, 30);
const QRect kStateLabelRect = twipsRect(5880, 1080, 1350, 345);
const QRect kStatePictureRect = twipsRect(7350, 990, 480, 480);

}  // namespace

ChannelObservation::ChannelObservation(QWidget* parent) : QWidget(parent) {
    // 1. Resource folders beside the library.
    m_commonResourceFolder = qt27::CommonResourceFolder();
    m_deviceResourceFolder = qt27::DeviceResourceFolder();
    CreateElements();
    // 2. The gauge shows no slider here.
    SetUpChannelGauge(*ctlGauge, false);
    // 3. Start values.
    m_moduleType = ModuleType37;
    m_range = 0;
    m_isInValid = true;
    m_formatText = QStringLiteral("0.0");
    // 4. The physical unit is shown first; selecting it runs the unit configuration.
    connect(cmbUnit, &QComboBox::currentIndexChanged, this, &ChannelObservation::cmbUnit_Click);
    cmbUnit->setCurrentIndex(UnitEntryPhysical);
    // 5.
    m_isInitializing = true;
    RefreshCaption();
}

ChannelObservation::~ChannelObservation() = default;

void ChannelObservation::CreateElements() {
    fraChannelObservation = new QGroupBox(QStringLiteral("Channel 1"), this);
    fraChannelObservation->setObjectName(QStringLiteral("fraChannelObservation"));
    fraChannelObservation->setGeometry(rect());

    ctlGauge = new rmox::GaugeCtl(fraChannelObservation);
    ctlGauge->setObjectName(QStringLiteral("ctlGauge"));
    ctlGauge->setGeometry(kGaugeRect);

    txtValue = new ValueBox(QStringLiteral("13,75"), fraChannelObservation);
    txtValue->setObjectName(QStringLiteral("txtValue"));
    txtValue->setGeometry(kValueRect);

    cmbUnit = new QComboBox(fraChannelObservation);
    cmbUnit->setObjectName(QStringLiteral("cmbUnit"));
    FillUnitList(*cmbUnit);
    cmbUnit->setGeometry(kUnitRect);

    Line1 = new QFrame(fraChannelObservation);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(kLineRect);

    lblState = new QLabel(QStringLiteral("State"), fraChannelObservation);
    lblState->setObjectName(QStringLiteral("lblState"));
    lblState->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblState->setGeometry(kStateLabelRect);

    imgState = new QLabel(fraChannelObservation);
    imgState->setObjectName(QStringLiteral("imgState"));
    imgState->setAlignment(Qt::AlignCenter);
    imgState->setGeometry(kStatePictureRect);
}

QSize ChannelObservation::sizeHint() const {
    return QSize(twipsToPixels(kDesignWidth), twipsToPixels(kDesignHeight));
}

void ChannelObservation::resizeEvent(QResizeEvent* event) {
    fraChannelObservation->setGeometry(QRect(QPoint(0, 0), event->size()));
    QWidget::resizeEvent(event);
}

// ---- properties ----

void ChannelObservation::setTyp(qint16 moduleType) {
    if (moduleType < 0 || moduleType > 0xFF) {
        throw rmox::Error(rmox::Error::Overflow, QStringLiteral("Overflow"));
    }
    m_moduleType = static_cast<quint8>(moduleType);
}

void ChannelObservation::setChannelNumber(qint16 channelNumber) {
    m_channelNumber = channelNumber;
    RefreshCaption();
}

void ChannelObservation::setChannelTag(const QString& channelTag) {
    m_channelTag = channelTag;
    RefreshCaption();
}

void ChannelObservation::setResourceManager(rmox::ResourceManager* manager) {
    m_commonResourceManager = manager;
    m_statePictureShown = 0;  // the next value loads its picture from the new manager
    if (manager == nullptr) {
        m_deviceResourceManager.reset();
        RefreshCaption();
        return;
    }
    m_deviceResourceManager = std::make_unique<rmox::ResourceManager>();
    m_deviceResourceManager->ConfigureFrom(*manager);
    LogAndContinue(kLogTag, [&] {
        m_decimalSeparator = manager->GetString(kTextDecimalSeparator, m_commonResourceFolder);
    });
    LogAndContinue(kLogTag,
                   [&] { lblState->setText(manager->GetString(kTextState, m_commonResourceFolder)); });
    RefreshCaption();
}

void ChannelObservation::setRange(quint8 range) {
    m_range = range;
    if (!m_isInitializing) {
        ConfigureUnit();
    }
}

void ChannelObservation::setHasConnection(bool hasConnection) {
    if (!hasConnection) {
        MarkValueOutdated();  // removes the state picture
    }
    m_hasConnection = hasConnection;
}

void ChannelObservation::MarkValueOutdated() {
    imgState->clear();
    m_statePictureShown = 0;
    if (m_valueState == ValueState::Current) {
        SetValueState(ValueState::Outdated);
    }
}

void ChannelObservation::SetValueState(ValueState state) {
    m_valueState = state;
    RefreshValueDisplay();
}

void ChannelObservation::setIsInitializing(bool isInitializing) {
    m_isInitializing = isInitializing;
    if (!isInitializing) {
        ConfigureUnit();
    }
}

void ChannelObservation::setResourceFolders(const QString& commonFolder, const QString& deviceFolder) {
    m_commonResourceFolder = commonFolder;
    m_deviceResourceFolder = deviceFolder;
    m_statePictureShown = 0;
}

// ---- values ----

int ChannelObservation::StatePictureId(bool isInValid, bool isForced) {
    if (isInValid) {
        return isForced ? PictureInvalidForced : PictureInvalid;
    }
    return isForced ? PictureValidForced : PictureValid;
}

void ChannelObservation::SetCurrentValue(qint16 iCurrentValue, bool isInValid, bool isForced) {
    m_currentValue = iCurrentValue;
    // The picture of an unchanged state stays as it is (nothing to repaint). A
    // picture that cannot be loaded leaves the place empty rather than showing the
    // state of an earlier value.
    const int pictureId = StatePictureId(isInValid, isForced);
    if (pictureId != m_statePictureShown) {
        imgState->clear();
        m_statePictureShown = 0;
        LogAndContinue(kLogTag, [&] {
            ShowStatePicture(Required(m_commonResourceManager.data())->GetPicture(pictureId, m_commonResourceFolder));
            m_statePictureShown = pictureId;
        });
    }
    m_isInValid = isInValid;
    m_isForced = isForced;
    SetValueState(ValueState::Current);
}

void ChannelObservation::ShowStatePicture(const QPixmap& picture) {
    const qreal ratio = imgState->devicePixelRatioF();
    const QSize room = imgState->size() * ratio;
    QPixmap shown = picture;
    if (picture.width() * ratio > room.width() || picture.height() * ratio > room.height()) {
        shown = picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        shown.setDevicePixelRatio(ratio);
    }
    imgState->setPixmap(shown);
}

void ChannelObservation::cmbUnit_Click() {
    ConfigureUnit();
}

void ChannelObservation::ConfigureUnit() {
    RunUnitConfiguration(m_moduleType, m_range, *ctlGauge, *cmbUnit, m_formatText);
    RefreshValueDisplay();
    unitConfigured();
}

Scaling ChannelObservation::CurrentScaling() const {
    return ScalingFor(m_moduleType, cmbUnit->currentIndex(), m_range);
}

void ChannelObservation::RefreshValueDisplay() {
    const Scaling scaling = CurrentScaling();
    txtValue->setValueText(
        ChannelValueText(m_valueState, m_currentValue, scaling, m_formatText, m_decimalSeparator));
    ctlGauge->setValue(PermilleOfRaw(m_currentValue, scaling));
    ShowValueState(m_valueState, *txtValue, *ctlGauge);
}

void ChannelObservation::RefreshCaption() {
    QString title = QStringLiteral("channel");
    if (m_commonResourceManager) {
        LogAndContinue(kLogTag, [&] {
            title = m_commonResourceManager->GetString(kTextChannel, m_commonResourceFolder);
        });
    }
    fraChannelObservation->setTitle(title + QLatin1Char(' ') + QString::number(m_channelNumber) +
                                    QStringLiteral(": ") + m_channelTag);
}

}  // namespace qt27
