#pragma once
// One program per user on Windows, as on Linux: the first start holds a named mutex for its life; a later
// start finds the first's main window, lets it take the foreground, asks it to come forward (a message
// registered under the program's name) and ends.
#include "win32gui/windows_api.h"

#include <string>

namespace vx::win32gui {

// The message a later start posts to the running program's main window.
UINT ComeForwardMessage();

class SingleInstance {
  public:
    // `name`: the mutex's; the default is the program's, per user and session.
    explicit SingleInstance(std::wstring name = DefaultName());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when another program holds the mutex and its main window was asked to come forward. A program
    // still opening its window is waited for a little; one that shows none is left alone (false).
    bool AskRunningToComeForward() const;

    static std::wstring DefaultName();

  private:
    HANDLE mutex_;
    bool first_;
};

} // namespace vx::win32gui
