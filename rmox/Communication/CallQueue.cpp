#include "CallQueue.h"

#include <QMetaMethod>

#include "rmox/Error.h"

namespace rmox {

CallQueue::CallQueue(QObject* parent) : QObject(parent) {}

QString CallQueue::AddCall(QObject* target, const char* methodName, const QVariant& vArguments) {
    if (target == nullptr) {
        throw Error(Error::ObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
    }
    const QByteArray signature = QByteArray(methodName) + "(QVariant)";
    if (target->metaObject()->indexOfMethod(signature.constData()) < 0) {
        throw Error(Error::MethodNotSupported,
                    QStringLiteral("Object doesn't support this property or method: %1")
                        .arg(QString::fromLatin1(methodName)));
    }
    // Qt removes the posted call together with a target that is destroyed first.
    if (!QMetaObject::invokeMethod(target, methodName, Qt::QueuedConnection, Q_ARG(QVariant, vArguments))) {
        throw Error(Error::MethodNotSupported,
                    QStringLiteral("Call of %1 could not be queued").arg(QString::fromLatin1(methodName)));
    }
    ++m_counter;
    return QStringLiteral("%1").arg(m_counter);
}

}  // namespace rmox
