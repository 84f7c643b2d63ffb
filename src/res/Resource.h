// Resource ids of the program: the main dialog, its controls, the icon.
#pragma once

#define IDD_EXPORT_DIALOG 102
#define IDR_MAINFRAME 128

#define IDC_STATIC (-1)
#define IDC_CB_SEP 1002
#define IDC_EDIT_USERSEP 1003
#define IDC_CHK_QUOTE 1004
#define IDC_CHK_HEADER 1005
#define IDC_BTN_TABLES 1006
#define IDC_CB_TABLE 1007
#define IDC_LIST_PREVIEW 1008
#define IDC_CHK_USESQL 1009
#define IDC_EDIT_SQL 1010
#define IDC_EDIT_TXTFILE 1011
#define IDC_BTN_EXPORT 1012
#define IDC_EDIT_FIELDS 1013
#define IDC_BTN_PREVIEW 1014
#define IDC_BTN_START 1015
#define IDC_BTN_ABOUT 1016
#define IDC_EDIT_MDBFILE 1017
#define IDC_BTN_IMPORT 1018
#define IDC_STATIC_STATUS 1019
