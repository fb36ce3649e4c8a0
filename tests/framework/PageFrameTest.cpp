// The page frame seen from the host: the order of Init, the button bar set-up,
// the header, the data-set lock events, dirty handling, help and release.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/common/HelpUtilities.h"
#include "QT27Controls/framework/PageFrame.h"
#include "QT27Controls/framework/Twips.h"
#include "rmox/ButtonControl/ButtonControl.h"
#include "support/FakeHost.h"

using testsupport::FakeDtm;
using testsupport::FakeModule;

namespace {

// A page that uses every hook of the frame and records when each ran.
class TestPage : public qt27::PageFrame {
    Q_OBJECT
public:
    explicit TestPage(QStringList* log)
        : PageFrame(ButtonBar | SlotHeader | DataSetLockEvents | ParameterChangedEvents), m_log(log) {
        resize(600, 400);
    }

    using PageFrame::isDirty;
    using PageFrame::setDirty;

    int writes = 0;
    int rereads = 0;
    bool editorsLocked = false;

protected:
    void attachServices() override { m_log->append(QStringLiteral("hook:attachServices")); }
    void configureChildControls() override { m_log->append(QStringLiteral("hook:configureChildControls")); }
    void readAllValues() override {
        m_log->append(QStringLiteral("hook:readAllValues"));
        PageFrame::readAllValues();
    }
    ButtonSet buttonSet() const override { return {true, true, true, false}; }
    void afterButtonsConfigured() override { m_log->append(QStringLiteral("hook:afterButtonsConfigured")); }
    void beforeUiOpened() override { m_log->append(QStringLiteral("hook:beforeUiOpened")); }
    int helpContextId() const override { return 21500; }
    void setEditorsLocked(bool locked) override { editorsLocked = locked; }
    void writeDataSet() override {
        ++writes;
        m_log->append(QStringLiteral("hook:writeDataSet"));
    }
    void dataSetChanged() override { ++rereads; }

private:
    QStringList* m_log;
};

class PageFrameTest : public testing::Test {
protected:
    void SetUp() override {
        qt27::ReadDebugSettings(-1);
        page = std::make_unique<TestPage>(&dtm.log);
    }
    void TearDown() override { qt27::HelpUtilities::CloseAllHelp(); }

    void init() { ASSERT_TRUE(page->IDtmActiveXControl_Init(QStringLiteral("INV-1"), QString(), &dtm)); }
    QStringList barLog() const { return page->buttons()->OperationLog(); }
    QLabel* label(const char* name) const { return page->findChild<QLabel*>(QString::fromLatin1(name)); }

    FakeDtm dtm;
    std::unique_ptr<TestPage> page;
};

TEST_F(PageFrameTest, InitRunsItsStepsInOrderAndEndsWithUiOpened) {
    init();
    const QStringList& log = dtm.log;
    const auto at = [&](const QString& entry) { return log.indexOf(entry); };
    ASSERT_GE(at("hook:attachServices"), 0);
    EXPECT_LT(at("hook:attachServices"), at("RequestDocument(FDT)"));
    EXPECT_LT(at("RequestDocument(FDT)"), at("hook:configureChildControls"));
    EXPECT_LT(at("hook:configureChildControls"), at("MayEdit"));
    EXPECT_LT(at("MayEdit"), at("hook:readAllValues"));
    EXPECT_LT(at("hook:readAllValues"), at("hook:afterButtonsConfigured"));
    EXPECT_LT(at("hook:afterButtonsConfigured"), at("hook:beforeUiOpened"));
    EXPECT_LT(at("hook:beforeUiOpened"), at("UiOpened(INV-1)"));
    EXPECT_EQ(log.last(), QStringLiteral("UiOpened(INV-1)"));
    EXPECT_EQ(page->invokeId(), QStringLiteral("INV-1"));
}

TEST_F(PageFrameTest, InitConfiguresTheButtonBarInOrder) {
    init();
    const QStringList expected = {QStringLiteral("ResourceManager()"),
                                  QStringLiteral("SetSize(%1,%2)")
                                      .arg(qt27::pixelsToTwips(page->height()))
                                      .arg(qt27::pixelsToTwips(page->width())),
                                  QStringLiteral("SetButtons(1,1,1,0)"), QStringLiteral("DisableApply()"),
                                  QStringLiteral("StatusText(\"\")")};
    EXPECT_EQ(barLog(), expected);
}

TEST_F(PageFrameTest, InitWithoutHostLogsAndStillAnswersTrue) {
    EXPECT_TRUE(page->IDtmActiveXControl_Init(QStringLiteral("INV-2"), QString(), nullptr));
    EXPECT_TRUE(dtm.log.contains(QStringLiteral("hook:beforeUiOpened")));
    EXPECT_TRUE(dtm.calls(QStringLiteral("UiOpened")).isEmpty());
}

TEST_F(PageFrameTest, InitLocksThePageWhenTheBaseDtmForbidsEditing) {
    dtm.base.mayEdit = false;
    init();
    EXPECT_TRUE(page->isLocked());
    EXPECT_TRUE(page->editorsLocked);
    EXPECT_FALSE(page->buttons()->okButton()->isEnabled());
}

struct HeaderCase {
    int slot;
    const char* shown;
};

class PageFrameHeaderTest : public PageFrameTest, public testing::WithParamInterface<HeaderCase> {};

TEST_P(PageFrameHeaderTest, SlotNumberHasAtLeastTwoDigitsAndModuleTypeEndsLeftOfTheLabel) {
    dtm.module.slot = GetParam().slot;
    dtm.module.typeName = QStringLiteral("QT271-N with a longer name");
    init();
    EXPECT_EQ(label("lblSlotNumber")->text(), QString::fromLatin1(GetParam().shown));
    EXPECT_EQ(label("lblSlotNumberLabel")->text(),
              dtm.base.resources.GetString(6002, qt27::CommonResourceFolder()));
    QLabel* moduleType = label("lblModuleType");
    EXPECT_EQ(moduleType->text(), QStringLiteral("QT271-N with a longer name: "));
    // Left := lblSlotNumberLabel.Left - own width - 120 twips.
    EXPECT_EQ(moduleType->x() + moduleType->width() + qt27::twipsToPixels(120),
              label("lblSlotNumberLabel")->x());
}

INSTANTIATE_TEST_SUITE_P(Slots, PageFrameHeaderTest,
                         testing::Values(HeaderCase{7, "07"}, HeaderCase{0, "00"}, HeaderCase{12, "12"},
                                         HeaderCase{123, "123"}));

TEST_F(PageFrameTest, LockDataSetLocksUnlessThisInstanceHoldsTheLock) {
    init();
    dtm.base.holdsLock = false;
    emit dtm.base.LockDataSet(QStringLiteral("maintenance"));
    EXPECT_TRUE(page->isLocked());
    EXPECT_TRUE(page->buttons()->StatusText().endsWith(QStringLiteral(" maintenance")));
    EXPECT_FALSE(page->buttons()->okButton()->isEnabled());
    EXPECT_FALSE(page->buttons()->applyButton()->isEnabled());

    dtm.base.holdsLock = true;
    emit dtm.base.LockDataSet(QStringLiteral("engineer"));
    EXPECT_FALSE(page->isLocked());
    EXPECT_FALSE(page->editorsLocked);
    EXPECT_TRUE(page->buttons()->okButton()->isEnabled());
}

TEST_F(PageFrameTest, UnlockByCompatibilityIsIgnoredAnyOtherUnlockLocks) {
    init();
    dtm.base.holdsLock = true;
    emit dtm.base.LockDataSet(QStringLiteral("engineer"));
    const QString status = page->buttons()->StatusText();

    emit dtm.base.UnlockDataSet(QStringLiteral("COMPATIBILITY"));
    EXPECT_FALSE(page->isLocked());
    EXPECT_EQ(page->buttons()->StatusText(), status);

    emit dtm.base.UnlockDataSet(QStringLiteral("maintenance"));
    EXPECT_TRUE(page->isLocked());
    EXPECT_TRUE(page->editorsLocked);
    EXPECT_TRUE(page->buttons()->StatusText().isEmpty());
}

TEST_F(PageFrameTest, DirtyEnablesApplyAndApplyWritesOnlyWhenDirty) {
    init();
    page->buttons()->applyButton()->click();
    EXPECT_EQ(page->writes, 0);

    page->setDirty(true);
    EXPECT_TRUE(page->buttons()->applyButton()->isEnabled());
    page->buttons()->applyButton()->click();
    EXPECT_EQ(page->writes, 1);
    EXPECT_FALSE(page->isDirty());
    EXPECT_FALSE(page->buttons()->applyButton()->isEnabled());
}

TEST_F(PageFrameTest, OkWritesThenClosesCancelDiscardsThenCloses) {
    init();
    page->setDirty(true);
    page->ctlButtons_Ok();
    EXPECT_EQ(dtm.log.mid(dtm.log.size() - 2),
              (QStringList{QStringLiteral("hook:writeDataSet"), QStringLiteral("CloseUi(INV-1)")}));

    page->setDirty(true);
    page->ctlButtons_Cancel();
    EXPECT_EQ(page->writes, 1);
    EXPECT_FALSE(page->isDirty());
    EXPECT_EQ(dtm.log.last(), QStringLiteral("CloseUi(INV-1)"));
}

TEST_F(PageFrameTest, ParameterChangedOfBaseDtmAndParameterManagerReRead) {
    init();
    emit dtm.base.ParameterChanged();
    emit dtm.base.parameterManager.ParameterChanged();
    EXPECT_EQ(page->rereads, 2);
}

TEST_F(PageFrameTest, ReleaseWithoutChangesAsksNothingAndEndsEditingBeforeUiReleased) {
    init();
    EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
    EXPECT_TRUE(dtm.base.messages.questions.isEmpty());
    EXPECT_EQ(dtm.log.mid(dtm.log.size() - 2),
              (QStringList{QStringLiteral("EndEditing"), QStringLiteral("UiReleased(INV-1)")}));
    EXPECT_TRUE(page->isReleased());

    // The references are dropped: events of the base DTM no longer reach the page.
    emit dtm.base.LockDataSet(QStringLiteral("maintenance"));
    emit dtm.base.ParameterChanged();
    EXPECT_FALSE(page->isLocked());
    EXPECT_EQ(page->rereads, 0);
}

TEST_F(PageFrameTest, ReleaseWithChangesAsksAndWritesOnYes) {
    init();
    page->setDirty(true);
    dtm.base.messages.answer = qt27::MessageService::AnswerYes;
    page->IDtmActiveXControl_PrepareToRelease();
    ASSERT_EQ(dtm.base.messages.questions.size(), 1);
    const QStringList question = dtm.base.messages.questions.first();
    EXPECT_EQ(question[1], QStringLiteral("QT27Ex"));
    EXPECT_EQ(question[2], QStringLiteral("4"));
    EXPECT_FALSE(question[0].isEmpty());
    EXPECT_EQ(page->writes, 1);
    EXPECT_LT(dtm.log.indexOf("hook:writeDataSet"), dtm.log.indexOf("UiReleased(INV-1)"));
}

TEST_F(PageFrameTest, ReleaseWithChangesAndNoDiscards) {
    init();
    page->setDirty(true);
    dtm.base.messages.answer = qt27::MessageService::AnswerNo;
    page->IDtmActiveXControl_PrepareToRelease();
    EXPECT_EQ(dtm.base.messages.questions.size(), 1);
    EXPECT_EQ(page->writes, 0);
    EXPECT_EQ(dtm.log.last(), QStringLiteral("UiReleased(INV-1)"));
}

TEST_F(PageFrameTest, HelpKeepsTheLastHandleAndReleaseClosesAllHelpWindows) {
    init();
    page->ctlButtons_Help();
    const quintptr first = page->helpWindowHandle();
    page->ctlButtons_Help();
    const quintptr second = page->helpWindowHandle();
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_GE(qt27::HelpUtilities::OpenHelpWindowCount(), 1);

    page->IDtmActiveXControl_PrepareToRelease();
    EXPECT_EQ(qt27::HelpUtilities::OpenHelpWindowCount(), 0);
}

TEST_F(PageFrameTest, ButtonBarFollowsThePageSize) {
    init();
    page->show();
    page->resize(700, 500);
    rmox::ButtonControl* bar = page->buttons();
    EXPECT_EQ(bar->x(), 0);
    EXPECT_EQ(bar->width(), 700);
    EXPECT_EQ(bar->y() + bar->height(), 500);
}

TEST_F(PageFrameTest, LogTagIsTheClassNameWithoutNamespace) {
    EXPECT_EQ(page->className(), QStringLiteral("TestPage"));
}

}  // namespace

#include "PageFrameTest.moc"
