#pragma once

// Blog hosts whose feeds are fetched with the direct WinINet request first and
// the system download only as the fallback: their servers answer the system
// download badly. Each entry is a host name followed by a path prefix, matched
// as a case-sensitive substring of the whole address.
inline const wchar_t* const kDirectFirstAddressPatterns[] = {
    L"blog.sina.com.cn/rss/",
    L"blog.163.com/rss/",
};
