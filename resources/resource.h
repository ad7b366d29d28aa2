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
#define IDS_ANOTHER_RUN         12
#define IDS_HELP_TEXT           13
#define IDS_DOWNGRADE_REFUSED   14
#define IDS_DOWNGRADE_QUESTION  15
#define IDS_INSTALLED_SUMMARY   16

#define IDI_SETUP               111
#define IDB_LOGO                113
#define IDR_PAYLOAD             1974
#define IDR_RELEASE_NOTES       217

// ---- Wizard pages: dialog templates and their controls (wizard area) ----
#define IDD_WELCOME             101
#define IDD_ASSOCIATIONS        104
#define IDD_WHATSNEW            108
#define IDD_READY               109
#define IDD_FINISHED            110

// Welcome page (101)
#define IDC_TARGET_FOLDER       1000
#define IDC_BROWSE              1009
#define IDC_DESKTOP_LINK        1011
#define IDC_STARTMENU_GROUP     1012
#define IDC_WELCOME_HEADING     1013
#define IDC_CURRENT_USER        1016
#define IDC_ALL_USERS           1017
#define IDC_NO_SHORTCUTS        1019
#define IDC_THUMBS_LINK         1021
#define IDC_EULA_LINK           1045
#define IDC_WELCOME_TEXT        1056

// What's-new page (108)
#define IDC_RELEASE_NOTES       1000

// Association page (104)
#define IDC_ASSOC_ALL_USERS     1037
#define IDC_CHECK_ALL           1080
#define IDC_CHECK_NONE          1081
#define IDC_PICTURES_ONLY       1091
#define IDC_FORMAT_LIST         1579
#define IDC_WRITE_ASSOCIATIONS  3311

// Ready page (109)
#define IDC_READY_FOLDER        1010
#define IDC_READY_HEADING       1014
#define IDC_INI_PROGRAM_FOLDER  1038
#define IDC_INI_APPDATA         1039
#define IDC_STATUS_TEXT         1044
#define IDC_INSTALL_PROGRESS    1046

// Finish page (110)
#define IDC_FINISHED_HEADING    1015
#define IDC_START_VIEWER        1020
#define IDC_OPEN_FAQ            1022
// ---- end of the wizard pages' block ----
