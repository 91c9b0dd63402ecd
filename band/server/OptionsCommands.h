#pragma once
// What the options menu's items do when they reach the tree pane as
// WM_COMMAND. Only the low 16 bits of a command id count.
#include <windows.h>
#include <string>

class StyleSheetList;

bool IsStyleSheetCommand(UINT id);  // 11000-11100
bool IsIntervalCommand(UINT id);    // 11200-11260

// Stores "CSS" = id - 11000 (whether or not a sheet has that id) and copies
// the first listed sheet of that id from moduleDirectory over "rss.css" in
// the temporary folder. Returns true when a sheet of that id is listed, even
// if the copy failed: the pane then makes its selected item the pending-open
// item and shows the page again (mode -1, with refresh) so that a channel
// page on show picks up the sheet. False for ids outside the range.
bool ChooseStyleSheet(UINT id, const StyleSheetList& sheets, const std::string& moduleDirectory);

// Stores "UpdateInterval" = id - 11200 minutes; the engine reads it itself.
void ChooseUpdateInterval(UINT id);

// The command that re-applies the stored sheet at pane creation:
// 11000 + "CSS", the first sheet's for a value beyond 100.
WORD StoredStyleSheetCommand();

// "rss.css" in the temporary folder; empty when that path cannot be built.
std::string ActiveStyleSheetPath();
