#pragma once

// One page on the scripted host, and what the page did to the host and to its button
// bar in short form, so that a test states a whole exchange in one line; what a page
// or a channel control shows, read from its elements by name.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTextBrowser>
#include <ostream>

#include "FakeCommunication.h"
#include "FakeHost.h"
#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/communication/OnlinePage.h"
#include "rmox/ButtonControl/ButtonControl.h"

namespace testsupport {

/// Runs the calls queued so far, not those they queue in turn.
void runQueue();

class PageSession {
public:
    explicit PageSession(const FakeModule& module = FakeModule());
    ~PageSession();

    /// IDtmActiveXControl_Init of @p page with the invoke id "INV-1".
    bool init(qt27::PageFrame& page);
    /// The button bar operations since the last call: B/E Begin/EndOperation, A Acknowledge-
    /// Button, R RefreshButtons, on/off OnlineIndicator, c<id> the page button's caption as
    /// common text id, S an empty status text; the others are left out.
    QString bar();
    /// What the host saw since the last call: the requests Connect, Disconnect, Verify and
    /// Read:<kind> or Write:<kind> (a transaction with the kind of its request), each with
    /// "!" when refused; UiOpened, CloseUi, UiReleased, EndEditing; Err(<code>) for an
    /// error report: 1127 the aborted connection, TF "Transaction failed", ND "No data
    /// read ...", CE the connect error, RE the read error, ? another text; Box for the
    /// message box of ReportError without a host.
    QString host();
    QString commonText(int id) const;
    QString deviceText(int id) const;

    FakeDtm dtm;
    FakeCommunication comm{&dtm.log};

private:
    QPointer<rmox::ButtonControl> m_bar;
    qsizetype m_logMark = 0;
    qsizetype m_requestMark = 0;
    qt27::OnlinePage::CriticalMessageBox m_previousBox;
};

/// The session state in short: off, wait (connect outstanding), on, busy (another request
/// outstanding), disc (the disconnect outstanding) or rel (released), then the flags
/// +c connecting, +d disconnecting, +x closing, +p preparing to release, +r disconnect
/// requested, +t timCyclic running.
QString sessionState(const qt27::OnlinePage& page, const FakeCommunication& comm);

/// The element @p name below @p parent; a failure when there is none.
template <typename T = QWidget>
T* child(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

/// The value text of a channel display.
inline QString valueText(const QWidget* channel) {
    return child<QLineEdit>(channel, "txtValue")->text();
}

/// The state picture a channel display shows: 150, 152, 153 or 155, 0 for none, -1
/// for another picture.
inline int statePicture(const QWidget* channel) {
    const QImage shown = child<QLabel>(channel, "imgState")->pixmap().toImage();
    if (shown.isNull()) {
        return 0;
    }
    const rmox::ResourceManager resources;
    for (int id : {150, 152, 153, 155}) {
        if (resources.GetPicture(id, qt27::CommonResourceFolder()).toImage() == shown) {
            return id;
        }
    }
    return -1;
}

/// What the channel displays of an Observation page show: "<value text> <state picture>".
inline QStringList channelsShow(const QWidget* page) {
    QStringList result;
    for (const QWidget* channel : page->findChildren<QWidget*>(QStringLiteral("ctlChannelObservation"))) {
        result << valueText(channel) + ' ' + QString::number(statePicture(channel));
    }
    return result;
}

/// The file name of the topic the help window @p handle shows; empty without one.
inline QString helpTopicShown(quintptr handle) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* browser = qobject_cast<QTextBrowser*>(window);
        if (browser != nullptr && browser->isVisible() && handle != 0 &&
            window->property("qt27HelpHandle").value<quintptr>() == handle) {
            return browser->source().fileName();
        }
    }
    return {};
}

}  // namespace testsupport

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
