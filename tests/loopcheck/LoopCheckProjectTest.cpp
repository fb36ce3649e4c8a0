// The project file keeps loop-check results and the last diagnosis exactly, and
// refuses a damaged record instead of dropping it.
#include <gtest/gtest.h>

#include <cmath>

#include "host/StationProject.h"
#include "rmox/Error.h"

namespace {

host::StationProject projectWithRecords() {
    host::StationProject project = host::StationProject::builtIn();
    host::ModuleRecord& module = project.modules.first();
    host::LoopCheckResult passed;
    passed.channel = 1;
    passed.user = QStringLiteral("Jörg <night shift>");
    passed.timeUtc = QDateTime(QDate(2026, 12, 6), QTime(22, 10, 5, 123), Qt::UTC);
    passed.tolerancePercent = 0.25;
    passed.settleMs = 4000;
    passed.unit = QStringLiteral("mA");
    passed.points = {{0, 4, 4.0012345678901234, 0.0077160493827, QString()},
                     {100, 20, 19.99, -0.0625, QString()}};
    host::LoopCheckResult broken = passed;
    broken.channel = 3;
    broken.unit = QStringLiteral("%");
    broken.points = {{50, 50, std::nan(""), std::nan(""), QStringLiteral("noReading")},
                     {75, 75, 80.5, 5.5, QStringLiteral("overrange")}};
    module.loopChecks = {passed, broken};
    module.lastDiagnosis = {QDateTime(QDate(2026, 12, 6), QTime(21, 0), Qt::UTC), QByteArray::fromHex("00 12 31")};
    return project;
}

TEST(LoopCheckProject, ResultsAndTheLastDiagnosisReadBackUnchanged) {
    const host::StationProject project = projectWithRecords();
    const host::StationProject read = host::StationProject::fromXml(project.toXml(), QStringLiteral("p.xml"));
    EXPECT_EQ(read, project);
    EXPECT_TRUE(std::isnan(read.modules.first().loopChecks[1].points[0].measured));
    EXPECT_NE(read.modules.first().loopChecks[0], read.modules.first().loopChecks[1]);
}

struct Damage {
    const char* name;
    const char* element;  ///< put into the first module
    const char* problem;  ///< in the error text
};

class DamagedRecord : public testing::TestWithParam<Damage> {};

TEST_P(DamagedRecord, IsRefusedWithTheReason) {
    QByteArray xml = host::StationProject::builtIn().toXml();
    xml.insert(xml.indexOf("</Module>"), GetParam().element);
    try {
        host::StationProject::fromXml(xml, QStringLiteral("p.xml"));
        FAIL() << "read";
    } catch (const rmox::Error& error) {
        EXPECT_TRUE(error.description().contains(QLatin1String(GetParam().problem)))
            << error.description().toStdString();
    }
}

#define LOOP(attributes, body) "<LoopCheck " attributes ">" body "</LoopCheck>"
#define GOOD_LOOP "channel=\"1\" user=\"u\" time=\"2026-12-06T22:10:00.000Z\" tolerance=\"0.5\" settleMs=\"0\" unit=\"V\""

INSTANTIATE_TEST_SUITE_P(
    Records, DamagedRecord,
    testing::Values(
        Damage{"channelTwice", LOOP(GOOD_LOOP, "") LOOP(GOOD_LOOP, ""), "appears twice"},
        Damage{"badTime",
               LOOP("channel=\"1\" user=\"u\" time=\"yesterday\" tolerance=\"0.5\" settleMs=\"0\" unit=\"V\"", ""),
               "is not a time"},
        Damage{"pointWithoutReason", LOOP(GOOD_LOOP, "<Point percent=\"0\" expected=\"0\"/>"), "no attribute \"reason\""},
        Damage{"diagnosisNotHex", "<Diagnosis time=\"2026-12-06T22:10:00Z\" telegram=\"0G\"/>", "not hexadecimal"}),
    [](const testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

}  // namespace
