// The command line that opens a link through the web-page handler.
#pragma once

#include <cstddef>

// Turns the ".htm" handler's open command into one that opens target: the
// command is cut where its "%1" placeholder begins (quoted or not), then a
// blank and the unquoted target follow. False, command untouched, when the
// result does not fit commandChars characters with the terminator.
bool BuildHandlerCommand(const wchar_t* handlerCommand, const wchar_t* target, wchar_t* command,
                         size_t commandChars);
