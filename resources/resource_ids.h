// Resource and control ids, shared by the resource script and the code.
// Plain #defines only: windres reads this file too.
#pragma once

#define IDD_MENU 101
#define IDD_BACKDROP 105
#define IDC_CURSOR_NORMAL 104
#define IDC_CURSOR_HOVER 118
#define IDI_SETUPMENU 106

// Images inside the cursor groups.
#define IDC_CURSOR_NORMAL_IMAGE 3
#define IDC_CURSOR_HOVER_IMAGE 4

// Images inside the icon group: 16 by 16 and 32 by 32.
#define IDI_SETUPMENU_IMAGE16 1
#define IDI_SETUPMENU_IMAGE32 2

// Menu dialog (101). Pairs: button 1 1007/1011, button 2 1008/1012,
// button 3 1009/1010, Cancel 1014/1013.
#define IDC_MAIN_IMAGE 1006
#define IDC_BUTTON1_TEXT 1007
#define IDC_BUTTON2_TEXT 1008
#define IDC_BUTTON3_TEXT 1009
#define IDC_BUTTON3_TEXT_SEL 1010
#define IDC_BUTTON1_TEXT_SEL 1011
#define IDC_BUTTON2_TEXT_SEL 1012
#define IDC_CANCEL_TEXT_SEL 1013
#define IDC_CANCEL_TEXT 1014

// Backdrop (105): the splash picture shares its id with button 3's control.
#define IDC_SPLASH_IMAGE 1009
