// What `vantrelix-cli prefixes` does, on a generated home with N prefixes of every source (50 by
// default): finding them through the launchers' files, measuring each on disk, and asking for each
// prefix's Wine server. The best of five runs of each. `--keep DIR` makes the home in DIR and keeps it
// (to time the command itself: HOME=DIR vantrelix-cli prefixes).
#include "platform/wine/folder_usage.h"
#include "platform/wine/prefix_finder.h"
#include "platform/wine/wine_server.h"
#include "support/fixture_home.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

using namespace vx;
using Clock = std::chrono::steady_clock;

namespace {

template <typename Work> double BestSeconds(Work work) {
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    int each = 50;
    std::filesystem::path keep;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--keep" && i + 1 < argc)
            keep = argv[++i];
        else
            each = std::atoi(argv[i]);
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "vx-prefixes-bench-XXXXXX").string();
    const std::filesystem::path root = keep.empty() ? std::filesystem::path(::mkdtemp(pattern.data())) : keep;
    std::filesystem::create_directories(root);
    test::FixtureHome home(root);
    home.WithEverySource(each);
    const PrefixPlaces places = PrefixPlaces::ForHome(root);

    std::vector<FoundPrefix> found;
    const double finding = BestSeconds([&] {
        std::vector<std::string> warnings;
        found = FindPrefixes(places, warnings);
    });
    uint64_t bytes = 0;
    const double measuring = BestSeconds([&] {
        bytes = 0;
        for (const auto& prefix : found)
            bytes += MeasureFolder(prefix.path).bytes;
    });
    const double servers = BestSeconds([&] {
        for (const auto& prefix : found)
            WineServerRunning(prefix.path);
    });
    if (keep.empty())
        std::filesystem::remove_all(root);

    std::cout << found.size() << " prefixes (" << each << " of every source), " << bytes / 1024 << " KiB\n"
              << "  finding them:         " << finding * 1000 << " ms\n"
              << "  measuring them:       " << measuring * 1000 << " ms\n"
              << "  their Wine servers:   " << servers * 1000 << " ms\n"
              << "  prefixes, in all:     " << (finding + measuring + servers) * 1000 << " ms\n";
    return 0;
}
