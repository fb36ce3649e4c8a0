#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <functional>

#include "QT27Controls/communication/OnlinePage.h"

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QTextEdit;

namespace qt27 {

/// The Diagnosis page: connects to the module after Init, reads its diagnosis
/// telegram once, shows the module-related and the channel-related diagnosis and a
/// state picture per terminal, and disconnects again; the reread button repeats the
/// reading (one-shot session, see OnlinePage).
///
/// One reading: reread -> CallConnect -> OnConnectResponse -> ReadDiag ->
/// OnTransactionResponse -> ParseModuleDiagnosis -> CallDisconnect ->
/// OnDisconnectResponse -> offline, the diagnosis stays on screen until the next one.
///
/// ParseModuleDiagnosis decodes the telegram with DecodeModuleDiagnosis (which lists
/// the decoding's own choices) and renders the result: the module text, the channel
/// text with its headings in bold (a syntax error in bold red instead), the pictures
/// of terminal boxes 0 to 3. A telegram equal to the last one shown completely is not
/// drawn again. When online it then queues CallDisconnect.
///
/// Choices made for the user:
/// - a read request the service refuses, and an answer without data, end like a
///   reading: the page disconnects, and the end of the disconnect ends the operation
///   (EndOperation, RefreshButtons), so the module is not left connected and the
///   reread button is free again once the page is offline (the refused read is the
///   session's, see OnlinePage.h; the answer without data is this page's, after its
///   error report "No data read");
/// - an unreadable answer ends the operation and leaves the page online, as the
///   session does on the one-shot pages: reread then reads again at once.
class Diagnosis : public OnlinePage {
    Q_OBJECT

public:
    /// Creates the page offline; Init connects and reads the diagnosis once.
    explicit Diagnosis(QWidget* parent = nullptr);

    /// The page's design size; its elements keep their design positions.
    QSize sizeHint() const override;

    /// Sends the diagnosis read request; run by the call queue, the argument is ignored.
    Q_INVOKABLE void ReadDiag(const QVariant& vArguments);

    /// Shows @p telegram (unless it equals the last one shown completely) and, when
    /// online, queues CallDisconnect.
    void ParseModuleDiagnosis(QByteArray& telegram);

    // The two text areas; each operation writes a debug-log record first.
    /// Empties the module diagnosis area.
    void ClearModuleDiagnosisText();
    /// Appends @p text to the module diagnosis area.
    void AddModuleDiagnosisText(const QString& text);
    /// Empties the channel diagnosis area.
    void ClearChannelDiagnosisText();
    /// Appends @p text to the channel diagnosis area.
    void AddChannelDiagnosisText(const QString& text);
    /// What the module diagnosis area holds, line breaks as CR LF.
    QString ModuleDiagnosisText() const { return m_sModuleText; }
    /// What the channel diagnosis area holds, line breaks as CR LF.
    QString ChannelDiagnosisText() const { return m_sChannelText; }

protected:
    void configureChildControls() override;
    void readAllValues() override;
    int helpContextId() const override { return 21200; }
    void handleTransactionResponse(const QString& invokeID, const QString& response) override;
    void connectAnswerWithoutConnection(const QString& errorText) override;
    void connectionAborted() override;

private:
    /// Runs one page step of Init; an error is logged as "Diagnosis.Init".
    bool initStep(const std::function<void()>& step) const;
    void loadStartPictures();
    void setTerminalPicture(int index, int pictureId);
    /// Emphasis (bold) of a span of the channel text, positions as in
    /// ChannelDiagnosisText(); @p red colours it too.
    void setEmphasis(qint32 start, qint32 length, bool on, bool red = false);
    void showDiagnosis(const QByteArray& telegram);

    QGroupBox* Frame1 = nullptr;
    QLabel* lblHeader = nullptr;
    QGroupBox* fraModuleRelatedDiagnosis = nullptr;
    QPlainTextEdit* txtModuleDiagnosis = nullptr;
    QGroupBox* fraChannelRelatedDiagnosis = nullptr;
    QTextEdit* txtChannelDiagnosis = nullptr;
    QLabel* Picture1 = nullptr;
    QLabel* Picture2 = nullptr;
    QList<QLabel*> picTerminal;

    QString m_sModuleText;
    QString m_sChannelText;
    QByteArray m_abLastDiagnosis;
    bool m_blnLastDiagnosisValid = false;
    std::array<qint32, 4> m_lHeadingStart{};
    std::array<qint32, 4> m_lHeadingLength{};
};

}  // namespace qt27
