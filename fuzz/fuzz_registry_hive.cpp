// Feeds arbitrary bytes to the registry hive parser, which reads a file that any
// user may edit. Checks that the parser neither crashes nor gives a hive that
// contradicts itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "QT27Controls/common/RegistryHive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qt27::RegistryHive::Hive hive = qt27::RegistryHive::Parse(bytes);
    if (!hive.valid && !hive.keys.isEmpty()) {
        std::abort();
    }
    for (auto key = hive.keys.cbegin(); key != hive.keys.cend(); ++key) {
        if (hive.key(key->path) != &key.value()) {
            std::abort();
        }
        for (const qt27::RegistryHive::Value& value : key->values) {
            if (hive.value(key->path, value.name) != &value) {
                std::abort();
            }
            (void)qt27::RegistryHive::ValueText(value);
        }
    }
    return 0;
}
