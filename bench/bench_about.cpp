// Opening the About page on the simulated station (create, Init with its texts and
// pictures, first layout and paint) against creating the same widgets without any
// logic, showing the same two pictures (taken once from an opened page). As on an
// installed station a registry file holds the DTM's key, its debug switches off.
//
//   bench_about [runs]
#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "PageBench.h"
#include "QT27Controls/about/About.h"
#include "QT27Controls/framework/Twips.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"

namespace {

constexpr int kSlot = 3;

QLabel* label(const QString& text, const QRect& geometry, QWidget* parent) {
    auto* created = new QLabel(text, parent);
    created->setGeometry(geometry);
    return created;
}

QFrame* line(const QRect& geometry, QWidget* parent) {
    auto* created = new QFrame(parent);
    created->setFrameShape(QFrame::HLine);
    created->setFrameShadow(QFrame::Sunken);
    created->setGeometry(geometry);
    return created;
}

/// A registry file in @p dir with the DTM's key and both debug switches off, named
/// by RIMOX_REGISTRY.
bool writeRegistry(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    QFile file(path);
    const QByteArray text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\r\n"
        "@=\"Omvex rimox DTM\"\r\n\"Debug\"=dword:00000000\r\n\"DebugFile\"=dword:00000000\r\n";
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        return false;
    }
    qputenv("RIMOX_REGISTRY", path.toLocal8Bit());
    return true;
}

/// The same number and kinds of widgets as the About page, placed alike, with its
/// logo and product picture.
void buildBarePage(QWidget& page, const QPixmap& logo, const QPixmap& product) {
    using qt27::twipsRect;
    page.resize(qt27::twipsToPixels(6600), qt27::twipsToPixels(4440));
    QLabel* image = label(QString(), twipsRect(240, 240, 2400, 900), &page);
    image->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    image->setPixmap(logo);
    QLabel* name = label(QStringLiteral("rimox QT27 DTM"), twipsRect(240, 1260, 3960, 420), &page);
    QFont nameFont = name->font();
    nameFont.setBold(true);
    name->setFont(nameFont);
    name->setWordWrap(true);
    line(twipsRect(240, 1740, 3960, 30), &page);
    auto* revision = new QGroupBox(QStringLiteral("Revision"), &page);
    revision->setGeometry(twipsRect(240, 1920, 3960, 1260));
    label(QStringLiteral("FDT:"), twipsRect(240, 360, 900, 300), revision);
    label(QStringLiteral("1.2"), twipsRect(1200, 360, 2520, 300), revision);
    label(QStringLiteral("DTM:"), twipsRect(240, 780, 900, 300), revision);
    label(QStringLiteral("1.0"), twipsRect(1200, 780, 2520, 300), revision);
    QLabel* picture = label(QString(), twipsRect(4440, 240, 1920, 2940), &page);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(product);
    line(twipsRect(240, 3360, 6120, 30), &page);
    auto* ok = new QPushButton(QStringLiteral("OK"), &page);
    ok->setGeometry(twipsRect(4920, 3600, 1440, 450));
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    pagebench::prepareEnvironment(dir);
    if (!writeRegistry(dir)) {
        std::fprintf(stderr, "bench_about: cannot write the registry file\n");
        return 1;
    }
    QApplication app(argc, argv);
    const int runs = pagebench::runsFrom(argc, argv, 200);

    host::Station station;
    if (!station.open(dir.filePath(QStringLiteral("station.xml")))) {
        std::fprintf(stderr, "bench_about: %s\n", qPrintable(station.lastError()));
        return 1;
    }
    host::QT27Dtm* dtm = station.dtmForSlot(kSlot);
    std::printf("About page, slot %02d, %s platform\n", kSlot, qPrintable(QApplication::platformName()));

    QPixmap logo;
    QPixmap product;
    {
        qt27::About page;
        page.IDtmActiveXControl_Init(QStringLiteral("INV-PICTURES"), QStringLiteral("About"), dtm);
        logo = page.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap();
        product = page.findChild<QLabel*>(QStringLiteral("Picture1"))->pixmap();
        page.IDtmActiveXControl_PrepareToRelease();
    }
    pagebench::measureOpening<qt27::About>("About", runs, dtm,
                                           [&](QWidget& page) { buildBarePage(page, logo, product); });
    return 0;
}
