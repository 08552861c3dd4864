// Listing a folder of many entries through the host file system: the listing alone (with exact attributes,
// and at the basic level the drive walker uses), and the listing with one GetFileAttributes per entry.
// Usage: listing_bench [entries]
#include "platform/host_file_system.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const long count = argc > 1 ? std::atol(argv[1]) : 100000;
    std::string pattern = (fs::temp_directory_path() / "vx-listing-bench-XXXXXX").string();
    const fs::path root = mkdtemp(pattern.data());
    const fs::path folder = root / "Many";
    fs::create_directories(folder);
    for (long i = 0; i < count; ++i) {
        // Mixed case and a few folders, so that sorting without regard to case has work to do.
        const std::string name =
            (i % 3 ? "Entry" : "entry") + std::to_string(i * 7919 % count) + (i % 50 ? ".lnk" : "");
        if (i % 50 == 0)
            fs::create_directory(folder / name);
        else
            close(open((folder / name).c_str(), O_CREAT | O_WRONLY, 0644));
    }

    vx::HostFileSystem files(vx::VolumeAsDriveC(root));
    auto run = [&](bool withAttributes, vx::FindInfoLevel level = vx::FindInfoLevel::Standard) {
        const auto start = std::chrono::steady_clock::now();
        long seen = 0;
        vx::FindData entry;
        if (auto search = files.FindFirstFileEx("C:\\many\\*", level, entry)) {
            do {
                ++seen;
                if (withAttributes &&
                    files.GetFileAttributes("C:\\Many\\" + entry.name) == vx::INVALID_FILE_ATTRIBUTES)
                    std::fprintf(stderr, "lost %s\n", entry.name.c_str());
            } while (search->FindNextFile(entry));
        }
        const double s = Seconds(std::chrono::steady_clock::now() - start);
        const char* what = withAttributes                      ? "listing + GetFileAttributes each:"
                           : level == vx::FindInfoLevel::Basic ? "listing (names and folder bits):"
                                                               : "listing:";
        std::printf("%-34s %8ld entries  %7.3f s  %10.0f entries/s\n", what, seen, s, seen / s);
    };
    run(false); // the first pass warms the host's caches
    run(false);
    run(false, vx::FindInfoLevel::Basic);
    run(true);

    fs::remove_all(root);
    return 0;
}
