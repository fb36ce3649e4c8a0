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
#include "frame/FrameLanguage.h"
#include "host/Station.h"

namespace frame {

namespace {

constexpr char kContext[] = "frame::AuditDock";

/// The English text of each word the pages report by key and of each entry code;
/// translated with the frame's translations (frame/translations).
const QHash<QString, const char*>& sources() {
    static const QHash<QString, const char*> texts = {
        {"range", QT_TRANSLATE_NOOP("frame::AuditDock", "Input range")},
        {"damping", QT_TRANSLATE_NOOP("frame::AuditDock", "Damping")},
        {"failsafe", QT_TRANSLATE_NOOP("frame::AuditDock", "Failsafe value")},
        {"openLine", QT_TRANSLATE_NOOP("frame::AuditDock", "Open-line detection")},
        {"shortCircuit", QT_TRANSLATE_NOOP("frame::AuditDock", "Short-circuit detection")},
        {"on", QT_TRANSLATE_NOOP("frame::AuditDock", "on")},
        {"off", QT_TRANSLATE_NOOP("frame::AuditDock", "off")},
        {"invalid", QT_TRANSLATE_NOOP("frame::AuditDock", "invalid")},
        {"user", QT_TRANSLATE_NOOP("frame::AuditDock", "by the user")},
        {"abort", QT_TRANSLATE_NOOP("frame::AuditDock", "aborted")},
        {"pageClosed", QT_TRANSLATE_NOOP("frame::AuditDock", "page closed")},
        {"connectionLost", QT_TRANSLATE_NOOP("frame::AuditDock", "connection lost")},
        {"disconnected", QT_TRANSLATE_NOOP("frame::AuditDock", "disconnected")},
        {qt27::AuditCode::ParameterChanged,
         QT_TRANSLATE_NOOP("frame::AuditDock", "%1 changed from \"%2\" to \"%3\"")},
        {qt27::AuditCode::CommentChanged,
         QT_TRANSLATE_NOOP("frame::AuditDock", "Comment changed from \"%1\" to \"%2\"")},
        {qt27::AuditCode::QsDataStored,
         QT_TRANSLATE_NOOP("frame::AuditDock", "Stored production data replaced (%1 -> %2)")},
        {qt27::AuditCode::LockTaken, QT_TRANSLATE_NOOP("frame::AuditDock", "Data-set lock taken by %1")},
        {qt27::AuditCode::LockReleased,
         QT_TRANSLATE_NOOP("frame::AuditDock", "Data-set lock released by %1")},
        {qt27::AuditCode::LockTakenOver,
         QT_TRANSLATE_NOOP("frame::AuditDock", "Data-set lock taken over from %1 by %2")},
        {qt27::AuditCode::Connected, QT_TRANSLATE_NOOP("frame::AuditDock", "%1: connected")},
        {qt27::AuditCode::Disconnected, QT_TRANSLATE_NOOP("frame::AuditDock", "%1: disconnected (%2)")},
        {qt27::AuditCode::ForcingOn, QT_TRANSLATE_NOOP("frame::AuditDock", "Forcing switched on, value %1")},
        {qt27::AuditCode::ForcingOff, QT_TRANSLATE_NOOP("frame::AuditDock", "Forcing switched off (%1)")},
        {qt27::AuditCode::ForcingValue, QT_TRANSLATE_NOOP("frame::AuditDock", "Forced value changed to %1")},
        {qt27::AuditCode::LoopCheckDone,
         QT_TRANSLATE_NOOP("frame::AuditDock", "Loop check %1: %2 of %3 points within %4 % of span")},
        // The pages and the loop check name themselves by their class in the entries
        // of a connect and a disconnect.
        {"Observation", QT_TRANSLATE_NOOP("frame::AuditDock", "Observation")},
        {"Simulation", QT_TRANSLATE_NOOP("frame::AuditDock", "Simulation")},
        {"Diagnosis", QT_TRANSLATE_NOOP("frame::AuditDock", "Diagnosis")},
        {"Identification", QT_TRANSLATE_NOOP("frame::AuditDock", "Identification")},
        {"LoopCheckSession", QT_TRANSLATE_NOOP("frame::AuditDock", "Loop check")},
        {"passed", QT_TRANSLATE_NOOP("frame::AuditDock", "passed")},
        {"failed", QT_TRANSLATE_NOOP("frame::AuditDock", "failed")},
        {qt27::AuditCode::TrailBreak,
         QT_TRANSLATE_NOOP("frame::AuditDock", "The trail was found damaged before this entry: %1")},
    };
    return texts;
}

/// The text for @p key in @p language; the key itself when it has none.
QString text(const QString& key, const QString& language) {
    const char* source = sources().value(key, nullptr);
    return source != nullptr ? translateIn(language, kContext, source) : key;
}

/// One of the window's own texts in @p language.
QString windowText(const char* source, const QString& language) {
    return translateIn(language, kContext, source);
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
    QStringList arguments = entry.arguments;
    const QString pattern = text(entry.code, language);
    if (pattern == entry.code) {
        return entry.code + (arguments.isEmpty() ? QString() : QStringLiteral(": ") + arguments.join(", "));
    }
    // The words the pages report neutrally (field, on/off, how something ended) are
    // shown translated; values and names the user typed stay as they are.
    const auto translate = [&](int index) {
        if (index < arguments.size()) {
            arguments[index] = text(arguments[index], language);
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
    } else if (entry.code == code::Connected) {
        translate(0);
    } else if (entry.code == code::Disconnected) {
        translate(0);
        translate(1);
    } else if (entry.code == code::ForcingOn || entry.code == code::ForcingOff ||
               entry.code == code::ForcingValue) {
        translate(0);
    } else if (entry.code == code::TrailBreak) {
        arguments = {arguments.join(QStringLiteral(", "))};
    } else if (entry.code == code::LoopCheckDone) {
        translate(0);
        // The tolerance is stored as a plain number; it is shown in the language's locale.
        bool isNumber = false;
        const double tolerance = arguments.value(3).toDouble(&isNumber);
        if (isNumber) {
            arguments[3] = QLocale(language).toString(tolerance, 'g', 6);
        }
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

bool exportAuditCsv(const QList<host::AuditTrail::Entry>& entries, const QString& language,
                    const QString& path, QString* errorText) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *errorText = windowText(QT_TRANSLATE_NOOP("frame::AuditDock", "Cannot write \"%1\": %2"), language)
                         .arg(path, file.errorString());
        return false;
    }
    QByteArray content = "entry,time_utc,user,station,slot,channel,code,arguments,text\n";
    for (const host::AuditTrail::Entry& entry : entries) {
        const QStringList fields = {QString::number(entry.sequence),
                                    entry.timeUtc.toString(Qt::ISODateWithMs),
                                    entry.user,
                                    entry.station,
                                    QString::number(entry.slot),
                                    QString::number(entry.channel),
                                    entry.code,
                                    entry.arguments.join(QLatin1Char('|')),
                                    auditEntryText(entry, language)};
        QStringList quoted;
        for (const QString& field : fields) {
            quoted.append(csvField(field));
        }
        content += quoted.join(QLatin1Char(',')).toUtf8() + '\n';
    }
    if (file.write(content) != content.size() || !file.commit()) {
        *errorText = windowText(QT_TRANSLATE_NOOP("frame::AuditDock", "Cannot write \"%1\": %2"), language)
                         .arg(path, file.errorString());
        return false;
    }
    return true;
}

AuditDock::AuditDock(host::Station& station, QWidget* parent) : QDockWidget(parent), m_station(station) {
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
    const QString language = m_station.language();
    setWindowTitle(windowText(QT_TRANSLATE_NOOP("frame::AuditDock", "Audit trail"), language));
    const QSignalBlocker blockModule(m_module);
    const QSignalBlocker blockChannel(m_channel);
    const QSignalBlocker blockSpan(m_span);
    const QVariant module = m_module->currentData();
    const int channel = qMax(0, m_channel->currentIndex());
    const int span = qMax(0, m_span->currentIndex());
    m_module->clear();
    m_module->addItem(windowText(QT_TRANSLATE_NOOP("frame::AuditDock", "All modules"), language), -1);
    const QString slotText = windowText(QT_TRANSLATE_NOOP("frame::AuditDock", "Slot %1"), language);
    m_module->addItem(slotText.arg(0), 0);
    for (const host::Station::ModuleInfo& info : m_station.modules()) {
        m_module->addItem(
            slotText.arg(info.slot, 2, 10, QLatin1Char('0')) + QStringLiteral(" ") + info.typeName,
            info.slot);
    }
    m_module->setCurrentIndex(qMax(0, m_module->findData(module.isValid() ? module : QVariant(-1))));
    m_channel->clear();
    m_channel->addItem(windowText(QT_TRANSLATE_NOOP("frame::AuditDock", "All channels"), language), -1);
    m_channel->addItem(windowText(QT_TRANSLATE_NOOP("frame::AuditDock", "Module"), language), 0);
    for (int number = 1; number <= 4; ++number) {
        m_channel->addItem(
            windowText(QT_TRANSLATE_NOOP("frame::AuditDock", "Channel %1"), language).arg(number), number);
    }
    m_channel->setCurrentIndex(channel);
    m_span->clear();
    for (const char* source : {QT_TRANSLATE_NOOP("frame::AuditDock", "Any time"),
                               QT_TRANSLATE_NOOP("frame::AuditDock", "Last hour"),
                               QT_TRANSLATE_NOOP("frame::AuditDock", "Last 24 hours"),
                               QT_TRANSLATE_NOOP("frame::AuditDock", "Last 7 days")}) {
        m_span->addItem(windowText(source, language));
    }
    m_span->setCurrentIndex(span);
    m_refresh->setText(windowText(QT_TRANSLATE_NOOP("frame::AuditDock", "Refresh"), language));
    m_export->setText(windowText(QT_TRANSLATE_NOOP("frame::AuditDock", "Export CSV..."), language));
    QStringList headers;
    for (const char* source :
         {QT_TRANSLATE_NOOP("frame::AuditDock", "Time"), QT_TRANSLATE_NOOP("frame::AuditDock", "User"),
          QT_TRANSLATE_NOOP("frame::AuditDock", "Slot"), QT_TRANSLATE_NOOP("frame::AuditDock", "Channel"),
          QT_TRANSLATE_NOOP("frame::AuditDock", "Event")}) {
        headers << windowText(source, language);
    }
    m_table->setHorizontalHeaderLabels(headers);
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
    const QString timeFormat =
        locale.dateFormat(QLocale::ShortFormat) + QStringLiteral(" ") +
        locale.timeFormat(QLocale::ShortFormat).replace(QStringLiteral("mm"), QStringLiteral("mm:ss"));
    m_table->setRowCount(static_cast<int>(m_entries.size()));
    for (int row = 0; row < m_entries.size(); ++row) {
        const host::AuditTrail::Entry& entry = m_entries[row];
        const QStringList cells = {locale.toString(entry.timeUtc.toLocalTime(), timeFormat), entry.user,
                                   QStringLiteral("%1").arg(entry.slot, 2, 10, QLatin1Char('0')),
                                   entry.channel == 0 ? QString() : QString::number(entry.channel),
                                   auditEntryText(entry, language)};
        for (int column = 0; column < cells.size(); ++column) {
            m_table->setItem(row, column, new QTableWidgetItem(cells[column]));
        }
    }
    m_table->resizeColumnsToContents();
}

void AuditDock::exportCsv() {
    const QString language = m_station.language();
    const QString title =
        windowText(QT_TRANSLATE_NOOP("frame::AuditDock", "Export the audit trail"), language);
    const QString path = QFileDialog::getSaveFileName(
        this, title, QStringLiteral("audit-trail.csv"),
        windowText(QT_TRANSLATE_NOOP("frame::AuditDock", "CSV files (*.csv)"), language));
    if (path.isEmpty()) {
        return;
    }
    QString error;
    if (!exportAuditCsv(m_entries, m_station.language(), path, &error)) {
        QMessageBox::warning(this, title, error);
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
