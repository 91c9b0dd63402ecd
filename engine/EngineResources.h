#pragma once
// Resource ids of Feed.dll's dialogs; tests find the dialogs by caption and
// fill the controls by these ids.
#define IDD_ADD_CHANNEL 101
#define IDD_PROPERTIES 102

#define IDC_ADDRESS 1001
#define IDC_TITLE 1002
#define IDC_IMPORT 1003

#ifndef RC_INVOKED
// Captions of the dialogs, by which tests find them.
const wchar_t kAddChannelCaption[] = L"添加频道";
const wchar_t kPropertiesCaption[] = L"属性";
#endif
