#include "Diagnosis.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>

#include "QT27Controls/common/ErrorHandling.h"
#include "QT27Controls/diagnosis/DiagnosisTelegram.h"
#include "QT27Controls/framework/ParameterManager.h"
#include "QT27Controls/framework/Twips.h"
#include "rmox/Communication/ResponseReader.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace qt27 {

namespace {

constexpr int kTerminalBoxes = 8;
// Texts of the page (common folder).
constexpr int kTextHeader = 6011;
constexpr int kTextModuleFrame = 6101;
constexpr int kTextChannelFrame = 6102;
// The two terminal drawings (device folder): the QT27 variants and the "271" variants.
constexpr int kPictureTerminals = 131;
constexpr int kPictureTerminals271 = 132;

// Design positions, in twips.
constexpr int kPageWidth = 9000;
constexpr int kPageHeight = 6240;
constexpr int kTextFrameWidth = 5700;
constexpr int kDrawingLeft = 6060;
constexpr int kDrawingTop = 1020;
// Terminal box i lies over terminal i + 1 of the drawing: 64 and 40 + 26 i pixels
// from its top left corner, 24 pixels square.
constexpr int kBoxLeft = kDrawingLeft + 64 * kTwipsPerPixel;
constexpr int kBoxTop = kDrawingTop + 40 * kTwipsPerPixel;
constexpr int kBoxPitch = 26 * kTwipsPerPixel;
constexpr int kBoxSize = 24 * kTwipsPerPixel;

const QString kCrLf = QStringLiteral("\r\n");

QString shownText(const QString& text) {
    return QString(text).replace(kCrLf, QStringLiteral("\n"));
}

// A position in the text with CR LF line breaks, in the text box that shows one
// character per line break.
int shownPosition(const QString& text, qint32 position) {
    const qsizetype bounded = qBound(qsizetype(0), qsizetype(position), text.size());
    return static_cast<int>(bounded - text.left(bounded).count(kCrLf));
}

QGroupBox* makeFrame(const QString& name, const QString& caption, const QRect& geometry, QWidget* parent) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    frame->setGeometry(geometry);
    return frame;
}

QLabel* makePicture(const QString& name, const QRect& geometry, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace

Diagnosis::Diagnosis(QWidget* parent) : OnlinePage(SessionVariant::Diagnosis, ButtonBar, parent) {
    Frame1 = makeFrame(QStringLiteral("Frame1"), QString(), twipsRect(120, 60, 8760, 660), this);
    lblHeader = new QLabel(QStringLiteral("Diagnosis"), Frame1);
    lblHeader->setObjectName(QStringLiteral("lblHeader"));
    lblHeader->setGeometry(twipsRect(180, 150, 8400, 390));
    QFont bold = lblHeader->font();
    bold.setBold(true);
    lblHeader->setFont(bold);

    fraModuleRelatedDiagnosis =
        makeFrame(QStringLiteral("fraModuleRelatedDiagnosis"), QStringLiteral("Module Related Diagnosis"),
                  twipsRect(120, 840, kTextFrameWidth, 1140), this);
    txtModuleDiagnosis = new QPlainTextEdit(fraModuleRelatedDiagnosis);
    txtModuleDiagnosis->setObjectName(QStringLiteral("txtModuleDiagnosis"));
    txtModuleDiagnosis->setGeometry(twipsRect(120, 330, kTextFrameWidth - 240, 690));
    txtModuleDiagnosis->setReadOnly(true);

    fraChannelRelatedDiagnosis =
        makeFrame(QStringLiteral("fraChannelRelatedDiagnosis"), QStringLiteral("Channel Related Diagnosis"),
                  twipsRect(120, 2100, kTextFrameWidth, 3360), this);
    txtChannelDiagnosis = new QTextEdit(fraChannelRelatedDiagnosis);
    txtChannelDiagnosis->setObjectName(QStringLiteral("txtChannelDiagnosis"));
    txtChannelDiagnosis->setGeometry(twipsRect(120, 330, kTextFrameWidth - 240, 2910));
    txtChannelDiagnosis->setReadOnly(true);
    txtChannelDiagnosis->setTabStopDistance(twipsToPixels(360));

    // The drawings belong to the page; the terminal boxes lie over them.
    const QRect drawing = twipsRect(kDrawingLeft, kDrawingTop, 180 * kTwipsPerPixel, 260 * kTwipsPerPixel);
    Picture1 = makePicture(QStringLiteral("Picture1"), drawing, this);
    Picture2 = makePicture(QStringLiteral("Picture2"), drawing, this);
    const rmox::ResourceManager pictures;
    IgnoreErrors(
        [&] { Picture1->setPixmap(pictures.GetPicture(kPictureTerminals, deviceResourceFolder())); });
    IgnoreErrors(
        [&] { Picture2->setPixmap(pictures.GetPicture(kPictureTerminals271, deviceResourceFolder())); });
    Picture2->hide();
    for (int index = 0; index < kTerminalBoxes; ++index) {
        QLabel* box = makePicture(QStringLiteral("picTerminal"),
                                  twipsRect(kBoxLeft, kBoxTop + index * kBoxPitch, kBoxSize, kBoxSize), this);
        box->setProperty("index", index);
        picTerminal.append(box);
    }
    resize(sizeHint());
}

QSize Diagnosis::sizeHint() const {
    return {twipsToPixels(kPageWidth), twipsToPixels(kPageHeight)};
}

bool Diagnosis::initStep(const std::function<void()>& step) const {
    return LogAndContinue(className() + QStringLiteral(".Init"), step);
}

// ---------------------------------------------------------------------------------
// Init

void Diagnosis::configureChildControls() {
    initStep([&] { fraModuleRelatedDiagnosis->setTitle(commonText(kTextModuleFrame)); });
    initStep([&] { fraChannelRelatedDiagnosis->setTitle(commonText(kTextChannelFrame)); });
    loadStartPictures();
}

void Diagnosis::loadStartPictures() {
    long lastNumber = 0;
    QString lastDescription;
    for (int index = 0; index < kTerminalBoxes; ++index) {
        try {
            setTerminalPicture(index, kTerminalOkPicture + index);
        } catch (const rmox::Error& error) {
            lastNumber = error.number();
            lastDescription = error.description();
        }
    }
    if (lastNumber > 0) {
        log(QStringLiteral(".IDtmActiveXControl_Init"),
            QStringLiteral("ERROR when loading Terminal Pictures: %1, %2")
                .arg(lastNumber)
                .arg(lastDescription));
    }
}

void Diagnosis::readAllValues() {
    const rmox::ModuleData& module = moduleData();
    initStep([&] {
        lblHeader->setText(commonText(kTextHeader) + ' ' +
                           QStringLiteral("%1").arg(module.SlotNumber, 2, 10, QLatin1Char('0')) +
                           QStringLiteral(": ") + module.ModuleTypeName);
    });
    const bool variant271 = module.ModuleTypeName.contains(QLatin1String("271"));
    Picture1->setVisible(!variant271);
    Picture2->setVisible(variant271);
}

void Diagnosis::setTerminalPicture(int index, int pictureId) {
    picTerminal.at(index)->setPixmap(
        Required(commonResourceManager())->GetPicture(pictureId, commonResourceFolder()));
}

// ---------------------------------------------------------------------------------
// Reading

void Diagnosis::ReadDiag(const QVariant& /*vArguments*/) {
    log(QStringLiteral(".ReadDiag"), QString());
    QString request;
    step([&] { request = requestBuilder()->DiagnosisReadRequest(communicationReference); });
    sendOneShotRead(request);
}

void Diagnosis::handleTransactionResponse(const QString& invokeID, const QString& response) {
    log(QStringLiteral(".OnTransactionResponse"), QStringLiteral("sOnlineInvokeId: ") + sOnlineInvokeId);
    if (!isOwnAnswer(invokeID)) {
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
        QByteArray telegram = reader.Data();
        ParseModuleDiagnosis(telegram);
        return;
    }
    ReportError(0, QStringLiteral("No data read"), QStringLiteral("OnTransactionResponse"));
    // Nothing more is coming on this connection: the page disconnects as after a reading.
    if (!communicationReference.isEmpty()) {
        log(QStringLiteral(".OnTransactionResponse"), QStringLiteral("Calling Disconnect"));
        queueCall("CallDisconnect");
    }
}

void Diagnosis::connectAnswerWithoutConnection(const QString& errorText) {
    m_abLastDiagnosis = QByteArray(1, '\0');
    ClearChannelDiagnosisText();
    ClearModuleDiagnosisText();
    AddModuleDiagnosisText(errorText);
    m_blnLastDiagnosisValid = false;
}

void Diagnosis::connectionAborted() {
    m_blnLastDiagnosisValid = false;
}

// ---------------------------------------------------------------------------------
// Display

void Diagnosis::ParseModuleDiagnosis(QByteArray& telegram) {
    log(QStringLiteral(".ParseModuleDiagnosis"), QString());
    if (!(m_blnLastDiagnosisValid && ByteArraysEqual(m_abLastDiagnosis, telegram))) {
        showDiagnosis(telegram);
    }
    if (!communicationReference.isEmpty()) {
        log(QStringLiteral(".ParseModuleDiagnosis"), QStringLiteral("Calling Disconnect"));
        queueCall("CallDisconnect");
    }
}

void Diagnosis::showDiagnosis(const QByteArray& telegram) {
    const ModuleDiagnosis shown = DecodeModuleDiagnosis(telegram, [this](int id, DiagnosisTextFolder folder) {
        return Required(commonResourceManager())
            ->GetString(id, folder == DiagnosisTextFolder::Common ? commonResourceFolder() : QString());
    });
    ClearModuleDiagnosisText();
    for (const QString& line : shown.moduleLines) {
        AddModuleDiagnosisText(line);
    }
    ClearChannelDiagnosisText();
    for (const QString& line : shown.channelLines) {
        AddChannelDiagnosisText(line);
    }
    bool failed = shown.failed;
    long failureNumber = shown.failureNumber;
    QString failure = shown.failureDescription;
    for (int index = 0; index < kDiagnosisChannels; ++index) {
        if (shown.headingStart[index] >= 0) {
            m_lHeadingStart[index] = shown.headingStart[index];
            m_lHeadingLength[index] = shown.headingLength[index];
        }
    }
    // The pictures the decoding reached; a picture that cannot be shown stops here.
    for (int index = 0; index < kDiagnosisChannels; ++index) {
        try {
            if (shown.pictures[index] != 0) {
                setTerminalPicture(index, shown.pictures[index]);
            }
        } catch (const rmox::Error& error) {
            if (!failed) {
                failed = true;
                failureNumber = error.number();
                failure = error.description();
            }
            break;
        }
    }
    if (shown.syntaxError != DiagnosisSyntaxError::None) {
        setEmphasis(shown.syntaxErrorStart,
                    static_cast<qint32>(m_sChannelText.size()) - shown.syntaxErrorStart, true, true);
    } else if (!failed) {
        setEmphasis(0, static_cast<qint32>(m_sChannelText.size()), false);
        for (int index = 0; index < kDiagnosisChannels; ++index) {
            setEmphasis(m_lHeadingStart[index], m_lHeadingLength[index], true);
        }
        m_abLastDiagnosis = telegram;
        m_blnLastDiagnosisValid = true;
    }
    if (failed) {
        ReportError(failureNumber, failure, QStringLiteral("ParseModuleDiagnosis"));
    }
}

void Diagnosis::setEmphasis(qint32 start, qint32 length, bool on, bool red) {
    QTextCursor cursor(txtChannelDiagnosis->document());
    cursor.setPosition(shownPosition(m_sChannelText, start));
    cursor.setPosition(shownPosition(m_sChannelText, start + length), QTextCursor::KeepAnchor);
    QTextCharFormat format;
    format.setFontWeight(on ? QFont::Bold : QFont::Normal);
    if (red) {
        format.setForeground(QColor(255, 0, 0));
    }
    cursor.mergeCharFormat(format);
}

void Diagnosis::ClearModuleDiagnosisText() {
    log(QStringLiteral(".ClearModuleDiagnosisText"), QString());
    m_sModuleText.clear();
    txtModuleDiagnosis->clear();
}

void Diagnosis::AddModuleDiagnosisText(const QString& text) {
    log(QStringLiteral(".AddModuleDiagnosisText"), text);
    m_sModuleText += text + kCrLf;
    txtModuleDiagnosis->setPlainText(shownText(m_sModuleText));
}

void Diagnosis::ClearChannelDiagnosisText() {
    log(QStringLiteral(".ClearChannelDiagnosisText"), QString());
    m_sChannelText.clear();
    txtChannelDiagnosis->clear();
}

void Diagnosis::AddChannelDiagnosisText(const QString& text) {
    log(QStringLiteral(".AddChannelDiagnosisText"), text);
    m_sChannelText += text + kCrLf;
    QTextCursor cursor(txtChannelDiagnosis->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(shownText(text + kCrLf), QTextCharFormat());
}

}  // namespace qt27
