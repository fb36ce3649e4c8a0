#pragma once

// Captures the pages' debug log from the debugger sink (standard error here) as "source:
// message". Create it after the page, whose creation reads the debug switches again.

#include <gtest/gtest.h>

#include <QStringList>

#include "QT27Controls/common/DebugHelper.h"

namespace testsupport {

class DebugLogCapture {
public:
    DebugLogCapture() { qt27::ReadDebugSettings(1), testing::internal::CaptureStderr(); }
    ~DebugLogCapture() { collect(false), qt27::ReadDebugSettings(-1); }
    DebugLogCapture(const DebugLogCapture&) = delete;
    DebugLogCapture& operator=(const DebugLogCapture&) = delete;

    /// Every record so far, in order.
    QStringList lines() { return collect(), m_lines; }
    /// The records so far whose source starts with @p sourcePrefix.
    QStringList linesFrom(const QString& sourcePrefix) {
        QStringList result = lines();
        result.removeIf([&](const QString& line) { return !line.startsWith(sourcePrefix); });
        return result;
    }
    /// Forgets the records so far.
    void clear() { collect(), m_lines.clear(); }

private:
    /// Takes the captured text; captures on when @p goOn.
    void collect(bool goOn = true) {
        fflush(stderr);
        for (const QString& line :
             QString::fromStdString(testing::internal::GetCapturedStderr()).split('\n')) {
            if (const qsizetype at = line.indexOf(QLatin1String("rimox::QT27Controls::")); at >= 0) {
                m_lines.append(line.mid(at + 21).remove('\r'));
            }
        }
        if (goOn) {
            testing::internal::CaptureStderr();
        }
    }

    QStringList m_lines;
};

}  // namespace testsupport
