#pragma once
#include <string>

// Fetches a document for the frame. Web addresses are fetched only from the
// demo's own server: an address on any loopback host is asked of the server
// that FEED_TEST_HOST names (the sample site names 127.0.0.1), and nothing
// else leaves the machine. Files are read from disk.
struct LoadedDocument {
    bool ok = false;
    std::string bytes;
    std::wstring failure;  // why not, for the frame's notice page
};

LoadedDocument LoadDocument(const std::wstring& address);

// The demo server's address for path ("/site/index.html").
std::wstring ServerAddress(const std::wstring& path);
