#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace qt27 {

/// The DTM's parameter manager: the module's data set and the request builder of
/// the online pages. The pages never build or read a request document themselves.
class ParameterManager : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Data set.
    /// The data set document for @p tag ("FDT") and the host DTM's document key.
    virtual QString RequestDocument(const QString& tag, const QString& documentKey) = 0;
    /// Fills @p parameters with one byte per channel and one more.
    virtual bool ReadParameters(QByteArray& parameters) = 0;
    virtual bool WriteParameters(const QByteArray& parameters) = 0;
    /// Stores what WriteParameters handed over.
    virtual bool CommitParameters() = 0;
    virtual QString Comment() = 0;
    virtual void SetComment(const QString& comment) = 0;
    /// The stored production data; empty when none is stored.
    virtual QByteArray StoredQsData() = 0;
    virtual void SetStoredQsData(const QByteArray& data) = 0;

    // Request builder.
    virtual QString ConnectRequest(bool withBusAddress) = 0;
    virtual QString ValuesReadRequest(const QString& communicationReference) = 0;
    virtual QString OutputValuesReadRequest(const QString& communicationReference) = 0;
    virtual QString OutputValuesWriteRequest(const QString& communicationReference,
                                             const QByteArray& forceTelegram) = 0;
    virtual QString ForcingEnableRequest(const QString& communicationReference) = 0;
    virtual QString DiagnosisReadRequest(const QString& communicationReference) = 0;
    virtual QString QsDataReadRequest(const QString& communicationReference) = 0;
    /// The tag text sent with every error report.
    virtual QString SystemTag() = 0;

signals:
    void ParameterChanged();
};

}  // namespace qt27
