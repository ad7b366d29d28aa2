#include "picture.h"

#include "com_ptr.h"
#include "viewer_logic.h"

#include <ocidl.h>
#include <olectl.h>

#include <algorithm>

namespace pixo {
namespace {

// Larger files are refused rather than read whole into memory.
constexpr DWORD kMaxPictureBytes = 256u * 1024 * 1024;
// A decoded picture larger than this (in pixels) is refused.
constexpr long long kMaxPixels = 100LL * 1000 * 1000;
constexpr int kMaxSide = 30000;

// The screen's DC for one scope (GetDC/ReleaseDC).
class ScreenDc {
public:
    ScreenDc() : m_dc(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (m_dc) ReleaseDC(nullptr, m_dc);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

bool HasExtension(const std::wstring& path, const wchar_t* ext) {
    size_t n = wcslen(ext);
    return path.size() > n && _wcsicmp(path.c_str() + path.size() - n, ext) == 0;
}

LoadedPicture LoadBitmapFile(const std::wstring& path) {
    LoadedPicture picture;
    picture.bitmap.Reset(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                    LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    BITMAP info = {};
    if (!picture.bitmap || !GetObjectW(picture.bitmap.Get(), sizeof info, &info)) {
        return LoadedPicture();
    }
    picture.size = {info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
    return picture;
}

// The whole file in movable global memory, as OleLoadPicture's stream needs it.
GlobalMemory ReadWholeFile(const std::wstring& path, DWORD* bytes) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GlobalMemory();
    DWORD high = 0;
    DWORD size = GetFileSize(file.Get(), &high);
    if (size == INVALID_FILE_SIZE || high != 0 || size == 0 || size > kMaxPictureBytes) {
        return GlobalMemory();
    }
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory) return GlobalMemory();
    void* data = GlobalLock(memory.Get());
    if (!data) return GlobalMemory();
    DWORD read = 0;
    BOOL ok = ReadFile(file.Get(), data, size, &read, nullptr);
    GlobalUnlock(memory.Get());
    if (!ok || read != size) return GlobalMemory();
    *bytes = size;
    return memory;
}

LoadedPicture LoadOlePicture(const std::wstring& path) {
    DWORD bytes = 0;
    GlobalMemory memory = ReadWholeFile(path, &bytes);
    if (!memory) return LoadedPicture();
    ComRef<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(memory.Get(), TRUE, stream.Put()))) return LoadedPicture();
    memory.Release();  // the stream frees it now
    ComRef<IPicture> ole;
    if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(bytes), FALSE, IID_IPicture,
                              reinterpret_cast<void**>(ole.Put())))) {
        return LoadedPicture();
    }
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    if (FAILED(ole->get_Width(&hmWidth)) || FAILED(ole->get_Height(&hmHeight))) {
        return LoadedPicture();
    }
    ScreenDc screen;
    if (!screen.Get()) return LoadedPicture();
    // HIMETRIC is 1/100 mm: 2540 units to the inch.
    int width = MulDiv(hmWidth, GetDeviceCaps(screen.Get(), LOGPIXELSX), 2540);
    int height = MulDiv(hmHeight, GetDeviceCaps(screen.Get(), LOGPIXELSY), 2540);
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        static_cast<long long>(width) * height > kMaxPixels) {
        return LoadedPicture();
    }

    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    LoadedPicture picture;
    picture.bitmap.Reset(CreateDIBSection(screen.Get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDc dc(CreateCompatibleDC(screen.Get()));
    if (!picture.bitmap || !dc) return LoadedPicture();
    {
        SelectedObject selected(dc.Get(), picture.bitmap.Get());
        PatBlt(dc.Get(), 0, 0, width, height, WHITENESS);
        // IPicture draws bottom-up in HIMETRIC: start at the bottom edge.
        if (FAILED(ole->Render(dc.Get(), 0, 0, width, height, 0, hmHeight, hmWidth, -hmHeight,
                               nullptr))) {
            return LoadedPicture();
        }
    }
    picture.size = {width, height};
    return picture;
}

}  // namespace

LoadedPicture LoadPictureFile(const std::wstring& path) {
    if (HasExtension(path, L".bmp") || HasExtension(path, L".dib")) {
        LoadedPicture picture = LoadBitmapFile(path);
        if (picture.bitmap) return picture;
    }
    return LoadOlePicture(path);
}

std::vector<std::wstring> ListPictureFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    std::wstring pattern = folder;
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found = {};
    FindHandle find(FindFirstFileW(pattern.c_str(), &found));
    if (!find) return names;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (IsPictureFileName(found.cFileName)) names.push_back(found.cFileName);
    } while (FindNextFileW(find.Get(), &found));
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return _wcsicmp(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

}  // namespace pixo
