#include "viewer_logic.h"


namespace pixo {
namespace {

// The picture rows of the setup's format catalogue: what the viewer lists.
constexpr const wchar_t* kPictureExtensions[] = {
    L"ani", L"b3d", L"bmp", L"dib", L"clp", L"crw", L"cr2", L"cr3", L"cur", L"dcm", L"acr",
    L"ima", L"dcx", L"dds", L"djvu", L"iw44", L"dxf", L"ecw", L"emf", L"eps", L"ps", L"exr",
    L"g3", L"gif", L"hdp", L"jxr", L"wdp", L"heic", L"ico", L"iff", L"lbm", L"jls", L"jp2",
    L"jpc", L"j2k", L"jpg", L"jpeg", L"jfif", L"jpe", L"jpm", L"jxl", L"mng", L"jng", L"pbm",
    L"pcd", L"pcx", L"pgm", L"png", L"ppm", L"psd", L"psp", L"qoi", L"ras", L"sun", L"raw",
    L"rle", L"sff", L"sgi", L"rgb", L"sid", L"tga", L"tif", L"tiff", L"wbmp", L"webp", L"wmf",
    L"xbm", L"xpm"};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

wchar_t LowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return i == a.size() && !b[i];
}

size_t LastSeparator(const std::wstring& path) { return path.find_last_of(L"\\/"); }

}  // namespace

std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine) {
    std::vector<std::wstring> words;
    if (!commandLine) return words;
    const wchar_t* p = commandLine;
    while (*p) {
        while (IsBlank(*p)) ++p;
        if (!*p) break;
        std::wstring word;
        bool quoted = false;
        for (; *p && (quoted || !IsBlank(*p)); ++p) {
            if (*p == L'"') {
                quoted = !quoted;
            } else {
                word += *p;
            }
        }
        words.push_back(word);
    }
    return words;
}

ViewerArgs ParseViewerArgs(const std::vector<std::wstring>& words) {
    ViewerArgs args;
    for (const std::wstring& word : words) {
        if (!word.empty() && word[0] == L'/') {
            if (EqualsNoCase(word, L"/thumbs")) args.thumbnails = true;
            continue;
        }
        if (word.empty()) continue;
        if (!args.path.empty()) args.path += L' ';
        args.path += word;
    }
    return args;
}

bool IsPictureFileName(const std::wstring& name) {
    size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos) return false;
    size_t sep = LastSeparator(name);
    if (sep != std::wstring::npos && sep > dot) return false;
    std::wstring ext = name.substr(dot + 1);
    for (const wchar_t* known : kPictureExtensions) {
        if (EqualsNoCase(ext, known)) return true;
    }
    return false;
}

std::wstring FileNamePart(const std::wstring& path) {
    size_t sep = LastSeparator(path);
    return sep == std::wstring::npos ? path : path.substr(sep + 1);
}

std::wstring FolderPart(const std::wstring& path) {
    size_t sep = LastSeparator(path);
    return sep == std::wstring::npos ? std::wstring() : path.substr(0, sep + 1);
}

RECT FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
    RECT r = {0, 0, 0, 0};
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) return r;
    long long w = pictureWidth, h = pictureHeight;
    if (w > areaWidth || h > areaHeight) {
        // Compare the two ratios without rounding: the narrower side decides.
        if (w * areaHeight >= h * areaWidth) {
            h = h * areaWidth / w;
            w = areaWidth;
        } else {
            w = w * areaHeight / h;
            h = areaHeight;
        }
        if (w < 1) w = 1;
        if (h < 1) h = 1;
    }
    r.left = static_cast<LONG>((areaWidth - w) / 2);
    r.top = static_cast<LONG>((areaHeight - h) / 2);
    r.right = r.left + static_cast<LONG>(w);
    r.bottom = r.top + static_cast<LONG>(h);
    return r;
}

}  // namespace pixo
