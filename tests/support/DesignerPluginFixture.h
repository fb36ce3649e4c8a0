#pragma once

#include <gtest/gtest.h>

#include <QPluginLoader>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace testsupport {

/// The built Designer plugin (QT27_DESIGNER_PLUGIN, set by the build), loaded once
/// per test program as Designer loads it; widget() finds a control by class name.
class DesignerPluginFixture : public testing::Test {
protected:
    static QDesignerCustomWidgetInterface* widget(const QString& className) {
        static QPluginLoader loader(QStringLiteral(QT27_DESIGNER_PLUGIN));
        auto* plugins = qobject_cast<QDesignerCustomWidgetCollectionInterface*>(loader.instance());
        if (plugins == nullptr) {
            ADD_FAILURE() << "no widget collection: " << loader.errorString().toStdString();
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
