#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "QT27Controls/framework/AuditTrail.h"
#include "frame/CommissioningReport.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"
#include "rmox/QsData/PropertyBag.h"
#include "rmox/QsData/QsData.h"

namespace testsupport {

/// The built-in station in a fresh folder; the module in slot() has stored
/// production data and one entry in the audit trail.
class StationWithReport : public testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(station.open(dir.filePath(QStringLiteral("station.xml"))));
        host::ModuleRecord record = *station.moduleRecord(slot());
        rmox::QsData data;
        data.Decode(host::SimulatedStation::encodeProductionData(production));
        rmox::PropertyBag object;
        data.WriteProperties(object);
        rmox::PropertyBag bag;
        bag.WriteObject(QStringLiteral("QsData"), object);
        record.qsData = bag.Contents();
        record.comment = QStringLiteral("Commissioned <with> care & checked");
        ASSERT_TRUE(station.storeModule(record));
        ASSERT_TRUE(station.auditTrail()->append(slot(), 2, qt27::AuditCode::CommentChanged,
                                                 {QStringLiteral("before"), record.comment}));
    }
    int slot() const { return station.modules().at(1).slot; }
    /// The report of slot() in @p language as HTML; fails the test when there is none.
    QString reportHtml(const QString& language, std::optional<quint8> forcedMask = std::nullopt) const {
        frame::ReportOptions options;
        options.slot = slot();
        options.language = language;
        options.forcedMask = forcedMask;
        QString error;
        const QString html = frame::commissioningReportHtml(station, options, &error);
        EXPECT_FALSE(html.isEmpty()) << error.toStdString();
        return html;
    }
    /// The files in the folder other than the project and its trail.
    QStringList strayFiles() const {
        QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        files.removeAll(QStringLiteral("station.xml"));
        return files.filter(QStringLiteral("report"));
    }

    QTemporaryDir dir;
    host::Station station;
    const host::ProductionData production{
        QStringLiteral("K2231-03"), QStringLiteral("QT37-012003"), QStringLiteral("2.14"), QStringLiteral("1.02"),
        QDate(2023, 3, 4)};
};

}  // namespace testsupport
