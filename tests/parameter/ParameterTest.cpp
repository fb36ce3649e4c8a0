// The Parameter page on the scripted host: what it shows after Init, how the user's
// edits reach the working copy of the parameter array and the data set, and its
// reaction to data-set changes, locks, the release and help.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <functional>
#include <memory>

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/parameter/ChannelParameter.h"
#include "QT27Controls/parameter/Parameter.h"
#include "rmox/ButtonControl/ButtonControl.h"
#include "support/FakeHost.h"
#include "support/PageSession.h"

namespace {

using testsupport::child;

// Channels 1 to 4 and element 4:
//   0x5C range 3, failsafe 1 (maximum value), open line off, short on,  damping 0
//   0x01 range 0, failsafe 0, open line on,  short on,  damping 1
//   0x26 range 1, failsafe 2, open line on,  short on,  damping 2
//   0x8B range 2, failsafe 0, open line on,  short off, damping 3
const QByteArray kRead = QByteArray::fromHex("5C01268BA7");
const QByteArray kReadAgain = QByteArray::fromHex("C3300D4411");

int at(const QByteArray& bytes, int index) {
    return static_cast<quint8>(bytes[index]);
}

QByteArray with(QByteArray bytes, int index, int value) {
    bytes[index] = static_cast<char>(value);
    return bytes;
}

class ParameterTest : public testing::Test {
public:
    void open(const QString& typeCode = QStringLiteral("37"), const QByteArray& parameters = kRead) {
        dtm.module = testsupport::FakeModule();
        dtm.module.typeCode = typeCode;
        dtm.module.parameters = parameters;
        dtm.rebuildChannels();
        page = std::make_unique<qt27::Parameter>();
        ASSERT_TRUE(page->IDtmActiveXControl_Init(QStringLiteral("INV-P"), QString(), &dtm));
        dtm.log.clear();
    }
    qt27::ChannelParameter* editor(int i) const { return page->channelParameter(i); }
    QComboBox* list(int i, const char* name) const { return child<QComboBox>(editor(i), name); }
    QCheckBox* box(int i, const char* name) const { return child<QCheckBox>(editor(i), name); }
    /// Selects @p entry of the list as the user does; answers the entry.
    int choose(int i, const char* name, int entry) const {
        list(i, name)->setCurrentIndex(entry);
        return entry;
    }
    /// Clicks the box that shows @p bit of @p byte; answers the bit's new value.
    int toggle(int i, const char* name, int bit, int byte) const {
        box(i, name)->click();
        return ~byte & bit;
    }
    QString caption(int i) const { return child<QGroupBox>(editor(i), "fraChannelParameter")->title(); }
    /// What the host saw, without the reading of the data set.
    QStringList host() const {
        QStringList calls = dtm.log;
        calls.removeIf([](const QString& call) {
            return call.startsWith("RequestDocument") || call == "ReadParameters";
        });
        return calls;
    }
    rmox::ButtonControl* bar() const { return page->buttons(); }
    QString written() const {
        return QStringLiteral("WriteParameters(%1)")
            .arg(QString::fromLatin1(page->dataSet().toHex().toUpper()));
    }
    /// Each editor shows its element of @p bytes; the range only for types with a range list.
    void expectShown(const QByteArray& bytes, bool withRange = true) const {
        for (int i = 0; i < 4; ++i) {
            const int byte = at(bytes, i);
            EXPECT_EQ(editor(i)->FailSafeParameter(), byte) << i;
            EXPECT_EQ(list(i, "cboDamping")->currentIndex(), byte & 3) << i;
            EXPECT_TRUE(!withRange || list(i, "cboRange")->currentIndex() == ((byte >> 2) & 3)) << i;
        }
    }

    testsupport::FakeDtm dtm;
    std::unique_ptr<qt27::Parameter> page;
};

TEST_F(ParameterTest, EachEditorShowsItsChannelByteInTheRangeListOfTheType) {
    for (const char* type : {"37", "54"}) {
        open(QLatin1String(type));
        expectShown(kRead);
        EXPECT_EQ(list(0, "cboRange")->currentText(), type[1] == '7' ? "4..20 mA" : "1..5 V");
        EXPECT_EQ(list(3, "cboRange")->currentText(), type[1] == '7' ? "0..20 mA" : "0..5 V");
        EXPECT_EQ(list(0, "cboFailsafeValue")->currentText(), QStringLiteral("Maximum value"));
        EXPECT_TRUE(box(0, "chkShortDetection")->isChecked());
        EXPECT_FALSE(box(0, "chkOpenLineDetection")->isChecked());
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(editor(i)->Typ(), QString::fromLatin1(type).toInt());
            EXPECT_EQ(caption(i), QStringLiteral("Channel %1: TI-10%1").arg(i + 1));
        }
        EXPECT_EQ(page->dataSet(), kRead);
        EXPECT_EQ(child<QLabel>(page.get(), "lblSlotNumber")->text(), QStringLiteral("07"));
        EXPECT_EQ(child<QLabel>(page.get(), "lblModuleType")->text(), QStringLiteral("QT27Ex: "));
        EXPECT_FALSE(bar()->applyButton()->isEnabled());
    }
}

struct Edit {
    int bits;  ///< the bits of the byte that the edit changes
    std::function<int(ParameterTest&, int channel, int byte)> apply;  ///< answers their new value
};

// One edit of one editor changes only its own bits of its own element; a range
// choice shows the whole working copy in all editors again; Apply writes and commits.
TEST_F(ParameterTest, EditsChangeOnlyTheirBitsAndApplyWritesTheArray) {
    const Edit edits[] = {
        {0x03, [](ParameterTest& t, int i, int b) { return t.choose(i, "cboDamping", (b + 2) & 3); }},
        {0x30, [](ParameterTest& t, int i,
                  int b) { return t.choose(i, "cboFailsafeValue", (((b >> 4) & 3) + 1) % 3) << 4; }},
        {0x0C,
         [](ParameterTest& t, int i, int b) { return t.choose(i, "cboRange", ((b >> 2) + 2) & 3) << 2; }},
        {0x40, [](ParameterTest& t, int i, int b) { return t.toggle(i, "chkOpenLineDetection", 0x40, b); }},
        {0x80, [](ParameterTest& t, int i, int b) { return t.toggle(i, "chkShortDetection", 0x80, b); }},
    };
    for (int i = 0; i < 4; ++i) {
        for (const Edit& edit : edits) {
            open();
            const int other = (i + 1) % 4;
            editor(other)->setFailSafeParameter(0xFF);  // shown again by a range choice only
            const int before = at(kRead, i);
            const int value = edit.apply(*this, i, before);
            EXPECT_EQ(page->dataSet(), with(kRead, i, (before & ~edit.bits) | value))
                << i << " " << edit.bits;
            EXPECT_EQ(editor(other)->FailSafeParameter(), edit.bits == 0x0C ? at(kRead, other) : 0xFF);
            EXPECT_TRUE(bar()->applyButton()->isEnabled());
            editor(other)->setFailSafeParameter(at(kRead, other));
            const QString write = written();
            bar()->applyButton()->click();
            EXPECT_EQ(host(), QStringList({write, "CommitParameters"}));
            EXPECT_FALSE(page->isDirty());
        }
    }
}

TEST_F(ParameterTest, OtherTypeCodesNeitherShowNorChangeTheRangeBits) {
    for (const char* type : {"12", "abc"}) {
        open(QLatin1String(type));
        EXPECT_EQ(list(1, "cboRange")->itemText(3), QStringLiteral("4..20 mA"));
        expectShown(kRead, false);
        EXPECT_EQ(caption(2), QStringLiteral("Channel 3: TI-103"));
        list(1, "cboRange")->setCurrentIndex(2);
        EXPECT_EQ(page->dataSet(), kRead);
        list(3, "cboDamping")->setCurrentIndex(0);
        bar()->applyButton()->click();
        EXPECT_EQ(host(), QStringList({"WriteParameters(5C012688A7)", "CommitParameters"}));
    }
    EXPECT_EQ(editor(0)->Typ(), 0);  // "abc" fails the Typ step
}

// The refresh stops at the first missing element; what was read before is shown and
// the rest of the page is filled.
TEST_F(ParameterTest, ShortArrayShowsWhatWasRead) {
    for (int length = 0; length < 5; ++length) {
        open(QStringLiteral("37"), kRead.left(length));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(editor(i)->FailSafeParameter(), i < length ? at(kRead, i) : 0) << length;
            EXPECT_EQ(caption(i), QStringLiteral("Channel %1: TI-10%1").arg(i + 1));
        }
    }
}

// A channel that cannot be read leaves its editor with the tag it had; the others get
// their new tags and the parameters are read all the same. ParameterChanged of either
// source re-reads and keeps the dirty flag.
TEST_F(ParameterTest, ParameterChangedReReadsWhatCanBeRead) {
    for (int how = 0; how < 3; ++how) {
        open();
        list(0, "cboDamping")->setCurrentIndex(3);
        dtm.module.tags = QStringList{"AI-1", "AI-2", "AI-3", "AI-4"};
        dtm.module.parameters = kReadAgain;
        dtm.rebuildChannels();
        auto& channels = dtm.channels.channels;
        if (how == 0) {
            channels.erase(channels.begin() + 2);
        } else if (how == 1) {
            channels[2]->fail = true;
        } else {
            channels[2]->document = testsupport::channelDocument(9, QStringLiteral("AI-9"));
        }
        how == 1 ? dtm.base.ParameterChanged() : dtm.base.parameterManager.ParameterChanged();
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(caption(i), QStringLiteral("Channel %1: %2-%3")
                                      .arg(i + 1)
                                      .arg(i == 2 ? "TI" : "AI")
                                      .arg(i == 2 ? 103 : i + 1));
        }
        expectShown(kReadAgain);
        EXPECT_EQ(page->dataSet(), kReadAgain);
        EXPECT_TRUE(page->isDirty());
        EXPECT_TRUE(bar()->applyButton()->isEnabled());
    }
}

TEST_F(ParameterTest, ApplyWritesOnlyWhenDirtyOkThenClosesCancelDiscards) {
    open();
    bar()->applyButton()->click();
    list(1, "cboDamping")->setCurrentIndex(3);
    list(1, "cboDamping")->setCurrentIndex(1);  // back to the value read: still written
    page->ctlButtons_Ok();
    EXPECT_EQ(host(), QStringList({"WriteParameters(5C01268BA7)", "CommitParameters", "CloseUi(INV-P)"}));
    dtm.log.clear();
    page->ctlButtons_Ok();
    box(2, "chkShortDetection")->click();
    page->ctlButtons_Cancel();
    page->ctlButtons_Apply();
    EXPECT_EQ(host(), QStringList({"CloseUi(INV-P)", "CloseUi(INV-P)"}));
    EXPECT_FALSE(bar()->applyButton()->isEnabled());
}

TEST_F(ParameterTest, LockedByAnotherUserEveryEditorIsReadOnly) {
    open();
    const auto expectLocked = [&](bool locked, const char* status) {
        EXPECT_EQ(page->isLocked(), locked);
        EXPECT_EQ(bar()->okButton()->isEnabled(), !locked);
        EXPECT_EQ(bar()->applyButton()->isEnabled(), !locked);
        EXPECT_EQ(bar()->StatusText(), QLatin1String(status));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(editor(i)->Locked(), locked) << i;
            EXPECT_EQ(list(i, "cboRange")->isEnabled(), !locked) << i;
        }
    };
    emit dtm.base.LockDataSet(QStringLiteral("operator"));
    expectLocked(true, "Data set locked by operator");
    emit dtm.base.UnlockDataSet(QStringLiteral("COMPATIBILITY"));
    expectLocked(true, "Data set locked by operator");
    dtm.base.holdsLock = true;
    emit dtm.base.LockDataSet(QStringLiteral("engineer"));
    expectLocked(false, "Data set locked by engineer");
    emit dtm.base.UnlockDataSet(QStringLiteral("COMPATIBILITY"));
    expectLocked(false, "Data set locked by engineer");
    emit dtm.base.UnlockDataSet(QStringLiteral("engineer"));
    expectLocked(true, "");
    dtm.base.mayEdit = false;
    open();
    emit dtm.base.ParameterChanged();
    expectLocked(true, "");
}

// Unsaved changes: the release asks under the module type name; only Yes writes.
TEST_F(ParameterTest, ReleaseAsksAboutUnsavedChanges) {
    for (int answer : {int(qt27::MessageService::AnswerYes), int(qt27::MessageService::AnswerNo), 0}) {
        open();
        if (answer != 0) {
            list(3, "cboRange")->setCurrentIndex(0);
        }
        dtm.base.messages.answer = answer;
        dtm.base.messages.questions.clear();
        EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
        QStringList expected = {"EndEditing", "UiReleased(INV-P)"};
        if (answer == qt27::MessageService::AnswerYes) {
            expected = QStringList({"AskUser(QT27Ex)", "WriteParameters(5C012683A7)", "CommitParameters"}) +
                       expected;
        } else if (answer != 0) {
            expected.prepend("AskUser(QT27Ex)");
        }
        EXPECT_EQ(host(), expected);
        EXPECT_EQ(dtm.base.messages.questions.value(0),
                  answer == 0 ? QStringList()
                              : QStringList({dtm.base.resources.GetString(6501, qt27::CommonResourceFolder()),
                                             "QT27Ex", "4"}));
        EXPECT_TRUE(page->isReleased());
        emit dtm.base.LockDataSet(QStringLiteral("operator"));  // no longer heard
        EXPECT_FALSE(page->isLocked());
    }
}

TEST_F(ParameterTest, HelpShowsTopic21500AndTheReleaseClosesIt) {
    open();
    bar()->helpButton()->click();
    EXPECT_EQ(testsupport::helpTopicShown(page->helpWindowHandle()), QStringLiteral("21500.html"));
    page->IDtmActiveXControl_PrepareToRelease();
    EXPECT_EQ(testsupport::helpTopicShown(page->helpWindowHandle()), QString());
}

}  // namespace
