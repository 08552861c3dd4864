#pragma once
// Saving the files of one registry together (a prefix's .reg files, a volume's hives), so that a failure
// part-way never leaves some files saved and others not: every file is written aside first (a full disk
// then changes nothing), then each is put in place, and a failure there takes back those already replaced.
#include <cstddef>
#include <string>
#include <vector>

namespace vx {

// `File` has PrepareSave, CommitSave, RollbackSave (each bool(std::string& why)), FinishSave,
// AbandonSave and Path(). True when every file was saved. Otherwise false with `why` set; `wroteNothing`
// then says whether every file is as it was, and when not, `why` names the files that stay saved.
template <class File>
bool SaveTogether(const std::vector<File*>& files, std::string& why, bool& wroteNothing) {
    wroteNothing = true;
    for (size_t n = 0; n < files.size(); ++n) {
        if (files[n]->PrepareSave(why))
            continue;
        for (size_t i = 0; i < n; ++i)
            files[i]->AbandonSave();
        return false;
    }
    for (size_t n = 0; n < files.size(); ++n) {
        if (files[n]->CommitSave(why))
            continue;
        std::string kept;
        for (size_t back = n; back-- > 0;) {
            std::string rollbackWhy;
            if (files[back]->RollbackSave(rollbackWhy))
                continue;
            why += "; " + rollbackWhy;
            kept += (kept.empty() ? "" : ", ") + files[back]->Path().filename().string();
            files[back]->FinishSave(); // it holds the new text now
            wroteNothing = false;
        }
        for (size_t rest = n + 1; rest < files.size(); ++rest)
            files[rest]->AbandonSave();
        if (!kept.empty())
            why += "; saved nonetheless: " + kept;
        return false;
    }
    for (File* file : files)
        file->FinishSave();
    return true;
}

} // namespace vx
