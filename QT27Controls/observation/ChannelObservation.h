#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

#include "QT27Controls/observation/ChannelUnitDisplay.h"
#include "rmox/ResourceServer/ResourceManager.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace rmox {
class GaugeCtl;
}

namespace qt27 {

class ValueBox;

/// Shows the current value of one analog input channel: as a number in the unit
/// the user picks in `cmbUnit` (percent of the measuring range or the physical
/// unit), as a bar gauge with zones for the measuring range, the overrange and the
/// range below a live zero, and as a state picture (valid, invalid, forced).
///
/// The page configures the control (`ChannelNumber`, `Typ`, `ResourceManager`,
/// `ChannelTag`, `Range`, then `IsInitializing` False) and feeds it raw values
/// (millivolts or microamperes) with `SetCurrentValue`. The control raises no
/// events; a failing resource lookup is written to the debug log and skipped.
///
/// A value that is not current looks it: before the first value the text is "-/-"
/// and the gauge has no pointer; once the connection is gone (`HasConnection`
/// False) or the page says so (`MarkValueOutdated`), the last value stays greyed
/// without state picture until the next one arrives.
class ChannelObservation : public QWidget {
    Q_OBJECT
    // As on ChannelParameter: the properties a form designer edits are int, bool or
    // QString; Typ, the resource manager and the two run-time states are set by the
    // page and not offered there.
    Q_PROPERTY(qint16 Typ READ Typ WRITE setTyp DESIGNABLE false)
    Q_PROPERTY(int ChannelNumber READ ChannelNumber WRITE setChannelNumber)
    Q_PROPERTY(QString ChannelTag READ ChannelTag WRITE setChannelTag)
    Q_PROPERTY(rmox::ResourceManager* ResourceManager READ ResourceManager WRITE setResourceManager
                   DESIGNABLE false)
    Q_PROPERTY(int Range READ Range WRITE setRange)
    Q_PROPERTY(bool HasConnection READ HasConnection WRITE setHasConnection DESIGNABLE false)
    Q_PROPERTY(bool IsInitializing READ IsInitializing WRITE setIsInitializing DESIGNABLE false)

public:
    /// Ids of the state pictures in the common resource folder.
    enum StatePicture : int {
        PictureValid = 150,          ///< a valid value
        PictureInvalid = 152,        ///< an invalid value
        PictureValidForced = 153,    ///< a forced valid value
        PictureInvalidForced = 155,  ///< a forced invalid value
    };

    /// A display for module type 37, range 0, the physical unit selected, "-/-"
    /// shown, initializing; the resource folders beside the library.
    explicit ChannelObservation(QWidget* parent = nullptr);
    ~ChannelObservation() override;

    /// The module type (37 or 54), a byte: a value outside 0 to 255 raises
    /// rmox::Error 6 (overflow) and the previous type stays.
    qint16 Typ() const { return m_moduleType; }
    /// Sets the module type; its scaling applies from the next unit configuration.
    void setTyp(qint16 moduleType);

    /// The 1-based channel number shown in the caption.
    qint16 ChannelNumber() const { return m_channelNumber; }
    /// Sets the channel number and shows it in the caption.
    void setChannelNumber(qint16 channelNumber);

    /// The channel's tag from the data set, shown in the caption.
    QString ChannelTag() const { return m_channelTag; }
    /// Sets the tag and shows it in the caption.
    void setChannelTag(const QString& channelTag);

    /// The common resource manager. Setting it creates the device resource manager
    /// configured from it and loads the decimal separator (text 4002), the state
    /// label (text 7013) and the caption.
    rmox::ResourceManager* ResourceManager() const { return m_commonResourceManager; }
    /// Keeps @p manager as the common resource manager and loads the texts from it.
    virtual void setResourceManager(rmox::ResourceManager* manager);

    /// Shows a raw value (bit 15 already removed) with its state picture.
    Q_INVOKABLE virtual void SetCurrentValue(qint16 iCurrentValue, bool isInValid = false,
                                             bool isForced = false);

    /// The measuring range, 0 to 3. While initializing only stored.
    quint8 Range() const { return m_range; }
    /// Stores the range; after initializing also applies the unit configuration.
    void setRange(quint8 range);

    /// False removes the state picture; the value text and gauge stay, greyed.
    bool HasConnection() const { return m_hasConnection; }
    /// Tells the display whether the page is connected; False greys the value.
    virtual void setHasConnection(bool hasConnection);

    /// True after creation; writing False applies the unit configuration.
    bool IsInitializing() const { return m_isInitializing; }
    /// Ends (False) or restarts (True) the initializing phase.
    void setIsInitializing(bool isInitializing);

    /// The value shown stays, greyed and without state picture, until the next one.
    void MarkValueOutdated();
    /// How current the value shown is.
    ValueState valueState() const { return m_valueState; }

    // State that the page and tests can read.
    /// The raw value last given to SetCurrentValue.
    qint16 CurrentValue() const { return m_currentValue; }
    /// The invalid flag of the value last given (true before the first).
    bool IsInValid() const { return m_isInValid; }
    /// The forced flag of the value last given.
    bool IsForced() const { return m_isForced; }
    /// The decimal separator of the value text (common text 4002; "." without one).
    QString DecimalSeparator() const { return m_decimalSeparator; }
    /// The number format of the value text ("0.0" percent, "0.000" physical unit).
    QString FormatText() const { return m_formatText; }
    /// The device resource manager created from the common one (null without one).
    rmox::ResourceManager* DeviceResourceManager() const { return m_deviceResourceManager.get(); }

    /// The folder of the common texts and pictures, computed from the library's
    /// folder at creation.
    QString CommonResourceFolder() const { return m_commonResourceFolder; }
    /// The folder of the device texts, computed from the library's folder at creation.
    QString DeviceResourceFolder() const { return m_deviceResourceFolder; }
    /// Points the control at other resource folders (an engineering frame or a test
    /// that brings its own resources).
    void setResourceFolders(const QString& commonFolder, const QString& deviceFolder);

    /// The state picture id of a value's flags.
    static int StatePictureId(bool isInValid, bool isForced);

    /// The design size; the inner layout is fixed.
    QSize sizeHint() const override;

protected:
    /// The caption frame fills the whole control.
    void resizeEvent(QResizeEvent* event) override;
    /// Runs at the end of every unit configuration, after the value display refresh
    /// (ChannelSimulation refreshes its force value display here).
    virtual void unitConfigured() {}
    /// Divisor, factor and offset of the module type, the selected unit and the range.
    Scaling CurrentScaling() const;

private slots:
    void cmbUnit_Click();

private:
    void CreateElements();
    void ConfigureUnit();
    void RefreshValueDisplay();
    void RefreshCaption();
    void ShowStatePicture(const QPixmap& picture);
    void SetValueState(ValueState state);

protected:
    // Elements; ChannelSimulation places them anew and adds its own.
    QGroupBox* fraChannelObservation = nullptr;  ///< the frame with the caption
    rmox::GaugeCtl* ctlGauge = nullptr;          ///< the bar gauge
    QComboBox* cmbUnit = nullptr;                ///< the unit list: percent, physical unit
    ValueBox* txtValue = nullptr;                ///< the value text
    QFrame* Line1 = nullptr;                     ///< the separating line
    QLabel* lblState = nullptr;                  ///< the state label (text 7013)
    QLabel* imgState = nullptr;                  ///< the state picture

private:
    // State.
    quint8 m_moduleType = 37;
    qint16 m_channelNumber = 0;
    QString m_channelTag;
    QPointer<rmox::ResourceManager> m_commonResourceManager;
    std::unique_ptr<rmox::ResourceManager> m_deviceResourceManager;
    QString m_commonResourceFolder;
    QString m_deviceResourceFolder;

protected:
    QString m_decimalSeparator = QStringLiteral(".");  ///< see DecimalSeparator()
    QString m_formatText = QStringLiteral("0.0");      ///< see FormatText()

private:
    qint16 m_currentValue = 0;
    bool m_isInValid = true;
    bool m_isForced = false;
    ValueState m_valueState = ValueState::None;
    bool m_hasConnection = false;
    quint8 m_range = 0;
    bool m_isInitializing = false;
    int m_statePictureShown = 0;  // id of the state picture shown, 0 for none
};

}  // namespace qt27
