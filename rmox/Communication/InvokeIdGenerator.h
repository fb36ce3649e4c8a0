#pragma once

#include <QString>

namespace rmox {

/// Hands out invoke ids: texts unique per request, across generators and processes.
class InvokeIdGenerator {
public:
    InvokeIdGenerator();
    QString NewInvokeId();

private:
    QString m_prefix;
    quint64 m_counter = 0;
};

}  // namespace rmox
