#pragma once

// One page on the scripted host; what a page or a channel display shows, read from its
// elements by name.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>

#include "FakeCommunication.h"
#include "FakeHost.h"
#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/communication/OnlinePage.h"
#include "rmox/ButtonControl/ButtonControl.h"

namespace testsupport {

/// Runs the calls queued so far, not those they queue in turn.
inline void runQueue() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

/// The fake host with its communication service; ReportError's message box without a
/// host shows up in the host's log as "Box".
struct PageSession {
    explicit PageSession(const FakeModule& module = FakeModule()) : dtm(module) {
        dtm.communication.append(&comm);
        previousBox =
            qt27::OnlinePage::setCriticalMessageBox([this](QWidget*, const QString&) { dtm.log << "Box"; });
    }
    ~PageSession() { qt27::OnlinePage::setCriticalMessageBox(previousBox); }
    /// IDtmActiveXControl_Init of @p page with the invoke id "INV-1".
    bool init(qt27::PageFrame& page) { return page.IDtmActiveXControl_Init("INV-1", QString(), &dtm); }
    QString commonText(int id) const {
        return dtm.base.resources.GetString(id, qt27::CommonResourceFolder());
    }

    FakeDtm dtm;
    FakeCommunication comm{&dtm.log};
    qt27::OnlinePage::CriticalMessageBox previousBox;
};

/// The element @p name below @p parent; a failure when there is none.
template <typename T = QWidget>
T* child(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline QString valueText(const QWidget* channel) {
    return child<QLineEdit>(channel, "txtValue")->text();
}

/// The state picture a channel display shows: 150, 152, 153 or 155; 0 none, -1 another.
inline int statePicture(const QWidget* channel) {
    const QImage shown = child<QLabel>(channel, "imgState")->pixmap().toImage();
    for (int id : {150, 152, 153, 155}) {
        if (rmox::ResourceManager().GetPicture(id, qt27::CommonResourceFolder()).toImage() == shown) {
            return id;
        }
    }
    return shown.isNull() ? 0 : -1;
}

/// What the channel displays below @p page show: "<value text> <state picture>".
inline QStringList channelsShow(const QWidget* page) {
    QStringList result;
    for (const QWidget* channel : page->findChildren<QWidget*>(QStringLiteral("ctlChannelObservation"))) {
        result << valueText(channel) + ' ' + QString::number(statePicture(channel));
    }
    return result;
}

}  // namespace testsupport

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
