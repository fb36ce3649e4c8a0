#pragma once

#include <gtest/gtest.h>

#include <QPluginLoader>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace testsupport {

/// The built Designer plugin (QT27_DESIGNER_PLUGIN, set by the build), loaded once for
/// the test program as Designer loads it, and its widgets by class name.
class DesignerPluginFixture : public testing::Test {
protected:
    static QDesignerCustomWidgetCollectionInterface* collection() {
        static QPluginLoader loader(QStringLiteral(QT27_DESIGNER_PLUGIN));
        static QObject* instance = loader.instance();
        if (instance == nullptr) {
            ADD_FAILURE() << "plugin not loaded: " << loader.errorString().toStdString();
            return nullptr;
        }
        return qobject_cast<QDesignerCustomWidgetCollectionInterface*>(instance);
    }

    static QDesignerCustomWidgetInterface* widget(const QString& className) {
        QDesignerCustomWidgetCollectionInterface* plugins = collection();
        if (plugins == nullptr) {
            return nullptr;
        }
        for (QDesignerCustomWidgetInterface* candidate : plugins->customWidgets()) {
            if (candidate->name() == className) {
                return candidate;
            }
        }
        ADD_FAILURE() << "no widget " << className.toStdString() << " in the plugin";
        return nullptr;
    }
};

}  // namespace testsupport
