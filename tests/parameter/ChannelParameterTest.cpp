// The channel parameter editor: the byte as the editor shows it, what each user edit
// changes, the events it raises (never for a setter), the range lists, locking, the
// texts of the resource folders, the caption and the focus moves.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <functional>

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/parameter/ChannelParameter.h"
#include "rmox/Error.h"
#include "support/PageSession.h"

namespace {

using testsupport::child;

QStringList items(const QComboBox* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        texts << list->itemText(i);
    }
    return texts;
}

class ChannelParameterTest : public testing::Test {
protected:
    void SetUp() override { control.show(); }
    QComboBox* list(const char* name) const { return child<QComboBox>(&control, name); }
    QCheckBox* box(const char* name) const { return child<QCheckBox>(&control, name); }
    QCheckBox* openLine() const { return box("chkOpenLineDetection"); }
    QCheckBox* shortDetection() const { return box("chkShortDetection"); }
    QComboBox* failsafe() const { return list("cboFailsafeValue"); }
    QString caption() const { return child<QGroupBox>(&control, "fraChannelParameter")->title(); }
    /// The byte as the editor shows it: 0x80 short off, 0x40 open line off, failsafe entry << 4.
    int shown() const {
        return (shortDetection()->isChecked() ? 0 : 0x80) | (openLine()->isChecked() ? 0 : 0x40) |
               (failsafe()->currentIndex() << 4);
    }
    int events() const { return static_cast<int>(dirty.count() + rangeChanged.count()); }

    qt27::ChannelParameter control;
    QSignalSpy dirty{&control, &qt27::ChannelParameter::SetDirty};
    QSignalSpy rangeChanged{&control, &qt27::ChannelParameter::RangeChanged};
};

TEST_F(ChannelParameterTest, StartsWithTheType37ListAndBothDetectionsOn) {
    EXPECT_EQ(items(list("cboRange")), QStringList({"0..10 V", "2..10 V", "0..20 mA", "4..20 mA"}));
    EXPECT_EQ(list("cboRange")->currentIndex(), 3);
    EXPECT_EQ(control.RangeMode(), 3);
    EXPECT_EQ(items(list("cboDamping")), QStringList({"off", "100 ms", "2.6 s", "29.2 s"}));
    EXPECT_EQ(list("cboDamping")->currentIndex(), 0);
    EXPECT_EQ(failsafe()->count(), 3);
    EXPECT_EQ(shown(), 0x00);
    EXPECT_EQ(control.FailSafeParameter(), 0x00);
    EXPECT_EQ(caption(), QStringLiteral("channel 0: "));
}

// Writing the byte shows each bit on its own, keeps the byte whole and raises nothing;
// range and damping stay apart.
TEST_F(ChannelParameterTest, WrittenByteIsShownBitByBitAndKept) {
    control.setDamping(1);
    control.setRangeMode(2);
    for (int byte : {0x00, 0xC0, 0x40, 0x80, 0x5C, 0x2F, 0x9E, 0xE3, 0x10}) {
        control.setFailSafeParameter(static_cast<quint8>(byte));
        EXPECT_EQ(shown(), byte & 0xF0) << byte;
        EXPECT_EQ(control.FailSafeParameter(), byte);
    }
    EXPECT_EQ(list("cboDamping")->currentIndex(), 1);
    EXPECT_EQ(list("cboRange")->currentIndex(), 2);
    EXPECT_EQ(control.Damping(), 1);
    const std::pair<int, int> dampings[] = {{0, 0}, {3, 3}, {6, 2}, {0x5D, 1}, {0xFC, 0}};
    for (const auto& [value, index] : dampings) {
        control.setDamping(static_cast<quint8>(value));
        EXPECT_EQ(control.Damping(), value);
        EXPECT_EQ(list("cboDamping")->currentIndex(), index) << value;
    }
    EXPECT_EQ(events(), 0);
}

struct Edit {
    quint8 before;
    const char* element;  ///< a box is clicked, a list gets entry @p entry
    int entry;
    quint8 after;
};

class ChannelParameterEditTest : public ChannelParameterTest, public testing::WithParamInterface<Edit> {};

// One user edit changes only its own bits and raises SetDirty(true) once.
TEST_P(ChannelParameterEditTest, ChangesOnlyItsBits) {
    const Edit& edit = GetParam();
    control.setFailSafeParameter(edit.before);
    if (edit.entry < 0) {
        QTest::mouseClick(box(edit.element), Qt::LeftButton);
    } else {
        list(edit.element)->setCurrentIndex(edit.entry);
    }
    EXPECT_EQ(control.FailSafeParameter(), edit.after);
    EXPECT_EQ(shown(), edit.after & 0xF0);
    ASSERT_EQ(dirty.count(), 1);
    EXPECT_TRUE(dirty.at(0).at(0).toBool());
    EXPECT_EQ(rangeChanged.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, ChannelParameterEditTest,
    testing::Values(Edit{0x00, "chkOpenLineDetection", -1, 0x40},
                    Edit{0x40, "chkOpenLineDetection", -1, 0x00},
                    Edit{0xC0, "chkOpenLineDetection", -1, 0x80},
                    Edit{0x9F, "chkOpenLineDetection", -1, 0xDF}, Edit{0x00, "chkShortDetection", -1, 0x80},
                    Edit{0xC0, "chkShortDetection", -1, 0x40}, Edit{0x3F, "chkShortDetection", -1, 0xBF},
                    Edit{0xFF, "chkShortDetection", -1, 0x7F}, Edit{0x00, "cboFailsafeValue", 2, 0x20},
                    Edit{0x5C, "cboFailsafeValue", 0, 0x4C}, Edit{0xE3, "cboFailsafeValue", 1, 0xD3},
                    Edit{0x30, "cboFailsafeValue", 0, 0x00}, Edit{0xF5, "cboFailsafeValue", 2, 0xE5}));

// Failsafe selection 3 has no entry: an extra entry shows it and the bits stay until
// the user picks a real one.
TEST_F(ChannelParameterTest, SelectionWithoutEntryIsShownUntilTheUserChooses) {
    control.setFailSafeParameter(0x30);
    control.setFailSafeParameter(0xB3);
    ASSERT_EQ(failsafe()->count(), 4);
    EXPECT_EQ(failsafe()->currentText(), QStringLiteral("-/-"));
    QTest::mouseClick(openLine(), Qt::LeftButton);
    EXPECT_EQ(control.FailSafeParameter(), 0xF3);
    failsafe()->setFocus();
    QTest::keyClick(failsafe(), Qt::Key_Up);
    EXPECT_EQ(control.FailSafeParameter(), 0xE3);
    EXPECT_EQ(failsafe()->count(), 3);
    EXPECT_EQ(dirty.count(), 2);
    control.setFailSafeParameter(0x30);
    control.setFailSafeParameter(0x10);
    EXPECT_EQ(failsafe()->count(), 3);
    EXPECT_EQ(failsafe()->currentIndex(), 1);
}

TEST_F(ChannelParameterTest, RangeAndDampingChoicesLeaveTheByte) {
    control.setFailSafeParameter(0x5C);
    list("cboRange")->setFocus();
    QTest::keyClick(list("cboRange"), Qt::Key_Home);
    ASSERT_EQ(rangeChanged.count(), 1);
    EXPECT_EQ(rangeChanged.at(0).at(0).value<qint16>(), 0);
    EXPECT_EQ(control.RangeMode(), 0);
    EXPECT_EQ(dirty.count(), 0);
    list("cboDamping")->setCurrentIndex(3);
    EXPECT_EQ(control.Damping(), 3);
    EXPECT_EQ(dirty.count(), 1);
    EXPECT_EQ(control.FailSafeParameter(), 0x5C);
    control.setRangeMode(-1);  // no entry: no selection, no event
    EXPECT_EQ(list("cboRange")->currentIndex(), -1);
    EXPECT_EQ(events(), 2);
}

TEST_F(ChannelParameterTest, TypeChoosesTheRangeListAndIndex3Silently) {
    control.setRangeMode(0);
    control.setTyp(54);
    EXPECT_EQ(items(list("cboRange")), QStringList({"0..10 V", "2..10 V", "0..5 V", "1..5 V"}));
    EXPECT_EQ(list("cboRange")->currentIndex(), 3);
    control.setRangeMode(1);
    control.setTyp(12);  // stored, list and selection stay
    EXPECT_EQ(control.Typ(), 12);
    EXPECT_EQ(list("cboRange")->itemText(3), QStringLiteral("1..5 V"));
    EXPECT_EQ(control.RangeMode(), 1);
    control.setTyp(37);
    EXPECT_EQ(list("cboRange")->itemText(2), QStringLiteral("0..20 mA"));
    EXPECT_EQ(control.RangeMode(), 3);
    for (qint16 typ : {qint16(256), qint16(-1)}) {
        EXPECT_THROW(control.setTyp(typ), rmox::Error);
        EXPECT_EQ(control.Typ(), 37);
    }
    EXPECT_EQ(events(), 0);
}

TEST_F(ChannelParameterTest, LockedEditorsIgnoreTheUser) {
    control.setLocked(true);
    for (const char* name :
         {"cboRange", "cboDamping", "chkOpenLineDetection", "chkShortDetection", "cboFailsafeValue"}) {
        EXPECT_FALSE(child(&control, name)->isEnabled()) << name;
    }
    QTest::mouseClick(openLine(), Qt::LeftButton);
    EXPECT_EQ(control.FailSafeParameter(), 0x00);
    control.setLocked(false);
    QTest::mouseClick(openLine(), Qt::LeftButton);
    EXPECT_EQ(control.FailSafeParameter(), 0x40);
    EXPECT_FALSE(control.Locked());
}

// Every resource text replaces its design caption; a text that cannot be found keeps
// the caption, the others are loaded all the same, and the error follows.
TEST_F(ChannelParameterTest, ResourceTextsReplaceTheDesignCaptions) {
    const auto texts = [](const qt27::ChannelParameter& editor) {
        QStringList result;
        for (const QLabel* label : editor.findChildren<QLabel*>()) {
            result << label->text();
        }
        for (const char* frame : {"fraInput", "fraMonitoring"}) {
            result << child<QGroupBox>(&editor, frame)->title();
        }
        return result << child<QComboBox>(&editor, "cboDamping")->itemText(0)
                      << items(child<QComboBox>(&editor, "cboFailsafeValue"));
    };
    rmox::ResourceManager german;
    german.setLanguage(QStringLiteral("de"));
    control.setChannelNumber(2);
    control.setResourceManager(&german);
    control.setChannelTag(QStringLiteral("TI-102"));
    EXPECT_EQ(caption(), QStringLiteral("Kanal 2: TI-102"));
    const QStringList design = texts(qt27::ChannelParameter());
    const QStringList translated = texts(control);
    ASSERT_EQ(translated.size(), design.size());
    for (int i = 0; i < design.size(); ++i) {
        EXPECT_NE(translated[i], design[i]);
    }
    qt27::ChannelParameter partly;
    partly.SetResourceFolders(QStringLiteral("/nonexistent"), qt27::DeviceResourceFolder());
    EXPECT_THROW(partly.setResourceManager(&german), rmox::Error);
    EXPECT_EQ(child<QGroupBox>(&partly, "fraMonitoring")->title(),
              QStringLiteral("line monitoring and failsafe strategy"));
    EXPECT_NE(child<QLabel>(&partly, "lblDamping")->text(), QStringLiteral("Damping"));
    EXPECT_EQ(partly.findChildren<rmox::ResourceManager*>().size(), 1);
    control.setResourceManager(nullptr);
    EXPECT_EQ(caption(), QStringLiteral("channel 2: TI-102"));
}

class ChannelParameterFocusTest : public testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        control = new qt27::ChannelParameter(&window);
        layout->addWidget(control);
        layout->addWidget(outside);
        window.resize(control->sizeHint() + QSize(40, 80));
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        outside->setFocus();
    }
    bool bold() const { return child<QGroupBox>(control, "fraChannelParameter")->font().bold(); }
    QWidget window;
    qt27::ChannelParameter* control = nullptr;
    QLineEdit* outside = new QLineEdit(&window);
};

// A press on a frame's free surface or on lblDamping moves the focus to its element;
// the caption is bold while the focus is inside the editor.
TEST_F(ChannelParameterFocusTest, PressesMoveTheFocusAndTheCaptionShowsIt) {
    const std::pair<const char*, const char*> moves[] = {{"fraInput", "cboRange"},
                                                         {"fraMonitoring", "chkShortDetection"},
                                                         {"lblDamping", "cboDamping"},
                                                         {"fraChannelParameter", nullptr}};
    for (const auto& [pressed, target] : moves) {
        outside->setFocus();
        EXPECT_FALSE(bold());
        QWidget* widget = child(control, pressed);
        const QPoint point = qobject_cast<QLabel*>(widget)
                                 ? widget->rect().center()
                                 : QPoint(widget->width() - 3, widget->height() - 3);
        QTest::mouseClick(widget, Qt::LeftButton, {}, point);
        EXPECT_EQ(QApplication::focusWidget(), target ? child(control, target) : control) << pressed;
        EXPECT_TRUE(bold()) << pressed;
        EXPECT_FALSE(child<QGroupBox>(control, "fraInput")->font().bold());
    }
    outside->setFocus();
    QTest::mouseClick(child<QLabel>(control, "lblRange"), Qt::LeftButton);  // an element, not the frame
    EXPECT_EQ(QApplication::focusWidget(), outside);
    control->resize(700, 90);
    EXPECT_EQ(child(control, "fraChannelParameter")->geometry(), QRect(0, 0, 700, 90));
}

}  // namespace
