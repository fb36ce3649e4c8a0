#include "PageSession.h"

#include <QCoreApplication>
#include <QImage>

namespace testsupport {

void runQueue() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

PageSession::PageSession(const FakeModule& module) : dtm(module) {
    dtm.communication.append(&comm);
    previousBox =
        qt27::OnlinePage::setCriticalMessageBox([this](QWidget*, const QString&) { dtm.log << "Box"; });
}

PageSession::~PageSession() {
    qt27::OnlinePage::setCriticalMessageBox(previousBox);
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
