#pragma once

// Test-only online pages for the four session variants, and a harness that runs one
// of them against the fake host and the fake communication service.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>
#include <QTimer>
#include <memory>

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/communication/OnlinePage.h"
#include "QT27Controls/communication/ReadCyclePage.h"
#include "QT27Controls/framework/ParameterManager.h"
#include "rmox/ButtonControl/ButtonControl.h"
#include "rmox/Communication/CallQueue.h"
#include "rmox/Communication/ResponseReader.h"
#include "support/FakeCommunication.h"
#include "support/FakeHost.h"

namespace sessiontest {

using qt27::SessionVariant;
using Kind = testsupport::FakeCommunication::Kind;
using ConnectAnswer = testsupport::FakeCommunication::ConnectAnswer;

inline QString bit(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

/// A read-cycle page like Observation; records what it does to its channel controls.
class ObservationLikePage : public qt27::ReadCyclePage {
    Q_OBJECT
public:
    ObservationLikePage() : ReadCyclePage(SessionVariant::Observation, ButtonBar | SlotHeader) {
        resize(600, 400);
    }

    using ReadCyclePage::ReportError;
    using ReadCyclePage::timCyclic;

    QStringList channelCalls;

protected:
    void setChannelConnection(int index, bool connected) override {
        channelCalls.append(QStringLiteral("HasConnection(%1,%2)").arg(index).arg(bit(connected)));
    }
    void setChannelValue(int index, qint16 value, bool isInValid, bool isForced) override {
        channelCalls.append(QStringLiteral("SetCurrentValue(%1,%2,%3,%4)")
                                .arg(index)
                                .arg(value)
                                .arg(bit(isInValid), bit(isForced)));
    }
};

/// A read-cycle page like Simulation as far as the session goes: no id check on
/// disconnect answers, and a page button that pauses and resumes reading.
class SimulationLikePage : public qt27::ReadCyclePage {
    Q_OBJECT
public:
    SimulationLikePage() : ReadCyclePage(SessionVariant::Simulation, ButtonBar | SlotHeader) {
        resize(600, 400);
    }

    using ReadCyclePage::ReportError;
    using ReadCyclePage::timCyclic;

    bool blnReadingPaused = false;
    QStringList channelCalls;

protected:
    void setChannelConnection(int index, bool connected) override {
        channelCalls.append(QStringLiteral("HasConnection(%1,%2)").arg(index).arg(bit(connected)));
    }
    void pageButtonReaction() override {
        if (communicationReference.isEmpty()) {
            queueCall("CallConnect");
        } else if (blnReadingPaused) {
            blnReadingPaused = false;
            setPageButtonCaption(7012);
            timCyclic_Timer();
        } else {
            timCyclic->stop();
            blnReadingPaused = true;
            setPageButtonCaption(7011);
        }
    }
    void continueReadCycle() override {
        if (!communicationReference.isEmpty() && !blnReadingPaused) {
            timCyclic->start();
        }
    }
    void disconnectAnswerArrived() override { blnReadingPaused = false; }
};

/// A one-shot page like Diagnosis or Identification: reads once after each connect
/// and on its reread button, and disconnects after an answer with data.
class OneShotPage : public qt27::OnlinePage {
    Q_OBJECT
public:
    explicit OneShotPage(SessionVariant variant) : OnlinePage(variant, ButtonBar) { resize(600, 400); }

    using OnlinePage::ReportError;

    Q_INVOKABLE void ReadDiag(const QVariant& /*vArguments*/) {
        readMethodsRun.append(QStringLiteral("ReadDiag"));
        read();
    }
    Q_INVOKABLE void CallReadQsData(const QVariant& /*vArguments*/) {
        readMethodsRun.append(QStringLiteral("CallReadQsData"));
        read();
    }

    QStringList readMethodsRun;
    QList<QByteArray> telegrams;
    QStringList connectErrors;
    int aborts = 0;

protected:
    void handleTransactionResponse(const QString& invokeID, const QString& response) override {
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
        if (!reader.HasDataPart()) {
            ReportError(0, QStringLiteral("No data read"), QStringLiteral("OnTransactionResponse"));
            return;
        }
        telegrams.append(reader.Data());
        if (!communicationReference.isEmpty()) {
            queueCall("CallDisconnect");
        }
    }
    void connectAnswerWithoutConnection(const QString& errorText) override {
        connectErrors.append(errorText);
    }
    void connectionAborted() override { ++aborts; }

private:
    void read() {
        QString request;
        step([&] { request = requestBuilder()->DiagnosisReadRequest(communicationReference); });
        sendOneShotRead(request);
    }
};

/// Runs the calls queued so far (not those they queue in turn).
inline void runQueue() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

inline bool isReadCycle(SessionVariant variant) {
    return variant == SessionVariant::Observation || variant == SessionVariant::Simulation;
}

inline const char* variantName(SessionVariant variant) {
    switch (variant) {
        case SessionVariant::Observation:
            return "Observation";
        case SessionVariant::Simulation:
            return "Simulation";
        case SessionVariant::Diagnosis:
            return "Diagnosis";
        case SessionVariant::Identification:
            return "Identification";
    }
    return "?";
}

/// A 9-byte value telegram: nothing forced, four valid values.
inline QByteArray someValues() {
    return QByteArray::fromHex("000001000200030004");
}

/// One page of a variant with its host and communication service.
struct Harness {
    explicit Harness(SessionVariant variant) : variant(variant) {
        dtm.communication.append(&comm);
        switch (variant) {
            case SessionVariant::Observation:
                page = std::make_unique<ObservationLikePage>();
                break;
            case SessionVariant::Simulation:
                page = std::make_unique<SimulationLikePage>();
                break;
            case SessionVariant::Diagnosis:
            case SessionVariant::Identification:
                page = std::make_unique<OneShotPage>(variant);
                break;
        }
    }

    void init() { page->IDtmActiveXControl_Init(QStringLiteral("INV-1"), QString(), &dtm); }
    rmox::ButtonControl* bar() const { return page->buttons(); }
    QStringList barLog() const { return bar()->OperationLog(); }
    void clearBarLog() { bar()->clearOperationLog(); }
    QStringList channelCalls() const {
        if (auto* observation = dynamic_cast<ObservationLikePage*>(page.get())) {
            return observation->channelCalls;
        }
        if (auto* simulation = dynamic_cast<SimulationLikePage*>(page.get())) {
            return simulation->channelCalls;
        }
        return {};
    }
    void clearChannelCalls() {
        if (auto* observation = dynamic_cast<ObservationLikePage*>(page.get())) {
            observation->channelCalls.clear();
        }
        if (auto* simulation = dynamic_cast<SimulationLikePage*>(page.get())) {
            simulation->channelCalls.clear();
        }
    }
    QTimer* timer() const {
        auto* cycle = dynamic_cast<qt27::ReadCyclePage*>(page.get());
        return cycle != nullptr ? cycle->cycleTimer() : nullptr;
    }
    OneShotPage* oneShot() const { return dynamic_cast<OneShotPage*>(page.get()); }
    int uiReleased() const { return dtm.calls(QStringLiteral("UiReleased")).size(); }
    int closeUi() const { return dtm.calls(QStringLiteral("CloseUi")).size(); }
    QStringList errors() const {
        QStringList texts;
        for (const auto& error : dtm.base.events.errors) {
            texts.append(error.second);
        }
        return texts;
    }
    QString commonText(int id) const {
        return dtm.base.resources.GetString(id, qt27::CommonResourceFolder());
    }
    QString deviceText(int id) const {
        return dtm.base.resources.GetString(id, qt27::DeviceResourceFolder());
    }
    QString caption(int id) const {
        return QStringLiteral("SetButtonCaption(0,\"\",\"%1\")").arg(commonText(id));
    }

    // States of the session table.

    /// Offline after a refused connect.
    void reachOffline() {
        comm.refuseNext(Kind::Connect);
        init();
        runQueue();
    }
    /// The connect request is outstanding.
    void reachConnecting() {
        init();
        runQueue();
    }
    /// Online with no request outstanding; a read-cycle page has its timer running.
    void reachOnline() {
        reachConnecting();
        comm.answerConnect();
        if (isReadCycle(variant)) {
            runQueue();
            comm.answerRead(someValues());
        } else {
            // The one-shot page's read is refused: it stays online and idle.
            comm.refuseNext(Kind::Transaction);
            runQueue();
        }
    }
    /// Online with a read outstanding.
    void reachBusy() {
        reachConnecting();
        comm.answerConnect();
        runQueue();
    }
    /// Online with the disconnect outstanding.
    void reachDisconnecting() {
        reachOnline();
        rmox::CallQueue queue;
        queue.AddCall(page.get(), "CallDisconnect");
        runQueue();
    }
    /// Released while offline.
    void reachReleased() {
        reachOffline();
        page->IDtmActiveXControl_PrepareToRelease();
    }

    /// Answers every outstanding request, oldest first, and runs what the page
    /// queues in turn, until nothing is left to do.
    void serveUntilQuiet() {
        for (int round = 0; round < 50; ++round) {
            runQueue();
            if (!comm.answerOldestOutstanding()) {
                runQueue();
                if (!comm.hasOutstanding()) {
                    return;
                }
            }
        }
        ADD_FAILURE() << "the session did not come to rest";
    }

    const SessionVariant variant;
    testsupport::FakeDtm dtm;
    testsupport::FakeCommunication comm{&dtm.log};
    std::unique_ptr<qt27::OnlinePage> page;
};

}  // namespace sessiontest
