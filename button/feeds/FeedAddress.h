#pragma once
#include <string>

// Feed addresses as the store keeps them and compares them.

// The address as it is loaded: without surrounding blanks, with "http://" put
// in front unless it names the scheme already.
std::wstring CompleteFeedAddress(const std::wstring& typed);

// A completed address the refresh can fetch and the store can keep whole: an
// http or https address with a host (and a numeric port, if any), without
// blanks or control characters, at most 259 characters.
bool IsUsableFeedAddress(const std::wstring& address);

// What two addresses of the same feed have in common: the completed address
// with its scheme and host in lower case (the rest of an address may tell
// letter case apart).
std::wstring FeedAddressKey(const std::wstring& address);
