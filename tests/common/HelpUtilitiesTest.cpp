#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QWidget>
#include <memory>

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/common/HelpUtilities.h"
#include "rmox/Error.h"

using namespace qt27;
using namespace qt27::HelpUtilities;

namespace {

/// The help windows on screen.
QList<QTextBrowser*> HelpBrowsers() {
    QList<QTextBrowser*> browsers;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* browser = qobject_cast<QTextBrowser*>(widget); browser != nullptr && browser->isVisible()) {
            browsers.append(browser);
        }
    }
    return browsers;
}

class Help : public testing::Test {
protected:
    void TearDown() override { CloseAllHelp(); }
};

TEST_F(Help, HelpFileLiesOneLevelAboveTheLibrary) {
    EXPECT_EQ(HelpFilePath(),
              QDir::toNativeSeparators(ApplicationFolder() + QStringLiteral("/../help/rimox.chm")));
    EXPECT_EQ(TopicPath(21400),
              QDir::toNativeSeparators(ApplicationFolder() + QStringLiteral("/../help/rimox/21400.html")));
    EXPECT_EQ(TopicPath(0),
              QDir::toNativeSeparators(ApplicationFolder() + QStringLiteral("/../help/rimox/index.html")));
}

struct TopicCase {
    int contextId;
    const char* file;
    const char* title;
};

class HelpTopics : public Help, public testing::WithParamInterface<TopicCase> {};

TEST_P(HelpTopics, EachPageOpensItsOwnTopic) {
    QWidget page;
    page.show();
    const quintptr handle = ShowHelp(&page, GetParam().contextId);
    EXPECT_NE(handle, 0u);
    const QList<QTextBrowser*> browsers = HelpBrowsers();
    ASSERT_EQ(browsers.size(), 1);
    EXPECT_EQ(OpenHelpWindowCount(), 1);
    EXPECT_TRUE(browsers.first()->isWindow());
    EXPECT_EQ(browsers.first()->source().fileName(), QString::fromLatin1(GetParam().file));
    EXPECT_EQ(browsers.first()->windowTitle(), QString::fromLatin1(GetParam().title));
    EXPECT_FALSE(browsers.first()->toPlainText().trimmed().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Pages, HelpTopics,
                         testing::Values(TopicCase{0, "index.html", "QT27 analog input module - Help"},
                                         TopicCase{21200, "21200.html", "QT27 Diagnosis"},
                                         TopicCase{21300, "21300.html", "QT27 Identification"},
                                         TopicCase{21400, "21400.html", "QT27 Observation"},
                                         TopicCase{21500, "21500.html", "QT27 Parameter"},
                                         TopicCase{21600, "21600.html", "QT27 Simulation"}));

TEST_F(Help, SecondCallShowsItsTopicInTheSameWindow) {
    const quintptr first = ShowHelp(nullptr, 21500);
    const quintptr second = ShowHelp(nullptr, 21400);
    EXPECT_EQ(first, second);
    ASSERT_EQ(OpenHelpWindowCount(), 1);
    EXPECT_EQ(HelpBrowsers().first()->source().fileName(), QStringLiteral("21400.html"));
    EXPECT_EQ(HelpBrowsers().first()->windowTitle(), QStringLiteral("QT27 Observation"));
}

TEST_F(Help, CloseAllDeletesTheWindowsAndANewWindowGetsANewHandle) {
    const quintptr first = ShowHelp(nullptr, 21200);
    QPointer<QTextBrowser> window = HelpBrowsers().value(0);
    ASSERT_FALSE(window.isNull());
    CloseAllHelp();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(OpenHelpWindowCount(), 0);
    const quintptr second = ShowHelp(nullptr, 21200);
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(HtmlHelp(nullptr, QString(), HH_CLOSE_ALL, 0), 0u);
    EXPECT_EQ(OpenHelpWindowCount(), 0);
}

TEST_F(Help, WindowClosedByTheUserIsGone) {
    const quintptr first = ShowHelp(nullptr, 21300);
    QPointer<QTextBrowser> window = HelpBrowsers().value(0);
    ASSERT_FALSE(window.isNull());
    window->close();
    EXPECT_EQ(OpenHelpWindowCount(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_NE(ShowHelp(nullptr, 21300), first);
}

TEST_F(Help, HelpWindowOutlivesItsOwner) {
    auto page = std::make_unique<QWidget>();
    ShowHelp(page.get(), 21500);
    page.reset();
    EXPECT_EQ(OpenHelpWindowCount(), 1);
}

TEST_F(Help, MissingTopicRaisesFileNotFoundAndOpensNothing) {
    try {
        ShowHelp(nullptr, 12345);
        FAIL() << "no error raised";
    } catch (const rmox::Error& error) {
        EXPECT_EQ(error.number(), rmox::Error::FileNotFound);
        EXPECT_TRUE(error.description().contains(TopicPath(12345))) << error.description().toStdString();
    }
    EXPECT_EQ(OpenHelpWindowCount(), 0);
}

TEST_F(Help, DisplayTopicShowsTheDefaultTopicOfTheGivenFile) {
    HtmlHelp(nullptr, HelpFilePath(), HH_DISPLAY_TOPIC, 21200);
    ASSERT_EQ(OpenHelpWindowCount(), 1);
    EXPECT_EQ(HelpBrowsers().first()->source().fileName(), QStringLiteral("index.html"));
    EXPECT_THROW(HtmlHelp(nullptr, QStringLiteral("/nonexistent/help/rimox.chm"), HH_HELP_CONTEXT, 21200),
                 rmox::Error);
}

}  // namespace
