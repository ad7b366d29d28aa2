// Resource ids of the setup program.
#pragma once

// String table
#define IDS_CANCEL_LABEL        1
#define IDS_FINISH_LABEL        2
#define IDS_LEAVE_QUESTION      3
#define IDS_INVALID_TARGET      5
#define IDS_TARGET_LABEL        6
#define IDS_INSTALL_FAILED      7
#define IDS_BROWSE_TITLE        8
#define IDS_ASSOC_QUESTION      9
#define IDS_VIEWER_RUNNING      10
#define IDS_CANNOT_CREATE       11

#define IDI_SETUP               111
#define IDB_LOGO                113
#define IDR_PAYLOAD             1974
#define IDR_RELEASE_NOTES       217
