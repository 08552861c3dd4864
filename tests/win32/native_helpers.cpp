// What the tests do to the machine directly, past the backend.
#include "native_helpers.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

namespace vx::testing {

bool SetNativeAttributes(const std::wstring& path, uint32_t attributes) {
    return SetFileAttributesW(path.c_str(), attributes) != 0;
}

bool WriteShellLink(const std::wstring& file, const std::wstring& target,
                    const std::wstring& workingDirectory) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(workingDirectory.c_str());
    IPersistFile* persist = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)));
    if (ok) {
        ok = SUCCEEDED(persist->Save(file.c_str(), TRUE));
        persist->Release();
    }
    link->Release();
    return ok;
}

} // namespace vx::testing
