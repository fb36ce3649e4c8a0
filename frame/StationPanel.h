#pragma once

#include <QByteArray>
#include <QWidget>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QVBoxLayout;

namespace host {
class CommunicationService;
class SimulatedStation;
class Station;
}  // namespace host

namespace frame {

class TranslatedTexts;

/// Sets the input signal and the line faults of each channel of one module of the
/// simulated station, and injects communication faults.
class StationPanel : public QWidget {
    Q_OBJECT

public:
    /// @p project, when given, keeps each module's state value (the "online" switch).
    StationPanel(host::SimulatedStation& station, host::CommunicationService& service,
                 QWidget* parent = nullptr, host::Station* project = nullptr);

    /// Shows and edits the module in @p slot (0: none).
    void setSlot(int slot);
    int slot() const { return m_slot; }

private:
    struct ChannelRow {
        QComboBox* shape = nullptr;
        QDoubleSpinBox* offset = nullptr;
        QDoubleSpinBox* amplitude = nullptr;
        QSpinBox* period = nullptr;
        QDoubleSpinBox* inputError = nullptr;
        QCheckBox* openLine = nullptr;
        QCheckBox* shortCircuit = nullptr;
    };

    /// Sets @p widget's text (a group box's title) to @p source translated, now and
    /// after every language change.
    template <typename Widget>
    Widget* translated(Widget* widget, const char* source);
    /// Items of @p box, translated now and after every language change.
    void translatedItems(QComboBox* box, const QList<const char*>& sources);
    void showTitle();

    void loadChannels();
    void applyChannel(int channel);

    // The module's diagnosis: module code and a raw telegram in place of its faults.
    void buildDiagnosisBox(QVBoxLayout* layout);
    void loadDiagnosis();
    void applyDiagnosis();

    // The module's production data and the state value its base DTM reports.
    void buildIdentificationBox(QVBoxLayout* layout);
    void loadIdentification();
    void applyProductionData();
    void applyStateValue(bool online);

    TranslatedTexts* m_texts = nullptr;
    host::SimulatedStation& m_station;
    host::Station* m_project = nullptr;
    host::CommunicationService& m_service;
    int m_slot = 0;
    bool m_loading = false;
    QLabel* m_title = nullptr;
    QList<ChannelRow> m_rows;
    QComboBox* m_moduleCode = nullptr;
    QCheckBox* m_rawDiagnosisOn = nullptr;
    QLineEdit* m_rawDiagnosis = nullptr;
    QCheckBox* m_online = nullptr;
    QList<QLineEdit*> m_production;  ///< charge code, serial number, revisions, date
};

/// The bytes of @p text: hexadecimal byte values separated by blanks ("00 31 21", a
/// single digit is one byte) or written together ("003121"); std::nullopt when it
/// is anything else.
std::optional<QByteArray> parseHexBytes(const QString& text);

}  // namespace frame
