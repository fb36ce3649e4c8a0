// The Parameter page against a scripted host: what it shows after Init, how the
// user's edits reach the working copy of the parameter array, when it writes, and
// its reaction to data-set changes, locks, release and help.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <ostream>

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/common/HelpUtilities.h"
#include "QT27Controls/parameter/ChannelParameter.h"
#include "QT27Controls/parameter/Parameter.h"
#include "rmox/ButtonControl/ButtonControl.h"
#include "support/DebugLogCapture.h"
#include "support/FakeHost.h"

using testsupport::DebugLogCapture;
using testsupport::FakeDtm;

namespace {

constexpr int kChannels = 4;

// The array read for channels 1 to 4 and element 4; each field takes several values:
//   0x5C range 3, failsafe 1, open line off, short on,  damping 0
//   0x01 range 0, failsafe 0, open line on,  short on,  damping 1
//   0x26 range 1, failsafe 2, open line on,  short on,  damping 2
//   0x8B range 2, failsafe 0, open line on,  short off, damping 3
const QByteArray kRead = QByteArray::fromHex("5C01268BA7");
// Another array, for re-reads: every channel byte differs from kRead.
const QByteArray kReadAgain = QByteArray::fromHex("C3300D4411");

const QStringList kRanges37 = {"0..10 V", "2..10 V", "0..20 mA", "4..20 mA"};
const QStringList kRanges54 = {"0..10 V", "2..10 V", "0..5 V", "1..5 V"};
const QStringList kDampings = {"off", "100 ms", "2.6 s", "29.2 s"};

QStringList items(const QComboBox* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        texts << list->itemText(i);
    }
    return texts;
}

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

quint8 at(const QByteArray& bytes, int index) {
    return static_cast<quint8>(bytes.at(index));
}

QByteArray withElement(QByteArray bytes, int index, int value) {
    bytes[index] = static_cast<char>(value);
    return bytes;
}

class ParameterTest : public testing::Test {
protected:
    void SetUp() override {
        qt27::ReadDebugSettings(-1);
        dtm.module.parameters = kRead;
    }
    void TearDown() override {
        qt27::HelpUtilities::CloseAllHelp();
        qt27::ReadDebugSettings(-1);
    }

    void init() { ASSERT_TRUE(page.IDtmActiveXControl_Init(QStringLiteral("INV-P"), QString(), &dtm)); }

    qt27::ChannelParameter* editor(int index) const { return page.channelParameter(index); }
    template <typename T>
    T* element(int index, const char* name) const {
        T* found = editor(index)->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QComboBox* range(int index) const { return element<QComboBox>(index, "cboRange"); }
    QComboBox* damping(int index) const { return element<QComboBox>(index, "cboDamping"); }
    QComboBox* failsafe(int index) const { return element<QComboBox>(index, "cboFailsafeValue"); }
    QCheckBox* openLine(int index) const { return element<QCheckBox>(index, "chkOpenLineDetection"); }
    QCheckBox* shortDetection(int index) const { return element<QCheckBox>(index, "chkShortDetection"); }
    QString caption(int index) const { return element<QGroupBox>(index, "fraChannelParameter")->title(); }
    QString label(const char* name) const { return page.findChild<QLabel*>(QLatin1String(name))->text(); }
    rmox::ButtonControl* bar() const { return page.buttons(); }
    QStringList writes() const { return dtm.calls(QStringLiteral("WriteParameters")); }

    /// Each editor shows its element of @p bytes: byte, damping and, for a type with
    /// a range list, the range.
    void expectEditorsShow(const QByteArray& bytes, bool withRange = true) const {
        for (int i = 0; i < kChannels; ++i) {
            EXPECT_EQ(editor(i)->FailSafeParameter(), at(bytes, i)) << "channel " << i + 1;
            EXPECT_EQ(editor(i)->Damping(), at(bytes, i) & 3) << "channel " << i + 1;
            if (withRange) {
                EXPECT_EQ(editor(i)->RangeMode(), (at(bytes, i) >> 2) & 3) << "channel " << i + 1;
            }
        }
    }

    FakeDtm dtm;
    qt27::Parameter page;
};

// --- What Init shows -----------------------------------------------------------

struct ChannelShown {
    int range;
    const char* damping;
    int failsafe;
    bool openLineChecked;
    bool shortChecked;
};

// kRead as the user sees it, channel 1 first.
const ChannelShown kShown[kChannels] = {
    {3, "off", 1, false, true},
    {0, "100 ms", 0, true, true},
    {1, "2.6 s", 2, true, true},
    {2, "29.2 s", 0, true, false},
};

class ParameterInitTest : public ParameterTest, public testing::WithParamInterface<int> {};

TEST_P(ParameterInitTest, EachEditorShowsItsOwnChannelByteInTheTypesRangeList) {
    const int type = GetParam();
    const QStringList& ranges = type == 37 ? kRanges37 : kRanges54;
    dtm.module.typeCode = QString::number(type);
    init();

    for (int i = 0; i < kChannels; ++i) {
        SCOPED_TRACE(testing::Message() << "channel " << i + 1);
        const ChannelShown& shown = kShown[i];
        EXPECT_EQ(editor(i)->Typ(), type);
        EXPECT_EQ(editor(i)->ChannelNumber(), i + 1);
        EXPECT_EQ(caption(i), QStringLiteral("Channel %1: TI-10%1").arg(i + 1));
        EXPECT_EQ(range(i)->currentText(), ranges[shown.range]);
        EXPECT_EQ(damping(i)->currentText(), QLatin1String(shown.damping));
        EXPECT_EQ(failsafe(i)->currentIndex(), shown.failsafe);
        EXPECT_EQ(openLine(i)->isChecked(), shown.openLineChecked);
        EXPECT_EQ(shortDetection(i)->isChecked(), shown.shortChecked);
    }
    // Channel 1 in words: 0x5C holds the maximum value as failsafe value.
    EXPECT_EQ(failsafe(0)->currentText(), QStringLiteral("Maximum value"));
    EXPECT_EQ(page.dataSet(), kRead);
    EXPECT_EQ(label("lblSlotNumber"), QStringLiteral("07"));
    EXPECT_EQ(label("lblModuleType"), QStringLiteral("QT27Ex: "));
    EXPECT_FALSE(page.isDirty());
    EXPECT_FALSE(bar()->applyButton()->isEnabled());
    EXPECT_EQ(dtm.log.last(), QStringLiteral("UiOpened(INV-P)"));
}

INSTANTIATE_TEST_SUITE_P(Types, ParameterInitTest, testing::Values(37, 54));

TEST_F(ParameterTest, InitRecordsTheReadAndEveryElementInTheDebugLog) {
    DebugLogCapture capture;  // after the page: its creation reads the debug switches
    init();
    const QStringList expected = {
        "Parameter: IDtmActiveXControl_Init",
        "Parameter.IDtmActiveXControl_Init: ",
        "Parameter: GetAllValues",
        "Parameter: aDataSet0:0x5C",
        "Parameter: aDataSet1:0x1",
        "Parameter: aDataSet2:0x26",
        "Parameter: aDataSet3:0x8B",
        "Parameter: aDataSet4:0xA7",
        "Parameter: IDtmActiveXControl_Init: finished",
    };
    EXPECT_EQ(capture.linesFrom(QStringLiteral("Parameter")), expected);
}

// --- User edits and the working copy -------------------------------------------

enum class Edit { Damping, Failsafe, OpenLine, Short };

std::ostream& operator<<(std::ostream& out, Edit edit) {
    switch (edit) {
        case Edit::Damping:
            return out << "damping";
        case Edit::Failsafe:
            return out << "failsafe";
        case Edit::OpenLine:
            return out << "open line";
        case Edit::Short:
            return out << "short";
    }
    return out;
}

class ParameterUserEditTest : public ParameterTest,
                              public testing::WithParamInterface<std::tuple<int, Edit>> {};

// One edit of one editor changes only its own bits of its own element.
TEST_P(ParameterUserEditTest, ChangesOnlyItsBitsOfItsElement) {
    const auto [channel, edit] = GetParam();
    init();
    const quint8 read = at(kRead, channel);
    quint8 expected = read;
    switch (edit) {
        case Edit::Damping: {
            const int choice = ((read & 3) + 2) & 3;
            damping(channel)->setCurrentIndex(choice);
            expected = static_cast<quint8>((read & ~3) | choice);
            break;
        }
        case Edit::Failsafe: {
            const int choice = (((read >> 4) & 3) + 1) % 3;
            failsafe(channel)->setCurrentIndex(choice);
            expected = static_cast<quint8>((read & ~0x30) | (choice << 4));
            break;
        }
        case Edit::OpenLine:
            openLine(channel)->click();
            expected = read ^ 0x40;
            break;
        case Edit::Short:
            shortDetection(channel)->click();
            expected = read ^ 0x80;
            break;
    }
    EXPECT_EQ(hex(page.dataSet()), hex(withElement(kRead, channel, expected)));
    EXPECT_TRUE(page.isDirty());
    EXPECT_TRUE(bar()->applyButton()->isEnabled());
    EXPECT_TRUE(writes().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(ChannelsAndEdits, ParameterUserEditTest,
                         testing::Combine(testing::Range(0, kChannels),
                                          testing::Values(Edit::Damping, Edit::Failsafe, Edit::OpenLine,
                                                          Edit::Short)));

TEST_F(ParameterTest, Damping26sOnChannel2SetsBits0And1OfElement1To2) {
    init();
    damping(1)->setCurrentIndex(damping(1)->findText(QStringLiteral("2.6 s")));
    EXPECT_EQ(hex(page.dataSet()), hex(withElement(kRead, 1, (at(kRead, 1) & ~3) | 2)));
}

class ParameterRangeTest : public ParameterTest, public testing::WithParamInterface<std::tuple<int, int>> {};

// A range selection changes bits 2-3 of exactly that element, pushes the whole
// working copy into all four editors, and Apply writes and commits the array.
TEST_P(ParameterRangeTest, SelectionChangesBits2And3OfItsElementAndRefreshesAllEditors) {
    const auto [channel, type] = GetParam();
    const QStringList& ranges = type == 37 ? kRanges37 : kRanges54;
    dtm.module.typeCode = QString::number(type);
    init();
    // The other editors show something else than the working copy until the refresh.
    for (int i = 0; i < kChannels; ++i) {
        if (i != channel) {
            editor(i)->setFailSafeParameter(static_cast<quint8>(~at(kRead, i)));
            editor(i)->setDamping(static_cast<quint8>((at(kRead, i) + 1) & 3));
            editor(i)->setRangeMode(static_cast<qint16>(((at(kRead, i) >> 2) + 1) & 3));
        }
    }

    const int choice = (((at(kRead, channel) >> 2) & 3) + 2) & 3;
    range(channel)->setCurrentIndex(choice);

    const QByteArray expected = withElement(kRead, channel, (at(kRead, channel) & 0xF3) | (choice << 2));
    EXPECT_EQ(hex(page.dataSet()), hex(expected));
    expectEditorsShow(expected);
    EXPECT_EQ(range(channel)->currentText(), ranges[choice]);
    EXPECT_TRUE(page.isDirty());
    EXPECT_TRUE(bar()->applyButton()->isEnabled());

    dtm.log.clear();
    bar()->applyButton()->click();
    EXPECT_EQ(dtm.log, (QStringList{"WriteParameters(" + hex(expected) + ")", "CommitParameters"}));
    EXPECT_FALSE(page.isDirty());
    EXPECT_FALSE(bar()->applyButton()->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(ChannelsAndTypes, ParameterRangeTest,
                         testing::Combine(testing::Range(0, kChannels), testing::Values(37, 54)));

TEST_F(ParameterTest, EditsOfSeveralChannelsAreAllWrittenTogether) {
    init();
    range(0)->setCurrentIndex(0);
    damping(2)->setCurrentIndex(0);
    shortDetection(3)->click();
    range(3)->setCurrentIndex(1);
    QByteArray expected = kRead;
    expected[0] = static_cast<char>(at(kRead, 0) & 0xF3);
    expected[2] = static_cast<char>(at(kRead, 2) & ~3);
    expected[3] = static_cast<char>(((at(kRead, 3) & 0x73) | (1 << 2)));
    bar()->applyButton()->click();
    EXPECT_EQ(writes(), QStringList{"WriteParameters(" + hex(expected) + ")"});
    EXPECT_EQ(dtm.module.parameters, expected);
}

// --- Module type codes without a range list -----------------------------------------

TEST_F(ParameterTest, OtherTypeCodeNeitherShowsNorChangesNorWritesTheRangeBits) {
    dtm.module.typeCode = QStringLiteral("12");
    init();
    for (int i = 0; i < kChannels; ++i) {
        EXPECT_EQ(editor(i)->Typ(), 12);
        EXPECT_EQ(items(range(i)), kRanges37);
    }
    expectEditorsShow(kRead, false);

    range(1)->setCurrentIndex(2);  // channel 2 holds range 0
    EXPECT_EQ(page.dataSet(), kRead);
    EXPECT_TRUE(page.isDirty());

    // The editors' range selections differ from the bits read; the bits read are written.
    damping(3)->setCurrentIndex(0);
    const QByteArray expected = withElement(kRead, 3, at(kRead, 3) & ~3);
    bar()->applyButton()->click();
    EXPECT_EQ(writes(), QStringList{"WriteParameters(" + hex(expected) + ")"});
    EXPECT_EQ(dtm.calls(QStringLiteral("CommitParameters")).size(), 1);
}

TEST_F(ParameterTest, TypeCodeThatIsNoNumberIsLoggedPerEditorAndTheRestOfThePageIsFilled) {
    dtm.module.typeCode = QStringLiteral("abc");
    DebugLogCapture capture;
    init();
    EXPECT_EQ(capture.linesFrom(QStringLiteral("Parameter: Type mismatch")).size(), kChannels);
    for (int i = 0; i < kChannels; ++i) {
        SCOPED_TRACE(testing::Message() << "channel " << i + 1);
        EXPECT_EQ(items(range(i)), kRanges37);
        EXPECT_EQ(editor(i)->Typ(), 0);
        EXPECT_EQ(caption(i), QStringLiteral("Channel %1: TI-10%1").arg(i + 1));
        EXPECT_EQ(element<QLabel>(i, "lblRange")->text(), QStringLiteral("Range"));
    }
    expectEditorsShow(kRead, false);
    EXPECT_EQ(label("lblSlotNumber"), QStringLiteral("07"));
    EXPECT_EQ(dtm.log.last(), QStringLiteral("UiOpened(INV-P)"));
}

// --- Incomplete data --------------------------------------------------------------

class ParameterShortArrayTest : public ParameterTest, public testing::WithParamInterface<int> {};

// The refresh stops at the first missing element; what was read before is shown.
TEST_P(ParameterShortArrayTest, IsLoggedAndTheRestOfThePageIsFilled) {
    const int length = GetParam();
    dtm.module.parameters = kRead.left(length);
    DebugLogCapture capture;
    init();
    const QStringList lines = capture.linesFrom(QStringLiteral("Parameter"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Parameter: Subscript out of range")))
        << lines.join('\n').toStdString();
    EXPECT_EQ(capture.linesFrom(QStringLiteral("Parameter: aDataSet")).size(), std::min(length, kChannels));
    for (int i = 0; i < kChannels; ++i) {
        SCOPED_TRACE(testing::Message() << "channel " << i + 1);
        EXPECT_EQ(editor(i)->FailSafeParameter(), i < length ? at(kRead, i) : 0);
        EXPECT_EQ(caption(i), QStringLiteral("Channel %1: TI-10%1").arg(i + 1));
    }
    EXPECT_EQ(label("lblSlotNumber"), QStringLiteral("07"));
    EXPECT_EQ(lines.last(), QStringLiteral("Parameter: IDtmActiveXControl_Init: finished"));
    EXPECT_EQ(dtm.log.last(), QStringLiteral("UiOpened(INV-P)"));
}

INSTANTIATE_TEST_SUITE_P(Lengths, ParameterShortArrayTest, testing::Range(0, 5));

enum class Missing { Absent, DocumentFails, NumberOutOfRange };

std::ostream& operator<<(std::ostream& out, Missing missing) {
    switch (missing) {
        case Missing::Absent:
            return out << "absent";
        case Missing::DocumentFails:
            return out << "document fails";
        case Missing::NumberOutOfRange:
            return out << "number out of range";
    }
    return out;
}

class ParameterMissingChannelTest : public ParameterTest,
                                    public testing::WithParamInterface<std::tuple<int, Missing>> {};

// A channel that cannot be read leaves its editor with the tag it had; the others
// get their new tags and the parameters are read all the same.
TEST_P(ParameterMissingChannelTest, KeepsThatEditorsTagAndSetsTheOthers) {
    const auto [missing, how] = GetParam();
    init();
    dtm.module.tags = QStringList{"AI-1", "AI-2", "AI-3", "AI-4"};
    dtm.module.parameters = kReadAgain;
    dtm.rebuildChannels();
    auto& channels = dtm.channels.channels;
    switch (how) {
        case Missing::Absent:
            channels.erase(channels.begin() + missing);
            break;
        case Missing::DocumentFails:
            channels[static_cast<size_t>(missing)]->fail = true;
            break;
        case Missing::NumberOutOfRange:
            channels[static_cast<size_t>(missing)]->document = testsupport::channelDocument(9, "AI-9");
            break;
    }
    DebugLogCapture capture;
    emit dtm.base.ParameterChanged();

    for (int i = 0; i < kChannels; ++i) {
        EXPECT_EQ(caption(i), i == missing ? QStringLiteral("Channel %1: TI-10%1").arg(i + 1)
                                           : QStringLiteral("Channel %1: AI-%1").arg(i + 1));
    }
    expectEditorsShow(kReadAgain);
    const QStringList errors =
        capture.linesFrom(QStringLiteral("Parameter: "))
            .filter(QRegularExpression(QStringLiteral("^Parameter: (?!GetAllValues|aDataSet)")));
    EXPECT_EQ(errors.size(), how == Missing::Absent ? 0 : 1) << errors.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(ChannelsAndWays, ParameterMissingChannelTest,
                         testing::Combine(testing::Range(0, kChannels),
                                          testing::Values(Missing::Absent, Missing::DocumentFails,
                                                          Missing::NumberOutOfRange)));

// --- ParameterChanged ----------------------------------------------------------------

TEST_F(ParameterTest, TwoParameterChangedInARowReadTwiceAndShowTheLastData) {
    init();
    DebugLogCapture capture;
    dtm.log.clear();
    dtm.module.parameters = kReadAgain;
    emit dtm.base.ParameterChanged();
    dtm.module.parameters = withElement(kReadAgain, 2, 0x00);
    emit dtm.base.parameterManager.ParameterChanged();
    EXPECT_EQ(capture.linesFrom(QStringLiteral("Parameter: GetAllValues")).size(), 2);
    EXPECT_EQ(dtm.calls(QStringLiteral("ReadParameters")).size(), 2);
    EXPECT_EQ(page.dataSet(), withElement(kReadAgain, 2, 0x00));
    expectEditorsShow(page.dataSet());
}

enum class Source { BaseDtm, ParameterManager };

class ParameterChangedTest : public ParameterTest,
                             public testing::WithParamInterface<std::tuple<Source, bool>> {};

TEST_P(ParameterChangedTest, ReplacesTheWorkingCopyAndKeepsTheDirtyFlag) {
    const auto [source, dirty] = GetParam();
    init();
    if (dirty) {
        damping(0)->setCurrentIndex(3);
    }
    dtm.module.parameters = kReadAgain;
    if (source == Source::BaseDtm) {
        emit dtm.base.ParameterChanged();
    } else {
        emit dtm.base.parameterManager.ParameterChanged();
    }
    EXPECT_EQ(page.dataSet(), kReadAgain);
    expectEditorsShow(kReadAgain);
    EXPECT_EQ(page.isDirty(), dirty);
    EXPECT_EQ(bar()->applyButton()->isEnabled(), dirty);
    EXPECT_TRUE(writes().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(SourcesAndDirty, ParameterChangedTest,
                         testing::Combine(testing::Values(Source::BaseDtm, Source::ParameterManager),
                                          testing::Bool()));

// --- Apply and OK ----------------------------------------------------------------------

TEST_F(ParameterTest, ApplyWhileDirtyWritesAndCommitsEvenWhenTheEditsRestoredTheValuesRead) {
    init();
    damping(1)->setCurrentIndex(3);
    damping(1)->setCurrentIndex(at(kRead, 1) & 3);
    openLine(0)->click();
    openLine(0)->click();
    ASSERT_TRUE(page.isDirty());
    EXPECT_EQ(page.dataSet(), kRead);
    dtm.log.clear();
    bar()->applyButton()->click();
    EXPECT_EQ(dtm.log, (QStringList{"WriteParameters(" + hex(kRead) + ")", "CommitParameters"}));
}

TEST_F(ParameterTest, ApplyAndOkWithoutChangesWriteNothing) {
    init();
    page.ctlButtons_Apply();
    bar()->okButton()->click();
    EXPECT_TRUE(writes().isEmpty());
    EXPECT_TRUE(dtm.calls(QStringLiteral("CommitParameters")).isEmpty());
    EXPECT_EQ(dtm.log.last(), QStringLiteral("CloseUi(INV-P)"));

    // An applied change leaves nothing for the next Apply.
    damping(0)->setCurrentIndex(1);
    bar()->applyButton()->click();
    page.ctlButtons_Apply();
    EXPECT_EQ(writes().size(), 1);
}

TEST_F(ParameterTest, OkWritesTheChangesThenAsksToClose) {
    init();
    failsafe(2)->setCurrentIndex(0);
    dtm.log.clear();
    bar()->okButton()->click();
    const QByteArray expected = withElement(kRead, 2, at(kRead, 2) & ~0x30);
    EXPECT_EQ(dtm.log,
              (QStringList{"WriteParameters(" + hex(expected) + ")", "CommitParameters", "CloseUi(INV-P)"}));
}

// --- Locks -------------------------------------------------------------------------------

TEST_F(ParameterTest, LockByAnotherUserMakesEveryEditorReadOnlyAndOnlyAnotherUsersUnlockLocksAgain) {
    init();
    const auto expectLocked = [&](bool locked) {
        EXPECT_EQ(page.isLocked(), locked);
        EXPECT_EQ(bar()->okButton()->isEnabled(), !locked);
        EXPECT_EQ(bar()->applyButton()->isEnabled(), !locked);
        for (int i = 0; i < kChannels; ++i) {
            EXPECT_EQ(editor(i)->Locked(), locked) << "channel " << i + 1;
            for (QWidget* input : {static_cast<QWidget*>(range(i)), static_cast<QWidget*>(damping(i)),
                                   static_cast<QWidget*>(failsafe(i)), static_cast<QWidget*>(openLine(i)),
                                   static_cast<QWidget*>(shortDetection(i))}) {
                EXPECT_EQ(input->isEnabled(), !locked) << input->objectName().toStdString();
            }
        }
    };

    dtm.base.holdsLock = false;
    emit dtm.base.LockDataSet(QStringLiteral("operator"));
    SCOPED_TRACE("locked by operator");
    expectLocked(true);
    EXPECT_EQ(bar()->StatusText(), QStringLiteral("Data set locked by operator"));

    emit dtm.base.UnlockDataSet(QStringLiteral("COMPATIBILITY"));
    expectLocked(true);

    dtm.base.holdsLock = true;
    emit dtm.base.LockDataSet(QStringLiteral("engineer"));
    expectLocked(false);
    EXPECT_EQ(bar()->StatusText(), QStringLiteral("Data set locked by engineer"));

    emit dtm.base.UnlockDataSet(QStringLiteral("COMPATIBILITY"));
    expectLocked(false);
    EXPECT_EQ(bar()->StatusText(), QStringLiteral("Data set locked by engineer"));

    emit dtm.base.UnlockDataSet(QStringLiteral("engineer"));
    expectLocked(true);
    EXPECT_TRUE(bar()->StatusText().isEmpty());
}

TEST_F(ParameterTest, PageThatMayNotEditStartsLockedAndStaysLockedThroughARead) {
    dtm.base.mayEdit = false;
    init();
    dtm.module.parameters = kReadAgain;
    emit dtm.base.ParameterChanged();
    EXPECT_TRUE(page.isLocked());
    EXPECT_FALSE(bar()->okButton()->isEnabled());
    for (int i = 0; i < kChannels; ++i) {
        EXPECT_TRUE(editor(i)->Locked());
        EXPECT_FALSE(range(i)->isEnabled());
    }
    expectEditorsShow(kReadAgain);
}

// --- Release ---------------------------------------------------------------------------

class ParameterReleaseTest : public ParameterTest, public testing::WithParamInterface<int> {};

TEST_P(ParameterReleaseTest, WithChangesAsksUnderTheModuleTypeNameAndWritesOnlyOnYes) {
    const int answer = GetParam();
    init();
    range(3)->setCurrentIndex(0);
    dtm.base.messages.answer = answer;
    dtm.log.clear();
    EXPECT_TRUE(page.IDtmActiveXControl_PrepareToRelease());

    ASSERT_EQ(dtm.base.messages.questions.size(), 1);
    const QStringList question = dtm.base.messages.questions.first();
    EXPECT_EQ(question[0], dtm.base.resources.GetString(6501, qt27::CommonResourceFolder()));
    EXPECT_EQ(question[1], QStringLiteral("QT27Ex"));
    EXPECT_EQ(question[2], QStringLiteral("4"));

    const QByteArray changed = withElement(kRead, 3, at(kRead, 3) & 0xF3);
    const QStringList end = {"EndEditing", "UiReleased(INV-P)"};
    if (answer == qt27::MessageService::AnswerYes) {
        EXPECT_EQ(dtm.log, QStringList({"AskUser(QT27Ex)", "WriteParameters(" + hex(changed) + ")",
                                        "CommitParameters"}) +
                               end);
        EXPECT_EQ(dtm.module.parameters, changed);
    } else {
        EXPECT_EQ(dtm.log, QStringList{"AskUser(QT27Ex)"} + end);
        EXPECT_EQ(dtm.module.parameters, kRead);
    }
    EXPECT_TRUE(page.isReleased());
}

INSTANTIATE_TEST_SUITE_P(Answers, ParameterReleaseTest,
                         testing::Values(int(qt27::MessageService::AnswerYes),
                                         int(qt27::MessageService::AnswerNo)));

TEST_F(ParameterTest, ReleaseWithoutUnsavedChangesAsksNothing) {
    init();
    damping(0)->setCurrentIndex(2);
    bar()->applyButton()->click();
    dtm.log.clear();
    EXPECT_TRUE(page.IDtmActiveXControl_PrepareToRelease());
    EXPECT_TRUE(dtm.base.messages.questions.isEmpty());
    EXPECT_EQ(dtm.log, (QStringList{"EndEditing", "UiReleased(INV-P)"}));
}

// --- Help --------------------------------------------------------------------------------

TEST_F(ParameterTest, HelpOpensContext21500) {
    init();
    bar()->helpButton()->click();
    ASSERT_NE(page.helpWindowHandle(), 0u);
    QTextBrowser* shown = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->property("qt27HelpHandle").value<quintptr>() == page.helpWindowHandle()) {
            shown = qobject_cast<QTextBrowser*>(window);
        }
    }
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->source(),
              QUrl::fromLocalFile(QDir::fromNativeSeparators(qt27::HelpUtilities::TopicPath(21500))));
}

}  // namespace
