// The Identification page on the scripted host: the start (stored data or "-/-", picture,
// catalogue number, connect only in state 6), one reading with its log records, storing
// (once for the same data, not without MayEdit, never from an undecodable telegram), the
// comment's lock and its write-back at the release in every session state.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

#include "QT27Controls/identification/Identification.h"
#include "QT27Controls/framework/Twips.h"
#include "host/SimulatedStation.h"
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
    return host::SimulatedStation::encodeProductionData(
        {QStringLiteral("K2231-07"), QLatin1String(serial), QStringLiteral("2.14"), QStringLiteral("1.02"), date});
}

/// The stored form a reading of @p data leaves.
QByteArray storedForm(const QByteArray& data) {
    rmox::QsData decoded;
    decoded.Decode(data);
    rmox::PropertyBag object, bag;
    decoded.WriteProperties(object);
    bag.WriteObject(QStringLiteral("QsData"), object);
    return bag.Contents();
}

class IdentificationTest : public testing::Test {
protected:
    IdentificationTest() : previousLocale(QLocale()) { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    ~IdentificationTest() override { QLocale::setDefault(previousLocale); }

    /// The five production-data fields, separated by "|".
    QString fields() const {
        QStringList texts;
        for (const char* name :
             {"txtChargeNumber", "txtSerialNumber", "txtSoftwareRevision", "txtHardwareRevision", "txtLastUpdate"}) {
            texts << child<QLineEdit>(&page, name)->text();
        }
        return texts.join('|');
    }
    QString text(const char* name) const { return child<QLineEdit>(&page, name)->text(); }
    QPlainTextEdit* comment() const { return child<QPlainTextEdit>(&page, "txtComment"); }
    /// The host's calls to the data set since the last call, in their order.
    QString stores() {
        QStringList result = session.dtm.log.mid(mark);
        result.removeIf([](const QString& entry) {
            return !QStringList{"MayEdit", "SetStoredQsData", "SetComment", "NotifyDataChanged", "EndEditing",
                                "UiReleased"}
                        .contains(entry.section('(', 0, 0));
        });
        mark = session.dtm.log.size();
        return result.join(' ');
    }
    /// Connects (offline pages by reread) and answers the read with @p data.
    void read(const QByteArray& data) {
        if (session.comm.count(Kind::Connect) > 0 || !page.isOnline()) {
            page.ctlButtons_PageButton();
        }
        runQueue(), session.comm.answerConnect(), runQueue();
        session.comm.answerRead(data), runQueue();
        session.comm.answerDisconnect();
    }

    QLocale previousLocale;
    testsupport::PageSession session;
    qt27::Identification page;
    qsizetype mark = 0;
};

// Without stored data: "-/-" in the five fields, "OMVEX", the catalogue number, the texts;
// outside state 6 no connect and the reread button usable.
TEST_F(IdentificationTest, StartsOfflineOutsideState6WithoutStoredData) {
    session.dtm.base.stateValue = 5;
    ASSERT_TRUE(session.init(page));
    runQueue();
    EXPECT_EQ(fields(), QStringLiteral("-/-|-/-|-/-|-/-|-/-"));
    EXPECT_EQ(text("txtManufacturer") + ' ' + text("txtOrderNumber"), QStringLiteral("OMVEX 7310458"));
    EXPECT_EQ(child<QLabel>(&page, "lblModuleType")->text(), QStringLiteral("QT27Ex"));
    EXPECT_EQ(child<QLabel>(&page, "lblHardwareSoftware")->text(),
              session.commonText(7007) + '/' + session.commonText(7008) + ':');
    EXPECT_EQ(child<QPlainTextEdit>(&page, "txtRanges")->toPlainText(),
              session.dtm.base.resources.GetString(2004, qt27::DeviceResourceFolder()));
    EXPECT_EQ(session.comm.count(Kind::Connect), 0);
    EXPECT_TRUE(page.buttons()->pageButton()->isEnabled());
    page.buttons()->pageButton()->click();
    runQueue();
    EXPECT_EQ(session.comm.count(Kind::Connect), 1);
}

// The document key chooses the picture, exactly; the picture stands where its size says.
TEST_F(IdentificationTest, TheDocumentKeyChoosesTheDevicePicture) {
    const QString key = session.dtm.documentKey;
    for (const QString& documentKey : {key, key.toUpper(), key.toLower(), QStringLiteral("OTHER"), QString()}) {
        testsupport::PageSession other;
        other.dtm.documentKey = documentKey;
        qt27::Identification shown;
        other.init(shown);
        const auto* picture = child<QLabel>(&shown, "imgDevice");
        const int id = documentKey == key ? 601 : 609;
        EXPECT_EQ(picture->property("pictureId").toInt(), id) << documentKey.toStdString();
        const QSize size = rmox::ResourceManager().GetPicture(id, qt27::CommonResourceFolder()).size();
        const QRect place = qt27::Identification::DevicePictureRect(size);
        EXPECT_EQ(picture->geometry(), qt27::twipsRect(place.x(), place.y(), place.width(), place.height()));
    }
}

// State 6: the page connects by itself; from connect to disconnect the records in order; the
// data show (date in the short date format) and are stored; NotifyDataChanged, EndEditing.
TEST_F(IdentificationTest, OneReadingShowsAndStoresTheProductionData) {
    session.init(page);
    testsupport::DebugLogCapture log;
    stores();
    runQueue(), session.comm.answerConnect(), runQueue();
    session.comm.answerRead(telegram("QT37-012007")), runQueue();
    session.comm.answerDisconnect();
    const QString read = session.comm.last(Kind::Transaction).invokeId;
    const QString disconnect = session.comm.last(Kind::Disconnect).invokeId;
    const QString connect = session.comm.last(Kind::Connect).invokeId;
    const QString response = testsupport::FakeCommunication::readResponse(telegram("QT37-012007"),
                                                                          session.comm.reference);
    EXPECT_EQ(log.linesFrom("Identification.").filter(QRegularExpression("Response|Click|CallDisconnect")),
              QStringList({"Identification.OnConnectResponse: sOnlineInvokeId: " + connect,
                           "Identification.OnConnectResponse: communicationReference: " + session.comm.reference,
                           "Identification.cmdReread_Click: ",
                           "Identification.OnTransactionResponse: sOnlineInvokeId: " + read,
                           "Identification.OnTransactionResponse: Parsing response " + response,
                           "Identification.OnTransactionResponse: Calling Disconnect",
                           "Identification.CallDisconnect: sOnlineInvokeId: " + disconnect,
                           "Identification.CallDisconnect: actually trying to disconnect",
                           "Identification.CallDisconnect: objBaseDtmCommunication.Disconnect returned true",
                           "Identification.OnDisconnectResponse: sOnlineInvokeId: " + disconnect,
                           "Identification.OnDisconnectResponse: invokeId: " + disconnect}));
    EXPECT_EQ(fields(), QStringLiteral("K2231-07|QT37-012007|2.14|1.02|04.03.23"));
    EXPECT_EQ(session.comm.last(Kind::Transaction).document,
              session.dtm.base.parameterManager.QsDataReadRequest(session.comm.reference));
    EXPECT_EQ(stores(), QStringLiteral("MayEdit SetStoredQsData NotifyDataChanged EndEditing"));
    EXPECT_EQ(session.dtm.base.parameterManager.qsData, storedForm(telegram("QT37-012007")));
    EXPECT_FALSE(page.isOnline());
    EXPECT_TRUE(page.buttons()->pageButton()->isEnabled());
}

// Stored data show at the start; the same data read again are not written again, other data
// are; without MayEdit they show but are not stored; an undecodable telegram is reported and
// changes neither; no date shows "-/-".
TEST_F(IdentificationTest, StoresOnlyChangedDataAndOnlyWhenItMayEdit) {
    session.dtm.base.parameterManager.qsData = storedForm(telegram("QT37-000001"));
    session.dtm.base.stateValue = 0;
    session.init(page);
    EXPECT_EQ(fields(), QStringLiteral("K2231-07|QT37-000001|2.14|1.02|04.03.23"));
    stores();
    read(telegram("QT37-000001"));
    EXPECT_EQ(stores(), QString());
    read(telegram("QT37-000002", QDate()));
    EXPECT_EQ(stores(), QStringLiteral("MayEdit SetStoredQsData NotifyDataChanged EndEditing"));
    EXPECT_EQ(fields(), QStringLiteral("K2231-07|QT37-000002|2.14|1.02|-/-"));
    session.dtm.base.mayEdit = false;
    read(telegram("QT37-000003"));
    EXPECT_EQ(stores(), QStringLiteral("MayEdit"));
    EXPECT_EQ(fields(), QStringLiteral("K2231-07|QT37-000003|2.14|1.02|04.03.23"));
    session.dtm.base.mayEdit = true;
    read(telegram("QT37-000003").left(20));
    EXPECT_EQ(stores(), QString());
    EXPECT_EQ(fields(), QStringLiteral("K2231-07|QT37-000003|2.14|1.02|04.03.23"));
    EXPECT_EQ(session.dtm.base.parameterManager.qsData, storedForm(telegram("QT37-000002", QDate())));
    ASSERT_EQ(session.dtm.base.events.errors.size(), 1);
    EXPECT_EQ(session.dtm.base.events.errors[0].second,
              QStringLiteral("Production data: the telegram has 20 bytes, 33 expected"));
    EXPECT_EQ(session.comm.count(Kind::Disconnect), 4);
    EXPECT_FALSE(page.isOnline());
}

// A stored form that cannot be read leaves "-/-" and is replaced by the next reading.
TEST_F(IdentificationTest, AnUnreadableStoredFormShowsNothingAndIsReplaced) {
    session.dtm.base.parameterManager.qsData = storedForm(telegram("QT37-000001")).chopped(2);
    session.init(page);
    EXPECT_EQ(fields(), QStringLiteral("-/-|-/-|-/-|-/-|-/-"));
    read(telegram("QT37-000001"));
    EXPECT_EQ(session.dtm.base.parameterManager.qsData, storedForm(telegram("QT37-000001")));
}

// The comment follows the data-set lock; an unlock by "COMPATIBILITY" changes nothing;
// without MayEdit at the start it is locked.
TEST_F(IdentificationTest, TheCommentFollowsTheDataSetLock) {
    session.dtm.module.comment = QStringLiteral("Boiler");
    session.init(page);
    EXPECT_EQ(comment()->toPlainText(), QStringLiteral("Boiler"));
    const auto state = [&] {
        const bool grey = comment()->palette().color(QPalette::Base) != QApplication::palette().color(QPalette::Base);
        return QString(comment()->isReadOnly() ? "locked" : "open") + (grey ? " grey " : " white ") +
               page.buttons()->StatusText();
    };
    const QString lockedBy = session.commonText(6001) + " other";
    EXPECT_EQ(state(), QStringLiteral("open white "));
    page.buttons()->clearOperationLog();
    emit session.dtm.base.LockDataSet(QStringLiteral("other"));
    EXPECT_EQ(state(), "locked grey " + lockedBy);
    emit session.dtm.base.UnlockDataSet(QStringLiteral("COMPATIBILITY"));
    EXPECT_EQ(state(), "locked grey " + lockedBy);
    session.dtm.base.holdsLock = true;
    emit session.dtm.base.LockDataSet(QStringLiteral("other"));
    EXPECT_EQ(state(), "open white " + lockedBy);
    emit session.dtm.base.UnlockDataSet(QStringLiteral("COMPATIBILITY"));
    EXPECT_EQ(state(), "open white " + lockedBy);
    emit session.dtm.base.UnlockDataSet(QStringLiteral("other"));
    EXPECT_EQ(state(), QStringLiteral("locked grey "));
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
    const struct {
        const char *state, *edit;
        QString expected;
    } rows[] = {
        {"offline", "=", "EndEditing UiReleased(INV-1)"},
        {"offline", "~", "EndEditing UiReleased(INV-1)"},
        {"offline", "!new", "EndEditing UiReleased(INV-1)"},
        {"offline", "?other", "EndEditing UiReleased(INV-1)"},
        {"offline", "new", "SetComment(new) " + written},
        {"offline", "Old", "SetComment(Old) " + written},
        {"connecting", "new", "SetComment(new) " + written},
        {"busy", "new", "SetComment(new) " + written},
        {"online", "new", "SetComment(new) " + written},
        {"disconnecting", "", "SetComment() " + written},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.state) + " " + row.edit);
        testsupport::PageSession run;
        run.dtm.module.comment = QStringLiteral("old");
        run.dtm.base.stateValue = QByteArray(row.state) == "offline" ? 0 : 6;
        qt27::Identification released;
        run.init(released);
        auto& comm = run.comm;
        const QByteArray state(row.state);
        if (state != "offline") {
            runQueue();
        }
        if (state == "busy" || state == "online" || state == "disconnecting") {
            comm.answerConnect(), runQueue();
        }
        if (state == "online") {
            comm.answerReadUnreadable(), runQueue();
        }
        if (state == "disconnecting") {
            comm.answerRead(telegram("S")), runQueue(), runQueue();
        }
        auto* text = child<QPlainTextEdit>(&released, "txtComment");
        const QString edit = QString::fromLatin1(row.edit);
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
            runQueue(), runQueue();
            comm.answerDisconnect(), runQueue();
        }
        QStringList seen = run.dtm.log.mid(start);
        seen.removeIf([](const QString& entry) {
            return !QStringList{"SetComment", "NotifyDataChanged", "EndEditing", "UiReleased"}.contains(
                entry.section('(', 0, 0));
        });
        EXPECT_EQ(seen.join(' '), row.expected);
        EXPECT_EQ(run.dtm.base.uiReleasedCount, 1);
        EXPECT_TRUE(released.IDtmActiveXControl_PrepareToRelease());
        EXPECT_EQ(run.dtm.calls("SetComment").size(), row.expected.count("SetComment"));
    }
}

}  // namespace
