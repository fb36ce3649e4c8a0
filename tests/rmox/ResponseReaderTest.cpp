#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include "rmox/Communication/ResponseReader.h"

namespace {

struct WellFormedCase {
    const char* name;
    const char* document;
    bool connectPart;
    const char* reference;
    bool dataPart;
    const char* dataHex;
    bool errorPart;
    const char* errorText;
};

void PrintTo(const WellFormedCase& c, std::ostream* os) {
    *os << c.name;
}

class ResponseReaderParts : public testing::TestWithParam<WellFormedCase> {};

TEST_P(ResponseReaderParts, YieldsTheExpectedParts) {
    const WellFormedCase& c = GetParam();
    rmox::ResponseReader reader;
    ASSERT_TRUE(reader.Parse(QString::fromUtf8(c.document), nullptr)) << reader.ErrorText().toStdString();
    EXPECT_EQ(reader.HasConnectPart(), c.connectPart);
    EXPECT_EQ(reader.CommunicationReference(), QString::fromUtf8(c.reference));
    EXPECT_EQ(reader.HasDataPart(), c.dataPart);
    EXPECT_EQ(reader.Data(), QByteArray::fromHex(c.dataHex));
    EXPECT_EQ(reader.HasErrorPart(), c.errorPart);
    EXPECT_EQ(reader.ErrorText(), QString::fromUtf8(c.errorText));
}

INSTANTIATE_TEST_SUITE_P(
    Responses, ResponseReaderParts,
    testing::Values(
        WellFormedCase{"Connected",
                       "<FDT><ConnectResponse busAddress=\"12\" communicationReference=\"C2137DD1-7842\" "
                       "connectStatus=\"deviceInDataExchange\"/></FDT>",
                       true, "C2137DD1-7842", false, "", false, ""},
        WellFormedCase{"ConnectRefusedByStation",
                       "<FDT><ConnectResponse busAddress=\"12\" errorCode=\"1\" "
                       "errorText=\"Station 12 does not answer\"/></FDT>",
                       false, "", false, "", true, "Station 12 does not answer"},
        WellFormedCase{"ConnectWithEmptyReference",
                       "<FDT><ConnectResponse busAddress=\"12\" communicationReference=\"\"/></FDT>", false,
                       "", false, "", false, ""},
        WellFormedCase{
            "ReadWithData",
            "<FDT><ReadResponse slot=\"3\" index=\"16\" communicationReference=\"R\" errorCode=\"0\">"
            "<CommunicationData byteArray=\"058000006407FFF00000\"/></ReadResponse></FDT>",
            false, "", true, "058000006407FFF00000", false, ""},
        WellFormedCase{"ReadWithLowerCaseHex",
                       "<FDT><ReadResponse><CommunicationData byteArray=\"ff0a\"/></ReadResponse></FDT>",
                       false, "", true, "FF0A", false, ""},
        WellFormedCase{
            "ReadWithEmptyData",
            "<FDT><ReadResponse errorCode=\"0\"><CommunicationData byteArray=\"\"/></ReadResponse></FDT>",
            false, "", true, "", false, ""},
        WellFormedCase{"ReadOfInvalidIndex",
                       "<FDT><ReadResponse slot=\"3\" index=\"99\" communicationReference=\"R\" "
                       "errorCode=\"DE80B0\" errorText=\"Read of an invalid index\"/></FDT>",
                       false, "", false, "", true, "Read of an invalid index"},
        WellFormedCase{"ErrorCodeWithoutTextGivesTheCode",
                       "<FDT><ReadResponse errorCode=\" DE80B0 \"/></FDT>", false, "", false, "", true,
                       "DE80B0"},
        WellFormedCase{"ErrorCodeWithEmptyTextGivesTheCode",
                       "<FDT><WriteResponse errorCode=\"DF80B1\" errorText=\"\"/></FDT>", false, "", false,
                       "", true, "DF80B1"},
        WellFormedCase{"ZeroCodeWithLeadingZerosIsNoError",
                       "<FDT><WriteResponse errorCode=\"0000\" errorText=\"ignored\"/></FDT>", false, "",
                       false, "", false, ""},
        WellFormedCase{"HexZeroCodeIsNoError", "<FDT><WriteResponse errorCode=\"0x0\"/></FDT>", false, "",
                       false, "", false, ""},
        WellFormedCase{"ReadWithDataAndError",
                       "<FDT><ReadResponse errorCode=\"DE80A0\" errorText=\"partial\">"
                       "<CommunicationData byteArray=\"01\"/></ReadResponse></FDT>",
                       false, "", true, "01", true, "partial"},
        WellFormedCase{"WriteAccepted",
                       "<FDT><WriteResponse slot=\"3\" index=\"20\" communicationReference=\"R\" "
                       "errorCode=\"0\"/></FDT>",
                       false, "", false, "", false, ""},
        WellFormedCase{"Disconnected", "<FDT><DisconnectResponse communicationReference=\"R\"/></FDT>", false,
                       "", false, "", false, ""},
        WellFormedCase{"PrettyPrintedWithDeclarationAndUnknownChildren",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- answer -->\n<FDT>\n"
                       "  <ReadResponse slot=\"3\" index=\"19\" errorCode=\"0\">\n"
                       "    <Note><CommunicationData byteArray=\"ZZ\"/></Note>\n"
                       "    <CommunicationData byteArray=\"4142\">text</CommunicationData>\n"
                       "  </ReadResponse>\n</FDT>\n",
                       false, "", true, "4142", false, ""}),
    [](const testing::TestParamInfo<WellFormedCase>& info) { return std::string(info.param.name); });

struct MalformedCase {
    const char* name;
    const char* document;
    const char* expectedText;  ///< a part of the error text
};

void PrintTo(const MalformedCase& c, std::ostream* os) {
    *os << c.name;
}

class ResponseReaderRejects : public testing::TestWithParam<MalformedCase> {};

TEST_P(ResponseReaderRejects, NamesWhatIsWrongAndHasNoParts) {
    const MalformedCase& c = GetParam();
    rmox::ResponseReader reader;
    EXPECT_FALSE(reader.Parse(QString::fromUtf8(c.document), nullptr));
    EXPECT_TRUE(reader.ErrorText().contains(QString::fromUtf8(c.expectedText)))
        << "error text: " << reader.ErrorText().toStdString();
    EXPECT_FALSE(reader.HasConnectPart());
    EXPECT_FALSE(reader.HasDataPart());
    EXPECT_FALSE(reader.HasErrorPart());
    EXPECT_TRUE(reader.CommunicationReference().isEmpty());
    EXPECT_TRUE(reader.Data().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, ResponseReaderRejects,
    testing::Values(
        MalformedCase{"Empty", "", "Response document is empty"},
        MalformedCase{"OnlyBlanks", "  \r\n\t", "Response document is empty"},
        MalformedCase{"PlainText", "garbage", "not well-formed"},
        MalformedCase{"Truncated", "<FDT><ReadResponse slot=\"3\"", "not well-formed"},
        MalformedCase{"UnclosedRoot", "<FDT><DisconnectResponse/>", "not well-formed"},
        MalformedCase{"MismatchedTagWithPosition", "<FDT>\n<ReadResponse errorCode=\"0\">\n</FDT>", "line 3"},
        MalformedCase{"ContentAfterRoot", "<FDT><DisconnectResponse/></FDT><FDT/>", "not well-formed"},
        MalformedCase{"UnknownRoot", "<Response><ReadResponse/></Response>", "unknown root element Response"},
        MalformedCase{"RequestInsteadOfResponse", "<FDT><ReadRequest slot=\"3\" index=\"16\"/></FDT>",
                      "unknown response element ReadRequest"},
        MalformedCase{"NoResponseElement", "<FDT>  </FDT>", "no response element"},
        MalformedCase{"TwoResponseElements", "<FDT><WriteResponse/><ReadResponse/></FDT>",
                      "more than one response element"},
        MalformedCase{"NonHexData",
                      "<FDT><ReadResponse><CommunicationData byteArray=\"0G\"/></ReadResponse></FDT>",
                      "byteArray is not hexadecimal: \"0G\""},
        MalformedCase{"BlanksInData",
                      "<FDT><ReadResponse><CommunicationData byteArray=\"01 02\"/></ReadResponse></FDT>",
                      "not hexadecimal"},
        MalformedCase{"OddDigitCount",
                      "<FDT><ReadResponse><CommunicationData byteArray=\"ABC\"/></ReadResponse></FDT>",
                      "odd number of digits (3)"},
        MalformedCase{"DataWithoutByteArray", "<FDT><ReadResponse><CommunicationData/></ReadResponse></FDT>",
                      "no byteArray attribute"},
        MalformedCase{"TwoDataElements",
                      "<FDT><ReadResponse><CommunicationData byteArray=\"01\"/>"
                      "<CommunicationData byteArray=\"02\"/></ReadResponse></FDT>",
                      "more than one CommunicationData"},
        MalformedCase{"MalformedInsideData",
                      "<FDT><ReadResponse><CommunicationData byteArray=\"01\"><x></CommunicationData>"
                      "</ReadResponse></FDT>",
                      "not well-formed"}),
    [](const testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

TEST(ResponseReader, LongFaultyDataIsQuotedShortened) {
    rmox::ResponseReader reader;
    const QString hex = QString(200, QLatin1Char('X'));
    EXPECT_FALSE(reader.Parse(
        QStringLiteral("<FDT><ReadResponse><CommunicationData byteArray=\"%1\"/></ReadResponse></FDT>")
            .arg(hex),
        nullptr));
    EXPECT_LT(reader.ErrorText().size(), 120);
    EXPECT_TRUE(reader.ErrorText().contains(QStringLiteral("...")));
}

TEST(ResponseReader, EachParseStartsFromAnEmptyResult) {
    rmox::ResponseReader reader;
    ASSERT_TRUE(
        reader.Parse(QStringLiteral("<FDT><ConnectResponse communicationReference=\"A\" errorCode=\"1\" "
                                    "errorText=\"late\"><CommunicationData byteArray=\"01\"/>"
                                    "</ConnectResponse></FDT>"),
                     nullptr));
    EXPECT_TRUE(reader.HasConnectPart());
    EXPECT_TRUE(reader.HasDataPart());
    EXPECT_TRUE(reader.HasErrorPart());

    ASSERT_TRUE(reader.Parse(QStringLiteral("<FDT><DisconnectResponse/></FDT>"), nullptr));
    EXPECT_FALSE(reader.HasConnectPart());
    EXPECT_TRUE(reader.CommunicationReference().isEmpty());
    EXPECT_FALSE(reader.HasDataPart());
    EXPECT_FALSE(reader.HasErrorPart());
    EXPECT_TRUE(reader.ErrorText().isEmpty());

    ASSERT_TRUE(
        reader.Parse(QStringLiteral("<FDT><ConnectResponse communicationReference=\"B\"/></FDT>"), nullptr));
    EXPECT_FALSE(reader.Parse(QStringLiteral("<FDT>"), nullptr));
    EXPECT_FALSE(reader.HasConnectPart());
    EXPECT_TRUE(reader.CommunicationReference().isEmpty());
}

}  // namespace
