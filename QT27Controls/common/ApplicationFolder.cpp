#include "ApplicationFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#if defined(Q_OS_UNIX)
#include <dlfcn.h>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace qt27 {

QString ApplicationFolder() {
    static const QString folder = [] {
#if defined(Q_OS_UNIX)
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&ApplicationFolder), &info) != 0 && info.dli_fname != nullptr) {
            return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
        }
#elif defined(Q_OS_WIN)
        HMODULE module = nullptr;
        wchar_t path[MAX_PATH];
        if (GetModuleHandleExW(
                GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                reinterpret_cast<LPCWSTR>(&ApplicationFolder), &module) &&
            GetModuleFileNameW(module, path, MAX_PATH) > 0) {
            return QFileInfo(QString::fromWCharArray(path)).absolutePath();
        }
#endif
        return QCoreApplication::applicationDirPath();
    }();
    return folder;
}

QString CommonResourceFolder() {
    return QDir::toNativeSeparators(ApplicationFolder() + QStringLiteral("/rmoxResourceData"));
}

QString DeviceResourceFolder() {
    return QDir::toNativeSeparators(ApplicationFolder() + QStringLiteral("/QT27ResourceData"));
}

}  // namespace qt27
