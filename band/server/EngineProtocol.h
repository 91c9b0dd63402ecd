#pragma once
// Window messages between the band, its feed engine, the partner window in
// the browser frame and the browser's other toolbars.
#include <windows.h>

// Band -> engine requests and engine -> band replies share their codes.
const UINT WM_RSS_ATTACH = WM_USER + 1000;          // 2024: pane wants the tree
const UINT WM_RSS_FOLDER = WM_USER + 1001;          // 2025
const UINT WM_RSS_CHANNEL = WM_USER + 1002;         // 2026
const UINT WM_RSS_EXPAND = WM_USER + 1003;          // 2027
const UINT WM_RSS_SORT = WM_USER + 1004;            // 2028
const UINT WM_RSS_PROPERTIES = WM_USER + 1005;      // 2029
const UINT WM_RSS_EXPORT = WM_USER + 1006;          // 2030
const UINT WM_RSS_DELETE = WM_USER + 1007;          // 2031
const UINT WM_RSS_MOVE = WM_USER + 1008;            // 2032
const UINT WM_RSS_DROP = WM_USER + 1009;            // 2033: drop target -> pane only
const UINT WM_RSS_UPDATE = WM_USER + 1010;          // 2034
const UINT WM_RSS_ITEM_TEXT = WM_USER + 1011;       // 2035: only inside update batches
const UINT WM_RSS_QUERY_UNREAD = WM_USER + 1012;    // 2036
const UINT WM_RSS_READ = WM_USER + 1014;            // 2038
const UINT WM_RSS_UNREAD = WM_USER + 1015;          // 2039
const UINT WM_RSS_BAND_SHOW = WM_USER + 1017;       // 2041: posted to "RSS_Feed"
const UINT WM_RSS_PARTNER_ATTACH = WM_USER + 1019;  // 2043
const UINT WM_RSS_PARTNER_PAGE = WM_USER + 1020;    // 2044
const UINT WM_RSS_PARTNER_QUERY = WM_USER + 1021;   // 2045
const UINT WM_RSS_TOOLBAR_SYNC = WM_USER + 1981;    // 3005: to the browser's toolbars

// Internal to the band: its drop target talking to the tree pane.
const UINT WM_RSS_DRAG_ENTER = WM_USER + 3;   // 1027
const UINT WM_RSS_DRAG_LEAVE = WM_USER + 4;   // 1028
const UINT WM_RSS_DRAG_SCROLL = WM_USER + 5;  // 1029

// lParam flags of a band -> engine WM_RSS_UPDATE.
const LPARAM RSS_UPDATE_CHANNEL = 1;
const LPARAM RSS_UPDATE_FOLDER = 0x40000000;
// An engine -> band WM_RSS_UPDATE above this value reports a finished page.
const int RSS_PROGRESS_DONE = 10;

// Largest page name the partner window hands over, in bytes.
const size_t RSS_PARTNER_PAGE_BYTES = 32;

const char kEngineWindowClass[] = "RSS_Feed";
const char kEngineFileName[] = "Feed.dll";
const char kPartnerProperty[] = "PROP_RSSBAND_POINTER";
