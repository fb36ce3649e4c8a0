// What the About page shows of the DTM information its host hands it, page after page.
#include <gtest/gtest.h>

#include "QT27Controls/about/About.h"
#include "support/PageSession.h"

namespace {

QString Document(const char* name, const char* revision, const char* major) {
    return QStringLiteral(
               "<FDT><DtmInformation name=\"%1\" revision=\"%2\"><FdtVersion major=\"%3\" minor=\"4\"/>"
               "</DtmInformation></FDT>")
        .arg(QLatin1String(name), QLatin1String(revision), QLatin1String(major));
}

/// Name, DTM revision and FDT version the page shows after Init on a host with @p document.
QString Shown(const QString& document) {
    testsupport::PageSession session;
    session.dtm.base.dtmInformation = document;
    qt27::About page;
    EXPECT_TRUE(session.init(page));
    const QString shown = testsupport::child<QLabel>(&page, "lblDtmName")->text() + " " +
                          testsupport::child<QLabel>(&page, "lblTextDtmRevision")->text() + " " +
                          testsupport::child<QLabel>(&page, "lblTextFdtRevision")->text();
    page.IDtmActiveXControl_PrepareToRelease();
    return shown;
}

struct Opening {
    QString first;
    QString second;
    const char* secondShows;
};

class AboutPages : public testing::TestWithParam<Opening> {};

// The second page shows its own host's document whatever the first one showed; a
// document that cannot be read leaves the page's own texts.
TEST_P(AboutPages, ShowTheDocumentOfTheirOwnHost) {
    Shown(GetParam().first);
    EXPECT_EQ(Shown(GetParam().second).toStdString(), GetParam().secondShows);
}

INSTANTIATE_TEST_SUITE_P(
    OneAfterAnother, AboutPages,
    testing::Values(Opening{Document("A DTM", "2.1", "1"), Document("A DTM", "2.1", "1"), "A DTM 2.1 1.4"},
                    Opening{Document("A DTM", "2.1", "1"), Document("B DTM", "2.1", "1"), "B DTM 2.1 1.4"},
                    Opening{Document("A DTM", "2.1", "1"), Document("A DTM", "2.2", "3"), "A DTM 2.2 3.4"},
                    Opening{Document("A DTM", "2.1", "1"), Document("A DTM", "2.1", "x"),
                            "Device DTM 1.0 1.2"},
                    Opening{"<FDT/>", Document("A DTM", "2.1", "1"), "A DTM 2.1 1.4"},
                    Opening{Document("A DTM", "2.1", "1"), "<FDT/>", "Device DTM 1.0 1.2"}));

}  // namespace
