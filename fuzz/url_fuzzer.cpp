// The Internet shortcut (.url) reader, and the .pif reader beside it. The bytes become a .url file on the
// desktop of a small Wine prefix, which the shortcut check reads as a drive walk hands it over; the
// readers also run on their own, and what they give must be UTF-8 (a file: URL as a Windows path, with
// no forward slash left).
#include "fuzz_support.h"

#include "platform/shortcut_files.h"
#include "platform/text.h"
#include "shortcuts/shortcut_checker.h"

#include <string>
#include <vector>

namespace {

bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        const size_t len = b0 < 0x80 ? 1 : b0 < 0xC2 ? 0 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : b0 < 0xF5 ? 4 : 0;
        if (len == 0 || i + len > text.size())
            return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

bool IsFileUrl(std::string_view url) {
    while (!url.empty() && (url.front() == ' ' || url.front() == '\t'))
        url.remove_prefix(1);
    return url.size() >= 5 && vx::EqualsNoCase(url.substr(0, 5), "file:");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vx;
    Target& target = fuzz::SmallPrefixTarget();
    const std::filesystem::path file =
        fuzz::WriteScratchFile("prefix/drive_c/users/fuzz/Desktop/input.url", data, size);

    fuzz::FuzzApp fuzzApp(target);
    CheckShortcutFile(fuzzApp.check, "C:\\users\\fuzz\\Desktop\\input.url");

    if (const auto url = ReadUrlFile(file)) {
        if (!IsUtf8(*url))
            fuzz::Fail("the URL read is not UTF-8", *url);
        const std::string path = TargetPathOfUrl(*url);
        if (IsFileUrl(*url) && (!IsUtf8(path) || path.find('/') != std::string::npos))
            fuzz::Fail("a file: URL gives a path that is not UTF-8 or keeps a forward slash", path);
    }
    if (const auto program = ReadPifFile(file); program && !IsUtf8(*program))
        fuzz::Fail("the program of a .pif file is not UTF-8", *program);
    return 0;
}
