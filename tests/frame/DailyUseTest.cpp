// The frame in daily use: unsaved edits are never lost by a key press or a failed
// store, every page's controls can be reached, a committed change reaches every
// open page of the module, and the lock menu leaves usable pages.

#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QFile>
#include <QHeaderView>
#include <QInputDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTreeWidget>

#include "QT27Controls/observation/ChannelObservation.h"
#include "QT27Controls/observation/Observation.h"
#include "QT27Controls/parameter/ChannelParameter.h"
#include "QT27Controls/parameter/Parameter.h"
#include "frame/LockDialog.h"
#include "frame/ModuleStates.h"
#include "frame/PageWindows.h"
#include "frame/UnsavedChanges.h"
#include "host/MessageService.h"
#include "host/ParameterManager.h"
#include "host/StationProject.h"
#include "rmox/ButtonControl/ButtonControl.h"
#include "rmox/ResourceServer/ResourceManager.h"
#include "support/FrameFixture.h"

namespace {

using Answer = frame::UnsavedChanges::Answer;
using testsupport::waitFor;
constexpr int kSlot = 3;  // type 37; channel 2 in range 0

class DailyUseTest : public testsupport::FrameFixture {
protected:
    qt27::Parameter* openParameter() {
        subWindow = window->openPage(kSlot, QStringLiteral("Parameter"));
        return qobject_cast<qt27::Parameter*>(frame::pageIn(subWindow));
    }
    // The station tree's line of the module in @p slot: the state as laid out in
    // column 1, the whole of it in its tool tip.
    QTreeWidgetItem* moduleItem(int slot) const {
        for (QTreeWidgetItemIterator it(window->findChild<QTreeWidget*>()); *it != nullptr; ++it) {
            if ((*it)->text(0).startsWith(station.moduleRecord(slot)->typeName)) {
                return *it;
            }
        }
        return nullptr;
    }
    quint8 storedByte(int channel) const {
        return static_cast<quint8>(station.moduleRecord(kSlot)->parameters.at(channel));
    }
    QPointer<QMdiSubWindow> subWindow;
};

// An edit of channel 2's range, then the window closed, the page's OK or quitting;
// "unwritten" applies the edit first while the file was changed by someone else.
struct UnsavedCase {
    const char* name;
    const char* act;  // close, ok, quit, or the keys Escape and Enter on the page
    Answer answer;
    bool lockedByOther;
    bool unwritten;
    int questions;
    bool stays;
    bool stored;
};

class UnsavedEditsTest : public DailyUseTest, public testing::WithParamInterface<UnsavedCase> {};

TEST_P(UnsavedEditsTest, AreStoredDiscardedOrKeptAsTheUserSays) {
    const UnsavedCase& row = GetParam();
    QStringList asked;
    window->unsavedChanges()->setAsker([&](const QString& text, const QString& title) {
        asked << title + ": " + text;
        return row.answer;
    });
    int pageAsked = 0;  // the page's own question through the message service
    baseDtmOf(kSlot)->messageService()->setAnswerFunction([&](const QString&, const QString&, int) {
        ++pageAsked;
        return int(host::MessageService::AnswerNo);
    });
    qt27::Parameter* page = openParameter();
    const quint8 before = storedByte(1);
    page->ctlChannelParameter_RangeChanged(1, 2);
    if (row.unwritten) {
        QFile file(station.projectPath());
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("<!-- changed elsewhere -->\n");
        file.close();
        page->ctlButtons_Apply();
        ASSERT_TRUE(station.hasUnsavedChanges());
    }
    if (row.lockedByOther) {
        ASSERT_TRUE(baseDtmOf(kSlot)->lockDataSetAs(QStringLiteral("operator")));
    }
    const QString question = station.moduleRecord(kSlot)->typeName + ": " +
                             page->commonResourceManager()->GetString(6501, page->commonResourceFolder());
    const QString act = QLatin1String(row.act);
    if (act == "close") {
        subWindow->close();
    } else if (act == "ok") {
        page->ctlButtons_Ok();
    } else if (act == "escape" || act == "enter") {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        page->channelParameter(0)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), act == "escape" ? Qt::Key_Escape : Qt::Key_Return);
    } else {
        window->close();
    }
    if (row.stays) {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_TRUE(!subWindow.isNull() && window->isVisible());
    } else {
        EXPECT_TRUE(waitFor([&] { return subWindow.isNull() && (act != "quit" || !window->isVisible()); }));
    }
    EXPECT_EQ(asked.size(), row.questions) << asked.join('\n').toStdString();
    if (!row.unwritten && row.questions > 0) {
        EXPECT_EQ(asked.value(0), question);
    }
    EXPECT_EQ(pageAsked, 0) << "the page's question is asked once, by the frame";
    EXPECT_EQ(storedByte(1) != before, row.stored);
    if (row.stays && row.lockedByOther) {
        EXPECT_TRUE(page->isDirty() && window->errors().filter(QStringLiteral("Not stored")).size() == 1);
        ASSERT_TRUE(baseDtmOf(kSlot)->unlockDataSetAs(QStringLiteral("operator")));
        ASSERT_TRUE(baseDtmOf(kSlot)->lockDataSetAs(baseDtmOf(kSlot)->userName()));
        page->ctlButtons_Apply();
        EXPECT_NE(storedByte(1), before) << "Apply stores the kept edit once the lock allows";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frame, UnsavedEditsTest,
    testing::Values(
        UnsavedCase{"EscapeKeepsTheWindow", "close", Answer::Cancel, false, false, 1, true, false},
        UnsavedCase{"NoDiscards", "close", Answer::No, false, false, 1, false, false},
        UnsavedCase{"YesStores", "close", Answer::Yes, false, false, 1, false, true},
        UnsavedCase{"RefusedStoreKeeps", "close", Answer::Yes, true, false, 1, true, false},
        UnsavedCase{"RefusedOkKeeps", "ok", Answer::Yes, true, false, 0, true, false},
        UnsavedCase{"EscapeKeyAsks", "escape", Answer::Cancel, false, false, 1, true, false},
        UnsavedCase{"EnterKeyIsOk", "enter", Answer::Cancel, false, false, 0, false, true},
        UnsavedCase{"QuitEscapeStays", "quit", Answer::Cancel, false, false, 1, true, false},
        UnsavedCase{"QuitRefusedStays", "quit", Answer::Yes, true, false, 1, true, false},
        UnsavedCase{"QuitNoQuits", "quit", Answer::No, false, false, 1, false, false},
        UnsavedCase{"QuitUnwrittenSaveFailsStays", "quit", Answer::Yes, false, true, 1, true, true},
        UnsavedCase{"QuitUnwrittenNoQuits", "quit", Answer::No, false, true, 1, false, true}),
    [](const testing::TestParamInfo<UnsavedCase>& info) { return std::string(info.param.name); });

// Every page opens fully visible at the default frame size for screens at 100 % and
// at 150 %, never squeezed below its own size; its button bar can be scrolled to,
// also after Tile, and shows without scrolling on the screens at 100 %.
class PageWindowsTest : public DailyUseTest, public testing::WithParamInterface<std::pair<QSize, bool>> {};

TEST_P(PageWindowsTest, EveryButtonBarIsInReach) {
    const auto [available, everyPageFits] = GetParam();
    const QSize size = frame::defaultFrameSize(available);
    EXPECT_TRUE(size.width() <= available.width() && size.height() <= available.height());
    window->resize(size);
    QCoreApplication::processEvents();
    // The tree as wide as the frame gives it on that screen, with a long state.
    window->resizeDocks({window->findChild<QDockWidget*>(QStringLiteral("dockStation"))}, {size.width() / 3},
                        Qt::Horizontal);
    simulation.setOpenLine(kSlot, 1, true);
    ASSERT_TRUE(baseDtmOf(kSlot)->lockDataSetAs(QStringLiteral("operator")));
    auto* area = window->findChild<QMdiArea*>();
    const auto barInReach = [&](QMdiSubWindow* sub, bool withoutScrolling) {
        QWidget* page = frame::pageIn(sub);
        auto* bar = page->findChild<QWidget*>(QStringLiteral("ctlButtons"));
        auto* scroller = qobject_cast<QScrollArea*>(sub->widget());
        EXPECT_TRUE(page->width() >= page->sizeHint().width() && page->height() >= page->sizeHint().height());
        if (bar == nullptr) {
            return;
        }
        if (withoutScrolling) {
            EXPECT_EQ(scroller->verticalScrollBar()->maximum(), 0) << page->objectName().toStdString();
        }
        QCoreApplication::processEvents();
        scroller->ensureWidgetVisible(bar, 0, 0);
        const QRect shown(bar->mapTo(scroller->viewport(), QPoint(0, 0)), bar->size());
        // The bar spans the page's width; what counts is that its height is in view.
        EXPECT_TRUE(shown.top() >= 0 && shown.bottom() <= scroller->viewport()->rect().bottom())
            << page->objectName().toStdString();
    };
    for (const frame::PageType& type : registry.types()) {
        QMdiSubWindow* sub = window->openPage(kSlot, type.name);
        EXPECT_TRUE(area->viewport()->rect().contains(sub->geometry())) << type.name.toStdString();
        barInReach(sub, everyPageFits);
    }
    area->tileSubWindows();
    for (QMdiSubWindow* sub : area->subWindowList()) {
        barInReach(sub, false);
    }
    // Each module's state is read in full without scrolling sideways.
    auto* tree = window->findChild<QTreeWidget*>();
    ASSERT_TRUE(waitFor([&] { return moduleItem(kSlot)->toolTip(1).contains(QStringLiteral("open line")); }));
    const int room = tree->header()->sectionSize(1) - tree->style()->pixelMetric(QStyle::PM_SmallIconSize);
    for (const host::Station::ModuleInfo& module : station.modules()) {
        for (const QString& line : moduleItem(module.slot)->text(1).split('\n')) {
            EXPECT_LE(tree->fontMetrics().horizontalAdvance(line), room) << line.toStdString();
        }
    }
    EXPECT_EQ(tree->horizontalScrollBar()->maximum(), 0);
}

INSTANTIATE_TEST_SUITE_P(Frame, PageWindowsTest,
                         testing::Values(std::pair{QSize(1600, 1000), true},
                                         std::pair{QSize(1280, 820), true},
                                         std::pair{QSize(1280, 720), false},
                                         std::pair{QSize(853, 546), false}));

TEST_F(DailyUseTest, CommittedRangeReachesTheOpenObservation) {
    auto* observation = qobject_cast<qt27::Observation*>(
        frame::pageIn(window->openPage(kSlot, QStringLiteral("Observation"))));
    qt27::Parameter* page = openParameter();
    ASSERT_EQ(observation->channelObservation(1)->Range(), 0);
    page->ctlChannelParameter_RangeChanged(1, 2);
    EXPECT_EQ(observation->channelObservation(1)->Range(), 0) << "not before it is stored";
    page->ctlButtons_Apply();
    EXPECT_EQ(observation->channelObservation(1)->Range(), 2);
    EXPECT_EQ(observation->channelObservation(0)->Range(), (storedByte(0) >> 2) & 3);
}

// The tree tells each module's state as the pages learn it: online while a page is
// connected, a channel fault from the values' invalid bit and, after a diagnosis, in
// words (also on the channel's state picture), a lock held by another user.
TEST_F(DailyUseTest, TreeAndStatePictureTellTheModuleState) {
    const auto shown = [&] { return moduleItem(kSlot)->toolTip(1); };
    EXPECT_EQ(shown(), QStringLiteral("offline"));
    simulation.setOpenLine(kSlot, 1, true);
    QPointer<QMdiSubWindow> observation = window->openPage(kSlot, QStringLiteral("Observation"));
    ASSERT_TRUE(waitFor([&] { return shown() == QStringLiteral("online, channel 2: invalid value"); }))
        << shown().toStdString();
    window->openPage(kSlot, QStringLiteral("Diagnosis"));
    ASSERT_TRUE(waitFor([&] { return shown().contains(QStringLiteral("channel 2: open line")); }))
        << shown().toStdString();
    auto* picture = frame::pageIn(observation)->findChildren<QWidget*>(QStringLiteral("imgState")).value(1);
    EXPECT_EQ(picture->toolTip(), QStringLiteral("Channel 2: open line"));
    ASSERT_TRUE(baseDtmOf(kSlot)->lockDataSetAs(QStringLiteral("operator")));
    EXPECT_TRUE(shown().endsWith(QStringLiteral(", locked by operator")));
    window->findChild<QMdiArea*>()->closeAllSubWindows();
    EXPECT_TRUE(waitFor([&] { return shown().startsWith(QStringLiteral("offline, ")); }))
        << shown().toStdString();
}

// Opening an open page brings its window forward; the Window menu lists the windows
// and closes the active one; the title names the project file, marked while a page
// holds an unsaved edit.
TEST_F(DailyUseTest, WindowMenuAndTitle) {
    qt27::Parameter* page = openParameter();
    QMdiSubWindow* observation = window->openPage(kSlot, QStringLiteral("Observation"));
    EXPECT_EQ(window->openPage(kSlot, QStringLiteral("Parameter")), subWindow.data());
    auto* area = window->findChild<QMdiArea*>();
    EXPECT_EQ(area->activeSubWindow(), subWindow.data());
    auto* menu = window->findChild<QMenu*>(QStringLiteral("mnuWindow"));
    emit menu->aboutToShow();
    QStringList listed;
    for (QAction* action : menu->actions()) {
        if (action->isCheckable()) {
            listed << action->text().section(' ', 1) + (action->isChecked() ? " *" : "");
        }
    }
    EXPECT_EQ(listed, QStringList({subWindow->windowTitle() + " *", observation->windowTitle()}));
    EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("station.xml[*]")));
    page->ctlChannelParameter_RangeChanged(1, 2);
    EXPECT_TRUE(waitFor([&] { return window->isWindowModified(); }));
    page->ctlButtons_Apply();
    EXPECT_TRUE(waitFor([&] { return !window->isWindowModified(); }));
    area->setActiveSubWindow(observation);
    menu->actions().first()->trigger();  // Close window, Ctrl+F4
    EXPECT_TRUE(waitFor([&] { return area->subWindowList().size() == 1; }));
    EXPECT_EQ(menu->actions().first()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F4));
}

// Save As writes what is in memory and goes on with the new file; a folder is
// refused and named. The error panel copies its entries and clears them.
TEST_F(DailyUseTest, SaveAsAndTheErrorPanel) {
    const QString other = dir.filePath(QStringLiteral("other.xml"));
    ASSERT_TRUE(window->saveProjectAs(other));
    EXPECT_EQ(station.projectPath(), other);
    EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("other.xml")));
    EXPECT_EQ(host::StationProject::load(other).modules.size(), station.modules().size());
    EXPECT_FALSE(window->saveProjectAs(dir.path()));
    EXPECT_EQ(window->errors().filter(QDir::toNativeSeparators(dir.path())).size(), 1);
    auto* panel = window->findChild<QTreeWidget*>(QStringLiteral("lstErrors"));
    panel->actions().value(0)->trigger();  // Copy: everything when nothing is selected
    EXPECT_EQ(QGuiApplication::clipboard()->text(), window->errors().join('\n'));
    panel->actions().value(2)->trigger();  // Clear
    EXPECT_TRUE(window->errors().isEmpty());
}

TEST_F(DailyUseTest, LayoutIsKeptBetweenRuns) {
    QSettings settings(dir.filePath(QStringLiteral("frame.ini")), QSettings::IniFormat);
    window->resize(1400, 700);
    window->findChild<QDockWidget*>(QStringLiteral("dockErrors"))->hide();
    window->findChild<QDockWidget*>(QStringLiteral("dockSimulation"))->show();
    window->saveLayout(settings);
    frame::FrameWindow next(station, simulation, service, registry);
    next.restoreLayout(settings);
    next.show();
    EXPECT_EQ(next.size(), QSize(1400, 700));
    EXPECT_TRUE(next.findChild<QDockWidget*>(QStringLiteral("dockErrors"))->isHidden());
    EXPECT_FALSE(next.findChild<QDockWidget*>(QStringLiteral("dockSimulation"))->isHidden());
}

// What the module states make of the answers the service sends: the last value
// telegram's invalid and forced bits, the last diagnosis, answers with an error.
TEST_F(DailyUseTest, ModuleStatesReadTheAnswers) {
    frame::ModuleStates states(station, service);
    int counter = 0;
    const auto answer = [&](int index, const char* hex, const char* error = "0") {
        const QString id = QStringLiteral("read-%1").arg(++counter);
        emit service.requestReceived(
            host::CommunicationService::RequestKind::Transaction, id,
            QStringLiteral("<FDT><ReadRequest slot=\"3\" index=\"%1\"/></FDT>").arg(index));
        emit service.answerSent(
            host::CommunicationService::RequestKind::Transaction, id,
            QStringLiteral("<FDT><ReadResponse slot=\"3\" errorCode=\"%1\"><CommunicationData "
                           "byteArray=\"%2\"/></ReadResponse></FDT>")
                .arg(QLatin1String(error), QLatin1String(hex)));
        return frame::describeModuleState(states.state(kSlot));
    };
    EXPECT_EQ(answer(16, "058000006407FF0000"), "offline, channel 1: invalid value, forced 1, 3");
    EXPECT_EQ(answer(18, "00112233"),
              "offline, channel 1: short circuit, channel 2: open line, channel 3: overrange, forced 1, 3");
    EXPECT_EQ(answer(16, "000000006480000000"), "offline, channel 3: overrange");
    EXPECT_EQ(answer(18, "0244", "DE80A0"), "offline, channel 3: overrange")
        << "an error answer changes nothing";
    EXPECT_EQ(answer(18, "0244"), "offline, module fault 2, channel 3: invalid value, channel 4: underrange");
}

// The lock menu leaves the page editable with Apply off while nothing changed, and
// its status says who holds the lock.
class LockMenuTest : public DailyUseTest, public testing::WithParamInterface<const char*> {};

TEST_P(LockMenuTest, LeavesAUsablePageWithApplyOff) {
    qt27::Parameter* page = openParameter();
    if (QLatin1String(GetParam()) == QLatin1String("Release the other user's lock")) {
        ASSERT_TRUE(baseDtmOf(kSlot)->lockDataSetAs(QStringLiteral("operator")));
        ASSERT_TRUE(page->isLocked());
    }
    triggerMenu(QLatin1String(GetParam()), kSlot);
    EXPECT_FALSE(page->isLocked());
    EXPECT_TRUE(page->buttons()->okButton()->isEnabled());
    EXPECT_FALSE(page->buttons()->applyButton()->isEnabled());
    EXPECT_TRUE(page->buttons()->StatusText().endsWith(baseDtmOf(kSlot)->userName()));
    page->ctlChannelParameter_RangeChanged(1, 2);
    EXPECT_TRUE(page->buttons()->applyButton()->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Frame, LockMenuTest,
                         testing::Values("Release the other user's lock", "Lock as this DTM"));

// Ctrl+Tab activates the next window, Ctrl+Shift+Tab (Backtab) the one before,
// round the ends.
TEST_F(DailyUseTest, CtrlTabCyclesTheWindows) {
    auto* area = window->findChild<QMdiArea*>();
    for (const char* page : {"About", "Parameter", "Diagnosis"}) {
        window->openPage(kSlot, QLatin1String(page));
    }
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const QList<QMdiSubWindow*> order = area->subWindowList();
    const auto count = order.size();
    for (const auto& [key, modifiers, step] :
         {std::tuple{Qt::Key_Tab, Qt::KeyboardModifiers(Qt::ControlModifier), 1},
          std::tuple{Qt::Key_Tab, Qt::KeyboardModifiers(Qt::ControlModifier), 1},
          std::tuple{Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, -1},
          std::tuple{Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, -1},
          std::tuple{Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, -1}}) {
        const auto before = order.indexOf(area->activeSubWindow());
        ASSERT_GE(before, 0);
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : window.get(), key, modifiers);
        EXPECT_EQ(area->activeSubWindow(), order.value((before + step + count) % count))
            << before << " " << step;
    }
}

// The error panel tells each entry's severity in words and by a picture, with its
// time: a refused lock is a warning, what a DTM reports an error.
TEST_F(DailyUseTest, ErrorPanelTellsTheSeverity) {
    using Severity = frame::FrameWindow::Severity;
    ASSERT_TRUE(baseDtmOf(kSlot)->lockDataSetAs(QStringLiteral("operator")));
    triggerMenu(QStringLiteral("Lock as this DTM"), kSlot);
    emit baseDtmOf(kSlot)->errorMessage(QStringLiteral("QT27"), QStringLiteral("Transaction failed"));
    const std::pair<Severity, QString> expected[] = {
        {Severity::Warning, "the data set is locked by operator"},
        {Severity::Error, "QT27: Transaction failed"}};
    auto* panel = window->findChild<QTreeWidget*>(QStringLiteral("lstErrors"));
    ASSERT_EQ(panel->topLevelItemCount(), 2);
    for (int row = 0; row < 2; ++row) {
        const auto& [severity, text] = expected[row];
        EXPECT_EQ(window->severity(row), severity);
        EXPECT_EQ(panel->topLevelItem(row)->text(0), frame::FrameWindow::severityText(severity));
        EXPECT_FALSE(panel->topLevelItem(row)->icon(0).isNull());
        const QRegularExpression line(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d  %1  .*%2$")
                                          .arg(frame::FrameWindow::severityText(severity), text));
        EXPECT_TRUE(line.match(window->errors().value(row)).hasMatch())
            << window->errors().value(row).toStdString();
    }
}

// The state breaks into lines only where the column is too narrow: one part a
// line, a part between its words.
TEST(StateLayoutTest, BreaksOnlyWhereTheColumnIsTooNarrow) {
    const QFontMetrics metrics(QApplication::font());
    const QStringList parts = {QStringLiteral("online"), QStringLiteral("channel 2: open line"),
                               QStringLiteral("locked by operator")};
    const auto widthOf = [&](const char* text) { return metrics.horizontalAdvance(QLatin1String(text)); };
    for (const auto& [width, expected] :
         {std::pair{widthOf("online, channel 2: open line, locked by operator"),
                    "online, channel 2: open line, locked by operator"},
          std::pair{widthOf("channel 2: open line"), "online\nchannel 2: open line\nlocked by operator"},
          std::pair{widthOf("channel 2:"), "online\nchannel 2:\nopen line\nlocked by\noperator"},
          std::pair{1, "online\nchannel\n2:\nopen\nline\nlocked\nby\noperator"}}) {
        EXPECT_EQ(frame::layOutModuleState(parts, metrics, width).toStdString(), expected) << width;
    }
}

TEST(DefaultLanguageTest, FollowsTheSystemLocale) {
    for (const auto& [locale, language] :
         {std::pair{"de_DE", "de"}, std::pair{"de_AT", "de"}, std::pair{"en_US", "en"},
          std::pair{"fr_FR", "en"}, std::pair{"C", "en"}}) {
        EXPECT_EQ(frame::defaultLanguage(QLocale(QLatin1String(locale))), QLatin1String(language)) << locale;
    }
}

TEST(LockDialogTest, TitleNamesTheModuleAndFits) {
    QWidget parent;
    std::unique_ptr<QInputDialog> dialog(
        frame::makeLockDialog(&parent, QStringLiteral("slot 03 (QT27 AI)"), "op"));
    dialog->show();
    EXPECT_TRUE(dialog->windowTitle().contains(QStringLiteral("slot 03 (QT27 AI)")));
    EXPECT_GT(dialog->width(), QFontMetrics(dialog->font()).horizontalAdvance(dialog->windowTitle()));
    EXPECT_EQ(dialog->textValue(), QStringLiteral("op"));
}

}  // namespace
