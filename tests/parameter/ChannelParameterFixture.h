#pragma once

// Shared helpers of the channel parameter editor tests: access to the elements by
// name and a temporary pair of resource folders with texts chosen by the test.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "QT27Controls/parameter/ChannelParameter.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace chanparamtest {

template <typename T>
T* element(const qt27::ChannelParameter& control, const char* name) {
    T* found = control.findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline QComboBox* cbo(const qt27::ChannelParameter& control, const char* name) {
    return element<QComboBox>(control, name);
}
inline QCheckBox* chk(const qt27::ChannelParameter& control, const char* name) {
    return element<QCheckBox>(control, name);
}
inline QLabel* lbl(const qt27::ChannelParameter& control, const char* name) {
    return element<QLabel>(control, name);
}
inline QGroupBox* fra(const qt27::ChannelParameter& control, const char* name) {
    return element<QGroupBox>(control, name);
}

inline QStringList items(const QComboBox* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        texts << list->itemText(i);
    }
    return texts;
}

using Texts = QMap<int, QString>;

/// A common and a device resource folder in a temporary directory.
class TempResources {
public:
    TempResources() {
        EXPECT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("common"));
        QDir(m_dir.path()).mkpath(QStringLiteral("device"));
    }
    QString common() const { return m_dir.filePath(QStringLiteral("common")); }
    QString device() const { return m_dir.filePath(QStringLiteral("device")); }

    static void write(const QString& folder, const QString& language, const Texts& texts) {
        QFile file(QDir(folder).filePath(QStringLiteral("strings.%1.txt").arg(language)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QByteArray content = "# test texts\n";
        for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
            content += QByteArray::number(it.key()) + '=' + it.value().toUtf8() + '\n';
        }
        file.write(content);
    }

    /// Points @p control at these folders.
    void use(qt27::ChannelParameter& control) const { control.SetResourceFolders(common(), device()); }

private:
    QTemporaryDir m_dir;
};

/// English texts of the editor, common folder.
inline Texts commonTexts() {
    return {{6003, QStringLiteral("Channel")},
            {6005, QStringLiteral("Line monitoring and failsafe strategy")},
            {6007, QStringLiteral("Open line detection")},
            {6008, QStringLiteral("Short detection")},
            {6009, QStringLiteral("Last valid value")},
            {6010, QStringLiteral("Failsafe value")},
            {6014, QStringLiteral("Off")},
            {6018, QStringLiteral("Minimum value")},
            {6019, QStringLiteral("Maximum value")}};
}

/// English texts of the editor, device folder.
inline Texts deviceTexts() {
    return {{1001, QStringLiteral("Input signal")},
            {1002, QStringLiteral("Input range")},
            {1003, QStringLiteral("Input filter")}};
}

}  // namespace chanparamtest
