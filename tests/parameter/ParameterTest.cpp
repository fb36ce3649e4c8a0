// The Parameter page on the scripted host with the page frame all pages share: Init, edits,
// the data set, locks, the release question, help; the channel parameter editor's rules.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <memory>

#include "QT27Controls/common/HelpUtilities.h"
#include "QT27Controls/framework/Twips.h"
#include "QT27Controls/parameter/ChannelParameter.h"
#include "QT27Controls/parameter/Parameter.h"
#include "support/DebugLogCapture.h"
#include "support/PageSession.h"

namespace {

using testsupport::child;

// Channels 1 to 4 and element 4: 5C range 3, failsafe 1 (maximum value), open line off;
// 01 range 0, damping 1; 26 range 1, failsafe 2, damping 2; 8B range 2, short off, damping 3.
const QByteArray kRead = QByteArray::fromHex("5C01268BA7");

int at(const QByteArray& bytes, int index) {
    return static_cast<quint8>(bytes[index]);
}
QComboBox* list(const QWidget* editor, const char* name) {
    return child<QComboBox>(editor, name);
}
QCheckBox* box(const QWidget* editor, const char* name) {
    return child<QCheckBox>(editor, name);
}
QString caption(const QWidget* editor) {
    return child<QGroupBox>(editor, "fraChannelParameter")->title();
}
/// The byte as an editor shows it, each element in its own bits.
int shown(const QWidget* editor) {
    return (box(editor, "chkShortDetection")->isChecked() ? 0 : 0x80) |
           (box(editor, "chkOpenLineDetection")->isChecked() ? 0 : 0x40) |
           list(editor, "cboFailsafeValue")->currentIndex() << 4 |
           list(editor, "cboRange")->currentIndex() << 2 | list(editor, "cboDamping")->currentIndex();
}

class ParameterTest : public testing::Test {
public:
    void open(const char* typeCode = "37", const QByteArray& parameters = kRead) {
        dtm.module = testsupport::FakeModule();
        dtm.module.typeCode = QLatin1String(typeCode);
        dtm.module.parameters = parameters;
        dtm.rebuildChannels();
        dtm.log.clear();
        page = std::make_unique<qt27::Parameter>();
        EXPECT_TRUE(page->IDtmActiveXControl_Init(QStringLiteral("INV-P"), QString(), &dtm));
    }
    qt27::ChannelParameter* editor(int i) const { return page->channelParameter(i); }
    /// Selects @p entry of a list as the user does; answers the entry.
    int choose(int i, const char* name, int entry) const {
        return list(editor(i), name)->setCurrentIndex(entry), entry;
    }
    /// What the host saw since the last call, without the reading of the data set.
    QStringList host() {
        QStringList calls = dtm.log;
        dtm.log.clear();
        calls.removeIf([](const QString& call) {
            return call.startsWith("RequestDocument") || call == "ReadParameters";
        });
        return calls;
    }
    rmox::ButtonControl* bar() const { return page->buttons(); }
    /// Each editor shows its element of @p bytes; the range bits only when @p withRange.
    void expectShown(const QByteArray& bytes, bool withRange = true) const {
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(editor(i)->FailSafeParameter(), at(bytes, i)) << i;
            EXPECT_EQ(shown(editor(i)) | (withRange ? 0 : 0x0C), at(bytes, i) | (withRange ? 0 : 0x0C)) << i;
        }
    }

    testsupport::FakeDtm dtm;
    std::unique_ptr<qt27::Parameter> page;
};

TEST_F(ParameterTest, InitShowsEachChannelByteInTheRangeListOfTheType) {
    for (const char* type : {"37", "54"}) {
        open(type);
        EXPECT_EQ(dtm.log, QStringList({"RequestDocument(FDT)", "MayEdit", "RequestDocument(FDT)",
                                        "ReadParameters", "RequestDocument(FDT)", "RequestDocument(FDT)",
                                        "RequestDocument(FDT)", "RequestDocument(FDT)", "UiOpened(INV-P)"}));
        const QString size = QStringLiteral("SetSize(%1,%2)")
                                 .arg(qt27::pixelsToTwips(page->height()))
                                 .arg(qt27::pixelsToTwips(page->width()));
        EXPECT_EQ(bar()->OperationLog(), QStringList({"ResourceManager()", size, "SetButtons(1,1,1,0)",
                                                      "DisableApply()", "StatusText(\"\")"}));
        expectShown(kRead);
        EXPECT_EQ(list(editor(0), "cboRange")->currentText(), type[1] == '7' ? "4..20 mA" : "1..5 V");
        EXPECT_EQ(caption(editor(3)), QStringLiteral("Channel 4: TI-104"));
        const QLabel* moduleType = child<QLabel>(page.get(), "lblModuleType");
        EXPECT_EQ(moduleType->text(), QStringLiteral("QT27Ex: "));
        EXPECT_EQ(moduleType->x() + moduleType->width() + qt27::twipsToPixels(120),
                  child(page.get(), "lblSlotNumberLabel")->x());
        testsupport::DebugLogCapture log;
        emit dtm.base.ParameterChanged();
        EXPECT_EQ(
            log.linesFrom("Parameter: aDataSet"),
            QStringList({"Parameter: aDataSet0:0x5C", "Parameter: aDataSet1:0x1", "Parameter: aDataSet2:0x26",
                         "Parameter: aDataSet3:0x8B", "Parameter: aDataSet4:0xA7"}));
    }
    page->show();
    page->resize(700, 500);  // the button bar spans the bottom edge
    EXPECT_EQ(bar()->geometry(), QRect(0, 500 - bar()->height(), 700, bar()->height()));
}

// One edit of one editor changes only its own bits of its own element; a range choice
// shows the whole working copy in all editors again; Apply writes and commits.
TEST_F(ParameterTest, EditsChangeOnlyTheirBitsAndApplyWritesTheArray) {
    const std::pair<int, std::function<int(ParameterTest&, int, int)>> edits[] = {
        {0x03, [](ParameterTest& t, int i, int b) { return t.choose(i, "cboDamping", (b + 2) & 3); }},
        {0x30, [](ParameterTest& t, int i,
                  int b) { return t.choose(i, "cboFailsafeValue", (((b >> 4) & 3) + 1) % 3) << 4; }},
        {0x0C,
         [](ParameterTest& t, int i, int b) { return t.choose(i, "cboRange", ((b >> 2) + 2) & 3) << 2; }},
        {0x40, [](ParameterTest& t, int i,
                  int b) { return box(t.editor(i), "chkOpenLineDetection")->click(), ~b & 0x40; }},
        {0x80, [](ParameterTest& t, int i,
                  int b) { return box(t.editor(i), "chkShortDetection")->click(), ~b & 0x80; }},
    };
    for (int i = 0; i < 4; ++i) {
        for (const auto& [bits, edit] : edits) {
            open();
            const int other = (i + 1) % 4;
            editor(other)->setFailSafeParameter(0xFF);  // shown again by a range choice only
            QByteArray expected = kRead;
            expected[i] = static_cast<char>((at(kRead, i) & ~bits) | edit(*this, i, at(kRead, i)));
            EXPECT_EQ(page->dataSet(), expected) << i << " " << bits;
            EXPECT_EQ(editor(other)->FailSafeParameter(), bits == 0x0C ? at(kRead, other) : 0xFF);
            EXPECT_TRUE(bar()->applyButton()->isEnabled());
            editor(other)->setFailSafeParameter(at(kRead, other));
            host();
            bar()->applyButton()->click();
            EXPECT_EQ(host(), QStringList({"WriteParameters(" + expected.toHex().toUpper() + ")",
                                           "CommitParameters"}));
            EXPECT_FALSE(bar()->applyButton()->isEnabled());
        }
    }
}

// A short array: the refresh stops at the first missing element, the editors after it keep
// what they showed. A channel that cannot be read keeps its editor's tag; ParameterChanged of either source
// re-reads and keeps the dirty flag.
TEST_F(ParameterTest, DataSetChangesReadWhatCanBeRead) {
    const QByteArray again = QByteArray::fromHex("C3300D4411");
    for (int length = 0; length < 5; ++length) {
        open();
        dtm.module.parameters = again.left(length);
        emit dtm.base.ParameterChanged();
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(editor(i)->FailSafeParameter(), at(i < length ? again : kRead, i)) << length;
        }
    }
    for (const bool fails : {true, false}) {
        open();
        list(editor(0), "cboDamping")->setCurrentIndex(3);
        dtm.module.tags = QStringList{"AI-1", "AI-2", "AI-3", "AI-4"};
        dtm.module.parameters = again;
        dtm.rebuildChannels();
        const auto& channels = dtm.channels.channels;
        channels[2]->fail = fails;
        channels[2]->document = fails ? channels[2]->document : testsupport::channelDocument(9, "AI-9");
        fails ? dtm.base.ParameterChanged() : dtm.base.parameterManager.ParameterChanged();
        EXPECT_EQ(caption(editor(2)) + caption(editor(3)),
                  QStringLiteral("Channel 3: TI-103Channel 4: AI-4"));
        expectShown(dtm.module.parameters);
        EXPECT_TRUE(bar()->applyButton()->isEnabled());
    }
}

TEST_F(ParameterTest, ApplyWritesOnlyWhenDirtyOkThenClosesCancelDiscards) {
    open();
    bar()->applyButton()->click();
    list(editor(1), "cboDamping")->setCurrentIndex(3);
    list(editor(1), "cboDamping")->setCurrentIndex(1);  // back to the value read: still written
    host();
    page->ctlButtons_Ok();
    page->ctlButtons_Ok();
    box(editor(2), "chkShortDetection")->click();
    page->ctlButtons_Cancel();
    page->ctlButtons_Apply();
    EXPECT_EQ(host(), QStringList({"WriteParameters(5C01268BA7)", "CommitParameters", "CloseUi(INV-P)",
                                   "CloseUi(INV-P)", "CloseUi(INV-P)"}));
    EXPECT_FALSE(bar()->applyButton()->isEnabled());
}

TEST_F(ParameterTest, LockedByAnotherUserEveryEditorIsReadOnly) {
    const auto expectLocked = [&](bool locked, const char* status) {
        EXPECT_EQ(page->isLocked(), locked);
        EXPECT_EQ(bar()->okButton()->isEnabled(), !locked);
        EXPECT_EQ(bar()->applyButton()->isEnabled(), !locked);
        EXPECT_EQ(bar()->StatusText(), QLatin1String(status));
        EXPECT_EQ(editor(0)->Locked() + editor(3)->Locked(), 2 * locked);
        for (const char* name :
             {"cboRange", "cboDamping", "chkOpenLineDetection", "chkShortDetection", "cboFailsafeValue"}) {
            EXPECT_EQ(child(editor(2), name)->isEnabled(), !locked) << name;
        }
    };
    open();
    emit dtm.base.LockDataSet(QStringLiteral("operator"));
    emit dtm.base.UnlockDataSet(QStringLiteral("COMPATIBILITY"));
    expectLocked(true, "Data set locked by operator");
    QTest::mouseClick(box(editor(2), "chkShortDetection"), Qt::LeftButton);
    EXPECT_EQ(page->dataSet(), kRead);
    dtm.base.holdsLock = true;
    emit dtm.base.LockDataSet(QStringLiteral("engineer"));
    emit dtm.base.UnlockDataSet(QStringLiteral("COMPATIBILITY"));
    expectLocked(false, "Data set locked by engineer");
    emit dtm.base.UnlockDataSet(QStringLiteral("engineer"));
    expectLocked(true, "");
    dtm.base.mayEdit = false;
    open();
    emit dtm.base.ParameterChanged();
    expectLocked(true, "");
}

// Unsaved changes: the release asks under the module type name and only Yes writes; help
// windows close; the page no longer hears the base DTM.
TEST_F(ParameterTest, ReleaseAsksAboutUnsavedChangesAndClosesHelp) {
    const QStringList asked = {"AskUser(QT27Ex)", "WriteParameters(5C012683A7)", "CommitParameters"};
    for (const auto& [answer, said] :
         {std::pair{int(qt27::MessageService::AnswerYes), 3}, {qt27::MessageService::AnswerNo, 1}, {0, 0}}) {
        open();
        list(editor(3), "cboRange")->setCurrentIndex(0);
        said == 0 ? bar()->applyButton()->click() : void();
        bar()->helpButton()->click();
        EXPECT_EQ(qt27::HelpUtilities::OpenHelpWindowCount(), 1);
        dtm.base.messages.answer = answer;
        dtm.base.messages.questions.clear();
        host();
        EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
        EXPECT_EQ(host(), asked.mid(0, said) + QStringList({"EndEditing", "UiReleased(INV-P)"}));
        EXPECT_EQ(dtm.base.messages.questions.value(0).value(0),
                  said == 0 ? QString() : dtm.base.resources.GetString(6501, qt27::CommonResourceFolder()));
        EXPECT_EQ(qt27::HelpUtilities::OpenHelpWindowCount(), 0);
        emit dtm.base.LockDataSet(QStringLiteral("operator"));
        EXPECT_TRUE(bar()->okButton()->isEnabled());
    }
}

// Failsafe selection 3 has no entry: an extra entry shows it and the bits stay until the
// user picks a real one. Types outside a byte are refused; type 54 selects its last range.
TEST(ChannelParameterTest, SelectionWithoutEntryIsShownUntilTheUserChooses) {
    qt27::ChannelParameter control;
    QSignalSpy dirty(&control, &qt27::ChannelParameter::SetDirty);
    QComboBox* failsafe = list(&control, "cboFailsafeValue");
    control.setFailSafeParameter(0x30);
    control.setFailSafeParameter(0xB3);
    EXPECT_EQ(failsafe->currentText(), QStringLiteral("-/-"));
    box(&control, "chkOpenLineDetection")->click();
    failsafe->setCurrentIndex(2);
    EXPECT_EQ(control.FailSafeParameter(), 0xE3);
    control.setFailSafeParameter(0x30);
    control.setFailSafeParameter(0x10);
    EXPECT_EQ(failsafe->count(), 3);
    EXPECT_EQ(dirty.count(), 2);
    EXPECT_THROW(control.setTyp(256), rmox::Error);
    control.setRangeMode(0);
    control.setTyp(54);  // the list of type 54, index 3 selected
    EXPECT_EQ(list(&control, "cboRange")->currentText(), QStringLiteral("1..5 V"));
    EXPECT_EQ(control.RangeMode(), 3);
}

// Every resource text replaces its design caption; a text that cannot be found keeps the
// caption, the others are loaded all the same and the error follows. A press on a frame's
// free surface or on lblDamping moves the focus to its element; the caption is bold
// while the focus is inside the editor.
TEST(ChannelParameterTest, TextsAndFocusOfTheEditor) {
    const auto texts = [](const qt27::ChannelParameter& editor) {
        QStringList result;
        for (const QLabel* label : editor.findChildren<QLabel*>()) {
            result << label->text();
        }
        const QComboBox* failsafe = list(&editor, "cboFailsafeValue");
        return result << child<QGroupBox>(&editor, "fraInput")->title()
                      << child<QGroupBox>(&editor, "fraMonitoring")->title()
                      << list(&editor, "cboDamping")->itemText(0) << failsafe->itemText(0)
                      << failsafe->itemText(1) << failsafe->itemText(2);
    };
    rmox::ResourceManager german;
    german.setLanguage(QStringLiteral("de"));
    QWidget window;
    auto* control = new qt27::ChannelParameter(&window);
    auto* outside = new QLineEdit(&window);
    (new QVBoxLayout(&window))->addWidget(control);
    window.layout()->addWidget(outside);
    control->setChannelNumber(2);
    control->setResourceManager(&german);
    control->setChannelTag(QStringLiteral("TI-102"));
    EXPECT_EQ(caption(control), QStringLiteral("Kanal 2: TI-102"));
    QStringList expected = texts(qt27::ChannelParameter());
    QStringList translated = texts(*control);
    EXPECT_EQ(translated.removeDuplicates(), 0);  // each element its own text
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_NE(translated.value(i), expected[i]);
        expected[i] = i == 0 || i == 1 || i == 5 ? translated[i] : expected[i];  // device texts
    }
    qt27::ChannelParameter partly;
    partly.SetResourceFolders(QStringLiteral("/nonexistent"), qt27::DeviceResourceFolder());
    EXPECT_THROW(partly.setResourceManager(&german), rmox::Error);
    EXPECT_EQ(texts(partly), expected);

    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const std::pair<const char*, QWidget*> moves[] = {{"fraInput", child(control, "cboRange")},
                                                      {"fraMonitoring", child(control, "chkShortDetection")},
                                                      {"lblDamping", child(control, "cboDamping")},
                                                      {"fraChannelParameter", control},
                                                      {"lblRange", outside}};
    for (const auto& [pressed, focused] : moves) {
        outside->setFocus();
        QWidget* widget = child(control, pressed);
        QTest::mouseClick(widget, Qt::LeftButton, {},
                          qobject_cast<QLabel*>(widget) ? widget->rect().center()
                                                        : QPoint(widget->width() - 3, widget->height() - 3));
        EXPECT_EQ(QApplication::focusWidget(), focused) << pressed;
        EXPECT_EQ(child<QGroupBox>(control, "fraChannelParameter")->font().bold(), focused != outside)
            << pressed;
        EXPECT_FALSE(child<QGroupBox>(control, "fraInput")->font().bold());
    }
    control->resize(700, 90);
    EXPECT_EQ(child(control, "fraChannelParameter")->geometry(), QRect(0, 0, 700, 90));
}

}  // namespace
