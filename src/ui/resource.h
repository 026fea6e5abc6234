// Resource and control ids of the program; included by the .rc file too.
#pragma once

#define IDI_VEXLO 128
#define IDD_MAIN 129
#define IDD_RESULT 202
#define IDB_LOGO 210

// Main dialog.
#define IDC_START_STOP 1008
#define IDC_LINK_FORUM_BOARD 1009
#define IDC_LINK_HOME 1011
#define IDC_LINK_FORUM_START 1012
#define IDC_STATUS 1017

// Result dialog.
#define IDC_LINK_LOG 1005
#define IDC_RESULT_SENTENCE 1019
#define IDC_RESULT_QUESTION 1022
