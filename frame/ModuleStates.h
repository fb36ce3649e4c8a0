#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class QFontMetrics;

namespace host {
class CommunicationService;
class Station;
}  // namespace host

namespace frame {

/// What the frame knows of a module from the traffic of its pages and its lock.
struct ModuleState {
    bool online = false;
    /// Channel number (1 to 4) -> diagnosis code of its last diagnosis (1 short
    /// circuit, 2 open line, 3 overrange, 4 underrange; 0 for an invalid value
    /// without a diagnosis that says why).
    QMap<int, int> channelFaults;
    /// Channels (1 to 4) forced in the last value telegram.
    QList<int> forcedChannels;
    /// The module code of the last diagnosis (0: module in order).
    int moduleCode = 0;
    /// The other user holding the data-set lock; empty when none.
    QString lockedBy;
};

/// The tree's short text of @p state: "online", "offline", "channel 2: open line",
/// "forced 1, 3", "locked by operator", joined by commas.
QString describeModuleState(const ModuleState& state);
/// The parts of that text, one per fact.
QStringList describeModuleStateParts(const ModuleState& state);
/// The state as the tree shows it in a column @p width pixels wide: on one line
/// where it fits, else one part a line and a part wider than the column broken
/// between its words, so that it is read without scrolling sideways (only a single
/// word wider than the column is elided; the tool tip has the whole text).
QString layOutModuleState(const QStringList& parts, const QFontMetrics& metrics, int width);
/// In words what is wrong with one channel: "open line", "short circuit", ...;
/// empty when nothing is known to be wrong.
QString describeChannelFault(int code);

/// Follows the answers of the communication service: a value telegram's invalid
/// bits and a diagnosis mark channel faults (the last of them counts: a valid
/// value clears the channel unless the last diagnosis still names it, and the next
/// diagnosis replaces the previous one), open connections make a module online.
class ModuleStates : public QObject {
    Q_OBJECT

public:
    ModuleStates(host::Station& station, host::CommunicationService& service, QObject* parent = nullptr);

    ModuleState state(int slot) const;

signals:
    /// Something shown may have changed; coalesced to once per turn of the event loop.
    void changed();
    /// A diagnosis telegram was read from the module in @p slot (by any page).
    void diagnosisReceived(int slot, const QByteArray& telegram);

private:
    void requestSeen(const QString& invokeId, const QString& document);
    void answerSeen(const QString& invokeId, const QString& response);
    void valuesRead(int slot, const QByteArray& telegram);
    void diagnosisRead(int slot, const QByteArray& telegram);

    host::Station& m_station;
    host::CommunicationService& m_service;
    QHash<QString, QPair<int, int>> m_reads;  // invoke id -> slot, record index
    QHash<int, QMap<int, int>> m_diagnosis;   // slot -> channel -> code
    QHash<int, int> m_moduleCodes;
    QHash<int, QMap<int, int>> m_invalid;  // slot -> channels read invalid
    QHash<int, QList<int>> m_forced;       // slot -> channels read forced
    QTimer m_notify;
};

}  // namespace frame
