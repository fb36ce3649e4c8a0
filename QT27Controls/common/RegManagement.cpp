#include "RegManagement.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>

#include <QMutex>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <optional>
#include <tuple>

#include "RegistryHive.h"
#endif

namespace qt27 {

namespace {

/// Size of the buffer a value is read into; a longer value is a failed read.
constexpr int kValueBufferSize = 256;

/// A registry file larger than this is not read (4 MiB; the DTM's key takes a few lines).
[[maybe_unused]] constexpr qint64 kMaximumHiveFileSize = 4 * 1024 * 1024;

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

namespace {

/// Writes @p problem of the hive file to standard error, once per process and text:
/// every page reads the switches, and one notice is enough.
void ReportHiveProblem(const QString& problem) {
    static QSet<QString> reported;
    if (!reported.contains(problem)) {
        reported.insert(problem);
        const QByteArray line =
            (QStringLiteral("rimox registry: ") + problem + QStringLiteral("; its values read as absent.\n"))
                .toLocal8Bit();
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
        std::fflush(stderr);
    }
}

/// The bytes of the registry file at @p path; false, with a notice, when the file
/// cannot be read. A missing file is no problem unless RIMOX_REGISTRY names it:
/// without a registry file every value is absent, the debug log off.
bool ReadHiveBytes(const QString& path, QByteArray& bytes) {
    const QString name = QStringLiteral("the registry file \"%1\"").arg(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        if (!qEnvironmentVariableIsEmpty("RIMOX_REGISTRY")) {
            ReportHiveProblem(name + QStringLiteral(" (RIMOX_REGISTRY) does not exist"));
        }
        return false;
    }
    if (info.isDir()) {
        ReportHiveProblem(name + QStringLiteral(" is a folder"));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ReportHiveProblem(name + QStringLiteral(" cannot be read: ") + file.errorString());
        return false;
    }
    // A device such as /dev/zero never ends: one byte over the limit tells it.
    bytes = file.read(kMaximumHiveFileSize + 1);
    if (bytes.size() > kMaximumHiveFileSize) {
        ReportHiveProblem(name +
                          QStringLiteral(" is larger than %1 MiB").arg(kMaximumHiveFileSize / (1024 * 1024)));
        return false;
    }
    return true;
}

/// What tells one state of the registry file from another without reading it.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    bool operator==(const FileStamp& other) const {
        return std::tie(device, inode, size, modifiedNs, changedNs) ==
               std::tie(other.device, other.inode, other.size, other.modifiedNs, other.changedNs);
    }
};

constexpr qint64 kNsPerSecond = 1'000'000'000;

qint64 Nanoseconds(qint64 seconds, qint64 nanoseconds) {
    return seconds * kNsPerSecond + nanoseconds;
}

/// The stamp of the regular file at @p path, or nothing (errno then tells why when
/// the file is missing).
std::optional<FileStamp> StampOf(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        errno = 0;
        return std::nullopt;
    }
    return FileStamp{status.st_dev, status.st_ino, status.st_size,
                     Nanoseconds(status.st_mtim.tv_sec, status.st_mtim.tv_nsec),
                     Nanoseconds(status.st_ctim.tv_sec, status.st_ctim.tv_nsec)};
}

/// File times advance in steps of the kernel's coarse clock (a few milliseconds),
/// so two writes close together can leave the same stamp. A stamp whose last change
/// lies further in the past than such a step cannot be repeated by a later write:
/// it alone tells that the file is unchanged. Times without a fraction of a second
/// come from a file system that keeps whole seconds (or two): there the wait is longer.
constexpr qint64 kSettledAfterNs = 50'000'000;
constexpr qint64 kSettledAfterWholeSecondsNs = 3'000'000'000;

bool IsSettled(const FileStamp& stamp) {
    // The system clock is the one file times are taken from.
    const qint64 now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    const qint64 lastChange = qMax(stamp.modifiedNs, stamp.changedNs);
    const bool wholeSeconds = stamp.modifiedNs % kNsPerSecond == 0 && stamp.changedNs % kNsPerSecond == 0;
    return now - lastChange > (wholeSeconds ? kSettledAfterWholeSecondsNs : kSettledAfterNs);
}

/// The hive of the registry file; an empty one, with a notice, when the file cannot
/// be read. Every page reads the debug switches when it is created, so the hive is
/// kept for the process and read again only when the file's stamp (device, inode,
/// size, modification and change times) differs from the one it was read at. While
/// that stamp is recent the file is read again and compared byte for byte with the
/// kept copy; only different bytes are parsed again.
RegistryHive::Hive CurrentHive() {
    struct Kept {
        bool filled = false;
        QString path;
        std::optional<FileStamp> stamp;
        bool settled = false;
        QByteArray bytes;
        RegistryHive::Hive hive;
    };
    static QMutex mutex;
    static Kept kept;
    const QMutexLocker lock(&mutex);

    const QString path = RegistryHivePath();
    const std::optional<FileStamp> stamp = StampOf(path);
    if (kept.settled && stamp && kept.path == path && kept.stamp == stamp) {
        return kept.hive;
    }
    if (!stamp && errno == ENOENT) {
        kept = Kept{};
        if (!qEnvironmentVariableIsEmpty("RIMOX_REGISTRY")) {
            ReportHiveProblem(
                QStringLiteral("the registry file \"%1\" (RIMOX_REGISTRY) does not exist").arg(path));
        }
        return {};
    }
    QByteArray bytes;
    if (!ReadHiveBytes(path, bytes)) {
        kept = Kept{};
        return {};
    }
    if (!kept.filled || kept.path != path || kept.bytes != bytes) {
        kept.hive = RegistryHive::Parse(bytes);
        if (!kept.hive.valid) {
            ReportHiveProblem(QStringLiteral("the registry file \"%1\" is not a registry file: ").arg(path) +
                              kept.hive.error);
        }
        kept.filled = true;
        kept.path = path;
        kept.bytes = bytes;
    }
    kept.stamp = stamp;
    kept.settled = stamp && IsSettled(*stamp);
    return kept.hive;
}

}  // namespace

QVariant QueryRegistryValue(const QString& subKey, const QString& valueName, const QString& keyPath) {
    const RegistryHive::Hive hive = CurrentHive();
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
