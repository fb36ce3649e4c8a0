#pragma once

#include <QString>
#include <QStringList>

namespace qt27 {

class BaseDtm;

/// Where a page reports a change it made to the module or its data: the host
/// stores each report with the time, the user, the station and the slot. A report
/// is language-neutral: a code (one of AuditCode) and its arguments; the frame
/// shows it in its own language.
///
/// The host offers it through BaseDtm::AuditTrail(); a host without one answers
/// nullptr and the pages work as before (reportChange() does nothing then).
///
/// Choices, each so that the record is complete and nobody is stuck:
///  - A page reports before it commits (Parameter: each changed field, then the data
///    set; Identification: the comment and the production data, then the store). A
///    change that counts as done is therefore in the trail even after kill -9; a store
///    that fails after its report leaves an entry for a change the project file does
///    not hold yet (the station keeps it in memory and writes it with the next save).
///  - A report that cannot be stored does not stop the change: the host shows why in
///    its error panel, and the user can go on working.
///  - Values are recorded as the page showed them, in the language of the moment
///    (range, damping, failsafe texts); the detection boxes as "on"/"off", which the
///    frame translates.
///  - The online session reports once per connection, in OnlinePage, for every page.
///  - The data-set lock is changed by the host, so the host records it (once per
///    change, not once per open page).
class AuditTrail {
public:
    virtual ~AuditTrail() = default;
    /// Records @p code with @p arguments for @p channel (0: the module as a whole).
    /// Answers true once the entry is stored for good.
    virtual bool RecordChange(const QString& code, const QStringList& arguments, int channel) = 0;
};

/// The codes the pages report, with their arguments.
namespace AuditCode {
/// A committed parameter field: field ("range", "damping", "failsafe", "openLine",
/// "shortCircuit"), old value, new value (as the page showed them).
inline const QString ParameterChanged = QStringLiteral("parameter.changed");
/// The module comment replaced: old text, new text.
inline const QString CommentChanged = QStringLiteral("comment.changed");
/// The stored production data replaced: old and new fingerprint (the first 16 hex
/// digits of their SHA-256; "-" when nothing was stored).
inline const QString QsDataStored = QStringLiteral("qsdata.stored");
/// The data-set lock: the user who took or released it.
inline const QString LockTaken = QStringLiteral("lock.taken");
/// The data-set lock released: the user who held it.
inline const QString LockReleased = QStringLiteral("lock.released");
/// Taken away from its owner: the former owner, the new one.
inline const QString LockTakenOver = QStringLiteral("lock.takenOver");
/// The online session of a page: the page's class name; a disconnect also tells
/// how the connection ended ("user" or "connectionLost").
inline const QString Connected = QStringLiteral("session.connected");
/// A page's connection ended: the page's class name and how ("user" or
/// "connectionLost").
inline const QString Disconnected = QStringLiteral("session.disconnected");
/// Forcing of a channel: on (the forced value as shown, with its unit, or
/// "invalid"), a new value while forced, off (how it ended: "user", "pageClosed",
/// "disconnected", "connectionLost").
inline const QString ForcingOn = QStringLiteral("forcing.on");
/// A new force value while the channel is forced: the value as shown.
inline const QString ForcingValue = QStringLiteral("forcing.value");
/// Forcing of a channel ended: how ("user", "pageClosed", "disconnected",
/// "connectionLost").
inline const QString ForcingOff = QStringLiteral("forcing.off");
/// A loop check of a channel ended with every point judged: "passed" or "failed",
/// the points passed, the points checked, the tolerance in percent of the span.
inline const QString LoopCheckDone = QStringLiteral("loopcheck.done");
/// Written by the host where it found the stored trail damaged: what it found.
inline const QString TrailBreak = QStringLiteral("trail.break");
}  // namespace AuditCode

/// Reports through the audit trail of @p baseDtm, when it has one. Answers true
/// when the entry was stored or when there is no trail to store it in.
bool reportChange(BaseDtm* baseDtm, const QString& code, const QStringList& arguments, int channel = 0);

}  // namespace qt27
