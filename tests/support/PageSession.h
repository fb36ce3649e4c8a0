#pragma once

// One page on the scripted host and, in short form, what it did to the host and to its
// button bar, so that a test states a whole exchange in one line; what a page or a
// channel display shows, read from its elements by name.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
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
    /// Button, R RefreshButtons, on/off OnlineIndicator, c<id> the page button's caption
    /// as common text id, S an empty status text; the others are left out.
    QString bar();
    /// What the host saw since the last call: Connect, Disconnect, Verify, Read:<kind> and
    /// Write:<kind> (a transaction and its request), with "!" when refused; UiOpened,
    /// CloseUi, UiReleased, EndEditing; Err(<text>) for an error report, with 1127 for the
    /// aborted connection, TF "Transaction failed", ND "No data read ...", CE the connect
    /// error, RE the read error, ? another text; Box for ReportError's box without a host.
    QString host();
    QString commonText(int id) const;

    FakeDtm dtm;
    FakeCommunication comm{&dtm.log};

private:
    QPointer<rmox::ButtonControl> m_bar;
    qsizetype m_logMark = 0;
    qsizetype m_requestMark = 0;
    qt27::OnlinePage::CriticalMessageBox m_previousBox;
};

/// The session in short: off, wait (connect outstanding), on, busy (another request
/// outstanding), disc (the disconnect outstanding) or rel (released), and the flags +c
/// connecting, +d disconnecting, +x closing, +p preparing to release, +r disconnect
/// requested, +t timCyclic running.
QString sessionState(const qt27::OnlinePage& page, const FakeCommunication& comm);

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
int statePicture(const QWidget* channel);

/// What the channel displays below @p page show: "<value text> <state picture>".
QStringList channelsShow(const QWidget* page);

}  // namespace testsupport

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
