// Resource numbers shared by icon_button_test.rc and its test.
#pragma once

#define IDI_TEST_HOT 101
#define IDI_TEST_NORMAL 102

#define IDD_BUTTON_TEST 200
#define IDC_ADD 201
#define IDC_ICON_ONLY 202
#define IDC_DISABLED 203
