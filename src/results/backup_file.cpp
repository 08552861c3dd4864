#include "results/backup_file.h"

#include "paths/path_text.h"
#include "platform/text.h"
#include "ui/app.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace vx {
namespace {

constexpr char kEscape = '\xFE';

char EscapeCode(char c) {
    switch (c) {
    case '^':
        return '\x01';
    case '\0':
        return '\x02';
    case '\xFE':
        return '\x03';
    case '\xFF':
        return '\x04';
    default:
        return 0;
    }
}

char UnescapeCode(char code) {
    switch (code) {
    case '\x01':
        return '^';
    case '\x02':
        return '\0';
    case '\x03':
        return '\xFE';
    case '\x04':
        return '\xFF';
    default:
        return code;
    }
}

bool AppendSynced(const std::string& hostPath, std::string_view bytes) {
    const int fd = ::open(hostPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

void Append2(std::string& out, int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    out += text;
}

std::vector<std::string> SavedValueFields(const SavedValue& value) {
    return {value.existed ? "1" : "0", std::to_string(value.type), HexOf(value.data)};
}

} // namespace

std::string EncodeBackupText(std::string_view text) {
    std::string out(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = static_cast<char>((static_cast<unsigned char>(text[i]) + 10) & 0xFF);
    return out;
}

std::string DecodeBackupText(std::string_view text) {
    std::string out(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = static_cast<char>((static_cast<unsigned char>(text[i]) + 256 - 10) & 0xFF);
    return out;
}

std::string JoinBackupFields(const std::vector<std::string>& fields) {
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += '^';
        for (char c : fields[i]) {
            if (const char code = EscapeCode(c)) {
                out += kEscape;
                out += code;
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::vector<std::string> SplitBackupFields(std::string_view line) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '^')
            fields.emplace_back();
        else if (c == kEscape && i + 1 < line.size())
            fields.back() += UnescapeCode(line[++i]);
        else
            fields.back() += c;
    }
    return fields;
}

std::vector<std::string> SplitBackupLines(std::string_view content) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content.size()) {
        const size_t end = content.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(content.substr(start)); // a last line without its terminator
            break;
        }
        lines.emplace_back(content.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string HexOf(const std::vector<uint8_t>& data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(data.size() * 2);
    for (uint8_t b : data) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

std::optional<std::vector<uint8_t>> BytesOfHex(std::string_view hex) {
    if (hex.size() % 2)
        return std::nullopt;
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::vector<uint8_t> out;
    out.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = digit(hex[i]);
        const int lo = digit(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    return out;
}

std::vector<std::string> RegistryRecordFields(const RegistryBackup& backup) {
    const ProblemEntry& e = backup.entry;
    std::vector<std::string> fields = {"R",        e.mainkeyname, e.FullKeyPath,
                                       e.KeyValue, e.KeyName,     e.DefaultOrNot};
    for (auto& field : SavedValueFields(backup.value))
        fields.push_back(std::move(field));
    if (backup.namedDefault)
        for (auto& field : SavedValueFields(*backup.namedDefault))
            fields.push_back(std::move(field));
    return fields;
}

bool BackupsEnabled(App& app) {
    return SettingAsNumber(app.GetSetting("chkMakeBackUp", "1"), 1) != 0;
}

std::string BackupFolder(App& app, std::string_view settingKey) {
    const std::string folder = app.GetSetting(settingKey, app.ApplicationFolder());
    return IsBlank(folder) ? app.ApplicationFolder() : folder;
}

std::string BackupFilePathFor(App& app) {
    const std::tm now = app.now();
    std::string name = "BackUp ";
    Append2(name, now.tm_mday);
    name += '-';
    Append2(name, now.tm_mon + 1);
    name += '-';
    Append2(name, now.tm_year);
    name += ' ';
    Append2(name, now.tm_hour);
    name += '-';
    Append2(name, now.tm_min);
    name += '-';
    Append2(name, now.tm_sec);
    return BackupFolder(app, "txtBackup") + "\\" + name;
}

bool WriteBackupRecord(App& app, std::string_view kind, const std::string& backupFile,
                       const RegistryBackup* registryRow, const ShortcutEntry* shortcutRow) {
    if (!BackupsEnabled(app))
        return true;
    FileSystem& files = app.files();
    const auto host = files.HostPath(backupFile);
    if (!host)
        return false;
    std::vector<std::string> fields;
    if (UpperAscii(TrimBlanks(kind)) == "R") {
        if (!registryRow)
            return false;
        fields = RegistryRecordFields(*registryRow);
    } else {
        if (!shortcutRow)
            return false;
        // The copy first: a record whose copy is missing would promise a restore it cannot make.
        const std::string copy = BackupFolder(app) + "\\" + GetFileNamePart(shortcutRow->path);
        if (!files.CopyFile(shortcutRow->path, copy, false))
            return false;
        fields = {"S", shortcutRow->path};
    }
    return AppendSynced(host->string(), EncodeBackupText(JoinBackupFields(fields)) + "\r\n");
}

} // namespace vx
