// Every regular file below a folder with its bytes and permission bits.
#include "support/file_snapshot.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace vx::test {

namespace fs = std::filesystem;

void PrintTo(const FileState& state, std::ostream* out) {
    *out << state.bytes.size() << " bytes, mode " << std::oct << state.mode << std::dec;
}

std::map<std::string, FileState> FilesWithModes(const fs::path& root) {
    std::map<std::string, FileState> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (!it->is_regular_file() || it->is_symlink())
            continue;
        struct stat st {};
        ::lstat(it->path().c_str(), &st);
        std::ifstream in(it->path(), std::ios::binary);
        files[it->path().lexically_relative(root).string()] = {
            std::string(std::istreambuf_iterator<char>(in), {}), static_cast<unsigned>(st.st_mode & 07777)};
    }
    return files;
}

} // namespace vx::test
