#include "dialogs/SubscriptionTransfer.h"

#include <commdlg.h>

#include <string>

#include "dialogs/DialogOwner.h"
#include "dialogs/AddDialogControls.h"
#include "feeds/SubscriptionExport.h"
#include "feeds/SubscriptionImport.h"
#include "res/resource.h"

namespace {

// The filter of the file dialogs: the string table separates with '|'.
std::wstring OpmlFilter() {
    std::wstring filter = LoadText(IDS_OPML_FILTER);
    for (wchar_t& ch : filter) {
        if (ch == L'|') ch = L'\0';
    }
    return filter + L'\0';
}

// The file the user chose, or "" when the dialog was cancelled. The browser's
// current folder stays as it was.
std::wstring ChooseFile(HWND owner, bool save) {
    wchar_t file[MAX_PATH] = L"";
    if (save) lstrcpynW(file, LoadText(IDS_OPML_FILE_NAME).c_str(), MAX_PATH);
    std::wstring filter = OpmlFilter();
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"opml";
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    dialog.Flags |= save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    return chosen ? file : L"";
}

void Tell(HWND owner, const std::wstring& text, UINT icon) {
    MessageBoxW(owner, text.c_str(), LoadText(IDS_TOOLBAR_CAPTION).c_str(), MB_OK | icon);
}

std::wstring Formatted(UINT id, int first, int second = 0) {
    wchar_t text[MAX_PATH] = L"";
    wsprintfW(text, LoadText(id).c_str(), first, second);
    return text;
}

UINT RefusalText(OpmlVerdict verdict) {
    switch (verdict) {
        case OpmlVerdict::kUnreadable:
            return IDS_IMPORT_UNREADABLE;
        case OpmlVerdict::kTooLarge:
            return IDS_IMPORT_TOO_LARGE;
        case OpmlVerdict::kTooDeep:
            return IDS_IMPORT_TOO_DEEP;
        case OpmlVerdict::kEntities:
            return IDS_IMPORT_ENTITIES;
        default:
            return IDS_IMPORT_MALFORMED;
    }
}

}  // namespace

bool ImportSubscriptionsFromFile(HWND owner, DialogOwner& button) {
    std::wstring file = ChooseFile(owner, false);
    if (file.empty()) return false;
    ImportSummary summary =
        ImportOpmlFile(button.RssIniPath(), button.HistoryIniPath(), file.c_str());
    if (summary.verdict != OpmlVerdict::kRead) {
        Tell(owner, LoadText(RefusalText(summary.verdict)), MB_ICONWARNING);
        return false;
    }
    if (!summary.stored) {
        Tell(owner, LoadText(IDS_IMPORT_FAILED), MB_ICONWARNING);
        return false;
    }
    if (summary.added) button.StartImportedRefresh();
    Tell(owner, Formatted(IDS_IMPORTED, summary.added, summary.skipped), MB_ICONINFORMATION);
    return summary.added > 0;
}

void ExportSubscriptionsToFile(HWND owner, DialogOwner& button) {
    std::wstring file = ChooseFile(owner, true);
    if (file.empty()) return;
    int exported = ExportOpmlFile(button.RssIniPath(), file.c_str());
    if (exported < 0) {
        Tell(owner, LoadText(IDS_EXPORT_FAILED), MB_ICONWARNING);
    } else {
        Tell(owner, Formatted(IDS_EXPORTED, exported), MB_ICONINFORMATION);
    }
}
