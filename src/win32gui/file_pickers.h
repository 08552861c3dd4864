#pragma once
// The platform's own pickers through IFileDialog: a folder, and a wave file. Each gives the chosen path,
// or empty text when the user cancelled (or the dialog could not be made).
#include "win32gui/windows_api.h"

#include <string>

namespace vx::win32gui {

// Titled `title`, starting in `startFolder` (empty: where the picker likes).
std::string PickFolder(HWND owner, const std::string& title, const std::string& startFolder);
// Wave files only; `initial` is a folder or a file whose folder it starts in.
std::string PickWaveFile(HWND owner, const std::string& initial);

} // namespace vx::win32gui
