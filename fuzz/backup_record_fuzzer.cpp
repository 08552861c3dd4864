// The backup file's record decoding: any content is decoded and split into lines and fields; a line that
// joining produced splits back into the same fields and joins again to itself, and written as a record it
// reads back as one line.
#include "fuzz_support.h"

#include "platform/wine/launcher_files.h"
#include "results/backup_record.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vx;
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    if (EncodeBackupText(DecodeBackupText(content)) != content)
        fuzz::Fail("decoding and encoding again changes the text", content);
    // Reading records never trusts a damaged one: every record read is complete.
    for (const BackupRecord& record : ReadBackupRecords(content).records) {
        if (record.kind == BackupRecord::Kind::Registry && record.exact && record.value.existed == false &&
            !record.value.data.empty())
            fuzz::Fail("a record of a value that did not exist carries data", content);
        if (record.kind == BackupRecord::Kind::Shortcut && !record.copyName.empty() &&
            !IsPlainCopyName(record.copyName))
            fuzz::Fail("a shortcut record names a copy outside its folder", content);
        if (record.kind == BackupRecord::Kind::Launcher) {
            if (!IsPlainCopyName(record.copyName) || record.mode > 07777)
                fuzz::Fail("a launcher record names a copy outside its folder or a mode beyond its bits",
                           content);
            // A launcher's file goes back only below a place of Wine's in the home.
            const std::filesystem::path file = record.f[1];
            if (const auto place = WineLauncherPlaceOf("/home/u", file)) {
                const auto below = file.lexically_relative(*place);
                if (below.empty() || *below.begin() == ".." ||
                    (*place != "/home/u" && !place->string().starts_with("/home/u/")))
                    fuzz::Fail("a launcher record's file is put back outside Wine's places", content);
            }
        }
    }
    for (const std::string& line : SplitBackupLines(content)) {
        const std::vector<std::string> fields = SplitBackupFields(DecodeBackupText(line));
        const std::string joined = JoinBackupFields(fields);
        if (SplitBackupFields(joined) != fields)
            fuzz::Fail("a joined line splits into other fields", joined);
        if (JoinBackupFields(SplitBackupFields(joined)) != joined)
            fuzz::Fail("a joined line does not join again to itself", joined);
        // As a record is written: encoded, then ended by CR LF; it must read back as that one line.
        const std::string record = EncodeBackupText(joined);
        const std::vector<std::string> read = SplitBackupLines(record + "\r\n");
        if (read.size() != 1 || read.front() != record || record.find('\n') != std::string::npos)
            fuzz::Fail("a written record does not read back as one line", record);
    }
    return 0;
}
