#pragma once
#include <string>

// The web-mail service of the host toolbar's maker. Its feed reader takes the
// button's subscriptions, and its login page opens that reader; everything
// the button sends there starts with this address.
inline constexpr wchar_t kReaderServiceAddress[] = L"http://mail.pemba.com";

// Names a loopback stand-in of the service ("http://127.0.0.19") for tests
// and the demo. Any other value is ignored, so the variable can never send
// the user's login key to an outside host.
inline constexpr wchar_t kReaderServiceTestVariable[] = L"RSSBUTTON_TEST_READER_SERVICE";

// The service's address in effect, without a trailing slash.
std::wstring ReaderServiceAddress();

// The address the login cookies belong to.
std::wstring ReaderHomeAddress();
