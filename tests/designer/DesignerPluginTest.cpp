// The Designer plugin, loaded as Designer loads it: each channel control is offered
// in the widget box, made without a host, described by a form snippet that parses,
// and its properties are what Designer's property editor can edit.
#include <QFile>
#include <QIcon>
#include <QMetaProperty>
#include <QPixmap>
#include <QWidget>
#include <QXmlStreamReader>
#include <climits>
#include <memory>

#include "DesignerPluginFixture.h"

namespace {

using testsupport::DesignerPluginFixture;

const char* const kControls[] = {"qt27::ChannelParameter", "qt27::ChannelObservation",
                                 "qt27::ChannelSimulation"};

class ControlInWidgetBox : public DesignerPluginFixture,
                           public testing::WithParamInterface<const char*> {};

TEST_P(ControlInWidgetBox, IsDescribedMadeWithoutHostAndPlacedAtItsDesignSize) {
    QDesignerCustomWidgetInterface* plugin = widget(QString::fromLatin1(GetParam()));
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->group(), QStringLiteral("QT27 Controls"));
    EXPECT_FALSE(plugin->icon().pixmap(22, 22).isNull());
    EXPECT_FALSE(plugin->toolTip().isEmpty());
    EXPECT_FALSE(plugin->whatsThis().isEmpty());
    EXPECT_FALSE(plugin->isContainer());
    // The include a form's generated code writes must name the control's header.
    EXPECT_TRUE(QFile::exists(QStringLiteral(QT27_SOURCE_DIR "/") + plugin->includeFile()))
        << plugin->includeFile().toStdString();

    std::unique_ptr<QWidget> control(plugin->createWidget(nullptr));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(QString::fromLatin1(control->metaObject()->className()), plugin->name());
    // No resource manager, no page: the control still paints itself.
    control->resize(control->sizeHint());
    EXPECT_FALSE(control->grab().isNull());

    // The form snippet parses and places the control at its design size.
    QXmlStreamReader xml(plugin->domXml());
    QString widgetClass;
    QSize size;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == QLatin1String("widget")) {
            widgetClass = xml.attributes().value(QLatin1String("class")).toString();
        } else if (xml.name() == QLatin1String("width")) {
            size.setWidth(xml.readElementText().toInt());
        } else if (xml.name() == QLatin1String("height")) {
            size.setHeight(xml.readElementText().toInt());
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(widgetClass, plugin->name());
    EXPECT_EQ(size, control->sizeHint());
}

// Designer edits a property only when its editor knows the type, and it writes
// whatever number the user types: every designable property of the control's own
// classes has such a type and takes any value without an exception.
TEST_P(ControlInWidgetBox, DesignablePropertiesAreEditableAndTakeAnyValue) {
    QDesignerCustomWidgetInterface* plugin = widget(QString::fromLatin1(GetParam()));
    ASSERT_NE(plugin, nullptr);
    std::unique_ptr<QWidget> control(plugin->createWidget(nullptr));
    const QMetaObject* meta = control->metaObject();
    int designable = 0;
    for (int i = QWidget::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (!property.isDesignable()) {
            continue;
        }
        ++designable;
        const int type = property.metaType().id();
        EXPECT_TRUE(type == QMetaType::Int || type == QMetaType::Bool || type == QMetaType::QString)
            << property.name() << " has type " << property.typeName();
        if (type == QMetaType::Int) {
            for (int value : {INT_MIN, -1, 0, 3, 255, 256, 70000, INT_MAX}) {
                EXPECT_NO_THROW(control->setProperty(property.name(), value))
                    << property.name() << " = " << value;
            }
        }
    }
    EXPECT_GT(designable, 0);
}

INSTANTIATE_TEST_SUITE_P(Designer, ControlInWidgetBox, testing::ValuesIn(kControls),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param + 6);  // without "qt27::"
                         });

// A value set the way Designer (and a form's generated code) sets it is what the
// control then reads back.
struct PropertyCase {
    const char* control;
    const char* property;
    QVariant value;
};

std::ostream& operator<<(std::ostream& out, const PropertyCase& row) {
    return out << row.control << "." << row.property;
}

class PropertyRoundTrip : public DesignerPluginFixture,
                          public testing::WithParamInterface<PropertyCase> {};

TEST_P(PropertyRoundTrip, ReadsBackWhatWasSet) {
    const PropertyCase& row = GetParam();
    QDesignerCustomWidgetInterface* plugin = widget(QString::fromLatin1(row.control));
    ASSERT_NE(plugin, nullptr);
    std::unique_ptr<QWidget> control(plugin->createWidget(nullptr));
    ASSERT_TRUE(control->setProperty(row.property, row.value)) << row.property;
    EXPECT_EQ(control->property(row.property), row.value);
}

INSTANTIATE_TEST_SUITE_P(
    Designer, PropertyRoundTrip,
    testing::Values(PropertyCase{"qt27::ChannelParameter", "ChannelNumber", 3},
                    PropertyCase{"qt27::ChannelParameter", "ChannelTag", QStringLiteral("TI 4711")},
                    PropertyCase{"qt27::ChannelParameter", "RangeMode", 1},
                    PropertyCase{"qt27::ChannelParameter", "Damping", 2},
                    PropertyCase{"qt27::ChannelParameter", "FailSafeParameter", 0x70},
                    PropertyCase{"qt27::ChannelParameter", "Locked", true},
                    PropertyCase{"qt27::ChannelObservation", "ChannelNumber", 4},
                    PropertyCase{"qt27::ChannelObservation", "ChannelTag", QStringLiteral("PT 12")},
                    PropertyCase{"qt27::ChannelObservation", "Range", 2},
                    PropertyCase{"qt27::ChannelSimulation", "Range", 1},
                    PropertyCase{"qt27::ChannelSimulation", "Locked", true}));

}  // namespace
