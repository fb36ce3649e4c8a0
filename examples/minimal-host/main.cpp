// minimal-host: the least a host of its own does to open a QT27 page.
//
// It implements the two contracts the About page calls, the host DTM (qt27::QT27Dtm)
// and the base DTM (qt27::BaseDtm), opens the page through IDtmActiveXControl_Init,
// prints what the page shows and what the page asked of the host, and releases it.
//
//   minimal-host               open, print, release (works without a display:
//                              QT_QPA_PLATFORM=offscreen)
//   minimal-host --grab FILE   also saves a picture of the page to FILE
//   minimal-host --show        shows the page until its OK button asks the host to close it
#include <QApplication>
#include <QLabel>
#include <QStringList>
#include <QTextStream>
#include <exception>

#include "QT27Controls/Version.h"
#include "QT27Controls/about/About.h"
#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/framework/BaseDtm.h"
#include "QT27Controls/framework/DtmEvents.h"
#include "QT27Controls/framework/MessageService.h"
#include "QT27Controls/framework/QT27Dtm.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace {

// Errors the pages report go to the host's error display; here, to standard error.
class Events : public qt27::DtmEvents {
public:
    void OnErrorMessage(const QString& systemTag, const QString& errorText) override {
        QTextStream(stderr) << systemTag << ": " << errorText << "\n";
    }
};

// The base DTM: the host's services for one module. About needs its resources, the
// DTM information document and the three calls that tell the host a page opened,
// wants to close and is released; the other services belong to the pages that edit
// or go online.
class ExampleBaseDtm : public qt27::BaseDtm {
public:
    ExampleBaseDtm() {
        // The texts and pictures that come with the library, in the host's language.
        m_resources.setLanguage(QStringLiteral("en"));
        m_resources.setResourceFolder(qt27::DeviceResourceFolder());
    }

    QStringList calls;      ///< what the page asked of the host, in order
    bool closeAsked = false;

    QString ModuleDocument() override { return {}; }
    rmox::ResourceManager* ResourceManager() override { return &m_resources; }
    qt27::ParameterManager* ParameterManager() override { return nullptr; }
    qt27::MessageService* MessageService() override { return nullptr; }
    QString DtmInformation() override {
        return QStringLiteral(
            "<FDT><DtmInformation name=\"Example DTM\" revision=\"2.0\">"
            "<FdtVersion major=\"1\" minor=\"4\"/></DtmInformation></FDT>");
    }
    QObject* CommunicationObject() override { return nullptr; }
    QObject* SchemaObject() override { return nullptr; }
    int StateValue() override { return 0; }
    bool HoldsLock() override { return true; }
    bool MayEdit() override { return true; }
    bool UiOpened(const QString& invokeId) override { return note("UiOpened", invokeId); }
    bool CloseUi(const QString& invokeId) override {
        closeAsked = true;
        QApplication::quit();
        return note("CloseUi", invokeId);
    }
    bool UiReleased(const QString& invokeId) override { return note("UiReleased", invokeId); }
    bool NotifyDataChanged() override { return true; }
    bool EndEditing() override { return true; }
    qt27::DtmEvents* DtmEvents() override { return &m_events; }

private:
    bool note(const char* call, const QString& invokeId) {
        calls << QStringLiteral("%1(%2)").arg(QLatin1String(call), invokeId);
        return true;
    }

    rmox::ResourceManager m_resources;
    Events m_events;
};

// The host DTM the page is started with.
class ExampleDtm : public qt27::QT27Dtm {
public:
    qt27::BaseDtm* BaseDtm() override { return &base; }
    QList<qt27::CommunicationService*> CommunicationObjects() override { return {}; }
    QString DocumentKey() override { return QStringLiteral("example"); }
    qt27::FdtChannels* Channels() override { return nullptr; }

    ExampleBaseDtm base;
};

QString labelText(const QWidget& page, const char* name) {
    const auto* label = page.findChild<QLabel*>(QLatin1String(name));
    return label != nullptr ? label->text() : QStringLiteral("?");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    QTextStream out(stdout);

    ExampleDtm dtm;
    qt27::About page;
    page.IDtmActiveXControl_Init(QStringLiteral("about-1"), QString(), &dtm);

    // The logo of the device resource folder, which the library finds beside itself.
    QString logo;
    try {
        const QPixmap picture = dtm.base.ResourceManager()->GetPicture(113, QString());
        logo = QStringLiteral("%1 x %2").arg(picture.width()).arg(picture.height());
    } catch (const std::exception& error) {
        logo = QStringLiteral("missing: %1").arg(QString::fromLocal8Bit(error.what()));
    }
    out << "QT27Controls " << QT27_VERSION << ": About page opened\n"
        << "  shows: " << labelText(page, "lblDtmName") << " " << labelText(page, "lblTextDtmRevision")
        << ", FDT " << labelText(page, "lblTextFdtRevision") << "\n"
        << "  resources: " << qt27::DeviceResourceFolder() << " (logo " << logo << ")\n";

    const int grab = arguments.indexOf(QStringLiteral("--grab"));
    if (grab > 0 && grab + 1 < arguments.size()) {
        page.grab().save(arguments.at(grab + 1));
    }
    if (arguments.contains(QStringLiteral("--show"))) {
        out.flush();
        page.show();
        QApplication::exec();
    }

    page.IDtmActiveXControl_PrepareToRelease();
    out << "  host saw: " << dtm.base.calls.join(QLatin1Char(' ')) << "\n";
    return dtm.base.calls.isEmpty() ? 1 : 0;
}
