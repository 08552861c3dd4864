// Shell links (.lnk) read by the Shell itself: IShellLinkW loaded through IPersistFile.
#include "platform/shortcut_files.h"

#include "platform/utf16.h"

#include <windows.h>

#include <objbase.h>
#include <shlguid.h>
#include <shlobj.h>

namespace vx {
namespace {

std::string Narrow(const wchar_t* text) {
    const std::wstring_view view(text);
    return Utf16ToUtf8(std::string_view(reinterpret_cast<const char*>(view.data()), view.size() * 2));
}

// COM for this thread, once for the process's life: the walker asks for every link of a drive.
bool ComReady() {
    static const bool ready = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) ||
                              SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    return ready;
}

template <class T> struct Released {
    T* p = nullptr;
    ~Released() {
        if (p)
            p->Release();
    }
};

} // namespace

std::optional<LnkFields> ReadLnkFile(const std::filesystem::path& file, int ansiCodePage) {
    (void)ansiCodePage; // the Shell knows the link's own code page
    if (!ComReady())
        return std::nullopt;
    Released<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.p))))
        return std::nullopt;
    Released<IPersistFile> persist;
    if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist.p))) ||
        FAILED(persist.p->Load(file.c_str(), STGM_READ)))
        return std::nullopt;

    LnkFields fields;
    wchar_t buffer[32768];
    // The path unexpanded: a link that names its target by environment variables keeps them, and the
    // caller expands them against the target as for any other link.
    buffer[0] = 0;
    if (link.p->GetPath(buffer, 32768, nullptr, SLGP_RAWPATH) == S_OK)
        fields.localPath = Narrow(buffer);
    Released<IShellLinkDataList> dataList;
    if (SUCCEEDED(link.p->QueryInterface(IID_IShellLinkDataList, reinterpret_cast<void**>(&dataList.p)))) {
        void* block = nullptr;
        if (SUCCEEDED(dataList.p->CopyDataBlock(EXP_SZ_LINK_SIG, &block)) && block) {
            fields.environmentLocation = Narrow(static_cast<EXP_SZ_LINK*>(block)->swzTarget);
            LocalFree(block);
        }
    }
    if (!fields.environmentLocation.empty() && fields.localPath == fields.environmentLocation)
        fields.localPath.clear();
    buffer[0] = 0;
    if (SUCCEEDED(link.p->GetWorkingDirectory(buffer, 32768)))
        fields.workingDirectory = Narrow(buffer);
    return fields;
}

} // namespace vx
