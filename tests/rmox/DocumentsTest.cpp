// What the pages read from the host: response documents, data set, channel and DTM
// information documents; and the call queue and invoke ids they send requests with.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSet>
#include <memory>

#include "rmox/Communication/CallQueue.h"
#include "rmox/Communication/DocumentReaders.h"
#include "rmox/Communication/InvokeIdGenerator.h"
#include "rmox/Communication/ResponseReader.h"
#include "rmox/Error.h"

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
    std::pair{"<FDT><ReadResponse><CommunicationData byteArray=''/></ReadResponse></FDT>", "data "},
    std::pair{"<FDT><ReadResponse errorCode=' DE80B0 '/></FDT>", "error DE80B0"},
    std::pair{"<FDT><WriteResponse errorCode='DF80B1' errorText=''/></FDT>", "error DF80B1"},
    std::pair{"<FDT><WriteResponse errorCode='0000' errorText='ignored'/></FDT>", ""},
    std::pair{"<FDT><WriteResponse errorCode='0x0'/></FDT>", ""},
    std::pair{"<FDT><ReadResponse errorCode='A0' errorText='partial'><CommunicationData byteArray='01'/></ReadResponse></FDT>", "data 01, error partial"},
    std::pair{"<FDT><DisconnectResponse communicationReference='R'/></FDT>", ""},
    std::pair{"<?xml version='1.0'?>\n<!-- x -->\n<FDT>\n <ReadResponse>\n  <Note><CommunicationData byteArray='ZZ'/></Note>\n"
              "  <CommunicationData byteArray='4142'>text</CommunicationData>\n </ReadResponse>\n</FDT>\n", "data 4142"},
    std::pair{" \r\n\t", "refused Response document is empty"},
    std::pair{"garbage", "refused Response document is not well-formed"},
    std::pair{"<FDT><DisconnectResponse/>", "refused Response document is not well-formed"},
    std::pair{"<FDT>\n<ReadResponse>\n</FDT>", "refused Response document is not well-formed: "},
    std::pair{"<FDT><DisconnectResponse/></FDT><FDT/>", "refused Response document is not well-formed"},
    std::pair{"<Response><ReadResponse/></Response>", "refused Response document has the unknown root element Response"},
    std::pair{"<FDT><ReadRequest/></FDT>", "refused Response document has the unknown response element ReadRequest"},
    std::pair{"<FDT> </FDT>", "refused Response document holds no response element"},
    std::pair{"<FDT><WriteResponse/><ReadResponse/></FDT>", "refused Response document holds more than one response element"},
    std::pair{"<FDT><ConnectResponse communicationReference='A'><CommunicationData byteArray='0G'/></ConnectResponse></FDT>",
              "refused CommunicationData of ConnectResponse: byteArray is not hexadecimal: \"0G\""},
    std::pair{"<FDT><ReadResponse><CommunicationData byteArray='01 02'/></ReadResponse></FDT>", "refused CommunicationData of ReadResponse: byteArray is not hex"},
    std::pair{"<FDT><ReadResponse><CommunicationData byteArray='ABC'/></ReadResponse></FDT>", "refused CommunicationData of ReadResponse: byteArray has an odd number of digits (3)"},
    std::pair{"<FDT><ReadResponse><CommunicationData/></ReadResponse></FDT>", "refused CommunicationData of ReadResponse has no byteArray attribute"},
    std::pair{"<FDT><ReadResponse><CommunicationData byteArray='01'/><CommunicationData byteArray='02'/></ReadResponse></FDT>",
              "refused ReadResponse holds more than one CommunicationData"},
    std::pair{"<FDT><ReadResponse><CommunicationData byteArray='01'><x></CommunicationData></ReadResponse></FDT>", "refused Response document is not well-formed"}));
// clang-format on

TEST(ResponseReader, EachParseStartsAfreshAndLongFaultyDataIsQuotedShortened) {
    rmox::ResponseReader reader;
    const QString full =
        "<FDT><ConnectResponse communicationReference='A' errorCode='1' errorText='late'>"
        "<CommunicationData byteArray='01'/></ConnectResponse></FDT>";
    EXPECT_EQ(Parts(reader, full), "ref A, data 01, error late");
    EXPECT_EQ(Parts(reader, "<FDT><DisconnectResponse/></FDT>"), "");
    EXPECT_EQ(Parts(reader, full), "ref A, data 01, error late");
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
                                            {"<FDT><DataSet/></FDT>", "Data set document has no Module element"},
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
    rmox::ChannelData channel;
    rmox::ChannelDocumentReader().ReadDocument("<FDT><Channel number='3' tag='TI-103'/></FDT>", channel, "");
    EXPECT_EQ(QString::number(channel.ChannelNumber) + channel.Tag, "3TI-103");
    EXPECT_THROW(rmox::ChannelDocumentReader().ReadDocument("<FDT><Channel/></FDT>", channel, ""),
                 rmox::Error);
    rmox::DtmInformationData information;
    EXPECT_TRUE(
        rmox::DtmInformationReader().ReadDocument("<FDT><DtmInformation name='n' revision='2.1'><FdtVersion "
                                                  "major='1' minor='21'/></DtmInformation></FDT>",
                                                  information));
    EXPECT_EQ(information.DtmName + information.DtmRevision + QString::number(information.FdtVersionMajor) +
                  QString::number(information.FdtVersionMinor),
              "n2.1121");
    QString errorText;
    EXPECT_FALSE(
        rmox::DtmInformationReader().ReadDocument("<FDT><DtmInformation/></FDT>", information, &errorText));
    EXPECT_EQ(errorText, "DTM information document has no FdtVersion element");
    EXPECT_EQ(information.DtmName, "n");
}

class Target : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void CallConnect(const QVariant& vArguments) {
        calls << "CallConnect " + vArguments.toString();
    }
    Q_INVOKABLE void CallReadValues(const QVariant& /*vArguments*/) { calls << "CallReadValues"; }
    void notInvokable(const QVariant& /*vArguments*/) {}
    QStringList calls;
};

TEST(CallQueue, RunsTheNamedMethodsLaterInOrderAndNeverOnADestroyedTarget) {
    rmox::CallQueue queue;
    Target target;
    auto gone = std::make_unique<Target>();
    const QString first = queue.AddCall(&target, "CallConnect", QVariant("12"));
    queue.AddCall(gone.get(), "CallConnect");
    EXPECT_NE(queue.AddCall(&target, "CallReadValues"), first);
    EXPECT_TRUE(target.calls.isEmpty()) << "a queued call never runs inside AddCall";
    gone.reset();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(target.calls, QStringList({"CallConnect 12", "CallReadValues"}));
    for (const char* name : {"CallDisconnect", "notInvokable", ""}) {
        EXPECT_THROW(queue.AddCall(&target, name), rmox::Error) << name;
    }
    EXPECT_THROW(queue.AddCall(nullptr, "CallConnect"), rmox::Error);
    EXPECT_EQ(queue.callCount(), 3);
    rmox::InvokeIdGenerator one, other;
    QSet<QString> ids;
    for (int i = 0; i < 500; ++i) {
        ids << one.NewInvokeId() << other.NewInvokeId();
    }
    EXPECT_EQ(ids.size(), 1000) << "invoke ids are unique within and across generators";
}

}  // namespace

#include "DocumentsTest.moc"
