#include "link_command.h"

#include <cwchar>
#include <string>

bool BuildHandlerCommand(const wchar_t* handlerCommand, const wchar_t* target, wchar_t* command,
                         size_t commandChars) {
    if (!handlerCommand || !target || !command || commandChars == 0) return false;
    std::wstring result(handlerCommand);
    size_t placeholder = result.find(L"\"%1\"");
    if (placeholder == std::wstring::npos) placeholder = result.find(L"%1");
    if (placeholder != std::wstring::npos) result.erase(placeholder);
    result += L' ';
    result += target;
    if (result.size() >= commandChars) return false;
    wmemcpy(command, result.c_str(), result.size() + 1);
    return true;
}
