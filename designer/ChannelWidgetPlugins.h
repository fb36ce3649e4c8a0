#pragma once

#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <functional>

namespace qt27designer {

/// What the widget box shows of one channel control and how it is made.
struct ChannelWidgetDescription {
    QString className;    ///< with namespace, as uic writes it into the form's code
    QString includeFile;  ///< the header a form's generated code includes
    QString iconFile;     ///< resource path of the widget box icon
    QString toolTip;
    QString whatsThis;
    std::function<QWidget*(QWidget*)> create;
};

/// One channel control in Designer's widget box. The control is created without a
/// host: it shows its built-in texts (no resource manager) until a page gives it one.
class ChannelWidgetPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    ChannelWidgetPlugin(ChannelWidgetDescription description, QObject* parent);

    QString name() const override { return m_description.className; }
    QString group() const override;
    QString toolTip() const override { return m_description.toolTip; }
    QString whatsThis() const override { return m_description.whatsThis; }
    QString includeFile() const override { return m_description.includeFile; }
    QIcon icon() const override;
    bool isContainer() const override { return false; }
    QWidget* createWidget(QWidget* parent) override;
    bool isInitialized() const override { return m_initialized; }
    void initialize(QDesignerFormEditorInterface* core) override;
    /// The widget with the control's design size as its geometry and channel number 1.
    QString domXml() const override;

private:
    ChannelWidgetDescription m_description;
    bool m_initialized = false;
};

/// The plugin Designer loads: ChannelParameter, ChannelObservation and
/// ChannelSimulation in the group "QT27 Controls".
class ChannelWidgetCollection : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

public:
    explicit ChannelWidgetCollection(QObject* parent = nullptr);

    QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return m_widgets; }

private:
    QList<QDesignerCustomWidgetInterface*> m_widgets;
};

}  // namespace qt27designer
