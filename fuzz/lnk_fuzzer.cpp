// The shell link (.lnk) reader over liblnk. The bytes become a shortcut on the desktop of a small Wine
// prefix, which the shortcut check reads as a drive walk hands it over (the Shell's item, the target
// expanded against the prefix's environment, the existence tests); the reader also runs on its own with a
// multi-byte code page.
#include "fuzz_support.h"

#include "platform/shortcut_files.h"
#include "shortcuts/shortcut_checker.h"

#include <string>
#include <vector>

// liblnk allocates what the sizes in a file claim (up to 4 GiB) before it finds the file too short. Such an
// allocation costs AddressSanitizer seconds, so here it fails, as it does where memory is not overcommitted,
// and liblnk gives the file up as unreadable.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1:max_allocation_size_mb=512";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vx;
    Target& target = fuzz::SmallPrefixTarget();
    const std::filesystem::path file =
        fuzz::WriteScratchFile("prefix/drive_c/users/fuzz/Desktop/input.lnk", data, size);

    fuzz::FuzzApp fuzzApp(target);
    CheckShortcutFile(fuzzApp.check, "C:\\users\\fuzz\\Desktop\\input.lnk");
    (void)ReadLnkFile(file, 932);
    return 0;
}
