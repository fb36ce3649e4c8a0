#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "rmox/ButtonControl/ButtonControl.h"
#include "rmox/Error.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace {

using rmox::ButtonControl;

struct ButtonCase {
    const char* name;
    std::function<QPushButton*(const ButtonControl&)> button;
    int signalIndex;  // index into the spies below, in the bar's order of events
};

void PrintTo(const ButtonCase& button, std::ostream* out) {
    *out << button.name;
}

class ButtonControlSignals : public testing::TestWithParam<ButtonCase> {};

// One spy per event, in the order the bar declares them.
std::vector<std::unique_ptr<QSignalSpy>> spyAll(ButtonControl& bar) {
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    spies.push_back(std::make_unique<QSignalSpy>(&bar, &ButtonControl::Apply));
    spies.push_back(std::make_unique<QSignalSpy>(&bar, &ButtonControl::Cancel));
    spies.push_back(std::make_unique<QSignalSpy>(&bar, &ButtonControl::Ok));
    spies.push_back(std::make_unique<QSignalSpy>(&bar, &ButtonControl::Help));
    spies.push_back(std::make_unique<QSignalSpy>(&bar, &ButtonControl::Clos));
    spies.push_back(std::make_unique<QSignalSpy>(&bar, &ButtonControl::PageButton));
    return spies;
}

TEST_P(ButtonControlSignals, ClickRaisesOnlyTheEventOfThatButton) {
    ButtonControl bar;
    bar.SetButtonCaption(0, QString(), QStringLiteral("Connect"));
    bar.show();
    auto spies = spyAll(bar);

    QPushButton* button = GetParam().button(bar);
    ASSERT_TRUE(button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);

    for (int i = 0; i < static_cast<int>(spies.size()); ++i) {
        EXPECT_EQ(spies[i]->count(), i == GetParam().signalIndex ? 1 : 0) << "event " << i;
    }
}

TEST_P(ButtonControlSignals, AcknowledgedButtonRaisesNothingUntilRefreshed) {
    ButtonControl bar;
    bar.SetButtonCaption(0, QString(), QStringLiteral("Reread"));
    bar.show();
    auto spies = spyAll(bar);
    QPushButton* button = GetParam().button(bar);

    bar.AcknowledgeButton();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(spies[GetParam().signalIndex]->count(), 0);

    bar.RefreshButtons();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(spies[GetParam().signalIndex]->count(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    EveryButton, ButtonControlSignals,
    testing::Values(ButtonCase{"Apply", [](const ButtonControl& b) { return b.applyButton(); }, 0},
                    ButtonCase{"Cancel", [](const ButtonControl& b) { return b.cancelButton(); }, 1},
                    ButtonCase{"Ok", [](const ButtonControl& b) { return b.okButton(); }, 2},
                    ButtonCase{"PageButton", [](const ButtonControl& b) { return b.pageButton(); }, 5}),
    [](const testing::TestParamInfo<ButtonCase>& info) { return std::string(info.param.name); });

TEST(ButtonControl, RecordsEveryOperationInOrderWithItsArguments) {
    ButtonControl bar;
    rmox::ResourceManager manager;
    bar.setResourceManager(&manager);
    bar.SetSize(4500, 9000);
    bar.SetButtons(true, true, true, false);
    bar.DisableApply();
    bar.EnableApply();
    bar.DisableOk();
    bar.EnableOk();
    bar.SetButtonCaption(0, QString(), QStringLiteral("Connect"));
    bar.OnlineIndicator(true);
    bar.OnlineIndicator(false);
    bar.BeginOperation();
    bar.EndOperation();
    bar.AcknowledgeButton();
    bar.RefreshButtons();
    bar.setStatusText(QString());
    bar.setProperty("StatusText", QStringLiteral("Data set locked by Anna"));

    const QStringList expected = {
        "ResourceManager()",   "SetSize(4500,9000)",
        "SetButtons(1,1,1,0)", "DisableApply()",
        "EnableApply()",       "DisableOk()",
        "EnableOk()",          "SetButtonCaption(0,\"\",\"Connect\")",
        "OnlineIndicator(1)",  "OnlineIndicator(0)",
        "BeginOperation()",    "EndOperation()",
        "AcknowledgeButton()", "RefreshButtons()",
        "StatusText(\"\")",    "StatusText(\"Data set locked by Anna\")",
    };
    EXPECT_EQ(bar.OperationLog(), expected);

    bar.clearOperationLog();
    EXPECT_TRUE(bar.OperationLog().isEmpty());
}

TEST(ButtonControl, OperationLogKeepsTheLatest1000Operations) {
    // A reading Observation page begins an operation twice a second for as long as
    // it is open.
    ButtonControl bar;
    bar.setStatusText(QStringLiteral("first"));
    for (int i = 0; i < 1500; ++i) {
        bar.BeginOperation();
    }
    bar.setStatusText(QStringLiteral("last"));
    ASSERT_EQ(bar.OperationLog().size(), 1000);
    EXPECT_EQ(bar.OperationLog().first(), QStringLiteral("BeginOperation()"));
    EXPECT_EQ(bar.OperationLog().last(), QStringLiteral("StatusText(\"last\")"));
}

TEST(ButtonControl, ReadingTheStatusTextIsNotAnOperation) {
    ButtonControl bar;
    bar.setStatusText(QStringLiteral("busy"));
    EXPECT_EQ(bar.StatusText(), QStringLiteral("busy"));
    EXPECT_EQ(bar.property("StatusText").toString(), QStringLiteral("busy"));
    EXPECT_EQ(bar.statusLabel()->text(), QStringLiteral("busy"));
    EXPECT_EQ(bar.OperationLog().size(), 1);
}

TEST(ButtonControl, SetButtonsChoosesTheVisibleButtonsAndKeepsHelp) {
    ButtonControl bar;
    bar.show();
    EXPECT_FALSE(bar.pageButton()->isVisible()) << "the page button needs a caption first";

    bar.SetButtons(false, false, false, true);
    EXPECT_FALSE(bar.okButton()->isVisible());
    EXPECT_FALSE(bar.cancelButton()->isVisible());
    EXPECT_FALSE(bar.applyButton()->isVisible());
    EXPECT_TRUE(bar.closeButton()->isVisible());
    EXPECT_TRUE(bar.helpButton()->isVisible());

    bar.SetButtons(true, true, true, false);
    EXPECT_TRUE(bar.okButton()->isVisible());
    EXPECT_TRUE(bar.cancelButton()->isVisible());
    EXPECT_TRUE(bar.applyButton()->isVisible());
    EXPECT_FALSE(bar.closeButton()->isVisible());
    EXPECT_TRUE(bar.helpButton()->isVisible());
}

TEST(ButtonControl, AcknowledgeHoldsAllButCloseAndHelpAndRefreshRestoresTheRequestedState) {
    ButtonControl bar;
    bar.SetButtonCaption(0, QString(), QStringLiteral("Connect"));
    bar.DisableOk();

    bar.AcknowledgeButton();
    for (QPushButton* button : {bar.okButton(), bar.cancelButton(), bar.applyButton(), bar.pageButton()}) {
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    }
    // The user can always leave a page that waits.
    EXPECT_TRUE(bar.closeButton()->isEnabled());
    EXPECT_TRUE(bar.helpButton()->isEnabled());

    bar.RefreshButtons();
    EXPECT_FALSE(bar.okButton()->isEnabled()) << "OK was disabled before the acknowledge";
    for (QPushButton* button :
         {bar.cancelButton(), bar.applyButton(), bar.closeButton(), bar.helpButton(), bar.pageButton()}) {
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    }
}

TEST(ButtonControl, EnableAndDisableDuringAnAcknowledgeTakeEffectAtRefresh) {
    ButtonControl bar;
    bar.DisableOk();
    bar.AcknowledgeButton();

    bar.DisableApply();
    bar.EnableOk();
    EXPECT_FALSE(bar.okButton()->isEnabled()) << "an acknowledged bar stays disabled";
    EXPECT_FALSE(bar.applyButton()->isEnabled());

    bar.RefreshButtons();
    EXPECT_TRUE(bar.okButton()->isEnabled());
    EXPECT_FALSE(bar.applyButton()->isEnabled());

    // A second refresh without an acknowledge changes nothing.
    bar.RefreshButtons();
    EXPECT_FALSE(bar.applyButton()->isEnabled());
    bar.EnableApply();
    EXPECT_TRUE(bar.applyButton()->isEnabled());
}

TEST(ButtonControl, BusyMarkShowsWhatThePageSetsNotTheOperations) {
    ButtonControl bar;
    bar.show();
    EXPECT_FALSE(bar.isBusy());
    EXPECT_FALSE(bar.busyIndicator()->isVisible());

    // A reading page begins an operation every cycle: that alone shows nothing.
    bar.BeginOperation();
    EXPECT_FALSE(bar.isBusy());

    bar.setBusyMark(true);
    EXPECT_TRUE(bar.isBusy());
    EXPECT_TRUE(bar.busyIndicator()->isVisible());
    EXPECT_EQ(bar.cursor().shape(), Qt::BusyCursor);
    bar.EndOperation();
    EXPECT_TRUE(bar.isBusy());

    bar.setBusyMark(false);
    EXPECT_FALSE(bar.isBusy());
    EXPECT_FALSE(bar.busyIndicator()->isVisible());
    EXPECT_NE(bar.cursor().shape(), Qt::BusyCursor);
    EXPECT_FALSE(bar.OperationLog().join(QLatin1Char(',')).contains(QStringLiteral("Busy")));
}

TEST(ButtonControl, BusyMarkIsAStillPicture) {
    // An animated indicator would repaint the bar all the time a page waits.
    ButtonControl bar;
    bar.show();
    bar.setBusyMark(true);
    ASSERT_TRUE(bar.busyIndicator()->isVisible());
    EXPECT_FALSE(bar.busyIndicator()->pixmap().isNull());
    EXPECT_TRUE(bar.findChildren<QProgressBar*>().isEmpty());
}

TEST(ButtonControl, BusyBarStillAcceptsClose) {
    ButtonControl bar;
    bar.SetButtons(false, false, false, true);
    bar.show();
    QSignalSpy closed(&bar, &ButtonControl::Clos);
    bar.setBusyMark(true);
    QTest::mouseClick(bar.closeButton(), Qt::LeftButton);
    EXPECT_EQ(closed.count(), 1);
}

QColor markerCentre(const ButtonControl& bar) {
    const QImage image = bar.onlineMarker()->pixmap().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

TEST(ButtonControl, OnlineIndicatorAppearsWithItsFirstUseAndShowsTheState) {
    ButtonControl bar;
    bar.show();
    EXPECT_FALSE(bar.onlineLabel()->isVisible()) << "offline pages never use the indicator";
    EXPECT_FALSE(bar.onlineMarker()->isVisible());

    bar.OnlineIndicator(true);
    EXPECT_TRUE(bar.isOnline());
    EXPECT_TRUE(bar.onlineLabel()->isVisible());
    EXPECT_TRUE(bar.onlineMarker()->isVisible());
    EXPECT_EQ(bar.onlineLabel()->text(), QStringLiteral("online"));
    const QColor online = markerCentre(bar);
    EXPECT_GT(online.green(), online.red() + 60);

    bar.OnlineIndicator(false);
    EXPECT_FALSE(bar.isOnline());
    EXPECT_EQ(bar.onlineLabel()->text(), QStringLiteral("offline"));
    const QColor offline = markerCentre(bar);
    EXPECT_LT(std::abs(offline.green() - offline.red()), 20) << "offline is grey";
    EXPECT_TRUE(bar.onlineMarker()->isVisible());
}

TEST(ButtonControl, PageButtonCaptionShowsTheButton) {
    ButtonControl bar;
    bar.show();
    bar.SetButtonCaption(0, QString(), QStringLiteral("Disconnect"));
    EXPECT_TRUE(bar.pageButton()->isVisible());
    EXPECT_EQ(bar.pageButton()->text(), QStringLiteral("Disconnect"));

    bar.SetButtonCaption(0, QString(), QStringLiteral("Connect"));
    EXPECT_EQ(bar.pageButton()->text(), QStringLiteral("Connect"));

    bar.SetButtonCaption(0, QString(), QString());
    EXPECT_FALSE(bar.pageButton()->isVisible()) << "a button without a caption is of no use";
}

TEST(ButtonControl, CaptionForAButtonOtherThanThePageButtonIsRejected) {
    ButtonControl bar;
    try {
        bar.SetButtonCaption(1, QString(), QStringLiteral("Other"));
        FAIL() << "no error raised";
    } catch (const rmox::Error& error) {
        EXPECT_EQ(error.number(), rmox::Error::SubscriptOutOfRange);
    }
    EXPECT_EQ(bar.OperationLog(), QStringList{"SetButtonCaption(1,\"\",\"Other\")"});
    EXPECT_TRUE(bar.pageButton()->text().isEmpty());
}

TEST(ButtonControl, SetSizeTakesTheWidthInTwipsAndKeepsItsHeight) {
    ButtonControl bar;
    const int height = bar.height();
    EXPECT_GE(height, 32);

    bar.SetSize(4500, 9000);
    EXPECT_EQ(bar.width(), 600);
    EXPECT_EQ(bar.height(), height);

    bar.SetSize(100, 7);
    EXPECT_EQ(bar.width(), 0);
    bar.SetSize(100, -300);
    EXPECT_EQ(bar.width(), 0);
}

// Resource folders laid out as installed: <root>/QT27ResourceData beside <root>/rmoxResourceData.
class ButtonControlCaptions : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("QT27ResourceData")));
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("rmoxResourceData")));
        manager.setResourceFolder(root.filePath(QStringLiteral("QT27ResourceData")));
    }
    void writeCommon(const QString& language, const QByteArray& content) {
        QFile file(root.filePath(QStringLiteral("rmoxResourceData/strings.%1.txt").arg(language)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QTemporaryDir root;
    rmox::ResourceManager manager;
};

TEST_F(ButtonControlCaptions, ComeFromTheCommonFolderBesideTheManagersFolder) {
    writeCommon(QStringLiteral("de"),
                "5010=OK\n5011=Abbrechen\n5012=\xC3\x9C"
                "bernehmen\n5013=Schlie\xC3\x9F"
                "en\n5014=Hilfe\n"
                "5015=verbunden\n5016=getrennt\n");
    manager.setLanguage(QStringLiteral("de"));
    ButtonControl bar;
    bar.OnlineIndicator(true);
    bar.setResourceManager(&manager);

    EXPECT_EQ(bar.resourceManager(), &manager);
    EXPECT_EQ(bar.okButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(bar.cancelButton()->text(), QStringLiteral("Abbrechen"));
    EXPECT_EQ(bar.applyButton()->text(), QString::fromUtf8("Übernehmen"));
    EXPECT_EQ(bar.closeButton()->text(), QString::fromUtf8("Schließen"));
    EXPECT_EQ(bar.helpButton()->text(), QStringLiteral("Hilfe"));
    EXPECT_EQ(bar.onlineLabel()->text(), QStringLiteral("verbunden"));
    bar.OnlineIndicator(false);
    EXPECT_EQ(bar.onlineLabel()->text(), QStringLiteral("getrennt"));
}

TEST_F(ButtonControlCaptions, FallBackToEnglishForEachMissingText) {
    writeCommon(QStringLiteral("en"), "5011=Abort\n5016=not connected\n");
    ButtonControl bar;
    bar.setResourceManager(&manager);
    bar.OnlineIndicator(false);

    EXPECT_EQ(bar.cancelButton()->text(), QStringLiteral("Abort"));
    EXPECT_EQ(bar.onlineLabel()->text(), QStringLiteral("not connected"));
    EXPECT_EQ(bar.okButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(bar.applyButton()->text(), QStringLiteral("Apply"));
    EXPECT_EQ(bar.closeButton()->text(), QStringLiteral("Close"));
    EXPECT_EQ(bar.helpButton()->text(), QStringLiteral("Help"));
}

TEST_F(ButtonControlCaptions, ReturnToEnglishWhenTheManagerIsRemoved) {
    writeCommon(QStringLiteral("en"), "5013=Leave\n");
    ButtonControl bar;
    bar.setResourceManager(&manager);
    ASSERT_EQ(bar.closeButton()->text(), QStringLiteral("Leave"));

    bar.setResourceManager(nullptr);
    EXPECT_EQ(bar.closeButton()->text(), QStringLiteral("Close"));
    EXPECT_EQ(bar.resourceManager(), nullptr);
}

TEST_F(ButtonControlCaptions, KeepThePageButtonCaption) {
    writeCommon(QStringLiteral("en"), "5010=Okay\n");
    ButtonControl bar;
    bar.SetButtonCaption(0, QString(), QStringLiteral("Reread"));
    bar.setResourceManager(&manager);
    EXPECT_EQ(bar.pageButton()->text(), QStringLiteral("Reread"));
    EXPECT_EQ(bar.okButton()->text(), QStringLiteral("Okay"));
}

}  // namespace

TEST(ButtonControlStatus, LongTextEndsInAnEllipsisButStaysWholeForCallers) {
    rmox::ButtonControl bar;
    bar.SetButtons(false, false, false, true);
    bar.resize(420, bar.height());
    bar.show();
    const QString text = QStringLiteral("Data set locked by a user with a rather long name indeed");
    bar.setStatusText(text);
    QCoreApplication::processEvents();
    auto* label = bar.findChild<QLabel*>(QStringLiteral("lblStatus"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(bar.StatusText(), text);
    EXPECT_EQ(label->toolTip(), text);
    EXPECT_TRUE(label->text().endsWith(QChar(0x2026)));
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());

    bar.resize(2000, bar.height());
    QCoreApplication::processEvents();
    EXPECT_EQ(label->text(), text);
}

TEST(ButtonControlAcknowledge, EndOperationFreesTheButtonsLikeRefresh) {
    rmox::ButtonControl bar;
    bar.SetButtons(false, false, false, true);
    bar.SetButtonCaption(0, QString(), QStringLiteral("Connect"));
    bar.AcknowledgeButton();
    bar.BeginOperation();
    EXPECT_FALSE(bar.pageButton()->isEnabled());
    bar.EndOperation();
    EXPECT_TRUE(bar.pageButton()->isEnabled());
    EXPECT_TRUE(bar.closeButton()->isEnabled());
}
