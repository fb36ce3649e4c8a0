// Test entry point: a QApplication on the offscreen platform unless a display is set,
// and a guard that deletes the windows a test leaves behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QWidget>

namespace {

class LeftoverWindowGuard : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo& /*info*/) override {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            delete widget;
        }
        QLocale::setDefault(QLocale::c());
        QCoreApplication::processEvents();
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    testing::InitGoogleMock(&argc, argv);
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    testing::UnitTest::GetInstance()->listeners().Append(new LeftoverWindowGuard);
    return RUN_ALL_TESTS();
}
