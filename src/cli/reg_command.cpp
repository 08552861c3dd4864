// The "reg" command: a small registry tool in the manner of Windows' reg.exe.
#include "cli/reg_command.h"

#include "platform/registry_access.h"
#include "platform/root_keys.h"
#include "platform/text.h"
#ifndef _WIN32
#include "platform/wine/wine_registry.h"
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <utility>

namespace vx {
namespace {

constexpr const char* kUsage = "usage: reg query KEY [/v NAME | /ve] [/s]\n"
                               "       reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n"
                               "       reg delete KEY /v NAME | /ve | /va [/f]\n";

struct Options {
    std::string verb;
    RootKey root = 0;
    std::string keyName;              // as shown: full root name, then the path as typed
    std::string path;                 // relative to the root
    std::optional<std::string> value; // /v NAME or /ve (empty)
    bool allValues = false;           // /va
    bool recurse = false;             // query /s
    std::string type = "REG_SZ";
    std::string separator = "\\0";
    std::optional<std::string> data;
    bool force = false;
};

std::string TypeName(uint32_t type) {
    static const char* const kNames[] = {"REG_NONE",
                                         "REG_SZ",
                                         "REG_EXPAND_SZ",
                                         "REG_BINARY",
                                         "REG_DWORD",
                                         "REG_DWORD_BIG_ENDIAN",
                                         "REG_LINK",
                                         "REG_MULTI_SZ",
                                         "REG_RESOURCE_LIST",
                                         "REG_FULL_RESOURCE_DESCRIPTOR",
                                         "REG_RESOURCE_REQUIREMENTS_LIST",
                                         "REG_QWORD"};
    if (type < std::size(kNames))
        return kNames[type];
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", type);
    return buf;
}

std::optional<uint32_t> TypeFromName(std::string_view name) {
    const std::string upper = UpperAscii(name);
    for (uint32_t t = 0; t <= REG_QWORD; ++t)
        if (TypeName(t) == upper)
            return t;
    return std::nullopt;
}

std::string Hex(std::string_view bytes) {
    std::string out;
    char buf[4];
    for (unsigned char b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        out += buf;
    }
    return out;
}

// The data as reg shows it: strings up to their terminator, numbers in hex, the rest as hex bytes.
std::string ShowData(uint32_t type, std::string_view data) {
    char buf[32];
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return std::string(data.substr(0, data.find('\0')));
    case REG_MULTI_SZ: {
        if (data.ends_with(std::string_view("\0\0", 2)))
            data.remove_suffix(2);
        else if (data.ends_with('\0'))
            data.remove_suffix(1);
        std::string out;
        for (char c : data)
            out += c == '\0' ? std::string("\\0") : std::string(1, c);
        return out;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
        if (data.size() == 4) {
            uint32_t v = 0;
            for (int i = 3; i >= 0; --i)
                v = (v << 8) | static_cast<uint8_t>(data[static_cast<size_t>(i)]);
            std::snprintf(buf, sizeof buf, "0x%x", v);
            return buf;
        }
        break;
    case REG_QWORD:
        if (data.size() == 8) {
            uint64_t v = 0;
            for (int i = 7; i >= 0; --i)
                v = (v << 8) | static_cast<uint8_t>(data[static_cast<size_t>(i)]);
            std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(v));
            return buf;
        }
        break;
    }
    return Hex(data);
}

bool IsSwitch(const std::string& arg, std::string_view name) {
    return arg.size() == name.size() + 1 && (arg[0] == '/' || arg[0] == '-') &&
           EqualsNoCase(std::string_view(arg).substr(1), name);
}

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& why) {
    if (args.size() < 2) {
        why = "reg: Invalid syntax";
        return false;
    }
    options.verb = LowerAscii(args[0]);
    if (options.verb != "query" && options.verb != "add" && options.verb != "delete") {
        why = "reg: Unknown operation: " + args[0];
        return false;
    }
    std::string key = args[1];
    while (key.size() > 1 && key.back() == '\\')
        key.pop_back();
    const size_t cut = key.find('\\');
    const auto root = RootKeyFromNameOrAbbreviation(key.substr(0, cut));
    if (!root) {
        why = "reg: Invalid key name: " + args[1];
        return false;
    }
    options.root = *root;
    options.path = cut == std::string::npos ? std::string() : key.substr(cut + 1);
    options.keyName = RootKeyName(*root) + (options.path.empty() ? "" : "\\" + options.path);
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasNext = i + 1 < args.size();
        if (IsSwitch(arg, "v") && hasNext && !options.value)
            options.value = args[++i];
        else if (IsSwitch(arg, "ve") && !options.value)
            options.value = std::string();
        else if (IsSwitch(arg, "va") && options.verb == "delete")
            options.allValues = true;
        else if (IsSwitch(arg, "s") && options.verb == "query")
            options.recurse = true;
        else if (IsSwitch(arg, "s") && options.verb == "add" && hasNext)
            options.separator = args[++i];
        else if (IsSwitch(arg, "t") && options.verb == "add" && hasNext)
            options.type = args[++i];
        else if (IsSwitch(arg, "d") && options.verb == "add" && hasNext)
            options.data = args[++i];
        else if (IsSwitch(arg, "f") && options.verb != "query")
            options.force = true;
        else {
            why = "reg: Invalid syntax: " + arg;
            return false;
        }
    }
    if (options.verb == "delete" && !options.value && !options.allValues) {
        why = "reg: Only values can be deleted (give /v NAME, /ve or /va)";
        return false;
    }
    return true;
}

struct ValueRead {
    std::string name;
    uint32_t type = 0;
    std::string data;
};

bool ReadValue(Registry& registry, HKEY key, const std::string& name, ValueRead& value) {
    uint32_t size = 0;
    if (registry.RegQueryValueEx(key, name, &value.type, {}, &size) != ERROR_SUCCESS)
        return false;
    value.name = name;
    value.data.assign(size, '\0');
    if (size > 0 &&
        registry.RegQueryValueEx(key, name, &value.type,
                                 {reinterpret_cast<uint8_t*>(value.data.data()), value.data.size()},
                                 &size) != ERROR_SUCCESS)
        return false;
    value.data.resize(size);
    return true;
}

std::vector<ValueRead> ReadValues(Registry& registry, HKEY key) {
    std::vector<ValueRead> values;
    std::string name;
    for (uint32_t i = 0;; ++i) {
        uint32_t nameSize = 32768, type = 0;
        if (registry.RegEnumValue(key, i, name, nameSize, &type, {}, nullptr) != ERROR_SUCCESS)
            break;
        ValueRead value;
        if (ReadValue(registry, key, name, value))
            values.push_back(std::move(value));
    }
    return values;
}

std::vector<std::string> SubkeyNames(Registry& registry, HKEY key) {
    std::vector<std::string> names;
    std::string name;
    for (uint32_t i = 0;; ++i) {
        uint32_t nameSize = 1024;
        if (registry.RegEnumKeyEx(key, i, name, nameSize) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    return names;
}

// Calls `visit` with every key below an open key, depth first in enumeration order, with the key's name
// as shown (`shown` extended by the path below it). The keys on the way down are held on a stack of
// their own, however deep the registry goes. A subkey with an empty name (opening it would open its
// parent again) and keys deeper than a key may lie are passed over with a warning.
template <class Visit>
void ForEachKeyBelow(Registry& registry, HKEY start, std::string shown, size_t depth, std::ostream& err,
                     Visit&& visit) {
    struct Level {
        HKEY key;
        uint32_t next = 0;
        size_t shownLength = 0; // the shown name's length without this key's name
    };
    std::vector<Level> stack{{start, 0, shown.size()}};
    bool toldTooDeep = false;
    std::string name;
    while (!stack.empty()) {
        Level& level = stack.back();
        uint32_t nameSize = 1024;
        if (registry.RegEnumKeyEx(level.key, level.next++, name, nameSize) != ERROR_SUCCESS) {
            if (stack.size() > 1)
                registry.RegCloseKey(level.key);
            shown.resize(level.shownLength);
            stack.pop_back();
            continue;
        }
        if (name.empty()) {
            err << "warning: " << shown << " has a subkey with an empty name; skipped\n";
            continue;
        }
        if (depth + stack.size() > kMaxKeyDepth) {
            if (!std::exchange(toldTooDeep, true))
                err << "warning: the keys below " << shown << " lie deeper than " << kMaxKeyDepth
                    << " levels, more than Windows allows; not shown\n";
            continue;
        }
        HKEY sub = 0;
        if (registry.RegOpenKeyEx(level.key, name, KEY_READ, sub) != ERROR_SUCCESS)
            continue;
        const size_t shownLength = shown.size();
        shown += '\\';
        shown += name;
        stack.push_back({sub, 0, shownLength});
        visit(sub, shown);
    }
}

void PrintValue(const ValueRead& value, std::ostream& out) {
    out << "    " << (value.name.empty() ? "(Default)" : value.name) << "    " << TypeName(value.type)
        << "    " << ShowData(value.type, value.data) << "\n";
}

// A key's name and values; a key of a recursive query is shown even without values.
void PrintKey(Registry& registry, HKEY key, const std::string& shown, bool always, std::ostream& out) {
    const auto values = ReadValues(registry, key);
    if (values.empty() && !always)
        return;
    out << shown << "\n";
    for (const auto& value : values)
        PrintValue(value, out);
    out << "\n";
}

void QueryAll(Registry& registry, HKEY key, const Options& options, std::ostream& out, std::ostream& err) {
    PrintKey(registry, key, options.keyName, false, out);
    if (!options.recurse) {
        for (const auto& name : SubkeyNames(registry, key))
            out << options.keyName << "\\" << name << "\n";
        return;
    }
    ForEachKeyBelow(registry, key, options.keyName, KeyDepth(options.path), err,
                    [&](HKEY sub, const std::string& shown) { PrintKey(registry, sub, shown, true, out); });
}

size_t QueryOne(Registry& registry, HKEY key, const Options& options, std::ostream& out, std::ostream& err) {
    size_t found = 0;
    auto check = [&](HKEY at, const std::string& shown) {
        ValueRead value;
        if (!ReadValue(registry, at, *options.value, value))
            return;
        out << shown << "\n";
        PrintValue(value, out);
        out << "\n";
        ++found;
    };
    check(key, options.keyName);
    ForEachKeyBelow(registry, key, options.keyName, KeyDepth(options.path), err, check);
    return found;
}

int Query(Registry& registry, const Options& options, std::ostream& out, std::ostream& err) {
    HKEY key = 0;
    if (registry.RegOpenKeyEx(options.root, options.path, KEY_READ, key) != ERROR_SUCCESS) {
        err << "reg: Unable to find the specified registry key\n";
        return 1;
    }
    out << "\n";
    int status = 0;
    if (!options.value) {
        QueryAll(registry, key, options, out, err);
    } else if (options.recurse) {
        const size_t found = QueryOne(registry, key, options, out, err);
        out << "Search complete. Number of matches found: " << found << "\n";
    } else {
        ValueRead value;
        if (ReadValue(registry, key, *options.value, value)) {
            out << options.keyName << "\n";
            PrintValue(value, out);
            out << "\n";
        } else if (options.value->empty()) {
            // Windows shows a key's missing default value as not set rather than as an error.
            out << options.keyName << "\n    (Default)    REG_SZ    (value not set)\n\n";
        } else {
            err << "reg: Unable to find the specified registry value\n";
            status = 1;
        }
    }
    registry.RegCloseKey(key);
    return status;
}

// The bytes RegSetValueExA takes for DATA of the given type; false when DATA does not fit the type.
bool EncodeData(uint32_t type, const std::string& data, const std::string& separator, std::string& bytes) {
    bytes.clear();
    switch (type) {
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
    case REG_QWORD: {
        if (data.empty() || data[0] == '-')
            return false;
        char* end = nullptr;
        errno = 0;
        const unsigned long long v = std::strtoull(data.c_str(), &end, 0);
        if (errno != 0 || *end != '\0' || (type != REG_QWORD && v > 0xFFFFFFFFull))
            return false;
        const size_t width = type == REG_QWORD ? 8 : 4;
        for (size_t i = 0; i < width; ++i)
            bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
        if (type == REG_DWORD_BIG_ENDIAN)
            std::reverse(bytes.begin(), bytes.end());
        return true;
    }
    case REG_BINARY: {
        const std::string digits = data.size() % 2 ? "0" + data : data;
        for (size_t i = 0; i < digits.size(); i += 2) {
            char* end = nullptr;
            const std::string pair = digits.substr(i, 2);
            const long v = std::strtol(pair.c_str(), &end, 16);
            if (*end != '\0' || pair[0] == '-' || pair[0] == '+' || pair[0] == ' ')
                return false;
            bytes += static_cast<char>(v);
        }
        return true;
    }
    case REG_MULTI_SZ: {
        size_t start = 0;
        while (!data.empty() && start <= data.size()) {
            size_t cut = separator.empty() ? std::string::npos : data.find(separator, start);
            if (cut == std::string::npos)
                cut = data.size();
            if (cut == start && cut < data.size())
                return false; // an empty string would end the list early
            bytes += data.substr(start, cut - start);
            bytes += '\0';
            start = cut + separator.size();
            if (cut == data.size())
                break;
        }
        bytes += '\0';
        return true;
    }
    default:
        bytes = data;
        bytes += '\0';
        return true;
    }
}

// Closes the key and, when the change went through, saves it and says so.
int FinishChange(Registry& registry, HKEY key, int status, std::ostream& out, std::ostream& err) {
    registry.RegCloseKey(key);
    if (status != 0)
        return status;
    if (registry.Flush() != ERROR_SUCCESS) {
        err << "reg: " << registry.LastError() << "\n";
        return 2;
    }
    out << "The operation completed successfully.\n";
    return 0;
}

int Add(Registry& registry, const Options& options, std::ostream& out, std::ostream& err) {
    const auto type = TypeFromName(options.type);
    if (!type) {
        err << "reg: Unsupported type: " << options.type << "\n";
        return 1;
    }
    std::string bytes;
    if (options.value && !EncodeData(*type, options.data.value_or(""), options.separator, bytes)) {
        err << "reg: Invalid data for " << TypeName(*type) << ": " << options.data.value_or("") << "\n";
        return 1;
    }
    HKEY key = 0;
    if (registry.RegCreateKeyEx(options.root, options.path, KEY_ALL_ACCESS, key) != ERROR_SUCCESS) {
        err << "reg: Unable to create the registry key " << options.keyName << "\n";
        return 1;
    }
    int status = 0;
    if (options.value) {
        uint32_t size = 0;
        if (!options.force &&
            registry.RegQueryValueEx(key, *options.value, nullptr, {}, &size) == ERROR_SUCCESS) {
            err << "reg: The value already exists; add /f to overwrite it\n";
            status = 1;
        } else if (registry.RegSetValueEx(key, *options.value, *type,
                                          {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}) !=
                   ERROR_SUCCESS) {
            err << "reg: Unable to set the value\n";
            status = 1;
        }
    }
    return FinishChange(registry, key, status, out, err);
}

int Delete(Registry& registry, const Options& options, std::ostream& out, std::ostream& err) {
    HKEY key = 0;
    if (registry.RegOpenKeyEx(options.root, options.path, KEY_ALL_ACCESS, key) != ERROR_SUCCESS) {
        err << "reg: Unable to find the specified registry key\n";
        return 1;
    }
    int status = 0;
    if (options.allValues) {
        for (const auto& value : ReadValues(registry, key))
            registry.RegDeleteValue(key, value.name);
    } else if (registry.RegDeleteValue(key, *options.value) != ERROR_SUCCESS) {
        err << "reg: Unable to find the specified registry value\n";
        status = 1;
    }
    return FinishChange(registry, key, status, out, err);
}

} // namespace

int RunRegCommand(Registry& registry, const std::vector<std::string>& args, std::ostream& out,
                  std::ostream& err) {
    Options options;
    std::string why;
    if (!ParseOptions(args, options, why)) {
        err << why << "\n" << kUsage;
        return 1;
    }
    if (options.verb == "query")
        return Query(registry, options, out, err);
    if (options.verb == "add")
        return Add(registry, options, out, err);
    return Delete(registry, options, out, err);
}

#ifndef _WIN32

int RunRegCommandOnPrefix(const std::filesystem::path& prefix, const std::vector<std::string>& args,
                          std::ostream& out, std::ostream& err) {
    std::string why;
    std::vector<std::string> warnings;
    auto registry = OpenWineRegistry(prefix, why, warnings);
    if (!registry) {
        err << "vantrelix-cli: " << why << "\n";
        return 2;
    }
    for (const auto& warning : warnings)
        err << "warning: " << warning << "\n";
    return RunRegCommand(*registry, args, out, err);
}

#endif

} // namespace vx
