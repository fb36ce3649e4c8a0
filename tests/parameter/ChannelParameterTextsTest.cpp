// Texts of the channel parameter editor: caption rule and the texts loaded through
// the resource managers.

#include "ChannelParameterFixture.h"
#include "rmox/Error.h"

using namespace chanparamtest;

namespace {

class ChannelParameterTexts : public testing::Test {
protected:
    void SetUp() override {
        resources.use(control);
        TempResources::write(resources.common(), "en", commonTexts());
        TempResources::write(resources.device(), "en", deviceTexts());
    }

    QString caption() const { return fra(control, "fraChannelParameter")->title(); }

    TempResources resources;
    qt27::ChannelParameter control;
    rmox::ResourceManager manager;
};

struct CaptionCase {
    qint16 number;
    QString tag;
    bool withManager;
    QString expected;
};

class ChannelParameterCaption : public ChannelParameterTexts,
                                public testing::WithParamInterface<CaptionCase> {};

TEST_P(ChannelParameterCaption, FollowsNumberTagAndManager) {
    const CaptionCase& c = GetParam();
    if (c.withManager) {
        control.setResourceManager(&manager);
    }
    control.setChannelNumber(c.number);
    control.setChannelTag(c.tag);
    EXPECT_EQ(caption(), c.expected);
    EXPECT_EQ(control.ChannelNumber(), c.number);
    EXPECT_EQ(control.ChannelTag(), c.tag);
}

INSTANTIATE_TEST_SUITE_P(Captions, ChannelParameterCaption,
                         testing::Values(CaptionCase{1, "TI-101", false, "channel 1: TI-101"},
                                         CaptionCase{12, "TI 1/2", false, "channel 12: TI 1/2"},
                                         CaptionCase{-3, "x", false, "channel -3: x"},
                                         CaptionCase{3, "TI-103", true, "Channel 3: TI-103"},
                                         CaptionCase{1000, "", true, "Channel 1000: "}));

TEST_F(ChannelParameterTexts, ManagerSetBetweenNumberAndTagRefreshesTheCaption) {
    // The order in which the page configures its editors.
    control.setChannelNumber(2);
    EXPECT_EQ(caption(), "channel 2: ");
    control.setResourceManager(&manager);
    EXPECT_EQ(caption(), "Channel 2: ");
    control.setChannelTag("TI-102");
    EXPECT_EQ(caption(), "Channel 2: TI-102");
    control.setResourceManager(nullptr);
    EXPECT_EQ(caption(), "channel 2: TI-102");
    EXPECT_EQ(control.ResourceManager(), nullptr);
}

TEST_F(ChannelParameterTexts, LoadsEachTextFromItsOwnFolder) {
    // Every id present in both folders with different texts: only the folder the
    // id belongs to may be used.
    Texts common = commonTexts();
    Texts device = deviceTexts();
    for (int id : deviceTexts().keys()) {
        common.insert(id, QStringLiteral("wrong folder %1").arg(id));
    }
    for (int id : commonTexts().keys()) {
        device.insert(id, QStringLiteral("wrong folder %1").arg(id));
    }
    TempResources::write(resources.common(), "en", common);
    TempResources::write(resources.device(), "en", device);
    control.setChannelNumber(1);

    control.setResourceManager(&manager);

    EXPECT_EQ(control.ResourceManager(), &manager);
    EXPECT_EQ(fra(control, "fraMonitoring")->title(), "Line monitoring and failsafe strategy");
    EXPECT_EQ(lbl(control, "lblShortDetection")->text(), "Short detection");
    EXPECT_EQ(lbl(control, "lblOpenLineDetection")->text(), "Open line detection");
    EXPECT_EQ(lbl(control, "lblFailsafeValue")->text(), "Failsafe value");
    EXPECT_EQ(items(cbo(control, "cboDamping")), QStringList({"Off", "100 ms", "2.6 s", "29.2 s"}));
    EXPECT_EQ(items(cbo(control, "cboFailsafeValue")),
              QStringList({"Minimum value", "Maximum value", "Last valid value"}));
    EXPECT_EQ(fra(control, "fraInput")->title(), "Input signal");
    EXPECT_EQ(lbl(control, "lblRange")->text(), "Input range");
    EXPECT_EQ(lbl(control, "lblDamping")->text(), "Input filter");
    EXPECT_EQ(caption(), "Channel 1: ");
    // The range list is no resource text.
    EXPECT_EQ(cbo(control, "cboRange")->itemText(3), "4..20 mA");
}

TEST_F(ChannelParameterTexts, DeviceManagerTakesTheLanguageOfTheCommonOne) {
    TempResources::write(resources.common(), "de",
                         {{6003, "Kanal"}, {6008, "Kurzschlusserkennung"}, {6014, "aus"}});
    TempResources::write(resources.device(), "de", {{1002, "Messbereich"}, {1003, "Dämpfung"}});
    manager.setLanguage("de");

    control.setResourceManager(&manager);

    EXPECT_EQ(lbl(control, "lblRange")->text(), "Messbereich");
    EXPECT_EQ(lbl(control, "lblDamping")->text(), QString::fromUtf8("Dämpfung"));
    EXPECT_EQ(lbl(control, "lblShortDetection")->text(), "Kurzschlusserkennung");
    EXPECT_EQ(cbo(control, "cboDamping")->itemText(0), "aus");
    // Texts missing in German come in English.
    EXPECT_EQ(fra(control, "fraInput")->title(), "Input signal");
    EXPECT_EQ(caption(), "Kanal 0: ");

    const auto managers = control.findChildren<rmox::ResourceManager*>();
    ASSERT_EQ(managers.size(), 1);
    EXPECT_EQ(managers.front()->Language(), "de");
    EXPECT_NE(managers.front(), &manager);
}

TEST_F(ChannelParameterTexts, SettingTheManagerAgainReplacesTheDeviceManager) {
    control.setResourceManager(&manager);
    control.setResourceManager(&manager);
    EXPECT_EQ(control.findChildren<rmox::ResourceManager*>().size(), 1);
    control.setResourceManager(nullptr);
    EXPECT_TRUE(control.findChildren<rmox::ResourceManager*>().isEmpty());
}

struct MissingText {
    int id;
    const char* element;
    QString designText;
};

class ChannelParameterMissingText : public ChannelParameterTexts,
                                    public testing::WithParamInterface<MissingText> {};

TEST_P(ChannelParameterMissingText, RaisesAfterLoadingAllOtherTexts) {
    const MissingText& c = GetParam();
    Texts common = commonTexts();
    Texts device = deviceTexts();
    common.remove(c.id);
    device.remove(c.id);
    TempResources::write(resources.common(), "en", common);
    TempResources::write(resources.device(), "en", device);
    control.setChannelNumber(4);
    control.setChannelTag("TI-104");

    EXPECT_THROW(control.setResourceManager(&manager), rmox::Error);

    EXPECT_EQ(control.ResourceManager(), &manager);
    const QString shown = QLatin1String(c.element) == QLatin1String("fraInput")
                              ? fra(control, c.element)->title()
                              : lbl(control, c.element)->text();
    EXPECT_EQ(shown, c.designText);
    // The texts after the missing one in loading order are there all the same.
    EXPECT_EQ(lbl(control, "lblDamping")->text(), c.id == 1003 ? "Damping" : "Input filter");
    EXPECT_EQ(items(cbo(control, "cboFailsafeValue")),
              QStringList({"Minimum value", "Maximum value", "Last valid value"}));
    EXPECT_EQ(caption(), "Channel 4: TI-104");
}

INSTANTIATE_TEST_SUITE_P(Ids, ChannelParameterMissingText,
                         testing::Values(MissingText{6008, "lblShortDetection", "short detection"},
                                         MissingText{1001, "fraInput", "Input"},
                                         MissingText{1003, "lblDamping", "Damping"}));

TEST_F(ChannelParameterTexts, MissingChannelTextLeavesTheCaptionWithoutResourceWord) {
    Texts common = commonTexts();
    common.remove(6003);
    TempResources::write(resources.common(), "en", common);
    control.setChannelNumber(2);

    EXPECT_THROW(control.setResourceManager(&manager), rmox::Error);

    EXPECT_EQ(caption(), "channel 2: ");
    EXPECT_EQ(lbl(control, "lblRange")->text(), "Input range");
}

TEST_F(ChannelParameterTexts, LoadingTextsKeepsSelectionsAndTheEntryForSelection3) {
    control.setFailSafeParameter(0xB0);
    control.setDamping(2);
    QSignalSpy dirty(&control, &qt27::ChannelParameter::SetDirty);
    QSignalSpy rangeChanged(&control, &qt27::ChannelParameter::RangeChanged);

    control.setResourceManager(&manager);

    QComboBox* failsafe = cbo(control, "cboFailsafeValue");
    EXPECT_EQ(items(failsafe), QStringList({"Minimum value", "Maximum value", "Last valid value",
                                            qt27::ChannelParameter::InvalidFailsafeText()}));
    EXPECT_EQ(failsafe->currentIndex(), 3);
    EXPECT_EQ(cbo(control, "cboDamping")->currentIndex(), 2);
    EXPECT_EQ(control.FailSafeParameter(), 0xB0);
    EXPECT_EQ(dirty.count(), 0);
    EXPECT_EQ(rangeChanged.count(), 0);
}

TEST_F(ChannelParameterTexts, ManagerDestroyedByItsOwnerIsForgotten) {
    auto owned = std::make_unique<rmox::ResourceManager>();
    control.setChannelNumber(3);
    control.setResourceManager(owned.get());
    EXPECT_EQ(caption(), "Channel 3: ");
    owned.reset();
    EXPECT_EQ(control.ResourceManager(), nullptr);
    control.setChannelTag("TI-103");
    EXPECT_EQ(caption(), "channel 3: TI-103");
}

}  // namespace
