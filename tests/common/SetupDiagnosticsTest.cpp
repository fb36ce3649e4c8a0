// A registry file that cannot be read is named, once, instead of silently reading as
// "debug off"; without TEMP the debug log goes to the system's temporary folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/common/RegManagement.h"
#include "support/ScopedEnv.h"

namespace {

using testsupport::ScopedEnv;

const QString kKey = QStringLiteral("SOFTWARE\\Omvex\\DTM rimox-DP");

TEST(SetupDiagnosticsTest, RegistryFileThatCannotBeReadIsNamedOnce) {
    QTemporaryDir dir;
    const QString garbage = dir.filePath(QStringLiteral("garbage.reg"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x01\x02 not a registry file\n");
    file.close();
    const struct {
        QString path;
        QString problem;
    } cases[] = {{dir.filePath(QStringLiteral("missing.reg")), QStringLiteral("does not exist")},
                 {dir.path(), QStringLiteral("is a folder")},
                 {garbage, QStringLiteral("is not a registry file")},
                 {QStringLiteral("/dev/zero"), QStringLiteral("is larger than 4 MiB")}};
    for (const auto& c : cases) {
        const ScopedEnv registry("RIMOX_REGISTRY", c.path.toLocal8Bit());
        testing::internal::CaptureStderr();
        const QVariant first = qt27::QueryRegistryValue(QString(), QStringLiteral("Debug"), kKey);
        const QVariant second = qt27::QueryRegistryValue(QString(), QStringLiteral("DebugFile"), kKey);
        const QString said = QString::fromStdString(testing::internal::GetCapturedStderr());
        EXPECT_EQ(first, QVariant::fromValue<qint16>(0)) << c.path.toStdString();
        EXPECT_EQ(second, QVariant::fromValue<qint16>(0)) << c.path.toStdString();
        EXPECT_EQ(said.count(c.path), 1) << said.toStdString();
        EXPECT_TRUE(said.contains(c.problem)) << said.toStdString();
    }
}

TEST(SetupDiagnosticsTest, DebugLogWithoutTempGoesToTheSystemTemporaryFolder) {
    QTemporaryDir dir;
    const ScopedEnv temporary("TMPDIR", dir.path().toLocal8Bit());
    const ScopedEnv noTemp("TEMP", QByteArray());
    qt27::DebugHelper::setDebugToFile(true);
    QString logFile = qt27::DebugHelper::kLogFileName;
    qt27::WriteDebugLog(QStringLiteral("Test"), QStringLiteral("where am I"), logFile);
    qt27::DebugHelper::setDebugToFile(false);
    EXPECT_EQ(QDir::cleanPath(logFile), QDir(dir.path()).filePath(QStringLiteral("rimox.log")));
    QFile written(logFile);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().contains("Test: where am I"));
}

}  // namespace
