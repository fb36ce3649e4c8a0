#pragma once

#include <QString>

namespace qt27 {

/// The folder of the QT27Controls library file (the DTM's "application folder").
QString ApplicationFolder();
/// ApplicationFolder() + "/rmoxResourceData".
QString CommonResourceFolder();
/// ApplicationFolder() + "/QT27ResourceData".
QString DeviceResourceFolder();

}  // namespace qt27
