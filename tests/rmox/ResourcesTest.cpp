// Texts by id: the resource file syntax and the language fallback. The shipped texts and
// pictures show on the pages and in their tests.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "rmox/Error.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace {

using rmox::ResourceManager;

void Write(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}

TEST(ResourceManager, ReadsTextsByIdFallingBackToEnglishAndRaisesForUnknownIds) {
    QTemporaryDir root;
    const QString device = root.filePath("device"), common = root.filePath("common");
    Write(device + "/strings.en.txt",
          "# comment\r\n\r\n1=a\\nb\r\n2=\\t\\\\\n 3 =a=b\nfive=no\n#6=no\n7=\\q\n8=\n9=end\\");
    Write(device + "/strings.de.txt", "1=Eingang\n");
    Write(common + "/strings.en.txt", "1=Common\n");
    ResourceManager manager;
    manager.setResourceFolder(device);
    QStringList texts;
    for (int id : {1, 2, 3, 7, 8, 9}) {
        texts << manager.GetString(id);
    }
    EXPECT_EQ(texts, QStringList({"a\nb", "\t\\", "a=b", "\\q", "", "end\\"}));
    manager.setLanguage(" DE ");
    EXPECT_EQ(manager.GetString(1) + manager.GetString(9, QString()), "Eingangend\\");
    manager.setLanguage("fr");
    EXPECT_EQ(manager.GetString(1), "a\nb") << "a language without a file reads English";
    try {
        manager.GetString(6);
        ADD_FAILURE() << "no error raised";
    } catch (const rmox::Error& error) {
        EXPECT_EQ(error.number(), rmox::Error::InvalidProcedureCall);
        EXPECT_TRUE(error.description().startsWith("Resource text 6 not found")) << error.what();
    }
    EXPECT_EQ(manager.GetString(1, common), "Common");
    EXPECT_THROW(manager.GetString(9, common), rmox::Error);
    EXPECT_THROW(manager.GetString(1, root.filePath("missing")), rmox::Error);
}

}  // namespace
