#pragma once

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>

#include "QT27Controls/communication/OnlinePage.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace rmox {
class QsData;
}

namespace qt27 {

/// The Identification page: the static description of the device (manufacturer,
/// catalogue number, description, channels, ranges, a picture), the module's
/// production data (charge and serial number, hardware and software revision, date of
/// the last update) and a comment kept with the module in the data set.
///
/// At Init the page shows the production data stored in the data set ("-/-" when none
/// are stored) and connects only when the base DTM's state value is 6; otherwise it
/// stays offline until the user presses the reread button (one-shot session, see
/// OnlinePage). One reading: reread -> CallConnect -> OnConnectResponse ->
/// CallReadQsData -> OnTransactionResponse -> ParseQsData (shows the data, StoreQsData
/// stores them when they differ byte for byte from the stored form and MayEdit allows)
/// -> CallDisconnect -> OnDisconnectResponse -> offline with the data on screen.
///
/// The comment can be edited while the data set is unlocked (it follows LockDataSet and
/// UnlockDataSet) and is written back at the release.
///
/// Choices made for the user:
/// - an unedited comment is never written back: the release writes the comment only
///   when the user changed the text shown at Init and it differs from the stored one.
///   So a comment another page of the module stored meanwhile is not overwritten with
///   the old text, and a comment whose line ends the text box writes differently is not
///   rewritten on every release;
/// - no date of the last refresh (the module reports none) shows "-/-", like any other
///   unknown value;
/// - a stored form that cannot be read back leaves the fields at "-/-" and is replaced
///   by the next reading;
/// - a refused read request ends like a reading: the page disconnects and the end of the
///   disconnect frees the reread button (the session's rule, see OnlinePage.h); without
///   a connect at start (state value other than 6) the reread button is free at once.
class Identification : public OnlinePage {
    Q_OBJECT

public:
    /// The host DTM's document key of the devices shown with picture 601; any other key
    /// (a difference in letter case included) shows picture 609.
    static const QString kPicture601DocumentKey;

    /// Creates the page offline; Init shows the stored data and, in state 6, connects.
    explicit Identification(QWidget* parent = nullptr);

    /// The page's design size; its elements keep their design positions.
    QSize sizeHint() const override;

    bool IDtmActiveXControl_PrepareToRelease() override;

    /// Sends the production-data read request; run by the call queue, the argument is
    /// ignored.
    Q_INVOKABLE void CallReadQsData(const QVariant& vArguments);

    /// Decodes @p telegram and shows it, then StoreQsData. A telegram that cannot be
    /// decoded is reported ("ParseQsData") and changes neither the display nor the store.
    void ParseQsData(const QByteArray& telegram);
    /// Stores the production data of @p telegram when they differ from the stored form
    /// and the base DTM answers MayEdit true; then NotifyDataChanged and EndEditing.
    void StoreQsData(const QByteArray& telegram);

    /// @p text up to the first blank; the whole text when it has none.
    static QString GetFirstWord(const QString& text);
    /// The catalogue number of the device variant named by the first word of
    /// @p moduleTypeName (exact, case-sensitive); "???" for an unknown variant.
    static QString CatalogueNumber(const QString& moduleTypeName);
    /// Decodes the production data as StoreQsData keeps them (@p stored not empty) into
    /// @p data. Raises rmox::Error when @p stored is not such a record.
    static void DecodeStoredQsData(const QByteArray& stored, rmox::QsData& data);
    /// Where the device picture of @p picturePixels goes, in twips: 3915 high, the width
    /// in proportion and rounded (halves to even), centred in the 2745 twips wide area
    /// that starts at 6000 (the half of the room left over truncated toward zero).
    static QRect DevicePictureRect(const QSize& picturePixels);

protected:
    void readAllValues() override;
    void afterButtonsConfigured() override;
    void setEditorsLocked(bool locked) override;
    int helpContextId() const override { return 21300; }
    void handleTransactionResponse(const QString& invokeID, const QString& response) override;

private:
    /// Runs one page step of Init; an error is logged as "Identification.Init".
    bool initStep(const std::function<void()>& step) const;
    void showStaticDescription();
    void showDevicePicture();
    void showStoredQsData();
    void showQsData(const rmox::QsData& data);
    /// Decodes @p telegram; a failure is reported with the source "ParseQsData".
    bool decode(const QByteArray& telegram, rmox::QsData& data);
    void writeBackComment();

    QGroupBox* Frame1 = nullptr;
    QLabel* imgDevice = nullptr;
    QGroupBox* fraDevice = nullptr;
    QLabel* lblManufacturer = nullptr;
    QLineEdit* txtManufacturer = nullptr;
    QLabel* lblOrderNumber = nullptr;
    QLineEdit* txtOrderNumber = nullptr;
    QLabel* lblChargeCode = nullptr;
    QLineEdit* txtChargeNumber = nullptr;
    QLabel* Label11 = nullptr;
    QLineEdit* txtSerialNumber = nullptr;
    QGroupBox* fraDescriptions = nullptr;
    QLabel* lblDescription = nullptr;
    QPlainTextEdit* txtDescription = nullptr;
    QLabel* lblChannels = nullptr;
    QLineEdit* txtChannels = nullptr;
    QLabel* lblRanges = nullptr;
    QPlainTextEdit* txtRanges = nullptr;
    QGroupBox* RevisionFrame = nullptr;
    QLabel* lblHardwareSoftware = nullptr;
    QLineEdit* txtHardwareRevision = nullptr;
    QLabel* Label13 = nullptr;
    QLineEdit* txtSoftwareRevision = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtLastUpdate = nullptr;
    QPlainTextEdit* txtComment = nullptr;

    /// The comment as the text box showed it after Init.
    QString m_sShownComment;
};

}  // namespace qt27
