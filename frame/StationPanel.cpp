#include "StationPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaEnum>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>
#include <iterator>
#include <type_traits>

#include "frame/FrameLanguage.h"
#include "host/CommunicationService.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"

namespace frame {

namespace {

QDoubleSpinBox* percentBox(double minimum, double maximum) {
    auto* box = new QDoubleSpinBox;
    box->setRange(minimum, maximum);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral(" %"));
    box->setSingleStep(5.0);
    return box;
}

}  // namespace

template <typename Widget>
Widget* StationPanel::translated(Widget* widget, const char* source) {
    m_texts->add(widget, [widget, source] {
        if constexpr (std::is_base_of_v<QGroupBox, Widget>) {
            widget->setTitle(tr(source));
        } else {
            widget->setText(tr(source));
        }
    });
    return widget;
}

void StationPanel::translatedItems(QComboBox* box, const QList<const char*>& sources) {
    box->addItems(QStringList(sources.size(), QString()));
    m_texts->add(box, [box, sources] {
        for (int index = 0; index < sources.size(); ++index) {
            box->setItemText(index, tr(sources[index]));
        }
    });
}

StationPanel::StationPanel(host::SimulatedStation& station, host::CommunicationService& service,
                           QWidget* parent, host::Station* project)
    : QWidget(parent), m_station(station), m_project(project), m_service(service) {
    m_texts = new TranslatedTexts(this);
    auto* layout = new QVBoxLayout(this);
    m_title = new QLabel(this);
    m_texts->add(m_title, [this] { showTitle(); });
    layout->addWidget(m_title);

    auto* signalsBox =
        translated(new QGroupBox(this), QT_TR_NOOP("Input signals (percent of the channel's range)"));
    auto* grid = new QGridLayout(signalsBox);
    const char* const headers[] = {
        QT_TR_NOOP("Channel"),   QT_TR_NOOP("Signal"),    QT_TR_NOOP("Offset"),       QT_TR_NOOP("Amplitude"),
        QT_TR_NOOP("Period ms"), QT_TR_NOOP("Open line"), QT_TR_NOOP("Short circuit"),
        QT_TR_NOOP("Input error")};
    for (int column = 0; column < static_cast<int>(std::size(headers)); ++column) {
        grid->addWidget(translated(new QLabel(signalsBox), headers[column]), 0, column);
    }
    for (int channel = 0; channel < 4; ++channel) {
        ChannelRow row;
        row.shape = new QComboBox;
        translatedItems(
            row.shape, {QT_TR_NOOP("Constant"), QT_TR_NOOP("Ramp"), QT_TR_NOOP("Sine"), QT_TR_NOOP("Noise")});
        row.offset = percentBox(-50.0, 150.0);
        row.amplitude = percentBox(0.0, 100.0);
        row.period = new QSpinBox;
        row.period->setRange(100, 600000);
        row.period->setSingleStep(1000);
        row.openLine = new QCheckBox;
        row.shortCircuit = new QCheckBox;
        // A miscalibrated input: the channel reads this much more than its signal.
        row.inputError = percentBox(-20.0, 20.0);
        row.inputError->setDecimals(2);
        row.inputError->setSingleStep(0.5);
        row.inputError->setObjectName(QStringLiteral("spnInputError%1").arg(channel + 1));
        const int line = channel + 1;
        grid->addWidget(new QLabel(QString::number(channel + 1)), line, 0);
        grid->addWidget(row.shape, line, 1);
        grid->addWidget(row.offset, line, 2);
        grid->addWidget(row.amplitude, line, 3);
        grid->addWidget(row.period, line, 4);
        grid->addWidget(row.openLine, line, 5, Qt::AlignCenter);
        grid->addWidget(row.shortCircuit, line, 6, Qt::AlignCenter);
        grid->addWidget(row.inputError, line, 7);
        const auto apply = [this, channel] { applyChannel(channel); };
        connect(row.shape, &QComboBox::currentIndexChanged, this, apply);
        connect(row.offset, &QDoubleSpinBox::valueChanged, this, apply);
        connect(row.amplitude, &QDoubleSpinBox::valueChanged, this, apply);
        connect(row.period, &QSpinBox::valueChanged, this, apply);
        connect(row.openLine, &QCheckBox::toggled, this, apply);
        connect(row.shortCircuit, &QCheckBox::toggled, this, apply);
        connect(row.inputError, &QDoubleSpinBox::valueChanged, this, apply);
        m_rows.append(row);
    }
    layout->addWidget(signalsBox);
    buildDiagnosisBox(layout);
    buildIdentificationBox(layout);

    auto* faultsBox = translated(new QGroupBox(this), QT_TR_NOOP("Communication faults"));
    auto* faults = new QGridLayout(faultsBox);
    auto* answering = translated(new QCheckBox(faultsBox), QT_TR_NOOP("Station answers connects"));
    answering->setChecked(true);
    connect(answering, &QCheckBox::toggled, this, [this](bool on) { m_station.setAnswering(on); });
    faults->addWidget(answering, 0, 0, 1, 2);
    auto* abort = translated(new QPushButton(faultsBox), QT_TR_NOOP("Abort connections now"));
    connect(abort, &QPushButton::clicked, this, [this] { m_service.abortConnections(); });
    faults->addWidget(abort, 0, 2);

    auto* latency = new QSpinBox(faultsBox);
    latency->setRange(0, 10000);
    latency->setSuffix(QStringLiteral(" ms"));
    latency->setValue(m_service.latency());
    connect(latency, &QSpinBox::valueChanged, this, [this](int value) { m_service.setLatency(value); });
    faults->addWidget(translated(new QLabel(faultsBox), QT_TR_NOOP("Answer latency")), 1, 0);
    faults->addWidget(latency, 1, 1);
    auto* timeout = new QSpinBox(faultsBox);
    timeout->setObjectName(QStringLiteral("spnAnswerTimeout"));
    timeout->setRange(1, 600000);
    timeout->setSingleStep(500);
    timeout->setSuffix(QStringLiteral(" ms"));
    timeout->setValue(m_service.answerTimeout());
    connect(timeout, &QSpinBox::valueChanged, this, [this](int value) { m_service.setAnswerTimeout(value); });
    faults->addWidget(translated(new QLabel(faultsBox), QT_TR_NOOP("Answer timeout")), 2, 0);
    faults->addWidget(timeout, 2, 1);
    auto* delay = new QSpinBox(faultsBox);
    delay->setRange(0, 60000);
    delay->setValue(2000);
    delay->setSuffix(QStringLiteral(" ms"));
    connect(delay, &QSpinBox::valueChanged, this, [this](int value) { m_service.setFaultDelay(value); });
    m_service.setFaultDelay(delay->value());
    faults->addWidget(translated(new QLabel(faultsBox), QT_TR_NOOP("Delay of a delayed answer")), 3, 0);
    faults->addWidget(delay, 3, 1);

    const QMetaEnum faultEnum = QMetaEnum::fromType<host::CommunicationService::Fault>();
    const QList<const char*> captions = {QT_TR_NOOP("Refuse the next request"),
                                         QT_TR_NOOP("Delay the next answer"),
                                         QT_TR_NOOP("Drop the next answer"),
                                         QT_TR_NOOP("Foreign invoke id on the next answer"),
                                         QT_TR_NOOP("Unreadable next answer"),
                                         QT_TR_NOOP("Error part in the next answer"),
                                         QT_TR_NOOP("No data part in the next read answer")};
    for (int index = 0; index < faultEnum.keyCount() && index < captions.size(); ++index) {
        const auto fault = static_cast<host::CommunicationService::Fault>(faultEnum.value(index));
        auto* once = translated(new QPushButton(faultsBox), captions[index]);
        auto* always = translated(new QCheckBox(faultsBox), QT_TR_NOOP("every time"));
        connect(once, &QPushButton::clicked, this, [this, fault, always] {
            m_service.setFault(fault, always->isChecked() ? host::CommunicationService::FaultMode::Persistent
                                                          : host::CommunicationService::FaultMode::OneShot);
        });
        connect(always, &QCheckBox::toggled, this, [this, fault](bool on) {
            m_service.setFault(fault, on ? host::CommunicationService::FaultMode::Persistent
                                         : host::CommunicationService::FaultMode::Off);
        });
        faults->addWidget(once, 4 + index, 0, 1, 2);
        faults->addWidget(always, 4 + index, 2);
    }
    layout->addWidget(faultsBox);
    layout->addStretch();
    setSlot(0);
}

void StationPanel::setSlot(int slot) {
    m_slot = m_station.hasModule(slot) ? slot : 0;
    showTitle();
    for (const ChannelRow& row : m_rows) {
        for (QWidget* widget :
             {static_cast<QWidget*>(row.shape), static_cast<QWidget*>(row.offset),
              static_cast<QWidget*>(row.amplitude), static_cast<QWidget*>(row.period),
              static_cast<QWidget*>(row.openLine), static_cast<QWidget*>(row.shortCircuit),
              static_cast<QWidget*>(row.inputError)}) {
            widget->setEnabled(m_slot != 0);
        }
    }
    loadChannels();
    loadDiagnosis();
    loadIdentification();
}

void StationPanel::loadChannels() {
    if (m_slot == 0) {
        return;
    }
    m_loading = true;
    for (int channel = 0; channel < m_rows.size(); ++channel) {
        const host::ChannelSignal signal = m_station.channelSignal(m_slot, channel);
        const ChannelRow& row = m_rows[channel];
        row.shape->setCurrentIndex(static_cast<int>(signal.shape));
        row.offset->setValue(signal.offsetPercent);
        row.amplitude->setValue(signal.amplitudePercent);
        row.period->setValue(static_cast<int>(signal.periodMs));
        row.openLine->setChecked(m_station.hasOpenLine(m_slot, channel));
        row.shortCircuit->setChecked(m_station.hasShortCircuit(m_slot, channel));
        row.inputError->setValue(m_station.inputError(m_slot, channel));
    }
    m_loading = false;
}

void StationPanel::applyChannel(int channel) {
    if (m_loading || m_slot == 0) {
        return;
    }
    const ChannelRow& row = m_rows[channel];
    host::ChannelSignal signal = m_station.channelSignal(m_slot, channel);
    signal.shape = static_cast<host::SignalShape>(row.shape->currentIndex());
    signal.offsetPercent = row.offset->value();
    signal.amplitudePercent = row.amplitude->value();
    signal.periodMs = row.period->value();
    m_station.setChannelSignal(m_slot, channel, signal);
    m_station.setOpenLine(m_slot, channel, row.openLine->isChecked());
    m_station.setShortCircuit(m_slot, channel, row.shortCircuit->isChecked());
    m_station.setInputError(m_slot, channel, row.inputError->value());
}

void StationPanel::showTitle() {
    m_title->setText(m_slot == 0 ? tr("No module selected")
                                 : tr("Module in slot %1").arg(m_slot, 2, 10, QLatin1Char('0')));
}

void StationPanel::buildIdentificationBox(QVBoxLayout* layout) {
    auto* box = translated(new QGroupBox(this), QT_TR_NOOP("Identification"));
    auto* grid = new QGridLayout(box);
    m_online = translated(new QCheckBox(box),
                          QT_TR_NOOP("DTM online (state value 6: Identification connects when it opens)"));
    m_online->setObjectName(QStringLiteral("chkDtmOnline"));
    m_online->setVisible(m_project != nullptr);
    grid->addWidget(m_online, 0, 0, 1, 2);
    const char* const names[] = {"txtStationChargeCode", "txtStationSerialNumber",
                                 "txtStationSoftwareRevision", "txtStationHardwareRevision",
                                 "txtStationDateOfLastRefresh"};
    const QList<const char*> captions = {QT_TR_NOOP("Charge code"), QT_TR_NOOP("Serial number"),
                                         QT_TR_NOOP("Software revision"), QT_TR_NOOP("Hardware revision"),
                                         QT_TR_NOOP("Date of the last refresh")};
    // The widths of the telegram's fields; the date as yyyy-mm-dd.
    const int lengths[] = {10, 12, 4, 4, 10};
    for (int index = 0; index < captions.size(); ++index) {
        auto* edit = new QLineEdit(box);
        edit->setObjectName(QLatin1String(names[index]));
        edit->setMaxLength(lengths[index]);
        grid->addWidget(translated(new QLabel(box), captions[index]), index + 1, 0);
        grid->addWidget(edit, index + 1, 1);
        connect(edit, &QLineEdit::textChanged, this, &StationPanel::applyProductionData);
        m_production.append(edit);
    }
    QLineEdit* date = m_production.last();
    m_texts->add(date, [date] { date->setPlaceholderText(tr("yyyy-mm-dd, empty: none")); });
    connect(m_online, &QCheckBox::toggled, this, &StationPanel::applyStateValue);
    layout->addWidget(box);
}

void StationPanel::loadIdentification() {
    m_online->setEnabled(m_slot != 0);
    for (QLineEdit* edit : m_production) {
        edit->setEnabled(m_slot != 0);
    }
    if (m_slot == 0) {
        return;
    }
    m_loading = true;
    const host::ProductionData data = m_station.productionData(m_slot);
    const QString texts[] = {data.chargeCode, data.serialNumber, data.softwareRevision, data.hardwareRevision,
                             data.dateOfLastRefresh.toString(Qt::ISODate)};
    for (int index = 0; index < m_production.size(); ++index) {
        m_production[index]->setText(texts[index]);
    }
    const host::ModuleRecord* record = m_project != nullptr ? m_project->moduleRecord(m_slot) : nullptr;
    m_online->setChecked(record != nullptr && record->stateValue == host::ModuleRecord::kDefaultStateValue);
    m_loading = false;
}

void StationPanel::applyProductionData() {
    if (m_loading || m_slot == 0) {
        return;
    }
    const QString dateText = m_production.last()->text().trimmed();
    const QDate date = QDate::fromString(dateText, Qt::ISODate);
    const bool dateOk = dateText.isEmpty() || date.isValid();
    m_production.last()->setStyleSheet(dateOk ? QString() : QStringLiteral("color: #d1242f"));
    if (!dateOk) {
        return;
    }
    host::ProductionData data;
    data.chargeCode = m_production[0]->text();
    data.serialNumber = m_production[1]->text();
    data.softwareRevision = m_production[2]->text();
    data.hardwareRevision = m_production[3]->text();
    data.dateOfLastRefresh = date;
    m_station.setProductionData(m_slot, data);
}

void StationPanel::applyStateValue(bool online) {
    const host::ModuleRecord* record = m_project != nullptr ? m_project->moduleRecord(m_slot) : nullptr;
    if (m_loading || record == nullptr) {
        return;
    }
    host::ModuleRecord updated = *record;
    // 6 lets Identification connect when it opens; 0 keeps it offline until reread.
    updated.stateValue = online ? host::ModuleRecord::kDefaultStateValue : 0;
    m_project->storeModule(updated);
}

}  // namespace frame

namespace frame {

std::optional<QByteArray> parseHexBytes(const QString& text) {
    static const QRegularExpression hexDigits(QStringLiteral("^[0-9A-Fa-f]+$"));
    QByteArray bytes;
    for (const QString& token : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        if (!hexDigits.match(token).hasMatch() || (token.size() > 2 && token.size() % 2 != 0)) {
            return std::nullopt;
        }
        bytes += QByteArray::fromHex(token.rightJustified(2, QLatin1Char('0')).toLatin1());
    }
    return bytes;
}

void StationPanel::buildDiagnosisBox(QVBoxLayout* layout) {
    auto* box = translated(new QGroupBox(this), QT_TR_NOOP("Diagnosis"));
    auto* grid = new QGridLayout(box);
    m_moduleCode = new QComboBox(box);
    m_moduleCode->setObjectName(QStringLiteral("cboModuleDiagnosis"));
    translatedItems(m_moduleCode,
                    {QT_TR_NOOP("0: module in order"), QT_TR_NOOP("1: internal module fault"),
                     QT_TR_NOOP("2: wrong module in slot"), QT_TR_NOOP("3: module not configured")});
    grid->addWidget(translated(new QLabel(box), QT_TR_NOOP("Module code")), 0, 0);
    grid->addWidget(m_moduleCode, 0, 1);
    m_rawDiagnosisOn = translated(new QCheckBox(box), QT_TR_NOOP("Raw telegram"));
    m_rawDiagnosisOn->setObjectName(QStringLiteral("chkRawDiagnosis"));
    m_rawDiagnosis = new QLineEdit(box);
    m_rawDiagnosis->setObjectName(QStringLiteral("txtRawDiagnosis"));
    m_texts->add(m_rawDiagnosis, [this] {
        m_rawDiagnosis->setPlaceholderText(tr("hexadecimal bytes, e.g. 00 31 21"));
        m_rawDiagnosis->setToolTip(
            tr("Answered to the diagnosis read in place of the telegram of the faults: the module code, then "
               "one "
               "byte per entry, channel number in the high nibble, error code in the low nibble."));
    });
    grid->addWidget(m_rawDiagnosisOn, 1, 0);
    grid->addWidget(m_rawDiagnosis, 1, 1);
    connect(m_moduleCode, &QComboBox::currentIndexChanged, this, &StationPanel::applyDiagnosis);
    connect(m_rawDiagnosisOn, &QCheckBox::toggled, this, &StationPanel::applyDiagnosis);
    connect(m_rawDiagnosis, &QLineEdit::textChanged, this, &StationPanel::applyDiagnosis);
    layout->addWidget(box);
}

void StationPanel::loadDiagnosis() {
    for (QWidget* widget : {static_cast<QWidget*>(m_moduleCode), static_cast<QWidget*>(m_rawDiagnosisOn),
                            static_cast<QWidget*>(m_rawDiagnosis)}) {
        widget->setEnabled(m_slot != 0);
    }
    if (m_slot == 0) {
        return;
    }
    m_loading = true;
    m_moduleCode->setCurrentIndex(qMin<int>(m_station.moduleDiagnosisCode(m_slot), 3));
    const std::optional<QByteArray> raw = m_station.diagnosisOverride(m_slot);
    m_rawDiagnosisOn->setChecked(raw.has_value());
    m_rawDiagnosis->setText(raw ? QString::fromLatin1(raw->toHex(' ').toUpper()) : QString());
    m_loading = false;
}

void StationPanel::applyDiagnosis() {
    if (m_loading || m_slot == 0) {
        return;
    }
    m_station.setModuleDiagnosisCode(m_slot, static_cast<quint8>(m_moduleCode->currentIndex()));
    const std::optional<QByteArray> raw = parseHexBytes(m_rawDiagnosis->text());
    // A text that is no list of bytes is marked and changes nothing at the station.
    m_rawDiagnosis->setStyleSheet(raw ? QString() : QStringLiteral("color: #d1242f"));
    if (!m_rawDiagnosisOn->isChecked()) {
        m_station.setDiagnosisOverride(m_slot, std::nullopt);
    } else if (raw) {
        m_station.setDiagnosisOverride(m_slot, raw);
    }
}

}  // namespace frame
