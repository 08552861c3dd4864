// The per-user settings store: text values addressed by application, section and key. Keys (and the
// application and section names) compare without regard to case.
#include "app/settings_store.h"

#include "platform/atomic_file.h"
#include "platform/host_file_io.h"
#include "platform/own_file_guard.h"
#include "platform/text.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace vx {
namespace {

// Values are stored on one line each; the few characters that would break that are escaped, and in a
// key also "=", which ends it ("\=").
std::string EscapeValue(std::string_view text, bool key = false) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '=':
            out += key ? "\\=" : "=";
            break;
        case '[': // a key line that began with "[" would read as a section's header
            out += key && out.empty() ? "\\[" : "[";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string UnescapeValue(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char n = text[++i];
            out += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Where a line's key ends: at the first "=" that is not escaped.
size_t KeyEnd(std::string_view line) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\')
            ++i;
        else if (line[i] == '=')
            return i;
    }
    return std::string_view::npos;
}

// The saves every FileSettingsStore of this process made: another instance's save shows at once.
std::atomic<uint64_t> processSaves{0};

} // namespace

namespace {

std::string MemoryAddress(std::string_view app, std::string_view section, std::string_view key) {
    std::string address;
    address.append(app).append("\\").append(section).append("\\").append(key);
    return FoldCase(address);
}

} // namespace

std::string MemorySettingsStore::GetSetting(std::string_view app, std::string_view section,
                                            std::string_view key, std::string_view defaultValue) {
    const auto it = values_.find(MemoryAddress(app, section, key));
    return it == values_.end() ? std::string(defaultValue) : it->second.value;
}

void MemorySettingsStore::SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                                      std::string_view value) {
    auto [it, added] = values_.try_emplace(MemoryAddress(app, section, key), Entry{std::string(key), {}});
    it->second.value = value;
    saves.emplace_back(std::string(key), std::string(value));
}

std::map<std::string, std::string> MemorySettingsStore::AllSettings(std::string_view app,
                                                                    std::string_view section) {
    const std::string head = MemoryAddress(app, section, "");
    std::map<std::string, std::string> all;
    for (auto it = values_.lower_bound(head); it != values_.end() && it->first.starts_with(head); ++it)
        all.emplace(it->second.key, it->second.value);
    return all;
}

int SettingAsNumber(std::string_view text, int fallback) {
    const std::string trimmed(TrimBlanks(text));
    if (trimmed.empty())
        return fallback;
    if (EqualsNoCase(trimmed, "True"))
        return -1;
    if (EqualsNoCase(trimmed, "False"))
        return 0;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (end == trimmed.c_str() || *end != '\0' || errno != 0)
        return fallback;
    return static_cast<int>(value);
}

bool SettingAsBool(std::string_view text, bool& ok) {
    const std::string trimmed(TrimBlanks(text));
    ok = true;
    if (EqualsNoCase(trimmed, "True"))
        return true;
    if (EqualsNoCase(trimmed, "False"))
        return false;
    char* end = nullptr;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (!trimmed.empty() && end && *end == '\0')
        return value != 0;
    ok = false;
    return false;
}

FileSettingsStore::FileSettingsStore(std::filesystem::path file) : file_(std::move(file)) {
    lastError_ = WhyNotKept();
    Reload();
}

std::string FileSettingsStore::WhyNotKept() const {
    if (file_.empty())
        return "the settings cannot be kept: this account has no home folder (set HOME)";
    if (std::string why = WhyNotOwnFolder(file_.parent_path()); !why.empty())
        return "the settings cannot be kept: " + why;
    return {};
}

std::string FileSettingsStore::Address(std::string_view app, std::string_view section,
                                       std::string_view key) const {
    return FoldCase(app) + '\\' + FoldCase(section) + '\\' + FoldCase(key);
}

void FileSettingsStore::Reload() {
    // Asked before every read: one stat, and the file is read again only when it changed.
    savesSeen_ = processSaves.load();
    lookedAt_ = std::chrono::steady_clock::now();
    const auto stamp = StampHostFile(file_);
    if (!stamp) {
        if (loaded_)
            entries_.clear();
        loaded_.reset();
        return;
    }
    if (loaded_ && *stamp == *loaded_)
        return;
    loaded_ = stamp;
    entries_.clear();
    // Settings another user could have written are never taken (they name the folders written to).
    if (std::string why = WhyNotKept(); !why.empty()) {
        lastError_ = std::move(why);
        return;
    }
    // Read without waiting and never through a link: a named pipe or a device in the file's place would
    // hang every command.
    const auto read = ReadRegularFile(file_);
    if (!read) {
        lastError_ = file_.string() + " cannot be used for the settings: it is not a regular file";
        return;
    }
    const std::string& content = *read;
    std::istringstream in(content);
    std::string line, app, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const std::string_view header(line.data() + 1, line.size() - 2);
            const size_t slash = header.rfind('\\');
            app = std::string(slash == std::string_view::npos ? header : header.substr(0, slash));
            section = slash == std::string_view::npos ? std::string() : std::string(header.substr(slash + 1));
            continue;
        }
        const size_t eq = KeyEnd(line);
        if (eq == std::string::npos || line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        const std::string key = UnescapeValue(std::string_view(line).substr(0, eq));
        entries_[Address(app, section, key)] =
            Entry{app + '\\' + section, key, UnescapeValue(std::string_view(line).substr(eq + 1))};
    }
}

bool FileSettingsStore::Save() {
    // Group by app\section so each section is written once.
    std::map<std::string, std::vector<const Entry*>> sections;
    std::map<std::string, std::string> sectionNames;
    for (const auto& [address, entry] : entries_) {
        sectionNames.emplace(FoldCase(entry.head), entry.head);
        sections[FoldCase(entry.head)].push_back(&entry);
    }
    std::ostringstream text;
    for (const auto& [folded, list] : sections) {
        text << '[' << sectionNames[folded] << "]\n";
        for (const Entry* entry : list)
            text << EscapeValue(entry->key, true) << '=' << EscapeValue(entry->value) << '\n';
    }
    const std::string data = text.str();
    if (const int err = ReplaceFileContent(file_, data); err != 0) {
        lastError_ = "cannot write " + file_.string() + ": " + std::strerror(err);
        return false;
    }
    loaded_ = StampHostFile(file_);
    ++processSaves;
    return true;
}

std::string FileSettingsStore::GetSetting(std::string_view app, std::string_view section,
                                          std::string_view key, std::string_view defaultValue) {
    Reload();
    return Lookup(app, section, key, defaultValue);
}

std::string FileSettingsStore::Lookup(std::string_view app, std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const {
    const auto it = entries_.find(Address(app, section, key));
    return it == entries_.end() ? std::string(defaultValue) : it->second.value;
}

std::string FileSettingsStore::GetOftenReadSetting(std::string_view app, std::string_view section,
                                                   std::string_view key, std::string_view defaultValue) {
    const bool fresh =
        savesSeen_ == processSaves.load() && std::chrono::steady_clock::now() - lookedAt_ < kOftenReadAge;
    if (!fresh)
        Reload();
    return Lookup(app, section, key, defaultValue);
}

void FileSettingsStore::SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                                    std::string_view value) {
    lastError_ = WhyNotKept();
    if (!file_.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(file_.parent_path(), ec);
        lastError_ = WhyNotKept(); // a folder made by someone else meanwhile is not the program's own
    }
    if (lastError_.empty())
        lastError_ = WhyNotOwnFile(file_); // a link, pipe or folder in its place is left as it is
    if (!lastError_.empty())
        return;
    // Writers take turns: each holds the lock beside the file while it reads, changes and replaces it, so
    // that no write is lost to another made at the same time.
    const ExclusiveFileLock lock(file_.string() + ".lock");
    loaded_.reset(); // read again under the lock: another writer may have saved within the same tick
    Reload();
    if (!lastError_.empty())
        return; // a file that is no regular file is never replaced
    auto& entry = entries_[Address(app, section, key)];
    if (entry.key.empty())
        entry = Entry{std::string(app) + '\\' + std::string(section), std::string(key), {}};
    entry.value = std::string(value);
    Save();
}

std::map<std::string, std::string> FileSettingsStore::AllSettings(std::string_view app,
                                                                  std::string_view section) {
    Reload();
    std::map<std::string, std::string> out;
    const std::string prefix = FoldCase(app) + '\\' + FoldCase(section) + '\\';
    for (const auto& [address, entry] : entries_)
        if (address.compare(0, prefix.size(), prefix) == 0)
            out[entry.key] = entry.value;
    return out;
}

} // namespace vx
