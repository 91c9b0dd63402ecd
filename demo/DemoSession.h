#pragma once
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>

#include "BrowserFrame.h"
#include "DemoWalk.h"
#include "host/HostToolbar.h"

class BandSite;

// How long a step waits for what it checks (a window, a reply, a tree item)
// before it counts as failed. Only a stuck step uses it up, however busy the
// machine is.
constexpr DWORD kStepPatienceMs = 30000;

// Everything the walk works with: the frame, the host toolbar with the
// button plug-in, the band and its windows once opened, and the walk's log.
struct DemoSession {
    explicit DemoSession(DemoWalk& walk) : walk(walk) {}

    DemoWalk& walk;
    HostToolbar host;
    BrowserFrame frame;
    std::wstring programFolder;  // build/<arch>/demo/
    std::wstring dataFolder;     // the button's store
    std::wstring engineFile;     // the Feed.dll the walk starts; empty: the band's own

    BandSite* site = nullptr;
    IObjectWithSite* band = nullptr;
    HWND pane = nullptr;
    HWND tree = nullptr;
    HWND status = nullptr;

    void Pump(DWORD ms) { frame.Pump(ms, host.Host()); }
    // Pumps until done() or timeoutMs; the last answer of done().
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = kStepPatienceMs);
    // Before a picture: lets what was just opened paint. Nothing in the
    // quick check, whose verdicts wait for what they check.
    void LetPaint() {
        if (walk.TakesPictures()) Pump(200);
    }
    std::wstring RssIni() const { return dataFolder + L"\\rss.ini"; }
    RECT FrameArea() const;
    // The frame with a window over it (a dialog, a tip) in one picture.
    RECT FrameAnd(HWND window) const;
};
