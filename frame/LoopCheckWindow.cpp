#include "LoopCheckWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "QT27Controls/communication/ReadCyclePage.h"
#include "host/CommunicationService.h"
#include "host/QT27Dtm.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"

namespace frame {

namespace {

enum Column { ChannelColumn, PointColumn, ExpectedColumn, MeasuredColumn, DeviationColumn, VerdictColumn };

QLocale localeOf(const host::Station& station) {
    return QLocale(station.language() == QLatin1String("de") ? QLocale::German : QLocale::English);
}

QString channelText(const LoopCheckChannel& channel) {
    return channel.tag.isEmpty() ? QString::number(channel.channel)
                                 : QStringLiteral("%1 (%2)").arg(channel.channel).arg(channel.tag);
}

}  // namespace

QString loopCheckVerdictText(const QString& reason) {
    if (reason.isEmpty()) {
        return LoopCheckWindow::tr("passed");
    }
    if (reason == QLatin1String("deviation")) {
        return LoopCheckWindow::tr("failed: deviation beyond the tolerance");
    }
    if (reason == QLatin1String("invalid")) {
        return LoopCheckWindow::tr("failed: the channel reads invalid");
    }
    if (reason == QLatin1String("forced")) {
        return LoopCheckWindow::tr("failed: the channel is forced");
    }
    if (reason == QLatin1String("overrange")) {
        return LoopCheckWindow::tr("failed: above the end of the range");
    }
    if (reason == QLatin1String("underrange")) {
        return LoopCheckWindow::tr("failed: below the start of the range");
    }
    if (reason == QLatin1String("noReading")) {
        return LoopCheckWindow::tr("failed: no reading");
    }
    return LoopCheckWindow::tr("failed: %1").arg(reason);
}

LoopCheckWindow::LoopCheckWindow(host::Station& station, int slot, host::SimulatedStation* simulation,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window), m_station(station), m_slot(slot), m_simulation(simulation) {
    setObjectName(QStringLiteral("LoopCheckWindow"));
    const host::ModuleRecord* record = station.moduleRecord(slot);
    setWindowTitle(tr("Loop check of slot %1").arg(slot, 2, 10, QLatin1Char('0')));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        tr("Slot %1: %2").arg(slot, 2, 10, QLatin1Char('0')).arg(record != nullptr ? record->typeName : QString()),
        this));

    auto* channelsBox = new QGroupBox(tr("Channels"), this);
    auto* channelsLayout = new QVBoxLayout(channelsBox);
    const QLocale locale = localeOf(station);
    for (const LoopCheckChannel& channel : LoopCheckRun::channelsOf(station, slot, false)) {
        auto* box = new QCheckBox(tr("Channel %1, %2..%3 %4")
                                      .arg(channelText(channel), locale.toString(channel.span.start, 'g', 4),
                                           locale.toString(channel.span.end, 'g', 4), channel.span.unit),
                                  channelsBox);
        box->setChecked(true);
        channelsLayout->addWidget(box);
        m_channels.append(box);
    }
    layout->addWidget(channelsBox);

    auto* settings = new QFormLayout;
    m_points = new QLineEdit(QStringLiteral("0; 25; 50; 75; 100"), this);
    settings->addRow(tr("Test points (% of span)"), m_points);
    m_tolerance = new QDoubleSpinBox(this);
    m_tolerance->setRange(0.01, 10.0);
    m_tolerance->setDecimals(2);
    m_tolerance->setSingleStep(0.1);
    m_tolerance->setValue(LoopCheckPlan::kDefaultTolerancePercent);
    m_tolerance->setSuffix(QStringLiteral(" %"));
    settings->addRow(tr("Tolerance (% of span)"), m_tolerance);
    m_settle = new QDoubleSpinBox(this);
    m_settle->setRange(0.0, 600.0);
    m_settle->setDecimals(1);
    m_settle->setSuffix(QStringLiteral(" s"));
    m_settle->setValue(LoopCheckPlan::defaultSettleMs(qt27::ReadCyclePage::kCycleIntervalMs) / 1000.0);
    settings->addRow(tr("Settling time"), m_settle);
    m_reads = new QSpinBox(this);
    m_reads->setRange(1, 50);
    m_reads->setValue(LoopCheckPlan::kDefaultReadsPerPoint);
    settings->addRow(tr("Reads per point (mean)"), m_reads);
    m_unit = new QComboBox(this);
    m_unit->addItems({tr("the channel's unit"), tr("% of span")});
    settings->addRow(tr("Values in"), m_unit);
    m_stationSetsInput = new QCheckBox(tr("Set the station's input for me (simulated station)"), this);
    m_stationSetsInput->setEnabled(m_simulation != nullptr);
    settings->addRow(QString(), m_stationSetsInput);
    layout->addLayout(settings);

    m_prompt = new QLabel(this);
    m_prompt->setObjectName(QStringLiteral("lblPrompt"));
    m_prompt->setWordWrap(true);
    QFont bold = m_prompt->font();
    bold.setBold(true);
    m_prompt->setFont(bold);
    layout->addWidget(m_prompt);

    auto* buttons = new QHBoxLayout;
    m_start = new QPushButton(tr("Start"), this);
    m_continue = new QPushButton(tr("Continue"), this);
    m_cancel = new QPushButton(tr("Cancel"), this);
    buttons->addWidget(m_start);
    buttons->addWidget(m_continue);
    buttons->addWidget(m_cancel);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(m_start, &QPushButton::clicked, this, &LoopCheckWindow::startCheck);
    connect(m_continue, &QPushButton::clicked, this, &LoopCheckWindow::continueCheck);
    connect(m_cancel, &QPushButton::clicked, this, &LoopCheckWindow::cancelCheck);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    m_results = new QTableWidget(0, 6, this);
    m_results->setHorizontalHeaderLabels(
        {tr("Channel"), tr("Point"), tr("Expected"), tr("Measured"), tr("Deviation"), tr("Verdict")});
    m_results->verticalHeader()->hide();
    m_results->horizontalHeader()->setStretchLastSection(true);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(m_results, 1);

    setRunning(false);
    showStoredResults();
    resize(720, 640);
}

LoopCheckWindow::~LoopCheckWindow() = default;

void LoopCheckWindow::setChannelChosen(int channel, bool chosen) {
    if (QCheckBox* box = m_channels.value(channel - 1)) {
        box->setChecked(chosen);
    }
}

void LoopCheckWindow::setPointsText(const QString& text) {
    m_points->setText(text);
}

void LoopCheckWindow::setTolerancePercent(double percent) {
    m_tolerance->setValue(percent);
}

void LoopCheckWindow::setSettleMs(int msecs) {
    m_settle->setValue(msecs / 1000.0);
}

void LoopCheckWindow::setReadsPerPoint(int reads) {
    m_reads->setValue(reads);
}

void LoopCheckWindow::setStationSetsInput(bool on) {
    m_stationSetsInput->setChecked(on && m_stationSetsInput->isEnabled());
}

QString LoopCheckWindow::statusText() const {
    return m_status->text();
}

LoopCheckPlan LoopCheckWindow::planFromSettings(QString* errorText) const {
    LoopCheckPlan plan;
    QString badPoint;
    plan.points = LoopCheckPlan::parsePoints(m_points->text(), &badPoint);
    if (plan.points.isEmpty()) {
        *errorText = tr("The test points are numbers from 0 to 100, separated by \";\"; \"%1\" is not one.")
                         .arg(badPoint);
        return plan;
    }
    const QList<LoopCheckChannel> channels = LoopCheckRun::channelsOf(m_station, m_slot, m_unit->currentIndex() == 1);
    for (int index = 0; index < channels.size() && index < m_channels.size(); ++index) {
        if (m_channels[index]->isChecked()) {
            plan.channels.append(channels[index]);
        }
    }
    if (plan.channels.isEmpty()) {
        *errorText = tr("Choose at least one channel.");
        return plan;
    }
    plan.tolerancePercent = m_tolerance->value();
    plan.settleMs = static_cast<int>(std::lround(m_settle->value() * 1000.0));
    plan.readsPerPoint = m_reads->value();
    plan.user = host::AuditTrail::systemUserName();
    return plan;
}

bool LoopCheckWindow::startCheck() {
    if (m_run != nullptr && m_run->isRunning()) {
        return false;
    }
    QString error;
    const LoopCheckPlan plan = planFromSettings(&error);
    if (!error.isEmpty()) {
        m_status->setText(error);
        return false;
    }
    m_run = std::make_unique<LoopCheckRun>(m_station, m_slot, plan);
    if (m_stationSetsInput->isChecked()) {
        m_run->setSignalSource(m_simulation);
    }
    m_run->setReadPeriod(m_readPeriodMs);
    connect(m_run.get(), &LoopCheckRun::signalWanted, this,
            [this](const LoopCheckChannel& channel, double /*percent*/, double expected) {
                m_prompt->setText(tr("Apply %1 %2 at the terminals of channel %3, then press Continue.")
                                      .arg(localeOf(m_station).toString(expected, 'f', 3), channel.span.unit,
                                           channelText(channel)));
                m_continue->setEnabled(true);
                m_status->setText(tr("Waiting for the signal."));
            });
    connect(m_run.get(), &LoopCheckRun::settling, this, [this](int msecs) {
        m_prompt->clear();
        m_continue->setEnabled(false);
        m_status->setText(tr("Settling for %1 s, then reading.").arg(localeOf(m_station).toString(msecs / 1000.0)));
    });
    connect(m_run.get(), &LoopCheckRun::pointJudged, this,
            [this](const LoopCheckChannel& channel, const host::LoopCheckPoint& point) {
                addResultRow(channel, channel.span.unit, point);
            });
    connect(m_run.get(), &LoopCheckRun::finished, this, &LoopCheckWindow::onFinished);
    m_results->setRowCount(0);
    if (!m_run->start()) {
        m_status->setText(m_run->message());
        return false;
    }
    setRunning(true);
    m_status->setText(tr("Connecting to the module…"));
    return true;
}

void LoopCheckWindow::continueCheck() {
    if (m_run != nullptr) {
        m_run->confirmSignal();
    }
}

void LoopCheckWindow::cancelCheck() {
    if (m_run != nullptr && m_run->isRunning()) {
        m_status->setText(tr("Cancelling: disconnecting from the module…"));
        m_run->cancel();
    }
}

void LoopCheckWindow::onFinished(LoopCheckRun::Outcome outcome) {
    setRunning(false);
    m_prompt->clear();
    switch (outcome) {
        case LoopCheckRun::Outcome::Completed:
            showSummary();
            break;
        case LoopCheckRun::Outcome::Cancelled:
            m_status->setText(tr("The loop check was cancelled; nothing was stored. The module is disconnected."));
            break;
        case LoopCheckRun::Outcome::ConnectionLost:
        case LoopCheckRun::Outcome::ConnectFailed:
            m_status->setText(m_run->message());
            break;
    }
    emit checkFinished(outcome);
    if (m_closeWhenDone) {
        close();
    }
}

void LoopCheckWindow::showSummary() {
    const QList<host::LoopCheckResult>& results = m_run->sequence().results();
    int failed = 0;
    int total = 0;
    for (const host::LoopCheckResult& result : results) {
        for (const host::LoopCheckPoint& point : result.points) {
            ++total;
            failed += point.passed() ? 0 : 1;
        }
    }
    QString text = failed == 0 ? tr("Loop check passed: all %1 points within the tolerance.").arg(total)
                               : tr("Loop check failed: %1 of %2 points failed.").arg(failed).arg(total);
    if (!m_run->message().isEmpty()) {
        text += QLatin1Char(' ') + m_run->message();
    }
    m_status->setText(text);
}

void LoopCheckWindow::addResultRow(const LoopCheckChannel& channel, const QString& unit,
                                   const host::LoopCheckPoint& point) {
    const QLocale locale = localeOf(m_station);
    const int row = m_results->rowCount();
    m_results->insertRow(row);
    const auto value = [&](double number) {
        return std::isfinite(number) ? QStringLiteral("%1 %2").arg(locale.toString(number, 'f', 3), unit)
                                     : QStringLiteral("–");
    };
    const QString deviation = std::isfinite(point.deviationPercent)
                                  ? QStringLiteral("%1 %").arg(locale.toString(point.deviationPercent, 'f', 2))
                                  : QStringLiteral("–");
    const QStringList cells = {channelText(channel), QStringLiteral("%1 %").arg(locale.toString(point.percent)),
                               value(point.expected), value(point.measured), deviation,
                               loopCheckVerdictText(point.reason)};
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        if (column == VerdictColumn) {
            item->setForeground(point.passed() ? QColor(0, 120, 0) : QColor(180, 0, 0));
        }
        m_results->setItem(row, column, item);
    }
    m_results->resizeColumnsToContents();
}

void LoopCheckWindow::showStoredResults() {
    const host::ModuleRecord* record = m_station.moduleRecord(m_slot);
    if (record == nullptr || record->loopChecks.isEmpty()) {
        return;
    }
    const QList<LoopCheckChannel> channels = LoopCheckRun::channelsOf(m_station, m_slot, false);
    for (const host::LoopCheckResult& result : record->loopChecks) {
        LoopCheckChannel channel = channels.value(result.channel - 1);
        channel.channel = result.channel;
        for (const host::LoopCheckPoint& point : result.points) {
            addResultRow(channel, result.unit, point);
        }
    }
    m_status->setText(tr("Latest stored results."));
}

void LoopCheckWindow::setRunning(bool running) {
    for (QWidget* widget : std::initializer_list<QWidget*>{m_points, m_tolerance, m_settle, m_reads, m_unit}) {
        widget->setEnabled(!running);
    }
    for (QCheckBox* box : m_channels) {
        box->setEnabled(!running);
    }
    m_stationSetsInput->setEnabled(!running && m_simulation != nullptr);
    m_start->setEnabled(!running);
    m_continue->setEnabled(false);
    m_cancel->setEnabled(running);
}

void LoopCheckWindow::closeEvent(QCloseEvent* event) {
    if (m_run != nullptr && m_run->isRunning()) {
        // The window goes once the session has released.
        m_closeWhenDone = true;
        cancelCheck();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

}  // namespace frame

namespace frame {

QString renderLoopCheck(const host::Station& station, host::SimulatedStation& simulation,
                        host::CommunicationService& service, const QString& directory, QStringList* errors) {
    if (station.modules().isEmpty() || !QDir().mkpath(directory)) {
        return QString();
    }
    // The check runs on a copy of the project: a rendering leaves the engineer's
    // project and its audit trail as they were.
    QTemporaryDir copyDir;
    const QString copyPath = copyDir.filePath(QStringLiteral("station.xml"));
    QString error;
    host::Station copy;
    if (!copyDir.isValid() || !station.project().save(copyPath, &error) || !copy.open(copyPath)) {
        errors->append(QStringLiteral("loop check: %1").arg(error.isEmpty() ? copy.lastError() : error));
        return QString();
    }
    copy.setLanguage(station.language());
    for (const host::Station::ModuleInfo& module : copy.modules()) {
        copy.dtmForSlot(module.slot)->setCommunicationObjects({&service});
    }
    const int slot = copy.modules().first().slot;
    // Channel 3 reads 2 % high, so the picture shows a failed channel beside passed ones.
    constexpr int kFaultyChannel = 2;
    const double inputError = simulation.inputError(slot, kFaultyChannel);
    simulation.setInputError(slot, kFaultyChannel, 2.0);

    LoopCheckWindow window(copy, slot, &simulation);
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.setReadPeriod(50);
    window.setSettleMs(300);
    window.resize(780, 1080);  // every row of the results in the picture
    window.setReadsPerPoint(2);
    window.setStationSetsInput(true);
    window.show();
    bool done = false;
    QObject::connect(&window, &LoopCheckWindow::checkFinished, [&done] { done = true; });
    if (window.startCheck()) {
        QDeadlineTimer deadline(60000);
        while (!done && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
    }
    simulation.setInputError(slot, kFaultyChannel, inputError);
    if (!done) {
        errors->append(QStringLiteral("loop check: the check did not end within a minute"));
    }
    const QString path = QDir(directory).filePath(QStringLiteral("loopcheck.png"));
    return window.grab().save(path) ? path : QString();
}

}  // namespace frame
