#pragma once
// How much of the disk a folder takes, and when anything in it last changed.
#include <cstdint>
#include <filesystem>

namespace vx {

struct FolderUsage {
    uint64_t bytes = 0;     // allocated blocks, each file with several names counted once
    int64_t lastChange = 0; // the latest modification time of the folder or anything in it (Unix seconds)
    bool complete = true;   // false when a folder in it could not be read
};

// Walks the folder (following a link that names it) without following symbolic links (a link counts as
// itself) and without entering another mounted file system (a mount point counts as its own folder entry).
FolderUsage MeasureFolder(const std::filesystem::path& folder);

} // namespace vx
