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
///  1. log "IDtmActiveXControl_Init"        2. keep the host DTM
///  3. attach the base DTM, module document 4. attach the parameter manager
///     (hook attachServices)                5. build the module data object
///  6. log ".IDtmActiveXControl_Init"       7. create the resource managers
///  8. hook configureChildControls           9. slot number label := text 6002
/// 10. MayEdit false: lock the page         11. hook readAllValues
/// 12. keep the invoke id                   13. configure the button bar
///     (hook afterButtonsConfigured)            (hook beforeUiOpened)
/// 14. UiOpened                             15. log ": IDtmActiveXControl_Init" "finished"
class PageFrame : public QWidget, public IDtmActiveXControl {
    Q_OBJECT

public:
    enum Feature {
        NoFeatures = 0,
        ButtonBar = 0x1,              ///< ctlButtons at the bottom
        SlotHeader = 0x2,             ///< lblSlotNumberLabel, lblSlotNumber, lblModuleType
        DataSetLockEvents = 0x4,      ///< LockDataSet / UnlockDataSet of the base DTM
        ParameterChangedEvents = 0x8  ///< ParameterChanged of the base DTM and the parameter manager
    };
    Q_DECLARE_FLAGS(Features, Feature)

    /// The four visibility flags handed to SetButtons.
    struct ButtonSet {
        bool ok = false;
        bool cancel = false;
        bool apply = false;
        bool close = true;
    };

    explicit PageFrame(Features features, QWidget* parent = nullptr);
    ~PageFrame() override;

    bool IDtmActiveXControl_Init(const QString& invokeID, const QString& functionCall, QT27Dtm* dtm) override;
    bool IDtmActiveXControl_PrepareToRelease() override;

    /// The page's log tag: its class name without namespace ("Parameter").
    QString className() const;

    // What the page shows and holds, for the host and for tests.
    bool isDirty() const { return m_dirty; }
    bool isLocked() const { return m_locked; }
    bool isReleased() const { return m_released; }
    quintptr helpWindowHandle() const { return m_helpWindowHandle; }
    QString invokeId() const { return m_sInvokeId; }
    const rmox::ModuleData& moduleData() const { return m_moduleData; }
    rmox::ButtonControl* buttons() const { return ctlButtons; }
    rmox::ResourceManager* commonResourceManager() const { return m_commonResources; }
    rmox::ResourceManager* deviceResourceManager() const { return m_deviceResources; }
    QString commonResourceFolder() const { return m_commonFolder; }
    QString deviceResourceFolder() const { return m_deviceFolder; }

public slots:
    // Events of the button bar, in its order.
    void ctlButtons_Apply();
    void ctlButtons_Cancel();
    void ctlButtons_Ok();
    void ctlButtons_Help();
    void ctlButtons_Clos();
    void ctlButtons_PageButton();

    // Events of the base DTM and the parameter manager.
    void m_objBaseDtm_LockDataSet(const QString& userName);
    void m_objBaseDtm_UnlockDataSet(const QString& userName);
    void m_objBaseDtm_ParameterChanged();
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

    QString commonText(int id) const;
    QString deviceText(int id) const;

    /// Asks the parameter manager for the data set and rebuilds the module data
    /// object and the module document.
    void buildModuleData();
    /// For each channel of the host DTM: its number and tag. Errors of one channel
    /// are logged and the next channel is read.
    void forEachChannelTag(const std::function<void(int number, const QString& tag)>& visit);
    /// Shows the slot number ("00") and the module type name beside it.
    void showSlotHeader(int slotNumber, const QString& moduleTypeName);

    void setDirty(bool dirty);
    void lockPage();
    void unlockPage();
    void applyReaction();
    /// Closes the help windows when help was shown.
    void closeHelpWindows();
    /// Drops the host DTM, the base DTM, the module document and the parameter
    /// manager, and disconnects their events.
    void dropHostReferences();
    /// Tells the base DTM that the user interface is released, then drops the references.
    void releaseNow(bool endEditing);

    QT27Dtm* hostDtm() const { return m_objDtm.data(); }
    BaseDtm* baseDtm() const { return m_objBaseDtm.data(); }
    ParameterManager* parameterManager() const { return m_objParameterManager.data(); }
    QString moduleDocument() const { return m_sModuleDocument; }
    QString functionCall() const { return m_functionCall; }
    Features features() const { return m_features; }
    void keepInvokeId(const QString& invokeId) { m_sInvokeId = invokeId; }
    void markReleased() { m_released = true; }

    void resizeEvent(QResizeEvent* event) override;
    void layoutButtonBar();

    // Frame elements.
    rmox::ButtonControl* ctlButtons = nullptr;
    QLabel* lblSlotNumberLabel = nullptr;
    QLabel* lblSlotNumber = nullptr;
    QLabel* lblModuleType = nullptr;

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
