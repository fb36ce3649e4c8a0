#include "About.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "QT27Controls/common/ErrorHandling.h"
#include "QT27Controls/framework/BaseDtm.h"
#include "QT27Controls/framework/Localisation.h"
#include "QT27Controls/framework/QT27Dtm.h"
#include "QT27Controls/framework/Twips.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace qt27 {

namespace {

constexpr int kPageWidth = 6600;
constexpr int kPageHeight = 4440;

QLabel* makeLabel(const QString& name, const QString& caption, const QRect& geometry, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
}

// The product picture shrunk to the height of its place. Smooth scaling is a good
// part of the cost of opening the page, so the result is kept for the process
// and made again only for another picture (a reloaded resource) or height.
QPixmap scaledToHeightOnce(const QPixmap& picture, int height) {
    struct Scaled {
        qint64 sourceKey = 0;
        int height = 0;
        QPixmap pixmap;
    };
    // Never destroyed: a pixmap must not outlive the application object.
    static auto* kept = new Scaled;
    if (kept->pixmap.isNull() || kept->sourceKey != picture.cacheKey() || kept->height != height) {
        kept->pixmap = picture.scaledToHeight(height, Qt::SmoothTransformation);
        kept->sourceKey = picture.cacheKey();
        kept->height = height;
    }
    return kept->pixmap;
}

/// @p document read into @p information. The host hands the same document to
/// every page it opens, so the fields read last are kept for the process and a
/// document is read again only when its text differs from the one read last.
bool readDtmInformation(const QString& document, rmox::DtmInformationData& information) {
    struct Read {
        bool filled = false;
        QString document;
        bool readable = false;
        rmox::DtmInformationData information;
    };
    // Pages are opened on the host's user-interface thread only.
    static Read last;
    if (!last.filled || last.document != document) {
        rmox::DtmInformationData read;
        last.readable = rmox::DtmInformationReader().ReadDocument(document, read);
        last.information = read;
        last.document = document;
        last.filled = true;
    }
    if (last.readable) {
        information = last.information;
    }
    return last.readable;
}

QFrame* makeLine(const QString& name, const QRect& geometry, QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(geometry);
    return line;
}

}  // namespace

About::About(QWidget* parent) : PageFrame(NoFeatures, parent) {
    Image1 = makeLabel(QStringLiteral("Image1"), QString(), twipsRect(240, 240, 2400, 900), this);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    lblDtmName = makeLabel(QStringLiteral("lblDtmName"), QStringLiteral("Device DTM"),
                           twipsRect(240, 1260, 3960, 420), this);
    QFont nameFont = lblDtmName->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.3);
    lblDtmName->setFont(nameFont);
    lblDtmName->setWordWrap(true);

    Line1 = makeLine(QStringLiteral("Line1"), twipsRect(240, 1740, 3960, 30), this);

    fraRevision = new QGroupBox(QStringLiteral("Revision"), this);
    fraRevision->setObjectName(QStringLiteral("fraRevision"));
    fraRevision->setGeometry(twipsRect(240, 1920, 3960, 1260));
    fraRevision->setProperty("Tag", QStringLiteral("5017"));
    Label21 = makeLabel(QStringLiteral("Label21"), QStringLiteral("FDT:"), twipsRect(240, 360, 900, 300),
                        fraRevision);
    lblTextFdtRevision = makeLabel(QStringLiteral("lblTextFdtRevision"), QStringLiteral("1.2"),
                                   twipsRect(1200, 360, 2520, 300), fraRevision);
    Label20 = makeLabel(QStringLiteral("Label20"), QStringLiteral("DTM:"), twipsRect(240, 780, 900, 300),
                        fraRevision);
    lblTextDtmRevision = makeLabel(QStringLiteral("lblTextDtmRevision"), QStringLiteral("1.0"),
                                   twipsRect(1200, 780, 2520, 300), fraRevision);

    Picture1 = makeLabel(QStringLiteral("Picture1"), QString(), twipsRect(4440, 240, 1920, 2940), this);
    Picture1->setAlignment(Qt::AlignCenter);

    Line2 = makeLine(QStringLiteral("Line2"), twipsRect(240, 3360, 6120, 30), this);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(4920, 3600, 1440, 450));
    cmdOK->setProperty("Tag", QStringLiteral("5010"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &About::cmdOK_Click);

    resize(sizeHint());
}

QSize About::sizeHint() const {
    return {twipsToPixels(kPageWidth), twipsToPixels(kPageHeight)};
}

bool About::IDtmActiveXControl_Init(const QString& invokeID, const QString& /*functionCall*/, QT27Dtm* dtm) {
    QPointer<BaseDtm> baseDtm;
    step([&] {
        baseDtm = Required(Required(dtm)->BaseDtm());
        m_objUiNotifications = baseDtm;
    });
    step([&] {
        delete m_resourceManager;
        m_resourceManager = new rmox::ResourceManager(this);
        m_resourceManager->ConfigureFrom(*Required(Required(baseDtm.data())->ResourceManager()));
    });
    step([&] { LocaliseControls(this, *Required(m_resourceManager), commonResourceFolder()); });
    step([&] { showDtmInformation(); });
    showPictures();
    keepInvokeId(invokeID);
    step([&] { Required(m_objUiNotifications.data())->UiOpened(invokeId()); });
    return true;
}

void About::showDtmInformation() {
    BaseDtm* baseDtm = Required(m_objUiNotifications.data());
    const QString document = baseDtm->DtmInformation();
    rmox::DtmInformationData information;
    if (!readDtmInformation(document, information)) {
        return;
    }
    lblDtmName->setText(information.DtmName);
    lblTextDtmRevision->setText(information.DtmRevision);
    lblTextFdtRevision->setText(
        QStringLiteral("%1.%2").arg(information.FdtVersionMajor).arg(information.FdtVersionMinor));
}

void About::showPictures() {
    if (m_resourceManager == nullptr) {
        return;
    }
    IgnoreErrors([&] { Image1->setPixmap(m_resourceManager->GetPicture(113, QString())); });
    IgnoreErrors([&] {
        const QPixmap picture = m_resourceManager->GetPicture(126, QString());
        Picture1->setPixmap(picture.height() > Picture1->height()
                                ? scaledToHeightOnce(picture, Picture1->height())
                                : picture);
    });
}

void About::cmdOK_Click() {
    step([&] { Required(m_objUiNotifications.data())->CloseUi(invokeId()); });
}

bool About::IDtmActiveXControl_PrepareToRelease() {
    IgnoreErrors([&] { Required(m_objUiNotifications.data())->UiReleased(invokeId()); });
    m_objUiNotifications.clear();
    markReleased();
    dropHostReferences();
    return true;
}

}  // namespace qt27
