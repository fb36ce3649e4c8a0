#include "RegManagement.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include "RegistryHive.h"
#endif

namespace qt27 {

namespace {

/// Size of the buffer a value is read into; a longer value is a failed read.
constexpr int kValueBufferSize = 256;

constexpr quint32 kTypeString = 1;
constexpr quint32 kTypeDword = 4;

QVariant FailedRead() {
    return QVariant::fromValue<qint16>(0);
}

/// The answer for a value of @p type whose bytes (as an 8-bit read returns them,
/// at most the buffer size) are @p data.
QVariant ValueResult(quint32 type, const QByteArray& data) {
    switch (type) {
        case kTypeString: {
            const qsizetype end = data.indexOf('\0');
            return QString::fromLocal8Bit(end < 0 ? data : data.left(end));
        }
        case kTypeDword: {
            quint32 number = 0;
            for (qsizetype i = 0; i < qMin<qsizetype>(data.size(), 4); ++i) {
                number |= static_cast<quint32>(static_cast<quint8>(data.at(i))) << (8 * i);
            }
            return static_cast<int>(number);
        }
        default:
            return QVariant();
    }
}

QString FullKeyPath(const QString& root, const QString& keyPath, const QString& subKey) {
    QStringList parts;
    if (!root.isEmpty()) {
        parts << root;
    }
    if (!keyPath.isEmpty()) {
        parts << keyPath;
    }
    if (!subKey.isEmpty()) {
        parts << subKey;
    }
    return parts.join(u'\\');
}

#ifndef Q_OS_WIN
/// The bytes an 8-bit registry read hands back for @p value: texts converted from
/// the registry's UTF-16 into the local 8-bit encoding, everything else as stored.
QByteArray EightBitData(const RegistryHive::Value& value) {
    if (value.type != RegistryHive::TypeString && value.type != RegistryHive::TypeExpandString &&
        value.type != RegistryHive::TypeMultiString) {
        return value.data;
    }
    return RegistryHive::Utf16Text(value.data).toLocal8Bit();
}
#endif

}  // namespace

QString RegistryHivePath() {
    const QString path = qEnvironmentVariable("RIMOX_REGISTRY");
    return path.isEmpty() ? QStringLiteral("/etc/rimox/registry.reg") : path;
}

#ifdef Q_OS_WIN

/// Query value, enumerate sub-keys, notify: read-only access.
constexpr REGSAM kReadAccess = 0x19;

QVariant QueryRegistryValue(const QString& subKey, const QString& valueName, const QString& keyPath) {
    const QByteArray path = FullKeyPath(QString(), keyPath, subKey).toLocal8Bit();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.constData(), 0, kReadAccess, &key) != ERROR_SUCCESS) {
        return FailedRead();
    }
    const QByteArray name = valueName.toLocal8Bit();
    DWORD type = 0;
    BYTE buffer[kValueBufferSize] = {};
    DWORD size = sizeof buffer;
    const LONG status = RegQueryValueExA(key, name.constData(), nullptr, &type, buffer, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        return FailedRead();
    }
    return ValueResult(type, QByteArray(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size)));
}

#else

QVariant QueryRegistryValue(const QString& subKey, const QString& valueName, const QString& keyPath) {
    QFile file(RegistryHivePath());
    if (!file.open(QIODevice::ReadOnly)) {
        return FailedRead();
    }
    const RegistryHive::Hive hive = RegistryHive::Parse(file.readAll());
    file.close();
    const RegistryHive::Value* value =
        hive.value(FullKeyPath(QStringLiteral("HKEY_LOCAL_MACHINE"), keyPath, subKey), valueName);
    if (value == nullptr) {
        return FailedRead();
    }
    const QByteArray data = EightBitData(*value);
    if (data.size() > kValueBufferSize) {
        return FailedRead();
    }
    return ValueResult(value->type, data);
}

#endif

}  // namespace qt27
