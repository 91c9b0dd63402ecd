#pragma once
// Resource ids of Feed.dll's dialogs; tests find the dialogs by caption and
// fill the controls by these ids.
#define IDD_ADD_CHANNEL 101
#define IDD_PROPERTIES 102

#define IDC_ADDRESS 1001
#define IDC_TITLE 1002
#define IDC_IMPORT 1003
