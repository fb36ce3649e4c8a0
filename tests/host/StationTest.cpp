// The station project file (strict, exact, atomic) and the station: requests, locks, a protected file.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QDateTime>
#include <QDir>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cmath>
#include <csignal>
#include <functional>

#include "QT27Controls/framework/FdtChannel.h"
#include "host/BaseDtm.h"
#include "host/ParameterManager.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"
#include "rmox/Error.h"

using host::ModuleRecord;
using host::StationProject;

namespace {

class ProjectFile : public testing::Test {
protected:
    QByteArray read() const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    bool write(const QByteArray& content) const {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
    }
    QString loadError() const {
        try {
            StationProject::load(path);
        } catch (const rmox::Error& error) {
            return error.description().contains(QDir::toNativeSeparators(path)) ? error.description()
                                                                                : "unnamed";
        }
        return "loaded";
    }
    /// Runs @p save while no file may grow beyond @p bytes: a write past that fails with
    /// "File too large" instead of raising SIGXFSZ, also for root, whom permissions do not stop.
    static bool withFileSizeLimit(rlim_t bytes, const std::function<bool()>& save) {
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit previous{};
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limit = previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        const bool saved = save();
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
        return saved;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("station.xml");
};

TEST_F(ProjectFile, RoundTripKeepsEveryValueAndResavingGivesTheSameBytes) {
    StationProject project = StationProject::builtIn();
    project.stationName = "Süd <\"&'> Halle";
    project.busAddress = 126;
    // clang-format off
    project.modules[1] = ModuleRecord{9, "abc", "  QT27-N  4AI ", "", -3, {"", "T&<2>", " x ", "\u00B5A"}, "\xFF",
                                      "  one\r\ntwo\ttab\rlone CR\n\n  end  \U0001F600", "\x01\xFE", {}, {}};
    // clang-format on
    // A passed loop check whose numbers need every digit, a failed one without a reading.
    const QDateTime time(QDate(2026, 12, 6), QTime(22, 10, 5, 123), Qt::UTC);
    const QList<host::LoopCheckPoint> failed = {{50, 50, std::nan(""), std::nan(""), "noReading"},
                                                {75, 75, 80.5, 5.5, "overrange"}};
    project.modules[1].loopChecks = {
        {1, "Jörg <night shift>", time, 0.25, 4000, "mA", {{0, 4, 4.0012345678901234, 0.0077160493827, ""}}},
        {3, "u", time, 0.5, 0, "%", failed}};
    project.modules[1].lastDiagnosis = {time, QByteArray::fromHex("001231")};
    ASSERT_TRUE(project.save(path));
    EXPECT_EQ(StationProject::load(path), project);
    StationProject fewer = project;
    fewer.modules.removeLast();
    EXPECT_NE(fewer, project) << "the check before a save that the file reads back sees every difference";
    const QByteArray first = read();
    ASSERT_TRUE(StationProject::load(path).save(path));
    EXPECT_EQ(read(), first) << "a commit changes only what changed";
}

class CorruptProjectFile : public ProjectFile,
                           public testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(CorruptProjectFile, IsRefusedWithAMessageNamingFileLineAndProblemAndLeftAlone) {
    // Content starting with "M" is the inside of module 3, from line 3 on.
    const QByteArray body = GetParam().first;
    const QByteArray content =
        body.startsWith('M') ? "<Station busAddress='12'>\n<Module slot='3' typeCode='37' typeName='Q'>\n" +
                                   body.mid(1) + "</Module></Station>"
                             : body;
    ASSERT_TRUE(write(content));
    EXPECT_TRUE(loadError().contains(GetParam().second)) << loadError().toStdString();
    EXPECT_EQ(read(), content);
}

#define LOOP_CHECK(points) \
    "<LoopCheck channel='1' user='u' time='2026-12-06T22:10:00.000Z' tolerance='0.5' settleMs='0' unit='V'>" points "</LoopCheck>"

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, CorruptProjectFile, testing::Values(
    std::pair{"  \n", "is empty"},
    std::pair{"<Station busAddress='12'>\n<Module slot='3'", "is not well-formed: Premature end of document. (line 2, column"},
    std::pair{"<Plant/>", "line 1: the root element is <Plant>, expected <Station>"},
    std::pair{"<Station busAddress='127'/>", "attribute \"busAddress\" of <Station> is 127, outside 0 to 126"},
    std::pair{"<Station busAddress='1'><Module/></Station>", "<Module> has no attribute \"slot\""},
    std::pair{"<Station busAddress='1'><Module slot='x'/></Station>", "\"slot\" of <Module> is not a whole number: \"x\""},
    std::pair{"M<Parameters byteArray='5C0G'/>", "line 3: attribute \"byteArray\" of <Parameters> is not hexadecimal"},
    std::pair{"M<Comment>x</Comment>", "line 2: the module in slot 3 has no <Parameters> element"},
    std::pair{"M<QsData byteArray=''/><QsData byteArray=''/>", "slot 3 has more than one <QsData> element"},
    std::pair{"M<Parameters byteArray=''/></Module>\n<Module slot='3' typeCode='' typeName=''><Parameters byteArray=''/>",
              "line 4: slot 3 appears twice (first at line 2)"},
    std::pair{"M<Channel number='2' tag=''/><Channel number='2' tag=''/>", "channel 2 of slot 3 appears twice"},
    std::pair{"M<Parameters byteArray=''/><Ranges/>", "unknown element <Ranges>"},
    std::pair{"M<Parameters byteArray='' length='5'/>", "<Parameters> has an unknown attribute \"length\""},
    std::pair{"M oops<Parameters byteArray=''/>", "unexpected text \"oops\""},
    std::pair{"M<Parameters byteArray=''/>" LOOP_CHECK("") LOOP_CHECK(""), "the loop check of channel 1 of slot 3 appears twice"},
    std::pair{"M<Parameters byteArray=''/><LoopCheck channel='1' user='u' time='yesterday' tolerance='0.5' settleMs='0' unit='V'/>",
              "is not a time"},
    std::pair{"M<Parameters byteArray=''/>" LOOP_CHECK("<Point percent='0' expected='0'/>"), "no attribute \"reason\""},
    std::pair{"M<Parameters byteArray=''/><Diagnosis time='2026-12-06T22:10:00Z' telegram='0G'/>", "not hexadecimal"}));
// clang-format on

TEST_F(ProjectFile, FailedWritesLeaveThePreviousFileIntactAndNameTheFile) {
    EXPECT_TRUE(loadError().contains("does not exist"));
    ASSERT_TRUE(StationProject::builtIn().save(path));
    const QByteArray before = read();
    StationProject changed = StationProject::builtIn();
    changed.modules[0].comment = QString(2000, u'x');
    QString error;
    EXPECT_FALSE(withFileSizeLimit(before.size() + 100, [&] { return changed.save(path, &error); }));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path))) << error.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"station.xml"})
        << "no temporary file left";
    changed.modules[0].channelTags[0] = "bell\x07";  // XML cannot carry it: refused before writing
    EXPECT_FALSE(changed.save(path));
    EXPECT_EQ(read(), before);
}

TEST_F(ProjectFile, FileThatIsNoProjectIsNamedNotRead) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.xml"));
    for (const auto& [file, problem] : {std::pair{QString("/dev/zero"), "is larger than 16 MiB"},
                                        std::pair{dir.filePath("folder.xml"), "is a folder"}}) {
        host::Station station;
        EXPECT_FALSE(station.open(file));
        EXPECT_TRUE(station.lastError().contains(file + "\" " + problem))
            << station.lastError().toStdString();
    }
}

TEST_F(ProjectFile, OpenRemovesOnlyOldCopiesOfAKilledSave) {
    ASSERT_TRUE(StationProject::builtIn().save(path));
    // Old, being written by a save that runs now, and two that are no such copy.
    const QStringList copies = {"station.xml.a1B2c3", "station.xml.Zz9Yy8", "station.xml.b1C2d3e",
                                "station.xml.bak"};
    for (const QString& name : copies) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(read()) > 0 && file.flush());
        const QDateTime when = QDateTime::currentDateTime().addSecs(name == copies[1] ? 0 : -3600);
        ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    }
    host::Station station;
    ASSERT_TRUE(station.open(path));
    EXPECT_FALSE(station.createdNewProject());
    EXPECT_EQ(QDir(dir.path()).entryList({"station.xml.*"}, QDir::Files, QDir::Name), copies.mid(1));
    ASSERT_TRUE(station.open(dir.filePath("new.xml")));
    EXPECT_TRUE(station.createdNewProject());
}

class StationTest : public ProjectFile {
protected:
    void SetUp() override { ASSERT_TRUE(station.open(path)) << station.lastError().toStdString(); }
    host::BaseDtm* base(int slot) { return station.dtmForSlot(slot)->baseDtm(); }
    host::ParameterManager* manager(int slot) { return base(slot)->parameterManager(); }
    ModuleRecord stored(int slot) { return *StationProject::load(path).module(slot); }
    /// Replaces the file as another program would, leaving the station's view of it stale.
    void edit(const std::function<void(StationProject&)>& change) {
        StationProject project = StationProject::load(path);
        change(project);
        ASSERT_TRUE(write(project.toXml()));
    }
    static QString last(const QSignalSpy& errors) {
        return errors.isEmpty() ? "none" : errors.last().at(1).toString();
    }
    host::Station station;
};

/// A request document taken apart: element, "attribute=value" sorted, CommunicationData bytes.
QStringList parts(const QString& document) {
    QXmlStreamReader xml(document);
    QStringList parts;
    if (xml.readNextStartElement() && xml.readNextStartElement()) {
        for (const QXmlStreamAttribute& attribute : xml.attributes()) {
            parts << attribute.name().toString() + "=" + attribute.value().toString();
        }
        parts.sort();
        parts.prepend(xml.name().toString());
        while (xml.readNextStartElement()) {
            parts << xml.attributes().value("byteArray").toString();
            xml.skipCurrentElement();
        }
    }
    return parts;
}

TEST_F(StationTest, OpenWritesTheBuiltInStationWhoseModulesBuildTheRequests) {
    EXPECT_EQ(StationProject::load(path), StationProject::builtIn());
    EXPECT_THROW(station.dtmForSlot(3)->Channels()->Item(5), rmox::Error);
    EXPECT_THROW(manager(3)->RequestDocument("XYZ", QString()), rmox::Error);
    host::ParameterManager& m = *manager(7);
    const QString r = "C2 \"<&>\"", ref = "communicationReference=" + r;
    // clang-format off
    EXPECT_EQ(parts(m.OutputValuesReadRequest(r)), QStringList({"ReadRequest", ref, "index=17", "length=8", "slot=7"}));
    EXPECT_EQ(parts(m.DiagnosisReadRequest(r)), QStringList({"ReadRequest", ref, "index=18", "slot=7"}));
    EXPECT_EQ(parts(m.QsDataReadRequest(r)), QStringList({"ReadRequest", ref, "index=19", "slot=7"}));
    EXPECT_EQ(parts(m.OutputValuesWriteRequest(r, QByteArray::fromHex("0180000aff"))),
              QStringList({"WriteRequest", ref, "index=20", "slot=7", "0180000AFF"}));
    EXPECT_EQ(parts(m.ForcingEnableRequest(r)), QStringList({"WriteRequest", ref, "index=21", "slot=7", "01"}));
    EXPECT_EQ(parts(m.ConnectRequest(false)), QStringList({"ConnectRequest", "api=0", "slot=7"}));
    // clang-format on
    EXPECT_EQ(m.SystemTag(), "QT27 slot 07 LI-401");
    QByteArray read;
    EXPECT_TRUE(m.ReadParameters(read));
    EXPECT_EQ(read, station.moduleRecord(7)->parameters);
}

TEST_F(StationTest, ChangesAreWrittenAtOnceOnlyWhereTheyChangedAndAFailureKeepsThem) {
    const QByteArray before = read();
    const QByteArray old = station.moduleRecord(5)->parameters, changed = QByteArray::fromHex("5C5C5C5C01");
    QSignalSpy changes(manager(5), &qt27::ParameterManager::ParameterChanged);
    ASSERT_TRUE(manager(5)->WriteParameters(changed));
    EXPECT_EQ(read(), before) << "WriteParameters only stages";
    EXPECT_TRUE(manager(5)->CommitParameters());
    EXPECT_EQ(read(), QByteArray(before).replace(old.toHex().toUpper(), changed.toHex().toUpper()));
    EXPECT_TRUE(manager(5)->WriteParameters(changed) && manager(5)->CommitParameters());
    EXPECT_EQ(changes.count(), 1) << "the same bytes again: nobody to tell";
    manager(4)->SetComment("first line\r\nsecond\x01 line");
    manager(4)->SetStoredQsData(QByteArray::fromHex("A1B2C3"));
    EXPECT_EQ(stored(4).comment + stored(4).qsData.toHex(), "first line\r\nsecond linea1b2c3");

    QSignalSpy errors(base(3), &host::BaseDtm::errorMessage);
    const QByteArray written = read();
    ASSERT_TRUE(manager(3)->WriteParameters(QByteArray::fromHex("0102030405")));
    EXPECT_FALSE(withFileSizeLimit(written.size() / 2, [&] { return manager(3)->CommitParameters(); }));
    EXPECT_EQ(read(), written);
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors.at(0).at(0).toString(), manager(3)->SystemTag());
    EXPECT_TRUE(last(errors).contains(QDir::toNativeSeparators(path))) << last(errors).toStdString();
    EXPECT_TRUE(station.hasUnsavedChanges() && station.save() && !station.hasUnsavedChanges());
    EXPECT_EQ(stored(3).parameters, QByteArray::fromHex("0102030405"));
}

TEST_F(StationTest, DataSetLockDecidesWhoMayEditAndChangesOfOthersAreRefused) {
    host::BaseDtm* dtm = base(3);
    QSignalSpy locks(dtm, &qt27::BaseDtm::LockDataSet);
    QSignalSpy unlocks(dtm, &qt27::BaseDtm::UnlockDataSet);
    EXPECT_TRUE(dtm->MayEdit() && !dtm->HoldsLock() && !dtm->lockDataSetAs(QString()));
    EXPECT_TRUE(dtm->lockDataSetAs("engineer") && dtm->HoldsLock() && dtm->MayEdit());
    EXPECT_FALSE(dtm->lockDataSetAs("operator") || dtm->unlockDataSetAs("operator"));
    EXPECT_TRUE(dtm->unlockDataSetAs("engineer") && !dtm->HoldsLock() && !dtm->unlockDataSetAs("engineer"));
    EXPECT_TRUE(dtm->lockDataSetAs("operator") && dtm->unlockDataSetAs("COMPATIBILITY"));
    EXPECT_FALSE(dtm->HoldsLock() || dtm->MayEdit()) << "the compatibility unlock leaves the lock";
    EXPECT_TRUE(base(4)->MayEdit()) << "each module has its own lock";
    EXPECT_EQ(locks.count() + unlocks.count(), 4);
    const QByteArray before = read();
    QSignalSpy errors(dtm, &host::BaseDtm::errorMessage);
    manager(3)->WriteParameters(QByteArray::fromHex("FFFFFFFF00"));
    EXPECT_FALSE(manager(3)->CommitParameters());
    manager(3)->SetComment("not mine");
    manager(3)->SetStoredQsData(manager(3)->StoredQsData());  // unchanged: nothing to refuse
    EXPECT_EQ(read(), before);
    EXPECT_EQ(errors.count(), 2);
    EXPECT_TRUE(last(errors).contains("locked by operator")) << last(errors).toStdString();
    station.setUserName("operator");
    manager(3)->SetComment("mine now");
    EXPECT_EQ(stored(3).comment, "mine now");
}

TEST_F(StationTest, ReloadTellsOnlyTheModulesWhoseDataChangedAndFollowsModulesComingAndGoing) {
    QSignalSpy manager3(manager(3), &qt27::ParameterManager::ParameterChanged);
    QSignalSpy base3(base(3), &qt27::BaseDtm::ParameterChanged);
    QSignalSpy manager4(manager(4), &qt27::ParameterManager::ParameterChanged);
    QSignalSpy modulesChanged(&station, &host::Station::modulesChanged);
    const QPointer<host::QT27Dtm> leaving = station.dtmForSlot(7);
    edit([](StationProject& project) {
        project.module(3)->parameters = QByteArray::fromHex("0000000000");
        project.module(4)->channelTags[2] = "NEW-TAG";
        project.modules.removeIf([](const ModuleRecord& module) { return module.slot == 7; });
    });
    ASSERT_TRUE(station.reloadFromDisk());
    EXPECT_EQ(QList<qsizetype>({manager3.count(), base3.count(), manager4.count(), modulesChanged.count()}),
              QList<qsizetype>({1, 1, 1, 1}));
    EXPECT_EQ(station.dtmForSlot(7), nullptr);
    ASSERT_FALSE(leaving.isNull())
        << "a page still open on the vanished module keeps its data but cannot store";
    QSignalSpy errors(leaving->baseDtm(), &host::BaseDtm::errorMessage);
    leaving->baseDtm()->parameterManager()->SetComment("lost?");
    EXPECT_EQ(leaving->baseDtm()->parameterManager()->Comment(), "Tank farm levels");
    EXPECT_TRUE(last(errors).contains("no longer in the station project")) << last(errors).toStdString();
    manager(5)->SetComment("after reload");
    EXPECT_EQ(stored(5).comment, "after reload");
}

TEST_F(StationTest, FileThatCannotBeReadOrWasChangedElsewhereIsNeverOverwritten) {
    edit([](StationProject& project) { project.stationName = "edited elsewhere"; });
    const QByteArray edited = read();
    QSignalSpy errors(base(3), &host::BaseDtm::errorMessage);
    manager(3)->SetComment("local change");
    EXPECT_EQ(read(), edited);
    EXPECT_TRUE(last(errors).contains("changed by someone else")) << last(errors).toStdString();
    EXPECT_EQ(manager(3)->Comment(), "local change");
    const QByteArray broken = "<Station busAddress='12'><Module slot='3'";
    ASSERT_TRUE(write(broken));
    QSignalSpy projectErrors(&station, &host::Station::projectError);
    EXPECT_FALSE(station.reloadFromDisk() || station.save());
    EXPECT_EQ(projectErrors.count(), 2);
    EXPECT_EQ(manager(3)->Comment(), "local change");
    EXPECT_EQ(read(), broken);
    ASSERT_TRUE(StationProject::builtIn().save(path) && station.reloadFromDisk());
    manager(3)->SetComment("written again");
    EXPECT_EQ(stored(3).comment, "written again");
}

}  // namespace
