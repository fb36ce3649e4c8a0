#include "PageSession.h"

#include <QCoreApplication>
#include <QImage>
#include <QRegularExpression>
#include <QTimer>

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/communication/ReadCyclePage.h"

namespace testsupport {

void runQueue() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

PageSession::PageSession(const FakeModule& module) : dtm(module) {
    dtm.communication.append(&comm);
    m_previousBox =
        qt27::OnlinePage::setCriticalMessageBox([this](QWidget*, const QString&) { dtm.log << "Box"; });
}

PageSession::~PageSession() {
    qt27::OnlinePage::setCriticalMessageBox(m_previousBox);
}

bool PageSession::init(qt27::PageFrame& page) {
    m_bar = page.buttons();
    return page.IDtmActiveXControl_Init(QStringLiteral("INV-1"), QString(), &dtm);
}

QString PageSession::commonText(int id) const {
    return dtm.base.resources.GetString(id, qt27::CommonResourceFolder());
}

QString PageSession::bar() {
    static const QMap<QString, QString> names = {{"BeginOperation()", "B"},    {"EndOperation()", "E"},
                                                 {"AcknowledgeButton()", "A"}, {"RefreshButtons()", "R"},
                                                 {"OnlineIndicator(1)", "on"}, {"OnlineIndicator(0)", "off"},
                                                 {"StatusText(\"\")", "S"}};
    QStringList result;
    for (const QString& entry : m_bar ? m_bar->OperationLog() : QStringList()) {
        for (int id : {7011, 7012, 6103}) {
            result << (entry == "SetButtonCaption(0,\"\",\"" + commonText(id) + "\")"
                           ? "c" + QString::number(id)
                           : "");
        }
        result << names.value(entry);
    }
    if (m_bar) {
        m_bar->clearOperationLog();
    }
    return result.join(' ').simplified();
}

QString PageSession::host() {
    static const QRegularExpression requestKind(QStringLiteral("<(\\w+)Request kind=\"(\\w+)\""));
    const QMap<QString, QString> codes = {
        {dtm.base.resources.GetString(1127, qt27::DeviceResourceFolder()), "1127"},
        {"Transaction failed", "TF"},
        {"No data read and no communcation error ...", "ND"},
        {FakeCommunication::connectErrorText(), "CE"},
        {"Read of an invalid index", "RE"}};
    QStringList result;
    for (const QString& entry : dtm.log.mid(m_logMark)) {
        const QString name = entry.section('(', 0, 0);
        if (QStringList{"Connect", "Disconnect", "TransactionRequest", "VerifyConnection"}.contains(name)) {
            const FakeCommunication::Request& request = comm.requests.at(m_requestMark++);
            const QRegularExpressionMatch kind = requestKind.match(request.document);
            result << (name == "TransactionRequest" ? kind.captured(1) + ':' + kind.captured(2)
                       : name == "VerifyConnection" ? QStringLiteral("Verify")
                                                    : name) +
                          (request.accepted ? "" : "!");
        } else if (name == "OnErrorMessage") {
            const QString text = entry.mid(name.size() + 1).chopped(1);
            result << "Err(" + codes.value(text, text.isEmpty() ? "" : "?") + ")";
        } else if (QStringList{"UiOpened", "CloseUi", "UiReleased", "EndEditing", "Box"}.contains(name)) {
            result << name;
        }
    }
    m_logMark = dtm.log.size();
    return result.join(' ');
}

QString sessionState(const qt27::OnlinePage& page, const FakeCommunication& comm) {
    const QString id = page.onlineInvokeId();
    const auto* cycle = qobject_cast<const qt27::ReadCyclePage*>(&page);
    QString state = !page.isOnline() ? (id.isEmpty() ? "off" : "wait")
                    : id.isEmpty()   ? "on"
                    : id == comm.last(FakeCommunication::Kind::Disconnect).invokeId ? "disc"
                                                                                    : "busy";
    const std::pair<bool, const char*> flags[] = {
        {page.isConnecting(), "+c"},
        {page.isDisconnecting(), "+d"},
        {page.isClosing(), "+x"},
        {page.isPreparingToRelease(), "+p"},
        {page.isDisconnectRequested(), "+r"},
        {cycle != nullptr && cycle->cycleTimer()->isActive(), "+t"}};
    for (const auto& [set, flag] : flags) {
        state += set ? flag : "";
    }
    return page.isReleased() ? QStringLiteral("rel") : state;
}

int statePicture(const QWidget* channel) {
    const QImage shown = child<QLabel>(channel, "imgState")->pixmap().toImage();
    for (int id : {150, 152, 153, 155}) {
        if (rmox::ResourceManager().GetPicture(id, qt27::CommonResourceFolder()).toImage() == shown) {
            return id;
        }
    }
    return shown.isNull() ? 0 : -1;
}

QStringList channelsShow(const QWidget* page) {
    QStringList result;
    for (const QWidget* channel : page->findChildren<QWidget*>(QStringLiteral("ctlChannelObservation"))) {
        result << valueText(channel) + ' ' + QString::number(statePicture(channel));
    }
    return result;
}

}  // namespace testsupport
