#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace host {
class CommunicationService;
class SimulatedStation;
}  // namespace host

namespace frame {

/// Sets the input signal and the line faults of each channel of one module of the
/// simulated station, and injects communication faults.
class StationPanel : public QWidget {
    Q_OBJECT

public:
    StationPanel(host::SimulatedStation& station, host::CommunicationService& service,
                 QWidget* parent = nullptr);

    /// Shows and edits the module in @p slot (0: none).
    void setSlot(int slot);
    int slot() const { return m_slot; }

private:
    struct ChannelRow {
        QComboBox* shape = nullptr;
        QDoubleSpinBox* offset = nullptr;
        QDoubleSpinBox* amplitude = nullptr;
        QSpinBox* period = nullptr;
        QCheckBox* openLine = nullptr;
        QCheckBox* shortCircuit = nullptr;
    };

    void loadChannels();
    void applyChannel(int channel);

    host::SimulatedStation& m_station;
    host::CommunicationService& m_service;
    int m_slot = 0;
    bool m_loading = false;
    QLabel* m_title = nullptr;
    QList<ChannelRow> m_rows;
};

}  // namespace frame
