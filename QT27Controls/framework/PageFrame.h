#pragma once

#include <QFlags>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

#include "QT27Controls/framework/BaseDtm.h"
#include "QT27Controls/framework/IDtmActiveXControl.h"
#include "QT27Controls/framework/ParameterManager.h"
#include "QT27Controls/framework/QT27Dtm.h"
#include "rmox/Communication/DocumentReaders.h"

class QLabel;

namespace rmox {
class ButtonControl;
class ResourceManager;
}  // namespace rmox

namespace qt27 {

/// What every page shares: creation, the ordered steps of IDtmActiveXControl_Init
/// with hooks for the page's own steps, the button bar, the slot and module header,
/// help, the data-set lock events, dirty handling and the orderly release.
///
/// Init runs these steps in this order; each step is guarded, so an error is
/// written to the debug log and Init goes on with the next step:
/// ```
///  1. log "IDtmActiveXControl_Init"        2. keep the host DTM
///  3. attach the base DTM, module document 4. attach the parameter manager
///     (hook attachServices)                5. build the module data object
///  6. log ".IDtmActiveXControl_Init"       7. create the resource managers
///  8. hook configureChildControls           9. slot number label := text 6002
/// 10. MayEdit false: lock the page         11. hook readAllValues
/// 12. keep the invoke id                   13. configure the button bar
///     (hook afterButtonsConfigured)            (hook beforeUiOpened)
/// 14. UiOpened                             15. log ": IDtmActiveXControl_Init" "finished"
/// ```
///
/// A host creates the page, calls IDtmActiveXControl_Init, shows it and, to end it,
/// calls IDtmActiveXControl_PrepareToRelease and waits for BaseDtm::UiReleased
/// before destroying it; the Close button asks for the window to close through
/// BaseDtm::CloseUi.
class PageFrame : public QWidget, public IDtmActiveXControl {
    Q_OBJECT

public:
    /// The frame parts a page has.
    enum Feature {
        NoFeatures = 0,               ///< none (About)
        ButtonBar = 0x1,              ///< ctlButtons at the bottom
        SlotHeader = 0x2,             ///< lblSlotNumberLabel, lblSlotNumber, lblModuleType
        DataSetLockEvents = 0x4,      ///< LockDataSet / UnlockDataSet of the base DTM
        ParameterChangedEvents = 0x8  ///< ParameterChanged of the base DTM and the parameter manager
    };
    /// A combination of Feature values.
    Q_DECLARE_FLAGS(Features, Feature)

    /// The four visibility flags handed to SetButtons.
    struct ButtonSet {
        bool ok = false;      ///< OK shown (pages that edit)
        bool cancel = false;  ///< Cancel shown (pages that edit)
        bool apply = false;   ///< Apply shown (pages that edit)
        bool close = true;    ///< Close shown (online pages)
    };

    /// Prepares the page before Init: reads the debug switches, computes the resource
    /// folders beside the library and creates the frame parts named by @p features.
    explicit PageFrame(Features features, QWidget* parent = nullptr);
    ~PageFrame() override;

    /// Runs the Init steps listed above; always answers true.
    bool IDtmActiveXControl_Init(const QString& invokeID, const QString& functionCall, QT27Dtm* dtm) override;
    /// Offline pages: closes the help windows; with unsaved edits asks the user
    /// (through the message service) whether to write them; then EndEditing,
    /// UiReleased and the host references dropped, at once. Always answers true.
    bool IDtmActiveXControl_PrepareToRelease() override;

    /// The page's log tag: its class name without namespace ("Parameter").
    QString className() const;

    // What the page shows and holds, for the host and for tests.
    /// True while the page holds edits not yet written to the data set (a host asks
    /// before it closes such a page).
    bool isDirty() const { return m_dirty; }
    /// True while the page is read-only (no data-set lock, or MayEdit false).
    bool isLocked() const { return m_locked; }
    /// True once the page has called UiReleased: the host may destroy it.
    bool isReleased() const { return m_released; }
    /// The handle of the last help window shown; 0 when help was never shown.
    quintptr helpWindowHandle() const { return m_helpWindowHandle; }
    /// The invoke id given to Init, sent with every notification to the base DTM.
    QString invokeId() const { return m_sInvokeId; }
    /// Slot number, module type code and name as read from the data set at Init.
    const rmox::ModuleData& moduleData() const { return m_moduleData; }
    /// The button bar (null on pages without one).
    rmox::ButtonControl* buttons() const { return ctlButtons; }
    /// The page's manager of the common texts and pictures (null before Init).
    rmox::ResourceManager* commonResourceManager() const { return m_commonResources; }
    /// The page's manager of the device texts and pictures (null before Init).
    rmox::ResourceManager* deviceResourceManager() const { return m_deviceResources; }
    /// The library's folder + "/rmoxResourceData".
    QString commonResourceFolder() const { return m_commonFolder; }
    /// The library's folder + "/QT27ResourceData".
    QString deviceResourceFolder() const { return m_deviceFolder; }

public slots:
    // Events of the button bar, in its order.
    /// Apply: writes the data set when the page is dirty.
    void ctlButtons_Apply();
    /// Cancel: forgets the edits, then the Close reaction.
    void ctlButtons_Cancel();
    /// OK: the Apply reaction, then the Close reaction.
    void ctlButtons_Ok();
    /// Help: shows the page's help topic.
    void ctlButtons_Help();
    /// Close: asks the base DTM to close the window (online pages end their session
    /// first).
    void ctlButtons_Clos();
    /// The page's own button (connect or reread on online pages).
    void ctlButtons_PageButton();

    // Events of the base DTM and the parameter manager.
    /// Shows who took the data-set lock; unlocks the page when this instance holds it.
    void m_objBaseDtm_LockDataSet(const QString& userName);
    /// Locks the page unless @p userName is "COMPATIBILITY".
    void m_objBaseDtm_UnlockDataSet(const QString& userName);
    /// Re-reads the page's data.
    void m_objBaseDtm_ParameterChanged();
    /// Re-reads the page's data.
    void m_objParameterManager_ParameterChanged();

protected:
    // Hooks of the pages, called at the named points of Init and the events.
    /// After the parameter manager is attached (step 4): online pages take their
    /// communication objects here.
    virtual void attachServices() {}
    /// Step 8: configure the channel controls.
    virtual void configureChildControls() {}
    /// Step 11: read all values; the default shows the slot and module header.
    virtual void readAllValues();
    /// The buttons shown by step 13.
    virtual ButtonSet buttonSet() const { return {}; }
    /// End of step 13 (captions of the page's own button and the like).
    virtual void afterButtonsConfigured() {}
    /// Just before UiOpened (online pages queue their connect here).
    virtual void beforeUiOpened() {}
    /// The help context of the page; 0 opens the help file's default topic.
    virtual int helpContextId() const { return 0; }
    /// Locked on every editor of the page.
    virtual void setEditorsLocked(bool /*locked*/) {}
    /// Writes the data set (the Apply reaction, when dirty).
    virtual void writeDataSet() {}
    /// Re-reads the page's data after ParameterChanged.
    virtual void dataSetChanged() {}
    /// The reaction to the button bar's Close; the default asks the base DTM to close.
    virtual void closeReaction();
    /// The 7th event of the button bar.
    virtual void pageButtonReaction() {}

    // Building blocks for the pages.
    /// Writes a record under the bare class name.
    void log(const QString& message) const;
    /// Writes a record under the class name followed by @p suffix (".Routine" or ": Routine").
    void log(const QString& suffix, const QString& message) const;
    /// Runs @p step; an error is logged under the class name and the caller goes on.
    bool step(const std::function<void()>& step) const;

    /// The module type code read as a 16-bit integer, as the channel controls take
    /// it ("37" gives 37). Raises rmox::Error 13 for a code that is not a number and
    /// 6 for one outside the 16-bit range.
    static qint16 ModuleTypeNumber(const QString& typeCode);

    /// The common text @p id (ids 5000 and above) in the page's language.
    QString commonText(int id) const;
    /// The device text @p id (ids below 5000) in the page's language.
    QString deviceText(int id) const;

    /// Asks the parameter manager for the data set and rebuilds the module data
    /// object and the module document.
    void buildModuleData();
    /// For each channel of the host DTM: its number and tag. Errors of one channel
    /// are logged and the next channel is read.
    void forEachChannelTag(const std::function<void(int number, const QString& tag)>& visit);
    /// Shows the slot number ("00") and the module type name beside it.
    void showSlotHeader(int slotNumber, const QString& moduleTypeName);

    /// Marks unsaved edits or clears the mark; enables or disables Apply with it.
    void setDirty(bool dirty);
    /// Read-only: OK and Apply disabled, every editor locked.
    void lockPage();
    /// Editable again: OK and Apply enabled, every editor unlocked.
    void unlockPage();
    /// Writes the data set when dirty and clears the status text and the dirty mark.
    void applyReaction();
    /// Closes the help windows when help was shown.
    void closeHelpWindows();
    /// Drops the host DTM, the base DTM, the module document and the parameter
    /// manager, and disconnects their events.
    void dropHostReferences();
    /// Tells the base DTM that the user interface is released, then drops the references.
    void releaseNow(bool endEditing);

    /// The host DTM given to Init; null before Init and after the release.
    QT27Dtm* hostDtm() const { return m_objDtm.data(); }
    /// The base DTM of the host DTM; null before Init and after the release.
    BaseDtm* baseDtm() const { return m_objBaseDtm.data(); }
    /// The parameter manager of the base DTM; null before Init and after the release.
    ParameterManager* parameterManager() const { return m_objParameterManager.data(); }
    /// The base DTM's module document, refreshed by buildModuleData().
    QString moduleDocument() const { return m_sModuleDocument; }
    /// The function call given to Init.
    QString functionCall() const { return m_functionCall; }
    /// The frame parts of the page.
    Features features() const { return m_features; }
    /// Keeps @p invokeId as the page's invoke id.
    void keepInvokeId(const QString& invokeId) { m_sInvokeId = invokeId; }
    /// Records that UiReleased was called.
    void markReleased() { m_released = true; }

    /// Keeps the button bar along the bottom edge.
    void resizeEvent(QResizeEvent* event) override;
    /// Places the button bar along the bottom edge over the page's full width.
    void layoutButtonBar();

    // Frame elements.
    rmox::ButtonControl* ctlButtons = nullptr;  ///< the button bar
    QLabel* lblSlotNumberLabel = nullptr;       ///< "slot number", common text 6002
    QLabel* lblSlotNumber = nullptr;            ///< the slot number, two digits
    QLabel* lblModuleType = nullptr;            ///< the module type name followed by ": "

private:
    void attachBaseDtm(BaseDtm* baseDtm);
    void attachParameterManager(ParameterManager* manager);
    void createResourceManagers();
    void configureButtonBar();

    const Features m_features;
    QPointer<QT27Dtm> m_objDtm;
    QPointer<BaseDtm> m_objBaseDtm;
    QPointer<ParameterManager> m_objParameterManager;
    rmox::ResourceManager* m_commonResources = nullptr;
    rmox::ResourceManager* m_deviceResources = nullptr;
    QString m_commonFolder;
    QString m_deviceFolder;
    QString m_sModuleDocument;
    rmox::ModuleData m_moduleData;
    QString m_sInvokeId;
    QString m_functionCall;
    quintptr m_helpWindowHandle = 0;
    bool m_dirty = false;
    bool m_locked = false;
    bool m_released = false;
};

}  // namespace qt27

Q_DECLARE_OPERATORS_FOR_FLAGS(qt27::PageFrame::Features)
