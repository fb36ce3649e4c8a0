#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

#include "frame/PageRegistry.h"

class QWidget;

namespace host {
class QT27Dtm;
}

namespace frame {

/// One page opened for one module: creates it, starts it through
/// IDtmActiveXControl_Init and runs the release handshake. The host's CloseUi
/// starts the release; the page ends it with UiReleased. A page that has not
/// released itself within the grace period is reported and given up on, so a
/// window is never stuck open; the host's communication service then closes the
/// connections the page opened.
class OpenPage : public QObject {
    Q_OBJECT

public:
    /// Grace period between the answer of PrepareToRelease and giving up on UiReleased.
    static constexpr int kGracePeriodMs = 5000;

    OpenPage(const PageType& type, host::QT27Dtm* dtm, const QString& invokeId, QObject* parent = nullptr);
    ~OpenPage() override;

    /// Calls IDtmActiveXControl_Init; answers its result.
    bool init();
    /// Starts the release (PrepareToRelease) unless it was started already.
    void requestRelease();

    QWidget* widget() const { return m_widget; }
    /// Hands the widget to its window; the window then owns and deletes it.
    void setWidgetOwnedElsewhere() { m_ownsWidget = false; }
    const PageType& type() const { return m_type; }
    QString invokeId() const { return m_invokeId; }
    int slot() const;
    bool isReleased() const { return m_released; }
    bool isReleaseRequested() const { return m_releaseRequested; }
    /// A readable name for messages: "Observation of slot 03".
    QString description() const;
    void setGracePeriod(int milliseconds) { m_grace.setInterval(milliseconds); }
    /// Asked when the page calls CloseUi; false leaves the page open (its store failed).
    void setCloseGuard(std::function<bool()> guard) { m_closeGuard = std::move(guard); }

signals:
    /// The page called UiReleased: its window may close now.
    void released();
    /// The page called CloseUi: the release has been started.
    void closeRequested();
    /// The page did not call UiReleased within the grace period.
    void releaseTimedOut();

private:
    void onUiReleased(const QString& invokeId);
    void onCloseUi(const QString& invokeId);
    void closeConnections();

    PageType m_type;
    QPointer<host::QT27Dtm> m_dtm;
    QString m_invokeId;
    QPointer<QWidget> m_widget;
    bool m_ownsWidget = true;
    bool m_released = false;
    bool m_releaseRequested = false;
    QTimer m_grace;
    std::function<bool()> m_closeGuard;
};

}  // namespace frame
