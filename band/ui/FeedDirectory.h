#pragma once
// The web directory of feeds that the toolbar's "订阅更多频道" button opens in
// the browser. Configuration: change it here.
const wchar_t kFeedDirectoryUrl[] = L"http://rss.varnel.example/directory/";
