// Removal of the shell links the setup made.
#pragma once

#include <string>

#include "removal_report.h"

// The link's target as stored in the link file, read through the shell's
// link object; empty when the file is no link.
std::wstring ReadLinkTarget(const std::wstring& linkPath);

// The Start-menu group "Pixolum" and the two desktop links, for the current
// user and for all users, each only where its target lies in installFolder
// (ending in a backslash). A group folder that is then empty goes too.
void RemoveLinks(const std::wstring& installFolder, RemovalReport& report);
