#pragma once

#include <QList>
#include <QMap>
#include <QMainWindow>
#include <QPointer>

#include "frame/PageRegistry.h"

class QActionGroup;
class QSettings;

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
class LoopCheckWindow;
class TranslatedTexts;
class OpenPage;
class ModuleStates;
class ParameterFollowing;
class StationPanel;
class UnsavedChanges;

/// Puts the module into the simulated station unless it is there already; a
/// module whose type code is not a QT27's stays out (its connects are refused).
void addToSimulation(host::SimulatedStation& simulation, int slot, const QString& typeCode);

/// The engineering frame: the station as a tree (station, slots, modules, pages),
/// every opened page in a sub-window of its own, an error panel for what the
/// DTMs report through IDtmEvents, the data-set lock, the language and the
/// simulated station's signals and faults. Its own texts are translated
/// (FrameLanguage) and change with the Language menu.
///
/// Choices made so that no user is left stuck (each has a test in
/// tests/frame/DailyUseTest.cpp):
///  - Unsaved edits: see UnsavedChanges (Escape keeps the window, a failed store
///    keeps it, quitting asks).
///  - "Release the other user's lock" gives the lock to this DTM at once: the pages
///    lock themselves whenever a lock is given back, and only a lock of their own
///    makes them editable again. Their note then names this DTM's user.
///  - After the lock menu makes a page editable, Apply stays off until something
///    is changed (the page turns on OK and Apply together).
///  - Escape on a page with OK and Cancel closes the window through the frame's
///    question instead of pressing the page's Cancel, which would drop an edit
///    without asking.
///  - Opening a page that is open already brings its window forward; one that is
///    being released opens anew.
///  - The last diagnosis any page reads from a module is kept in the project with
///    its time (the commissioning report shows it); a module never read shows
///    "No diagnosis has been read.". A read that brings an error keeps the old one.
///  - "Loop check…" (Tools menu and the module's context menu in the tree) opens
///    one loop-check window per module; asking again brings it forward. Quitting
///    during a check cancels it and closes the frame once its session is down.
class FrameWindow : public QMainWindow {
    Q_OBJECT

public:
    FrameWindow(host::Station& station, host::SimulatedStation& simulation,
                host::CommunicationService& service, PageRegistry registry, QWidget* parent = nullptr);
    ~FrameWindow() override;

    /// Opens @p pageName for the module in @p slot; answers the page's window.
    QMdiSubWindow* openPage(int slot, const QString& pageName);
    /// Opens (or brings forward) the loop-check window of the module in @p slot;
    /// nullptr when the project has no such module.
    LoopCheckWindow* openLoopCheck(int slot);
    /// The frame's care for unsaved edits (its questions can be answered by tests).
    UnsavedChanges* unsavedChanges() const { return m_unsaved; }
    /// The pages open now.
    QList<OpenPage*> openPages() const { return m_pages; }
    /// Writes the project (with what is in memory) to @p path and continues with
    /// that file; false, with the reason in the error panel, when it cannot.
    bool saveProjectAs(const QString& path);
    /// Keeps the window's size and place and the docks' layout in @p settings, and
    /// takes them back at the next start.
    void saveLayout(QSettings& settings) const;
    void restoreLayout(const QSettings& settings);
    /// How grave an entry of the error panel is.
    enum class Severity { Error, Warning, Information };
    /// The entries of the error panel, as they are copied and exported: time,
    /// severity and text.
    QStringList errors() const;
    /// The severity of the entry in @p row of the error panel.
    Severity severity(int row) const;
    /// @p severity in words, in the frame's language.
    static QString severityText(Severity severity);
    void addError(const QString& text);
    void addMessage(Severity severity, const QString& text);
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
    /// File > "Commissioning report…": asks for a file (PDF or HTML by its suffix) and
    /// writes the report of the selected module (the first module when none is
    /// selected), with the channels the station forces now. A failure goes to the
    /// error panel; the file is then left as it was.
    void writeReport();
    void reloadProject();
    void pageFinished(OpenPage* page, QMdiSubWindow* window);
    void keepApplyOffUnlessDirty(int slot);
    /// Shows each module's state in the tree and the channel faults in words on the
    /// state pictures of the open pages.
    void showModuleStates();
    /// The project file in the title, marked while something is not stored.
    void updateTitle();
    QMdiSubWindow* windowOf(const OpenPage* page) const;
    /// Marks the modules whose channels read forced values, as a "function check" status.
    void updateForcedMarks();
    /// Keeps @p telegram as the module's last diagnosis in the project.
    void keepDiagnosis(int slot, const QByteArray& telegram);
    /// Breaks the states into lines where the state column is too narrow for them.
    void layOutStates();

    host::Station& m_station;
    host::SimulatedStation& m_simulation;
    host::CommunicationService& m_service;
    PageRegistry m_registry;
    QTreeWidget* m_tree = nullptr;
    QMdiArea* m_mdi = nullptr;
    QTreeWidget* m_errors = nullptr;
    TranslatedTexts* m_texts = nullptr;
    StationPanel* m_stationPanel = nullptr;
    AuditDock* m_auditDock = nullptr;
    QActionGroup* m_languages = nullptr;
    QList<OpenPage*> m_pages;
    QMap<int, QPointer<LoopCheckWindow>> m_loopChecks;
    UnsavedChanges* m_unsaved = nullptr;
    ParameterFollowing* m_following = nullptr;
    ModuleStates* m_states = nullptr;
    QString m_otherUser = QStringLiteral("operator");
    int m_invokeCounter = 0;
    int m_gracePeriodMs;
    bool m_quitting = false;
    bool m_markingForced = false;
    bool m_layingOutStates = false;
};

}  // namespace frame
