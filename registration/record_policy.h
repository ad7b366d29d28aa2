// What an install record or journal may name: the product's own registry
// keys, files below the install folder, links below the Start-menu and
// desktop folders, and the settings files. A record from a folder that
// users can write is replayed only through this filter.
#pragma once

#include <string>

#include "transaction.h"

bool IsProductEntry(const RecordEntry& entry, const std::wstring& installFolder);
