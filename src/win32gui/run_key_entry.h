#pragma once
// The program's start-up entry on Windows: a value named after the executable (its name without ".exe")
// under SOFTWARE\Microsoft\Windows\CurrentVersion\Run of HKEY_LOCAL_MACHINE, whose data is the
// executable's full path in quotes (so that a folder with blanks starts the right file, and a scan finds
// the file there and never reports the entry). A user without administrator rights cannot write there:
// the same value goes under HKEY_CURRENT_USER instead.
#include "ui/autostart_entry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vx::win32gui {

inline constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// The roots by their handle values.
inline constexpr uint32_t kCurrentUser = 0x80000001;
inline constexpr uint32_t kLocalMachine = 0x80000002;

class RunKeyEntry : public StartupEntry {
  public:
    // `executable`: the program's full path; `roots`: where the entry may go, the first writable wins.
    explicit RunKeyEntry(std::wstring executable,
                         std::vector<uint32_t> roots = {kLocalMachine, kCurrentUser});
    // Under the first root that takes it; the value under the roots after it goes (one entry only).
    bool Write() override;
    // From every root; a missing value counts as removed.
    bool Remove() override;

    const std::wstring& name() const { return name_; }
    const std::wstring& data() const { return data_; }

  private:
    std::wstring name_;
    std::wstring data_;
    std::vector<uint32_t> roots_;
};

// The running program's own executable.
std::wstring OwnExecutable();

} // namespace vx::win32gui
