#pragma once

#include <QDockWidget>

#include "host/AuditTrail.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace host {
class Station;
}

namespace frame {

/// The text of an audit-trail entry in @p language ("en" or "de"; others get English).
QString auditEntryText(const host::AuditTrail::Entry& entry, const QString& language);

/// Writes @p entries as CSV (UTF-8, one header line) to @p path, atomically: the
/// file appears complete or not at all. The text column is in @p language.
bool exportAuditCsv(const QList<host::AuditTrail::Entry>& entries, const QString& language, const QString& path,
                    QString* errorText);

/// Renders the audit window of @p station (all entries) to @p directory/audit-trail.png
/// without a display; answers the file written, or an empty text.
QString renderAuditDock(host::Station& station, const QString& directory);

/// The "Audit trail" dock: the station's trail, newest first, filtered by module,
/// channel and time span; the trail's warnings above the list; CSV export.
/// Times are shown in local time, the texts in the station's language.
class AuditDock : public QDockWidget {
    Q_OBJECT

public:
    explicit AuditDock(host::Station& station, QWidget* parent = nullptr);

    /// The filter as chosen now.
    host::AuditTrail::Filter filter() const;
    /// The entries listed now.
    QList<host::AuditTrail::Entry> shownEntries() const { return m_entries; }
    QTableWidget* table() const { return m_table; }

public slots:
    /// Reads the trail again (modules, warnings and entries).
    void refresh();
    /// Asks for a file and exports the entries listed now.
    void exportCsv();

private:
    void fillModules();

    host::Station& m_station;
    QComboBox* m_module = nullptr;
    QComboBox* m_channel = nullptr;
    QComboBox* m_span = nullptr;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_export = nullptr;
    QLabel* m_warnings = nullptr;
    QTableWidget* m_table = nullptr;
    QList<host::AuditTrail::Entry> m_entries;
};

}  // namespace frame
