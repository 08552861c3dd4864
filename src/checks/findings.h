#pragma once
// What a scan finds: a registry value whose file is missing, a shortcut file whose target is gone; the
// lists of one scan run, and the sink the checkers put them into.
#include "app/revised_list.h"

#include <deque>
#include <string>

namespace vx {

// A registry value whose file is missing (a row of the hidden list lvwErrors).
struct ProblemEntry {
    std::string MainKey;          // the root's handle as signed decimal text
    std::string KeyName;          // the value name, "(Default)" for the unnamed value
    std::string KeyValue;         // the file path that was tested and found missing
    std::string RegistryScanners; // the section's internal name ("Registry Scanners")
    std::string FullKeyPath;      // the key's path below the root
    std::string mainkeyname;      // the root's name
    std::string DefaultOrNot;     // "Yes" when KeyValue joins the system folder and a bare name
    // Not a column: the value's name as the registry holds it. "(Default)" is shown for a name of blanks
    // too, and repair must remove the value that was tested, not the key's unnamed one.
    std::string valueName;

    bool operator==(const ProblemEntry&) const = default;
};

// A broken shortcut file (a row of the hidden list lvwShortcut).
struct ShortcutEntry {
    std::string path; // the shortcut file's full path (the row text)
    std::string kind = "Windows Shortcut";
    bool operator==(const ShortcutEntry&) const = default;
};

// A launcher Wine left on the Linux desktop that is broken (a row of the hidden list lvwLaunchers).
struct LauncherEntry {
    std::string file; // the launcher's host path
    std::string text; // its line in the details and the report: the file, and why it is broken
    bool operator==(const LauncherEntry&) const = default;
};

// The findings of the last scan run, in the order they were found; a repair leaves in them what it left
// in place.
struct Findings {
    RevisedList<ProblemEntry, std::deque<ProblemEntry>> lvwErrors; // a scan may find 100,000
    RevisedList<ShortcutEntry> lvwShortcut;
    RevisedList<LauncherEntry> lvwLaunchers;

    bool empty() const { return lvwErrors.empty() && lvwShortcut.empty() && lvwLaunchers.empty(); }
    size_t size() const { return lvwErrors.size() + lvwShortcut.size() + lvwLaunchers.size(); }
    void clear() {
        lvwErrors.clear();
        lvwShortcut.clear();
        lvwLaunchers.clear();
    }
};

// Where the checkers put what they find.
class FindingSink {
  public:
    virtual ~FindingSink() = default;
    virtual void Found(ProblemEntry problem) = 0;
    virtual void Found(ShortcutEntry shortcut) = 0;
    virtual void Found(LauncherEntry launcher) = 0;
};

} // namespace vx
