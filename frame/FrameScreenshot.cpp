#include "FrameScreenshot.h"

#include <QDir>
#include <QDockWidget>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cmath>

#include "frame/FrameLanguage.h"
#include "frame/FrameWindow.h"
#include "frame/OpenPage.h"
#include "frame/PageRegistry.h"
#include "frame/PageWindows.h"
#include "host/Station.h"

namespace frame {

namespace {

// Runs the event loop until @p done holds, at most @p milliseconds.
void runUntil(const std::function<bool()>& done, int milliseconds) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    poll.start(20);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

QStringList renderFrameWindows(host::Station& station, host::SimulatedStation& simulation,
                               host::CommunicationService& service, const PageRegistry& registry,
                               const QString& directory, const QStringList& languages, QStringList* errors,
                               int slot, QSize offscreenScreen) {
    QStringList written;
    if (station.modules().isEmpty() || !QDir().mkpath(directory)) {
        return written;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    const QSize available = QGuiApplication::platformName() == QLatin1String("offscreen") || screen == nullptr
                                ? offscreenScreen / ratio
                                : screen->availableGeometry().size();
    const QString originalLanguage = station.language();
    const QString originalFrameLanguage = frameLanguage();
    if (station.dtmForSlot(slot) == nullptr) {
        slot = station.modules().first().slot;
    }
    int settleMs = 50;
    for (const PageType& type : registry.types()) {
        settleMs = std::max(settleMs, type.settleMs);
    }
    for (const QString& language : languages) {
        station.setLanguage(language);
        useFrameLanguage(language);
        FrameWindow window(station, simulation, service, registry);
        window.setAttribute(Qt::WA_DontShowOnScreen);
        window.resize(defaultFrameSize(available));
        window.show();
        // The tree as wide as on a screen of this size: its width is chosen from the
        // screen the frame starts on, which is smaller here.
        if (auto* tree = window.findChild<QDockWidget*>(QStringLiteral("dockStation"))) {
            runUntil([] { return false; }, 0);
            window.resizeDocks({tree}, {window.width() / 3}, Qt::Horizontal);
            runUntil([] { return false; }, 0);
        }
        window.selectSlot(slot);
        // The first registered page ends up in front.
        for (qsizetype index = registry.types().size() - 1; index >= 0; --index) {
            window.openPage(slot, registry.types().at(index).name);
        }
        runUntil([] { return false; }, settleMs);
        const QString path = QDir(directory).filePath(
            QStringLiteral("frame-%1-%2.png").arg(language).arg(std::lround(ratio * 100)));
        if (window.grab().save(path)) {
            written.append(path);
        } else if (errors != nullptr) {
            errors->append(QStringLiteral("Cannot write %1").arg(QDir::toNativeSeparators(path)));
        }
        window.close();
        runUntil([&window] { return window.openPages().isEmpty(); }, 10000);
        if (!window.openPages().isEmpty() && errors != nullptr) {
            errors->append(QStringLiteral("The frame's pages did not release (%1)").arg(language));
        }
    }
    station.setLanguage(originalLanguage);
    useFrameLanguage(originalFrameLanguage);
    return written;
}

}  // namespace frame
