#include "frame/CommissioningReport.h"

#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QMap>
#include <algorithm>
#include <cmath>

#include "QT27Controls/observation/ChannelScaling.h"
#include "QT27Controls/diagnosis/DiagnosisTelegram.h"
#include "QT27Controls/identification/Identification.h"
#include "QT27Controls/parameter/ChannelParameter.h"
#include "frame/AuditDock.h"
#include "host/BaseDtm.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"
#include "rmox/Error.h"
#include "rmox/QsData/QsData.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace frame {

namespace {

/// Texts of the report by key, English and German.
QString text(const QString& key, bool german) {
    static const QHash<QString, QPair<QString, QString>> texts = {
        {"title", {"Commissioning report", "Inbetriebnahmeprotokoll"}},
        {"station", {"Station", "Station"}},
        {"busAddress", {"Bus address", "Busadresse"}},
        {"slot", {"Slot", "Steckplatz"}},
        {"moduleType", {"Module type", "Modultyp"}},
        {"identification", {"Identification", "Identifikation"}},
        {"variant", {"Variant", "Variante"}},
        {"catalogueNumber", {"Catalogue number", "Bestellnummer"}},
        {"productionData", {"Stored production data", "Gespeicherte Produktionsdaten"}},
        {"noProductionData", {"none stored", "keine gespeichert"}},
        {"badProductionData", {"stored, but unreadable: %1", "gespeichert, aber nicht lesbar: %1"}},
        {"chargeCode", {"Charge code", "Chargennummer"}},
        {"serialNumber", {"Serial number", "Seriennummer"}},
        {"softwareRevision", {"Software revision", "Softwarestand"}},
        {"hardwareRevision", {"Hardware revision", "Hardwarestand"}},
        {"dateOfLastRefresh", {"Date of last refresh", "Datum der letzten Auffrischung"}},
        {"comment", {"Comment", "Kommentar"}},
        {"parameters", {"Channel parameters", "Kanalparameter"}},
        {"channel", {"Channel", "Kanal"}},
        {"tag", {"Tag", "Messstelle"}},
        {"range", {"Input range", "Eingangsbereich"}},
        {"damping", {"Damping", "Dämpfung"}},
        {"failsafe", {"Failsafe value", "Ersatzwert"}},
        // The soft hyphens let the long German column heads break between their words.
        {"openLine", {"Open-line detection", "Drahtbruch\u00ADerkennung"}},
        {"shortCircuit", {"Short-circuit detection", "Kurzschluss\u00ADerkennung"}},
        {"on", {"on", "ein"}},
        {"off", {"off", "aus"}},
        {"forced", {"Forced channels", "Geforcte Kanäle"}},
        {"noneForced", {"No channel is forced.", "Kein Kanal ist geforct."}},
        {"forcedUnknown", {"Not known at the time of the report.", "Zum Zeitpunkt des Protokolls nicht bekannt."}},
        {"loopCheck", {"Loop check", "Schleifenprüfung"}},
        {"noLoopCheck", {"No loop check has been recorded.", "Es wurde keine Schleifenprüfung aufgezeichnet."}},
        {"checked", {"Checked", "Geprüft"}},
        {"tolerance", {"Tolerance", "Toleranz"}},
        {"result", {"Result", "Ergebnis"}},
        {"point", {"Point", "Punkt"}},
        {"expected", {"Expected", "Soll"}},
        {"measured", {"Measured", "Gemessen"}},
        {"deviation", {"Deviation", "Abweichung"}},
        {"verdict", {"Verdict", "Bewertung"}},
        {"passed", {"passed", "bestanden"}},
        {"failed", {"failed", "nicht bestanden"}},
        {"reason.deviation", {"failed: deviation beyond the tolerance", "nicht bestanden: Abweichung über der Toleranz"}},
        {"reason.invalid", {"failed: the channel reads invalid", "nicht bestanden: der Kanal meldet ungültig"}},
        {"reason.forced", {"failed: the channel is forced", "nicht bestanden: der Kanal ist geforct"}},
        {"reason.overrange", {"failed: above the end of the range", "nicht bestanden: über dem Bereichsende"}},
        {"reason.underrange", {"failed: below the start of the range", "nicht bestanden: unter dem Bereichsanfang"}},
        {"reason.noReading", {"failed: no reading", "nicht bestanden: kein Messwert"}},
        {"checkedBy", {"%1 by %2", "%1 von %2"}},
        {"diagnosis", {"Last diagnosis", "Letzte Diagnose"}},
        {"noDiagnosis", {"No diagnosis has been read.", "Es wurde keine Diagnose gelesen."}},
        {"diagnosisRead", {"Read %1", "Gelesen %1"}},
        {"module", {"Module", "Modul"}},
        {"state", {"State", "Zustand"}},
        {"inOrder", {"in order", "in Ordnung"}},
        {"moduleCode", {"module diagnosis code %1", "Moduldiagnosecode %1"}},
        {"fault.1", {"short circuit", "Kurzschluss"}},
        {"fault.2", {"open line", "Drahtbruch"}},
        {"fault.3", {"overrange", "Überlauf"}},
        {"fault.4", {"underrange", "Unterlauf"}},
        {"fault.other", {"channel error %1", "Kanalfehler %1"}},
        {"audit", {"Audit trail", "Änderungsprotokoll"}},
        {"noAudit", {"No entries.", "Keine Einträge."}},
        {"time", {"Time", "Zeit"}},
        {"user", {"User", "Benutzer"}},
        {"event", {"Event", "Ereignis"}},
        {"created", {"Report created %1", "Protokoll erstellt %1"}},
        {"dateSignature", {"Date, signature", "Datum, Unterschrift"}},
        {"noModule", {"The project has no QT27 module", "Das Projekt enthält kein QT27-Modul"}},
        {"noSlot", {"The project has no QT27 module in slot %1", "Das Projekt enthält kein QT27-Modul in Steckplatz %1"}},
    };
    const auto found = texts.constFind(key);
    if (found == texts.constEnd()) {
        return key;
    }
    return german ? found->second : found->first;
}

/// Builds the document piece by piece, escaping every value.
class HtmlWriter {
public:
    explicit HtmlWriter(bool german) : m_german(german) {}

    QString t(const QString& key) const { return text(key, m_german); }
    void heading(const QString& key) { m_html += QStringLiteral("<h2>%1</h2>\n").arg(t(key).toHtmlEscaped()); }
    void paragraph(const QString& value) { m_html += QStringLiteral("<p>%1</p>\n").arg(value.toHtmlEscaped()); }
    /// A table of label/value rows.
    void fields(const QList<QPair<QString, QString>>& rows) {
        m_html += QStringLiteral("<table cellpadding=\"3\">\n");
        for (const auto& [label, value] : rows) {
            m_html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>\n")
                          .arg(t(label).toHtmlEscaped(), value.toHtmlEscaped());
        }
        m_html += QStringLiteral("</table>\n");
    }
    /// A table with a header line of keys.
    void table(const QStringList& headerKeys, const QList<QStringList>& rows) {
        m_html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">\n<tr>");
        for (const QString& key : headerKeys) {
            m_html += QStringLiteral("<th align=\"left\"><small>%1</small></th>").arg(t(key).toHtmlEscaped());
        }
        m_html += QStringLiteral("</tr>\n");
        for (const QStringList& row : rows) {
            m_html += QStringLiteral("<tr>");
            for (const QString& cell : row) {
                m_html += QStringLiteral("<td>%1</td>").arg(cell.toHtmlEscaped());
            }
            m_html += QStringLiteral("</tr>\n");
        }
        m_html += QStringLiteral("</table>\n");
    }
    void raw(const QString& html) { m_html += html; }
    QString html() const { return m_html; }

private:
    bool m_german;
    QString m_html;
};

/// The short date format of @p locale with the year in four digits: a signed
/// record must not leave the century open.
QString dateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy"))) {
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    }
    return format;
}

QString dateTimeText(const QDateTime& utc, const QLocale& locale) {
    return locale.toString(utc.toLocalTime(),
                           dateFormat(locale) + QLatin1Char(' ') + locale.timeFormat(QLocale::ShortFormat));
}

QString productionData(const host::ModuleRecord& record, const QLocale& locale, bool german,
                       QList<QPair<QString, QString>>* rows) {
    if (record.qsData.isEmpty()) {
        return text("noProductionData", german);
    }
    rmox::QsData data;
    try {
        qt27::Identification::DecodeStoredQsData(record.qsData, data);
    } catch (const rmox::Error& error) {
        return text("badProductionData", german).arg(error.description());
    }
    rows->append({"chargeCode", data.ChargeCode});
    rows->append({"serialNumber", data.SerialNumber});
    rows->append({"softwareRevision", data.SoftwareRevision});
    rows->append({"hardwareRevision", data.HardwareRevision});
    rows->append({"dateOfLastRefresh", data.DateOfLastRefresh.isValid()
                                           ? locale.toString(data.DateOfLastRefresh, dateFormat(locale))
                                           : QStringLiteral("-")});
    return QString();
}

/// One row per channel, the texts read from the Parameter page's channel editor
/// set up as the page sets it up (module type, the module's texts in the report's language).
QList<QStringList> parameterRows(const host::Station& station, const host::ModuleRecord& record, bool german) {
    rmox::ResourceManager resources;
    resources.ConfigureFrom(*station.dtmForSlot(record.slot)->baseDtm()->resourceManager());
    resources.setLanguage(german ? QStringLiteral("de") : QStringLiteral("en"));
    qt27::ChannelParameter editor;
    // Only types 37 and 54 have range lists; any other code leaves the editor's default.
    bool isNumber = false;
    const int type = record.typeCode.trimmed().toInt(&isNumber);
    if (isNumber && (type == qt27::ModuleType37 || type == qt27::ModuleType54)) {
        editor.setTyp(static_cast<qint16>(type));
    }
    editor.setResourceManager(&resources);
    QList<QStringList> rows;
    for (int index = 0; index < host::ModuleRecord::kChannelCount; ++index) {
        const quint8 byte = index < record.parameters.size() ? static_cast<quint8>(record.parameters[index]) : 0;
        // Against the byte with every bit flipped every field differs, so each
        // comes back with its text for this byte.
        QHash<QString, QString> shown;
        for (const auto& change : editor.ChangedFields(static_cast<quint8>(~byte), byte, true)) {
            shown.insert(change.field, change.after);
        }
        const auto field = [&](const QString& name) {
            const QString value = shown.value(name, QStringLiteral("-"));
            return name == QLatin1String("openLine") || name == QLatin1String("shortCircuit") ? text(value, german)
                                                                                              : value;
        };
        rows.append({QString::number(index + 1), record.channelTags.value(index), field("range"), field("damping"),
                     field("failsafe"), field("openLine"), field("shortCircuit")});
    }
    return rows;
}

/// The last diagnosis of the module: when it was read, the module's state and
/// each channel's state in words.
void diagnosisSection(HtmlWriter& out, const host::ModuleRecord& record, const QLocale& locale) {
    out.heading("diagnosis");
    const host::DiagnosisRecord& diagnosis = record.lastDiagnosis;
    if (diagnosis.isEmpty()) {
        out.paragraph(out.t("noDiagnosis"));
        return;
    }
    out.paragraph(out.t("diagnosisRead").arg(dateTimeText(diagnosis.timeUtc, locale)));
    const int moduleCode = diagnosis.telegram.isEmpty() ? 0 : static_cast<quint8>(diagnosis.telegram.at(0));
    out.fields({{"module", moduleCode == 0 ? out.t("inOrder")
                                           : out.t("moduleCode").arg(qt27::FormatHexByte(
                                                 static_cast<quint8>(moduleCode)))}});
    QMap<int, QStringList> faults;
    for (qsizetype index = 1; index < diagnosis.telegram.size(); ++index) {
        const auto entry = static_cast<quint8>(diagnosis.telegram.at(index));
        const int code = entry & 0x0F;
        if (code != 0) {
            faults[entry >> 4].append(code <= 4 ? out.t(QStringLiteral("fault.%1").arg(code))
                                                : out.t("fault.other").arg(code));
        }
    }
    QList<QStringList> rows;
    for (int channel = 1; channel <= host::ModuleRecord::kChannelCount; ++channel) {
        rows.append({locale.toString(channel), record.channelTags.value(channel - 1),
                     faults.contains(channel) ? faults.value(channel).join(QStringLiteral(", ")) : out.t("inOrder")});
    }
    out.table({"channel", "tag", "state"}, rows);
}

/// The latest loop check of each checked channel: a line per channel with who,
/// when and the result, then every point with its verdict.
void loopCheckSection(HtmlWriter& out, const host::ModuleRecord& record, const QLocale& locale) {
    out.heading("loopCheck");
    if (record.loopChecks.isEmpty()) {
        out.paragraph(out.t("noLoopCheck"));
        return;
    }
    const auto number = [&](double value, int decimals) {
        return std::isfinite(value) ? locale.toString(value, 'f', decimals) : QStringLiteral("-");
    };
    QList<QStringList> summary;
    QList<QStringList> points;
    for (const host::LoopCheckResult& result : record.loopChecks) {
        const QString channel = locale.toString(result.channel);
        const QString tag = record.channelTags.value(result.channel - 1);
        summary.append({channel, tag,
                        out.t("checkedBy").arg(dateTimeText(result.timeUtc, locale), result.user),
                        QStringLiteral("%1 %").arg(locale.toString(result.tolerancePercent)),
                        out.t(result.passed() ? "passed" : "failed")});
        for (const host::LoopCheckPoint& point : result.points) {
            points.append({channel, tag, QStringLiteral("%1 %").arg(locale.toString(point.percent)),
                           QStringLiteral("%1 %2").arg(number(point.expected, 3), result.unit),
                           QStringLiteral("%1 %2").arg(number(point.measured, 3), result.unit),
                           QStringLiteral("%1 %").arg(number(point.deviationPercent, 2)),
                           point.passed() ? out.t("passed") : out.t(QStringLiteral("reason.") + point.reason)});
        }
    }
    out.table({"channel", "tag", "checked", "tolerance", "result"}, summary);
    out.raw(QStringLiteral("<p></p>\n"));
    out.table({"channel", "tag", "point", "expected", "measured", "deviation", "verdict"}, points);
}

}  // namespace

int reportSlot(const host::Station& station, const ReportOptions& options, QString* errorText) {
    const bool german = options.language == QLatin1String("de");
    const auto modules = station.modules();
    if (options.slot == 0) {
        if (modules.isEmpty()) {
            *errorText = text("noModule", german);
            return 0;
        }
        return modules.first().slot;
    }
    if (station.moduleRecord(options.slot) == nullptr || station.dtmForSlot(options.slot) == nullptr) {
        *errorText = text("noSlot", german).arg(options.slot);
        return 0;
    }
    return options.slot;
}

QString commissioningReportHtml(const host::Station& station, const ReportOptions& options, QString* errorText) {
    const int slot = reportSlot(station, options, errorText);
    if (slot == 0) {
        return QString();
    }
    const bool german = options.language == QLatin1String("de");
    // British English: day before month, as in the German dates.
    const QLocale locale(german ? QStringLiteral("de_DE") : QStringLiteral("en_GB"));
    const host::ModuleRecord& record = *station.moduleRecord(slot);
    const QDateTime created = options.createdUtc.isValid() ? options.createdUtc : QDateTime::currentDateTimeUtc();

    HtmlWriter out(german);
    out.raw(QStringLiteral("<html><head><meta charset=\"utf-8\"><title>%1</title></head><body>\n")
                .arg(out.t("title").toHtmlEscaped()));
    out.raw(QStringLiteral("<h1>%1</h1>\n").arg(out.t("title").toHtmlEscaped()));
    out.paragraph(out.t("created").arg(dateTimeText(created, locale)));
    out.heading("station");
    out.fields({{"station", station.stationName()},
                {"busAddress", locale.toString(station.busAddress())},
                {"slot", locale.toString(slot)},
                {"moduleType", QStringLiteral("%1 (%2)").arg(record.typeName, record.typeCode)}});

    out.heading("identification");
    QList<QPair<QString, QString>> production;
    const QString productionNote = productionData(record, locale, german, &production);
    QList<QPair<QString, QString>> identification = {
        {"variant", qt27::Identification::GetFirstWord(record.typeName)},
        {"catalogueNumber", qt27::Identification::CatalogueNumber(record.typeName)}};
    if (!productionNote.isEmpty()) {
        identification.append({"productionData", productionNote});
    }
    identification.append(production);
    identification.append({"comment", record.comment.isEmpty() ? QStringLiteral("-") : record.comment});
    out.fields(identification);

    out.heading("parameters");
    out.table({"channel", "tag", "range", "damping", "failsafe", "openLine", "shortCircuit"},
              parameterRows(station, record, german));

    diagnosisSection(out, record, locale);

    out.heading("forced");
    if (!options.forcedMask.has_value()) {
        out.paragraph(out.t("forcedUnknown"));
    } else if (*options.forcedMask == 0) {
        out.paragraph(out.t("noneForced"));
    } else {
        QList<QStringList> rows;
        for (int index = 0; index < host::ModuleRecord::kChannelCount; ++index) {
            if ((*options.forcedMask & (1U << index)) != 0) {
                rows.append({locale.toString(index + 1), record.channelTags.value(index)});
            }
        }
        out.table({"channel", "tag"}, rows);
    }

    loopCheckSection(out, record, locale);

    out.heading("audit");
    QList<host::AuditTrail::Entry> entries;
    if (station.auditTrail() != nullptr && station.auditTrail()->isOpen()) {
        host::AuditTrail::Filter filter;
        filter.slot = slot;
        entries = station.auditTrail()->entries(filter);
        std::reverse(entries.begin(), entries.end());
    }
    if (entries.isEmpty()) {
        out.paragraph(out.t("noAudit"));
    } else {
        QList<QStringList> rows;
        for (const auto& entry : entries) {
            rows.append({dateTimeText(entry.timeUtc, locale), entry.user,
                         entry.channel > 0 ? locale.toString(entry.channel) : QString(),
                         auditEntryText(entry, options.language)});
        }
        out.table({"time", "user", "channel", "event"}, rows);
    }

    out.raw(QStringLiteral("<p>&nbsp;</p><p>&nbsp;</p><p>%1: ______________________________________</p>\n")
                .arg(out.t("dateSignature").toHtmlEscaped()));
    out.raw(QStringLiteral("</body></html>\n"));
    return out.html();
}

bool writeCommissioningReport(const host::Station& station, const ReportOptions& options, const QString& path,
                              QString* errorText) {
    QString html;
    try {
        html = commissioningReportHtml(station, options, errorText);
    } catch (const rmox::Error& error) {
        *errorText = error.description();
        return false;
    }
    if (html.isEmpty()) {
        return false;
    }
    QSaveFile file(path);
    const auto failed = [&](const QString& why) {
        *errorText = QStringLiteral("Cannot write the report \"%1\": %2").arg(path, why);
        return false;
    };
    if (!file.open(QIODevice::WriteOnly)) {
        return failed(file.errorString());
    }
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0) {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        writer.setTitle(text("title", options.language == QLatin1String("de")));
        writer.setCreator(QStringLiteral("qt27frame"));
        QTextDocument document;
        document.setHtml(html);
        document.print(&writer);
    } else {
        const QByteArray bytes = html.toUtf8();
        if (file.write(bytes) != bytes.size()) {
            return failed(file.errorString());
        }
    }
    if (!file.commit()) {
        return failed(file.errorString());
    }
    return true;
}

}  // namespace frame
