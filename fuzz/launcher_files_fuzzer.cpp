// The readers of the Wine launchers' files: Steam's KeyValues (libraryfolders.vdf, appmanifest .acf) and
// the keys of a YAML file (Lutris, Bottles), and of what Wine's menu builder writes on the desktop (desktop
// entries, menu files, MIME packages). Any bytes are read or refused with a reason, never more.
#include "fuzz_support.h"

#include "platform/wine/key_values.h"
#include "platform/wine/launcher_files.h"
#include "platform/wine/wine_launchers.h"
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
    error.clear();
    if (!ReadWineLauncher(content, "/home/u", error) && !error.empty() && !error.starts_with("its Exec line"))
        fuzz::Fail("a refused desktop entry gives an unknown reason", content);
    const WineMenuFile menu = ReadWineMenuFile(content);
    size_t read = 0;
    for (const auto* texts : {&menu.entries, &menu.directories})
        for (const auto& text : *texts)
            read += text.size();
    for (const auto& type : MimePackageTypes(content))
        read += type.size();
    // Escapes only shorten, and each reader reads a part of the text at most once.
    if (read > 3 * size)
        fuzz::Fail("the menu file and MIME package readers give more than the text holds", content);
    return 0;
}
