#include "hive_damage.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace vx::test {
namespace {

// The regf layout these patches need: cells start in the first hive bin at 0x1000 and are addressed
// from there; a cell is its 4-byte size followed by the record.
constexpr size_t kBins = 0x1000;
constexpr size_t kNameLength = 0x48; // in a key ("nk") record
constexpr size_t kName = 0x4c;
constexpr size_t kSubkeyList = 0x1c;

std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

uint32_t Le32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4); // little-endian on disk and here
    return v;
}

void PutLe32(std::string& bytes, size_t at, uint32_t v) {
    std::memcpy(bytes.data() + at, &v, 4);
}

// The file offset of the key's "nk" record.
size_t KeyRecord(const std::string& bytes, std::string_view name) {
    for (size_t at = bytes.find(name); at != std::string::npos; at = bytes.find(name, at + 1)) {
        if (at < kBins + kName)
            continue;
        const size_t record = at - kName;
        const auto length = static_cast<uint16_t>(static_cast<uint8_t>(bytes[record + kNameLength]) |
                                                  static_cast<uint8_t>(bytes[record + kNameLength + 1]) << 8);
        if (bytes.compare(record, 2, "nk") == 0 && length == name.size())
            return record;
    }
    throw std::runtime_error("no key record named " + std::string(name));
}

} // namespace

void EmptyKeyName(const std::filesystem::path& hive, std::string_view name) {
    std::string bytes = Read(hive);
    const size_t record = KeyRecord(bytes, name);
    bytes[record + kNameLength] = 0;
    bytes[record + kNameLength + 1] = 0;
    Write(hive, bytes);
}

void PointFirstSubkeyAt(const std::filesystem::path& hive, std::string_view key, std::string_view target) {
    std::string bytes = Read(hive);
    const size_t list = kBins + Le32(bytes, KeyRecord(bytes, key) + kSubkeyList) + 4;
    if (bytes.compare(list, 2, "lf") != 0 && bytes.compare(list, 2, "lh") != 0 &&
        bytes.compare(list, 2, "li") != 0)
        throw std::runtime_error("no plain subkey list for " + std::string(key));
    PutLe32(bytes, list + 4, static_cast<uint32_t>(KeyRecord(bytes, target) - 4 - kBins));
    Write(hive, bytes);
}

} // namespace vx::test
