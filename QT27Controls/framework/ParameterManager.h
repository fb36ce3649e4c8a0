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
    /// A parameter manager with the QObject @p parent (Qt ownership).
    using QObject::QObject;

    // Data set.
    /// The data set document for @p tag ("FDT") and the host DTM's document key.
    virtual QString RequestDocument(const QString& tag, const QString& documentKey) = 0;
    /// Fills @p parameters with one byte per channel and one more.
    virtual bool ReadParameters(QByteArray& parameters) = 0;
    /// Hands over the parameter bytes to store (one per channel and one more);
    /// CommitParameters() stores them.
    virtual bool WriteParameters(const QByteArray& parameters) = 0;
    /// Stores what WriteParameters handed over.
    virtual bool CommitParameters() = 0;
    /// The module's comment (shown and edited on Identification).
    virtual QString Comment() = 0;
    /// Replaces the module's comment.
    virtual void SetComment(const QString& comment) = 0;
    /// The stored production data; empty when none is stored.
    virtual QByteArray StoredQsData() = 0;
    /// Replaces the stored production data (the property-bag form Identification
    /// builds from the telegram).
    virtual void SetStoredQsData(const QByteArray& data) = 0;

    // Request builder: the request documents the online pages send; the slot, index
    // and length addressing of the module is the parameter manager's alone.
    /// The connect request document (the pages pass true: with the bus address).
    virtual QString ConnectRequest(bool withBusAddress) = 0;
    /// Reads the input values (Observation's read cycle) over the connection
    /// @p communicationReference.
    virtual QString ValuesReadRequest(const QString& communicationReference) = 0;
    /// Reads the output values (Simulation's read cycle).
    virtual QString OutputValuesReadRequest(const QString& communicationReference) = 0;
    /// Writes the force telegram @p forceTelegram (Simulation's forcing protocol).
    virtual QString OutputValuesWriteRequest(const QString& communicationReference,
                                             const QByteArray& forceTelegram) = 0;
    /// Enables forcing on the module for a while (Simulation renews it periodically).
    virtual QString ForcingEnableRequest(const QString& communicationReference) = 0;
    /// Reads the diagnosis telegram (Diagnosis).
    virtual QString DiagnosisReadRequest(const QString& communicationReference) = 0;
    /// Reads the production data telegram (Identification).
    virtual QString QsDataReadRequest(const QString& communicationReference) = 0;
    /// The tag text sent with every error report.
    virtual QString SystemTag() = 0;

signals:
    /// The data set changed outside the page; Parameter reads its values again.
    void ParameterChanged();
};

}  // namespace qt27
