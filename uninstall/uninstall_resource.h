// Resource ids of the uninstaller.
#pragma once

// RCDATA: the archive's entry names, one a line, as the build listed them.
#define IDR_PAYLOAD_ENTRIES 2001
