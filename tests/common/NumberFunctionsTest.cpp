// Telegram words. Number texts, the debug log and help windows show in the pages' and the frame's tests.
#include <gtest/gtest.h>

#include "QT27Controls/common/NumberFunctions.h"
#include "rmox/Error.h"

using namespace qt27;

namespace {

TEST(NumberFunctions, WordsGoInAndOutInBothByteOrdersAndBadIndexesRaise) {
    for (const bool highFirst : {true, false}) {
        for (const int value : {-32768, -256, -1, 255, 0x1234, 32767}) {
            QByteArray array(4, '\x55');
            IntegerToBytes(static_cast<qint16>(value), array, 1, highFirst);
            qint16 back = 0;
            BytesToInteger(array, back, 1, highFirst);
            EXPECT_EQ(back, value) << highFirst;
        }
    }
    QByteArray array = QByteArray::fromHex("008001");
    IntegerToBytes(0x1234, array, 1, true);
    qint16 value = 0;
    BytesToInteger(QByteArray::fromHex("008001"), value, 1, false);
    EXPECT_EQ(array.toHex() + QByteArray::number(value, 16), "001234180");
    for (const auto& [size, index, error] : {std::tuple{4, 3, 9}, {4, -1, 9}, {1, 0, 9}, {40000, 32767, 6}}) {
        QByteArray bytes(size, '\x11');
        try {
            IntegerToBytes(0x1234, bytes, static_cast<qint16>(index), true);
            ADD_FAILURE() << "no error for " << index;
        } catch (const rmox::Error& raised) {
            EXPECT_EQ(raised.number(), error);
        }
        EXPECT_EQ(bytes, QByteArray(size, '\x11'));
    }
}

}  // namespace
