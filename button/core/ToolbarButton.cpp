#include "core/ToolbarButton.h"

#include <commctrl.h>

#include "core/HostProtocol.h"
#include "core/MemoryProbe.h"
#include "core/ToolbarEnvironment.h"
#include "core/ToolbarSharedState.h"

namespace {
// The name is copied into the same fixed size as every other text.
constexpr size_t kMaxNameLength = MAX_PATH - 1;
}  // namespace

ToolbarButton::ToolbarButton() = default;

ToolbarButton::~ToolbarButton() = default;

LONG ToolbarButton::OnMessage(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                              LONG_PTR d) {
    if (code == kCodeUnload) {
        OnUnload(record, host, code, c, d);
        Clear();
        return 1;
    }
    if (!record) return 0;

    if (code == kCodeAttach || code == kCodePlaced) {
        if (initialised_) return 1;
        LONG result = OnInit(record, host, code, c, d);
        if (code == kCodePlaced && ToolbarHoldsButton() && !visibilityKnown_) {
            OnVisibility(record, host, kCodeVisibility, IsWindow(toolbar_) ? 1 : 0, d);
            OnUserState(record, host, kCodeUserState, c, d);
            OnUserChanged(record, host, kCodeUserChanged, userNumber_, d);
        }
        return result;
    }

    if (!initialised_) OnInit(record, host, kCodePlaced, c, d);

    if (code == kCodeVisibility && (c != 0) != (visible_ != 0)) {
        LONG result = OnVisibility(record, host, kCodeVisibility, c, d);
        OnUserState(record, host, kCodeUserState, c, d);
        OnUserChanged(record, host, kCodeUserChanged, userNumber_, d);
        return result;
    }
    if (!visibilityKnown_) LearnVisibility(record, host, code, c);

    switch (code) {
        case kCodeCommand:
            return OnCommand(record, host, code, c, d);
        case kCodeUserState:
            return OnUserState(record, host, code, c, d);
        case kCodeUserChanged:
            return OnUserChanged(record, host, code, c, d);
        case kCodePressed:
            return OnClick(record, host, code, c, d);
        case kCodeDropDown: {
            RECT rect = {};
            BOOL hidden = FALSE;
            GetButtonScreenRect(commandId_, &rect, &hidden, record);
            return OnDropDown(record, host, code, c, &rect, hidden);
        }
        default:
            return OnOther(record, host, code, c, d);
    }
}

void ToolbarButton::LearnVisibility(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c) {
    LONG shown = IsWindow(toolbar_) && IsWindowVisible(toolbar_) && ToolbarHoldsButton();
    OnVisibility(record, host, kCodeVisibility, shown, 0);
    OnUserState(record, host, code, c, 0);
    OnUserChanged(record, host, code, c, 0);
}

bool ToolbarButton::ToolbarHoldsButton() const {
    // A missing window would answer 0, which reads as index 0.
    if (!IsWindow(toolbar_)) return false;
    return static_cast<int>(SendMessageW(toolbar_, TB_COMMANDTOINDEX, commandId_, 0)) >= 0;
}

LONG ToolbarButton::OnInit(HostRecord* record, ToolbarHost* host, LONG, LONG_PTR, LONG_PTR) {
    initialised_ = 1;
    if (host) host_.Assign(host);
    if (record) {
        commandId_ = record->commandId;
        name_ = CopyHostString(record->name, kMaxNameLength);
        record_ = record;
    }
    if (!host) return 0;

    // A host without a browser (E_NOINTERFACE or any other failure) leaves
    // the reference null; page inspection then finds nothing.
    browser_.QueryFrom(host, IID_IWebBrowser2);
    HWND toolbar = nullptr;
    if (SUCCEEDED(host->GetToolbarWindow(&toolbar))) toolbar_ = toolbar;
    DWORD user = 0;
    if (host->GetLogin(&user, nullptr, 0) >= 0) userNumber_ = user;
    ComputeConfirmedPaths();
    ComputeUnconfirmedPath();
    return 1;
}

LONG ToolbarButton::OnVisibility(HostRecord*, ToolbarHost*, LONG, LONG_PTR c, LONG_PTR) {
    visibilityKnown_ = 1;
    visible_ = c != 0;
    return 0;
}

LONG ToolbarButton::OnUserState(HostRecord*, ToolbarHost*, LONG, LONG_PTR, LONG_PTR) {
    userNumber_ = ReadSharedUserNumber();
    loggedIn_ = ReadSharedLoggedIn();
    ComputeUnconfirmedPath();
    return 0;
}

LONG ToolbarButton::OnUserChanged(HostRecord*, ToolbarHost*, LONG, LONG_PTR, LONG_PTR) {
    ComputeConfirmedPaths();
    return 0;
}

LONG ToolbarButton::OnDropDown(HostRecord*, ToolbarHost*, LONG, LONG_PTR, const RECT*, BOOL) {
    return 0;
}

LONG ToolbarButton::OnClick(HostRecord*, ToolbarHost*, LONG, LONG_PTR, LONG_PTR) {
    return 0;
}

LONG ToolbarButton::OnCommand(HostRecord*, ToolbarHost*, LONG, LONG_PTR, LONG_PTR) {
    return 0;
}

LONG ToolbarButton::OnUnload(HostRecord*, ToolbarHost*, LONG, LONG_PTR, LONG_PTR) {
    return 0;
}

LONG ToolbarButton::OnOther(HostRecord*, ToolbarHost*, LONG, LONG_PTR, LONG_PTR) {
    return 0;
}

void ToolbarButton::GetButtonScreenRect(WORD commandId, RECT* rect, BOOL* hidden,
                                        const HostRecord* record) {
    if (rect) {
        *rect = record ? record->rect : RECT{};
        if (record && record->window) {
            MapWindowPoints(record->window, HWND_DESKTOP, reinterpret_cast<POINT*>(rect), 2);
        }
    }
    if (hidden) {
        *hidden =
            IsWindow(toolbar_) && SendMessageW(toolbar_, TB_ISBUTTONHIDDEN, commandId, 0) != 0;
    }
}

void ToolbarButton::ComputeConfirmedPaths() {
    UserIniPath(0, userNumber_, tbPath_, MAX_PATH, toolbar_, TRUE);
    UserIniPath(1, userNumber_, incPath_, MAX_PATH, toolbar_, TRUE);
}

void ToolbarButton::ComputeUnconfirmedPath() {
    UserIniPath(3, userNumber_, unconfirmedTbPath_, MAX_PATH, toolbar_, TRUE);
}

void ToolbarButton::Clear() {
    initialised_ = 0;
    visibilityKnown_ = 0;
    toolbar_ = nullptr;
    visible_ = 0;
    tbPath_[0] = incPath_[0] = unconfirmedTbPath_[0] = L'\0';
    userNumber_ = 0;
    loggedIn_ = 0;
    commandId_ = 0;
    record_ = nullptr;
    host_.Reset();
}
