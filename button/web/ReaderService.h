#pragma once
#include <string>

// The web-mail service of the host toolbar's maker. Its feed reader takes the
// button's subscriptions, and its login page opens that reader; everything
// the button sends there starts with this address.
inline constexpr wchar_t kReaderServiceAddress[] = L"http://mail.pemba.com";

// The service's address in effect, without a trailing slash.
std::wstring ReaderServiceAddress();

// The address the login cookies belong to.
inline std::wstring ReaderHomeAddress() {
    return ReaderServiceAddress() + L"/";
}
