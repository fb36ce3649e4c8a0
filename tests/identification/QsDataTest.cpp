// The production data: the decoder against the station's encoder and broken telegrams as one
// table, the stored form (stable, read back, later versions, damaged forms), the device
// variant table and the place of the device picture.
#include <gtest/gtest.h>

#include "QT27Controls/identification/Identification.h"
#include "host/SimulatedStation.h"
#include "rmox/Error.h"
#include "rmox/QsData/PropertyBag.h"
#include "rmox/QsData/QsData.h"

namespace {

using rmox::PropertyBag;
using rmox::QsData;

/// The telegram the simulated station sends for these fields (date as yyyy-MM-dd, "" none).
QByteArray stationTelegram(const char* charge, const char* serial, const char* software, const char* hardware,
                           const char* date) {
    host::ProductionData data{QLatin1String(charge), QLatin1String(serial), QLatin1String(software),
                              QLatin1String(hardware), QDate::fromString(QLatin1String(date), Qt::ISODate)};
    return host::SimulatedStation::encodeProductionData(data);
}

/// What decoding @p telegram gives: "charge|serial|software|hardware|date", or "!" and the
/// error text.
QString decoded(const QByteArray& telegram) {
    QsData data;
    try {
        data.Decode(telegram);
    } catch (const rmox::Error& error) {
        return '!' + error.description();
    }
    return QStringList({data.ChargeCode, data.SerialNumber, data.SoftwareRevision, data.HardwareRevision,
                        data.DateOfLastRefresh.toString(Qt::ISODate)})
        .join('|');
}

TEST(QsDataTest, TheStationsTelegramsDecodeToTheirFields) {
    const struct {
        QByteArray telegram;
        const char* expected;
    } rows[] = {
        {stationTelegram("K2231-03", "QT37-012003", "2.14", "1.02", "2023-03-04"),
         "K2231-03|QT37-012003|2.14|1.02|2023-03-04"},
        // Fields filled to the last byte; the first and the last day the telegram can carry.
        {stationTelegram("ABCDEFGHIJ", "123456789012", "9.99", "0.01", "2000-01-01"),
         "ABCDEFGHIJ|123456789012|9.99|0.01|2000-01-01"},
        {stationTelegram("~", "!", "x", "y", "2255-12-31"), "~|!|x|y|2255-12-31"},
        // Leading and inner blanks stay; no date gives a null date; empty fields stay empty.
        {stationTelegram("  K 1", "S N", "", "", ""), "  K 1|S N|||"},
        {stationTelegram("K", "S", "1", "2", "2024-02-29"), "K|S|1|2|2024-02-29"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(decoded(row.telegram), QLatin1String(row.expected)) << row.telegram.toHex().toStdString();
    }
}

TEST(QsDataTest, BrokenTelegramsAreRefusedWithTheirReason) {
    const QByteArray good = stationTelegram("K2231-03", "QT37-012003", "2.14", "1.02", "2023-03-04");
    const auto with = [&](int index, const QByteArray& bytes) {
        return QByteArray(good).replace(index, bytes.size(), bytes);
    };
    const struct {
        QByteArray telegram;
        const char* expected;
    } rows[] = {
        {good.left(32), "the telegram has 32 bytes, 33 expected"},
        {good + ' ', "the telegram has 34 bytes, 33 expected"},
        {QByteArray(), "the telegram has 0 bytes, 33 expected"},
        {with(12, "\x07"), "byte 12 of the serial number is 0x07, not a printable character"},
        {with(0, "\x80"), "byte 0 of the charge code is 0x80, not a printable character"},
        {with(23, "\x7F"), "byte 23 of the software revision is 0x7F"},
        {with(26, "\x1F"), "byte 26 of the hardware revision is 0x1F"},
        // A zero byte ends the field only where nothing printable follows.
        {with(3, QByteArray("\0", 1) + "X"), "byte 3 of the charge code is 0x00"},
        {with(31, "\x02\x1E"), "(year 2023, month 2, day 30) does not exist"},
        {with(30, QByteArray("\0\0\x01", 3)), "(year 2000, month 0, day 1) does not exist"},
        {with(31, "\x0D"), "month 13"},
    };
    for (const auto& row : rows) {
        const QString result = decoded(row.telegram);
        EXPECT_TRUE(result.startsWith("!Production data: ") && result.contains(QLatin1String(row.expected)))
            << result.toStdString() << " / " << row.expected;
    }
    QByteArray padded = good;
    padded.replace(8, 2, QByteArray(2, '\0'));
    EXPECT_EQ(decoded(padded).section('|', 0, 0), QStringLiteral("K2231-03"));
}

/// The stored form of @p telegram as the page writes it: the object under "QsData".
QByteArray storedForm(const QByteArray& telegram) {
    QsData data;
    data.Decode(telegram);
    PropertyBag object, bag;
    data.WriteProperties(object);
    bag.WriteObject(QStringLiteral("QsData"), object);
    return bag.Contents();
}

/// What the stored form @p form reads back as (like decoded()).
QString readBack(const QByteArray& form) {
    try {
        PropertyBag bag;
        bag.SetContents(form);
        QsData data;
        data.ReadProperties(bag.ReadObject(QStringLiteral("QsData")));
        return QStringList({data.ChargeCode, data.SerialNumber, data.SoftwareRevision, data.HardwareRevision,
                            data.DateOfLastRefresh.toString(Qt::ISODate)})
            .join('|');
    } catch (const rmox::Error& error) {
        return '!' + error.description();
    }
}

TEST(QsDataTest, TheStoredFormIsStableAndReadsBack) {
    for (const char* date : {"2023-03-04", ""}) {
        const QByteArray telegram = stationTelegram("K2231-03", "QT37-012003", "2.14", "1.02", date);
        EXPECT_EQ(storedForm(telegram), storedForm(QByteArray(telegram)));
        EXPECT_EQ(readBack(storedForm(telegram)), decoded(telegram));
        EXPECT_NE(storedForm(telegram), storedForm(stationTelegram("K2231-03", "QT37-012004", "2.14", "1.02", date)));
    }
}

TEST(QsDataTest, LaterFormsReadAndDamagedFormsAreRefused) {
    const QByteArray telegram = stationTelegram("K2231-03", "QT37-012003", "2.14", "1.02", "2023-03-04");
    const QByteArray form = storedForm(telegram);
    // A form changed through the bag: the object's properties replaced or added.
    const auto changed = [&](const char* name, const QVariant& value) {
        PropertyBag bag;
        bag.SetContents(form);
        PropertyBag object = bag.ReadObject(QStringLiteral("QsData"));
        object.WriteProperty(QLatin1String(name), value);
        bag.WriteObject(QStringLiteral("QsData"), object);
        return bag.Contents();
    };
    const auto bytes = [&](qsizetype at, const QByteArray& replacement, qsizetype length = 1) {
        return QByteArray(form).replace(at, length, replacement);
    };
    const struct {
        QByteArray form;
        const char* expected;
    } rows[] = {
        {changed("FormatVersion", 2), "K2231-03|QT37-012003|2.14|1.02|2023-03-04"},
        {changed("BatchLine", QStringLiteral("7")), "K2231-03|QT37-012003|2.14|1.02|2023-03-04"},
        {changed("SerialNumber", QStringLiteral("X")), "K2231-03|X|2.14|1.02|2023-03-04"},
        {changed("FormatVersion", 0), "!Production data: unknown format version 0"},
        {changed("SerialNumber", 12), "!Production data: \"SerialNumber\" is of type int"},
        {changed("DateOfLastRefresh", QStringLiteral("2023")), "!Production data: \"DateOfLastRefresh\" is of"},
        {bytes(0, "X"), "!Property bag: no property bag header"},
        {bytes(3, "\x02"), "!Property bag: unknown format version 2"},
        {form.chopped(1), "!Property bag: cut short at byte"},
        {form + '\0', "!Property bag: 1 bytes left over"},
        {QByteArray(), "!Property bag: cut short at byte 0"},
        {bytes(form.indexOf("ChargeCode") + 10, "X"), "!Property bag: unknown type of \"ChargeCode\""},
        {bytes(form.indexOf("QsData") + 6, "S"), "!Property bag: \"QsData\" holds no object"},
        {bytes(form.indexOf("ChargeCode"), "SerialNumber", 10).replace(form.indexOf("ChargeCode") - 1, 1, "\x0C"),
         "!Property bag: \"SerialNumber\" stands twice"},
        {bytes(form.indexOf("DateOfLastRefresh") + 18, QByteArray("\x07\xE7\x02\x1E", 4), 4),
         "!Property bag: \"DateOfLastRefresh\" holds no date"},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(readBack(row.form).startsWith(QLatin1String(row.expected)))
            << readBack(row.form).toStdString() << " / " << row.expected;
    }
    PropertyBag bag;
    EXPECT_THROW(bag.WriteProperty(QString(256, 'n'), 1), rmox::Error);
    EXPECT_THROW(bag.WriteProperty(QStringLiteral("n"), 1.5), rmox::Error);
    EXPECT_THROW(bag.ReadObject(QStringLiteral("QsData")), rmox::Error);
}

TEST(VariantTest, TheFirstWordOfTheTypeNameChoosesTheCatalogueNumber) {
    const std::pair<const char*, const char*> rows[] = {
        {"QT27Ex", "7310458"},         {"QT27-N 4AI", "7310462"},    {"QT271Ex 4AI", "400093215"},
        {"QT271-N 4 AI HART", "400093216"}, {"QT271-N", "400093216"}, {"qt271-n 4AI", "???"},
        {"QT27EX", "???"},             {" QT27Ex", "???"},           {"QT27Ex\t4AI", "???"},
        {"QT27Ex-4AI", "???"},         {"", "???"},                  {"QT27", "???"},
    };
    for (const auto& [typeName, number] : rows) {
        EXPECT_EQ(qt27::Identification::CatalogueNumber(QLatin1String(typeName)), QLatin1String(number))
            << typeName;
    }
    EXPECT_EQ(qt27::Identification::GetFirstWord(QStringLiteral("a b c")), QStringLiteral("a"));
    EXPECT_EQ(qt27::Identification::GetFirstWord(QStringLiteral("abc ")), QStringLiteral("abc"));
}

// Picture pixels -> Left, Width in twips (3915 high at Top 840): halves round to even, the
// centring division truncates toward zero, also for a picture wider than its area.
TEST(VariantTest, TheDevicePictureIsScaledAndCentred) {
    const struct {
        QSize pixels;
        int left, width;
    } rows[] = {
        {{180, 261}, 6022, 2700}, {{181, 260}, 6010, 2725}, {{1, 2}, 6393, 1958},
        {{3, 2}, 4437, 5872},     {{200, 100}, 3458, 7830}, {{0, 10}, 6000, 0},
    };
    for (const auto& row : rows) {
        const QRect place = qt27::Identification::DevicePictureRect(row.pixels);
        EXPECT_EQ(place, QRect(row.left, 840, row.width, 3915)) << row.pixels.width() << 'x' << row.pixels.height();
    }
}

}  // namespace
