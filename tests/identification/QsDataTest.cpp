// The production data: the decoder (the station's telegrams and broken ones) and the stored
// form (stable, read back, later and damaged forms) as tables; the device variant table and
// the place of the device picture.
#include <gtest/gtest.h>

#include "QT27Controls/identification/Identification.h"
#include "host/SimulatedStation.h"
#include "rmox/Error.h"
#include "rmox/QsData/PropertyBag.h"
#include "rmox/QsData/QsData.h"

namespace {

using rmox::PropertyBag;
using rmox::QsData;

/// The telegram the simulated station sends for these fields (date yyyy-MM-dd, "" none).
QByteArray station(const char* charge, const char* serial, const char* sw, const char* hw, const char* date) {
    return host::SimulatedStation::encodeProductionData(
        {QLatin1String(charge), QLatin1String(serial), QLatin1String(sw), QLatin1String(hw),
         QDate::fromString(QLatin1String(date), Qt::ISODate)});
}
const QByteArray kGood = station("K2231-03", "QT37-012003", "2.14", "1.02", "2023-03-04");

QString shown(const QsData& data) {
    return QStringList({data.ChargeCode, data.SerialNumber, data.SoftwareRevision, data.HardwareRevision,
                        data.DateOfLastRefresh.toString(Qt::ISODate)})
        .join('|');
}

/// "charge|serial|software|hardware|date", or "!" and the error text.
template <typename Read>
QString outcome(Read read) {
    QsData data;
    try {
        read(data);
    } catch (const rmox::Error& error) {
        return '!' + error.description();
    }
    return shown(data);
}
QString decoded(const QByteArray& telegram) {
    return outcome([&](QsData& data) { data.Decode(telegram); });
}
QString readBack(const QByteArray& form) {
    return outcome([&](QsData& data) {
        PropertyBag bag;
        bag.SetContents(form);
        data.ReadProperties(bag.ReadObject(QStringLiteral("QsData")));
    });
}
QByteArray storedForm(const QByteArray& telegram) {
    QsData data;
    data.Decode(telegram);
    PropertyBag object, bag;
    data.WriteProperties(object);
    bag.WriteObject(QStringLiteral("QsData"), object);
    return bag.Contents();
}

/// A row holds when the result equals the expectation, or starts with it when that ends in "...".
void expectRow(const QString& result, const char* expected) {
    const QString text = QString::fromUtf8(expected);
    EXPECT_TRUE(text.endsWith("...") ? result.startsWith(text.chopped(3)) : result == text)
        << result.toStdString() << " / " << expected;
}

TEST(QsDataTest, TelegramsDecodeToTheirFieldsOrAreRefusedWithTheReason) {
    const auto with = [](int index, const QByteArray& bytes) {
        return QByteArray(kGood).replace(index, bytes.size(), bytes);
    };
    const std::pair<QByteArray, const char*> rows[] = {
        {kGood, "K2231-03|QT37-012003|2.14|1.02|2023-03-04"},
        // Fields filled to the last byte; the first and the last day; no date; blanks inside stay.
        {station("ABCDEFGHIJ", "123456789012", "9.99", "0.01", "2000-01-01"),
         "ABCDEFGHIJ|123456789012|9.99|0.01|2000-01-01"},
        {station("~", "!", "x", "y", "2255-12-31"), "~|!|x|y|2255-12-31"},
        {station("  K 1", "S N", "", "", ""), "  K 1|S N|||"},
        {with(8, QByteArray(2, '\0')), "K2231-03|QT37-012003|2.14|1.02|2023-03-04"},
        {kGood.left(32), "!Production data: the telegram has 32 bytes, 33 expected"},
        {kGood + ' ', "!Production data: the telegram has 34 bytes, 33 expected"},
        {QByteArray(), "!Production data: the telegram has 0 bytes, 33 expected"},
        {with(12, "\x07"),
         "!Production data: byte 12 of the serial number is 0x07, not a printable character"},
        {with(0, "\x80"), "!Production data: byte 0 of the charge code is 0x80..."},
        {with(23, "\x7F"), "!Production data: byte 23 of the software revision is 0x7F..."},
        {with(26, "\x1F"), "!Production data: byte 26 of the hardware revision is 0x1F..."},
        // A zero byte ends a field only where nothing printable follows.
        {with(3, QByteArray("\0X", 2)), "!Production data: byte 3 of the charge code is 0x00..."},
        {with(31, "\x02\x1E"),
         "!Production data: the date of the last refresh (year 2023, month 2, day 30) does not exist"},
        {with(30, QByteArray("\0\0\x01", 3)),
         "!Production data: the date of the last refresh (year 2000, month 0, day 1)..."},
        {with(31, "\x0D"), "!Production data: the date of the last refresh (year 2023, month 13, day 4)..."},
    };
    for (const auto& [telegram, expected] : rows) {
        expectRow(decoded(telegram), expected);
    }
}

TEST(QsDataTest, TheStoredFormIsStableReadsBackAndRefusesDamage) {
    const QByteArray form = storedForm(kGood);
    EXPECT_EQ(form, storedForm(QByteArray(kGood)));
    EXPECT_NE(form, storedForm(station("K2231-03", "QT37-012004", "2.14", "1.02", "2023-03-04")));
    EXPECT_EQ(readBack(storedForm(station("K", "S", "1", "2", ""))), QStringLiteral("K|S|1|2|"));
    // The object's property @p name set to @p value through the bag.
    const auto changed = [&](const char* name, const QVariant& value) {
        PropertyBag bag;
        bag.SetContents(form);
        PropertyBag object = bag.ReadObject(QStringLiteral("QsData"));
        object.WriteProperty(QLatin1String(name), value);
        bag.WriteObject(QStringLiteral("QsData"), object);
        return bag.Contents();
    };
    const auto bytes = [&](const char* after, int offset, const QByteArray& replacement, int length = 1) {
        return QByteArray(form).replace(form.indexOf(after) + offset, length, replacement);
    };
    const std::pair<QByteArray, const char*> rows[] = {
        {form, "K2231-03|QT37-012003|2.14|1.02|2023-03-04"},
        // A later version with more properties reads; the names are what counts.
        {changed("FormatVersion", 2), "K2231-03|QT37-012003|2.14|1.02|2023-03-04"},
        {changed("BatchLine", QStringLiteral("7")), "K2231-03|QT37-012003|2.14|1.02|2023-03-04"},
        {changed("SerialNumber", QStringLiteral("X")), "K2231-03|X|2.14|1.02|2023-03-04"},
        {changed("FormatVersion", 0), "!Production data: unknown format version 0"},
        {changed("SerialNumber", 12), "!Production data: \"SerialNumber\" is of type int"},
        {changed("DateOfLastRefresh", QStringLiteral("2023")),
         "!Production data: \"DateOfLastRefresh\" is of..."},
        {bytes("RPB", 0, "X"), "!Property bag: no property bag header"},
        {bytes("RPB", 3, "\x02"), "!Property bag: unknown format version 2"},
        {form.chopped(1), "!Property bag: cut short at byte..."},
        {form + '\0', "!Property bag: 1 bytes left over"},
        {QByteArray(), "!Property bag: cut short at byte 0"},
        {bytes("ChargeCode", 10, "X"), "!Property bag: unknown type of \"ChargeCode\"..."},
        {bytes("QsData", 6, "S"), "!Property bag: \"QsData\" holds no object"},
        {bytes("ChargeCode", -1, "\x0CSerialNumber", 11), "!Property bag: \"SerialNumber\" stands twice"},
        {bytes("DateOfLastRefresh", 18, QByteArray("\x07\xE7\x02\x1E", 4), 4),
         "!Property bag: \"DateOfLastRefresh\" holds no date"},
    };
    for (const auto& [stored, expected] : rows) {
        expectRow(readBack(stored), expected);
    }
    PropertyBag bag;
    EXPECT_THROW(bag.WriteProperty(QString(256, 'n'), 1), rmox::Error);
    EXPECT_THROW(bag.WriteProperty(QStringLiteral("n"), 1.5), rmox::Error);
}

TEST(VariantTest, TheFirstWordOfTheTypeNameChoosesTheCatalogueNumber) {
    const std::pair<const char*, const char*> rows[] = {
        {"QT27Ex", "7310458"},
        {"QT27-N 4AI", "7310462"},
        {"QT271Ex 4AI", "400093215"},
        {"QT271-N", "400093216"},
        {"QT271-N 4 AI", "400093216"},
        {"qt271-n 4AI", "???"},
        {"QT27EX", "???"},
        {" QT27Ex", "???"},
        {"QT27Ex\t4AI", "???"},
        {"QT27Ex-4AI", "???"},
        {"", "???"},
        {"QT27", "???"},
    };
    for (const auto& [typeName, number] : rows) {
        EXPECT_EQ(qt27::Identification::CatalogueNumber(QLatin1String(typeName)), QLatin1String(number))
            << typeName;
    }
}

// Picture pixels -> Left, Width in twips (3915 high at Top 840): halves round to even, the
// centring division truncates toward zero, also for a picture wider than its area.
TEST(VariantTest, TheDevicePictureIsScaledAndCentred) {
    const std::tuple<QSize, int, int> rows[] = {{{180, 261}, 6022, 2700}, {{181, 260}, 6010, 2725},
                                                {{1, 2}, 6393, 1958},     {{3, 2}, 4437, 5872},
                                                {{200, 100}, 3458, 7830}, {{0, 10}, 6000, 0}};
    for (const auto& [pixels, left, width] : rows) {
        EXPECT_EQ(qt27::Identification::DevicePictureRect(pixels), QRect(left, 840, width, 3915)) << width;
    }
}

}  // namespace
