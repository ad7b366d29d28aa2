// Removal of the shell links the setup made.
#pragma once

#include <string>
#include <vector>

#include "transaction.h"

#include "removal_report.h"

// The link's target as stored in the link file, read through the shell's
// link object; empty when the file is no link.
std::wstring ReadLinkTarget(const std::wstring& linkPath);

// The Start-menu group "Pixolum" and the two desktop links, for the current
// user and for all users, each only where its target lies in installFolder
// (ending in a backslash), and the group's links the install record names
// (another version's among them). A group folder that is then empty goes
// too. Every removal goes through the transaction.
void RemoveLinks(const std::wstring& installFolder, const std::vector<std::wstring>& recordedLinks,
                 Transaction& transaction, RemovalReport& report);
