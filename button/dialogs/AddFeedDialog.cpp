#include "dialogs/AddFeedDialog.h"

#include <cwchar>

#include "dialogs/DialogOwner.h"
#include "dialogs/AddDialogControls.h"
#include "feeds/SubscriptionStore.h"
#include "res/resource.h"

namespace {
// wParam: the load's generation; lParam: its LoadOutcome.
constexpr UINT kLoadedMessage = WM_APP + 1;
}  // namespace

AddFeedDialog::AddFeedDialog(DialogOwner* button)
    : DialogBase(button, IDD_ADD_FEED),
      worker_([this](const DownloadGuard& guard) { return LoadOnWorker(guard); }) {}

AddFeedDialog::~AddFeedDialog() {
    // The window goes first, so that the worker's report finds no window.
    if (Window()) DestroyWindow(Window());
    worker_.End();
}

HWND AddFeedDialog::Open(const wchar_t* address) {
    if (IsOpen()) {
        BringForward();
        return Window();
    }
    wcsncpy(address_, address ? address : L"", MAX_PATH - 1);
    address_[MAX_PATH - 1] = L'\0';
    return CreateModeless(Button() ? Button()->OwnerWindow() : nullptr);
}

bool AddFeedDialog::ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   INT_PTR* result) {
    switch (message) {
        case WM_INITDIALOG:
            DialogBase::ProcessMessage(window, message, wParam, lParam, result);
            OnInit();
            return true;
        case WM_TIMER:
            if (wParam != kLoadTimer) return false;
            OnLoadTimer();
            return true;
        case kLoadedMessage:
            OnLoaded(wParam, static_cast<LoadOutcome>(lParam));
            return true;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_ADD_FEED && HIWORD(wParam) == BN_CLICKED) {
                OnAdd();
                return true;
            }
            break;
        case WM_DESTROY:
            KillTimer(window, kLoadTimer);
            worker_.End();
            feed_.Discard();
            return true;
        default:
            break;
    }
    return DialogBase::ProcessMessage(window, message, wParam, lParam, result);
}

void AddFeedDialog::OnInit() {
    HWND window = Window();
    ApplyBoldHeader(window, headerFont_);
    ShowReaderChoice(window, Button() && Button()->ReaderLoggedIn(), true);
    EnableControl(window, IDC_ADD_FEED, false);
    EnableControl(window, IDC_FEED_TITLE, false);
    SetDlgItemTextW(window, IDC_FEED_ADDRESS, address_);
    ShowText(window, IDC_STATUS, IDS_LOADING_TITLE);

    loadTime_ = 0;
    InterlockedExchange(&loadFinished_, 0);
    runGeneration_ = ++generation_;
    target_ = window;
    SetTimer(window, kLoadTimer, LoadTimeout(), nullptr);
    worker_.Begin();
}

int AddFeedDialog::LoadOnWorker(const DownloadGuard& guard) {
    LoadOutcome outcome = feed_.Load(address_, guard);
    InterlockedExchange(&loadFinished_, 1);
    // The window thread applies the result; a closed window drops the message.
    PostMessageW(target_, kLoadedMessage, static_cast<WPARAM>(runGeneration_),
                 static_cast<LPARAM>(outcome));
    return outcome == LoadOutcome::kLoaded ? 1 : 0;
}

void AddFeedDialog::OnLoaded(WPARAM generation, LoadOutcome outcome) {
    if (static_cast<LONG>(generation) != generation_ || outcome == LoadOutcome::kCancelled) return;
    KillTimer(Window(), kLoadTimer);
    worker_.End();
    HWND window = Window();
    if (outcome == LoadOutcome::kLoaded) {
        loadTime_ = CurrentUpdTime();
        SetDlgItemTextW(window, IDC_FEED_TITLE, feed_.Title().c_str());
        ShowText(window, IDC_STATUS, 0);
        EnableControl(window, IDC_FEED_TITLE, true);
        EnableControl(window, IDC_ADD_FEED, true);
        return;
    }
    ShowText(window, IDC_STATUS,
             outcome == LoadOutcome::kDownloadFailed ? IDS_ADD_FAILED : IDS_PARSE_FAILED);
    SetDlgItemTextW(window, IDC_FEED_TITLE, L"");
    EnableControl(window, IDC_ADD_FEED, false);
}

void AddFeedDialog::OnLoadTimer() {
    KillTimer(Window(), kLoadTimer);
    if (InterlockedCompareExchange(&loadFinished_, 0, 0)) return;
    // The download is cancelled and its late report ignored; the window does
    // not wait for a server that keeps the worker waiting.
    ++generation_;
    worker_.Abandon();
    ShowText(Window(), IDC_STATUS, IDS_PARSE_FAILED);
    SetDlgItemTextW(Window(), IDC_FEED_TITLE, L"");
    EnableControl(Window(), IDC_ADD_FEED, false);
}

void AddFeedDialog::OnAdd() {
    HWND window = Window();
    if (!feed_.IsLoaded() || !Button()) return;
    std::wstring title = ControlText(window, IDC_FEED_TITLE);
    if (title.size() > kMaxTitleLength) {
        ShowText(window, IDC_STATUS, IDS_TITLE_TOO_LONG);
        return;
    }
    worker_.End();
    if (!feed_.Append(Button()->RssIniPath(), title.c_str(), address_,
                      loadTime_ ? loadTime_ : CurrentUpdTime())) {
        // Nothing was added: the list could not be written.
        ShowText(window, IDC_STATUS, IDS_ADD_FAILED);
        EnableControl(window, IDC_ADD_FEED, false);
        return;
    }
    if (Button()->ReaderLoggedIn() && ReaderChoiceTicked(window)) {
        ShowText(window, IDC_STATUS, IDS_SYNCING_TO_READER);
        UpdateWindow(window);
        Button()->ReaderSubscribe(address_);
    }
    Button()->ShowTip(LoadText(IDS_ADDED).c_str());
    Close(IDC_ADD_FEED);
}
