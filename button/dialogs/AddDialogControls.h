#pragma once
#include <windows.h>

#include <string>

#include "common/FontHandle.h"

// Pieces that the add dialogs share: texts, the bold header, the reader
// choice and the title rule.

// Longest title the add-this-feed and custom-add dialogs accept.
constexpr size_t kMaxTitleLength = 30;

// A string-table text of the module.
std::wstring LoadText(UINT id);
// The text of a control, cut to 259 characters.
std::wstring ControlText(HWND dialog, int id);
// Puts string-table text id into a control; 0 empties it.
void ShowText(HWND dialog, int control, UINT id);
// A control that is disabled while it has the focus hands it to the next.
void EnableControl(HWND dialog, int id, bool enable);

// Gives header 1024 the dialog's font at weight 700; font keeps it alive.
void ApplyBoldHeader(HWND dialog, FontHandle& font);
// Check box 1023 when logged in to the web reader, otherwise hint 1007 in
// its place.
void ShowReaderChoice(HWND dialog, bool loggedIn, bool ticked);
// The user asks for the reader subscription: the check box is shown and
// ticked.
bool ReaderChoiceTicked(HWND dialog);
