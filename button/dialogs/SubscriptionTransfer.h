#pragma once
#include <windows.h>

class DialogOwner;

// The manage dialog's "导入…" and "导出…": the system's open and save
// dialogs for an OPML list, the import or export itself, and a message box
// that tells the user how it went.

// True when subscriptions were added; their first fetch has then been started
// in the background.
bool ImportSubscriptionsFromFile(HWND owner, DialogOwner& button);

void ExportSubscriptionsToFile(HWND owner, DialogOwner& button);
