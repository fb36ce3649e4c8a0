#pragma once

// One page on the scripted host; what a page or a channel display shows, read from its
// elements by name.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <ostream>

#include "FakeCommunication.h"
#include "FakeHost.h"
#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/communication/OnlinePage.h"
#include "rmox/ButtonControl/ButtonControl.h"

namespace testsupport {

/// Runs the calls queued so far, not those they queue in turn.
void runQueue();

/// The fake host with its communication service; ReportError's message box without a
/// host shows up in the host's log as "Box".
struct PageSession {
    explicit PageSession(const FakeModule& module = FakeModule());
    ~PageSession();
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
int statePicture(const QWidget* channel);

/// What the channel displays below @p page show: "<value text> <state picture>".
QStringList channelsShow(const QWidget* page);

}  // namespace testsupport

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
