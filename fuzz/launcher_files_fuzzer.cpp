// The readers of the Wine launchers' files: Steam's KeyValues (libraryfolders.vdf, appmanifest .acf) and
// the keys of a YAML file (Lutris, Bottles). Any bytes are read or refused with a reason, never more.
#include "fuzz_support.h"

#include "platform/wine/key_values.h"
#include "platform/wine/yaml_keys.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vx;
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    std::string error;
    if (!ReadKeyValues(content, error) && !error.starts_with("line "))
        fuzz::Fail("a refused KeyValues text has no line in its reason", content);
    error.clear();
    if (!ReadYamlKeys(content, error) && !error.starts_with("line "))
        fuzz::Fail("a refused YAML text has no line in its reason", content);
    return 0;
}
