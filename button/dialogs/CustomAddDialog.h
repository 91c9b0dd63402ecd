#pragma once
#include <windows.h>

#include <string>

#include "common/FontHandle.h"
#include "dialogs/DialogBase.h"
#include "dialogs/DialogWorker.h"
#include "dialogs/LoadedFeed.h"
#include "feeds/FeedAddress.h"

// "自定义添加RSS订阅" (template 102): the user types a feed address, may
// verify it (the worker loads the feed and shows the channel's title) and
// adds it; the add thread verifies first when the address was not verified.
// Both threads only report to the window, which alone touches its controls.
class CustomAddDialog : public DialogBase {
public:
    // Sent by the add thread when the subscription was appended.
    static constexpr UINT kAddedMessage = WM_USER + 101;
    static constexpr int kCacheNumber = 0;

    explicit CustomAddDialog(DialogOwner* button);
    ~CustomAddDialog() override;

    // The modeless window, owned by the button's toolbar window; an open one
    // is brought forward.
    HWND Open();
    // Modal, from the manage dialog: IDC_ADD (1002) when a subscription was
    // added, 2 when cancelled, -1 when the window could not be made.
    INT_PTR OpenModal(HWND owner);

protected:
    bool ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        INT_PTR* result) override;

private:
    enum class Verdict { kVerified, kEmpty, kUnavailable, kParseFailed, kCancelled };
    // What the window gave the thread it started.
    struct Request {
        LONG generation = 0;
        HWND target = nullptr;
        std::wstring typed;
        std::wstring title;
        bool verified = false;
        std::wstring verifiedAddress;
        bool reader = false;
    };
    // What a verification found, for the window to show.
    struct Finding {
        LONG generation = 0;
        Verdict verdict = Verdict::kCancelled;
        bool inAddStep = false;
        std::wstring address;
        std::wstring title;
    };

    void OnInit();
    void OnAddressChanged();
    void OnVerify();
    void OnAdd();
    void OnVerified(WPARAM generation);
    void OnAddRefused(WPARAM generation, UINT textId);
    void OnAdded();
    void StopThreads();
    void PrepareRequest(bool forAdd);

    int VerifyOnWorker(const DownloadGuard& guard);
    int AddOnThread(const DownloadGuard& guard);
    Verdict Verify(bool inAddStep, const DownloadGuard& guard, std::wstring* address);
    void Report(UINT message, LPARAM lParam) const;

    bool verified_ = false;
    std::wstring verifiedAddress_;
    LONG generation_ = 0;
    FontHandle headerFont_;
    Request request_;
    CRITICAL_SECTION findingLock_;
    Finding finding_;
    LoadedFeed feed_{kCacheNumber};
    DialogWorker worker_;
    DialogWorker adder_;
};
