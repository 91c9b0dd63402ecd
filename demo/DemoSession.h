#pragma once
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>

#include "BrowserFrame.h"
#include "DemoWalk.h"
#include "host/HostToolbar.h"

class BandSite;

// Everything the walk works with: the frame, the host toolbar with the
// button plug-in, the band and its windows once opened, and the walk's log.
struct DemoSession {
    explicit DemoSession(DemoWalk& walk) : walk(walk) {}

    DemoWalk& walk;
    HostToolbar host;
    BrowserFrame frame;
    std::wstring programFolder;  // build/<arch>/demo/
    std::wstring dataFolder;     // the button's store

    BandSite* site = nullptr;
    IObjectWithSite* band = nullptr;
    HWND pane = nullptr;
    HWND tree = nullptr;
    HWND status = nullptr;

    void Pump(DWORD ms) { frame.Pump(ms, host.Host()); }
    // Pumps until done() or timeoutMs; the last answer of done().
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
    std::wstring RssIni() const { return dataFolder + L"\\rss.ini"; }
    RECT FrameArea() const;
    // The frame with a window over it (a dialog, a tip) in one picture.
    RECT FrameAnd(HWND window) const;
};
