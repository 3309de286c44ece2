// Identifiers of the resource script, shared by the resource script and the code.
#pragma once

// Controls that the code never addresses.
#ifndef IDC_STATIC
#define IDC_STATIC          (-1)
#endif

// Bitmap, dialog templates.
#define IDB_SIDE_PICTURE    101
#define IDD_SETUP           103
#define IDD_AGREEMENT       104
#define IDD_INTO            105
#define IDD_FOLDER          106
#define IDD_GROUP           107
#define IDD_START           108

// Controls of the frame (103).
#define IDC_BACK            3
#define IDC_SIDE_PICTURE    1002

// Controls of the pages.
#define IDC_AGREEMENT_TEXT  1000   // 104
#define IDC_VERSION_LINE    1003   // 105
#define IDC_TYPE_CURRENT    1001   // 106
#define IDC_TYPE_ALLUSERS   1002
#define IDC_TYPE_PORTABLE   1003
#define IDC_BROWSE          1005
#define IDC_FOLDER_HINT     1006
#define IDC_DESTINATION     1013
#define IDC_GROUP_NAME      1000   // 107
#define IDC_AUTOSTART       1008
#define IDC_DESKTOP_ICON    1009
#define IDC_READY_LINE      1010   // 108
#define IDC_READY_HINT      1011
#define IDC_INSTALLING      1009
#define IDC_RUN_OR_RESTART  1012

// String table.
#define IDS_PRODUCT_NAME            1     // "Glintora 7"
#define IDS_STARTUP_CAPTION         2     // "Glintora - Installation"
#define IDS_SHORT_NAME              3     // "Glintora"
#define IDS_CLOSE_MANY              4
#define IDS_CONFIRM_UNINSTALL       6
#define IDS_AGREEMENT_CAPTION       7
#define IDS_FINISH_BUTTON           8
#define IDS_FINISHED_LINE           9
#define IDS_FINISHED_HINT           10
#define IDS_CONFIRM_CANCEL          11
#define IDS_BROWSE_TITLE            12
#define IDS_BAD_FOLDER_NAME         13
#define IDS_OLDER_VERSION_FOLDER    14
#define IDS_INSTALL_INTERRUPTED     15
#define IDS_OLDER_PAYLOAD           16
#define IDS_SAME_VERSION            17
#define IDS_DAMAGED_PAYLOAD         18
#define IDS_FOLDER_HAS_PRODUCT      19
#define IDS_UNINSTALLED             20
#define IDS_YES                     21
#define IDS_NO                      22
#define IDS_GROUP_TOO_SHORT         23
#define IDS_GROUP_IS_STARTUP        24
#define IDS_PORTABLE_HINT           26
#define IDS_PORTABLE_NO_FOLDER      27
#define IDS_PORTABLE_STARTER        28
#define IDS_RESTART_HINT            30
#define IDS_RESTART_CHECK           31
#define IDS_CLOSE_ONE               33
#define IDS_HELP_NAME               101   // "Aide d'Glintora 7"
#define IDS_APP_TITLE               57344 // "Glintora - Installation"
