#pragma once

// Small measuring helpers shared by the read-cycle benchmarks: CPU clocks, the
// resident memory of the process and the machine's load, so that every figure can
// be printed beside the conditions it was taken under.

#include <sys/resource.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <QByteArray>
#include <QFile>
#include <QString>
#include <algorithm>
#include <ctime>
#include <vector>

namespace bench {

/// CPU time of the whole process, in microseconds. All threads count: Qt's raster
/// painting hands parts of some image operations to its thread pool.
inline double cpuMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

/// User and system CPU time of the whole process (all threads), in seconds.
struct ProcessCpu {
    double user = 0.0;
    double system = 0.0;
    double total() const { return user + system; }

    static ProcessCpu now() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        ProcessCpu cpu;
        cpu.user =
            static_cast<double>(usage.ru_utime.tv_sec) + static_cast<double>(usage.ru_utime.tv_usec) / 1e6;
        cpu.system =
            static_cast<double>(usage.ru_stime.tv_sec) + static_cast<double>(usage.ru_stime.tv_usec) / 1e6;
        return cpu;
    }
    ProcessCpu operator-(const ProcessCpu& earlier) const {
        return ProcessCpu{user - earlier.user, system - earlier.system};
    }
};

/// A field of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when it cannot be read.
inline long statusKilobytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix)) {
            bool ok = false;
            const long value = line.mid(prefix.size()).trimmed().split(' ').value(0).toLong(&ok);
            return ok ? value : -1;
        }
    }
    return -1;
}

inline long residentKilobytes() {
    return statusKilobytes("VmRSS");
}

inline long peakResidentKilobytes() {
    return statusKilobytes("VmHWM");
}

/// Bytes the C heap has handed out and not taken back (all arenas and mmapped
/// blocks); -1 where the C library cannot tell. Unlike the resident size it does
/// not hide small growth in pages the allocator already holds.
inline long long heapInUseBytes() {
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long long>(info.uordblks + info.hblkhd);
#else
    return -1;
#endif
}

/// The first line of /proc/loadavg ("1.62 3.17 4.44 2/345 6789"), without the newline.
inline QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("unknown");
    }
    return QString::fromLatin1(file.readLine().trimmed());
}

/// The median of @p values (the mean of the middle two for an even count); 0 when empty.
inline double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

/// The value below which @p share (0 to 1) of @p values lie; 0 when empty.
inline double percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

inline double mean(const std::vector<double>& values) {
    if (values.empty()) {
        return 0.0;
    }
    double sum = 0.0;
    for (const double value : values) {
        sum += value;
    }
    return sum / static_cast<double>(values.size());
}

}  // namespace bench
