#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>

class QLabel;
class QPushButton;

namespace rmox {

class ResourceManager;

/// The button bar at the bottom of every device page: OK, Cancel, Apply, Close,
/// Help, the page's own button, a status text and an online indicator.
///
/// Its events are raised in this order of declaration: Apply, Cancel, Ok, Help,
/// Clos and PageButton (the 7th event). Every operation called on the bar is
/// appended to `OperationLog()` so that callers can check the order of use; the
/// log keeps the latest `kOperationLogSize` operations in a ring of fixed size, so
/// that a page that reads cyclically does not make it grow.
///
/// AcknowledgeButton holds the buttons that start something on the page (OK,
/// Cancel, Apply and the page button) until RefreshButtons or EndOperation; Close
/// and Help stay usable, so a page that waits for an answer can always be closed.
/// BeginOperation and EndOperation mark where the page's operations start and end;
/// the busy mark and cursor show what the page asks for with setBusyMark, since only
/// the page knows whether the user waits for an operation (a read cycle runs
/// operations for as long as the page is online).
class ButtonControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString StatusText READ StatusText WRITE setStatusText)

public:
    explicit ButtonControl(QWidget* parent = nullptr);
    ~ButtonControl() override;

    // Operations used by the pages.
    QString StatusText() const;
    void setStatusText(const QString& text);
    void setResourceManager(ResourceManager* manager);
    ResourceManager* resourceManager() const;
    void SetSize(int heightTwips, int widthTwips);
    void SetButtons(bool ok, bool cancel, bool apply, bool close);
    void EnableOk();
    void DisableOk();
    void EnableApply();
    void DisableApply();
    void OnlineIndicator(bool online);
    void SetButtonCaption(int index, const QString& key, const QString& caption);
    void BeginOperation();
    void EndOperation();
    void AcknowledgeButton();
    void RefreshButtons();

    // What a user and a test can see.
    bool isOnline() const { return m_online; }
    /// The busy mark and cursor, while the page waits for something the user asked
    /// for. Not an operation of the order of use: it is not logged.
    void setBusyMark(bool busy);
    /// True while the busy mark shows.
    bool isBusy() const { return m_busyMark; }
    /// The operations called so far, in order, e.g. "SetButtons(1,1,1,0)"; the latest
    /// 1000 of them.
    static constexpr int kOperationLogSize = 128;
    /// The operations kept, oldest first.
    QStringList OperationLog() const;
    void clearOperationLog();

    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* applyButton() const { return m_apply; }
    QPushButton* closeButton() const { return m_close; }
    QPushButton* helpButton() const { return m_help; }
    QPushButton* pageButton() const { return m_page; }
    QLabel* statusLabel() const { return m_status; }
    /// The text beside the online marker: "online" or "offline" in the bar's language.
    QLabel* onlineLabel() const { return m_indicator; }
    /// The round marker: green while online, grey while offline.
    QLabel* onlineMarker() const { return m_marker; }
    /// A still busy mark, shown while the page says so (setBusyMark).
    QLabel* busyIndicator() const { return m_busy; }

signals:
    void Apply();
    void Cancel();
    void Ok();
    void Help();
    void Clos();
    void PageButton();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateStatusLabel();
    void record(const QString& entry);
    void updateEnabled();
    void updateIndicator();
    void loadCaptions();
    void updateBusy();

    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_help = nullptr;
    QPushButton* m_page = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_indicator = nullptr;
    QLabel* m_marker = nullptr;
    QLabel* m_busy = nullptr;
    QString m_onlineText;
    QString m_offlineText;
    QPointer<ResourceManager> m_resources;
    std::array<QString, kOperationLogSize> m_log;
    int m_logNext = 0;   // where the next entry goes
    int m_logCount = 0;  // entries kept, at most kOperationLogSize
    QString m_statusText;
    bool m_okEnabled = true;
    bool m_applyEnabled = true;
    bool m_acknowledged = false;
    bool m_online = false;
    bool m_indicatorUsed = false;
    bool m_busyMark = false;
};

}  // namespace rmox
