#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "rmox/ResourceServer/ResourceManager.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

namespace qt27 {

/// Editor of the parameters of one analog input channel: input range, damping,
/// failsafe value, open-line and short-circuit detection.
///
/// The editor keeps the channel parameter byte (bits 0-1 damping, 2-3 input range,
/// 4-5 failsafe value, bit 6 open-line detection off, bit 7 short detection off)
/// and changes its bits as the user edits. Range and damping are kept beside the
/// byte; the page combines the three. Property setters never raise `SetDirty` or
/// `RangeChanged`: only user actions do.
class ChannelParameter : public QWidget {
    Q_OBJECT
    // The properties a form designer edits are int, bool or QString (the types its
    // property editor offers); the accessors keep their narrower types and a value
    // set through the property is narrowed as a call of the setter narrows it.
    // Typ is not offered there: an overflow raises rmox::Error, which would end the
    // designer, and the page sets the type from the data set at run time anyway.
    Q_PROPERTY(qint16 Typ READ Typ WRITE setTyp DESIGNABLE false)
    Q_PROPERTY(int ChannelNumber READ ChannelNumber WRITE setChannelNumber)
    Q_PROPERTY(QString ChannelTag READ ChannelTag WRITE setChannelTag)
    Q_PROPERTY(rmox::ResourceManager* ResourceManager READ ResourceManager WRITE setResourceManager
                   DESIGNABLE false)
    Q_PROPERTY(int FailSafeParameter READ FailSafeParameter WRITE setFailSafeParameter)
    Q_PROPERTY(int RangeMode READ RangeMode WRITE setRangeMode)
    Q_PROPERTY(int Damping READ Damping WRITE setDamping)
    Q_PROPERTY(bool Locked READ Locked WRITE setLocked)

public:
    /// An editor with the built-in texts, range list of type 37 (index 3 selected),
    /// damping off and both detections on; the resource folders beside the library.
    explicit ChannelParameter(QWidget* parent = nullptr);
    ~ChannelParameter() override;

    /// The module type last given (37 and 54 select a range list).
    qint16 Typ() const { return m_bytModuleType; }
    /// Stores the module type; 37 and 54 replace the range texts by that type's list
    /// and select index 3. Values a byte cannot hold raise rmox::Error 6 (overflow)
    /// and change nothing.
    void setTyp(qint16 typ);

    /// The 1-based channel number shown in the caption.
    qint16 ChannelNumber() const { return m_nChannelNumber; }
    /// Sets the channel number and shows it in the caption.
    void setChannelNumber(qint16 number);

    /// The channel's tag from the data set, shown in the caption.
    QString ChannelTag() const { return m_sChannelTag; }
    /// Sets the tag and shows it in the caption.
    void setChannelTag(const QString& tag);

    /// The common resource manager given last (null when none).
    rmox::ResourceManager* ResourceManager() const { return m_objCommonResourceManager; }
    /// Keeps @p manager as the common resource manager, creates the device manager
    /// from it and loads the editor's texts. Every text that can be found is loaded;
    /// the first lookup error is raised after the others were loaded.
    void setResourceManager(rmox::ResourceManager* manager);

    /// The channel parameter byte as the user's edits left it (bits 0-1 damping,
    /// 2-3 range, 4-5 failsafe value, 6 and 7 detections off).
    quint8 FailSafeParameter() const { return m_bytFailSafeParameter; }
    /// Stores the byte unchanged and shows its monitoring and failsafe bits.
    void setFailSafeParameter(quint8 parameter);

    /// The index of the selected input range in the type's range list.
    qint16 RangeMode() const { return m_nRangeMode; }
    /// Selects range @p rangeMode; an index without an entry leaves the list without
    /// a selection. Raises no RangeChanged.
    void setRangeMode(qint16 rangeMode);

    /// The damping index (0 off, 1 100 ms, 2 2.6 s, 3 29.2 s).
    quint8 Damping() const { return m_bytDamping; }
    /// Stores @p damping and selects its low two bits in the damping list.
    void setDamping(quint8 damping);

    /// True while editing is disabled (the page is read-only).
    bool Locked() const { return m_blnLocked; }
    /// Disables or enables every editing element of the control.
    void setLocked(bool locked);

    /// The folders the texts are read from: by default the library's common and
    /// device resource folders. A change takes effect with the next resource manager.
    void SetResourceFolders(const QString& commonFolder, const QString& deviceFolder);
    /// The folder of the common texts (ids 5000 and above).
    QString CommonFolder() const { return m_sCommonResourceFolder; }
    /// The folder of the device texts (ids below 5000).
    QString DeviceFolder() const { return m_sDeviceResourceFolder; }

    /// The design size; the inner layout is fixed.
    QSize sizeHint() const override;

    /// Text of the entry that shows a failsafe selection without an entry of its own.
    static QString InvalidFailsafeText();

    /// A field whose value differs between two channel parameter bytes: the field
    /// ("range", "damping", "failsafe", "openLine", "shortCircuit") and its old and
    /// new value as this editor shows them (detection boxes: "on" or "off").
    struct FieldChange {
        QString field;   ///< "range", "damping", "failsafe", "openLine" or "shortCircuit"
        QString before;  ///< the old value as shown
        QString after;   ///< the new value as shown
    };
    /// The fields that differ between @p before and @p after, in the order of the
    /// editor; the input range only when @p withRange.
    QList<FieldChange> ChangedFields(quint8 before, quint8 after, bool withRange) const;

signals:
    /// The user changed damping, failsafe value or line monitoring; always true.
    void SetDirty(bool dirty);
    /// The user selected another input range.
    void RangeChanged(qint16 rangeMode);

protected:
    /// Moves the focus on a mouse press on a frame or label to its editor.
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// The caption frame fills the whole control.
    void resizeEvent(QResizeEvent* event) override;

private slots:
    void cboRange_Click(int index);
    void cboDamping_Click(int index);
    void cboFailsafeValue_Click(int index);
    void chkOpenLineDetection_Click(bool checked);
    void chkShortDetection_Click(bool checked);

private:
    class UpdatingScope;

    void CreateElements();
    void SetRangeTexts(const char* const* texts);
    void ShowFailsafeSelection(int selection);
    void RemoveInvalidFailsafeEntry();
    void RefreshCaption();
    void ShowCaptionFocus(bool focused);
    void FocusChanged(QWidget* now);

    qint16 m_nChannelNumber = 0;
    QString m_sChannelTag;
    QPointer<rmox::ResourceManager> m_objCommonResourceManager;
    rmox::ResourceManager* m_objDeviceResourceManager = nullptr;
    QString m_sCommonResourceFolder;
    QString m_sDeviceResourceFolder;
    QString m_sChannelText;
    quint8 m_bytFailSafeParameter = 0;
    qint16 m_nRangeMode = 0;
    quint8 m_bytDamping = 0;
    quint8 m_bytModuleType = 0;
    bool m_blnLocked = false;
    bool m_blnUpdating = false;
    bool m_blnCaptionFocused = false;
    QMetaObject::Connection m_focusConnection;

    QGroupBox* fraChannelParameter = nullptr;
    QGroupBox* fraInput = nullptr;
    QLabel* lblRange = nullptr;
    QComboBox* cboRange = nullptr;
    QLabel* lblDamping = nullptr;
    QComboBox* cboDamping = nullptr;
    QGroupBox* fraMonitoring = nullptr;
    QLabel* lblOpenLineDetection = nullptr;
    QCheckBox* chkOpenLineDetection = nullptr;
    QLabel* lblShortDetection = nullptr;
    QCheckBox* chkShortDetection = nullptr;
    QLabel* lblFailsafeValue = nullptr;
    QComboBox* cboFailsafeValue = nullptr;
};

}  // namespace qt27
