#include "support/fixture_prefix.h"

#include "platform/wine/wine_target.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <stdexcept>

namespace vx::test {
namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string out;
    char piece[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(piece, sizeof piece, "%02x", bytes[i]);
        if (i)
            out += ',';
        out += piece;
    }
    return out;
}

std::vector<uint8_t> Utf16(std::string_view utf8) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        char32_t cp = b;
        size_t len = 1;
        if (b >= 0xF0) {
            cp = b & 0x07;
            len = 4;
        } else if (b >= 0xE0) {
            cp = b & 0x0F;
            len = 3;
        } else if (b >= 0xC0) {
            cp = b & 0x1F;
            len = 2;
        }
        for (size_t k = 1; k < len && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            const char16_t hi = static_cast<char16_t>(0xD800 + (cp >> 10));
            const char16_t lo = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
            for (char16_t u : {hi, lo}) {
                out.push_back(static_cast<uint8_t>(u & 0xFF));
                out.push_back(static_cast<uint8_t>(u >> 8));
            }
        } else {
            out.push_back(static_cast<uint8_t>(cp & 0xFF));
            out.push_back(static_cast<uint8_t>(cp >> 8));
        }
    }
    return out;
}

std::string EscapeKeyPath(std::string_view path) {
    std::string out;
    for (char c : path) {
        if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

} // namespace

TempDir::TempDir() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("vantrelix-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    // Make read-only folders writable again so that everything can go.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ec);
    std::filesystem::remove_all(path_, ec);
}

std::string WineQuoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

FixturePrefix::FixturePrefix() {
    std::filesystem::create_directories(driveC());
}

FixturePrefix::Keys& FixturePrefix::KeysOf(std::string_view root) {
    if (root == "HKLM")
        return machine_;
    if (root == "HKCU")
        return user_;
    if (root == "HKU.Default")
        return defaultUser_;
    throw std::invalid_argument("unknown fixture root");
}

FixturePrefix& FixturePrefix::Key(std::string_view root, std::string_view keyPath) {
    KeysOf(root)[std::string(keyPath)];
    return *this;
}

FixturePrefix& FixturePrefix::Put(std::string_view root, std::string_view keyPath, std::string_view name,
                                  std::string data) {
    auto& values = KeysOf(root)[std::string(keyPath)];
    for (auto& value : values) {
        if (value.name == name) {
            value.data = std::move(data);
            return *this;
        }
    }
    values.push_back(Value{std::string(name), std::move(data)});
    return *this;
}

FixturePrefix& FixturePrefix::String(std::string_view root, std::string_view keyPath, std::string_view name,
                                     std::string_view value) {
    return Put(root, keyPath, name, WineQuoted(value));
}

FixturePrefix& FixturePrefix::ExpandString(std::string_view root, std::string_view keyPath,
                                           std::string_view name, std::string_view value) {
    return Put(root, keyPath, name, "str(2):" + WineQuoted(value));
}

FixturePrefix& FixturePrefix::MultiString(std::string_view root, std::string_view keyPath,
                                          std::string_view name, const std::vector<std::string>& values) {
    std::vector<uint8_t> bytes;
    for (const auto& value : values) {
        const auto units = Utf16(value);
        bytes.insert(bytes.end(), units.begin(), units.end());
        bytes.push_back(0);
        bytes.push_back(0);
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return Put(root, keyPath, name, "hex(7):" + Hex(bytes));
}

FixturePrefix& FixturePrefix::Dword(std::string_view root, std::string_view keyPath, std::string_view name,
                                    uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", value);
    return Put(root, keyPath, name, text);
}

FixturePrefix& FixturePrefix::Binary(std::string_view root, std::string_view keyPath, std::string_view name,
                                     const std::vector<uint8_t>& bytes) {
    return Put(root, keyPath, name, "hex:" + Hex(bytes));
}

std::filesystem::path FixturePrefix::HostPathOf(std::string_view windowsPath) const {
    std::string_view rest = windowsPath;
    if (rest.size() >= 2 && rest[1] == ':')
        rest.remove_prefix(2);
    std::filesystem::path out = driveC();
    size_t start = 0;
    while (start <= rest.size()) {
        const size_t end = rest.find('\\', start);
        const std::string_view part =
            rest.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!part.empty())
            out /= std::string(part);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return out;
}

FixturePrefix& FixturePrefix::File(std::string_view windowsPath, std::string_view contents) {
    const auto host = HostPathOf(windowsPath);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << contents;
    return *this;
}

FixturePrefix& FixturePrefix::Folder(std::string_view windowsPath) {
    std::filesystem::create_directories(HostPathOf(windowsPath));
    return *this;
}

FixturePrefix& FixturePrefix::Drive(char letter, std::string_view wineType) {
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    drives_.push_back(lower);
    std::filesystem::create_directories(dir_.path() / (std::string("drive_") + lower));
    if (!wineType.empty())
        String("HKLM", "Software\\Wine\\Drives", std::string(1, lower) + ":", wineType);
    return *this;
}

FixturePrefix& FixturePrefix::WithWindowsBasics() {
    const std::string cv = "Software\\Microsoft\\Windows\\CurrentVersion";
    String("HKLM", cv, "ProgramFilesDir", "C:\\Program Files");
    String("HKLM", cv, "CommonFilesDir", "C:\\Program Files\\Common Files");
    String("HKLM", "Software\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", "C:\\windows");
    Folder("C:\\windows\\system32");
    Folder("C:\\windows\\Fonts");
    Folder("C:\\Program Files\\Common Files");
    File("C:\\windows\\system32\\shell32.dll");
    File("C:\\windows\\system32\\ole32.dll");
    File("C:\\windows\\system32\\rundll32.exe");
    File("C:\\windows\\system32\\msiexec.exe");
    File("C:\\windows\\notepad.exe");
    File("C:\\windows\\Fonts\\arial.ttf");
    return *this;
}

void FixturePrefix::WriteFile(const std::filesystem::path& file, std::string_view relativeTo,
                              const Keys& keys) const {
    std::ofstream out(file, std::ios::binary);
    out << "WINE REGISTRY Version 2\n;; All keys relative to " << relativeTo << "\n\n#arch=win64\n";
    for (const auto& [path, values] : keys) {
        out << "\n[" << EscapeKeyPath(path) << "] 1700000000\n#time=1da00000000000\n";
        for (const auto& value : values)
            out << (value.name.empty() ? std::string("@") : WineQuoted(value.name)) << '=' << value.data
                << '\n';
    }
}

void FixturePrefix::Write() {
    const auto& root = dir_.path();
    WriteFile(root / "system.reg", "\\\\Machine", machine_);
    WriteFile(root / "user.reg", "\\\\User\\\\S-1-5-21-0-0-0-1000", user_);
    WriteFile(root / "userdef.reg", "\\\\User\\\\.Default", defaultUser_);
    std::filesystem::create_directories(root / "dosdevices");
    std::error_code ec;
    if (!std::filesystem::is_symlink(root / "dosdevices" / "c:", ec))
        std::filesystem::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
    for (char letter : drives_) {
        const auto link = root / "dosdevices" / (std::string(1, letter) + ":");
        if (!std::filesystem::is_symlink(link, ec))
            std::filesystem::create_directory_symlink(std::string("../drive_") + letter, link);
    }
}

std::unique_ptr<Target> FixturePrefix::Open() {
    std::string error;
    std::vector<std::string> warnings;
    auto target = OpenWineTarget(dir_.path(), error, warnings);
    if (!target)
        ADD_FAILURE() << "fixture prefix did not open: " << error;
    return target;
}

std::unique_ptr<Target> FixturePrefix::WriteAndOpen() {
    Write();
    return Open();
}

} // namespace vx::test
