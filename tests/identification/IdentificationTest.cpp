// The Identification page on the scripted host: the start (stored data or "-/-", picture,
// catalogue number, connect only in state 6), one reading with its log records, storing
// (once for the same data, not without MayEdit, never from an undecodable telegram), the
// comment's lock and its write-back at the release in every session state.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "QT27Controls/framework/Twips.h"
#include "QT27Controls/identification/Identification.h"
#include "frame/FrameWindow.h"
#include "frame/StationPanel.h"
#include "host/CommunicationService.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"
#include "rmox/ButtonControl/ButtonControl.h"
#include "rmox/QsData/PropertyBag.h"
#include "rmox/QsData/QsData.h"
#include "support/DebugLogCapture.h"
#include "support/PageSession.h"

namespace {

using testsupport::child;
using testsupport::runQueue;
using Kind = testsupport::FakeCommunication::Kind;

QByteArray telegram(const char* serial, QDate date = QDate(2023, 3, 4)) {
    return host::SimulatedStation::encodeProductionData({QStringLiteral("K2231-07"), QLatin1String(serial),
                                                         QStringLiteral("2.14"), QStringLiteral("1.02"),
                                                         date});
}

QByteArray storedForm(const QByteArray& data) {
    rmox::QsData decoded;
    decoded.Decode(data);
    rmox::PropertyBag object, bag;
    decoded.WriteProperties(object);
    bag.WriteObject(QStringLiteral("QsData"), object);
    return bag.Contents();
}

/// The page's five production-data fields, "|" between them.
QString fields(const QWidget* page) {
    QStringList texts;
    for (const char* name : {"txtChargeNumber", "txtSerialNumber", "txtSoftwareRevision",
                             "txtHardwareRevision", "txtLastUpdate"}) {
        texts << child<QLineEdit>(page, name)->text();
    }
    return texts.join('|');
}

/// The entries of @p log from @p start on that name one of @p names.
QString calls(const QStringList& log, qsizetype start, const QStringList& names) {
    QStringList result = log.mid(start);
    result.removeIf([&](const QString& entry) { return !names.contains(entry.section('(', 0, 0)); });
    return result.join(' ');
}

class IdentificationTest : public testing::Test {
protected:
    IdentificationTest() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    ~IdentificationTest() override { QLocale::setDefault(previousLocale); }

    /// What the data set saw since the last call.
    QString stores() {
        const qsizetype start = std::exchange(mark, session.dtm.log.size());
        return calls(session.dtm.log, start,
                     {"MayEdit", "SetStoredQsData", "NotifyDataChanged", "EndEditing"});
    }
    /// Reread on the offline page; the read is answered with @p data, then the disconnect.
    void read(const QByteArray& data) {
        page.ctlButtons_PageButton(), runQueue(), session.comm.answerConnect(), runQueue();
        session.comm.answerRead(data), runQueue(), session.comm.answerDisconnect();
    }

    const QLocale previousLocale;
    testsupport::PageSession session;
    qt27::Identification page;
    qsizetype mark = 0;
};

// Without stored data: "-/-" in the five fields, "OMVEX", the catalogue number, the texts;
// outside state 6 no connect and the reread button usable. The document key chooses the
// picture exactly; the picture stands where its size says.
TEST_F(IdentificationTest, StartsOfflineOutsideState6WithoutStoredData) {
    session.dtm.base.stateValue = 5;
    ASSERT_TRUE(session.init(page));
    runQueue();
    EXPECT_EQ(fields(&page), QStringLiteral("-/-|-/-|-/-|-/-|-/-"));
    EXPECT_EQ(child<QLineEdit>(&page, "txtManufacturer")->text() +
                  child<QLineEdit>(&page, "txtOrderNumber")->text(),
              QStringLiteral("OMVEX7310458"));
    EXPECT_EQ(child<QLabel>(&page, "lblModuleType")->text(), QStringLiteral("QT27Ex"));
    EXPECT_EQ(child<QLabel>(&page, "lblHardwareSoftware")->text(),
              session.commonText(7007) + '/' + session.commonText(7008) + ':');
    EXPECT_EQ(child<QPlainTextEdit>(&page, "txtRanges")->toPlainText(),
              session.dtm.base.resources.GetString(2004, qt27::DeviceResourceFolder()));
    EXPECT_EQ(session.comm.count(Kind::Connect), 0);
    page.buttons()->pageButton()->click();
    runQueue();
    EXPECT_EQ(session.comm.count(Kind::Connect), 1);

    const QString key = session.dtm.documentKey;
    for (const QString& documentKey :
         {key, key.toUpper(), key.toLower(), QStringLiteral("OTHER"), QString()}) {
        testsupport::PageSession other;
        other.dtm.documentKey = documentKey;
        qt27::Identification shown;
        other.init(shown);
        const auto* picture = child<QLabel>(&shown, "imgDevice");
        const int id = documentKey == key ? 601 : 609;
        EXPECT_EQ(picture->property("pictureId").toInt(), id) << documentKey.toStdString();
        const QRect place = qt27::Identification::DevicePictureRect(
            rmox::ResourceManager().GetPicture(id, qt27::CommonResourceFolder()).size());
        EXPECT_EQ(picture->geometry(), qt27::twipsRect(place.x(), place.y(), place.width(), place.height()));
    }
}

// State 6: the page connects by itself; from connect to disconnect the records in order; the
// data show (date in the short date format) and are stored; NotifyDataChanged, EndEditing.
TEST_F(IdentificationTest, OneReadingShowsAndStoresTheProductionData) {
    session.init(page);
    stores();
    testsupport::DebugLogCapture log;
    runQueue(), session.comm.answerConnect(), runQueue();
    session.comm.answerRead(telegram("QT37-012007")), runQueue(), session.comm.answerDisconnect();
    const QString read = session.comm.last(Kind::Transaction).invokeId;
    const QString disconnect = session.comm.last(Kind::Disconnect).invokeId;
    const QString response =
        testsupport::FakeCommunication::readResponse(telegram("QT37-012007"), session.comm.reference);
    EXPECT_EQ(log.linesFrom("Identification.").filter(QRegularExpression("Response|Click|CallDisconnect")),
              QStringList({"OnConnectResponse: sOnlineInvokeId: " + session.comm.last(Kind::Connect).invokeId,
                           "OnConnectResponse: communicationReference: " + session.comm.reference,
                           "cmdReread_Click: ", "OnTransactionResponse: sOnlineInvokeId: " + read,
                           "OnTransactionResponse: Parsing response " + response,
                           "OnTransactionResponse: Calling Disconnect",
                           "CallDisconnect: sOnlineInvokeId: " + disconnect,
                           "CallDisconnect: actually trying to disconnect",
                           "CallDisconnect: objBaseDtmCommunication.Disconnect returned true",
                           "OnDisconnectResponse: sOnlineInvokeId: " + disconnect,
                           "OnDisconnectResponse: invokeId: " + disconnect})
                  .replaceInStrings(QRegularExpression("^"), "Identification."));
    EXPECT_EQ(fields(&page), QStringLiteral("K2231-07|QT37-012007|2.14|1.02|04.03.23"));
    EXPECT_EQ(session.comm.last(Kind::Transaction).document,
              session.dtm.base.parameterManager.QsDataReadRequest(session.comm.reference));
    EXPECT_EQ(stores(), QStringLiteral("MayEdit SetStoredQsData NotifyDataChanged EndEditing"));
    EXPECT_EQ(session.dtm.base.parameterManager.qsData, storedForm(telegram("QT37-012007")));
    EXPECT_TRUE(!page.isOnline() && page.buttons()->pageButton()->isEnabled());
}

// Stored data show at the start; the same data read again are not written again, other data
// are; without MayEdit they show but are not stored; an undecodable telegram is reported and
// changes neither; no date shows "-/-". A stored form that cannot be read shows "-/-".
TEST_F(IdentificationTest, StoresOnlyChangedDataAndOnlyWhenItMayEdit) {
    session.dtm.base.parameterManager.qsData = storedForm(telegram("QT37-000001"));
    session.dtm.base.stateValue = 0;
    session.init(page);
    EXPECT_EQ(fields(&page), QStringLiteral("K2231-07|QT37-000001|2.14|1.02|04.03.23"));
    stores();
    const std::tuple<QByteArray, bool, const char*, const char*> rows[] = {
        {telegram("QT37-000001"), true, "", "QT37-000001|2.14|1.02|04.03.23"},
        {telegram("QT37-000002", QDate()), true, "MayEdit SetStoredQsData NotifyDataChanged EndEditing",
         "QT37-000002|2.14|1.02|-/-"},
        {telegram("QT37-000003"), false, "MayEdit", "QT37-000003|2.14|1.02|04.03.23"},
        {telegram("QT37-000004").left(20), true, "", "QT37-000003|2.14|1.02|04.03.23"},
    };
    for (const auto& [data, mayEdit, stored, shown] : rows) {
        session.dtm.base.mayEdit = mayEdit;
        read(data);
        EXPECT_EQ(stores(), QLatin1String(stored));
        EXPECT_EQ(fields(&page), "K2231-07|" + QLatin1String(shown));
    }
    EXPECT_EQ(session.dtm.base.parameterManager.qsData, storedForm(telegram("QT37-000002", QDate())));
    ASSERT_EQ(session.dtm.base.events.errors.size(), 1);
    EXPECT_EQ(session.dtm.base.events.errors[0].second,
              QStringLiteral("Production data: the telegram has 20 bytes, 33 expected"));
    EXPECT_EQ(session.comm.count(Kind::Disconnect), 4);

    testsupport::PageSession damaged;
    damaged.dtm.base.parameterManager.qsData = storedForm(telegram("QT37-000001")).chopped(2);
    qt27::Identification other;
    damaged.init(other);
    EXPECT_EQ(fields(&other), QStringLiteral("-/-|-/-|-/-|-/-|-/-"));
}

// The comment follows the data-set lock; an unlock by "COMPATIBILITY" changes nothing;
// without MayEdit at the start it is locked.
TEST_F(IdentificationTest, TheCommentFollowsTheDataSetLock) {
    session.dtm.module.comment = QStringLiteral("Boiler");
    session.init(page);
    auto* comment = child<QPlainTextEdit>(&page, "txtComment");
    EXPECT_EQ(comment->toPlainText(), QStringLiteral("Boiler"));
    const auto state = [&] {
        const bool grey =
            comment->palette().color(QPalette::Base) != QApplication::palette().color(QPalette::Base);
        return QString(comment->isReadOnly() ? "locked" : "open") + (grey ? " grey " : " white ") +
               page.buttons()->StatusText();
    };
    const QString by = session.commonText(6001) + " other";
    // The event (L lock, U unlock, C unlock by COMPATIBILITY, H lock held by this DTM), the state after it.
    const std::pair<char, QString> steps[] = {{'0', "open white "},       {'L', "locked grey " + by},
                                              {'C', "locked grey " + by}, {'H', "open white " + by},
                                              {'C', "open white " + by},  {'U', "locked grey "}};
    page.buttons()->clearOperationLog();
    for (const auto& [event, expected] : steps) {
        session.dtm.base.holdsLock = event == 'H';
        event == 'L' || event == 'H' ? emit session.dtm.base.LockDataSet(QStringLiteral("other"))
        : event == 'U'               ? emit session.dtm.base.UnlockDataSet(QStringLiteral("other"))
        : event == 'C'               ? emit session.dtm.base.UnlockDataSet(QStringLiteral("COMPATIBILITY"))
                                     : void();
        EXPECT_EQ(state(), expected) << event;
    }
    EXPECT_EQ(page.buttons()->OperationLog().filter(QRegularExpression("^(Enable|Disable)Ok")).join(' '),
              QStringLiteral("DisableOk() EnableOk() DisableOk()"));

    testsupport::PageSession readOnly;
    readOnly.dtm.base.mayEdit = false;
    qt27::Identification other;
    readOnly.init(other);
    EXPECT_TRUE(child<QPlainTextEdit>(&other, "txtComment")->isReadOnly());
}

// The comment is written back at the release only when the user changed it and it differs
// from the stored one, before EndEditing; the release follows in every state of the session.
TEST_F(IdentificationTest, TheCommentIsWrittenBackAtTheReleaseWhenEdited) {
    // State at the release, the edit ("=" none, "~" changed and back, "!x" the text x and the
    // stored comment changed meanwhile to x, "?x" only the stored comment changed to x; else
    // the new text), and what the data set sees from the release on.
    const QString written = QStringLiteral("NotifyDataChanged EndEditing UiReleased(INV-1)");
    const std::tuple<QByteArray, QString, QString> rows[] = {
        {"offline", "=", "EndEditing UiReleased(INV-1)"},
        {"offline", "~", "EndEditing UiReleased(INV-1)"},
        {"offline", "!new", "EndEditing UiReleased(INV-1)"},
        {"offline", "?other", "EndEditing UiReleased(INV-1)"},
        {"offline", "Old", "SetComment(Old) " + written},
        {"connecting", "new", "SetComment(new) " + written},
        {"busy", "new", "SetComment(new) " + written},
        {"online", "new", "SetComment(new) " + written},
        {"disconnecting", "", "SetComment() " + written},
    };
    for (const auto& [state, edit, expected] : rows) {
        SCOPED_TRACE(state.toStdString() + " " + edit.toStdString());
        testsupport::PageSession run;
        auto& comm = run.comm;
        run.dtm.module.comment = QStringLiteral("old");
        run.dtm.base.stateValue = state == "offline" ? 0 : 6;
        qt27::Identification released;
        run.init(released);
        runQueue();
        state == "busy" || state == "online" || state == "disconnecting" ? comm.answerConnect(),
            runQueue()                                                   : void();
        state == "online" ? comm.answerReadUnreadable(), runQueue() : void();
        state == "disconnecting" ? comm.answerRead(telegram("S")), runQueue(), runQueue() : void();
        auto* text = child<QPlainTextEdit>(&released, "txtComment");
        if (edit == "~") {
            text->setPlainText(QStringLiteral("changed")), text->setPlainText(QStringLiteral("old"));
        } else if (edit.startsWith('!') || edit.startsWith('?')) {
            run.dtm.module.comment = edit.mid(1);
            edit.startsWith('!') ? text->setPlainText(edit.mid(1)) : void();
        } else if (edit != "=") {
            text->setPlainText(edit);
        }
        const qsizetype start = run.dtm.log.size();
        EXPECT_TRUE(released.IDtmActiveXControl_PrepareToRelease());
        runQueue();
        for (int answer = 0; answer < 3 && !released.isReleased(); ++answer) {
            state == "connecting" ? comm.answerConnect() : comm.answerReadWithoutParts();
            runQueue(), runQueue(), comm.answerDisconnect(), runQueue();
        }
        EXPECT_EQ(calls(run.dtm.log, start, {"SetComment", "NotifyDataChanged", "EndEditing", "UiReleased"}),
                  expected);
        EXPECT_TRUE(released.IDtmActiveXControl_PrepareToRelease());
        EXPECT_EQ(run.dtm.base.uiReleasedCount, 1);
        EXPECT_EQ(run.dtm.calls("SetComment").size(), expected.count("SetComment"));
    }
}

// In the frame on the simulated station: the data read at the start are in the project file;
// reopened offline (the station panel's online switch off) after the serial number changed
// at the station, the stored data show until reread; a comment typed survives a reload.
TEST(IdentificationInFrameTest, ProductionDataAndCommentLiveInTheProjectFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("station.xml"));
    host::Station station;
    ASSERT_TRUE(station.open(path));
    host::SimulatedStation simulation(station.busAddress());
    frame::addToSimulation(simulation, 3, QStringLiteral("37"));
    host::CommunicationService service(&simulation);
    service.setLatency(2);
    frame::FrameWindow window(station, simulation, service, frame::PageRegistry::withLibraryPages());
    window.selectSlot(3);
    qt27::Identification* page = nullptr;
    QMdiSubWindow* sub = nullptr;
    const auto open = [&] {
        sub = window.openPage(3, QStringLiteral("Identification"));
        page = qobject_cast<qt27::Identification*>(sub->widget());
    };
    const auto shows = [&](const QString& serial) {
        return QTest::qWaitFor(
            [&] { return !page->isOnline() && fields(page).section('|', 1, 1) == serial; });
    };
    const auto closeAndLoad = [&] {
        sub->close();
        EXPECT_TRUE(QTest::qWaitFor([&] { return window.openPages().isEmpty(); }));
        return *host::StationProject::load(path).module(3);
    };
    const auto storedSerial = [](const host::ModuleRecord& module) {
        rmox::PropertyBag bag;
        bag.SetContents(module.qsData);
        return bag.ReadObject(QStringLiteral("QsData"))
            .ReadProperty(QStringLiteral("SerialNumber"))
            .toString();
    };
    const QString first = simulation.productionData(3).serialNumber;
    open();
    ASSERT_TRUE(shows(first));
    EXPECT_EQ(storedSerial(closeAndLoad()), first);

    window.findChild<QCheckBox*>(QStringLiteral("chkDtmOnline"))->setChecked(false);
    window.findChild<QLineEdit*>(QStringLiteral("txtStationSerialNumber"))
        ->setText(QStringLiteral("QT37-999999"));
    open();
    QTest::qWait(50);
    EXPECT_TRUE(shows(first) && !page->isConnecting());
    page->buttons()->pageButton()->click();
    ASSERT_TRUE(shows(QStringLiteral("QT37-999999")));
    child<QPlainTextEdit>(page, "txtComment")->setPlainText(QStringLiteral("Checked after the repair"));
    const host::ModuleRecord stored = closeAndLoad();
    EXPECT_EQ(storedSerial(stored) + ' ' + stored.comment,
              QStringLiteral("QT37-999999 Checked after the repair"));
    EXPECT_EQ(stored.stateValue, 0);
    ASSERT_TRUE(station.reloadFromDisk());
    open();
    EXPECT_EQ(child<QPlainTextEdit>(page, "txtComment")->toPlainText(),
              QStringLiteral("Checked after the repair"));
    EXPECT_TRUE(window.errors().isEmpty()) << window.errors().join('\n').toStdString();
}

}  // namespace
