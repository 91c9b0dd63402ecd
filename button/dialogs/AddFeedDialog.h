#pragma once
#include <windows.h>

#include "common/FontHandle.h"
#include "dialogs/DialogBase.h"
#include "dialogs/DialogWorker.h"
#include "dialogs/LoadedFeed.h"

// "添加RSS订阅" (template 103): adds the one feed that the page advertises.
// It loads the feed on its worker to show the channel's title, lets the user
// correct the title and appends the subscription on the window thread.
class AddFeedDialog : public DialogBase {
public:
    static constexpr UINT_PTR kLoadTimer = 1;
    static constexpr DWORD kLoadTimeout = 15000;
    static constexpr int kCacheNumber = -1;

    explicit AddFeedDialog(DialogOwner* button);
    ~AddFeedDialog() override;

    // Opens the modeless window for address (cut to 259 characters), owned by
    // the button's toolbar window. An open window keeps what it shows and is
    // only brought forward.
    HWND Open(const wchar_t* address);

    const wchar_t* Address() const { return address_; }

protected:
    bool ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        INT_PTR* result) override;
    // How long loading may take before the dialog gives up on it.
    virtual DWORD LoadTimeout() const { return kLoadTimeout; }

private:
    void OnInit();
    void OnLoaded(WPARAM generation, LoadOutcome outcome);
    void OnLoadTimer();
    void OnAdd();
    int LoadOnWorker(const DownloadGuard& guard);

    wchar_t address_[MAX_PATH] = {};
    // Seconds since 1970 when the feed was loaded, 0 before.
    LONG loadTime_ = 0;
    // Set by the worker as it returns: the timer then leaves the result to it.
    volatile LONG loadFinished_ = 0;
    // Which load the window still waits for; a load given up on reports in vain.
    LONG generation_ = 0;
    LONG runGeneration_ = 0;
    HWND target_ = nullptr;
    FontHandle headerFont_;
    LoadedFeed feed_{kCacheNumber};
    DialogWorker worker_;
};
