#pragma once
#include <windows.h>

// Message codes of OnButtonMessage.
enum ButtonCode : LONG {
    kCodeAttach = 1,
    kCodePlaced = 2,
    kCodePressed = 3,
    kCodeDropDown = 4,
    kCodeIconQuery = 6,
    kCodeMeasureItem = 9,
    kCodeItemIcon = 10,
    kCodeCommand = 12,
    kCodeVisibility = 13,
    kCodeUserState = 15,
    kCodeUserChanged = 16,
    kCodeUnload = 21,
};

// Timers set on the toolbar window; the host relays each expiry as code 12
// with the timer's identifier.
constexpr UINT_PTR kTimerFeedViewInjection = 0x4001;
constexpr UINT_PTR kTimerStaleRefresh = 0x4002;
constexpr UINT_PTR kTimerFeedPropertiesInjection = 0x4003;
constexpr UINT kStaleRefreshDelay = 3000;

// The toolbar window's notification message and its wParam values.
constexpr UINT kToolbarNotify = WM_USER + 200;
constexpr WPARAM kNotifyIsCurrentUser = 0x00B20000;
constexpr WPARAM kNotifyRefreshStarted = 0x00B40000;
constexpr WPARAM kNotifyRefreshEnded = 0x00B50000;

// The host command that logs a user in, with its fixed arguments.
constexpr wchar_t kHostCommandLogin[] = L"Login";

// Capacity of the login key buffer handed to the host.
constexpr LONG kLoginKeyCapacity = 513;
