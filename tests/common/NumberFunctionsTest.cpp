#include <gtest/gtest.h>

#include <QLocale>

#include "QT27Controls/common/NumberFunctions.h"
#include "rmox/Error.h"

using namespace qt27;

namespace {

struct FormatCase {
    double value;
    const char* format;
    const char* expected;
};

class FormatWithPointLocales : public testing::TestWithParam<std::tuple<QLocale::Language, FormatCase>> {};

TEST_P(FormatWithPointLocales, TextCarriesAPointWhateverTheLocale) {
    const auto& [language, c] = GetParam();
    QLocale::setDefault(
        QLocale(language, language == QLocale::German ? QLocale::Germany : QLocale::AnyTerritory));
    EXPECT_EQ(FormatWithPoint(c.value, QString::fromLatin1(c.format)), QString::fromLatin1(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatWithPointLocales,
    testing::Combine(testing::Values(QLocale::English, QLocale::German, QLocale::French, QLocale::C),
                     testing::Values(FormatCase{1.5, "0.000", "1.500"}, FormatCase{0.0, "0.0", "0.0"},
                                     FormatCase{-2.25, "0.000", "-2.250"}, FormatCase{100.0, "0.0", "100.0"},
                                     FormatCase{99.96, "0.0", "100.0"}, FormatCase{0.0004, "0.000", "0.000"},
                                     // No group separators, also in locales that group with "." or ",".
                                     FormatCase{1234567.891, "0.0", "1234567.9"},
                                     FormatCase{-12345.6789, "0.000", "-12345.679"},
                                     // No negative zero.
                                     FormatCase{-0.04, "0.0", "0.0"}, FormatCase{-0.0, "0.000", "0.000"},
                                     FormatCase{-0.0004, "0.000", "0.000"}, FormatCase{-0.06, "0.0", "-0.1"},
                                     // The number of "0" after the point sets the decimals.
                                     FormatCase{2.6, "0", "3"}, FormatCase{2.5, "0.00", "2.50"},
                                     FormatCase{7.0, "", "7"})));

struct ToBytesCase {
    qint16 value;
    qint16 index;
    bool highByteFirst;
    QByteArray before;
    QByteArray after;
};

class IntegerToBytesCases : public testing::TestWithParam<ToBytesCase> {};

TEST_P(IntegerToBytesCases, WritesTwoBytesInTheAskedOrder) {
    const ToBytesCase& c = GetParam();
    QByteArray array = c.before;
    IntegerToBytes(c.value, array, c.index, c.highByteFirst);
    EXPECT_EQ(array.toHex(), c.after.toHex());
}

INSTANTIATE_TEST_SUITE_P(
    Values, IntegerToBytesCases,
    testing::Values(ToBytesCase{0x1234, 3, true, QByteArray::fromHex("aaaaaaaaaaaaaa"),
                                QByteArray::fromHex("aaaaaa1234aaaa")},
                    ToBytesCase{0x1234, 3, false, QByteArray::fromHex("aaaaaaaaaaaaaa"),
                                QByteArray::fromHex("aaaaaa3412aaaa")},
                    ToBytesCase{-2, 0, true, QByteArray::fromHex("0000"), QByteArray::fromHex("fffe")},
                    ToBytesCase{-32768, 0, false, QByteArray::fromHex("0000"), QByteArray::fromHex("0080")},
                    ToBytesCase{0x7FFF, 1, true, QByteArray::fromHex("000000"),
                                QByteArray::fromHex("007fff")}));

struct FromBytesCase {
    QByteArray array;
    quint8 index;
    bool highByteFirst;
    qint16 expected;
};

class BytesToIntegerCases : public testing::TestWithParam<FromBytesCase> {};

TEST_P(BytesToIntegerCases, ReadsATwosComplementWord) {
    const FromBytesCase& c = GetParam();
    qint16 value = 0x5555;
    BytesToInteger(c.array, value, c.index, c.highByteFirst);
    EXPECT_EQ(value, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Values, BytesToIntegerCases,
                         testing::Values(FromBytesCase{QByteArray::fromHex("008001"), 1, true, -32767},
                                         FromBytesCase{QByteArray::fromHex("008001"), 1, false, 0x0180},
                                         FromBytesCase{QByteArray::fromHex("0064"), 0, true, 100},
                                         FromBytesCase{QByteArray::fromHex("7fff"), 0, true, 32767},
                                         FromBytesCase{QByteArray::fromHex("ffff"), 0, false, -1}));

TEST(BytesToInteger, InvalidFlagIsMaskedByTheCaller) {
    qint16 value = 0;
    BytesToInteger(QByteArray::fromHex("008001"), value, 1, true);
    EXPECT_EQ(value & 0x7FFF, 1);
}

TEST(IntegerToBytes, BytesReadBackAsTheSameValue) {
    for (const bool highByteFirst : {true, false}) {
        for (const int value : {-32768, -32767, -256, -1, 0, 1, 255, 256, 0x1234, 32767}) {
            QByteArray array(4, '\0');
            IntegerToBytes(static_cast<qint16>(value), array, 2, highByteFirst);
            qint16 back = 0;
            BytesToInteger(array, back, 2, highByteFirst);
            EXPECT_EQ(back, value) << highByteFirst;
        }
    }
}

struct BadIndexCase {
    int size;
    qint16 index;
    long error;
};

class IntegerToBytesErrors : public testing::TestWithParam<BadIndexCase> {};

TEST_P(IntegerToBytesErrors, RaisesAndLeavesTheArrayAlone) {
    const BadIndexCase& c = GetParam();
    QByteArray array(c.size, '\x11');
    const QByteArray before = array;
    try {
        IntegerToBytes(0x1234, array, c.index, true);
        FAIL() << "no error raised";
    } catch (const rmox::Error& error) {
        EXPECT_EQ(error.number(), c.error);
    }
    EXPECT_EQ(array, before);
}

INSTANTIATE_TEST_SUITE_P(Indexes, IntegerToBytesErrors,
                         testing::Values(BadIndexCase{4, 3, rmox::Error::SubscriptOutOfRange},
                                         BadIndexCase{4, 4, rmox::Error::SubscriptOutOfRange},
                                         BadIndexCase{4, -1, rmox::Error::SubscriptOutOfRange},
                                         BadIndexCase{0, 0, rmox::Error::SubscriptOutOfRange},
                                         BadIndexCase{1, 0, rmox::Error::SubscriptOutOfRange},
                                         // index + 1 beyond 32767 overflows before any bounds check.
                                         BadIndexCase{4, 32767, rmox::Error::Overflow},
                                         BadIndexCase{40000, 32767, rmox::Error::Overflow}));

class BytesToIntegerErrors : public testing::TestWithParam<std::tuple<int, quint8>> {};

TEST_P(BytesToIntegerErrors, RaisesSubscriptAndLeavesTheValueAlone) {
    const auto [size, index] = GetParam();
    qint16 value = 0x2222;
    try {
        BytesToInteger(QByteArray(size, '\x01'), value, index, false);
        FAIL() << "no error raised";
    } catch (const rmox::Error& error) {
        EXPECT_EQ(error.number(), rmox::Error::SubscriptOutOfRange);
    }
    EXPECT_EQ(value, 0x2222);
}

INSTANTIATE_TEST_SUITE_P(Indexes, BytesToIntegerErrors,
                         testing::Values(std::make_tuple(0, 0), std::make_tuple(1, 0), std::make_tuple(9, 8),
                                         std::make_tuple(256, 255)));

}  // namespace
