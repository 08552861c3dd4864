// Makes shortcut files with Wine's own shell (IShellLinkW + IPersistFile::Save), so that the tests read
// links as a Windows shell writes them rather than as this program imagines them.
//
//   x86_64-w64-mingw32-g++ -O2 -static -municode make_links.cpp -o make_links.exe -lole32 -luuid -lshell32
//   WINEDEBUG=-all WINEPREFIX=… wine make_links.exe 'C:\out'
//
// Every link is written into the folder named on the command line; a line per link goes to stdout.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

namespace {

struct LinkSpec {
    const wchar_t* file;             // name of the .lnk to write
    const wchar_t* target;           // SetPath; null for a link made from a shell folder's ID list
    const wchar_t* workingDirectory; // null for none
    const wchar_t* arguments;        // null for none
};

// C:\windows\notepad.exe exists in every prefix; C:\vx-missing never does; D: is not a drive of a fresh
// prefix.
const LinkSpec kLinks[] = {
    {L"existing_target.lnk", L"C:\\windows\\notepad.exe", L"C:\\windows", nullptr},
    {L"missing_target.lnk", L"C:\\vx-missing\\gone.exe", L"C:\\vx-missing", L"/quiet"},
    {L"missing_folder_target.lnk", L"C:\\vx-missing\\folder", nullptr, nullptr},
    {L"homedrive_workdir.lnk", L"C:\\vx-missing\\tool.exe", L"%HOMEDRIVE%%HOMEPATH%", nullptr},
    {L"missing_drive_target.lnk", L"Q:\\vx-missing\\app.exe", L"Q:\\vx-missing", nullptr},
    {L"shell_folder.lnk", nullptr, nullptr, nullptr},
};

bool Save(const std::wstring& folder, const LinkSpec& spec) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    bool ok = true;
    if (spec.target) {
        ok = SUCCEEDED(link->SetPath(spec.target));
    } else {
        // "My Computer": a link with an ID list and no file-system path at all.
        LPITEMIDLIST pidl = nullptr;
        ok = SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidl)) &&
             SUCCEEDED(link->SetIDList(pidl));
        CoTaskMemFree(pidl);
    }
    if (ok && spec.workingDirectory)
        ok = SUCCEEDED(link->SetWorkingDirectory(spec.workingDirectory));
    if (ok && spec.arguments)
        ok = SUCCEEDED(link->SetArguments(spec.arguments));
    IPersistFile* file = nullptr;
    if (ok)
        ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    if (ok) {
        const std::wstring path = folder + L"\\" + spec.file;
        ok = SUCCEEDED(file->Save(path.c_str(), TRUE));
        file->Release();
    }
    link->Release();
    return ok;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: make_links FOLDER\n");
        return 2;
    }
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    int failures = 0;
    for (const auto& spec : kLinks) {
        const bool ok = Save(argv[1], spec);
        std::wprintf(L"%ls %ls\n", ok ? L"made" : L"FAILED", spec.file);
        failures += ok ? 0 : 1;
    }
    CoUninitialize();
    return failures == 0 ? 0 : 1;
}
