// The art: PNG resources decoded with WIC into DIBs, drawn with AlphaBlend.
#include "win32gui/art.h"

#include "platform/win32/wide_text.h"

#include <wincodec.h>

#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vx::win32gui {
namespace {

// A COM interface pointer released when it goes.
template <class T> class Com {
  public:
    Com() = default;
    ~Com() {
        if (pointer_)
            pointer_->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T* operator->() const { return pointer_; }
    T* get() const { return pointer_; }
    T** out() { return &pointer_; }
    void** void_out() { return reinterpret_cast<void**>(&pointer_); }

  private:
    T* pointer_ = nullptr;
};

// COM on this thread for as long as it lives (the windows' thread has it already; a test may not).
class ComScope {
  public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    HRESULT result_;
};

std::unique_ptr<Picture> Decode(const BYTE* png, DWORD size) {
    ComScope com;
    Com<IWICImagingFactory> factory;
    Com<IWICStream> stream;
    Com<IWICBitmapDecoder> decoder;
    Com<IWICBitmapFrameDecode> frame;
    Com<IWICFormatConverter> converter;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, factory.void_out())) ||
        FAILED(factory->CreateStream(stream.out())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(png), size)) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                decoder.out())) ||
        FAILED(decoder->GetFrame(0, frame.out())) ||
        FAILED(factory->CreateFormatConverter(converter.out())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return nullptr;
    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 8192 ||
        height > 8192)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height); // top-down, as WIC gives the rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return nullptr;
    const UINT stride = width * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return std::make_unique<Picture>(bitmap, SIZE{static_cast<LONG>(width), static_cast<LONG>(height)});
}

// The resource's name: the drawing's, upper-cased, and the scale (button_large at 150: BUTTON_LARGE_150).
std::wstring ResourceName(std::string_view name, int scale) {
    std::wstring resource = win32::Wide(name) + L"_" + std::to_wstring(scale);
    for (wchar_t& c : resource)
        c = static_cast<wchar_t>(towupper(c));
    return resource;
}

std::unique_ptr<Picture> Load(std::string_view name, int scale) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, ResourceName(name, scale).c_str(), MAKEINTRESOURCEW(10)); // RCDATA
    if (!found)
        return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size == 0)
        return nullptr;
    return Decode(static_cast<const BYTE*>(data), size);
}

} // namespace

Picture::~Picture() {
    DeleteObject(bitmap_);
}

int ArtScaleForDpi(unsigned dpi) {
    for (int scale : kArtScales)
        if (dpi * 100 <= static_cast<unsigned>(scale) * USER_DEFAULT_SCREEN_DPI)
            return scale;
    return kArtScales[std::size(kArtScales) - 1];
}

const Picture* ArtPicture(std::string_view name, int scale) {
    // Decoded once each; a missing picture is remembered as missing.
    static std::map<std::string, std::unique_ptr<Picture>, std::less<>> pictures;
    std::string key = std::string(name) + "@" + std::to_string(scale);
    auto found = pictures.find(key);
    if (found == pictures.end())
        found = pictures.emplace(std::move(key), Load(name, scale)).first;
    return found->second.get();
}

void DecodeAllArt(int scale) {
    // The resources are named NAME_SCALE, the name in capitals (ResourceName).
    const std::wstring suffix = L"_" + std::to_wstring(scale);
    auto collect = [](HMODULE, LPCWSTR, LPWSTR resource, LONG_PTR param) -> BOOL {
        if (!IS_INTRESOURCE(resource))
            reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(resource);
        return TRUE;
    };
    std::vector<std::wstring> resources;
    EnumResourceNamesW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(10), collect, // RCDATA
                       reinterpret_cast<LONG_PTR>(&resources));
    for (const std::wstring& resource : resources) {
        if (resource.size() <= suffix.size() ||
            resource.compare(resource.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        std::string name;
        for (wchar_t c : resource.substr(0, resource.size() - suffix.size()))
            name += static_cast<char>(towlower(c));
        ArtPicture(name, scale);
    }
}

bool DrawArt(HDC dc, HWND window, std::string_view name, RECT at, BYTE opacity) {
    const Picture* picture = ArtPicture(name, ArtScaleForDpi(WindowDpi(window)));
    if (!picture)
        return false;
    if (at.right <= at.left || at.bottom <= at.top)
        return true;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, picture->bitmap());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
    AlphaBlend(dc, at.left, at.top, at.right - at.left, at.bottom - at.top, source, 0, 0, picture->size().cx,
               picture->size().cy, blend);
    SelectObject(source, old);
    DeleteDC(source);
    return true;
}

HIMAGELIST MakeArtImageList(std::span<const std::string> names, int side, unsigned dpi) {
    const int pixels = Scaled(side, dpi);
    HIMAGELIST list = ImageList_Create(pixels, pixels, ILC_COLOR32, static_cast<int>(names.size()), 0);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(info.bmiHeader), pixels, -pixels, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = CreateCompatibleDC(nullptr);
    for (const std::string& name : names) {
        // Each drawing on a clear square: what stays clear stays transparent in the list.
        void* bits = nullptr;
        HBITMAP square = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!square)
            continue;
        HGDIOBJ old = SelectObject(dc, square);
        if (const Picture* picture = ArtPicture(name, ArtScaleForDpi(dpi))) {
            HDC source = CreateCompatibleDC(dc);
            HGDIOBJ oldSource = SelectObject(source, picture->bitmap());
            const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            AlphaBlend(dc, 0, 0, pixels, pixels, source, 0, 0, picture->size().cx, picture->size().cy, blend);
            SelectObject(source, oldSource);
            DeleteDC(source);
        }
        SelectObject(dc, old);
        ImageList_Add(list, square, nullptr);
        DeleteObject(square);
    }
    DeleteDC(dc);
    return list;
}

} // namespace vx::win32gui
