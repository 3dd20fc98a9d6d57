// Resource numbers of config.exe. Dialog templates, the code and the tests
// share them; the numbers are part of what other tools see, so they never
// change.
#pragma once

// Icons. A button's hot icon is drawn in colour, its normal icon is the
// same picture in black and grey.
#define IDI_CONFIG_PROGRAM 128
#define IDI_GLOBE_PAGE_GREY 131
#define IDI_CHECK_GREY 132
#define IDI_DASHES 133
#define IDI_DASHES_GREY 134
#define IDI_FOLDER_PAGE 135
#define IDI_FOLDER_PAGE_GREY 136
#define IDI_TURN_ARROWS 137
#define IDI_TURN_ARROWS_GREY 138
#define IDI_DOOR 139
#define IDI_DOOR_GREY 140
#define IDI_LETTER 141
#define IDI_LETTER_GREY 142
#define IDI_ARROW_DOWN 155
#define IDI_ARROW_DOWN_GREY 156
#define IDI_ARROW_UP 157
#define IDI_ARROW_UP_GREY 158
#define IDI_FOLDER_OPEN 159
#define IDI_FOLDER_OPEN_GREY 160
#define IDI_CROSS 161
#define IDI_CROSS_GREY 162
#define IDI_DISKETTE 163
#define IDI_DISKETTE_GREY 164
#define IDI_GLOBE_PAGE 165
#define IDI_CHECK 166
#define IDI_PRODUCT 168
#define IDI_LETTERS_GREY 172
#define IDI_LETTERS 173
#define IDI_GRID_GREY 174
#define IDI_GRID 175
#define IDI_CONTACT 176
#define IDI_BATCH_PAGES 178

// Dialogs.
#define IDD_ABOUT 100
#define IDD_CONFIG 102
#define IDD_RENAME_MENU 130
#define IDD_OPTIONS 129
#define IDD_CHOOSE_ICON 179

// Menus.
#define IDM_ITEM_MENU 168
#define IDM_REMOVE_ITEMS 32774
#define IDM_CHANGE_ICON 32776
#define IDM_DEFAULT_ICON 32777
#define IDM_SEND_TO_PLACEHOLDER 32778

// About dialog.
#define IDC_HISTORY 139
#define IDC_WEBSITE 140
#define IDC_FEEDBACK 141

// Main dialog.
#define IDC_CHANGE 103
#define IDC_BROWSE_PROGRAM 104
#define IDC_BROWSE_FOLDER 105
#define IDC_LOCATION 106
#define IDC_DESCRIPTION 107
#define IDC_ADD_ITEM 108
#define IDC_REMOVE_ITEM 109
#define IDC_ITEM_UP 110
#define IDC_ITEM_DOWN 111
#define IDC_SEPARATOR 112
#define IDC_PARAMETERS 113
#define IDC_OPEN_MIN 114
#define IDC_OPEN_NORMAL 115
#define IDC_OPEN_MAX 116
#define IDC_OPEN_HIDDEN 117
#define IDC_LOCATION_LABEL 118
#define IDC_DESCRIPTION_LABEL 119
#define IDC_ITEM_GROUP 120
#define IDC_ADD_MENU 121
#define IDC_REMOVE_MENU 122
#define IDC_RENAME_MENU 123
#define IDC_EXPAND 124
#define IDC_BROWSE_BATCH 125
#define IDC_ADD_BATCH 126
#define IDC_ITEM_LIST 127
#define IDC_MENU_LIST 128
#define IDC_MENU_UP 129
#define IDC_MENU_DOWN 130
#define IDC_ALWAYS_ON_TOP 1001
#define IDC_FOLD_LINE 1003
#define IDC_BATCH_LIST 1004
#define IDC_BATCH_ENTRY 1005
#define IDC_ADD_DIRECTORY 1010
#define IDC_EXPAND_FOLDER 1011

// Rename dialog.
#define IDC_NEW_NAME 124

// Options dialog.
#define IDC_TRAY_PREVIEW 130
#define IDC_MOUSE_OVER 131
#define IDC_LEFT_CLICK 132
#define IDC_RIGHT_CLICK 133
#define IDC_SHOW_TOOLTIPS 135
#define IDC_BOTH_CLICKS 136
#define IDC_START_WITH_WINDOWS 137
#define IDC_SHOW_RUN 139
#define IDC_CONTEXT_MENU 140
#define IDC_SHOW_EMAIL 141
#define IDC_CHOOSE_FONT 1006
#define IDC_PICK_ICON 1007
#define IDC_DEFAULT_ICON 1008
#define IDC_DEFAULT_FONT 1009
#define IDC_PAUSE 1013
#define IDC_PAUSE_SPIN 1014
#define IDC_HOTKEY 1019
#define IDC_THEME_SYSTEM 1020
#define IDC_THEME_LIGHT 1021
#define IDC_THEME_DARK 1022

// Choose-icon dialog.
#define IDC_ICON_LIST 1016
#define IDC_ICON_BROWSE 1017
#define IDC_ICON_FILE 1018

// Strings.
#define IDS_APP_TITLE 57344
