// Resource ids of the viewer stand-in; its texts are shared with the
// language library Languages/Deutsch.dll.
#pragma once

// Icon groups 101 to 114 come from the generated viewer_icons.rc; the
// shell's icon index is the id minus 101.
#define IDI_VIEWER          101

#define IDR_MAIN_MENU       200
#define IDR_ACCELERATORS    201

#define IDM_OPEN            300
#define IDM_THUMBNAILS      301
#define IDM_EXIT            302
#define IDM_HELP            303
#define IDM_ABOUT           304
#define IDM_ESCAPE          305
#define IDM_OPEN_SELECTED   306

#define IDC_PICTURE_LIST    400

#define IDS_APP_NAME        1
#define IDS_CANNOT_SHOW     2
#define IDS_NO_PICTURE      3
#define IDS_THUMBNAILS      4
#define IDS_NO_PICTURES     5
#define IDS_OPEN_TITLE      6
#define IDS_FILTER_PICTURES 7
#define IDS_FILTER_ALL      8
#define IDS_ABOUT_TITLE     9
#define IDS_ABOUT_TEXT      10
#define IDS_HELP_MISSING    11
