#include "support/generated_prefix.h"

#include "platform/wine/wine_target.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace vx::test {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t REG_NONE_ = 0, REG_SZ_ = 1, REG_EXPAND_SZ_ = 2, REG_BINARY_ = 3, REG_DWORD_ = 4,
                   REG_MULTI_SZ_ = 7, REG_QWORD_ = 11;

std::u16string U16(std::string_view utf8) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        char32_t cp = b;
        size_t len = 1;
        if (b >= 0xF0)
            cp = b & 0x07, len = 4;
        else if (b >= 0xE0)
            cp = b & 0x0F, len = 3;
        else if (b >= 0xC0)
            cp = b & 0x1F, len = 2;
        for (size_t k = 1; k < len && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Bytes(std::u16string_view units) {
    std::string out;
    for (char16_t u : units) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

// Wine's towupper over the letters the generator uses in names; the rest stand for themselves.
char16_t Upper(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
        (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F) ||
        (c >= 0xFF41 && c <= 0xFF5A))
        return static_cast<char16_t>(c - 0x20);
    if (c == 0x3C2)
        return 0x3A3;
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 0x50);
    if (c == 0xFF)
        return 0x178;
    return c;
}

// Wine orders names by their upper-cased UTF-16 code units.
int CompareNames(std::u16string_view a, std::u16string_view b) {
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        const char16_t x = Upper(a[i]), y = Upper(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Wine's dump_strW: the text between `delims`, escaped.
std::string DumpStr(std::u16string_view s, const char* delims) {
    static constexpr char kEscapes[33] = ".......abtnvfr.............e....";
    std::string out;
    char buf[16];
    for (size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        const bool more = i + 1 < s.size();
        if (c > 127) {
            const bool hex = more && s[i + 1] < 128 && std::isxdigit(static_cast<int>(s[i + 1]));
            std::snprintf(buf, sizeof buf, hex ? "\\x%04x" : "\\x%x", static_cast<unsigned>(c));
            out += buf;
        } else if (c < 32) {
            if (kEscapes[c] != '.') {
                out += '\\';
                out += kEscapes[c];
            } else {
                const bool octal = more && s[i + 1] >= u'0' && s[i + 1] <= u'7';
                std::snprintf(buf, sizeof buf, octal ? "\\%03o" : "\\%o", static_cast<unsigned>(c));
                out += buf;
            }
        } else {
            if (c == u'\\' || c == static_cast<char16_t>(delims[0]) || c == static_cast<char16_t>(delims[1]))
                out += '\\';
            out += static_cast<char>(c);
        }
    }
    return out;
}

// How a value's data is written: as Wine writes it, or in another form Wine also reads.
enum class Notation { Wine, StrPrefix, HexString, UpperDword };

// Wine's dump_value: a whole value line with its continuation lines.
std::string ValueLine(std::u16string_view name, bool unnamed, uint32_t type, const std::string& bytes,
                      Notation notation) {
    std::string out;
    size_t count;
    if (!unnamed) {
        out = "\"" + DumpStr(name, "\"\"") + "\"=";
        count = out.size();
    } else {
        out = "@=";
        count = 2;
    }
    char buf[32];
    const bool terminated = bytes.size() >= 2 && bytes.size() % 2 == 0 && bytes[bytes.size() - 1] == 0 &&
                            bytes[bytes.size() - 2] == 0;
    if ((type == REG_SZ_ || type == REG_EXPAND_SZ_ || type == REG_MULTI_SZ_) && terminated &&
        notation != Notation::HexString) {
        std::u16string units;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            units += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                           (static_cast<uint8_t>(bytes[i + 1]) << 8));
        units.pop_back();
        if (type != REG_SZ_) {
            std::snprintf(buf, sizeof buf, "str(%x):", type);
            out += buf;
        } else if (notation == Notation::StrPrefix) {
            out += "str:";
        }
        return out + "\"" + DumpStr(units, "\"\"") + "\"\n";
    }
    if (type == REG_DWORD_ && bytes.size() == 4) {
        uint32_t v = 0;
        std::memcpy(&v, bytes.data(), 4);
        std::snprintf(buf, sizeof buf, notation == Notation::UpperDword ? "dword:%08X\n" : "dword:%08x\n", v);
        return out + buf;
    }
    if (type == REG_BINARY_)
        std::snprintf(buf, sizeof buf, "hex:");
    else
        std::snprintf(buf, sizeof buf, "hex(%x):", type);
    out += buf;
    count += std::strlen(buf);
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned>(static_cast<uint8_t>(bytes[i])));
        out += buf;
        count += 2;
        if (i + 1 < bytes.size()) {
            out += ',';
            if (++count > 76) {
                out += "\\\n  ";
                count = 2;
            }
        }
    }
    return out + "\n";
}

// UTF-16 as UTF-8; a lone surrogate as its three bytes, as Wine's names may hold one.
std::string Utf8(std::u16string_view units) {
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t cp = units[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

struct GenValue {
    std::u16string name;
    bool unnamed = false;
    std::string line;
};

struct GenKey {
    std::u16string name;
    std::vector<GenValue> values;
    std::vector<std::unique_ptr<GenKey>> subkeys;
    uint64_t modified = 0; // a FILETIME

    GenKey* Find(std::u16string_view child) const {
        for (const auto& sub : subkeys)
            if (CompareNames(sub->name, child) == 0)
                return sub.get();
        return nullptr;
    }
    GenKey& Child(std::u16string_view child) {
        if (GenKey* found = Find(child))
            return *found;
        subkeys.push_back(std::make_unique<GenKey>());
        subkeys.back()->name = child;
        return *subkeys.back();
    }
    const GenValue* FindValue(std::u16string_view name, bool unnamed) const {
        for (const auto& value : values)
            if (value.unnamed == unnamed && (unnamed || CompareNames(value.name, name) == 0))
                return &value;
        return nullptr;
    }
    // A value of the same name (in any letter case) is replaced.
    void Put(GenValue value) {
        for (auto& old : values) {
            if (old.unnamed == value.unnamed && (value.unnamed || CompareNames(old.name, value.name) == 0)) {
                old = std::move(value);
                return;
            }
        }
        values.push_back(std::move(value));
    }
};

std::vector<std::u16string> SplitPath(std::string_view path) {
    std::vector<std::u16string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('\\', start), path.size());
        if (end > start)
            parts.push_back(U16(path.substr(start, end - start)));
        start = end + 1;
    }
    return parts;
}

} // namespace

struct GeneratedPrefix::Model {
    struct File {
        std::string name, relativeTo;
        GenKey root;
    };
    File machine{"system.reg", "\\\\Machine", {}};
    File user{"user.reg", "\\\\User\\\\S-1-5-21-0-0-0-1000", {}};
    File defaultUser{"userdef.reg", "\\\\User\\\\.Default", {}};

    static std::string KeyLine(const std::vector<const GenKey*>& chain) {
        std::string line = "[";
        for (size_t i = 0; i < chain.size(); ++i)
            line += (i ? "\\\\" : "") + DumpStr(chain[i]->name, "[]");
        return line + "]";
    }
    // The chain of keys a path names below `root`, or empty when one is missing.
    static std::vector<const GenKey*> Chain(const GenKey& root, std::string_view path) {
        std::vector<const GenKey*> chain;
        const GenKey* key = &root;
        for (const auto& part : SplitPath(path)) {
            key = key->Find(part);
            if (!key)
                return {};
            chain.push_back(key);
        }
        return chain;
    }
    static void Write(const File& file, const fs::path& path) {
        std::string out =
            "WINE REGISTRY Version 2\n;; All keys relative to " + file.relativeTo + "\n\n#arch=win64\n";
        std::vector<const GenKey*> chain;
        WriteKey(file.root, chain, out);
        std::ofstream(path, std::ios::binary) << out;
    }
    static void WriteKey(const GenKey& key, std::vector<const GenKey*>& chain, std::string& out) {
        if (!chain.empty() && (!key.values.empty() || key.subkeys.empty())) {
            char stamp[64];
            std::snprintf(stamp, sizeof stamp, " %u\n#time=%x%08x\n",
                          static_cast<unsigned>((key.modified - 116444736000000000ull) / 10000000),
                          static_cast<unsigned>(key.modified >> 32), static_cast<unsigned>(key.modified));
            out += "\n" + KeyLine(chain) + stamp;
            std::vector<const GenValue*> values;
            for (const auto& value : key.values)
                values.push_back(&value);
            std::stable_sort(values.begin(), values.end(), [](const GenValue* a, const GenValue* b) {
                if (a->unnamed != b->unnamed)
                    return a->unnamed;
                return CompareNames(a->name, b->name) < 0;
            });
            for (const GenValue* value : values)
                out += value->line;
        }
        std::vector<const GenKey*> subkeys;
        for (const auto& sub : key.subkeys)
            subkeys.push_back(sub.get());
        std::stable_sort(subkeys.begin(), subkeys.end(),
                         [](const GenKey* a, const GenKey* b) { return CompareNames(a->name, b->name) < 0; });
        for (const GenKey* sub : subkeys) {
            chain.push_back(sub);
            WriteKey(*sub, chain, out);
            chain.pop_back();
        }
    }
};

namespace {

const char* kClsid = "Software\\Classes\\CLSID";
const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char* kHelp = "Software\\Microsoft\\Windows\\Help";
const char* kShared = "Software\\Microsoft\\Shared Tools";
const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* kVxd = "System\\CurrentControlSet\\Control\\VirtualDeviceDrivers";
const char* kFonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char* kMenuOrder =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One seed's choices.
class Maker {
  public:
    Maker(uint64_t seed, const GeneratorOptions& options, GeneratedPrefix::Model& model, const fs::path& root)
        : rng_(seed), options_(options), model_(model), root_(root), seed_(seed) {}

    std::vector<GeneratedPrefix::Place> planted;
    std::vector<HandMadeFinding> handMade;
    std::vector<std::string> broken, working;

    void Make() {
        Basics();
        for (int i = Between(1, 3); i > 0; --i)
            ComClass();
        for (int i = Between(0, 3); i > 0; --i)
            AppPath();
        FlatArea(model_.machine, kHelp, Area::Help);
        FlatArea(model_.machine, kVxd, Area::Vxd);
        FlatArea(model_.machine, kFonts, Area::Font);
        // The start-up walks visit the values of the keys below theirs, never those of their own key.
        FlatArea(model_.machine, kRun, Area::Run, false);
        FlatArea(model_.machine, std::string(kRun) + "\\" + Word(), Area::Run);
        FlatArea(model_.user, std::string(kMenuOrder) + "\\" + Word(), Area::Run);
        FlatArea(model_.machine, std::string(kShared) + "\\" + Word(), Area::Run);
        FlatArea(model_.machine, std::string(kUninstall) + "\\" + Word(), Area::Uninstall);
        DefaultUser();
        Noise(model_.machine.root, "Software\\Noise");
        Noise(model_.user.root, "Software\\Noise");
        Noise(model_.defaultUser.root, "Software\\Noise");
        if (Chance(4))
            Wide(model_.machine.root, "Software\\Wide");
        if (Chance(6))
            TooDeep(model_.machine.root);
        Shortcuts();
        Stamp(model_.machine.root);
        Stamp(model_.user.root);
        Stamp(model_.defaultUser.root);
    }

  private:
    enum class Area { Help, Vxd, Font, Run, Uninstall };

    int Between(int low, int high) {
        return low + static_cast<int>(rng_() % static_cast<uint64_t>(high - low + 1));
    }
    bool Chance(int oneIn) { return rng_() % static_cast<uint64_t>(oneIn) == 0; }
    template <class T> const T& Pick(const std::vector<T>& from) { return from[rng_() % from.size()]; }

    // A name piece from every kind of character a name may hold; `inKey`: no backslash.
    std::u16string Name(bool inKey) {
        static const std::vector<std::u16string> pieces = {
            u"a",      u"Z",      u"q",      u"7",          u" ",          u"-",      u"_",      u".",
            u"^",      u"=",      u"@",      u"#",          u";",          u"[",      u"]",      u"\"",
            u"'",      u"\u00e9", u"\u00c4", u"\u00df",     u"\u00ff",     u"\u03c9", u"\u0416", u"\u0451",
            u"\uff21", u"\uff41", u"\u4e2d", u"\U0001F600", u"\U00020000", u"\t",     u"\x01",   u"x"};
        std::u16string out;
        for (int i = Between(1, 8); i > 0; --i) {
            std::u16string piece = Pick(pieces);
            if (!options_.highBmpNames && piece[0] >= 0xE000)
                piece = u"w";
            out += piece;
            if (!inKey && Chance(20))
                out += u'\\';
        }
        if (options_.unpairedSurrogateNames && Chance(4))
            out += static_cast<char16_t>(Chance(2) ? 0xD800 + Between(0, 3) : 0xDC00 + Between(0, 3));
        return out;
    }
    // A plain name for files and keys the checkers read as paths.
    std::string Word() {
        static const std::vector<std::string> words = {"alpha",
                                                       "Beta",
                                                       "gamma",
                                                       "Delta",
                                                       "caf\xc3\xa9",
                                                       "na\xc3\xafve",
                                                       "x_y",
                                                       "\xe4\xb8\xad\xe6\x96\x87",
                                                       "\xf0\x9f\x98\x80",
                                                       "Q"};
        return Pick(words) + std::to_string(Between(0, 999));
    }

    GenKey& KeyAt(GenKey& root, std::string_view path) {
        GenKey* key = &root;
        for (const auto& part : SplitPath(path))
            key = &key->Child(part);
        return *key;
    }
    static GenValue Value(std::u16string name, bool unnamed, uint32_t type, const std::string& bytes,
                          Notation notation = Notation::Wine) {
        return GenValue{name, unnamed, ValueLine(name, unnamed, type, bytes, notation)};
    }
    static std::string Sz(std::string_view utf8) { return Bytes(U16(utf8)) + std::string(2, '\0'); }

    // Data that names `path` as a string, in one of the forms a registry may hold it.
    std::string PathData(const std::string& path, bool exact) {
        if (exact)
            return Sz(path);
        switch (Between(0, 3)) {
        case 0:
            return Sz(path) + "\x01"; // an odd length
        case 1:
            return Bytes(U16(path)) + Bytes(std::u16string(1, static_cast<char16_t>(0xD800))) +
                   std::string(2, '\0'); // a lone surrogate after the path
        case 2:
            return Bytes(U16(path)); // no terminating zero
        default:
            return Sz(path) + Sz("trailing"); // text after an embedded NUL
        }
    }
    std::string Missing(const std::string& extension) {
        return "C:\\gone" + std::to_string(seed_) + "\\" + Word() + "." + extension;
    }
    std::string Present(const std::string& extension) {
        const std::string path = "C:\\Program Files\\" + Word() + "\\" + Word() + "." + extension;
        File(path, "present");
        return path;
    }
    void File(const std::string& windowsPath, const std::string& contents) {
        fs::path host = root_ / "drive_c";
        for (const auto& part : SplitPath(windowsPath.substr(3)))
            host /= Utf8(part);
        fs::create_directories(host.parent_path());
        std::ofstream(host, std::ios::binary) << contents;
    }
    static void Plant(std::vector<GeneratedPrefix::Place>& planted, const GeneratedPrefix::Model::File& file,
                      const std::string& keyPath, const std::u16string& name) {
        planted.push_back({file.name,
                           GeneratedPrefix::Model::KeyLine(GeneratedPrefix::Model::Chain(file.root, keyPath)),
                           Utf8(name)});
    }

    // What Windows needs for the folders the checkers complete names with, and the shortcut classes.
    void Basics() {
        GenKey& m = model_.machine.root;
        KeyAt(m, "Software\\Microsoft\\Windows\\CurrentVersion")
            .Put(Value(u"ProgramFilesDir", false, REG_SZ_, Sz("C:\\Program Files")));
        KeyAt(m, "Software\\Microsoft\\Windows\\CurrentVersion")
            .Put(Value(u"CommonFilesDir", false, REG_SZ_, Sz("C:\\Program Files\\Common Files")));
        KeyAt(m, "Software\\Microsoft\\Windows NT\\CurrentVersion")
            .Put(Value(u"SystemRoot", false, REG_SZ_, Sz("C:\\windows")));
        KeyAt(m, "Software\\Classes\\.lnk").Put(Value(u"", true, REG_SZ_, Sz("lnkfile")));
        KeyAt(m, "Software\\Classes\\lnkfile").Put(Value(u"IsShortcut", false, REG_SZ_, Sz("yes")));
        KeyAt(m, "Software\\Classes\\.url").Put(Value(u"", true, REG_SZ_, Sz("InternetShortcut")));
        KeyAt(m, "Software\\Classes\\InternetShortcut").Put(Value(u"IsShortcut", false, REG_SZ_, Sz("")));
        for (const char* file : {"C:\\windows\\system32\\ole32.dll", "C:\\windows\\system32\\shell32.dll",
                                 "C:\\windows\\notepad.exe", "C:\\windows\\Fonts\\arial.ttf"})
            File(file, "present");
        fs::create_directories(root_ / "dosdevices");
        fs::create_directory_symlink("../drive_c", root_ / "dosdevices" / "c:");
    }

    // A class registered on the machine's side, the user's, or both (the user's key in another letter
    // case), its server's file missing or present; sometimes deep below the class.
    void ComClass() {
        char guid[48];
        std::snprintf(guid, sizeof guid, "{%08X-AB%02X-4C%02X-9D0E-%012llX}", static_cast<unsigned>(rng_()),
                      Between(0, 255), Between(0, 255),
                      static_cast<unsigned long long>(rng_() & 0xFFFFFFFFFFFFull));
        std::string lower = guid;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string below = "InprocServer32";
        if (Chance(4))
            for (int depth = Between(10, 60); depth > 0; --depth)
                below = "d" + std::to_string(depth) + "\\" + below;
        const std::string path = std::string("CLSID\\") + guid + "\\" + below;
        const int sides = Between(0, 3); // 0 machine, 1 user, 2 both with the value on the machine's, 3 both
        const bool missing = !Chance(3);
        const std::string data = missing ? Missing("dll") : Present("dll");
        const bool exact = !Chance(4);
        auto put = [&](GeneratedPrefix::Model::File& file, const std::string& keyPath) {
            GenKey& key = KeyAt(file.root, keyPath);
            key.Put(Value(u"", true, REG_SZ_, PathData(data, exact)));
            key.Put(Value(u"ThreadingModel", false, REG_SZ_, Sz("Both")));
            if (missing && exact)
                Plant(planted, file, keyPath, u"");
        };
        if (sides != 1)
            put(model_.machine, std::string("Software\\Classes\\") + path);
        if (sides == 1 || sides == 3)
            put(model_.user, std::string("Software\\Classes\\CLSID\\") + lower + "\\" + below);
        if (sides == 2)
            KeyAt(model_.user.root, std::string("Software\\Classes\\CLSID\\") + lower + "\\" + below)
                .Put(Value(u"UserOnly", false, REG_DWORD_, std::string("\x01\0\0\0", 4)));
    }

    // An application path whose unnamed value names a missing program; beside it, sometimes, a value
    // named "(Default)" in some letter case.
    void AppPath() {
        const std::string keyPath = std::string(kAppPaths) + "\\" + Word() + ".exe";
        GenKey& key = KeyAt(model_.machine.root, keyPath);
        key.Put(Value(u"", true, REG_SZ_, Sz(Missing("exe"))));
        Plant(planted, model_.machine, keyPath, u"");
        key.Put(Value(u"Path", false, REG_SZ_, Sz("C:\\Program Files")));
        if (Chance(2)) {
            static const std::vector<std::u16string> twins = {u"(Default)", u"(DEFAULT)", u"(default)"};
            const bool twinFinding = Chance(2);
            key.Put(Value(Pick(twins), false, REG_SZ_, twinFinding ? Sz(Missing("exe")) : Sz("twin")));
        }
    }

    // Values of a key walked flat (or a start-up key), missing files and present ones.
    void FlatArea(GeneratedPrefix::Model::File& file, const std::string& keyPath, Area area,
                  bool visited = true) {
        GenKey& key = KeyAt(file.root, keyPath);
        for (int i = Between(0, 4); i > 0; --i) {
            const bool missing = !Chance(3);
            const bool exact = !Chance(4);
            std::u16string name = Name(false);
            std::string data;
            switch (area) {
            case Area::Help: {
                name = U16(Word() + ".hlp");
                const std::string folder = missing ? "C:\\gone" + std::to_string(seed_) : "C:\\windows\\help";
                if (!missing)
                    File(folder + "\\" + Utf8(name), "help");
                data = folder;
                break;
            }
            case Area::Vxd:
                data = missing ? Missing("vxd") : Present("vxd");
                break;
            case Area::Font: {
                const std::string file = Word() + ".ttf";
                if (!missing)
                    File("C:\\windows\\Fonts\\" + file, "font");
                data = missing ? "gone " + file : file;
                break;
            }
            case Area::Run:
                data = missing ? Missing("exe") : Present("exe");
                break;
            case Area::Uninstall:
                name =
                    Pick(std::vector<std::u16string>{u"UninstallString", u"DisplayIcon", u"InstallSource"});
                data = missing ? Missing("exe") : Present("exe");
                break;
            }
            if (key.FindValue(name, false))
                continue;
            key.Put(Value(name, false, REG_SZ_, PathData(data, exact)));
            if (missing && exact && visited)
                Plant(planted, file, keyPath, name);
        }
        Noise(key, Between(0, 3), false);
    }

    // Values that are no findings: every type, odd lengths, odd types, strings in every notation.
    void Noise(GenKey& key, int count, bool anyText) {
        for (int i = 0; i < count; ++i) {
            const std::u16string name = Name(false);
            std::string data;
            for (int n = Between(0, 40); n > 0; --n)
                data += static_cast<char>(rng_());
            const std::vector<uint32_t> types = {
                REG_NONE_, REG_BINARY_, REG_EXPAND_SZ_, REG_QWORD_, 0xFFFF0011u, REG_DWORD_,
                5,         8,           REG_MULTI_SZ_,  REG_SZ_};
            const uint32_t type = anyText ? Pick(types) : types[Between(0, 4)];
            Notation notation = Notation::Wine;
            if (type == REG_QWORD_)
                data = data.substr(0, 8) + std::string(8 - std::min<size_t>(8, data.size()), '\x7f');
            if (type == REG_EXPAND_SZ_ || type == REG_MULTI_SZ_ || type == REG_SZ_) {
                std::u16string text = Name(false);
                if (type == REG_MULTI_SZ_)
                    text += u'\0' + Name(false) + u'\0';
                data = Chance(5) ? data : Bytes(text) + std::string(2, '\0');
                notation = Pick(std::vector<Notation>{Notation::Wine, Notation::Wine, Notation::StrPrefix,
                                                      Notation::HexString});
                if (type != REG_SZ_ && notation == Notation::StrPrefix)
                    notation = Notation::Wine;
            }
            if (type == REG_DWORD_) {
                data = data.substr(0, Chance(4) ? 3 : 4);
                data.resize(std::max<size_t>(data.size(), 3), '\x20');
                notation = Chance(3) ? Notation::UpperDword : Notation::Wine;
            }
            if (key.FindValue(name, false))
                continue;
            key.Put(Value(name, false, type, data, notation));
        }
    }
    void Noise(GenKey& fileRoot, const std::string& path) {
        GenKey& base = KeyAt(fileRoot, path);
        Noise(base, Between(1, 6), true);
        for (int i = Between(0, 4); i > 0; --i) {
            GenKey& sub = base.Child(Name(true));
            Noise(sub, Between(0, 4), true);
            if (Chance(3))
                sub.Child(Name(true)); // an empty leaf
        }
        if (Chance(2))
            base.Put(Value(u"", true, REG_SZ_, Sz("unnamed")));
    }
    void Wide(GenKey& fileRoot, const std::string& path) {
        GenKey& key = KeyAt(fileRoot, path);
        for (int i = Between(100, 400); i > 0; --i)
            key.Put(Value(U16("v" + std::to_string(i)) + Name(false), false, REG_DWORD_,
                          std::string("\x2a\0\0\0", 4)));
        for (int i = Between(50, 200); i > 0; --i)
            key.Child(U16("k" + std::to_string(i)) + Name(true));
    }
    // Keys deeper than a key may lie: loaded no further, kept in the file as they are.
    void TooDeep(GenKey& fileRoot) {
        GenKey* key = &KeyAt(fileRoot, "Software\\Deep");
        for (int depth = 0; depth < 520; ++depth)
            key = &key->Child(U16(std::to_string(depth % 10)));
        key->Put(Value(u"bottom", false, REG_SZ_, Sz(Missing("dll"))));
    }

    // userdef.reg: a start-up key of the default user whose values are findings made by hand.
    void DefaultUser() {
        GenKey& key = KeyAt(model_.defaultUser.root, kRun);
        for (int i = Between(0, 2); i > 0; --i) {
            const std::string name = Word();
            const std::string data = Missing("exe");
            key.Put(Value(U16(name), false, REG_SZ_, Sz(data)));
            handMade.push_back({std::string(".DEFAULT\\") + kRun, name, data});
        }
    }

    void Shortcuts() {
        const fs::path data = fs::path(VANTRELIX_SOURCE_DIR) / "tests" / "shortcuts" / "data";
        const std::string brokenLink = ReadAll(data / "wine" / "missing_target.lnk");
        const std::string workingLink = ReadAll(data / "wine" / "existing_target.lnk");
        const std::vector<std::string> folders = {
            "C:\\users\\Public\\Desktop", "C:\\users\\vx\\Start Menu\\Programs\\" + Word(), "C:\\" + Word()};
        for (int i = Between(0, 5); i > 0; --i) {
            const bool isBroken = !Chance(3);
            const bool url = Chance(2);
            std::string name =
                Word() + (Chance(4) ? " (2)" : "") + (url ? (Chance(3) ? ".URL" : ".url") : ".lnk");
            const std::string path = Pick(folders) + "\\" + name;
            if (std::find(broken.begin(), broken.end(), path) != broken.end() ||
                std::find(working.begin(), working.end(), path) != working.end())
                continue;
            std::string contents;
            if (url)
                contents = "[InternetShortcut]\r\nURL=file:///C:/" +
                           (isBroken ? "gone%20" + std::to_string(seed_) + "/x.exe"
                                     : std::string("windows/notepad.exe")) +
                           "\r\n" + (Chance(2) ? "IconIndex=" + std::to_string(Between(0, 9)) + "\r\n" : "");
            else
                contents = isBroken ? brokenLink : workingLink;
            File(path, contents);
            (isBroken ? broken : working).push_back(path);
            fs::path host = root_ / "drive_c";
            for (const auto& part : SplitPath(path.substr(3)))
                host /= Utf8(part);
            if (Chance(3))
                fs::permissions(host, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
            if (Chance(3))
                ::setxattr(host.c_str(), "user.DOSATTRIB", "0x2", 3, 0); // hidden, as Wine marks it
        }
    }

    void Stamp(GenKey& key) {
        key.modified = 116444736000000000ull + (1600000000ull + rng_() % 100000000ull) * 10000000ull +
                       rng_() % 10000000ull;
        for (auto& sub : key.subkeys)
            Stamp(*sub);
    }

    std::mt19937_64 rng_;
    GeneratorOptions options_;
    GeneratedPrefix::Model& model_;
    fs::path root_;
    uint64_t seed_;
};

} // namespace

GeneratedPrefix::GeneratedPrefix(uint64_t seed, GeneratorOptions options)
    : model_(std::make_unique<Model>()) {
    fs::create_directories(dir_.path() / "drive_c");
    Maker maker(seed, options, *model_, dir_.path());
    maker.Make();
    planted_ = std::move(maker.planted);
    handMade_ = std::move(maker.handMade);
    brokenShortcuts_ = std::move(maker.broken);
    workingShortcuts_ = std::move(maker.working);
    for (const Model::File* file : {&model_->machine, &model_->user, &model_->defaultUser})
        Model::Write(*file, dir_.path() / file->name);
}

GeneratedPrefix::~GeneratedPrefix() = default;

std::unique_ptr<Target> GeneratedPrefix::Open() const {
    std::string error;
    std::vector<std::string> warnings;
    auto target = OpenWineTarget(dir_.path(), error, warnings);
    if (!target)
        ADD_FAILURE() << "generated prefix did not open: " << error;
    return target;
}

fs::path GeneratedPrefix::HostPathOf(const std::string& windowsPath) const {
    fs::path host = dir_.path() / "drive_c";
    for (const auto& part : SplitPath(windowsPath.substr(3)))
        host /= Utf8(part);
    return host;
}

std::optional<GeneratedPrefix::Place> GeneratedPrefix::PlaceOf(const std::string& rootName,
                                                               const std::string& keyPath,
                                                               const std::string& valueName) const {
    auto at = [&](const Model::File& file, const std::string& path) -> std::optional<Place> {
        const auto chain = Model::Chain(file.root, path);
        const GenValue* value =
            chain.empty() ? nullptr : chain.back()->FindValue(U16(valueName), valueName.empty());
        if (!value)
            return std::nullopt;
        return Place{file.name, Model::KeyLine(chain), Utf8(value->name)};
    };
    if (rootName == "HKEY_LOCAL_MACHINE")
        return at(model_->machine, keyPath);
    if (rootName == "HKEY_CURRENT_USER")
        return at(model_->user, keyPath);
    if (rootName == "HKEY_USERS" && keyPath.size() > 9 && keyPath.substr(0, 9) == ".DEFAULT\\")
        return at(model_->defaultUser, keyPath.substr(9));
    if (rootName == "HKEY_CLASSES_ROOT") {
        if (auto user = at(model_->user, "Software\\Classes\\" + keyPath))
            return user;
        return at(model_->machine, "Software\\Classes\\" + keyPath);
    }
    return std::nullopt;
}

std::string WithoutStampsOf(const std::string& text, const std::vector<std::string>& keyLines) {
    std::string out;
    bool inChangedKey = false;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        if (line.starts_with("[")) {
            inChangedKey = false;
            for (const auto& keyLine : keyLines) {
                if (line.starts_with(keyLine + " ")) {
                    line = keyLine + " <stamp>";
                    inChangedKey = true;
                }
            }
        } else if (inChangedKey && line.starts_with("#time=")) {
            line = "#time=<stamp>";
        }
        out += line + "\n";
        start = end + 1;
    }
    return out;
}

} // namespace vx::test
