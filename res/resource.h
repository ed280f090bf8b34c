// Resource ids shared by the program's code and res/Zentrobe.rc.
#ifndef ZENTROBE_RES_RESOURCE_H
#define ZENTROBE_RES_RESOURCE_H

// Dialogs and the icon.
#define IDD_MAIN 101
#define IDD_SETTINGS 103
#define IDI_MAIN 104

// Strings.
#define IDS_BROWSE_WHITE_TITLE 105
#define IDS_BROWSE_BLACK_TITLE 106
#define IDS_STATE_IN_USE 107
#define IDS_TYPE_SATELLITE 108
#define IDS_TYPE_TERRESTRIAL 109
#define IDS_TYPE_UNKNOWN 110
#define IDS_COLUMN_ID 111
#define IDS_COLUMN_TYPE 112
#define IDS_COLUMN_DEVICE 113
#define IDS_APP_TITLE 114
#define IDS_COLUMN_STATE 115

// Main window controls.
#define IDC_DEVICE_LIST 1001
#define IDC_LAUNCH 1002
#define IDC_OPEN_SETTINGS 1003
#define IDC_REFRESH 1004

// Settings dialog controls. 1003 and 1004 are reused on purpose: the two
// dialogs never share a window, so the ids cannot clash.
#define IDC_WHITE_PATH 1003
#define IDC_BLACK_PATH 1004
#define IDC_WHITE_BROWSE 1005
#define IDC_BLACK_BROWSE 1006
#define IDC_WHITE_PARAM 1007
#define IDC_BLACK_PARAM 1008

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
