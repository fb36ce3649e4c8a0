#include <gtest/gtest.h>

#include <QHash>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <functional>

#include "host/BaseDtm.h"
#include "host/ParameterManager.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"

namespace {

// The request element of a document: its name, attributes and CommunicationData bytes.
struct Request {
    QString element;
    QHash<QString, QString> attributes;
    QString data;
    bool hasData = false;
};

Request parse(const QString& document) {
    Request request;
    QXmlStreamReader xml(document);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("FDT") || !xml.readNextStartElement()) {
        ADD_FAILURE() << "no request element in " << document.toStdString();
        return request;
    }
    request.element = xml.name().toString();
    for (const QXmlStreamAttribute& attribute : xml.attributes()) {
        request.attributes.insert(attribute.name().toString(), attribute.value().toString());
    }
    while (xml.readNextStartElement()) {
        EXPECT_EQ(xml.name(), QLatin1String("CommunicationData"));
        request.hasData = true;
        request.data = xml.attributes().value(QLatin1String("byteArray")).toString();
        xml.skipCurrentElement();
    }
    while (!xml.atEnd()) {
        xml.readNext();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " in " << document.toStdString();
    return request;
}

struct RequestCase {
    const char* name;
    std::function<QString(host::ParameterManager&, const QString&)> build;
    QString element;
    QHash<QString, QString> attributes;  // besides slot and communicationReference
    QString data;                        // empty: no CommunicationData
};

class RequestBuilder : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(station.open(dir.filePath(QStringLiteral("station.xml")))); }
    QTemporaryDir dir;
    host::Station station;
};

class RequestDocument : public RequestBuilder, public testing::WithParamInterface<RequestCase> {};

const QString kReference = QStringLiteral("C2137DD1-7842-11D4 \"<&>\"");

}  // namespace

TEST_P(RequestDocument, AddressesTheModuleAsDocumented) {
    const RequestCase& testCase = GetParam();
    host::ParameterManager& manager = *station.dtmForSlot(7)->baseDtm()->parameterManager();
    const Request request = parse(testCase.build(manager, kReference));

    EXPECT_EQ(request.element, testCase.element);
    QHash<QString, QString> expected = testCase.attributes;
    expected.insert(QStringLiteral("slot"), QStringLiteral("7"));
    expected.insert(QStringLiteral("communicationReference"), kReference);
    EXPECT_EQ(request.attributes, expected);
    EXPECT_EQ(request.hasData, !testCase.data.isEmpty());
    EXPECT_EQ(request.data, testCase.data);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RequestDocument,
    testing::Values(
        RequestCase{"Values",
                    [](host::ParameterManager& m, const QString& r) { return m.ValuesReadRequest(r); },
                    QStringLiteral("ReadRequest"),
                    {{QStringLiteral("index"), QStringLiteral("16")},
                     {QStringLiteral("length"), QStringLiteral("9")}},
                    QString()},
        RequestCase{"OutputValues",
                    [](host::ParameterManager& m, const QString& r) { return m.OutputValuesReadRequest(r); },
                    QStringLiteral("ReadRequest"),
                    {{QStringLiteral("index"), QStringLiteral("17")},
                     {QStringLiteral("length"), QStringLiteral("8")}},
                    QString()},
        RequestCase{"Diagnosis",
                    [](host::ParameterManager& m, const QString& r) { return m.DiagnosisReadRequest(r); },
                    QStringLiteral("ReadRequest"),
                    {{QStringLiteral("index"), QStringLiteral("18")}},
                    QString()},
        RequestCase{"QsData",
                    [](host::ParameterManager& m, const QString& r) { return m.QsDataReadRequest(r); },
                    QStringLiteral("ReadRequest"),
                    {{QStringLiteral("index"), QStringLiteral("19")}},
                    QString()},
        RequestCase{"OutputValuesWrite",
                    [](host::ParameterManager& m, const QString& r) {
                        return m.OutputValuesWriteRequest(
                            r, QByteArray::fromHex("0180000000000000000a0b0c0d0e0f10ff"));
                    },
                    QStringLiteral("WriteRequest"),
                    {{QStringLiteral("index"), QStringLiteral("20")}},
                    QStringLiteral("0180000000000000000A0B0C0D0E0F10FF")},
        RequestCase{"ForcingEnable",
                    [](host::ParameterManager& m, const QString& r) { return m.ForcingEnableRequest(r); },
                    QStringLiteral("WriteRequest"),
                    {{QStringLiteral("index"), QStringLiteral("21")}},
                    QStringLiteral("01")}),
    [](const testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.name); });

TEST_F(RequestBuilder, ConnectRequestCarriesBusAddressOnlyWhenAsked) {
    host::ParameterManager& manager = *station.dtmForSlot(4)->baseDtm()->parameterManager();
    const Request withAddress = parse(manager.ConnectRequest(true));
    EXPECT_EQ(withAddress.element, QStringLiteral("ConnectRequest"));
    EXPECT_EQ(withAddress.attributes,
              (QHash<QString, QString>{{QStringLiteral("api"), QStringLiteral("0")},
                                       {QStringLiteral("busAddress"), QStringLiteral("12")},
                                       {QStringLiteral("slot"), QStringLiteral("4")}}));
    const Request withoutAddress = parse(manager.ConnectRequest(false));
    EXPECT_FALSE(withoutAddress.attributes.contains(QStringLiteral("busAddress")));
    EXPECT_EQ(withoutAddress.attributes.value(QStringLiteral("slot")), QStringLiteral("4"));
}

TEST_F(RequestBuilder, SystemTagNamesSlotInTwoDigitsAndFirstChannelTag) {
    EXPECT_EQ(station.dtmForSlot(3)->baseDtm()->parameterManager()->SystemTag(),
              QStringLiteral("QT27 slot 03 TI-101"));
    EXPECT_EQ(station.dtmForSlot(7)->baseDtm()->parameterManager()->SystemTag(),
              QStringLiteral("QT27 slot 07 LI-401"));
}
