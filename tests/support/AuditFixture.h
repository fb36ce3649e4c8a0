#pragma once

// A trail file in a temporary folder, opened by as many AuditTrail instances as a test
// needs, changed behind their back through a connection of its own; and the frame on
// the simulated station whose pages report into the station's trail.

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "frame/FrameWindow.h"
#include "host/AuditTrail.h"
#include "host/CommunicationService.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"
#include "support/FrameFixture.h"

namespace testsupport {

class TrailFile : public testing::Test {
protected:
    /// A new instance on the file, opened.
    std::unique_ptr<host::AuditTrail> openTrail() {
        auto trail = std::make_unique<host::AuditTrail>();
        trail->open(path, QStringLiteral("Plant A"));
        return trail;
    }
    /// Runs @p statement on the file as another program would.
    void tamper(const QString& statement) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tamper"));
            db.setDatabaseName(path);
            ASSERT_TRUE(db.open());
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec(statement)) << statement.toStdString();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tamper"));
    }
    /// "kind:first-last" of each finding, "+" when marked.
    static QStringList findings(const host::AuditTrail& trail) {
        QStringList result;
        for (const auto& finding : trail.verify()) {
            result << QStringLiteral("%1:%2-%3%4")
                          .arg(finding.kind)
                          .arg(finding.first)
                          .arg(finding.last)
                          .arg(finding.marked ? "+" : "");
        }
        return result;
    }
    /// The codes of the trail's entries, oldest first.
    static QStringList codes(const host::AuditTrail& trail) {
        QStringList result;
        for (const auto& entry : trail.entries()) {
            result.prepend(entry.code);
        }
        return result;
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("station.audit.sqlite"));
};

/// The frame with the built-in station; the station's trail is fresh.
class FrameWithTrail : public FrameFixture {
public:
    static bool waitFor(const std::function<bool()>& condition) { return testsupport::waitFor(condition); }
    using FrameFixture::service;
    using FrameFixture::station;
    using FrameFixture::window;
};

}  // namespace testsupport
