#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace host {
class Station;
}

namespace frame {

/// The commissioning report of one module: what an engineer signs after
/// commissioning it. Sections, in this order:
/// - station (name, bus address) and slot, module type and channel tags;
/// - identification: variant, catalogue number, the stored production data, comment;
/// - the channel parameters as the Parameter page shows them (input range, damping,
///   failsafe value, open-line and short-circuit detection), decoded by the page's
///   own channel editor from the module's data set;
/// - the last diagnosis read from the module (kept in the project by the frame,
///   whichever page read it), with its time; "No diagnosis has been read." without;
/// - the channels forced at the time of the report, when the caller knows them;
/// - the loop check: the latest result of each checked channel (who, when, the
///   tolerance, the verdict) and each of its points; without one the report says so
///   rather than leaving the section out (a missing section would read as "not needed");
/// - the module's audit-trail entries, oldest first (the order a reader checks them);
/// - a line for date and signature.
///
/// Texts are English or German ("de"; anything else gets English), numbers and
/// dates are in that language's locale, times in local time.
///
/// Choices:
/// - Without a slot the report is of the first QT27 module of the project.
/// - The production data are reported as stored in the project; a record that
///   cannot be decoded is reported as such instead of failing the whole report.
/// - A report is written to a temporary file beside the target and renamed into
///   place, so a failed write leaves neither a partial report nor a changed old one.
struct ReportOptions {
    int slot = 0;  ///< 0: the first module of the station
    QString language = QStringLiteral("en");
    /// Channels forced now, one bit per channel index; empty when unknown.
    std::optional<quint8> forcedMask;
    /// The time printed as the report's time; now when null.
    QDateTime createdUtc;
};

/// The slot of the module @p options ask for: the given one when the station has
/// it, the first module's without a slot; 0 (and @p errorText) when there is none.
int reportSlot(const host::Station& station, const ReportOptions& options, QString* errorText);

/// The report as an HTML document; empty (and @p errorText) when the station has no such module.
QString commissioningReportHtml(const host::Station& station, const ReportOptions& options,
                                QString* errorText);

/// Writes the report to @p path: PDF when the name ends in ".pdf" (any case), HTML
/// otherwise. Answers false with the reason, naming the file, in @p errorText; the
/// target is then left as it was.
bool writeCommissioningReport(const host::Station& station, const ReportOptions& options, const QString& path,
                              QString* errorText);

}  // namespace frame
