// libFuzzer target: arbitrary bytes into the station project file reader. A file
// that reads must also write and read back unchanged.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "host/StationProject.h"
#include "rmox/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString fileName = QStringLiteral("fuzz.xml");
    host::StationProject project;
    try {
        project = host::StationProject::fromXml(content, fileName);
    } catch (const rmox::Error&) {
        return 0;
    }
    if (host::StationProject::fromXml(project.toXml(), fileName) != project) {
        std::abort();
    }
    return 0;
}
