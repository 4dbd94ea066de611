// Resource identifiers of KH_Schoner.scr. Shared by the resource scripts and the code;
// the numbers are fixed because stored templates, the string table and the display
// settings refer to them.
#pragma once

// String table
#define IDS_SAVER_NAME        1     // the name the display settings show
#define IDS_SETTINGS_FILE     1001  // "control.ini"
#define IDS_SETTINGS_SECTION  1010  // "Screen Saver.KH_Schoner"
#define IDS_TERMS_FIRST       1011  // terms of use, first half (at most 499 characters)
#define IDS_TERMS_SECOND      1012  // terms of use, second half (at most 399 characters)

// Bitmaps
#define IDB_LOGO              117   // 61 x 30, 4 bit, RLE4: the flat club monogram
#define IDB_BEAR              118   // 39 x 50, 4 bit: teddy bear on yellow
#define IDB_BANNER            119   // 250 x 19, 4 bit, RLE4: the club's name
#define IDB_WORLD_MAP         174   // 256 x 128, 24 bit: texture of the globe
#define IDB_BEAR_TEXTURE      182   // 128 x 128, 24 bit: texture of the bottle labels

// Icon and cursor groups
#define IDI_SAVER             114
#define IDR_LINK_CURSOR       183

// Dialogs
#define IDD_FONT_CHOOSER      163
#define IDD_ABOUT             2003
#define IDD_CONFIG            2004

// About dialog controls
#define IDC_CLOSE             1019
#define IDC_CONFIGURE         1042
#define IDC_BANNER            1050
#define IDC_BEAR_PICTURE      1051
#define IDC_LOGO_PICTURE      1052
#define IDC_ADDRESS           1053
#define IDC_RIGHTS            1054
#define IDC_PRODUCT           1055
#define IDC_WEB_LINK          1086
#define IDC_MAIL_LINK         1087

// Configuration dialog controls
#define IDC_SPEED             1040
#define IDC_SPEED_GROUP       1041
#define IDC_KIND_LOGO         1048
#define IDC_KIND_BEAR         1049
#define IDC_NUMBER            1063
#define IDC_NUMBER_ARROWS     1064
#define IDC_KIND_SENTENCE     1065
#define IDC_WORD              1066
#define IDC_KIND_GROUP        1067
#define IDC_CHOOSE_FONT       1070
#define IDC_KIND_SATELLITE    1084
#define IDC_ALL_MONITORS      1085
