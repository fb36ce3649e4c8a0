// The channel parameter byte as the editor shows it and as user edits change it.

#include <QTest>
#include <functional>
#include <ostream>

#include "ChannelParameterFixture.h"
#include "rmox/Error.h"

using namespace chanparamtest;

namespace {

class ChannelParameterBits : public testing::Test {
protected:
    void SetUp() override { control.show(); }

    QComboBox* range() const { return cbo(control, "cboRange"); }
    QComboBox* damping() const { return cbo(control, "cboDamping"); }
    QComboBox* failsafe() const { return cbo(control, "cboFailsafeValue"); }
    QCheckBox* openLine() const { return chk(control, "chkOpenLineDetection"); }
    QCheckBox* shortDetection() const { return chk(control, "chkShortDetection"); }

    qt27::ChannelParameter control;
    QSignalSpy dirty{&control, &qt27::ChannelParameter::SetDirty};
    QSignalSpy rangeChanged{&control, &qt27::ChannelParameter::RangeChanged};
};

TEST_F(ChannelParameterBits, StartsWithType37ListAndFirstEntriesAndNoModuleType) {
    EXPECT_EQ(items(range()), QStringList({"0..10 V", "2..10 V", "0..20 mA", "4..20 mA"}));
    EXPECT_EQ(range()->currentIndex(), 3);
    EXPECT_EQ(control.RangeMode(), 3);
    EXPECT_EQ(items(damping()), QStringList({"off", "100 ms", "2.6 s", "29.2 s"}));
    EXPECT_EQ(damping()->currentIndex(), 0);
    EXPECT_EQ(items(failsafe()), QStringList({"IDS_DATASET_MIN_VALUE", "IDS_DATASET_MAX_VALUE",
                                              "IDS_DATASET_LAST_VALID_VALUE"}));
    EXPECT_EQ(failsafe()->currentIndex(), 0);
    // The boxes agree with the byte the editor starts with.
    EXPECT_EQ(control.FailSafeParameter(), 0x00);
    EXPECT_TRUE(openLine()->isChecked());
    EXPECT_TRUE(shortDetection()->isChecked());
    EXPECT_EQ(control.Typ(), 0);
    EXPECT_EQ(fra(control, "fraChannelParameter")->title(), "channel 0: ");
}

// --- Writing FailSafeParameter ---------------------------------------------

struct Shown {
    quint8 byte;
    bool shortChecked;
    bool openLineChecked;
    int failsafeIndex;
};

class ChannelParameterShowsByte : public ChannelParameterBits, public testing::WithParamInterface<Shown> {};

TEST_P(ChannelParameterShowsByte, ShowsEachBitOnItsOwnAndKeepsTheByte) {
    const Shown& c = GetParam();
    // Start from the opposite of what is expected so that every element must move.
    control.setFailSafeParameter(static_cast<quint8>(~c.byte & 0xF0));
    control.setDamping(1);
    control.setRangeMode(2);

    control.setFailSafeParameter(c.byte);

    EXPECT_EQ(shortDetection()->isChecked(), c.shortChecked);
    EXPECT_EQ(openLine()->isChecked(), c.openLineChecked);
    EXPECT_EQ(failsafe()->currentIndex(), c.failsafeIndex);
    EXPECT_EQ(control.FailSafeParameter(), c.byte);
    // Range and damping are kept apart from the byte.
    EXPECT_EQ(control.Damping(), 1);
    EXPECT_EQ(control.RangeMode(), 2);
    EXPECT_EQ(damping()->currentIndex(), 1);
    EXPECT_EQ(range()->currentIndex(), 2);
    EXPECT_EQ(dirty.count(), 0);
    EXPECT_EQ(rangeChanged.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Bytes, ChannelParameterShowsByte,
                         testing::Values(Shown{0x00, true, true, 0}, Shown{0xC0, false, false, 0},
                                         Shown{0x40, true, false, 0}, Shown{0x80, false, true, 0},
                                         Shown{0x5C, true, false, 1}, Shown{0x2F, true, true, 2},
                                         Shown{0x9E, false, true, 1}, Shown{0xE3, false, false, 2}));

// --- User edits of the byte --------------------------------------------------

struct BoxToggle {
    const char* box;
    quint8 before;
    quint8 after;
};

class ChannelParameterBoxToggle : public ChannelParameterBits,
                                  public testing::WithParamInterface<BoxToggle> {};

TEST_P(ChannelParameterBoxToggle, MouseClickSwitchesOnlyTheBoxsBit) {
    const BoxToggle& c = GetParam();
    control.setFailSafeParameter(c.before);
    QCheckBox* clicked = chk(control, c.box);
    QCheckBox* other = clicked == openLine() ? shortDetection() : openLine();
    const bool otherBefore = other->isChecked();

    QTest::mouseClick(clicked, Qt::LeftButton);

    EXPECT_EQ(control.FailSafeParameter(), c.after);
    EXPECT_EQ(other->isChecked(), otherBefore);
    ASSERT_EQ(dirty.count(), 1);
    EXPECT_EQ(dirty.at(0).at(0).toBool(), true);
    EXPECT_EQ(rangeChanged.count(), 0);
    // What the boxes show is again exactly the byte.
    EXPECT_EQ(shortDetection()->isChecked(), (c.after & 0x80) == 0);
    EXPECT_EQ(openLine()->isChecked(), (c.after & 0x40) == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Toggles, ChannelParameterBoxToggle,
    testing::Values(BoxToggle{"chkOpenLineDetection", 0x00, 0x40},
                    BoxToggle{"chkOpenLineDetection", 0x40, 0x00},
                    BoxToggle{"chkOpenLineDetection", 0xC0, 0x80},
                    BoxToggle{"chkOpenLineDetection", 0x9F, 0xDF}, BoxToggle{"chkShortDetection", 0x00, 0x80},
                    BoxToggle{"chkShortDetection", 0x80, 0x00}, BoxToggle{"chkShortDetection", 0xC0, 0x40},
                    BoxToggle{"chkShortDetection", 0x40, 0xC0}, BoxToggle{"chkShortDetection", 0x3F, 0xBF},
                    BoxToggle{"chkShortDetection", 0xFF, 0x7F}));

struct FailsafeChoice {
    quint8 before;
    int entry;
    quint8 after;
};

class ChannelParameterFailsafeChoice : public ChannelParameterBits,
                                       public testing::WithParamInterface<FailsafeChoice> {};

TEST_P(ChannelParameterFailsafeChoice, ReplacesBits4And5Only) {
    const FailsafeChoice& c = GetParam();
    control.setFailSafeParameter(c.before);

    failsafe()->setCurrentIndex(c.entry);

    EXPECT_EQ(control.FailSafeParameter(), c.after);
    ASSERT_EQ(dirty.count(), 1);
    EXPECT_TRUE(dirty.at(0).at(0).toBool());
    EXPECT_EQ(rangeChanged.count(), 0);
    EXPECT_EQ(failsafe()->count(), 3);
}

INSTANTIATE_TEST_SUITE_P(Choices, ChannelParameterFailsafeChoice,
                         testing::Values(FailsafeChoice{0x00, 2, 0x20}, FailsafeChoice{0xCF, 2, 0xEF},
                                         FailsafeChoice{0x5C, 0, 0x4C}, FailsafeChoice{0x5C, 2, 0x6C},
                                         FailsafeChoice{0xE3, 1, 0xD3},
                                         // From the selection without an entry to a real one.
                                         FailsafeChoice{0x30, 0, 0x00}, FailsafeChoice{0xF5, 2, 0xE5}));

TEST_F(ChannelParameterBits, KeyboardWalksThroughFailsafeEntriesOneEventEach) {
    control.setFailSafeParameter(0x8B);
    failsafe()->setFocus();
    QTest::keyClick(failsafe(), Qt::Key_Down);
    EXPECT_EQ(control.FailSafeParameter(), 0x9B);
    QTest::keyClick(failsafe(), Qt::Key_Down);
    EXPECT_EQ(control.FailSafeParameter(), 0xAB);
    // The last entry: another Down changes nothing and raises nothing.
    QTest::keyClick(failsafe(), Qt::Key_Down);
    EXPECT_EQ(control.FailSafeParameter(), 0xAB);
    EXPECT_EQ(dirty.count(), 2);
}

// --- Failsafe selection 3 ----------------------------------------------------

TEST_F(ChannelParameterBits, SelectionWithoutEntryIsShownAndKeptUntilTheUserChooses) {
    control.setFailSafeParameter(0x30);
    ASSERT_EQ(failsafe()->count(), 4);
    EXPECT_EQ(failsafe()->currentIndex(), 3);
    EXPECT_EQ(failsafe()->currentText(), qt27::ChannelParameter::InvalidFailsafeText());

    // Other edits keep bits 4-5 as they are.
    QTest::mouseClick(openLine(), Qt::LeftButton);
    QTest::mouseClick(shortDetection(), Qt::LeftButton);
    EXPECT_EQ(control.FailSafeParameter(), 0xF0);
    EXPECT_EQ(failsafe()->count(), 4);

    // Up from the extra entry reaches a real one and the extra entry is gone.
    failsafe()->setFocus();
    QTest::keyClick(failsafe(), Qt::Key_Up);
    EXPECT_EQ(control.FailSafeParameter(), 0xE0);
    EXPECT_EQ(failsafe()->count(), 3);
    EXPECT_EQ(failsafe()->currentIndex(), 2);
    EXPECT_EQ(dirty.count(), 3);
}

TEST_F(ChannelParameterBits, WritingSelection3AgainAddsNoSecondEntryAndAValidByteRemovesIt) {
    control.setFailSafeParameter(0x30);
    control.setFailSafeParameter(0xB3);
    EXPECT_EQ(failsafe()->count(), 4);
    EXPECT_EQ(failsafe()->currentIndex(), 3);

    control.setFailSafeParameter(0x10);
    EXPECT_EQ(failsafe()->count(), 3);
    EXPECT_EQ(failsafe()->currentIndex(), 1);
    EXPECT_EQ(control.FailSafeParameter(), 0x10);
    EXPECT_EQ(dirty.count(), 0);
}

// --- Range and damping --------------------------------------------------------

TEST_F(ChannelParameterBits, UserRangeChoiceRaisesRangeChangedWithTheIndexAndLeavesTheByte) {
    control.setFailSafeParameter(0x5C);
    control.setRangeMode(3);
    range()->setFocus();
    QTest::keyClick(range(), Qt::Key_Home);
    ASSERT_EQ(rangeChanged.count(), 1);
    EXPECT_EQ(rangeChanged.at(0).at(0).value<qint16>(), 0);
    EXPECT_EQ(control.RangeMode(), 0);
    EXPECT_EQ(control.FailSafeParameter(), 0x5C);
    EXPECT_EQ(dirty.count(), 0);

    range()->setCurrentIndex(2);
    ASSERT_EQ(rangeChanged.count(), 2);
    EXPECT_EQ(rangeChanged.at(1).at(0).value<qint16>(), 2);
}

TEST_F(ChannelParameterBits, UserDampingChoiceStoresTheIndexAndLeavesTheByte) {
    control.setFailSafeParameter(0x5C);
    damping()->setFocus();
    QTest::keyClick(damping(), Qt::Key_End);
    EXPECT_EQ(control.Damping(), 3);
    EXPECT_EQ(control.FailSafeParameter(), 0x5C);
    ASSERT_EQ(dirty.count(), 1);
    EXPECT_TRUE(dirty.at(0).at(0).toBool());
    EXPECT_EQ(rangeChanged.count(), 0);
}

struct DampingWrite {
    quint8 value;
    int index;
};

class ChannelParameterDampingWrite : public ChannelParameterBits,
                                     public testing::WithParamInterface<DampingWrite> {};

TEST_P(ChannelParameterDampingWrite, StoresTheValueAndSelectsItsLowTwoBits) {
    control.setDamping(GetParam().value);
    EXPECT_EQ(control.Damping(), GetParam().value);
    EXPECT_EQ(damping()->currentIndex(), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(Values, ChannelParameterDampingWrite,
                         testing::Values(DampingWrite{0, 0}, DampingWrite{3, 3}, DampingWrite{6, 2},
                                         DampingWrite{0x5D, 1}, DampingWrite{0xFC, 0}));

// --- Module type ----------------------------------------------------------------

struct TypeList {
    qint16 typ;
    QStringList texts;
};

class ChannelParameterTypeList : public ChannelParameterBits, public testing::WithParamInterface<TypeList> {};

TEST_P(ChannelParameterTypeList, ReplacesTheRangeTextsAndSelectsIndex3Silently) {
    // Start from the other list with another range selected.
    control.setTyp(GetParam().typ == 37 ? 54 : 37);
    control.setRangeMode(0);

    control.setTyp(GetParam().typ);

    EXPECT_EQ(items(range()), GetParam().texts);
    EXPECT_EQ(range()->currentIndex(), 3);
    EXPECT_EQ(control.RangeMode(), 3);
    EXPECT_EQ(control.Typ(), GetParam().typ);
    EXPECT_EQ(rangeChanged.count(), 0);
    EXPECT_EQ(dirty.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Types, ChannelParameterTypeList,
                         testing::Values(TypeList{37, {"0..10 V", "2..10 V", "0..20 mA", "4..20 mA"}},
                                         TypeList{54, {"0..10 V", "2..10 V", "0..5 V", "1..5 V"}}));

TEST_F(ChannelParameterBits, OtherTypeIsStoredAndLeavesListAndSelection) {
    control.setTyp(54);
    control.setRangeMode(1);
    const QStringList before = items(range());

    control.setTyp(12);

    EXPECT_EQ(control.Typ(), 12);
    EXPECT_EQ(items(range()), before);
    EXPECT_EQ(range()->currentIndex(), 1);
    EXPECT_EQ(control.RangeMode(), 1);
}

TEST_F(ChannelParameterBits, TypeThatNoByteHoldsRaisesOverflowAndChangesNothing) {
    control.setTyp(54);
    for (qint16 typ : {qint16(256), qint16(-1), qint16(293)}) {
        try {
            control.setTyp(typ);
            ADD_FAILURE() << "no error for " << typ;
        } catch (const rmox::Error& error) {
            EXPECT_EQ(error.number(), rmox::Error::Overflow);
        }
        EXPECT_EQ(control.Typ(), 54);
        EXPECT_EQ(range()->itemText(3), "1..5 V");
    }
}

// --- Setters stay silent ------------------------------------------------------

struct Setter {
    const char* name;
    std::function<void(qt27::ChannelParameter&)> apply;
};

std::ostream& operator<<(std::ostream& out, const Setter& c) {
    return out << c.name;
}

class ChannelParameterSilentSetter : public ChannelParameterBits,
                                     public testing::WithParamInterface<Setter> {};

TEST_P(ChannelParameterSilentSetter, RaisesNoEvent) {
    // A state from which every setter below changes what the elements show.
    control.setFailSafeParameter(0x00);
    control.setRangeMode(0);
    control.setDamping(0);
    dirty.clear();
    rangeChanged.clear();

    GetParam().apply(control);

    EXPECT_EQ(dirty.count(), 0);
    EXPECT_EQ(rangeChanged.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Setters, ChannelParameterSilentSetter,
    testing::Values(
        Setter{"Typ37", [](qt27::ChannelParameter& c) { c.setTyp(37); }},
        Setter{"Typ54", [](qt27::ChannelParameter& c) { c.setTyp(54); }},
        Setter{"Typ12", [](qt27::ChannelParameter& c) { c.setTyp(12); }},
        Setter{"RangeMode", [](qt27::ChannelParameter& c) { c.setRangeMode(2); }},
        Setter{"RangeModeNone", [](qt27::ChannelParameter& c) { c.setRangeMode(-1); }},
        Setter{"FailSafeParameterAllOff", [](qt27::ChannelParameter& c) { c.setFailSafeParameter(0xE0); }},
        Setter{"FailSafeParameterNoEntry", [](qt27::ChannelParameter& c) { c.setFailSafeParameter(0xF0); }},
        Setter{"FailSafeParameterBackFromNoEntry",
               [](qt27::ChannelParameter& c) {
                   c.setFailSafeParameter(0x30);
                   c.setFailSafeParameter(0x10);
               }},
        Setter{"Damping", [](qt27::ChannelParameter& c) { c.setDamping(3); }},
        Setter{"ChannelNumberAndTag",
               [](qt27::ChannelParameter& c) {
                   c.setChannelNumber(2);
                   c.setChannelTag("TI-102");
               }},
        Setter{"Locked",
               [](qt27::ChannelParameter& c) {
                   c.setLocked(true);
                   c.setLocked(false);
               }},
        Setter{"ByProperty",
               [](qt27::ChannelParameter& c) {
                   c.setProperty("Typ", QVariant::fromValue<qint16>(54));
                   c.setProperty("RangeMode", QVariant::fromValue<qint16>(1));
                   c.setProperty("FailSafeParameter", QVariant::fromValue<quint8>(0xE0));
                   c.setProperty("Damping", QVariant::fromValue<quint8>(2));
               }}),
    [](const testing::TestParamInfo<Setter>& info) { return std::string(info.param.name); });

// --- Locking --------------------------------------------------------------------

TEST_F(ChannelParameterBits, LockedDisablesTheFiveEditorsAndTheUserCannotChangeTheByte) {
    control.setFailSafeParameter(0x00);
    control.setLocked(true);
    EXPECT_TRUE(control.Locked());
    for (const char* name :
         {"cboRange", "cboDamping", "chkOpenLineDetection", "chkShortDetection", "cboFailsafeValue"}) {
        EXPECT_FALSE(element<QWidget>(control, name)->isEnabled()) << name;
    }
    EXPECT_TRUE(lbl(control, "lblRange")->isEnabled());
    EXPECT_TRUE(fra(control, "fraMonitoring")->isEnabled());

    QTest::mouseClick(openLine(), Qt::LeftButton);
    EXPECT_EQ(control.FailSafeParameter(), 0x00);
    EXPECT_EQ(dirty.count(), 0);

    control.setLocked(false);
    EXPECT_FALSE(control.Locked());
    for (const char* name :
         {"cboRange", "cboDamping", "chkOpenLineDetection", "chkShortDetection", "cboFailsafeValue"}) {
        EXPECT_TRUE(element<QWidget>(control, name)->isEnabled()) << name;
    }
    QTest::mouseClick(openLine(), Qt::LeftButton);
    EXPECT_EQ(control.FailSafeParameter(), 0x40);
}

}  // namespace
