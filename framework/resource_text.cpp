#include "resource_text.h"

#include <vector>

std::wstring LoadResourceText(HINSTANCE instance, UINT id, int maxChars) {
    if (maxChars <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(maxChars), L'\0');
    const int length = LoadStringW(instance, id, buffer.data(), maxChars);
    return std::wstring(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0);
}
