#pragma once
// The partner window another toolbar of the browser frame keeps: marked with
// the window property "PROP_RSSBAND_POINTER", it records what the band sends
// it, answers the band's query, and answers page requests by sending the
// pane a page name.
#include <windows.h>
#include <string>
#include <vector>

class PartnerWindow {
public:
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    // A child of parent, of its own window class unless className is given
    // (a class that must already be registered, e.g. "ComboBoxEx32").
    explicit PartnerWindow(HWND parent, const char* className = nullptr);
    ~PartnerWindow();
    PartnerWindow(const PartnerWindow&) = delete;
    PartnerWindow& operator=(const PartnerWindow&) = delete;

    HWND Handle() const { return window_; }

    // The result of the band's query message (2045).
    void SetQueryAnswer(LRESULT answer) { queryAnswer_ = answer; }
    // Sent to the pane (2044, 32 bytes) when the band asks for a page.
    void SetPageName(const std::string& name) { pageName_ = name; }

    const std::vector<Message>& Messages() const { return messages_; }
    int Count(UINT message) const;
    void Clear() { messages_.clear(); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    WNDPROC original_ = nullptr;
    LRESULT queryAnswer_ = 1;
    std::string pageName_;
    std::vector<Message> messages_;
};
