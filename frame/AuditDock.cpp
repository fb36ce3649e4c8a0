#include "AuditDock.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

#include "QT27Controls/framework/AuditTrail.h"
#include "host/Station.h"

namespace frame {

namespace {

/// Texts of the audit window by key, English and German.
QString text(const QString& key, bool german) {
    static const QHash<QString, QPair<QString, QString>> texts = {
        {"range", {"Input range", "Eingangsbereich"}},
        {"damping", {"Damping", "Dämpfung"}},
        {"failsafe", {"Failsafe value", "Ersatzwert"}},
        {"openLine", {"Open-line detection", "Drahtbrucherkennung"}},
        {"shortCircuit", {"Short-circuit detection", "Kurzschlusserkennung"}},
        {"on", {"on", "ein"}},
        {"off", {"off", "aus"}},
        {"invalid", {"invalid", "ungültig"}},
        {"user", {"by the user", "durch den Benutzer"}},
        {"abort", {"aborted", "abgebrochen"}},
        {"pageClosed", {"page closed", "Seite geschlossen"}},
        {"connectionLost", {"connection lost", "Verbindung verloren"}},
        {qt27::AuditCode::ParameterChanged, {"%1 changed from \"%2\" to \"%3\"", "%1 geändert von „%2“ auf „%3“"}},
        {qt27::AuditCode::CommentChanged, {"Comment changed from \"%1\" to \"%2\"", "Kommentar geändert von „%1“ auf „%2“"}},
        {qt27::AuditCode::QsDataStored,
         {"Stored production data replaced (%1 -> %2)", "Gespeicherte Produktionsdaten ersetzt (%1 -> %2)"}},
        {qt27::AuditCode::LockTaken, {"Data-set lock taken by %1", "Datensatzsperre von %1 gesetzt"}},
        {qt27::AuditCode::LockReleased, {"Data-set lock released by %1", "Datensatzsperre von %1 freigegeben"}},
        {qt27::AuditCode::LockTakenOver,
         {"Data-set lock taken over from %1 by %2", "Datensatzsperre von %1 an %2 übernommen"}},
        {qt27::AuditCode::Connected, {"%1: connected", "%1: verbunden"}},
        {qt27::AuditCode::Disconnected, {"%1: disconnected (%2)", "%1: getrennt (%2)"}},
        {qt27::AuditCode::ForcingOn, {"Forcing switched on, value %1", "Forcen eingeschaltet, Wert %1"}},
        {qt27::AuditCode::ForcingOff, {"Forcing switched off (%1)", "Forcen ausgeschaltet (%1)"}},
        {qt27::AuditCode::ForcingValue, {"Forced value changed to %1", "Forcewert geändert auf %1"}},
        {"disconnected", {"disconnected", "Verbindung getrennt"}},
        {qt27::AuditCode::LoopCheckDone,
         {"Loop check %1: %2 of %3 points within %4 % of span",
          "Schleifenprüfung %1: %2 von %3 Punkten innerhalb %4 % der Spanne"}},
        {"passed", {"passed", "bestanden"}},
        {"failed", {"failed", "nicht bestanden"}},
        {qt27::AuditCode::TrailBreak,
         {"The trail was found damaged before this entry: %1", "Das Protokoll war vor diesem Eintrag beschädigt: %1"}},
        {"All modules", {"All modules", "Alle Module"}},
        {"All channels", {"All channels", "Alle Kanäle"}},
        {"Module", {"Module", "Modul"}},
        {"Channel %1", {"Channel %1", "Kanal %1"}},
        {"Slot %1", {"Slot %1", "Steckplatz %1"}},
        {"Any time", {"Any time", "Jederzeit"}},
        {"Last hour", {"Last hour", "Letzte Stunde"}},
        {"Last 24 hours", {"Last 24 hours", "Letzte 24 Stunden"}},
        {"Last 7 days", {"Last 7 days", "Letzte 7 Tage"}},
        {"Time", {"Time", "Zeit"}},
        {"User", {"User", "Benutzer"}},
        {"Slot", {"Slot", "Steckplatz"}},
        {"Channel", {"Channel", "Kanal"}},
        {"Event", {"Event", "Ereignis"}},
        {"Refresh", {"Refresh", "Aktualisieren"}},
        {"Export CSV...", {"Export CSV...", "CSV exportieren..."}},
    };
    const auto found = texts.constFind(key);
    if (found == texts.constEnd()) {
        return key;
    }
    return german ? found->second : found->first;
}

QString csvField(const QString& value) {
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) &&
        !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r'))) {
        return value;
    }
    QString quoted = value;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

constexpr int kSpanHours[] = {0, 1, 24, 24 * 7};

}  // namespace

QString auditEntryText(const host::AuditTrail::Entry& entry, const QString& language) {
    namespace code = qt27::AuditCode;
    const bool german = language == QLatin1String("de");
    QStringList arguments = entry.arguments;
    const QString pattern = text(entry.code, german);
    if (pattern == entry.code) {
        return entry.code + (arguments.isEmpty() ? QString() : QStringLiteral(": ") + arguments.join(", "));
    }
    // The words the pages report neutrally (field, on/off, how something ended) are
    // shown translated; values and names the user typed stay as they are.
    const auto translate = [&](int index) {
        if (index < arguments.size()) {
            arguments[index] = text(arguments[index], german);
        }
    };
    if (entry.code == code::ParameterChanged) {
        const bool isSwitch = !arguments.isEmpty() && (arguments[0] == QLatin1String("openLine") ||
                                                        arguments[0] == QLatin1String("shortCircuit"));
        translate(0);
        if (isSwitch) {
            translate(1);
            translate(2);
        }
    } else if (entry.code == code::Disconnected || entry.code == code::ForcingOn || entry.code == code::ForcingOff ||
               entry.code == code::ForcingValue) {
        translate(entry.code == code::Disconnected ? 1 : 0);
    } else if (entry.code == code::TrailBreak) {
        arguments = {arguments.join(QStringLiteral(", "))};
    } else if (entry.code == code::LoopCheckDone) {
        translate(0);
    }
    while (arguments.size() < 4) {
        arguments.append(QString());
    }
    if (pattern.contains(QLatin1String("%4"))) {
        return pattern.arg(arguments[0], arguments[1], arguments[2], arguments[3]);
    }
    // All at once, so a % in a value is never taken for a place holder.
    if (pattern.contains(QLatin1String("%3"))) {
        return pattern.arg(arguments[0], arguments[1], arguments[2]);
    }
    if (pattern.contains(QLatin1String("%2"))) {
        return pattern.arg(arguments[0], arguments[1]);
    }
    return pattern.arg(arguments[0]);
}

bool exportAuditCsv(const QList<host::AuditTrail::Entry>& entries, const QString& language, const QString& path,
                    QString* errorText) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *errorText = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    QByteArray content = "entry,time_utc,user,station,slot,channel,code,arguments,text\n";
    for (const host::AuditTrail::Entry& entry : entries) {
        const QStringList fields = {QString::number(entry.sequence), entry.timeUtc.toString(Qt::ISODateWithMs),
                                    entry.user, entry.station, QString::number(entry.slot),
                                    QString::number(entry.channel), entry.code, entry.arguments.join(QLatin1Char('|')),
                                    auditEntryText(entry, language)};
        QStringList quoted;
        for (const QString& field : fields) {
            quoted.append(csvField(field));
        }
        content += quoted.join(QLatin1Char(',')).toUtf8() + '\n';
    }
    if (file.write(content) != content.size() || !file.commit()) {
        *errorText = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

AuditDock::AuditDock(host::Station& station, QWidget* parent)
    : QDockWidget(QStringLiteral("Audit trail"), parent), m_station(station) {
    setObjectName(QStringLiteral("dockAuditTrail"));
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    auto* filters = new QHBoxLayout;
    m_module = new QComboBox(content);
    m_module->setObjectName(QStringLiteral("cboAuditModule"));
    m_channel = new QComboBox(content);
    m_channel->setObjectName(QStringLiteral("cboAuditChannel"));
    m_span = new QComboBox(content);
    m_span->setObjectName(QStringLiteral("cboAuditSpan"));
    m_refresh = new QPushButton(content);
    m_export = new QPushButton(content);
    m_export->setObjectName(QStringLiteral("cmdAuditExport"));
    for (QComboBox* box : {m_module, m_channel, m_span}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        filters->addWidget(box);
    }
    filters->addWidget(m_refresh);
    filters->addWidget(m_export);
    filters->addStretch();
    layout->addLayout(filters);
    m_warnings = new QLabel(content);
    m_warnings->setObjectName(QStringLiteral("lblAuditWarnings"));
    m_warnings->setWordWrap(true);
    m_warnings->setStyleSheet(QStringLiteral("color: #b00020;"));
    layout->addWidget(m_warnings);
    m_table = new QTableWidget(0, 5, content);
    m_table->setObjectName(QStringLiteral("tblAuditTrail"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table);
    setWidget(content);

    for (QComboBox* box : {m_module, m_channel, m_span}) {
        connect(box, qOverload<int>(&QComboBox::currentIndexChanged), this, &AuditDock::refresh);
    }
    connect(m_refresh, &QPushButton::clicked, this, &AuditDock::refresh);
    connect(m_export, &QPushButton::clicked, this, &AuditDock::exportCsv);
    connect(m_station.auditTrail(), &host::AuditTrail::appended, this, &AuditDock::refresh);
    connect(m_station.auditTrail(), &host::AuditTrail::opened, this, &AuditDock::refresh);
    connect(&m_station, &host::Station::modulesChanged, this, &AuditDock::refresh);
    refresh();
}

void AuditDock::fillModules() {
    const bool german = m_station.language() == QLatin1String("de");
    const QSignalBlocker blockModule(m_module);
    const QSignalBlocker blockChannel(m_channel);
    const QSignalBlocker blockSpan(m_span);
    const QVariant module = m_module->currentData();
    const int channel = qMax(0, m_channel->currentIndex());
    const int span = qMax(0, m_span->currentIndex());
    m_module->clear();
    m_module->addItem(text("All modules", german), -1);
    m_module->addItem(text("Slot %1", german).arg(0), 0);
    for (const host::Station::ModuleInfo& info : m_station.modules()) {
        m_module->addItem(text("Slot %1", german).arg(info.slot, 2, 10, QLatin1Char('0')) + QStringLiteral(" ") +
                              info.typeName,
                          info.slot);
    }
    m_module->setCurrentIndex(qMax(0, m_module->findData(module.isValid() ? module : QVariant(-1))));
    m_channel->clear();
    m_channel->addItem(text("All channels", german), -1);
    m_channel->addItem(text("Module", german), 0);
    for (int number = 1; number <= 4; ++number) {
        m_channel->addItem(text("Channel %1", german).arg(number), number);
    }
    m_channel->setCurrentIndex(channel);
    m_span->clear();
    for (const char* key : {"Any time", "Last hour", "Last 24 hours", "Last 7 days"}) {
        m_span->addItem(text(QString::fromLatin1(key), german));
    }
    m_span->setCurrentIndex(span);
    m_refresh->setText(text("Refresh", german));
    m_export->setText(text("Export CSV...", german));
    m_table->setHorizontalHeaderLabels(
        {text("Time", german), text("User", german), text("Slot", german), text("Channel", german),
         text("Event", german)});
}

host::AuditTrail::Filter AuditDock::filter() const {
    host::AuditTrail::Filter filter;
    filter.slot = m_module->currentData().isValid() ? m_module->currentData().toInt() : -1;
    filter.channel = m_channel->currentData().isValid() ? m_channel->currentData().toInt() : -1;
    const int hours = kSpanHours[qBound(0, m_span->currentIndex(), 3)];
    if (hours > 0) {
        filter.from = QDateTime::currentDateTimeUtc().addSecs(-3600LL * hours);
    }
    return filter;
}

void AuditDock::refresh() {
    fillModules();
    host::AuditTrail* trail = m_station.auditTrail();
    m_warnings->setText(trail->warnings().join(QLatin1Char('\n')));
    m_warnings->setVisible(!trail->warnings().isEmpty());
    m_entries = trail->entries(filter());
    const QString language = m_station.language();
    const QLocale locale(language);
    // The locale's short date and time, with the seconds.
    const QString timeFormat = locale.dateFormat(QLocale::ShortFormat) + QStringLiteral(" ") +
                               locale.timeFormat(QLocale::ShortFormat).replace(QStringLiteral("mm"), QStringLiteral("mm:ss"));
    m_table->setRowCount(static_cast<int>(m_entries.size()));
    for (int row = 0; row < m_entries.size(); ++row) {
        const host::AuditTrail::Entry& entry = m_entries[row];
        const QStringList cells = {locale.toString(entry.timeUtc.toLocalTime(), timeFormat),
                                   entry.user, QStringLiteral("%1").arg(entry.slot, 2, 10, QLatin1Char('0')),
                                   entry.channel == 0 ? QString() : QString::number(entry.channel),
                                   auditEntryText(entry, language)};
        for (int column = 0; column < cells.size(); ++column) {
            m_table->setItem(row, column, new QTableWidgetItem(cells[column]));
        }
    }
    m_table->resizeColumnsToContents();
}

void AuditDock::exportCsv() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export the audit trail"),
                                                      QStringLiteral("audit-trail.csv"),
                                                      QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    QString error;
    if (!exportAuditCsv(m_entries, m_station.language(), path, &error)) {
        QMessageBox::warning(this, QStringLiteral("Export the audit trail"), error);
    }
}

QString renderAuditDock(host::Station& station, const QString& directory) {
    AuditDock dock(station);
    dock.setAttribute(Qt::WA_DontShowOnScreen);
    dock.resize(1100, 420);
    dock.show();
    const QString path = QDir(directory).filePath(QStringLiteral("audit-trail.png"));
    return dock.grab().save(path) ? path : QString();
}

}  // namespace frame
