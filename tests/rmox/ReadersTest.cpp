// What the pages read: response documents, data set documents, resource texts (the shipped ones they show).
#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include "rmox/Communication/DocumentReaders.h"
#include "rmox/Communication/ResponseReader.h"
#include "rmox/Error.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace {

/// What a reader makes of a document: "ref R", "data HEX", "error TEXT", or "refused TEXT".
QString Parts(rmox::ResponseReader& reader, const QString& document) {
    const bool ok = reader.Parse(document, nullptr);
    QStringList parts;
    if (reader.HasConnectPart() || !reader.CommunicationReference().isEmpty()) {
        parts << "ref " + reader.CommunicationReference();
    }
    if (reader.HasDataPart() || !reader.Data().isEmpty()) {
        parts << "data " + QString::fromLatin1(reader.Data().toHex().toUpper());
    }
    if (reader.HasErrorPart() || !ok) {
        parts << (ok ? "error " : "refused ") + reader.ErrorText();
    }
    return parts.join(", ");
}

class ResponseReaderTest : public testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(ResponseReaderTest, FindsTheConnectDataAndErrorPartsOrNamesWhatIsWrong) {
    rmox::ResponseReader reader;
    const QString parts = Parts(reader, GetParam().first), expected = GetParam().second;
    EXPECT_TRUE(expected.startsWith("refused") ? parts.startsWith(expected) : parts == expected)
        << parts.toStdString();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Responses, ResponseReaderTest, testing::Values(
    std::pair{"<FDT><ConnectResponse busAddress='12' communicationReference='C2-78' connectStatus='x'/></FDT>", "ref C2-78"},
    std::pair{"<FDT><ConnectResponse errorCode='1' errorText='Station 12 does not answer'/></FDT>", "error Station 12 does not answer"},
    std::pair{"<FDT><ConnectResponse communicationReference=''/></FDT>", ""},
    std::pair{"<FDT><ReadResponse errorCode='0'><CommunicationData byteArray='058000006407ff'/></ReadResponse></FDT>", "data 058000006407FF"},
    std::pair{"<FDT><ReadResponse errorCode=' DE80B0 '/></FDT>", "error DE80B0"},
    std::pair{"<FDT><WriteResponse errorCode='0000' errorText='ignored'/></FDT>", ""},
    std::pair{"<FDT><WriteResponse errorCode='0x0'/></FDT>", ""},
    std::pair{"<FDT><ReadResponse errorCode='A0' errorText='partial'><CommunicationData byteArray='01'/></ReadResponse></FDT>", "data 01, error partial"},
    std::pair{"<?xml version='1.0'?>\n<!-- x -->\n<FDT>\n <ReadResponse>\n  <Note><CommunicationData byteArray='ZZ'/></Note>\n"
              "  <CommunicationData byteArray='4142'>text</CommunicationData>\n </ReadResponse>\n</FDT>\n", "data 4142"},
    std::pair{" \r\n\t", "refused Response document is empty"},
    std::pair{"<FDT>\n<ReadResponse>\n</FDT>", "refused Response document is not well-formed: "},
    std::pair{"<FDT><DisconnectResponse/></FDT><FDT/>", "refused Response document is not well-formed"},
    std::pair{"<Response><ReadResponse/></Response>", "refused Response document has the unknown root element Response"},
    std::pair{"<FDT><ReadRequest/></FDT>", "refused Response document has the unknown response element ReadRequest"},
    std::pair{"<FDT> </FDT>", "refused Response document holds no response element"},
    std::pair{"<FDT><WriteResponse/><ReadResponse/></FDT>", "refused Response document holds more than one response element"},
    std::pair{"<FDT><ConnectResponse communicationReference='A'><CommunicationData byteArray='0G'/></ConnectResponse></FDT>",
              "refused CommunicationData of ConnectResponse: byteArray is not hexadecimal: \"0G\""},
    std::pair{"<FDT><ReadResponse><CommunicationData byteArray='ABC'/></ReadResponse></FDT>", "refused CommunicationData of ReadResponse: byteArray has an odd number of digits (3)"},
    std::pair{"<FDT><ReadResponse><CommunicationData/></ReadResponse></FDT>", "refused CommunicationData of ReadResponse has no byteArray attribute"},
    std::pair{"<FDT><ReadResponse><CommunicationData byteArray='01'/><CommunicationData byteArray='02'/></ReadResponse></FDT>",
              "refused ReadResponse holds more than one CommunicationData"},
    std::pair{"<FDT><ReadResponse><CommunicationData byteArray='01'><x></CommunicationData></ReadResponse></FDT>", "refused Response document is not well-formed"}));
// clang-format on

TEST(ResponseReader, ErrorTextsTellWhereAndQuoteLongFaultyDataShortened) {
    rmox::ResponseReader reader;
    EXPECT_EQ(Parts(reader,
                    "<FDT><ConnectResponse communicationReference='A' errorCode='1' errorText='late'>"
                    "<CommunicationData byteArray='01'/></ConnectResponse></FDT>"),
              "ref A, data 01, error late");
    EXPECT_TRUE(Parts(reader, "<FDT>\n<ReadResponse>\n</FDT>").endsWith("(line 3, column 6)"));
    const QString refused = Parts(reader, "<FDT><ReadResponse><CommunicationData byteArray='" +
                                              QString(200, u'X') + "'/></ReadResponse></FDT>");
    EXPECT_TRUE(refused.endsWith(": \"" + QString(40, u'X') + "...\"")) << refused.toStdString();
}

TEST(DocumentReaders, ReadWhatTheHostWritesAndRaiseAnErrorNamingTheProblem) {
    rmox::ModuleData module;
    QString moduleDocument;
    rmox::ModuleDocumentReader().ReadDocument(
        "<FDT><DataSet><Module slot=' 7 ' typeCode='abc' typeName='QT27Ex 4AI'/></DataSet></FDT>", module,
        moduleDocument);
    EXPECT_EQ(QString::number(module.SlotNumber) + module.ModuleTypeCode + module.ModuleTypeName,
              "7abcQT27Ex 4AI");
    EXPECT_EQ(moduleDocument, "<Module slot=\" 7 \" typeCode=\"abc\" typeName=\"QT27Ex 4AI\"/>");
    // clang-format off
    for (const auto& [document, problem] : {std::pair{"", "Data set document is empty"},
                                            {"<FDT><Module slot='7'", "Data set document is not well-formed"},
                                            {"<FDT><Module/></FDT>", "Data set document has no attribute slot"},
                                            {"<FDT><Module slot='x'/></FDT>", "Data set document: attribute slot is not a whole number: \"x\""}}) {
        // clang-format on
        module.ModuleTypeCode = moduleDocument = "kept";
        try {
            rmox::ModuleDocumentReader().ReadDocument(document, module, moduleDocument);
            ADD_FAILURE() << "no error for " << document;
        } catch (const rmox::Error& error) {
            EXPECT_EQ(error.number(), rmox::Error::TypeMismatch);
            EXPECT_TRUE(error.description().startsWith(problem)) << error.what();
        }
        EXPECT_EQ(module.ModuleTypeCode + moduleDocument, "keptkept");
    }
}

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
    rmox::ResourceManager manager;
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
}

}  // namespace

namespace {

/// Whether text 1 of @p manager becomes @p expected ("error" for a raised error)
/// once the event loop has delivered the file-change notifications.
bool becomes(const rmox::ResourceManager& manager, const QString& expected) {
    return QTest::qWaitFor([&] {
        try {
            return manager.GetString(1) == expected;
        } catch (const rmox::Error&) {
            return expected == "error";
        }
    });
}

TEST(ResourceManager, KeepsWhatItReadUntilAFileChangesOrReloadIsCalled) {
    QTemporaryDir root;
    const QString folder = root.filePath("device");
    Write(folder + "/strings.en.txt", "1=first\n");
    rmox::ResourceManager manager, other;
    manager.setResourceFolder(folder);
    other.ConfigureFrom(manager);
    ASSERT_EQ(manager.GetString(1), "first");
    QFile::remove(folder + "/strings.en.txt");
    EXPECT_EQ(other.GetString(1), "first") << "shared by all managers, not read per lookup";
    EXPECT_TRUE(becomes(manager, "error"));
    manager.setLanguage("de");  // falls back to English
    Write(folder + "/strings.en.txt", "1=second\n");
    EXPECT_TRUE(becomes(manager, "second")) << "a file that appears later is found";
    Write(folder + "/strings.de.txt", "1=dritte\n");
    rmox::ResourceManager::Reload();
    EXPECT_EQ(manager.GetString(1), "dritte") << "an explicit reload reads again at once";
}

TEST(ResourceManager, PicturesAreReadOnceAndAgainAfterTheFileChanged) {
    QTemporaryDir root;
    QDir().mkpath(root.filePath("pictures"));
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(root.filePath("pictures/7.png")));
    rmox::ResourceManager manager;
    manager.setResourceFolder(root.path());
    const QPixmap first = manager.GetPicture(7);
    EXPECT_EQ(manager.GetPicture(7).cacheKey(), first.cacheKey()) << "the same picture, not read again";
    image.fill(Qt::blue);  // within the same second: a cache keyed by file time would miss it
    ASSERT_TRUE(image.save(root.filePath("pictures/7.png")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return manager.GetPicture(7).toImage().pixel(0, 0) == image.pixel(0, 0); }));
}

}  // namespace
