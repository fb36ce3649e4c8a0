#include "Screenshots.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "QT27Controls/simulation/ChannelSimulation.h"
#include "QT27Controls/simulation/Simulation.h"
#include "frame/OpenPage.h"
#include "frame/PageRegistry.h"
#include "host/CommunicationService.h"
#include "host/QT27Dtm.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"

namespace frame {

namespace {

// Lets the event loop run for @p milliseconds (answers, timers, layout).
void settle(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

QStringList renderAllPages(host::Station& station, host::CommunicationService& service,
                           const PageRegistry& registry, const QString& directory, QStringList* errors,
                           const BeforeCapture& beforeCapture) {
    QStringList written;
    if (!QDir().mkpath(directory)) {
        if (errors != nullptr) {
            errors->append(
                QStringLiteral("Cannot create the folder %1").arg(QDir::toNativeSeparators(directory)));
        }
        return written;
    }
    int counter = 0;
    for (const host::Station::ModuleInfo& module : station.modules()) {
        host::QT27Dtm* dtm = station.dtmForSlot(module.slot);
        if (dtm == nullptr) {
            continue;
        }
        dtm->setCommunicationObjects({&service});
        for (const PageType& type : registry.types()) {
            const QString slot = QStringLiteral("%1").arg(module.slot, 2, 10, QLatin1Char('0'));
            OpenPage page(type, dtm, QStringLiteral("%1-%2-%3").arg(type.name, slot).arg(++counter));
            QWidget* widget = page.widget();
            widget->setAttribute(Qt::WA_DontShowOnScreen);
            widget->resize(widget->sizeHint());
            widget->show();
            page.init();
            settle(std::max(50, type.settleMs));
            if (beforeCapture) {
                beforeCapture(page);
            }
            const QString path = QDir(directory).filePath(QStringLiteral("%1-%2.png").arg(slot, type.name));
            if (widget->grab().save(path)) {
                written.append(path);
            } else if (errors != nullptr) {
                errors->append(QStringLiteral("Cannot write %1").arg(QDir::toNativeSeparators(path)));
            }
            // Release as the frame does and wait for UiReleased, within the grace period.
            QEventLoop loop;
            QObject::connect(&page, &OpenPage::released, &loop, &QEventLoop::quit);
            QObject::connect(&page, &OpenPage::releaseTimedOut, &loop, &QEventLoop::quit);
            page.requestRelease();
            if (!page.isReleased()) {
                loop.exec();
            }
            if (!page.isReleased() && errors != nullptr) {
                errors->append(QStringLiteral("%1 did not release").arg(page.description()));
            }
        }
    }
    return written;
}

BeforeCapture forceChannelInScreenshots(const host::Station& station) {
    const int firstSlot = station.modules().isEmpty() ? 0 : station.modules().first().slot;
    return [firstSlot](const OpenPage& page) {
        auto* simulation = qobject_cast<qt27::Simulation*>(page.widget());
        qt27::ChannelSimulation* editor = simulation != nullptr ? simulation->channelSimulation(0) : nullptr;
        if (editor == nullptr || page.slot() != firstSlot) {
            return;
        }
        // 50 % of the range, entered in percent; the physical unit is shown again after.
        auto* unit = editor->findChild<QComboBox*>(QStringLiteral("cmbUnit"));
        unit->setCurrentIndex(qt27::UnitEntryPercent);
        editor->findChild<QLineEdit*>(QStringLiteral("txtForceValue"))->setText(QStringLiteral("50"));
        editor->CommitForceValue();
        unit->setCurrentIndex(qt27::UnitEntryPhysical);
        editor->findChild<QCheckBox*>(QStringLiteral("chkForcingActivated"))->setChecked(true);
        // The write, its answer and the read that follows it.
        for (int wait = 0; wait < 40 && (editor->CurrentValue() != editor->ForceValue() || !editor->IsForced());
             ++wait) {
            settle(50);
        }
    };
}

int showChannelFaultInScreenshots(host::SimulatedStation& simulation, const host::Station& station) {
    constexpr int kChannel = 1;            // channel 2
    constexpr quint8 kOpenLineOff = 0x40;  // bit 6 of the parameter byte
    const QList<host::Station::ModuleInfo> modules = station.modules();
    for (qsizetype index = 1; index < modules.size(); ++index) {
        const int slot = modules[index].slot;
        if (simulation.hasModule(slot) && (simulation.parameterByte(slot, kChannel) & kOpenLineOff) == 0) {
            simulation.setOpenLine(slot, kChannel, true);
            return slot;
        }
    }
    return 0;
}

}  // namespace frame
