#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include "frame/PageRegistry.h"

class QActionGroup;
class QListWidget;
class QMdiArea;
class QMdiSubWindow;
class QTreeWidget;
class QTreeWidgetItem;

namespace host {
class CommunicationService;
class SimulatedStation;
class Station;
}  // namespace host

namespace frame {

class AuditDock;
class OpenPage;
class StationPanel;

/// Puts the module into the simulated station unless it is there already; a
/// module whose type code is not a QT27's stays out (its connects are refused).
void addToSimulation(host::SimulatedStation& simulation, int slot, const QString& typeCode);

/// The engineering frame: the station as a tree (station, slots, modules, pages),
/// every opened page in a sub-window of its own, an error panel for what the
/// DTMs report through IDtmEvents, the data-set lock, the language and the
/// simulated station's signals and faults.
class FrameWindow : public QMainWindow {
    Q_OBJECT

public:
    FrameWindow(host::Station& station, host::SimulatedStation& simulation,
                host::CommunicationService& service, PageRegistry registry, QWidget* parent = nullptr);
    ~FrameWindow() override;

    /// Opens @p pageName for the module in @p slot; answers the page's window.
    QMdiSubWindow* openPage(int slot, const QString& pageName);
    /// The pages open now.
    QList<OpenPage*> openPages() const { return m_pages; }
    /// The entries of the error panel.
    QStringList errors() const;
    void addError(const QString& text);
    /// Whether the tree marks the module in @p slot as forced.
    bool isMarkedForced(int slot) const;
    /// The slot of the module selected in the tree; 0 when none.
    int selectedSlot() const;
    void selectSlot(int slot);
    void setLanguage(const QString& language);
    /// How long a page may take from PrepareToRelease to UiReleased before its window
    /// is closed anyway; applies to pages opened from now on.
    int gracePeriod() const { return m_gracePeriodMs; }
    void setGracePeriod(int milliseconds) { m_gracePeriodMs = milliseconds; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showDtmError(const QString& systemTag, const QString& text);
    void buildMenus();
    void buildTree();
    void connectModules();
    void openFromTree(QTreeWidgetItem* item);
    void openSelected(const QString& pageName);
    void lockAsOtherUser();
    void releaseOtherUsersLock();
    void lockAsThisDtm();
    void unlockByCompatibility();
    void openProject();
    void reloadProject();
    void pageFinished(OpenPage* page, QMdiSubWindow* window);
    /// Marks the modules whose channels read forced values, as a "function check" status.
    void updateForcedMarks();

    host::Station& m_station;
    host::SimulatedStation& m_simulation;
    host::CommunicationService& m_service;
    PageRegistry m_registry;
    QTreeWidget* m_tree = nullptr;
    QMdiArea* m_mdi = nullptr;
    QListWidget* m_errors = nullptr;
    StationPanel* m_stationPanel = nullptr;
    AuditDock* m_auditDock = nullptr;
    QActionGroup* m_languages = nullptr;
    QList<OpenPage*> m_pages;
    QString m_otherUser = QStringLiteral("operator");
    int m_invokeCounter = 0;
    int m_gracePeriodMs;
    bool m_quitting = false;
    bool m_markingForced = false;
};

}  // namespace frame
