#include "DebugLogCapture.h"

#include <gtest/gtest.h>

#include "QT27Controls/common/DebugHelper.h"

namespace testsupport {

DebugLogCapture::DebugLogCapture() : m_capturing(true) {
    qt27::ReadDebugSettings(1);
    testing::internal::CaptureStderr();
}

DebugLogCapture::~DebugLogCapture() {
    collect(false);
    qt27::ReadDebugSettings(-1);
}

void DebugLogCapture::collect(bool goOn) {
    if (!m_capturing) {
        return;
    }
    static const QString prefix = QStringLiteral("rimox::QT27Controls::");
    fflush(stderr);
    const QString text = QString::fromStdString(testing::internal::GetCapturedStderr());
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (const qsizetype at = line.indexOf(prefix); at >= 0) {
            m_lines.append(line.mid(at + prefix.size()).remove(QLatin1Char('\r')));
        }
    }
    m_capturing = goOn;
    if (goOn) {
        testing::internal::CaptureStderr();
    }
}

QStringList DebugLogCapture::lines() {
    collect();
    return m_lines;
}

QStringList DebugLogCapture::linesFrom(const QString& sourcePrefix) {
    QStringList result = lines();
    result.removeIf([&](const QString& line) { return !line.startsWith(sourcePrefix); });
    return result;
}

void DebugLogCapture::clear() {
    collect();
    m_lines.clear();
}

}  // namespace testsupport
