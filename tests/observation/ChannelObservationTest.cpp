#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <tuple>

#include "QT27Controls/observation/ChannelObservation.h"
#include "rmox/GaugeCtl/GaugeCtl.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace {

using qt27::ChannelObservation;

// A common resource folder of our own: the texts the control loads and one
// single-coloured picture per state, so a test can tell the pictures apart.
class TestResources {
public:
    explicit TestResources(const QString& decimalSeparator, bool withTexts = true) {
        EXPECT_TRUE(m_dir.isValid());
        if (withTexts) {
            write(QStringLiteral("strings.en.txt"),
                  QStringLiteral("4002=%1\n6003=Kanal\n7013=Zustand\n").arg(decimalSeparator).toUtf8());
        }
        QDir(m_dir.path()).mkpath(QStringLiteral("pictures"));
        for (int id : {150, 152, 153, 155}) {
            write(QStringLiteral("pictures/%1.svg").arg(id),
                  QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\">"
                                 "<rect width=\"16\" height=\"16\" fill=\"%1\"/></svg>")
                      .arg(colorOf(id).name())
                      .toUtf8());
        }
        manager.setResourceFolder(m_dir.path());
    }

    static QColor colorOf(int pictureId) {
        switch (pictureId) {
            case 150:
                return QColor(0, 200, 0);
            case 152:
                return QColor(200, 0, 0);
            case 153:
                return QColor(0, 0, 200);
            case 155:
                return QColor(200, 200, 0);
            default:
                return QColor();
        }
    }

    QString path() const { return m_dir.path(); }

    // Points a control at this folder and hands it the manager.
    void attach(ChannelObservation& control) {
        control.setResourceFolders(path(), path());
        control.setResourceManager(&manager);
    }

    rmox::ResourceManager manager;

private:
    void write(const QString& name, const QByteArray& content) {
        QFile file(QDir(m_dir.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QTemporaryDir m_dir;
};

class ChannelObservationTest : public testing::Test {
protected:
    void SetUp() override { control = std::make_unique<ChannelObservation>(); }

    template <typename T>
    T* element(const char* name) const {
        T* found = control->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    rmox::GaugeCtl* gauge() const { return element<rmox::GaugeCtl>("ctlGauge"); }
    QComboBox* unitList() const { return element<QComboBox>("cmbUnit"); }
    QString valueText() const { return element<QLineEdit>("txtValue")->text(); }
    QLabel* statePicture() const { return element<QLabel>("imgState"); }
    QString caption() const { return element<QGroupBox>("fraChannelObservation")->title(); }

    // The configuration the page applies: type, manager, range, then initializing off.
    void configure(int type, int range, int unitEntry, TestResources* resources = nullptr) {
        control->setTyp(static_cast<qint16>(type));
        if (resources != nullptr) {
            resources->attach(*control);
        }
        control->setRange(static_cast<quint8>(range));
        control->setIsInitializing(false);
        unitList()->setCurrentIndex(unitEntry);
    }

    QColor pictureColor() const {
        const QPixmap picture = statePicture()->pixmap();
        if (picture.isNull()) {
            return QColor();
        }
        const QImage image = picture.toImage();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    }

    std::unique_ptr<ChannelObservation> control;
};

TEST_F(ChannelObservationTest, CreatedShowingTheVoltsOfRangeZero) {
    EXPECT_TRUE(control->IsInitializing());
    EXPECT_EQ(control->Typ(), 37);
    EXPECT_EQ(control->Range(), 0);
    EXPECT_TRUE(control->IsInValid());
    EXPECT_FALSE(gauge()->SliderVisible());
    EXPECT_EQ(gauge()->ZoneColor(0), 65280);
    EXPECT_EQ(gauge()->ZoneColor(1), 255);
    EXPECT_EQ(gauge()->ZoneColor(2), 255);
    ASSERT_EQ(unitList()->count(), 2);
    EXPECT_EQ(unitList()->itemText(0), QStringLiteral("%"));
    EXPECT_EQ(unitList()->itemText(1), QStringLiteral("V"));
    EXPECT_EQ(unitList()->currentIndex(), 1);
    EXPECT_EQ(gauge()->ScaleMin(), 0.0);
    EXPECT_EQ(gauge()->ScaleMax(), 12.0);
    EXPECT_EQ(gauge()->ScaleStep(), 2.0);
    EXPECT_EQ(gauge()->ScaleDivisions(), 5);
    EXPECT_EQ(valueText(), QStringLiteral("-/-"));  // no value yet
    EXPECT_TRUE(statePicture()->pixmap().isNull());
    EXPECT_EQ(caption(), QStringLiteral("channel 0: "));
    EXPECT_TRUE(element<QLineEdit>("txtValue")->isReadOnly());
    EXPECT_NE(element<QFrame>("Line1"), nullptr);
    EXPECT_EQ(element<QLabel>("lblState")->text(), QStringLiteral("State"));
}

TEST_F(ChannelObservationTest, FrameFillsTheControlAndElementsStayInside) {
    control->resize(control->sizeHint());
    control->show();
    for (const QSize size : {control->sizeHint(), QSize(900, 200)}) {
        control->resize(size);
        auto* frame = element<QGroupBox>("fraChannelObservation");
        EXPECT_EQ(frame->geometry(), QRect(QPoint(0, 0), size));
        for (const char* name : {"ctlGauge", "cmbUnit", "txtValue", "Line1", "lblState", "imgState"}) {
            EXPECT_TRUE(frame->rect().contains(element<QWidget>(name)->geometry())) << name;
        }
    }
}

// ---- value display for the edge cases, under both separators and locales ----

struct ValueCase {
    int type;
    int range;
    int unit;
    int raw;
    const char* text;  // with a point
    float pointer;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << "type " << c.type << " range " << c.range << " unit " << c.unit << " raw " << c.raw;
}

const ValueCase kValueCases[] = {
    {37, 0, 0, 10000, "100.0", 833.3F},
    {37, 3, 0, 4000, "0.0", 166.7F},
    {37, 3, 0, 20000, "100.0", 833.3F},
    {37, 3, 1, 12000, "12.000", 500.0F},
    {54, 3, 0, 3000, "50.0", 500.0F},
    {37, 1, 0, 0, "-25.0", 0.0F},
    {54, 2, 1, 5000, "5.000", 833.3F},
    {37, 0, 0, 32767, "327.7", 2730.6F},  // far beyond the gauge; shown as it is
    {37, 2, 0, 1, "0.0", 0.04F},
};

class ChannelValueTest
    : public ChannelObservationTest,
      public testing::WithParamInterface<std::tuple<ValueCase, const char*, QLocale::Language>> {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(std::get<2>(GetParam()), QLocale::AnyTerritory));
        ChannelObservationTest::SetUp();
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

TEST_P(ChannelValueTest, TextUsesTheSeparatorOfTextFourThousandTwo) {
    const auto& [c, separator, language] = GetParam();
    TestResources resources(QString::fromLatin1(separator));
    configure(c.type, c.range, c.unit, &resources);
    control->SetCurrentValue(static_cast<qint16>(c.raw));

    QString expected = QString::fromLatin1(c.text);
    expected.replace(QLatin1Char('.'), QString::fromLatin1(separator));
    EXPECT_EQ(control->DecimalSeparator(), QString::fromLatin1(separator));
    EXPECT_EQ(valueText(), expected);
    EXPECT_NEAR(gauge()->Value(), c.pointer, 0.05);
}

INSTANTIATE_TEST_SUITE_P(EdgeCases, ChannelValueTest,
                         testing::Combine(testing::ValuesIn(kValueCases), testing::Values(".", ","),
                                          testing::Values(QLocale::English, QLocale::German)));

// ---- unit configuration ----

TEST_F(ChannelObservationTest, ChoosingPercentInTheListRescalesGaugeAndText) {
    TestResources resources(QStringLiteral(","));
    configure(37, 3, 1, &resources);
    control->SetCurrentValue(12000);
    ASSERT_EQ(valueText(), QStringLiteral("12,000"));
    EXPECT_EQ(unitList()->itemText(1), QStringLiteral("mA"));
    EXPECT_EQ(gauge()->ScaleMax(), 24.0);

    unitList()->setFocus();
    QTest::keyClick(unitList(), Qt::Key_Up);  // the user moves to entry 0, "%"
    ASSERT_EQ(unitList()->currentIndex(), 0);
    EXPECT_EQ(valueText(), QStringLiteral("50,0"));
    EXPECT_EQ(gauge()->ScaleMin(), -25.0);
    EXPECT_EQ(gauge()->ScaleMax(), 125.0);
    EXPECT_EQ(gauge()->ScaleStep(), 25.0);
    EXPECT_EQ(control->FormatText(), QStringLiteral("0.0"));
    EXPECT_FLOAT_EQ(gauge()->Value(), 500.0F);
    EXPECT_FLOAT_EQ(gauge()->ZoneStart(0), 166.7F);
    EXPECT_FLOAT_EQ(gauge()->ZoneEnd(2), 166.7F);
}

TEST_F(ChannelObservationTest, RangeWhileInitializingWaitsForInitializingOff) {
    control->SetCurrentValue(12000);
    const QString before = valueText();
    const float pointerBefore = gauge()->Value();

    control->setRange(3);
    EXPECT_EQ(control->Range(), 3);
    EXPECT_EQ(gauge()->ScaleMax(), 12.0);
    EXPECT_EQ(unitList()->itemText(1), QStringLiteral("V"));
    EXPECT_EQ(gauge()->ZoneStart(0), 0.0F);
    EXPECT_EQ(valueText(), before);
    EXPECT_EQ(gauge()->Value(), pointerBefore);

    control->setIsInitializing(false);
    EXPECT_EQ(gauge()->ScaleMax(), 24.0);
    EXPECT_EQ(unitList()->itemText(1), QStringLiteral("mA"));
    EXPECT_FLOAT_EQ(gauge()->ZoneStart(0), 166.7F);
    EXPECT_EQ(valueText(), QStringLiteral("12.000"));
    EXPECT_FLOAT_EQ(gauge()->Value(), 500.0F);

    // Once initialized, a new range applies at once.
    control->setRange(0);
    EXPECT_EQ(gauge()->ScaleMax(), 12.0);
    EXPECT_EQ(unitList()->itemText(1), QStringLiteral("V"));
}

TEST_F(ChannelObservationTest, TypeAloneChangesNothingUntilTheNextConfiguration) {
    control->setIsInitializing(false);
    control->SetCurrentValue(3000);
    control->setTyp(54);
    EXPECT_EQ(valueText(), QStringLiteral("3.000"));
    control->setRange(3);
    EXPECT_EQ(gauge()->ScaleMax(), 6.0);
    EXPECT_EQ(gauge()->ScaleStep(), 1.0);
    EXPECT_FLOAT_EQ(gauge()->Value(), 500.0F);
}

struct UnknownCase {
    int type;
    int range;
    int unit;
};

void PrintTo(const UnknownCase& c, std::ostream* os) {
    *os << "type " << c.type << " range " << c.range << " unit " << c.unit;
}

class ChannelUnknownTest : public ChannelObservationTest, public testing::WithParamInterface<UnknownCase> {};

TEST_P(ChannelUnknownTest, ShowsDashesAndKeepsTheGauge) {
    const UnknownCase c = GetParam();
    control->setIsInitializing(false);
    control->SetCurrentValue(6000);
    ASSERT_EQ(valueText(), QStringLiteral("6.000"));

    control->setTyp(static_cast<qint16>(c.type));
    control->setRange(static_cast<quint8>(c.range));
    unitList()->setCurrentIndex(c.unit);
    control->SetCurrentValue(7000);

    EXPECT_EQ(valueText(), QStringLiteral("-/-"));
    EXPECT_EQ(gauge()->Value(), 0.0F);
    EXPECT_EQ(gauge()->ScaleMax(), 12.0);
    EXPECT_EQ(gauge()->ScaleStep(), 2.0);
    EXPECT_EQ(control->CurrentValue(), 7000);
}

INSTANTIATE_TEST_SUITE_P(Combinations, ChannelUnknownTest,
                         testing::Values(UnknownCase{36, 0, 1}, UnknownCase{0, 0, 1}, UnknownCase{37, 4, 1},
                                         UnknownCase{54, 255, 0}, UnknownCase{37, 0, -1}));

// ---- state picture and connection ----

struct PictureCase {
    bool invalid;
    bool forced;
    int pictureId;
};

class ChannelPictureTest : public ChannelObservationTest, public testing::WithParamInterface<PictureCase> {};

TEST_P(ChannelPictureTest, FlagsSelectThePicture) {
    TestResources resources(QStringLiteral("."));
    configure(37, 0, 1, &resources);
    control->SetCurrentValue(100, GetParam().invalid, GetParam().forced);
    EXPECT_EQ(ChannelObservation::StatePictureId(GetParam().invalid, GetParam().forced),
              GetParam().pictureId);
    EXPECT_EQ(pictureColor(), TestResources::colorOf(GetParam().pictureId));
    EXPECT_EQ(control->IsInValid(), GetParam().invalid);
    EXPECT_EQ(control->IsForced(), GetParam().forced);
}

INSTANTIATE_TEST_SUITE_P(States, ChannelPictureTest,
                         testing::Values(PictureCase{false, false, 150}, PictureCase{true, false, 152},
                                         PictureCase{false, true, 153}, PictureCase{true, true, 155}));

TEST_F(ChannelObservationTest, LosingTheConnectionRemovesOnlyThePicture) {
    TestResources resources(QStringLiteral(","));
    configure(37, 0, 0, &resources);
    control->setHasConnection(true);
    control->SetCurrentValue(5000, false, true);
    ASSERT_EQ(pictureColor(), TestResources::colorOf(153));

    control->setHasConnection(false);
    EXPECT_FALSE(control->HasConnection());
    EXPECT_TRUE(statePicture()->pixmap().isNull());
    EXPECT_EQ(valueText(), QStringLiteral("50,0"));
    EXPECT_NEAR(gauge()->Value(), 416.7, 0.05);

    control->setHasConnection(true);
    EXPECT_TRUE(statePicture()->pixmap().isNull());
    control->SetCurrentValue(5000);
    EXPECT_EQ(pictureColor(), TestResources::colorOf(150));
}

TEST_F(ChannelObservationTest, ValuesWithoutResourceManagerShowNoPicture) {
    control->setIsInitializing(false);
    control->SetCurrentValue(2500, true, false);
    EXPECT_EQ(valueText(), QStringLiteral("2.500"));
    EXPECT_TRUE(statePicture()->pixmap().isNull());
}

TEST_F(ChannelObservationTest, MissingPictureDoesNotLeaveTheOldOne) {
    TestResources resources(QStringLiteral("."));
    configure(37, 0, 1, &resources);
    control->SetCurrentValue(100);
    ASSERT_FALSE(statePicture()->pixmap().isNull());
    ASSERT_TRUE(QFile::remove(QDir(resources.path()).filePath(QStringLiteral("pictures/152.svg"))));
    control->SetCurrentValue(100, true);
    EXPECT_TRUE(statePicture()->pixmap().isNull());
    EXPECT_EQ(valueText(), QStringLiteral("0.100"));
}

// ---- resource manager and caption ----

TEST_F(ChannelObservationTest, ResourceManagerLoadsTextsAndConfiguresTheDeviceManager) {
    TestResources resources(QStringLiteral(","));
    resources.manager.setLanguage(QStringLiteral("de"));  // falls back to the English file
    control->setChannelNumber(3);
    control->setChannelTag(QStringLiteral("TI-101"));
    ASSERT_EQ(caption(), QStringLiteral("channel 3: TI-101"));

    resources.attach(*control);
    EXPECT_EQ(control->ResourceManager(), &resources.manager);
    EXPECT_EQ(caption(), QStringLiteral("Kanal 3: TI-101"));
    EXPECT_EQ(element<QLabel>("lblState")->text(), QStringLiteral("Zustand"));
    EXPECT_EQ(control->DecimalSeparator(), QStringLiteral(","));
    rmox::ResourceManager* device = control->DeviceResourceManager();
    ASSERT_NE(device, nullptr);
    EXPECT_NE(device, &resources.manager);
    EXPECT_EQ(device->ResourceFolder(), resources.manager.ResourceFolder());
    EXPECT_EQ(device->Language(), QStringLiteral("de"));

    control->setChannelNumber(-4);
    EXPECT_EQ(caption(), QStringLiteral("Kanal -4: TI-101"));
    control->setChannelTag(QString());
    EXPECT_EQ(caption(), QStringLiteral("Kanal -4: "));
}

TEST_F(ChannelObservationTest, MissingTextsKeepTheDefaults) {
    TestResources resources(QStringLiteral(","), /*withTexts=*/false);
    control->setChannelNumber(2);
    control->setChannelTag(QStringLiteral("x"));
    resources.attach(*control);
    configure(37, 0, 1);
    control->SetCurrentValue(1500);
    EXPECT_EQ(control->DecimalSeparator(), QStringLiteral("."));
    EXPECT_EQ(valueText(), QStringLiteral("1.500"));
    EXPECT_EQ(element<QLabel>("lblState")->text(), QStringLiteral("State"));
    EXPECT_EQ(caption(), QStringLiteral("channel 2: x"));
}

TEST_F(ChannelObservationTest, ManagerDestroyedByItsOwnerIsNotUsedAgain) {
    auto resources = std::make_unique<TestResources>(QStringLiteral(","));
    resources->attach(*control);
    control->setIsInitializing(false);
    resources.reset();
    EXPECT_EQ(control->ResourceManager(), nullptr);
    control->setChannelNumber(1);
    control->SetCurrentValue(1000);
    EXPECT_EQ(caption(), QStringLiteral("channel 1: "));
    EXPECT_TRUE(statePicture()->pixmap().isNull());
}

TEST_F(ChannelObservationTest, PropertiesAreReachableByName) {
    EXPECT_TRUE(control->setProperty("Typ", 54));
    EXPECT_TRUE(control->setProperty("Range", 2));
    EXPECT_TRUE(control->setProperty("IsInitializing", false));
    EXPECT_EQ(unitList()->itemText(1), QStringLiteral("V"));
    EXPECT_EQ(gauge()->ScaleMax(), 6.0);
    EXPECT_TRUE(control->setProperty("ChannelNumber", 4));
    EXPECT_TRUE(control->setProperty("ChannelTag", QStringLiteral("PT-9")));
    EXPECT_EQ(caption(), QStringLiteral("channel 4: PT-9"));
    EXPECT_TRUE(control->setProperty("HasConnection", true));
    EXPECT_TRUE(control->property("HasConnection").toBool());
    EXPECT_TRUE(QMetaObject::invokeMethod(control.get(), "SetCurrentValue", Q_ARG(qint16, 2500),
                                          Q_ARG(bool, false), Q_ARG(bool, false)));
    EXPECT_EQ(valueText(), QStringLiteral("2.500"));
}

}  // namespace
