// The audit trail: the hash chain and what its check finds, two writers on one file,
// the entries the pages report at their commit points, the texts and the CSV export.

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTableWidget>

#include "AuditFixture.h"
#include "QT27Controls/communication/OnlinePage.h"
#include "QT27Controls/framework/AuditTrail.h"
#include "QT27Controls/parameter/ChannelParameter.h"
#include "QT27Controls/parameter/Parameter.h"
#include "QT27Controls/simulation/ChannelSimulation.h"
#include "QT27Controls/simulation/Simulation.h"
#include "frame/AuditDock.h"
#include "frame/PageWindows.h"

namespace {

using testsupport::FrameWithTrail;
using testsupport::TrailFile;

struct Damage {
    const char* name;
    const char* statement;  // run on a trail of three entries; empty: none
    QStringList found;      // what the check finds on reopening
};

class ChainDamage : public TrailFile, public testing::WithParamInterface<Damage> {};

// Each damage is found on reopening (the last entries removed show as a gap before the break), kept as it is,
// marked by one break entry after which the entries go on; the next reopening finds it again, marked, and
// adds no second break.
TEST_P(ChainDamage, IsFoundKeptAndMarkedOnceAndNewEntriesFollow) {
    {
        auto trail = openTrail();
        for (const char* code : {"a", "b", "c"}) {
            ASSERT_TRUE(trail->append(3, 1, code, {QString(code) + ",\"x\"", "%1 ü"}));
        }
    }
    if (QString(GetParam().statement).size() > 0) {
        tamper(GetParam().statement);
    }
    const bool damaged = !GetParam().found.isEmpty();
    auto trail = openTrail();
    EXPECT_EQ(findings(*trail).replaceInStrings("+", "").join(' '), GetParam().found.join(' '));
    EXPECT_EQ(trail->warnings().isEmpty(), !damaged) << trail->warnings().join('\n').toStdString();
    ASSERT_TRUE(trail->append(3, 2, "d", {}));
    const QStringList afterFirst = codes(*trail);
    EXPECT_EQ(afterFirst.count(qt27::AuditCode::TrailBreak), damaged ? 1 : 0);
    EXPECT_EQ(afterFirst.mid(afterFirst.size() - (damaged ? 2 : 1)),
              damaged ? QStringList({qt27::AuditCode::TrailBreak, "d"}) : QStringList({"d"}));
    trail.reset();
    auto again = openTrail();
    EXPECT_EQ(codes(*again), afterFirst);
    for (const QString& finding : findings(*again)) {
        EXPECT_TRUE(finding.endsWith("+")) << finding.toStdString();
    }
    if (!damaged) {  // the stored entry comes back as it was given
        const host::AuditTrail::Entry first = again->entries().last();
        EXPECT_EQ(first.arguments, QStringList({"a,\"x\"", "%1 ü"}));
        EXPECT_EQ(first.user, host::AuditTrail::systemUserName());
        EXPECT_EQ(QStringList({first.station, QString::number(first.slot), QString::number(first.channel)}),
                  QStringList({"Plant A", "3", "1"}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChainDamage,
    testing::Values(
        Damage{"None", "", {}},
        Damage{"ChangedValue", "UPDATE entries SET arguments = '[\"z\"]' WHERE seq = 2", {"changed:2-2"}},
        Damage{"ChangedAndRehashed",
               "UPDATE entries SET hash = 'ab' WHERE seq = 2",
               {"changed:2-2", "broken:3-3"}},
        Damage{"RemovedInside", "DELETE FROM entries WHERE seq = 2", {"removed:2-2"}},
        Damage{"RemovedLast", "DELETE FROM entries WHERE seq >= 2", {"removed:2-3"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A file that is no trail (not SQLite, SQLite of something else, damaged) is left as it is;
// the entries go to a trail beside it, which later openings find and continue.
TEST_F(TrailFile, FileThatIsNoTrailIsKeptAndTheEntriesGoBesideIt) {
    for (const char* kind : {"text", "database", "damaged"}) {
        QFile::remove(path);
        QFile::remove(path + ".1");
        if (QString(kind) == "text") {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("station,slot\n3,4\n");
        } else if (QString(kind) == "database") {
            tamper("CREATE TABLE other (x INTEGER)");
        } else {  // a trail whose pages were overwritten behind the SQLite header
            openTrail()->append(1, 1, "x", {});
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(100));
            file.write(QByteArray(static_cast<int>(file.size()) - 100, 'x'));
        }
        QFile original(path);
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        const QByteArray before = original.readAll();
        original.close();
        for (int opening = 0; opening < 2; ++opening) {
            auto trail = openTrail();
            EXPECT_EQ(trail->path(), path + ".1") << kind;
            EXPECT_TRUE(trail->warnings().value(0).contains("It is kept as it is")) << kind;
            EXPECT_TRUE(trail->append(0, 0, "x", {}));
            EXPECT_EQ(codes(*trail).size(), opening + 1);
        }
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        EXPECT_EQ(original.readAll(), before) << kind;
    }
}

// Two frames on one project: whoever writes reads the last hash in its own transaction.
TEST_F(TrailFile, TwoWritersOnOneFileKeepOneUnbrokenChain) {
    auto first = openTrail();
    auto second = openTrail();
    for (int round = 0; round < 40; ++round) {
        ASSERT_TRUE((round % 3 == 0 ? second : first)->append(round % 5, 0, "w", {QString::number(round)}));
    }
    auto check = openTrail();
    EXPECT_EQ(check->entries().size(), 40);
    EXPECT_TRUE(check->verify().isEmpty());
    host::AuditTrail::Filter filter;
    filter.slot = 2;
    EXPECT_EQ(check->entries(filter).size(), 8);
    EXPECT_EQ(check->entries(filter).first().arguments, QStringList({"37"}));  // newest first
}

// What the pages report at their commit points, read back from the station's trail.
struct PageAction {
    const char* name;
    /// Does what the user does; answers the entries expected ("code channel arguments...").
    std::function<QStringList(FrameWithTrail&, host::Station&, frame::FrameWindow&)> act;
};

class PageReports : public FrameWithTrail, public testing::WithParamInterface<PageAction> {
public:
    QStringList recorded() const {
        QStringList result;
        for (const auto& entry : station.auditTrail()->entries()) {
            result.prepend(
                (QStringList{entry.code, QString::number(entry.channel)} + entry.arguments).join(' '));
        }
        return result;
    }
};

constexpr int kSlot = 3;

QString fingerprint(const QByteArray& data) {
    return data.isEmpty() ? "-" : QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex().left(16);
}

TEST_P(PageReports, AreInTheTrailWhenTheChangeIsDone) {
    const QStringList expected = GetParam().act(*this, station, *window);
    EXPECT_EQ(recorded(), expected);
    EXPECT_TRUE(window->errors().filter("Audit trail").isEmpty())
        << window->errors().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageReports,
    testing::Values(
        PageAction{"ParameterApply",
                   [](FrameWithTrail&, host::Station&, frame::FrameWindow& window) {
                       auto* page =
                           qobject_cast<qt27::Parameter*>(frame::pageIn(window.openPage(kSlot, "Parameter")));
                       auto* damping = page->channelParameter(1)->findChild<QComboBox*>("cboDamping");
                       auto* range = page->channelParameter(3)->findChild<QComboBox*>("cboRange");
                       const QStringList dampings = {damping->itemText(damping->currentIndex()),
                                                     damping->itemText((damping->currentIndex() + 1) % 4)};
                       const QString oldRange = range->currentText();
                       damping->setCurrentIndex((damping->currentIndex() + 1) % 4);
                       range->setCurrentIndex((range->currentIndex() + 1) % 4);
                       const QString newRange = range->currentText();
                       page->ctlButtons_Apply();
                       return QStringList{"parameter.changed 2 damping " + dampings.join(' '),
                                          "parameter.changed 4 range " + oldRange + " " + newRange};
                   }},
        PageAction{"IdentificationCommentAndProductionData",
                   [](FrameWithTrail& test, host::Station& station, frame::FrameWindow& window) {
                       const QString oldComment = station.moduleRecord(kSlot)->comment;
                       const QByteArray oldData = station.moduleRecord(kSlot)->qsData;
                       QPointer<QMdiSubWindow> sub = window.openPage(kSlot, "Identification");
                       auto* page = qobject_cast<qt27::OnlinePage*>(frame::pageIn(sub));
                       test.waitFor([&] { return station.moduleRecord(kSlot)->qsData != oldData; });
                       page->findChild<QPlainTextEdit*>("txtComment")->setPlainText("checked, ok");
                       sub->close();
                       test.waitFor([&] { return sub.isNull(); });
                       return QStringList{"session.connected 0 Identification",
                                          "qsdata.stored 0 " + fingerprint(oldData) + " " +
                                              fingerprint(station.moduleRecord(kSlot)->qsData),
                                          "comment.changed 0 " + oldComment + " checked, ok",
                                          "session.disconnected 0 Identification user"};
                   }},
        PageAction{"LockTakenTakenOverReleased",
                   [](FrameWithTrail&, host::Station& station, frame::FrameWindow&) {
                       host::BaseDtm* base = station.dtmForSlot(kSlot)->baseDtm();
                       base->lockDataSetAs("operator");
                       base->lockDataSetAs("engineer");  // refused: operator holds it
                       base->takeOverLockAs("engineer");
                       base->unlockDataSetAs(host::BaseDtm::kCompatibilityUser);  // changes nothing
                       base->unlockDataSetAs("engineer");
                       return QStringList{"lock.taken 0 operator", "lock.takenOver 0 operator engineer",
                                          "lock.released 0 engineer"};
                   }},
        PageAction{"SimulationForcingOnOffAndPageClosed",
                   [](FrameWithTrail& test, host::Station&, frame::FrameWindow& window) {
                       QPointer<QMdiSubWindow> sub = window.openPage(kSlot, "Simulation");
                       auto* page = qobject_cast<qt27::Simulation*>(frame::pageIn(sub));
                       test.waitFor([&] { return page->isOnline(); });
                       const auto box = [&](int index) {
                           return page->channelSimulation(index)->findChild<QCheckBox*>(
                               "chkForcingActivated");
                       };
                       box(1)->click();
                       const QString shown = page->channelSimulation(1)->ForceValueText();
                       box(1)->click();
                       box(0)->click();
                       const QString first = page->channelSimulation(0)->ForceValueText();
                       sub->close();
                       test.waitFor([&] { return sub.isNull(); });
                       return QStringList{"session.connected 0 Simulation",
                                          "forcing.on 2 " + shown,
                                          "forcing.off 2 user",
                                          "forcing.on 1 " + first,
                                          "forcing.off 1 pageClosed",
                                          "session.disconnected 0 Simulation user"};
                   }},
        PageAction{"SimulationForcedThroughAnAbort",
                   [](FrameWithTrail& test, host::Station&, frame::FrameWindow& window) {
                       auto* page = qobject_cast<qt27::Simulation*>(
                           frame::pageIn(window.openPage(kSlot, "Simulation")));
                       test.waitFor([&] { return page->isOnline(); });
                       page->channelSimulation(2)->findChild<QCheckBox*>("chkForcingActivated")->click();
                       const QString shown = page->channelSimulation(2)->ForceValueText();
                       test.service.abortConnections();
                       test.waitFor([&] { return !page->isOnline(); });
                       page->ctlButtons_PageButton();  // the user connects again
                       test.waitFor([&] { return page->isOnline(); });
                       return QStringList{"session.connected 0 Simulation",
                                          "forcing.on 3 " + shown,
                                          "session.disconnected 0 Simulation connectionLost",
                                          "forcing.off 3 connectionLost",
                                          "session.connected 0 Simulation",
                                          "forcing.on 3 " + shown};
                   }},
        PageAction{"ObservationConnectAndAbort",
                   [](FrameWithTrail& test, host::Station&, frame::FrameWindow& window) {
                       auto* page = qobject_cast<qt27::OnlinePage*>(
                           frame::pageIn(window.openPage(kSlot, "Observation")));
                       test.waitFor([&] { return page->isOnline(); });
                       test.service.abortConnections();
                       test.waitFor([&] { return !page->isOnline(); });
                       return QStringList{"session.connected 0 Observation",
                                          "session.disconnected 0 Observation connectionLost"};
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

// A trail that cannot be written does not stop the change; the error panel says why.
TEST_F(FrameWithTrail, ChangeGoesAheadWhenTheTrailCannotBeWritten) {
    station.auditTrail()->close();
    auto* page = qobject_cast<qt27::Parameter*>(frame::pageIn(window->openPage(kSlot, "Parameter")));
    const QByteArray before = station.moduleRecord(kSlot)->parameters;
    auto* damping = page->channelParameter(0)->findChild<QComboBox*>("cboDamping");
    damping->setCurrentIndex((damping->currentIndex() + 1) % 4);
    page->ctlButtons_Apply();
    EXPECT_NE(station.moduleRecord(kSlot)->parameters, before);
    EXPECT_FALSE(page->isDirty());
    EXPECT_EQ(window->errors().filter("parameter.changed could not be stored").size(), 1)
        << window->errors().join('\n').toStdString();
}

// The audit window's channel filter shows the chosen channel's entries only.
TEST_F(FrameWithTrail, AuditWindowFiltersByChannel) {
    auto* page = qobject_cast<qt27::Parameter*>(frame::pageIn(window->openPage(kSlot, "Parameter")));
    auto* damping = page->channelParameter(0)->findChild<QComboBox*>("cboDamping");
    damping->setCurrentIndex((damping->currentIndex() + 1) % 4);
    page->ctlButtons_Apply();
    auto* channel = window->findChild<QComboBox*>("cboAuditChannel");
    auto* table = window->findChild<QTableWidget*>("tblAuditTrail");
    for (int number = 1; number <= 2; ++number) {
        ASSERT_GE(channel->findData(number), 0) << number;
        channel->setCurrentIndex(channel->findData(number));
        EXPECT_EQ(table->rowCount(), number == 1 ? 1 : 0) << number;
    }
}

// What the check finds when the project is opened shows in the error panel and the audit window.
TEST_F(FrameWithTrail, FindingsOnOpeningShowInTheErrorPanelAndTheAuditWindow) {
    station.auditTrail()->close();
    QFile file(host::AuditTrail::pathBeside(station.projectPath()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("no trail") == 8);
    file.close();
    ASSERT_TRUE(station.open(station.projectPath()));
    EXPECT_EQ(window->errors().filter("not an audit trail file").size(), 1);
    EXPECT_TRUE(window->findChild<QLabel*>("lblAuditWarnings")->text().contains("not an audit trail file"));
}

// Texts in the frame's language, a % in a value never taken for a place holder; the
// CSV quotes what needs it and an unwritable path leaves nothing behind.
TEST_F(TrailFile, EntriesAreShownTranslatedAndExportedAsCsv) {
    host::AuditTrail::Entry entry;
    entry.code = qt27::AuditCode::ParameterChanged;
    entry.arguments = QStringList{"openLine", "on", "off"};
    EXPECT_EQ(frame::auditEntryText(entry, "de"), "Drahtbrucherkennung geändert von „ein“ auf „aus“");
    entry.code = qt27::AuditCode::Disconnected;
    entry.arguments = QStringList{"Observation", "connectionLost"};
    EXPECT_EQ(frame::auditEntryText(entry, "de"), "Beobachtung: getrennt (Verbindung verloren)");
    entry.code = qt27::AuditCode::Connected;
    entry.arguments = QStringList{"LoopCheckSession"};
    EXPECT_EQ(frame::auditEntryText(entry, "en"), "Loop check: connected");
    entry.code = qt27::AuditCode::LoopCheckDone;
    entry.arguments = QStringList{"failed", "3", "5", "0.25"};
    EXPECT_EQ(frame::auditEntryText(entry, "de"),
              "Schleifenprüfung nicht bestanden: 3 von 5 Punkten innerhalb 0,25 % der Spanne");
    entry.code = qt27::AuditCode::CommentChanged;
    entry.arguments = QStringList{"50 %1", "on, \"x\""};
    EXPECT_EQ(frame::auditEntryText(entry, "en"), "Comment changed from \"50 %1\" to \"on, \"x\"\"");
    QString error;
    ASSERT_TRUE(frame::exportAuditCsv({entry}, "en", dir.filePath("out.csv"), &error));
    QFile csv(dir.filePath("out.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().split('\n').value(1).split(',').mid(6).join(','),
              "comment.changed,\"50 %1|on, \"\"x\"\"\",\"Comment changed from \"\"50 %1\"\" to \"\"on, "
              "\"\"x\"\"\"\"\"");
    EXPECT_FALSE(frame::exportAuditCsv({entry}, "en", dir.filePath("missing/out.csv"), &error));
    EXPECT_FALSE(QFile::exists(dir.filePath("missing")));
}

}  // namespace
