// libFuzzer target: the production-data decoder and the read-back of a stored form. The first
// input byte chooses the path: even, the rest is a telegram; odd, the rest is a stored form.
// Whatever the bytes: a decoded telegram has 33 bytes, its texts are printable ASCII without
// trailing blanks, and its stored form reads back to the same fields and is written again
// byte for byte; a stored form that reads is written again into a form that reads the same.
// Every refusal is an rmox::Error, never a crash.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "rmox/Error.h"
#include "rmox/QsData/PropertyBag.h"
#include "rmox/QsData/QsData.h"

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

bool same(const rmox::QsData& a, const rmox::QsData& b) {
    return a.ChargeCode == b.ChargeCode && a.SerialNumber == b.SerialNumber &&
           a.SoftwareRevision == b.SoftwareRevision && a.HardwareRevision == b.HardwareRevision &&
           a.DateOfLastRefresh == b.DateOfLastRefresh;
}

QByteArray store(const rmox::QsData& data) {
    rmox::PropertyBag object, bag;
    data.WriteProperties(object);
    bag.WriteObject(QStringLiteral("QsData"), object);
    return bag.Contents();
}

rmox::QsData readBack(const QByteArray& form) {
    rmox::PropertyBag bag;
    bag.SetContents(form);
    rmox::QsData data;
    data.ReadProperties(bag.ReadObject(QStringLiteral("QsData")));
    return data;
}

void decodeTelegram(const QByteArray& telegram) {
    rmox::QsData data;
    try {
        data.Decode(telegram);
    } catch (const rmox::Error& error) {
        check(error.number() != 0 && !error.description().isEmpty());
        return;
    }
    check(telegram.size() == rmox::QsData::kTelegramSize);
    for (const QString& text :
         {data.ChargeCode, data.SerialNumber, data.SoftwareRevision, data.HardwareRevision}) {
        check(!text.endsWith(QLatin1Char(' ')));
        for (const QChar c : text) {
            check(c.unicode() >= 0x20 && c.unicode() < 0x7F);
        }
    }
    const QByteArray form = store(data);
    check(form == store(data));
    check(same(readBack(form), data));
}

void readStoredForm(const QByteArray& form) {
    rmox::QsData data;
    try {
        data = readBack(form);
    } catch (const rmox::Error& error) {
        check(!error.description().isEmpty());
        return;
    }
    const QByteArray again = store(data);
    check(same(readBack(again), data));
    check(store(readBack(again)) == again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const QByteArray input(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    if (data[0] % 2 == 0) {
        decodeTelegram(input);
    } else {
        readStoredForm(input);
    }
    return 0;
}
