#include "Identification.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPalette>
#include <QPlainTextEdit>
#include <cmath>

#include "QT27Controls/common/ErrorHandling.h"
#include "QT27Controls/framework/AuditTrail.h"
#include "QT27Controls/framework/ParameterManager.h"
#include "QT27Controls/framework/Twips.h"
#include "rmox/Communication/ResponseReader.h"
#include "rmox/QsData/PropertyBag.h"
#include "rmox/QsData/QsData.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace qt27 {

namespace {

/// What the audit trail keeps of a stored production-data form.
QString fingerprint(const QByteArray& form) {
    if (form.isEmpty()) {
        return QStringLiteral("-");
    }
    return QString::fromLatin1(QCryptographicHash::hash(form, QCryptographicHash::Sha256).toHex().left(16));
}

// Common texts of the page.
constexpr int kTextManufacturer = 7001;
constexpr int kTextChargeNumber = 7002;
constexpr int kTextOrderNumber = 7003;
constexpr int kTextDescription = 7004;
constexpr int kTextChannels = 7005;
constexpr int kTextRanges = 7006;
constexpr int kTextHardware = 7007;
constexpr int kTextSoftware = 7008;
constexpr int kTextDevice = 7009;
constexpr int kTextTransducer = 7010;
// Device texts of the description.
constexpr int kTextDeviceDescription = 2002;
constexpr int kTextDeviceChannels = 2003;
constexpr int kTextDeviceRanges = 2004;
// The two device pictures (common folder).
constexpr int kPicture601 = 601;
constexpr int kPicture609 = 609;

const QString kUnknown = QStringLiteral("-/-");
const QString kQsDataKey = QStringLiteral("QsData");

// Design positions, in twips.
constexpr int kPageWidth = 9000;
constexpr int kPageHeight = 7320;
constexpr int kFrameLeft = 120;
constexpr int kFrameWidth = 5760;
constexpr int kLabelLeft = 120;
constexpr int kLabelWidth = 1920;
constexpr int kBoxLeft = 2100;
constexpr int kBoxWidth = 3540;
constexpr int kLineHeight = 315;
// The device picture: this high, centred in an area this wide that starts here.
constexpr int kPictureTop = 840;
constexpr int kPictureHeight = 3915;
constexpr int kPictureAreaLeft = 6000;
constexpr int kPictureAreaWidth = 2745;

// The device variants: first word of the module type name -> catalogue number.
const std::pair<const char*, const char*> kVariants[] = {
    {"QT27Ex", "7310458"}, {"QT27-N", "7310462"}, {"QT271Ex", "400093215"}, {"QT271-N", "400093216"}};

QGroupBox* makeFrame(const char* name, const char* caption, const QRect& geometry, QWidget* parent) {
    auto* frame = new QGroupBox(QLatin1String(caption), parent);
    frame->setObjectName(QLatin1String(name));
    frame->setGeometry(geometry);
    return frame;
}

QLabel* makeLabel(const char* name, const char* caption, const QRect& geometry, QWidget* parent) {
    auto* label = new QLabel(QLatin1String(caption), parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

QLineEdit* makeBox(const char* name, const QString& text, const QRect& geometry, QWidget* parent) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setReadOnly(true);
    return box;
}

QPlainTextEdit* makeTextArea(const char* name, const QRect& geometry, QWidget* parent) {
    auto* area = new QPlainTextEdit(parent);
    area->setObjectName(QLatin1String(name));
    area->setGeometry(geometry);
    area->setReadOnly(true);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return area;
}

// A row of a frame: the label at the left, the box beside it.
QRect labelAt(int top, int height = kLineHeight) {
    return twipsRect(kLabelLeft, top, kLabelWidth, height);
}
QRect boxAt(int top, int height = kLineHeight) {
    return twipsRect(kBoxLeft, top, kBoxWidth, height);
}

}  // namespace

const QString Identification::kPicture601DocumentKey = QStringLiteral("2F6D9B04-1A83-4C5e-9E27-C45B80D16F3A");

Identification::Identification(QWidget* parent)
    : OnlinePage(SessionVariant::Identification, ButtonBar | DataSetLockEvents, parent) {
    Frame1 = makeFrame("Frame1", "", twipsRect(120, 60, 8760, 660), this);
    lblModuleType = makeLabel("lblModuleType", "QT27", twipsRect(180, 150, 8400, 390), Frame1);
    QFont bold = lblModuleType->font();
    bold.setBold(true);
    lblModuleType->setFont(bold);

    fraDevice = makeFrame("fraDevice", "Device", twipsRect(kFrameLeft, 840, kFrameWidth, 1500), this);
    lblManufacturer = makeLabel("lblManufacturer", "Manufacturer:", labelAt(330), fraDevice);
    txtManufacturer = makeBox("txtManufacturer", QStringLiteral("OMVEX"), boxAt(300), fraDevice);
    lblOrderNumber = makeLabel("lblOrderNumber", "Order Number:", labelAt(720), fraDevice);
    txtOrderNumber = makeBox("txtOrderNumber", QString(), boxAt(690), fraDevice);
    lblChargeCode = makeLabel("lblChargeCode", "Charge number:", labelAt(1110), fraDevice);
    txtChargeNumber =
        makeBox("txtChargeNumber", kUnknown, twipsRect(kBoxLeft, 1080, 1440, kLineHeight), fraDevice);
    Label11 = makeLabel("Label11", "-", twipsRect(3570, 1110, 180, kLineHeight), fraDevice);
    Label11->setAlignment(Qt::AlignCenter);
    txtSerialNumber =
        makeBox("txtSerialNumber", kUnknown, twipsRect(3780, 1080, 1860, kLineHeight), fraDevice);

    fraDescriptions =
        makeFrame("fraDescriptions", "Transducer", twipsRect(kFrameLeft, 2400, kFrameWidth, 2190), this);
    lblDescription = makeLabel("lblDescription", "Description:", labelAt(330), fraDescriptions);
    txtDescription = makeTextArea("txtDescription", boxAt(300, 660), fraDescriptions);
    lblChannels = makeLabel("lblChannels", "Channels:", labelAt(1050), fraDescriptions);
    txtChannels = makeBox("txtChannels", QString(), boxAt(1020), fraDescriptions);
    lblRanges = makeLabel("lblRanges", "Ranges:", labelAt(1440), fraDescriptions);
    txtRanges = makeTextArea("txtRanges", boxAt(1410, 660), fraDescriptions);

    RevisionFrame =
        makeFrame("RevisionFrame", "Revision Levels", twipsRect(kFrameLeft, 4680, kFrameWidth, 1110), this);
    lblHardwareSoftware =
        makeLabel("lblHardwareSoftware", "Hardware / Software:", labelAt(330), RevisionFrame);
    txtHardwareRevision =
        makeBox("txtHardwareRevision", kUnknown, twipsRect(kBoxLeft, 300, 1440, kLineHeight), RevisionFrame);
    Label13 = makeLabel("Label13", "/", twipsRect(3570, 330, 180, kLineHeight), RevisionFrame);
    Label13->setAlignment(Qt::AlignCenter);
    txtSoftwareRevision =
        makeBox("txtSoftwareRevision", kUnknown, twipsRect(3780, 300, 1860, kLineHeight), RevisionFrame);
    Label1 = makeLabel("Label1", "Last update:", labelAt(720), RevisionFrame);
    txtLastUpdate =
        makeBox("txtLastUpdate", kUnknown, twipsRect(kBoxLeft, 690, 1440, kLineHeight), RevisionFrame);

    imgDevice = makeLabel("imgDevice", "",
                          twipsRect(kPictureAreaLeft, kPictureTop, kPictureAreaWidth, kPictureHeight), this);
    imgDevice->setScaledContents(true);

    txtComment = new QPlainTextEdit(this);
    txtComment->setObjectName(QStringLiteral("txtComment"));
    txtComment->setGeometry(twipsRect(120, 5880, 8760, 720));
    txtComment->setAutoFillBackground(true);
    resize(sizeHint());
}

QSize Identification::sizeHint() const {
    return {twipsToPixels(kPageWidth), twipsToPixels(kPageHeight)};
}

bool Identification::initStep(const std::function<void()>& step) const {
    return LogAndContinue(className() + QStringLiteral(".Init"), step);
}

// ---------------------------------------------------------------------------------
// Device variants and the picture

QString Identification::GetFirstWord(const QString& text) {
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    return blank < 0 ? text : text.left(blank);
}

QString Identification::CatalogueNumber(const QString& moduleTypeName) {
    const QString word = GetFirstWord(moduleTypeName);
    for (const auto& [key, number] : kVariants) {
        if (word == QLatin1String(key)) {
            return QLatin1String(number);
        }
    }
    return QStringLiteral("???");
}

QRect Identification::DevicePictureRect(const QSize& picturePixels) {
    if (picturePixels.isEmpty()) {
        return {kPictureAreaLeft, kPictureTop, 0, kPictureHeight};
    }
    // Both sizes in twips; the picture keeps its proportions.
    const double width = static_cast<double>(pixelsToTwips(picturePixels.width())) * kPictureHeight /
                         pixelsToTwips(picturePixels.height());
    const long rounded = std::lround(std::nearbyint(width));
    const int left = kPictureAreaLeft + static_cast<int>((kPictureAreaWidth - rounded) / 2);
    return {left, kPictureTop, static_cast<int>(rounded), kPictureHeight};
}

// ---------------------------------------------------------------------------------
// Init

void Identification::readAllValues() {
    showStaticDescription();
}

void Identification::showStaticDescription() {
    initStep([&] { fraDevice->setTitle(commonText(kTextDevice)); });
    initStep([&] { fraDescriptions->setTitle(commonText(kTextTransducer)); });
    initStep([&] { lblModuleType->setText(moduleData().ModuleTypeName); });
    initStep([&] { lblManufacturer->setText(commonText(kTextManufacturer)); });
    initStep([&] { lblChargeCode->setText(commonText(kTextChargeNumber)); });
    initStep([&] { lblOrderNumber->setText(commonText(kTextOrderNumber)); });
    initStep([&] { lblDescription->setText(commonText(kTextDescription)); });
    initStep([&] { lblChannels->setText(commonText(kTextChannels)); });
    initStep([&] { lblRanges->setText(commonText(kTextRanges)); });
    initStep([&] {
        lblHardwareSoftware->setText(commonText(kTextHardware) + QStringLiteral("/") +
                                     commonText(kTextSoftware) + QStringLiteral(":"));
    });
    initStep([&] { showDevicePicture(); });
    initStep([&] { txtOrderNumber->setText(CatalogueNumber(moduleData().ModuleTypeName)); });
    initStep([&] { txtDescription->setPlainText(deviceText(kTextDeviceDescription)); });
    initStep([&] { txtChannels->setText(deviceText(kTextDeviceChannels)); });
    initStep([&] { txtRanges->setPlainText(deviceText(kTextDeviceRanges)); });
}

void Identification::showDevicePicture() {
    const int id = Required(hostDtm())->DocumentKey() == kPicture601DocumentKey ? kPicture601 : kPicture609;
    const QPixmap picture = Required(commonResourceManager())->GetPicture(id, commonResourceFolder());
    const QRect place = DevicePictureRect(picture.size());
    imgDevice->setProperty("pictureId", id);
    imgDevice->setPixmap(picture);
    imgDevice->setGeometry(twipsRect(place.left(), place.top(), place.width(), place.height()));
}

void Identification::afterButtonsConfigured() {
    OnlinePage::afterButtonsConfigured();
    initStep([&] { showStoredQsData(); });
    initStep([&] { txtComment->setPlainText(requestBuilder()->Comment()); });
    m_sShownComment = txtComment->toPlainText();
    initStep([&] {
        if (!Required(baseDtm())->MayEdit()) {
            lockPage();
        }
    });
    // The session cleared the status text after the button bar's set-up already.
}

void Identification::showStoredQsData() {
    const QByteArray stored = requestBuilder()->StoredQsData();
    if (stored.isEmpty()) {
        return;
    }
    rmox::PropertyBag bag;
    bag.SetContents(stored);
    rmox::QsData data;
    data.ReadProperties(bag.ReadObject(kQsDataKey));
    showQsData(data);
}

void Identification::setEditorsLocked(bool locked) {
    // System colours 11 (inactive border) and 5 (window background).
    QPalette palette = txtComment->palette();
    palette.setColor(QPalette::Base,
                     QApplication::palette().color(locked ? QPalette::Window : QPalette::Base));
    txtComment->setPalette(palette);
    txtComment->setReadOnly(locked);
}

// ---------------------------------------------------------------------------------
// Reading

void Identification::CallReadQsData(const QVariant& /*vArguments*/) {
    QString request;
    step([&] { request = requestBuilder()->QsDataReadRequest(communicationReference); });
    sendOneShotRead(request);
}

void Identification::handleTransactionResponse(const QString& invokeID, const QString& response) {
    const QString source = QStringLiteral(".OnTransactionResponse");
    log(source, QStringLiteral("sOnlineInvokeId: ") + sOnlineInvokeId);
    if (!isOwnAnswer(invokeID)) {
        log(source, QStringLiteral("Not my request, ignoring"));
        return;
    }
    sOnlineInvokeId.clear();
    rmox::ResponseReader reader;
    if (!parseResponse(reader, response)) {
        endOperation();
        refreshButtons();
        ReportError(0, reader.ErrorText(), QStringLiteral("OnTransactionResponse"));
        return;
    }
    if (reader.HasDataPart()) {
        log(source, QStringLiteral("Parsing response ") + response);
        ParseQsData(reader.Data());
    } else {
        ReportError(0, QStringLiteral("No data read"), QStringLiteral("OnTransactionResponse"));
    }
    if (!communicationReference.isEmpty()) {
        log(source, QStringLiteral("Calling Disconnect"));
        queueCall("CallDisconnect");
    }
}

bool Identification::decode(const QByteArray& telegram, rmox::QsData& data) {
    try {
        data.Decode(telegram);
        return true;
    } catch (const rmox::Error& error) {
        ReportError(error.number(), error.description(), QStringLiteral("ParseQsData"));
        return false;
    }
}

void Identification::ParseQsData(const QByteArray& telegram) {
    rmox::QsData data;
    if (!decode(telegram, data)) {
        return;
    }
    showQsData(data);
    StoreQsData(telegram);
}

void Identification::showQsData(const rmox::QsData& data) {
    txtChargeNumber->setText(data.ChargeCode);
    txtSerialNumber->setText(data.SerialNumber);
    txtSoftwareRevision->setText(data.SoftwareRevision);
    txtHardwareRevision->setText(data.HardwareRevision);
    txtLastUpdate->setText(data.DateOfLastRefresh.isValid()
                               ? QLocale().toString(data.DateOfLastRefresh, QLocale::ShortFormat)
                               : kUnknown);
}

void Identification::StoreQsData(const QByteArray& telegram) {
    rmox::QsData data;
    if (!decode(telegram, data)) {
        return;
    }
    QByteArray form;
    bool failed = !IgnoreErrors([&] {
        rmox::PropertyBag object;
        data.WriteProperties(object);
        rmox::PropertyBag bag;
        bag.WriteObject(kQsDataKey, object);
        form = bag.Contents();
    });
    if (form.isEmpty()) {
        return;  // nothing to store; the stored form stays as it is
    }
    QByteArray stored;
    failed = !IgnoreErrors([&] { stored = requestBuilder()->StoredQsData(); }) || failed;
    if (!failed && stored == form) {
        return;
    }
    IgnoreErrors([&] {
        BaseDtm* base = Required(baseDtm());
        if (!base->MayEdit()) {
            return;
        }
        IgnoreErrors([&] {
            reportChange(base, AuditCode::QsDataStored, {fingerprint(stored), fingerprint(form)});
        });
        requestBuilder()->SetStoredQsData(form);
        IgnoreErrors([&] { base->NotifyDataChanged(); });
        IgnoreErrors([&] { base->EndEditing(); });
    });
}

// ---------------------------------------------------------------------------------
// Release

bool Identification::IDtmActiveXControl_PrepareToRelease() {
    IgnoreErrors([&] { writeBackComment(); });
    IgnoreErrors([&] { Required(baseDtm())->EndEditing(); });
    return OnlinePage::IDtmActiveXControl_PrepareToRelease();
}

void Identification::writeBackComment() {
    const QString text = txtComment->toPlainText();
    if (text == m_sShownComment) {
        return;  // not edited
    }
    ParameterManager* builder = requestBuilder();
    if (builder->Comment() == text) {
        return;
    }
    IgnoreErrors([&] { reportChange(baseDtm(), AuditCode::CommentChanged, {builder->Comment(), text}); });
    builder->SetComment(text);
    m_sShownComment = text;
    Required(baseDtm())->NotifyDataChanged();
}

}  // namespace qt27
