// The page frame seen from the host: the order of Init with the page's hooks, the
// button bar set-up, the header, help and the layout. Locks, dirty handling and the
// release question are tested on the Parameter page, which uses all of them.
#include <gtest/gtest.h>

#include "QT27Controls/framework/PageFrame.h"
#include "QT27Controls/framework/Twips.h"
#include "support/PageSession.h"

namespace {

// A page that uses every hook of the frame and notes when each ran.
class TestPage : public qt27::PageFrame {
    Q_OBJECT
public:
    explicit TestPage(QStringList* log) : PageFrame(ButtonBar | SlotHeader), m_log(log) { resize(600, 400); }

protected:
    void attachServices() override { m_log->append(QStringLiteral("attachServices")); }
    void configureChildControls() override { m_log->append(QStringLiteral("configureChildControls")); }
    void readAllValues() override {
        m_log->append(QStringLiteral("readAllValues"));
        PageFrame::readAllValues();
    }
    ButtonSet buttonSet() const override { return {true, false, true, false}; }
    void afterButtonsConfigured() override { m_log->append(QStringLiteral("afterButtonsConfigured")); }
    void beforeUiOpened() override { m_log->append(QStringLiteral("beforeUiOpened")); }

private:
    QStringList* m_log;
};

TEST(PageFrameTest, InitRunsItsStepsInOrderAndConfiguresTheButtonBar) {
    testsupport::FakeDtm dtm;
    dtm.base.mayEdit = false;
    TestPage page(&dtm.log);
    EXPECT_TRUE(page.IDtmActiveXControl_Init(QStringLiteral("INV-1"), QString(), &dtm));
    EXPECT_EQ(dtm.log, QStringList({"attachServices", "RequestDocument(FDT)", "configureChildControls",
                                    "MayEdit", "readAllValues", "RequestDocument(FDT)",
                                    "afterButtonsConfigured", "beforeUiOpened", "UiOpened(INV-1)"}));
    EXPECT_EQ(
        page.buttons()->OperationLog(),
        QStringList(
            {"DisableOk()", "DisableApply()", "ResourceManager()",
             QStringLiteral("SetSize(%1,%2)").arg(qt27::pixelsToTwips(400)).arg(qt27::pixelsToTwips(600)),
             "SetButtons(1,0,1,0)", "DisableApply()", "StatusText(\"\")"}));
    EXPECT_TRUE(page.isLocked());
    EXPECT_EQ(page.invokeId(), QStringLiteral("INV-1"));
    // Without a host every step fails on its own and Init still answers true.
    TestPage alone(&dtm.log);
    dtm.log.clear();
    EXPECT_TRUE(alone.IDtmActiveXControl_Init(QStringLiteral("INV-2"), QString(), nullptr));
    EXPECT_EQ(dtm.log, QStringList({"attachServices", "configureChildControls", "readAllValues",
                                    "afterButtonsConfigured", "beforeUiOpened"}));
}

// The slot number has at least two digits; the module type name ends 120 twips left of
// the slot number label.
TEST(PageFrameTest, HeaderShowsSlotAndModuleType) {
    for (const auto& [slot, shown] : {std::pair{7, "07"}, std::pair{123, "123"}}) {
        testsupport::FakeModule module;
        module.slot = slot;
        module.typeName = QStringLiteral("QT271-N with a longer name");
        testsupport::FakeDtm dtm(module);
        TestPage page(&dtm.log);
        page.IDtmActiveXControl_Init(QStringLiteral("INV-1"), QString(), &dtm);
        using testsupport::child;
        EXPECT_EQ(child<QLabel>(&page, "lblSlotNumber")->text(), QLatin1String(shown));
        const QLabel* type = child<QLabel>(&page, "lblModuleType");
        EXPECT_EQ(type->text(), QStringLiteral("QT271-N with a longer name: "));
        EXPECT_EQ(type->x() + type->width() + qt27::twipsToPixels(120),
                  child(&page, "lblSlotNumberLabel")->x());
    }
}

TEST(PageFrameTest, HelpKeepsTheLastWindowReleaseClosesItAndTheBarFollowsTheSize) {
    testsupport::FakeDtm dtm;
    TestPage page(&dtm.log);
    page.IDtmActiveXControl_Init(QStringLiteral("INV-1"), QString(), &dtm);
    page.ctlButtons_Help();
    EXPECT_EQ(testsupport::helpTopicShown(page.helpWindowHandle()), QStringLiteral("index.html"));
    page.show();
    page.resize(700, 500);
    EXPECT_EQ(page.buttons()->geometry(),
              QRect(0, 500 - page.buttons()->height(), 700, page.buttons()->height()));
    dtm.log.clear();
    page.ctlButtons_Clos();
    EXPECT_TRUE(page.IDtmActiveXControl_PrepareToRelease());
    EXPECT_EQ(dtm.log, QStringList({"CloseUi(INV-1)", "EndEditing", "UiReleased(INV-1)"}));
    EXPECT_EQ(testsupport::helpTopicShown(page.helpWindowHandle()), QString());
    EXPECT_EQ(page.className(), QStringLiteral("TestPage"));
}

}  // namespace

#include "PageFrameTest.moc"
