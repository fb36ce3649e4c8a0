#include "InvokeIdGenerator.h"

#include <QUuid>

namespace rmox {

InvokeIdGenerator::InvokeIdGenerator()
    // A fresh prefix per generator keeps ids of two pages apart, also across processes.
    : m_prefix(QUuid::createUuid().toString(QUuid::WithoutBraces).left(8).toUpper()) {}

QString InvokeIdGenerator::NewInvokeId() {
    ++m_counter;
    return QStringLiteral("%1-%2").arg(m_prefix).arg(m_counter);
}

}  // namespace rmox
