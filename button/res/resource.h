#pragma once

// Icons. 100 marks subscriptions in the manage list; 107 is the dialogs'
// picture and the host's; the others are loaded by the button.
#define IDI_SUBSCRIPTION 100
#define IDI_ITEM_UNREAD 105
#define IDI_ITEM_READ 106
#define IDI_PLUGIN 107
#define IDI_BUTTON_NO_FEED 108
#define IDI_BUTTON_FEED 109
#define IDI_FEED_SUBMENU 110
#define IDI_WEB_READER 113

// The button menu: one popup whose only item is a placeholder that the
// button removes before it fills the popup.
#define IDR_BUTTON_MENU 101
#define IDM_PLACEHOLDER 40001

// Strings.
#define IDS_SUBSCRIBE 1
#define IDS_BUTTON_TIP 2
#define IDS_BUTTON_DESCRIPTION 3
#define IDS_FEED_UNAVAILABLE 4
#define IDS_NO_ADDRESS 5
#define IDS_TITLE_TOO_LONG 7
#define IDS_LOADING_TITLE 8
#define IDS_MENU_ADD_THIS_FEED 9
#define IDS_MENU_CUSTOM_ADD 10
#define IDS_MENU_MANAGE 11
#define IDS_MENU_REFRESH_ALL 12
#define IDS_MENU_REFRESH 13
#define IDS_MENU_OPEN_SITE 14
#define IDS_CONFIRM_REMOVE 15
#define IDS_VERIFYING 16
#define IDS_FEED_VIEW_MARKUP 17
#define IDS_FEED_VIEW_ANCHOR 18
#define IDS_FEED_PROPERTIES_ANCHOR 19
#define IDS_EDIT_LINK 20
#define IDS_ADDED 21
#define IDS_ADD_FAILED 22
#define IDS_PARSE_FAILED 23
#define IDS_TOOLBAR_CAPTION 24
#define IDS_UNTITLED 25
#define IDS_MENU_WEB_READER 26
#define IDS_MENU_WEB_READER_LOGIN 27
#define IDS_SYNCING_TO_READER 28
#define IDS_FEED_PROPERTIES_MARKUP 29
#define IDS_MENU_REFRESHING 30
// Subscription lists exchanged as OPML.
#define IDS_OPML_TITLE 31
#define IDS_OPML_FILTER 32
#define IDS_OPML_FILE_NAME 33
#define IDS_IMPORTED 34
#define IDS_IMPORT_UNREADABLE 35
#define IDS_IMPORT_TOO_LARGE 36
#define IDS_IMPORT_TOO_DEEP 37
#define IDS_IMPORT_ENTITIES 38
#define IDS_IMPORT_MALFORMED 39
#define IDS_IMPORT_FAILED 40
#define IDS_EXPORTED 41
#define IDS_EXPORT_FAILED 42

// Dialogs.
#define IDD_CUSTOM_ADD 102
#define IDD_ADD_FEED 103
#define IDD_EDIT_FEED 104
#define IDD_MANAGE_FEEDS 105
#define IDD_ADD_FEEDS 106

// Dialog controls.
#define IDC_ADDRESS 1000
#define IDC_TITLE 1001
#define IDC_ADD 1002
#define IDC_VERIFY 1003
#define IDC_ADD_FEED 1005
#define IDC_READER_HINT 1007
#define IDC_FEED_ADDRESS 1010
#define IDC_FEED_TITLE 1011
#define IDC_VERIFY_STATUS 1013
#define IDC_STATUS 1014
#define IDC_PICTURE 1020
#define IDC_READER_CHECK 1023
#define IDC_HEADER 1024
// The manage dialog's "添加" keeps the id 3 of its template.
#define IDC_MANAGE_ADD 3
#define IDC_EDIT_OK 1006
#define IDC_REMOVE 1008
#define IDC_MANAGE_LIST 1009
#define IDC_FEEDS_LIST 1012
#define IDC_ADD_FEEDS 1015
// 1016 is the address in the edit dialog and the status in the add-several one.
#define IDC_EDIT_ADDRESS 1016
#define IDC_FEEDS_STATUS 1016
#define IDC_EDIT_TITLE 1017
#define IDC_EDIT_STATUS 1018
#define IDC_FEEDS_CANCEL 1025
#define IDC_IMPORT 1026
#define IDC_EXPORT 1027
