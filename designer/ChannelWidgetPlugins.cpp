#include "designer/ChannelWidgetPlugins.h"

#include <QIcon>
#include <QWidget>
#include <memory>

#include "QT27Controls/observation/ChannelObservation.h"
#include "QT27Controls/parameter/ChannelParameter.h"
#include "QT27Controls/simulation/ChannelSimulation.h"

namespace qt27designer {

namespace {

template <typename Control>
std::function<QWidget*(QWidget*)> factory() {
    return [](QWidget* parent) -> QWidget* { return new Control(parent); };
}

}  // namespace

ChannelWidgetPlugin::ChannelWidgetPlugin(ChannelWidgetDescription description, QObject* parent)
    : QObject(parent), m_description(std::move(description)) {}

QString ChannelWidgetPlugin::group() const {
    return QStringLiteral("QT27 Controls");
}

QIcon ChannelWidgetPlugin::icon() const {
    return QIcon(m_description.iconFile);
}

QWidget* ChannelWidgetPlugin::createWidget(QWidget* parent) {
    return m_description.create(parent);
}

void ChannelWidgetPlugin::initialize(QDesignerFormEditorInterface* /*core*/) {
    m_initialized = true;
}

QString ChannelWidgetPlugin::domXml() const {
    // The design size is the control's own size hint (its fixed inner layout);
    // a control made once here, without a parent, tells it.
    const std::unique_ptr<QWidget> sample(m_description.create(nullptr));
    const QSize size = sample->sizeHint();
    QString objectName = m_description.className.section(QStringLiteral("::"), -1);
    objectName[0] = objectName[0].toLower();
    return QStringLiteral(
               "<ui language=\"c++\" displayname=\"%1\">\n"
               " <widget class=\"%2\" name=\"%3\">\n"
               "  <property name=\"geometry\">\n"
               "   <rect><x>0</x><y>0</y><width>%4</width><height>%5</height></rect>\n"
               "  </property>\n"
               "  <property name=\"ChannelNumber\"><number>1</number></property>\n"
               " </widget>\n"
               "</ui>\n")
        .arg(m_description.className.section(QStringLiteral("::"), -1), m_description.className,
             objectName)
        .arg(size.width())
        .arg(size.height());
}

ChannelWidgetCollection::ChannelWidgetCollection(QObject* parent) : QObject(parent) {
    m_widgets = {
        new ChannelWidgetPlugin(
            {QStringLiteral("qt27::ChannelParameter"),
             QStringLiteral("QT27Controls/parameter/ChannelParameter.h"),
             QStringLiteral(":/qt27designer/channelparameter.svg"),
             QStringLiteral("Parameters of one analog input channel"),
             QStringLiteral("Edits the parameter byte of one analog input channel: input "
                            "range, damping, failsafe value, open-line and short-circuit "
                            "detection. Reports user edits with SetDirty and RangeChanged; "
                            "the Parameter page places four of them."),
             factory<qt27::ChannelParameter>()},
            this),
        new ChannelWidgetPlugin(
            {QStringLiteral("qt27::ChannelObservation"),
             QStringLiteral("QT27Controls/observation/ChannelObservation.h"),
             QStringLiteral(":/qt27designer/channelobservation.svg"),
             QStringLiteral("Current value of one analog input channel"),
             QStringLiteral("Shows the value of one analog input channel as a number in the "
                            "unit the user picks, as a bar gauge with zones and as a state "
                            "picture. The page feeds it raw values with SetCurrentValue."),
             factory<qt27::ChannelObservation>()},
            this),
        new ChannelWidgetPlugin(
            {QStringLiteral("qt27::ChannelSimulation"),
             QStringLiteral("QT27Controls/simulation/ChannelSimulation.h"),
             QStringLiteral(":/qt27designer/channelsimulation.svg"),
             QStringLiteral("Force-value editor of one analog channel"),
             QStringLiteral("The value display of ChannelObservation plus a force value "
                            "(typed or dragged on the gauge), a forcing switch and a "
                            "force-invalid switch. Reports every change as an event; the "
                            "Simulation page decides what is sent."),
             factory<qt27::ChannelSimulation>()},
            this),
    };
}

}  // namespace qt27designer
