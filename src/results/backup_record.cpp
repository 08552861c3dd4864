// The records of a backup file: their encoding, their fields, and reading them back.
#include "results/backup_record.h"

#include "platform/registry.h"
#include "platform/text.h"

#include <charconv>

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

std::vector<std::string> SavedValueFields(const SavedValue& value) {
    return {value.existed ? "1" : "0", (value.raw ? "r" : "") + std::to_string(value.type),
            HexOf(value.data)};
}

// The three saved-value fields starting at f[at]; empty with `why` set when they do not hold one.
std::optional<SavedValue> ParseSavedValue(const std::vector<std::string>& f, size_t at, std::string& why) {
    SavedValue value;
    if (f[at] != "0" && f[at] != "1") {
        why = "its saved value is damaged";
        return std::nullopt;
    }
    value.existed = f[at] == "1";
    std::string_view type = f[at + 1];
    value.raw = type.starts_with('r');
    if (value.raw)
        type.remove_prefix(1);
    const auto [end, error] = std::from_chars(type.data(), type.data() + type.size(), value.type);
    auto data = BytesOfHex(f[at + 2]);
    if (type.empty() || error != std::errc() || end != type.data() + type.size() || !data) {
        why = "its saved value is damaged";
        return std::nullopt;
    }
    value.data = std::move(*data);
    // Raw data is what the registry held, whatever its length: a registry file may hold a DWORD of three
    // bytes, and its undo must give back just that.
    size_t expected = SIZE_MAX;
    if (!value.existed)
        expected = 0;
    else if (value.raw)
        expected = SIZE_MAX;
    else if (value.type == REG_DWORD || value.type == REG_DWORD_BIG_ENDIAN)
        expected = 4;
    else if (value.type == REG_QWORD)
        expected = 8;
    if (expected != SIZE_MAX && value.data.size() != expected) {
        why = "its saved data does not fit its type";
        return std::nullopt;
    }
    return value;
}

bool ParseLauncherRecord(BackupRecord& record, std::string& why) {
    const auto& f = record.f;
    why = "it is not a complete launcher record";
    if (f.size() != 4 || !f[1].starts_with('/') || !IsPlainCopyName(f[2]) || f[3].empty())
        return false;
    const auto [end, error] = std::from_chars(f[3].data(), f[3].data() + f[3].size(), record.mode, 8);
    if (error != std::errc() || end != f[3].data() + f[3].size() || record.mode > 07777)
        return false;
    record.copyName = f[2];
    return true;
}

bool ParseRegistryRecord(BackupRecord& record, std::string& why) {
    const auto& f = record.f;
    switch (f.size()) {
    case 6: // an older file's record: the path it reported goes back by the older rule
    {
        const std::string mark = UpperAscii(TrimBlanks(f[5]));
        if (mark != "" && mark != "YES") {
            why = "its sixth field is neither \"Yes\" nor empty";
            return false;
        }
        return true;
    }
    case 9:
    case 10:
    case 12:
    case 13:
    case 14: {
        auto value = ParseSavedValue(f, 6, why);
        if (!value)
            return false;
        record.value = std::move(*value);
        const bool named = f.size() == 10 || f.size() >= 13;
        record.valueName = named ? f[9] : (f[4] == "(Default)" ? std::string() : f[4]);
        if (f.size() >= 12) {
            auto namedDefault = ParseSavedValue(f, named ? 10 : 9, why);
            if (!namedDefault)
                return false;
            record.namedDefault = std::move(*namedDefault);
            if (f.size() == 14)
                record.namedDefaultName = f[13];
        }
        record.exact = true;
        return true;
    }
    default:
        why = "it has " + std::to_string(f.size()) + " fields, not those of a registry record";
        return false;
    }
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

std::vector<std::string> SplitBackupLines(std::string_view content, bool* lastLineEnded) {
    std::vector<std::string> lines;
    size_t start = 0;
    if (lastLineEnded)
        *lastLineEnded = true;
    while (start < content.size()) {
        const size_t end = content.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(content.substr(start)); // a last line without its terminator
            if (lastLineEnded)
                *lastLineEnded = false;
            break;
        }
        lines.emplace_back(content.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> RegistryRecordFields(const RegistryBackup& backup) {
    const ProblemEntry& e = backup.entry;
    std::vector<std::string> fields = {"R",        e.mainkeyname, e.FullKeyPath,
                                       e.KeyValue, e.KeyName,     e.DefaultOrNot};
    for (auto& field : SavedValueFields(backup.value))
        fields.push_back(std::move(field));
    fields.push_back(backup.valueName);
    if (backup.namedDefault) {
        for (auto& field : SavedValueFields(*backup.namedDefault))
            fields.push_back(std::move(field));
        fields.push_back(backup.namedDefaultName);
    }
    return fields;
}

std::vector<std::string> ShortcutRecordFields(const std::string& shortcutPath, const std::string& copyName) {
    return {"S", shortcutPath, copyName};
}

std::vector<std::string> TargetRecordFields(const std::string& identity) {
    return {"T", identity};
}

std::vector<std::string> LauncherRecordFields(const std::string& hostPath, const std::string& copyName,
                                              uint32_t mode) {
    char octal[8];
    const auto end = std::to_chars(octal, octal + sizeof octal, mode & 07777, 8).ptr;
    return {"L", hostPath, copyName, std::string(octal, end)};
}

bool IsPlainCopyName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

BackupContent ReadBackupRecords(std::string_view content) {
    BackupContent out;
    bool lastLineEnded = true;
    const std::vector<std::string> lines = SplitBackupLines(content, &lastLineEnded);
    for (size_t n = 0; n < lines.size(); ++n) {
        BackupRecord record;
        record.line = n + 1;
        record.f = SplitBackupFields(DecodeBackupText(lines[n]));
        const std::string kind = UpperAscii(TrimBlanks(record.f[0]));
        std::string why;
        bool complete = false;
        if (n + 1 == lines.size() && !lastLineEnded) {
            why = "it was cut short (the line has no end)";
        } else if (kind == "R") {
            record.kind = BackupRecord::Kind::Registry;
            complete = ParseRegistryRecord(record, why);
        } else if (kind == "S") {
            record.kind = BackupRecord::Kind::Shortcut;
            complete = record.f.size() == 2 || (record.f.size() == 3 && IsPlainCopyName(record.f[2]));
            if (complete && record.f.size() == 3)
                record.copyName = record.f[2];
            if (!complete)
                why = "it is not a complete shortcut record";
        } else if (kind == "L") {
            record.kind = BackupRecord::Kind::Launcher;
            complete = ParseLauncherRecord(record, why);
        } else if (kind == "T") {
            record.kind = BackupRecord::Kind::Target;
            complete = record.f.size() == 2;
            if (!complete)
                why = "it is not a complete target record";
        } else {
            why = "it is not a backup record";
        }
        if (complete)
            out.records.push_back(std::move(record));
        else
            out.damaged.push_back("line " + std::to_string(n + 1) + ": " + why);
    }
    return out;
}

} // namespace vx
