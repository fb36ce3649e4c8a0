#include "FrameWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>

#include "QT27Controls/framework/PageFrame.h"
#include "QT27Controls/simulation/Simulation.h"
#include "frame/AuditDock.h"
#include "frame/CommissioningReport.h"
#include "frame/FrameLanguage.h"
#include "frame/LockDialog.h"
#include "frame/LoopCheckWindow.h"
#include "frame/ModuleStates.h"
#include "frame/OpenPage.h"
#include "frame/PageWindows.h"
#include "frame/ParameterFollowing.h"
#include "frame/StationPanel.h"
#include "frame/UnsavedChanges.h"
#include "frame/WindowMenu.h"
#include "host/BaseDtm.h"
#include "host/CommunicationService.h"
#include "host/MessageService.h"
#include "host/QT27Dtm.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"
#include "rmox/ButtonControl/ButtonControl.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace frame {

namespace {

enum ItemRole { SlotRole = Qt::UserRole + 1, PageRole, ModuleTextRole, ForcedRole, StatePartsRole, TagsRole };

// How often the forced marks are looked at: forcing also ends when its enable lapses.
constexpr int kForcedMarkIntervalMs = 1000;

// The docks open at their contents' size hints: the tree as wide as asked for, the
// error panel a few lines high.
class StationTree : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    QSize sizeHint() const override {
        return {qMax(QTreeWidget::sizeHint().width(), property("hintWidth").toInt()),
                QTreeWidget::sizeHint().height()};
    }
};

class ErrorList : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    QSize sizeHint() const override { return {QTreeWidget::sizeHint().width(), fontMetrics().height() * 6}; }
};

enum ErrorColumn { SeverityColumn, TimeColumn, TextColumn };

// A dot in @p color: green online, grey offline.
QIcon stateIcon(const QColor& color) {
    QPixmap dot(12, 12);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(color.darker(130));
    painter.setBrush(color);
    painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    return QIcon(dot);
}

QString twoDigits(int slot) {
    return QStringLiteral("%1").arg(slot, 2, 10, QLatin1Char('0'));
}

}  // namespace

void addToSimulation(host::SimulatedStation& simulation, int slot, const QString& typeCode) {
    bool ok = false;
    const int code = typeCode.trimmed().toInt(&ok);
    if (ok && (code == 37 || code == 54) && slot >= 1 && slot <= 255 && !simulation.hasModule(slot)) {
        simulation.addModule(slot, code);
        // Something to watch: a sine, a ramp, a constant and noise on the four inputs.
        using host::SignalShape;
        const host::ChannelSignal signalsOfChannels[] = {{SignalShape::Sine, 50.0, 40.0, 20000},
                                                         {SignalShape::Ramp, 50.0, 50.0, 30000},
                                                         {SignalShape::Constant, 50.0, 0.0, 10000},
                                                         {SignalShape::Noise, 50.0, 5.0, 10000}};
        for (int channel = 0; channel < 4; ++channel) {
            simulation.setChannelSignal(slot, channel, signalsOfChannels[channel]);
        }
    }
}

FrameWindow::FrameWindow(host::Station& station, host::SimulatedStation& simulation,
                         host::CommunicationService& service, PageRegistry registry, QWidget* parent)
    : QMainWindow(parent),
      m_station(station),
      m_simulation(simulation),
      m_service(service),
      m_registry(std::move(registry)),
      m_gracePeriodMs(OpenPage::kGracePeriodMs) {
    setObjectName(QStringLiteral("qt27frame"));
    updateTitle();
    auto* titleTimer = new QTimer(this);
    connect(titleTimer, &QTimer::timeout, this, &FrameWindow::updateTitle);
    titleTimer->start(300);

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiPages"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);

    m_tree = new StationTree(this);
    m_tree->setObjectName(QStringLiteral("treStation"));
    m_tree->setHeaderHidden(true);
    // The second column shows each module's state; the names are as wide as their
    // texts, the state takes the rest and breaks into lines where it is narrower
    // (layOutStates).
    m_tree->setColumnCount(2);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tree->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_tree->header()->setStretchLastSection(true);
    connect(m_tree->header(), &QHeaderView::sectionResized, this, [this](int section) {
        if (section == 1) {
            layOutStates();
        }
    });
    m_tree->setUniformRowHeights(false);
    m_texts = new TranslatedTexts(this);
    auto* treeDock = new QDockWidget(this);
    m_texts->add(treeDock, [treeDock] { treeDock->setWindowTitle(tr("Station")); });
    treeDock->setObjectName(QStringLiteral("dockStation"));
    treeDock->setWidget(m_tree);
    addDockWidget(Qt::LeftDockWidgetArea, treeDock);
    // Room for a module's name and its state, without taking more than a third of the frame.
    const QScreen* primary = QGuiApplication::primaryScreen();
    const int frameWidth =
        primary != nullptr ? defaultFrameSize(primary->availableGeometry().size()).width() : 1280;
    m_tree->setProperty("hintWidth", qMin(fontMetrics().averageCharWidth() * 64, frameWidth / 3));
    m_tree->updateGeometry();
    connect(m_tree, &QTreeWidget::itemActivated, this, &FrameWindow::openFromTree);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        const QTreeWidgetItem* item = m_tree->itemAt(position);
        const int slot = item != nullptr ? item->data(0, SlotRole).toInt() : 0;
        if (slot == 0) {
            return;
        }
        QMenu menu(this);
        menu.addAction(tr("Loop check…"), this, [this, slot] { openLoopCheck(slot); });
        menu.exec(m_tree->viewport()->mapToGlobal(position));
    });

    // A few lines of errors; the room goes to the pages.
    m_errors = new ErrorList(this);
    m_errors->setObjectName(QStringLiteral("lstErrors"));
    m_errors->setRootIsDecorated(false);
    m_errors->setColumnCount(3);
    m_errors->header()->setSectionResizeMode(SeverityColumn, QHeaderView::ResizeToContents);
    m_errors->header()->setSectionResizeMode(TimeColumn, QHeaderView::ResizeToContents);
    m_texts->add(m_errors, [this] {
        m_errors->setHeaderLabels({tr("Severity"), tr("Time"), tr("Message")});
        for (int row = 0; row < m_errors->topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = m_errors->topLevelItem(row);
            item->setText(SeverityColumn,
                          severityText(static_cast<Severity>(item->data(0, Qt::UserRole).toInt())));
        }
    });
    auto* errorDock = new QDockWidget(this);
    m_texts->add(errorDock, [errorDock] { errorDock->setWindowTitle(tr("Errors")); });
    errorDock->setObjectName(QStringLiteral("dockErrors"));
    errorDock->setWidget(m_errors);
    // Below the station tree: the pages keep the frame's full height, so that the
    // tallest page (Simulation) fits at the default size without scrolling.
    addDockWidget(Qt::LeftDockWidgetArea, errorDock);
    m_errors->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_errors->setContextMenuPolicy(Qt::ActionsContextMenu);
    QAction* copy = new QAction(m_errors);
    m_texts->add(copy, [copy] { copy->setText(tr("&Copy")); });
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, [this] {
        QStringList lines;
        for (int row = 0; row < m_errors->topLevelItemCount(); ++row) {
            if (m_errors->topLevelItem(row)->isSelected()) {
                lines << errors().value(row);
            }
        }
        QGuiApplication::clipboard()->setText((lines.isEmpty() ? errors() : lines).join(QLatin1Char('\n')));
    });
    QAction* exportAll = new QAction(m_errors);
    m_texts->add(exportAll, [exportAll] { exportAll->setText(tr("&Export...")); });
    connect(exportAll, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, tr("Export the errors"), QString(),
                                                          tr("Text files (*.txt);;All files (*)"));
        QFile file(path);
        if (!path.isEmpty() &&
            (!file.open(QIODevice::WriteOnly | QIODevice::Text) ||
             file.write((errors().join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()) < 0)) {
            addError(tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        }
    });
    QAction* clear = new QAction(m_errors);
    m_texts->add(clear, [clear] { clear->setText(tr("C&lear")); });
    connect(clear, &QAction::triggered, m_errors, &QTreeWidget::clear);
    m_errors->addActions({copy, exportAll, clear});

    m_stationPanel = new StationPanel(m_simulation, m_service, this, &m_station);
    auto* scroller = new QScrollArea(this);
    scroller->setWidget(m_stationPanel);
    scroller->setWidgetResizable(true);
    // The panel's texts are never cut: the dock is as wide as the panel wants and
    // scrolls up and down only.
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setMinimumWidth(m_stationPanel->sizeHint().width() + 2 * scroller->frameWidth() +
                              scroller->verticalScrollBar()->sizeHint().width());
    auto* panelDock = new QDockWidget(this);
    m_texts->add(panelDock, [panelDock] { panelDock->setWindowTitle(tr("Simulated station")); });
    panelDock->setObjectName(QStringLiteral("dockSimulation"));
    panelDock->setWidget(scroller);
    addDockWidget(Qt::RightDockWidgetArea, panelDock);
    panelDock->hide();
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this] { m_stationPanel->setSlot(selectedSlot()); });

    m_unsaved = new UnsavedChanges(m_station, this);
    connect(m_unsaved, &UnsavedChanges::keptOpen, this, [this](OpenPage* page) {
        statusBar()->showMessage(tr("%1 was not stored; its window stays open.").arg(page->description()),
                                 10000);
    });
    m_following = new ParameterFollowing(
        m_station, [this] { return m_pages; }, this);
    m_states = new ModuleStates(m_station, m_service, this);
    connect(m_states, &ModuleStates::changed, this, &FrameWindow::showModuleStates);
    connect(m_states, &ModuleStates::diagnosisReceived, this, &FrameWindow::keepDiagnosis);

    buildMenus();
    menuBar()->findChild<QMenu*>(QStringLiteral("mnuView"))->addAction(panelDock->toggleViewAction());
    menuBar()->findChild<QMenu*>(QStringLiteral("mnuView"))->addAction(errorDock->toggleViewAction());
    m_auditDock = new AuditDock(m_station, this);
    addDockWidget(Qt::BottomDockWidgetArea, m_auditDock);
    tabifyDockWidget(errorDock, m_auditDock);
    errorDock->raise();
    menuBar()->findChild<QMenu*>(QStringLiteral("mnuView"))->addAction(m_auditDock->toggleViewAction());
    connect(m_station.auditTrail(), &host::AuditTrail::warning, this,
            [this](const QString& text) { addMessage(Severity::Warning, text); });
    // Found when the project was opened, before this window existed.
    for (const QString& warning : m_station.auditTrail()->warnings()) {
        addMessage(Severity::Warning, warning);
    }

    // The tree is built anew in another language.
    m_texts->add(m_tree, [this] { buildTree(); });
    connectModules();
    connect(&m_simulation, &host::SimulatedStation::forcingChanged, this, &FrameWindow::updateForcedMarks,
            Qt::QueuedConnection);
    auto* forcedMarks = new QTimer(this);
    connect(forcedMarks, &QTimer::timeout, this, &FrameWindow::updateForcedMarks);
    forcedMarks->start(kForcedMarkIntervalMs);
    connect(&m_station, &host::Station::projectError, this, &FrameWindow::addError);
    connect(&m_station, &host::Station::modulesChanged, this, [this] {
        buildTree();
        connectModules();
    });
    // A project that could not be opened was reported before this window existed.
    if (!m_station.lastError().isEmpty()) {
        addError(m_station.lastError());
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    resize(screen != nullptr ? defaultFrameSize(screen->availableGeometry().size()) : QSize(1280, 820));
}

FrameWindow::~FrameWindow() {
    // Pages still open (the frame is going away without a release) are deleted
    // with their windows; the handshake objects follow.
    qDeleteAll(m_pages);
}

void FrameWindow::buildMenus() {
    // Each text is set again when the language changes (m_texts).
    const auto menu = [this](const char* title) {
        QMenu* created = menuBar()->addMenu(QString());
        m_texts->add(created, [created, title] { created->setTitle(tr(title)); });
        return created;
    };
    const auto entry = [this](QMenu* in, const char* text) {
        QAction* action = in->addAction(QString());
        m_texts->add(action, [action, text] { action->setText(tr(text)); });
        return action;
    };
    QMenu* file = menu(QT_TR_NOOP("&File"));
    QAction* open = entry(file, QT_TR_NOOP("&Open project..."));
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, &FrameWindow::openProject);
    QAction* reload = entry(file, QT_TR_NOOP("&Reload project"));
    reload->setShortcut(QKeySequence(Qt::Key_F5));
    connect(reload, &QAction::triggered, this, &FrameWindow::reloadProject);
    QAction* save = entry(file, QT_TR_NOOP("&Save project"));
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, [this] { m_station.save(); });
    QAction* saveAs = entry(file, QT_TR_NOOP("Save project &as..."));
    saveAs->setShortcut(QKeySequence::SaveAs);
    connect(saveAs, &QAction::triggered, this, [this] {
        const QString path =
            QFileDialog::getSaveFileName(this, tr("Save station project as"), m_station.projectPath(),
                                         tr("Station projects (*.xml);;All files (*)"));
        if (!path.isEmpty()) {
            saveProjectAs(path);
        }
    });
    connect(entry(file, QT_TR_NOOP("Commissioning report…")), &QAction::triggered, this,
            &FrameWindow::writeReport);
    file->addSeparator();
    QAction* quit = entry(file, QT_TR_NOOP("&Quit"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* pages = menu(QT_TR_NOOP("&Page"));
    for (const PageType& type : m_registry.types()) {
        const QString name = type.name;
        QAction* action = pages->addAction(QString(), this, [this, name] { openSelected(name); });
        m_texts->add(action, [this, action, name] {
            if (const PageType* shown = m_registry.find(name)) {
                action->setText(displayCaption(*shown));
            }
        });
    }

    QMenu* tools = menu(QT_TR_NOOP("&Tools"));
    connect(entry(tools, QT_TR_NOOP("Loop check…")), &QAction::triggered, this, [this] {
        int slot = selectedSlot();
        if (slot == 0 && !m_station.modules().isEmpty()) {
            slot = m_station.modules().first().slot;
        }
        openLoopCheck(slot);
    });

    QMenu* dataSet = menu(QT_TR_NOOP("&Data set"));
    connect(entry(dataSet, QT_TR_NOOP("Lock as &another user...")), &QAction::triggered, this,
            &FrameWindow::lockAsOtherUser);
    connect(entry(dataSet, QT_TR_NOOP("&Release the other user's lock")), &QAction::triggered, this,
            &FrameWindow::releaseOtherUsersLock);
    dataSet->addSeparator();
    connect(entry(dataSet, QT_TR_NOOP("Ta&ke over the lock as this DTM")), &QAction::triggered, this, [this] {
        if (host::QT27Dtm* dtm = m_station.dtmForSlot(selectedSlot())) {
            dtm->baseDtm()->takeOverLockAs(dtm->baseDtm()->userName());
        }
    });
    connect(entry(dataSet, QT_TR_NOOP("Lock as &this DTM")), &QAction::triggered, this,
            &FrameWindow::lockAsThisDtm);
    connect(entry(dataSet, QT_TR_NOOP("&Unlock by COMPATIBILITY")), &QAction::triggered, this,
            &FrameWindow::unlockByCompatibility);

    QMenu* language = menu(QT_TR_NOOP("&Language"));
    m_languages = new QActionGroup(this);
    // Each language by its own name, the same in every language.
    for (const auto& [code, caption] : {std::pair{QStringLiteral("en"), QStringLiteral("&English")},
                                        std::pair{QStringLiteral("de"), QStringLiteral("&Deutsch")}}) {
        QAction* action = language->addAction(caption);
        action->setCheckable(true);
        action->setData(code);
        action->setChecked(code == m_station.language());
        m_languages->addAction(action);
        const QString languageCode = code;
        connect(action, &QAction::triggered, this, [this, languageCode] { setLanguage(languageCode); });
    }

    QMenu* view = menu(QT_TR_NOOP("&View"));
    view->setObjectName(QStringLiteral("mnuView"));

    QMenu* windows = menu(QT_TR_NOOP("&Window"));
    windows->setObjectName(QStringLiteral("mnuWindow"));
    buildWindowMenu(windows, m_mdi);
    // The Window menu builds its entries when it opens; the shortcuts need them before.
    m_texts->add(windows, [windows] { emit windows->aboutToShow(); });
}

void FrameWindow::buildTree() {
    const int selected = selectedSlot();
    m_tree->clear();
    m_tree->setHeaderLabels({tr("Station"), tr("State")});
    auto* root = new QTreeWidgetItem(
        m_tree, {tr("%1 (bus address %2)").arg(m_station.stationName()).arg(m_station.busAddress())});
    for (const host::Station::ModuleInfo& module : m_station.modules()) {
        auto* slotItem = new QTreeWidgetItem(root, {tr("Slot %1").arg(twoDigits(module.slot))});
        slotItem->setData(0, SlotRole, module.slot);
        const QString moduleText = QStringLiteral("%1 (%2)").arg(module.typeName, module.typeCode);
        auto* moduleItem = new QTreeWidgetItem(slotItem, {moduleText});
        moduleItem->setData(0, SlotRole, module.slot);
        moduleItem->setData(0, ModuleTextRole, moduleText);
        moduleItem->setData(0, TagsRole, module.tags.join(QStringLiteral(", ")));
        moduleItem->setToolTip(0, module.tags.join(QStringLiteral(", ")));
        for (const PageType& type : m_registry.types()) {
            auto* pageItem = new QTreeWidgetItem(moduleItem, {displayCaption(type)});
            pageItem->setData(0, SlotRole, module.slot);
            pageItem->setData(0, PageRole, type.name);
        }
        moduleItem->setExpanded(true);
        slotItem->setExpanded(true);
    }
    root->setExpanded(true);
    if (selected != 0) {
        selectSlot(selected);
    }
    updateForcedMarks();
    showModuleStates();
}

void FrameWindow::showModuleStates() {
    QTreeWidgetItemIterator it(m_tree);
    for (; *it != nullptr; ++it) {
        if ((*it)->data(0, ModuleTextRole).isNull()) {
            continue;
        }
        const int slot = (*it)->data(0, SlotRole).toInt();
        ModuleState state = m_states->state(slot);
        // Forcing that the station still holds shows too, also while no page reads values.
        const quint8 mask = m_simulation.hasModule(slot) ? m_simulation.forcedMask(slot) : 0;
        for (int channel = 1; channel <= 4; ++channel) {
            if ((mask & (1u << (channel - 1))) != 0 && !state.forcedChannels.contains(channel)) {
                state.forcedChannels.append(channel);
            }
        }
        std::sort(state.forcedChannels.begin(), state.forcedChannels.end());
        (*it)->setData(1, StatePartsRole, describeModuleStateParts(state));
        const bool fault = !state.channelFaults.isEmpty() || state.moduleCode != 0;
        (*it)->setForeground(1, fault ? QBrush(QColor(0xd1, 0x24, 0x2f)) : QBrush());
        (*it)->setIcon(1, stateIcon(state.online ? QColor(0x2d, 0xa4, 0x4e) : QColor(0x9a, 0x9a, 0x9a)));
        (*it)->setToolTip(1, describeModuleState(state));
    }
    layOutStates();
    // The state picture of each channel says in words what is wrong with it.
    for (OpenPage* page : std::as_const(m_pages)) {
        const ModuleState state = m_states->state(page->slot());
        for (QWidget* channel :
             page->widget()->findChildren<QWidget*>(QStringLiteral("ctlChannelObservation"))) {
            const int number = channel->property("index").toInt() + 1;
            if (auto* picture = channel->findChild<QWidget*>(QStringLiteral("imgState"))) {
                picture->setToolTip(!state.online ? QString()
                                    : state.channelFaults.contains(number)
                                        ? tr("Channel %1: %2")
                                              .arg(number)
                                              .arg(describeChannelFault(state.channelFaults.value(number)))
                                        : tr("Channel %1: in order").arg(number));
            }
        }
    }
}

void FrameWindow::layOutStates() {
    if (m_layingOutStates) {
        return;  // a new line may change the scroll bars and so the column's width
    }
    m_layingOutStates = true;
    // Room for the state picture and the item's margins.
    const int width = m_tree->header()->sectionSize(1) -
                      m_tree->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, m_tree) -
                      3 * m_tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_tree) - 8;
    for (QTreeWidgetItemIterator it(m_tree); *it != nullptr; ++it) {
        const QStringList parts = (*it)->data(1, StatePartsRole).toStringList();
        if (!parts.isEmpty()) {
            const QString text = layOutModuleState(parts, m_tree->fontMetrics(), width);
            if ((*it)->text(1) != text) {
                (*it)->setText(1, text);
            }
        }
    }
    m_layingOutStates = false;
}

void FrameWindow::updateForcedMarks() {
    if (m_markingForced) {
        return;  // reading the mask may end a lapsed forcing, which reports itself
    }
    m_markingForced = true;
    for (QTreeWidgetItemIterator it(m_tree); *it != nullptr; ++it) {
        QTreeWidgetItem* item = *it;
        if (item->data(0, ModuleTextRole).isNull()) {
            continue;
        }
        const int slot = item->data(0, SlotRole).toInt();
        const quint8 mask = m_simulation.hasModule(slot) ? m_simulation.forcedMask(slot) : 0;
        QStringList channels;
        for (int channel = 0; channel < 4; ++channel) {
            if ((mask & (1u << channel)) != 0) {
                channels << QString::number(channel + 1);
            }
        }
        const QString text = item->data(0, ModuleTextRole).toString();
        const bool wasForced = item->data(0, ForcedRole).toBool();
        item->setData(0, ForcedRole, mask != 0);
        // The name keeps its width; the state column names the forced channels.
        const QString tags = item->data(0, TagsRole).toString();
        item->setToolTip(0, mask != 0 ? tags + QLatin1Char('\n') +
                                            tr("forced: channel %1").arg(channels.join(QStringLiteral(", ")))
                                      : tags);
        item->setText(0, text);
        if (wasForced != (mask != 0)) {
            QTimer::singleShot(0, this, &FrameWindow::showModuleStates);
        }
        // Orange, the colour of a "function check" status.
        item->setForeground(0, mask != 0 ? QBrush(QColor(0xE0, 0x80, 0x00)) : QBrush());
        item->setIcon(0, mask != 0 ? style()->standardIcon(QStyle::SP_MessageBoxWarning) : QIcon());
    }
    m_markingForced = false;
}

bool FrameWindow::isMarkedForced(int slot) const {
    for (QTreeWidgetItemIterator it(m_tree); *it != nullptr; ++it) {
        if (!(*it)->data(0, ModuleTextRole).isNull() && (*it)->data(0, SlotRole).toInt() == slot) {
            return (*it)->data(0, ForcedRole).toBool();
        }
    }
    return false;
}

void FrameWindow::connectModules() {
    m_unsaved->watchStation();
    m_following->watchStation();
    for (const host::Station::ModuleInfo& module : m_station.modules()) {
        host::QT27Dtm* dtm = m_station.dtmForSlot(module.slot);
        if (dtm == nullptr) {
            continue;
        }
        dtm->setCommunicationObjects({&m_service});
        dtm->baseDtm()->messageService()->setDialogParent(this);
        // Modules are connected again after every reload: one connection per DTM. Qt
        // refuses a unique connection to a lambda, so the handler is a member.
        connect(dtm->baseDtm(), &host::BaseDtm::errorMessage, this, &FrameWindow::showDtmError,
                Qt::UniqueConnection);
        connect(dtm->baseDtm(), &qt27::BaseDtm::LockDataSet, this, &FrameWindow::showModuleStates,
                Qt::UniqueConnection);
        connect(dtm->baseDtm(), &qt27::BaseDtm::UnlockDataSet, this, &FrameWindow::showModuleStates,
                Qt::UniqueConnection);
        addToSimulation(m_simulation, module.slot, module.typeCode);
    }
}

void FrameWindow::writeReport() {
    ReportOptions options;
    options.slot = selectedSlot();
    options.language = m_station.language();
    QString errorText;
    const int slot = reportSlot(m_station, options, &errorText);
    if (slot == 0) {
        addError(errorText);
        return;
    }
    options.slot = slot;
    options.forcedMask = m_simulation.forcedMask(slot);
    const QString suggested = QFileInfo(m_station.projectPath())
                                  .absoluteDir()
                                  .filePath(QStringLiteral("report-slot-%1.pdf").arg(slot));
    const QString path = QFileDialog::getSaveFileName(this, tr("Commissioning report"), suggested,
                                                      tr("PDF (*.pdf);;HTML (*.html *.htm)"));
    if (path.isEmpty()) {
        return;
    }
    if (!writeCommissioningReport(m_station, options, path, &errorText)) {
        addError(errorText);
        return;
    }
    statusBar()->showMessage(tr("Report written to %1").arg(QDir::toNativeSeparators(path)));
}

int FrameWindow::selectedSlot() const {
    const QTreeWidgetItem* item = m_tree->currentItem();
    return item != nullptr ? item->data(0, SlotRole).toInt() : 0;
}

void FrameWindow::selectSlot(int slot) {
    QTreeWidgetItemIterator it(m_tree);
    for (; *it != nullptr; ++it) {
        if ((*it)->data(0, SlotRole).toInt() == slot && (*it)->data(0, PageRole).isNull() &&
            (*it)->parent() != nullptr && (*it)->parent()->parent() != nullptr) {
            m_tree->setCurrentItem(*it);
            return;
        }
    }
}

void FrameWindow::openFromTree(QTreeWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    const QString pageName = item->data(0, PageRole).toString();
    const int slot = item->data(0, SlotRole).toInt();
    if (!pageName.isEmpty() && slot != 0) {
        openPage(slot, pageName);
    }
}

void FrameWindow::openSelected(const QString& pageName) {
    const int slot = selectedSlot();
    if (slot == 0) {
        statusBar()->showMessage(tr("Select a module in the station tree first."), 5000);
        return;
    }
    openPage(slot, pageName);
}

LoopCheckWindow* FrameWindow::openLoopCheck(int slot) {
    if (m_station.moduleRecord(slot) == nullptr) {
        return nullptr;
    }
    LoopCheckWindow* window = m_loopChecks.value(slot);
    if (window == nullptr) {
        window = new LoopCheckWindow(m_station, slot, &m_simulation, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        m_loopChecks.insert(slot, window);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void FrameWindow::keepDiagnosis(int slot, const QByteArray& telegram) {
    const host::ModuleRecord* current = m_station.moduleRecord(slot);
    if (current == nullptr) {
        return;
    }
    host::ModuleRecord record = *current;
    record.lastDiagnosis = {QDateTime::currentDateTimeUtc(), telegram};
    m_station.storeModule(record);  // a failed write is reported through projectError
}

QMdiSubWindow* FrameWindow::openPage(int slot, const QString& pageName) {
    const PageType* type = m_registry.find(pageName);
    host::QT27Dtm* dtm = m_station.dtmForSlot(slot);
    if (type == nullptr || dtm == nullptr) {
        addError(tr("Cannot open %1 for slot %2").arg(pageName, twoDigits(slot)));
        return nullptr;
    }
    // A page that is open already is brought forward.
    for (OpenPage* open : std::as_const(m_pages)) {
        QMdiSubWindow* window = windowOf(open);
        if (open->slot() == slot && open->type().name == pageName && !open->isReleaseRequested() &&
            window != nullptr) {
            window->showNormal();
            m_mdi->setActiveSubWindow(window);
            return window;
        }
    }
    const QString invokeId = QStringLiteral("%1-%2-%3").arg(pageName, twoDigits(slot)).arg(++m_invokeCounter);
    auto* page = new OpenPage(*type, dtm, invokeId, this);
    page->setGracePeriod(m_gracePeriodMs);
    QMdiSubWindow* window = makePageWindow(page->widget());
    page->setWidgetOwnedElsewhere();
    page->setCloseGuard([this, page] { return m_unsaved->mayFollowCloseRequest(*page); });
    const QString typeName =
        m_station.moduleRecord(slot) != nullptr ? m_station.moduleRecord(slot)->typeName : QString();
    m_texts->add(window, [window, type, slot, typeName] {
        window->setWindowTitle(tr("%1 - slot %2 - %3").arg(displayCaption(*type), twoDigits(slot), typeName));
        retranslateSystemMenu(window);
    });
    window->installEventFilter(this);
    window->setProperty("invokeId", invokeId);
    m_mdi->addSubWindow(window);
    m_pages.append(page);

    connect(page, &OpenPage::released, this, [this, page, window] { pageFinished(page, window); });
    const int grace = m_gracePeriodMs;
    connect(page, &OpenPage::releaseTimedOut, this, [this, page, window, grace] {
        addError(tr("%1 did not release within %L2 s; its window was closed.")
                     .arg(page->description())
                     .arg(grace / 1000.0));
        pageFinished(page, window);
    });
    if (pageName == QLatin1String("Simulation") && m_simulation.hasModule(slot) &&
        m_simulation.forcedMask(slot) != 0) {
        // The new page knows nothing of forcing it did not start: its switches show off.
        addMessage(Severity::Warning,
                   tr("Slot %1: the module is still forced by an earlier Simulation page until the forcing "
                      "enable lapses; this page shows only what it forces itself.")
                       .arg(twoDigits(slot)));
    }
    page->init();
    placePageWindow(m_mdi, window);
    bindDialogKeys(window);
    return window;
}

void FrameWindow::pageFinished(OpenPage* page, QMdiSubWindow* window) {
    const int slot = page->slot();
    if (qobject_cast<qt27::Simulation*>(page->widget()) != nullptr && m_simulation.hasModule(slot) &&
        m_simulation.forcedMask(slot) != 0) {
        // Closing the page does not end forcing: the module goes on until the enable lapses.
        addMessage(Severity::Warning,
                   tr("Slot %1: the module stays forced until the forcing enable lapses, %L2 s "
                      "after the last enable.")
                       .arg(twoDigits(slot))
                       .arg(host::SimulatedStation::ForcingWatchdogMs / 1000));
    }
    m_pages.removeOne(page);
    page->deleteLater();
    if (window != nullptr) {
        window->removeEventFilter(this);
        // Close from the event loop: the release may be running inside the window's
        // own close request.
        QTimer::singleShot(0, window, &QMdiSubWindow::close);
    }
    if (m_quitting && m_pages.isEmpty()) {
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

bool FrameWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close) {
        auto* window = qobject_cast<QMdiSubWindow*>(watched);
        const QString invokeId = watched->property("invokeId").toString();
        for (OpenPage* page : m_pages) {
            if (window != nullptr && page->invokeId() == invokeId && !page->isReleased()) {
                // The window closes once the page has released itself; unsaved edits
                // may keep it open.
                event->ignore();
                if (m_unsaved->decide(*page) == UnsavedChanges::Decision::Release) {
                    m_unsaved->release(*page);
                }
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void FrameWindow::closeEvent(QCloseEvent* event) {
    if (!m_quitting) {
        const bool mayQuit = m_unsaved->mayQuit(m_pages, [this](OpenPage* page) {
            if (QMdiSubWindow* window = windowOf(page)) {
                m_mdi->setActiveSubWindow(window);
            }
        });
        if (!mayQuit) {
            event->ignore();
            return;
        }
    }
    // A running loop check is cancelled; the frame closes once its session is down.
    QList<LoopCheckWindow*> checks;
    for (const QPointer<LoopCheckWindow>& check : std::as_const(m_loopChecks)) {
        if (check != nullptr && check->run() != nullptr && check->run()->isRunning()) {
            checks.append(check);
        }
    }
    if (m_pages.isEmpty() && checks.isEmpty()) {
        event->accept();
        return;
    }
    m_quitting = true;
    event->ignore();
    for (LoopCheckWindow* check : checks) {
        connect(check, &QObject::destroyed, this, &QWidget::close, Qt::QueuedConnection);
        check->close();
    }
    const QList<OpenPage*> pages = m_pages;
    for (OpenPage* page : pages) {
        m_unsaved->release(*page);
    }
}

void FrameWindow::updateTitle() {
    bool unsaved = m_station.hasUnsavedChanges();
    for (OpenPage* page : std::as_const(m_pages)) {
        const auto* frame = qobject_cast<const qt27::PageFrame*>(page->widget());
        unsaved = unsaved || (frame != nullptr && frame->isDirty());
    }
    const QString file = QFileInfo(m_station.projectPath()).fileName();
    setWindowTitle(QStringLiteral("%1[*] - qt27frame").arg(file.isEmpty() ? tr("no project") : file));
    setWindowModified(unsaved);
}

QMdiSubWindow* FrameWindow::windowOf(const OpenPage* page) const {
    for (QMdiSubWindow* window : m_mdi->subWindowList()) {
        if (window->property("invokeId").toString() == page->invokeId()) {
            return window;
        }
    }
    return nullptr;
}

QStringList FrameWindow::errors() const {
    QStringList result;
    for (int row = 0; row < m_errors->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = m_errors->topLevelItem(row);
        result.append(QStringLiteral("%1  %2  %3")
                          .arg(item->text(TimeColumn), item->text(SeverityColumn), item->text(TextColumn)));
    }
    return result;
}

FrameWindow::Severity FrameWindow::severity(int row) const {
    const QTreeWidgetItem* item = m_errors->topLevelItem(row);
    return item != nullptr ? static_cast<Severity>(item->data(0, Qt::UserRole).toInt())
                           : Severity::Information;
}

QString FrameWindow::severityText(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return tr("Error");
        case Severity::Warning:
            return tr("Warning");
        case Severity::Information:
            break;
    }
    return tr("Information");
}

void FrameWindow::showDtmError(const QString& systemTag, const QString& text) {
    addError(systemTag + QStringLiteral(": ") + text);
}

void FrameWindow::addError(const QString& text) {
    addMessage(Severity::Error, text);
}

void FrameWindow::addMessage(Severity severity, const QString& text) {
    auto* item = new QTreeWidgetItem(m_errors);
    item->setData(0, Qt::UserRole, static_cast<int>(severity));
    item->setText(SeverityColumn, severityText(severity));
    const QStyle::StandardPixmap icons[] = {QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxWarning,
                                            QStyle::SP_MessageBoxInformation};
    item->setIcon(SeverityColumn, style()->standardIcon(icons[static_cast<int>(severity)]));
    item->setText(TimeColumn, QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    item->setText(TextColumn, text);
    item->setToolTip(TextColumn, text);
    m_errors->scrollToItem(item);
}

void FrameWindow::setLanguage(const QString& language) {
    m_station.setLanguage(language);
    // The frame's own texts follow at once (m_texts), its numbers too; pages opened
    // from now on use the language.
    useFrameLanguage(language);
    setLocale(QLocale());
    if (m_auditDock != nullptr) {
        m_auditDock->refresh();
    }
    for (QAction* action : m_languages->actions()) {
        action->setChecked(action->data().toString() == language);
    }
    statusBar()->showMessage(tr("Pages opened from now on use the new language."), 5000);
}

void FrameWindow::lockAsOtherUser() {
    const int slot = selectedSlot();
    host::QT27Dtm* dtm = m_station.dtmForSlot(slot);
    if (dtm == nullptr) {
        statusBar()->showMessage(tr("Select a module in the station tree first."), 5000);
        return;
    }
    const host::ModuleRecord* record = m_station.moduleRecord(slot);
    const QString moduleName =
        tr("slot %1 (%2)").arg(twoDigits(slot), record != nullptr ? record->typeName : QString());
    QScopedPointer<QInputDialog> dialog(makeLockDialog(this, moduleName, m_otherUser));
    const bool ok = dialog->exec() == QDialog::Accepted;
    const QString user = dialog->textValue();
    if (!ok || user.trimmed().isEmpty()) {
        return;
    }
    m_otherUser = user.trimmed();
    if (!dtm->baseDtm()->lockDataSetAs(m_otherUser)) {
        addMessage(
            Severity::Warning,
            tr("Slot %1: the data set is locked by %2").arg(twoDigits(slot), dtm->baseDtm()->lockOwner()));
    }
    showModuleStates();
}

void FrameWindow::releaseOtherUsersLock() {
    host::QT27Dtm* dtm = m_station.dtmForSlot(selectedSlot());
    if (dtm == nullptr) {
        return;
    }
    const QString owner = dtm->baseDtm()->lockOwner();
    if (owner.isEmpty() || owner == dtm->baseDtm()->userName()) {
        statusBar()->showMessage(tr("No other user holds the lock."), 5000);
        return;
    }
    // The pages lock themselves when a lock is given back; this DTM takes the lock
    // at once, so that its pages can be edited again and say who holds it now.
    dtm->baseDtm()->unlockDataSetAs(owner);
    dtm->baseDtm()->lockDataSetAs(dtm->baseDtm()->userName());
    keepApplyOffUnlessDirty(dtm->slot());
    showModuleStates();
}

void FrameWindow::lockAsThisDtm() {
    host::QT27Dtm* dtm = m_station.dtmForSlot(selectedSlot());
    if (dtm != nullptr && !dtm->baseDtm()->lockDataSetAs(dtm->baseDtm()->userName())) {
        addMessage(Severity::Warning, tr("Slot %1: the data set is locked by %2")
                                          .arg(twoDigits(selectedSlot()), dtm->baseDtm()->lockOwner()));
    }
    if (dtm != nullptr) {
        keepApplyOffUnlessDirty(dtm->slot());
    }
}

void FrameWindow::keepApplyOffUnlessDirty(int slot) {
    // A page that becomes editable again enables Apply; with nothing changed there is
    // nothing to apply.
    for (OpenPage* page : std::as_const(m_pages)) {
        auto* frame = qobject_cast<qt27::PageFrame*>(page->widget());
        if (page->slot() == slot && frame != nullptr && frame->buttons() != nullptr && !frame->isDirty()) {
            frame->buttons()->DisableApply();
        }
    }
}

void FrameWindow::unlockByCompatibility() {
    host::QT27Dtm* dtm = m_station.dtmForSlot(selectedSlot());
    if (dtm != nullptr) {
        dtm->baseDtm()->unlockDataSetAs(host::BaseDtm::kCompatibilityUser);
    }
}

void FrameWindow::openProject() {
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open station project"), m_station.projectPath(),
                                     tr("Station projects (*.xml);;All files (*)"));
    if (!path.isEmpty() && m_station.open(path)) {
        buildTree();
        connectModules();
    }
    m_auditDock->refresh();
}

void FrameWindow::saveLayout(QSettings& settings) const {
    settings.setValue(QStringLiteral("frame/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("frame/docks"), saveState());
}

void FrameWindow::restoreLayout(const QSettings& settings) {
    restoreGeometry(settings.value(QStringLiteral("frame/geometry")).toByteArray());
    restoreState(settings.value(QStringLiteral("frame/docks")).toByteArray());
}

bool FrameWindow::saveProjectAs(const QString& path) {
    QString reason;
    if (!m_station.project().save(path, &reason)) {
        addError(reason);
        return false;
    }
    if (!m_station.open(path)) {
        return false;
    }
    buildTree();
    connectModules();
    updateTitle();
    return true;
}

void FrameWindow::reloadProject() {
    // Texts and pictures are read again too: pages opened from now on show the
    // resource files as they are on disk.
    rmox::ResourceManager::Reload();
    m_station.reloadFromDisk();
}

}  // namespace frame
