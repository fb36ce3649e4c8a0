// The Parameter page on the simulated host: user edits reach the station's project
// file on disk, pages of the same module follow each other, and locks, the release
// question and a failed write behave as the user sees them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/parameter/ChannelParameter.h"
#include "QT27Controls/parameter/Parameter.h"
#include "host/BaseDtm.h"
#include "host/HostTestSupport.h"
#include "host/MessageService.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"
#include "host/StationProject.h"
#include "rmox/ButtonControl/ButtonControl.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace {

using Page = std::unique_ptr<qt27::Parameter>;

constexpr int kChannels = 4;

class ParameterEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        qt27::ReadDebugSettings(-1);
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(station.open(path()));
        // A question nobody expects would block on a modal message box.
        for (const host::Station::ModuleInfo& module : station.modules()) {
            baseDtm(module.slot)
                ->messageService()
                ->setAnswerFunction([](const QString& text, const QString&, int) {
                    ADD_FAILURE() << "unexpected question: " << text.toStdString();
                    return int(qt27::MessageService::AnswerNo);
                });
        }
    }

    QString path() const { return dir.filePath(QStringLiteral("station.xml")); }
    host::BaseDtm* baseDtm(int slot) const { return station.dtmForSlot(slot)->baseDtm(); }

    Page open(int slot, const QString& invokeId = QStringLiteral("INV-E2E")) {
        auto page = std::make_unique<qt27::Parameter>();
        page->setAttribute(Qt::WA_DontShowOnScreen);
        page->show();
        EXPECT_TRUE(
            page->IDtmActiveXControl_Init(invokeId, QStringLiteral("Parameter"), station.dtmForSlot(slot)));
        return page;
    }

    static void release(Page& page) {
        EXPECT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
        page.reset();
    }

    /// The editor with control-array index @p index, found as the frame finds it.
    static qt27::ChannelParameter* editor(const qt27::Parameter& page, int index) {
        for (auto* channel :
             page.findChildren<qt27::ChannelParameter*>(QStringLiteral("ctlChannelParameter"))) {
            if (channel->property("index").toInt() == index) {
                return channel;
            }
        }
        ADD_FAILURE() << "no editor " << index;
        return nullptr;
    }
    template <typename T>
    static T* element(const qt27::Parameter& page, int index, const char* name) {
        T* found = editor(page, index)->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static QComboBox* list(const qt27::Parameter& page, int index, const char* name) {
        return element<QComboBox>(page, index, name);
    }
    /// Selects @p text in the list as a user does: keyboard focus, then the choice.
    static void choose(QComboBox* list, const QString& text) {
        const int entry = list->findText(text);
        ASSERT_GE(entry, 0) << text.toStdString();
        list->setFocus();
        list->setCurrentIndex(entry);
    }
    static void pressApply(const qt27::Parameter& page) {
        QTest::mouseClick(page.buttons()->applyButton(), Qt::LeftButton);
    }

    /// The parameter array of @p slot as the project file on disk holds it.
    QByteArray onDisk(int slot) const {
        const host::StationProject project = host::StationProject::load(path());
        const host::ModuleRecord* module = project.module(slot);
        return module != nullptr ? module->parameters : QByteArray();
    }
    QByteArray fileContent() const { return hosttest::readFile(path()); }

    QTemporaryDir dir;
    host::Station station;
};

TEST_F(ParameterEndToEnd, BuiltInStationHoldsBothModuleTypes) {
    ASSERT_NE(station.moduleRecord(3), nullptr);
    ASSERT_NE(station.moduleRecord(4), nullptr);
    EXPECT_EQ(station.moduleRecord(3)->typeCode, QStringLiteral("37"));
    EXPECT_EQ(station.moduleRecord(4)->typeCode, QStringLiteral("54"));
    EXPECT_EQ(onDisk(3).size(), kChannels + 1);
    EXPECT_EQ(onDisk(4).size(), kChannels + 1);
}

struct RangeCase {
    int slot;
    const char* range;
    int rangeIndex;  // position of the range in the module type's list
};

std::ostream& operator<<(std::ostream& out, const RangeCase& c) {
    return out << "slot " << c.slot << " " << c.range;
}

class ParameterEndToEndRange : public ParameterEndToEnd, public testing::WithParamInterface<RangeCase> {};

TEST_P(ParameterEndToEndRange, ApplyStoresChannel2sNewByteAndAReopenedPageShowsIt) {
    const RangeCase& c = GetParam();
    const host::StationProject projectBefore = host::StationProject::load(path());
    const QByteArray before = onDisk(c.slot);
    ASSERT_NE((static_cast<quint8>(before[1]) >> 2) & 3, c.rangeIndex) << "the case must change the range";

    Page page = open(c.slot);
    choose(list(*page, 1, "cboRange"), QLatin1String(c.range));
    choose(list(*page, 1, "cboDamping"), QStringLiteral("2.6 s"));
    EXPECT_EQ(onDisk(c.slot), before) << "nothing is stored before Apply";
    pressApply(*page);

    QByteArray expected = before;
    expected[1] = static_cast<char>((static_cast<quint8>(before[1]) & 0xF0) | (c.rangeIndex << 2) | 2);
    EXPECT_EQ(onDisk(c.slot).toHex().toUpper(), expected.toHex().toUpper());
    // Nothing else in the project changed.
    host::StationProject projectExpected = projectBefore;
    projectExpected.module(c.slot)->parameters = expected;
    EXPECT_TRUE(host::StationProject::load(path()) == projectExpected);
    EXPECT_FALSE(page->isDirty());

    release(page);
    page = open(c.slot, QStringLiteral("INV-E2E-2"));
    EXPECT_EQ(list(*page, 1, "cboRange")->currentText(), QLatin1String(c.range));
    EXPECT_EQ(list(*page, 1, "cboDamping")->currentText(), QStringLiteral("2.6 s"));
    EXPECT_EQ(page->dataSet(), expected);
    for (int i = 0; i < kChannels; ++i) {
        EXPECT_EQ(editor(*page, i)->FailSafeParameter(), static_cast<quint8>(expected[i]))
            << "channel " << i + 1;
    }
    release(page);
}

INSTANTIATE_TEST_SUITE_P(Types, ParameterEndToEndRange,
                         testing::Values(RangeCase{3, "0..20 mA", 2}, RangeCase{4, "0..5 V", 2},
                                         RangeCase{4, "1..5 V", 3}, RangeCase{7, "0..5 V", 2},
                                         RangeCase{5, "2..10 V", 1}));

class ParameterEndToEndTwoPages : public ParameterEndToEnd, public testing::WithParamInterface<bool> {};

TEST_P(ParameterEndToEndTwoPages, CommitOnOnePageMakesTheOtherReReadAndKeepItsDirtyFlag) {
    const bool otherDirty = GetParam();
    Page first = open(3, QStringLiteral("INV-A"));
    Page second = open(3, QStringLiteral("INV-B"));
    if (otherDirty) {
        choose(list(*second, 3, "cboDamping"), QStringLiteral("off"));
        ASSERT_TRUE(second->isDirty());
    }

    choose(list(*first, 1, "cboRange"), QStringLiteral("0..20 mA"));
    pressApply(*first);

    EXPECT_EQ(second->dataSet(), onDisk(3));
    EXPECT_EQ(list(*second, 1, "cboRange")->currentText(), QStringLiteral("0..20 mA"));
    EXPECT_EQ(second->isDirty(), otherDirty);
    EXPECT_EQ(second->buttons()->applyButton()->isEnabled(), otherDirty);
    EXPECT_FALSE(first->isDirty());

    baseDtm(3)->messageService()->setAnswerFunction(
        [](const QString&, const QString&, int) { return int(qt27::MessageService::AnswerNo); });
    release(second);
    release(first);
}

INSTANTIATE_TEST_SUITE_P(OtherDirty, ParameterEndToEndTwoPages, testing::Bool());

class ParameterEndToEndRelease : public ParameterEndToEnd, public testing::WithParamInterface<bool> {};

TEST_P(ParameterEndToEndRelease, UnsavedChangesAskAndOnlyYesWrites) {
    const bool yes = GetParam();
    const int slot = 7;
    const QByteArray before = fileContent();
    QStringList asked;
    baseDtm(slot)->messageService()->setAnswerFunction(
        [&](const QString& text, const QString& title, int buttons) {
            asked << text << title << QString::number(buttons);
            return int(yes ? qt27::MessageService::AnswerYes : qt27::MessageService::AnswerNo);
        });
    QSignalSpy released(baseDtm(slot), &host::BaseDtm::uiReleased);

    Page page = open(slot);
    QCheckBox* shortDetection = element<QCheckBox>(*page, 0, "chkShortDetection");
    QTest::mouseClick(shortDetection, Qt::LeftButton);
    const quint8 changed = editor(*page, 0)->FailSafeParameter();
    release(page);

    ASSERT_EQ(asked.size(), 3);
    EXPECT_EQ(asked[0], baseDtm(slot)->resourceManager()->GetString(6501, qt27::CommonResourceFolder()));
    EXPECT_EQ(asked[1], station.moduleRecord(slot)->typeName);
    EXPECT_EQ(asked[2], QStringLiteral("4"));
    EXPECT_EQ(released.count(), 1);
    if (yes) {
        EXPECT_EQ(static_cast<quint8>(onDisk(slot)[0]), changed);
        EXPECT_NE(fileContent(), before);
    } else {
        EXPECT_EQ(fileContent(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, ParameterEndToEndRelease, testing::Bool());

TEST_F(ParameterEndToEnd, ReleaseWithoutChangesAsksNothing) {
    Page page = open(4);
    choose(list(*page, 2, "cboDamping"), QStringLiteral("29.2 s"));
    pressApply(*page);
    const QByteArray stored = fileContent();
    release(page);  // the fixture's answer function fails the test on any question
    EXPECT_EQ(fileContent(), stored);
}

TEST_F(ParameterEndToEnd, LockByAnotherUserMakesThePageReadOnlyUntilThisUserLocks) {
    Page page = open(3);
    const auto expectLocked = [&](bool locked) {
        EXPECT_EQ(page->buttons()->okButton()->isEnabled(), !locked);
        EXPECT_EQ(page->buttons()->applyButton()->isEnabled(), !locked);
        for (int i = 0; i < kChannels; ++i) {
            for (const char* name : {"cboRange", "cboDamping", "cboFailsafeValue"}) {
                EXPECT_EQ(list(*page, i, name)->isEnabled(), !locked) << name << " of channel " << i + 1;
            }
            for (const char* name : {"chkOpenLineDetection", "chkShortDetection"}) {
                EXPECT_EQ(element<QCheckBox>(*page, i, name)->isEnabled(), !locked)
                    << name << " of channel " << i + 1;
            }
        }
    };
    host::BaseDtm* base = baseDtm(3);

    ASSERT_TRUE(base->lockDataSetAs(QStringLiteral("operator")));
    {
        SCOPED_TRACE("locked by operator");
        expectLocked(true);
        EXPECT_TRUE(page->buttons()->StatusText().endsWith(QStringLiteral(" operator")));
        // A user's click on a disabled box changes nothing.
        const QByteArray before = page->dataSet();
        QTest::mouseClick(element<QCheckBox>(*page, 0, "chkOpenLineDetection"), Qt::LeftButton);
        EXPECT_EQ(page->dataSet(), before);
        EXPECT_FALSE(page->isDirty());
    }
    ASSERT_TRUE(base->unlockDataSetAs(QStringLiteral("COMPATIBILITY")));
    {
        SCOPED_TRACE("after the compatibility unlock");
        expectLocked(true);
    }
    // A page opened meanwhile starts read-only too.
    Page second = open(3, QStringLiteral("INV-E2E-2"));
    EXPECT_TRUE(second->isLocked());

    ASSERT_TRUE(base->unlockDataSetAs(QStringLiteral("operator")));
    {
        SCOPED_TRACE("after the operator's unlock");
        expectLocked(true);
    }
    ASSERT_TRUE(base->lockDataSetAs(host::BaseDtm::kDefaultUserName));
    {
        SCOPED_TRACE("locked by this user");
        expectLocked(false);
        EXPECT_FALSE(second->isLocked());
    }
    release(second);
    release(page);
}

TEST_F(ParameterEndToEnd, FailedWriteKeepsThePreviousFileAndIsReportedWithTheFileName) {
    Page page = open(3);
    const QByteArray before = fileContent();
    QSignalSpy errors(baseDtm(3), &host::BaseDtm::errorMessage);
    choose(list(*page, 1, "cboDamping"), QStringLiteral("29.2 s"));
    {
        hosttest::FileSizeLimit limit(before.size() / 2);
        pressApply(*page);
    }
    EXPECT_EQ(fileContent(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("station.xml")})
        << "no temporary file is left behind";
    ASSERT_EQ(errors.count(), 1);
    EXPECT_TRUE(errors[0][1].toString().contains(QDir::toNativeSeparators(path())))
        << errors[0][1].toString().toStdString();
    release(page);
}

TEST_F(ParameterEndToEnd, ProjectFileChangedOnDiskAndReloadedReplacesWhatAnOpenPageShows) {
    Page page = open(4);
    choose(list(*page, 2, "cboDamping"), QStringLiteral("off"));
    ASSERT_TRUE(page->isDirty());

    host::StationProject project = host::StationProject::load(path());
    QByteArray changed = project.module(4)->parameters;
    const int range = ((static_cast<quint8>(changed[0]) >> 2) + 1) & 3;
    changed[0] = static_cast<char>((static_cast<quint8>(changed[0]) & 0xF3) | (range << 2));
    project.module(4)->parameters = changed;
    ASSERT_TRUE(project.save(path()));
    ASSERT_TRUE(station.reloadFromDisk());

    EXPECT_EQ(page->dataSet(), changed);
    EXPECT_EQ(editor(*page, 0)->RangeMode(), range);
    EXPECT_EQ(editor(*page, 0)->FailSafeParameter(), static_cast<quint8>(changed[0]));
    EXPECT_TRUE(page->isDirty());

    baseDtm(4)->messageService()->setAnswerFunction(
        [](const QString&, const QString&, int) { return int(qt27::MessageService::AnswerNo); });
    release(page);
    EXPECT_EQ(onDisk(4), changed);
}

}  // namespace
