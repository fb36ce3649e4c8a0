#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include "HostTestSupport.h"
#include "ScopedEnv.h"
#include "host/StationProject.h"
#include "rmox/Error.h"

using host::ModuleRecord;
using host::StationProject;
using hosttest::readFile;
using hosttest::writeFile;

namespace {

QString loadError(const QString& path) {
    try {
        StationProject::load(path);
    } catch (const rmox::Error& error) {
        return error.description();
    }
    return QString();
}

// A project with the values that are easy to lose on the way through XML.
StationProject awkwardProject() {
    StationProject project = StationProject::builtIn();
    project.stationName = QStringLiteral("Süd <\"&'> Halle");
    project.busAddress = 126;
    ModuleRecord& module = project.modules[1];
    module.typeCode = QStringLiteral("abc");
    module.typeName = QStringLiteral("  QT27-N  4AI ");
    module.documentKey.clear();
    module.stateValue = -3;
    module.channelTags = {QString(), QStringLiteral("T&<2>"), QStringLiteral(" x "),
                          QStringLiteral("\u00B5A")};
    module.parameters = QByteArray::fromHex("FF");
    module.comment = QStringLiteral("  line one\r\nline two\ttab\rlone CR\n\n  end  \U0001F600");
    module.qsData = QByteArray::fromHex("000102FEFF");
    return project;
}

}  // namespace

TEST(StationProject, RoundTripKeepsEveryValue) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("station.xml"));
    const StationProject project = awkwardProject();

    QString error;
    ASSERT_TRUE(project.save(path, &error)) << error.toStdString();
    const StationProject loaded = StationProject::load(path);
    EXPECT_EQ(loaded, project);
    EXPECT_EQ(loaded.modules[1].comment, project.modules[1].comment);

    // Saving what was loaded gives the same bytes, so a commit changes only what changed.
    const QByteArray first = readFile(path);
    ASSERT_TRUE(loaded.save(path));
    EXPECT_EQ(readFile(path), first);
}

TEST(StationProject, MissingChannelsAndOptionalElementsReadAsEmpty) {
    const QByteArray xml =
        "<Station busAddress=\"5\"><Module slot=\"9\" typeCode=\"37\" typeName=\"QT27Ex\">"
        "<Channel number=\"3\" tag=\"TI-3\"/><Parameters byteArray=\"\"/></Module></Station>";
    const StationProject project = StationProject::fromXml(xml, QStringLiteral("p.xml"));
    ASSERT_EQ(project.modules.size(), 1);
    const ModuleRecord& module = project.modules[0];
    EXPECT_EQ(module.channelTags, QStringList({QString(), QString(), QStringLiteral("TI-3"), QString()}));
    EXPECT_EQ(module.stateValue, 6);
    EXPECT_TRUE(module.parameters.isEmpty());
    EXPECT_TRUE(module.comment.isEmpty());
    EXPECT_TRUE(module.qsData.isEmpty());
}

struct CorruptCase {
    const char* name;
    QByteArray content;
    QStringList expected;  // fragments of the message besides the file name
};

class CorruptProjectFile : public testing::TestWithParam<CorruptCase> {};

TEST_P(CorruptProjectFile, IsRefusedWithMessageNamingFileAndProblemAndLeftUnchanged) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("broken station.xml"));
    ASSERT_TRUE(writeFile(path, GetParam().content));

    const QString message = loadError(path);
    ASSERT_FALSE(message.isEmpty()) << "loaded without error";
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path))) << message.toStdString();
    for (const QString& fragment : GetParam().expected) {
        EXPECT_TRUE(message.contains(fragment))
            << message.toStdString() << " lacks " << fragment.toStdString();
    }
    EXPECT_EQ(readFile(path), GetParam().content);
}

const QByteArray kModuleStart =
    "<Station busAddress=\"12\">\n<Module slot=\"3\" typeCode=\"37\" typeName=\"QT27Ex\">\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, CorruptProjectFile,
    testing::Values(
        CorruptCase{"Empty", "  \n", {"is empty"}},
        CorruptCase{"Garbage", QByteArray("\x01\x02garbage\xff", 11), {"not well-formed", "line 1"}},
        CorruptCase{
            "Truncated", StationProject::builtIn().toXml().left(300), {"not well-formed", "line", "column"}},
        CorruptCase{"WrongRoot", "<Plant/>", {"<Plant>", "<Station>"}},
        CorruptCase{"MissingBusAddress", "<Station/>", {"busAddress"}},
        CorruptCase{"MissingSlot",
                    "<Station busAddress=\"12\"><Module typeCode=\"37\" typeName=\"QT27Ex\">"
                    "<Parameters byteArray=\"00\"/></Module></Station>",
                    {"no attribute \"slot\""}},
        CorruptCase{"SlotNotANumber",
                    "<Station busAddress=\"12\"><Module slot=\"three\" typeCode=\"37\" typeName=\"QT27Ex\">"
                    "<Parameters byteArray=\"00\"/></Module></Station>",
                    {"not a whole number", "three"}},
        CorruptCase{"SlotZeroIsTheHead",
                    "<Station busAddress=\"12\"><Module slot=\"0\" typeCode=\"37\" typeName=\"QT27Ex\">"
                    "<Parameters byteArray=\"00\"/></Module></Station>",
                    {"slot", "outside 1 to 255"}},
        CorruptCase{"BadHex",
                    kModuleStart + "<Parameters byteArray=\"5C0G000000\"/></Module></Station>",
                    {"line 3", "not hexadecimal", "5C0G000000"}},
        CorruptCase{"OddHex",
                    kModuleStart + "<Parameters byteArray=\"5C0\"/></Module></Station>",
                    {"not hexadecimal"}},
        CorruptCase{"MissingParameters",
                    kModuleStart + "<Comment>x</Comment></Module></Station>",
                    {"line 2", "no <Parameters> element"}},
        CorruptCase{
            "DuplicateSlot",
            kModuleStart + "<Parameters byteArray=\"00\"/></Module>\n" +
                "<Module slot=\"3\" typeCode=\"54\" typeName=\"QT27-N\"><Parameters byteArray=\"00\"/>"
                "</Module></Station>",
            {"line 4", "slot 3 appears twice", "line 2"}},
        CorruptCase{"DuplicateChannel",
                    kModuleStart + "<Channel number=\"2\" tag=\"a\"/><Channel number=\"2\" tag=\"b\"/>" +
                        "<Parameters byteArray=\"00\"/></Module></Station>",
                    {"channel 2", "twice"}},
        CorruptCase{"UnknownElement",
                    kModuleStart + "<Parameters byteArray=\"00\"/><Ranges/></Module></Station>",
                    {"unknown element <Ranges>"}},
        CorruptCase{"UnknownAttribute",
                    kModuleStart + "<Parameters byteArray=\"00\" length=\"5\"/></Module></Station>",
                    {"unknown attribute \"length\""}},
        CorruptCase{"StrayText",
                    kModuleStart + "oops<Parameters byteArray=\"00\"/></Module></Station>",
                    {"unexpected text \"oops\""}}),
    [](const testing::TestParamInfo<CorruptCase>& info) { return std::string(info.param.name); });

TEST(StationProject, MissingFileIsNamedInTheError) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("none.xml"));
    const QString message = loadError(path);
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path)));
    EXPECT_TRUE(message.contains(QStringLiteral("does not exist")));
    EXPECT_FALSE(QFile::exists(path));
}

TEST(StationProjectSave, FailedWriteLeavesPreviousFileIntactAndNamesFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("station.xml"));
    ASSERT_TRUE(StationProject::builtIn().save(path));
    const QByteArray before = readFile(path);

    StationProject changed = StationProject::builtIn();
    changed.modules[0].comment = QString(2000, u'x');
    QString error;
    bool saved = true;
    {
        hosttest::FileSizeLimit limit(before.size() + 100);
        saved = changed.save(path, &error);
    }
    EXPECT_FALSE(saved);
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path))) << error.toStdString();
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("station.xml")})
        << "a temporary file was left behind";
}

TEST(StationProjectSave, VanishedFolderIsReported) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone/station.xml"));
    QString error;
    EXPECT_FALSE(StationProject::builtIn().save(path, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path))) << error.toStdString();
}

TEST(StationProjectSave, ReadOnlyFolderLeavesPreviousFileIntact) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("station.xml"));
    ASSERT_TRUE(StationProject::builtIn().save(path));
    const QByteArray before = readFile(path);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile probe(dir.filePath(QStringLiteral("probe")));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QFile::setPermissions(dir.path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        GTEST_SKIP() << "permissions do not stop this user from writing";
    }
    StationProject changed = StationProject::builtIn();
    changed.stationName = QStringLiteral("changed");
    QString error;
    EXPECT_FALSE(changed.save(path, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path)));
    EXPECT_EQ(readFile(path), before);
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(StationProjectSave, TextXmlCannotCarryIsRefusedBeforeWriting) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("station.xml"));
    ASSERT_TRUE(StationProject::builtIn().save(path));
    const QByteArray before = readFile(path);

    StationProject changed = StationProject::builtIn();
    changed.modules[0].channelTags[0] = QStringLiteral("bell\x07");
    QString error;
    EXPECT_FALSE(changed.save(path, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path)));
    EXPECT_EQ(readFile(path), before);
}

TEST(StationProject, XmlSafeTextDropsOnlyWhatXmlCannotCarry) {
    const QString kept = QStringLiteral("a\tb\nc\rd \u00E4 \U0001F600 \uFFFD");
    EXPECT_EQ(host::xmlSafeText(kept), kept);
    QString broken = QStringLiteral("x\x01y\x1Fz");
    broken.append(QChar(0xD800));  // lone surrogate
    broken.append(QChar(0xFFFE));
    EXPECT_EQ(host::xmlSafeText(broken), QStringLiteral("xyz"));
}

TEST(StationProject, BuiltInStationHoldsBothTypeCodesAndAllFourVariants) {
    const StationProject project = StationProject::builtIn();
    EXPECT_FALSE(project.stationName.isEmpty());
    QSet<QString> typeCodes;
    QSet<QString> variants;
    QSet<int> slotNumbers;
    QSet<QByteArray> parameterArrays;
    for (const ModuleRecord& module : project.modules) {
        typeCodes.insert(module.typeCode);
        variants.insert(module.typeName.section(u' ', 0, 0));
        slotNumbers.insert(module.slot);
        parameterArrays.insert(module.parameters);
        EXPECT_GE(module.slot, 1);
        EXPECT_EQ(module.parameters.size(), 5) << "slot " << module.slot;
        EXPECT_EQ(module.stateValue, 6);
        EXPECT_FALSE(module.documentKey.isEmpty());
        ASSERT_EQ(module.channelTags.size(), 4);
        for (const QString& tag : module.channelTags) {
            EXPECT_FALSE(tag.isEmpty());
        }
    }
    EXPECT_EQ(typeCodes, QSet<QString>({QStringLiteral("37"), QStringLiteral("54")}));
    EXPECT_EQ(variants, QSet<QString>({QStringLiteral("QT27Ex"), QStringLiteral("QT27-N"),
                                       QStringLiteral("QT271Ex"), QStringLiteral("QT271-N")}));
    EXPECT_EQ(slotNumbers.size(), project.modules.size());
    EXPECT_EQ(parameterArrays.size(), project.modules.size()) << "parameter bytes should vary";
    EXPECT_EQ(StationProject::fromXml(project.toXml(), QStringLiteral("built-in")), project);
}

TEST(StationProjectFirstRun, WritesBuiltInStationOnlyWhenNoFileExists) {
    QTemporaryDir dir;
    const testsupport::ScopedEnv dataHome("XDG_DATA_HOME", dir.path().toLocal8Bit());
    const QString path = host::defaultProjectPath();
    EXPECT_EQ(path, dir.path() + QStringLiteral("/QT27Controls/station.xml"));

    QString error;
    ASSERT_TRUE(host::ensureBuiltInProject(path, &error)) << error.toStdString();
    EXPECT_EQ(StationProject::load(path), StationProject::builtIn());

    // A second run finds the file and leaves it alone, even when it cannot be read.
    ASSERT_TRUE(writeFile(path, "<not a station"));
    EXPECT_TRUE(host::ensureBuiltInProject(path, &error));
    EXPECT_EQ(readFile(path), QByteArray("<not a station"));
}

TEST(StationProjectFirstRun, FolderThatCannotBeCreatedIsReported) {
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("file"));
    ASSERT_TRUE(writeFile(blocker, "x"));
    const QString path = blocker + QStringLiteral("/QT27Controls/station.xml");
    QString error;
    EXPECT_FALSE(host::ensureBuiltInProject(path, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path))) << error.toStdString();
}
