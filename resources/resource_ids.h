// Resource numbers shared by the resource scripts and the code that loads
// them. Other programs may load these by number, so they never change.
#pragma once

#define IDI_TRAY 101
#define IDI_SUBMENU 102
#define IDI_EMAIL 104
#define IDI_BATCH 105
#define IDI_RUN 106
#define IDI_BANNER 107
#define IDI_TRAY_LIGHT 108
