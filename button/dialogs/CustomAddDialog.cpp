#include "dialogs/CustomAddDialog.h"

#include "dialogs/DialogOwner.h"
#include "dialogs/AddDialogControls.h"
#include "feeds/SubscriptionStore.h"
#include "res/resource.h"

namespace {
// wParam: the generation of the verification; the finding waits in the dialog.
constexpr UINT kVerifiedMessage = WM_APP + 1;
// wParam: generation; lParam: the text refusing the add.
constexpr UINT kAddRefusedMessage = WM_APP + 2;
// wParam: generation; lParam: MAKELPARAM(text, control).
constexpr UINT kStatusMessage = WM_APP + 3;
}  // namespace

CustomAddDialog::CustomAddDialog(DialogOwner* button)
    : DialogBase(button, IDD_CUSTOM_ADD),
      worker_([this](const DownloadGuard& guard) { return VerifyOnWorker(guard); }),
      adder_([this](const DownloadGuard& guard) { return AddOnThread(guard); }) {
    InitializeCriticalSection(&findingLock_);
}

CustomAddDialog::~CustomAddDialog() {
    if (Window()) DestroyWindow(Window());
    StopThreads();
    DeleteCriticalSection(&findingLock_);
}

HWND CustomAddDialog::Open() {
    return CreateModeless(Button() ? Button()->OwnerWindow() : nullptr);
}

INT_PTR CustomAddDialog::OpenModal(HWND owner) {
    return RunModal(owner);
}

bool CustomAddDialog::ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     INT_PTR* result) {
    switch (message) {
        case WM_INITDIALOG:
            DialogBase::ProcessMessage(window, message, wParam, lParam, result);
            OnInit();
            // The address edit has the focus.
            *result = FALSE;
            return true;
        case kVerifiedMessage:
            OnVerified(wParam);
            return true;
        case kAddRefusedMessage:
            OnAddRefused(wParam, static_cast<UINT>(lParam));
            return true;
        case kStatusMessage:
            if (static_cast<LONG>(wParam) == generation_)
                ShowText(window, HIWORD(lParam), LOWORD(lParam));
            return true;
        case kAddedMessage:
            OnAdded();
            return true;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_ADDRESS:
                    if (HIWORD(wParam) == EN_CHANGE) OnAddressChanged();
                    return true;
                case IDC_TITLE:
                    if (HIWORD(wParam) == EN_SETFOCUS)
                        SendDlgItemMessageW(window, IDC_TITLE, EM_SETSEL, 0, -1);
                    return true;
                case IDC_VERIFY:
                    if (HIWORD(wParam) == BN_CLICKED) OnVerify();
                    return true;
                case IDC_ADD:
                    if (HIWORD(wParam) == BN_CLICKED) OnAdd();
                    return true;
                default:
                    break;
            }
            break;
        case WM_DESTROY:
            StopThreads();
            feed_.Discard();
            return true;
        default:
            break;
    }
    return DialogBase::ProcessMessage(window, message, wParam, lParam, result);
}

void CustomAddDialog::OnInit() {
    HWND window = Window();
    verified_ = false;
    verifiedAddress_.clear();
    ++generation_;
    ApplyBoldHeader(window, headerFont_);
    ShowReaderChoice(window, Button() && Button()->ReaderLoggedIn(), false);
    SetDlgItemTextW(window, IDC_ADDRESS, L"http://");
    HWND address = GetDlgItem(window, IDC_ADDRESS);
    SetFocus(address);
    SendMessageW(address, EM_SETSEL, 0, -1);
    EnableControl(window, IDC_TITLE, false);
}

void CustomAddDialog::OnAddressChanged() {
    if (verified_ && ControlText(Window(), IDC_ADDRESS) != verifiedAddress_) verified_ = false;
}

void CustomAddDialog::StopThreads() {
    adder_.End();
    worker_.End();
}

void CustomAddDialog::PrepareRequest(bool forAdd) {
    HWND window = Window();
    StopThreads();
    EnableControl(window, IDC_ADD, false);
    EnableControl(window, IDC_VERIFY, false);
    request_ = Request();
    request_.generation = ++generation_;
    request_.target = window;
    request_.typed = ControlText(window, IDC_ADDRESS);
    if (!forAdd) return;
    request_.title = ControlText(window, IDC_TITLE);
    request_.verified = verified_;
    request_.verifiedAddress = verifiedAddress_;
    request_.reader = Button() && Button()->ReaderLoggedIn() && ReaderChoiceTicked(window);
    ShowText(window, IDC_STATUS, 0);
}

void CustomAddDialog::OnVerify() {
    PrepareRequest(false);
    worker_.Begin();
}

void CustomAddDialog::OnAdd() {
    PrepareRequest(true);
    adder_.Begin();
}

// ---- the threads: they read request_ and report through messages ----------

void CustomAddDialog::Report(UINT message, LPARAM lParam) const {
    PostMessageW(request_.target, message, static_cast<WPARAM>(request_.generation), lParam);
}

int CustomAddDialog::VerifyOnWorker(const DownloadGuard& guard) {
    std::wstring address;
    return Verify(false, guard, &address) == Verdict::kVerified ? 1 : 0;
}

CustomAddDialog::Verdict CustomAddDialog::Verify(bool inAddStep, const DownloadGuard& guard,
                                                 std::wstring* address) {
    Report(kStatusMessage, MAKELPARAM(IDS_VERIFYING, IDC_VERIFY_STATUS));
    *address = CompleteFeedAddress(request_.typed);
    Verdict verdict = Verdict::kEmpty;
    if (!address->empty()) {
        switch (feed_.Load(address->c_str(), guard)) {
            case LoadOutcome::kLoaded:
                verdict = Verdict::kVerified;
                break;
            case LoadOutcome::kDownloadFailed:
                verdict = Verdict::kUnavailable;
                break;
            case LoadOutcome::kParseFailed:
                verdict = Verdict::kParseFailed;
                break;
            case LoadOutcome::kCancelled:
                return Verdict::kCancelled;
        }
    }
    EnterCriticalSection(&findingLock_);
    finding_.generation = request_.generation;
    finding_.verdict = verdict;
    finding_.inAddStep = inAddStep;
    finding_.address = *address;
    finding_.title = feed_.Title();
    LeaveCriticalSection(&findingLock_);
    Report(kVerifiedMessage, 0);
    return verdict;
}

int CustomAddDialog::AddOnThread(const DownloadGuard& guard) {
    DialogOwner* button = Button();
    if (!button) return 0;
    LONG started = CurrentUpdTime();
    std::wstring address = request_.verifiedAddress;
    std::wstring title = request_.title;
    if (!request_.verified || !feed_.IsLoaded()) {
        if (Verify(true, guard, &address) != Verdict::kVerified) return 0;
        title = feed_.Title();
    }
    if (guard.Cancelled()) return 0;
    if (title.size() > kMaxTitleLength) {
        Report(kAddRefusedMessage, IDS_TITLE_TOO_LONG);
        return 0;
    }
    // The store files are made when the button is shown; a list that lost
    // them since is made again, but one without a count is not guessed at.
    EnsureStoreFiles(button->RssIniPath(), button->HistoryIniPath());
    if (ReadCount(button->RssIniPath(), -1) < 0) {
        Report(kAddRefusedMessage, IDS_ADD_FAILED);
        return 0;
    }
    if (guard.Cancelled()) return 0;
    if (!feed_.Append(button->RssIniPath(), title.c_str(), address.c_str(), started)) {
        Report(kAddRefusedMessage, IDS_ADD_FAILED);
        return 0;
    }
    if (request_.reader) {
        Report(kStatusMessage, MAKELPARAM(IDS_SYNCING_TO_READER, IDC_STATUS));
        button->ReaderSubscribe(address.c_str());
    }
    Report(kAddedMessage, 0);
    return 1;
}

// ---- reports, on the window thread ----------------------------------------

void CustomAddDialog::OnVerified(WPARAM generation) {
    EnterCriticalSection(&findingLock_);
    Finding finding = finding_;
    LeaveCriticalSection(&findingLock_);
    if (finding.generation != static_cast<LONG>(generation) || finding.generation != generation_) {
        return;
    }
    HWND window = Window();
    if (finding.verdict == Verdict::kVerified) {
        SetDlgItemTextW(window, IDC_TITLE, finding.title.c_str());
        ShowText(window, IDC_VERIFY_STATUS, 0);
        verified_ = true;
        verifiedAddress_ = finding.address;
        EnableControl(window, IDC_TITLE, true);
        // The add step goes on by itself; its buttons wait for its end.
        if (finding.inAddStep) return;
        EnableControl(window, IDC_ADD, true);
        EnableControl(window, IDC_VERIFY, true);
        return;
    }
    UINT text = finding.verdict == Verdict::kEmpty         ? IDS_NO_ADDRESS
                : finding.verdict == Verdict::kUnavailable ? IDS_FEED_UNAVAILABLE
                                                           : IDS_PARSE_FAILED;
    ShowText(window, IDC_VERIFY_STATUS, text);
    verified_ = false;
    SetDlgItemTextW(window, IDC_TITLE, L"");
    EnableControl(window, IDC_TITLE, false);
    EnableControl(window, IDC_ADD, true);
    EnableControl(window, IDC_VERIFY, true);
}

void CustomAddDialog::OnAddRefused(WPARAM generation, UINT textId) {
    if (static_cast<LONG>(generation) != generation_) return;
    HWND window = Window();
    ShowText(window, IDC_STATUS, textId);
    EnableControl(window, IDC_ADD, true);
    EnableControl(window, IDC_VERIFY, true);
}

void CustomAddDialog::OnAdded() {
    DialogOwner* button = Button();
    // The subscription is in the store whatever the user did meanwhile.
    adder_.End();
    Close(IDC_ADD);
    if (button) button->ShowTip(LoadText(IDS_ADDED).c_str());
}
