#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

namespace rmox {

/// Runs a named public method of a target later, outside the current call chain.
///
/// `AddCall(target, "CallConnect", args)` posts the call with
/// QMetaObject::invokeMethod(..., Qt::QueuedConnection); the target's method must be
/// `Q_INVOKABLE` (or a slot) taking `const QVariant& vArguments`. The returned call
/// id is unique per queue. A method the target does not have raises rmox::Error 438
/// at once; a call whose target is destroyed before it runs is dropped.
class CallQueue : public QObject {
    Q_OBJECT

public:
    explicit CallQueue(QObject* parent = nullptr);

    QString AddCall(QObject* target, const char* methodName, const QVariant& vArguments = QVariant());

    /// Number of calls handed out so far.
    int callCount() const { return m_counter; }

private:
    int m_counter = 0;
};

}  // namespace rmox
