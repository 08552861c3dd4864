// The platform's file and folder pickers (IFileDialog, Vista and later; Wine has them too).
#include "win32gui/file_pickers.h"

#include "platform/win32/wide_text.h"

#include <objbase.h>
#include <shobjidl.h>

#include <filesystem>

namespace vx::win32gui {
namespace {

// An IFileDialog's answer as the program's text, released as it goes.
std::string Run(IFileDialog& dialog, HWND owner) {
    std::string chosen;
    if (FAILED(dialog.Show(owner)))
        return chosen; // cancelled
    IShellItem* item = nullptr;
    if (SUCCEEDED(dialog.GetResult(&item))) {
        wchar_t* path = nullptr;
        if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
            chosen = win32::Narrow(path);
            CoTaskMemFree(path);
        }
        item->Release();
    }
    return chosen;
}

void StartIn(IFileDialog& dialog, const std::wstring& folder) {
    if (folder.empty())
        return;
    IShellItem* item = nullptr;
    if (SUCCEEDED(SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_PPV_ARGS(&item)))) {
        dialog.SetFolder(item);
        item->Release();
    }
}

IFileDialog* MakeOpenDialog() {
    IFileDialog* dialog = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))))
        return nullptr;
    return dialog;
}

} // namespace

std::string PickFolder(HWND owner, const std::string& title, const std::string& startFolder) {
    IFileDialog* dialog = MakeOpenDialog();
    if (!dialog)
        return {};
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    dialog->SetTitle(win32::Wide(title).c_str());
    StartIn(*dialog, win32::Wide(startFolder));
    std::string chosen = Run(*dialog, owner);
    dialog->Release();
    return chosen;
}

std::string PickWaveFile(HWND owner, const std::string& initial) {
    IFileDialog* dialog = MakeOpenDialog();
    if (!dialog)
        return {};
    const COMDLG_FILTERSPEC types[] = {{L"wav Files (*.wav)", L"*.wav"}};
    dialog->SetFileTypes(1, types);
    dialog->SetDefaultExtension(L"wav");
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_FILEMUSTEXIST);
    // A file path starts the dialog in its folder.
    const std::filesystem::path start(win32::Wide(initial));
    std::error_code error;
    StartIn(*dialog,
            std::filesystem::is_directory(start, error) ? start.wstring() : start.parent_path().wstring());
    std::string chosen = Run(*dialog, owner);
    dialog->Release();
    return chosen;
}

} // namespace vx::win32gui
