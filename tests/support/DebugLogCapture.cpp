#include "DebugLogCapture.h"

#include <gtest/gtest.h>

#include "QT27Controls/common/DebugHelper.h"

namespace testsupport {

namespace {

const QString kPrefix = QStringLiteral("rimox::QT27Controls::");

}  // namespace

DebugLogCapture::DebugLogCapture() {
    qt27::ReadDebugSettings(1);
    testing::internal::CaptureStderr();
    m_capturing = true;
}

DebugLogCapture::~DebugLogCapture() {
    collect(false);
    qt27::ReadDebugSettings(-1);
}

void DebugLogCapture::collect(bool goOn) {
    if (!m_capturing) {
        return;
    }
    fflush(stderr);
    const QString text = QString::fromStdString(testing::internal::GetCapturedStderr());
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const qsizetype at = line.indexOf(kPrefix);
        if (at >= 0) {
            QString record = line.mid(at + kPrefix.size());
            if (record.endsWith(QLatin1Char('\r'))) {
                record.chop(1);
            }
            m_lines.append(record);
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
    QStringList result;
    for (const QString& line : lines()) {
        if (line.startsWith(sourcePrefix)) {
            result.append(line);
        }
    }
    return result;
}

void DebugLogCapture::clear() {
    collect();
    m_lines.clear();
}

}  // namespace testsupport
