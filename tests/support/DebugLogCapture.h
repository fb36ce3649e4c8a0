#pragma once

// Captures the debug log of the pages: switches the debugger sink on (standard error
// on this platform) and collects its records as "source: message", without the
// "rimox::QT27Controls::" prefix. Create it after the page, whose creation reads the
// debug switches again.

#include <QStringList>

namespace testsupport {

class DebugLogCapture {
public:
    DebugLogCapture();
    ~DebugLogCapture();
    DebugLogCapture(const DebugLogCapture&) = delete;
    DebugLogCapture& operator=(const DebugLogCapture&) = delete;

    /// Every record so far, in order.
    QStringList lines();
    /// The records so far whose source starts with @p sourcePrefix.
    QStringList linesFrom(const QString& sourcePrefix);
    /// Forgets the records so far.
    void clear();

private:
    /// Takes the captured text; captures on when @p goOn.
    void collect(bool goOn = true);

    QStringList m_lines;
    bool m_capturing = false;
};

}  // namespace testsupport
