#include "web/ReaderSync.h"

#include <wininet.h>

#include <cwchar>
#include <ctime>

#include "core/HostProtocol.h"
#include "web/HttpClient.h"
#include "web/ReaderService.h"
#include "web/UrlCoding.h"

namespace {

constexpr int kEncodedCapacity = 2084;
// The longest subscription address, and so the longest path with its query.
constexpr size_t kMaxAddressLength = 4167;
constexpr DWORD kHostCapacity = 64;
constexpr int kCookieCapacity = 1024;
constexpr int kLoginAddressCapacity = 2084;

constexpr char kSubscribedMarker[] = "result type=\"0\"";
constexpr char kKnownMarker[] = "result type=\"1\"";

// Stored percent-encoded; "%25010d" becomes the user number's place.
constexpr wchar_t kLoginWithUser[] =
    L"/cgi-bin/login?fun=clientlogin&uin=o%25010d&delegate_url="
    L"%2Fcgi-bin%2Fframe_html%3Ftarget%3Dreader_main&vm=pt&action=reader";
constexpr wchar_t kLoginWithoutUser[] =
    L"/cgi-bin/login?fun=clientlogin&uin=&delegate_url="
    L"%2Fcgi-bin%2Fframe_html%3Ftarget%3Dreader_main&vm=pt&action=reader";
constexpr wchar_t kUserPlace[] = L"%010d";

struct HostLogin {
    HRESULT result = E_FAIL;
    DWORD user = 0;
    wchar_t key[kLoginKeyCapacity] = L"";
};

void AskLogin(ToolbarHost* host, HostLogin* login) {
    login->result = host->GetLogin(&login->user, login->key, kLoginKeyCapacity);
    login->key[kLoginKeyCapacity - 1] = L'\0';
}

std::wstring TenDigits(DWORD user) {
    wchar_t digits[16];
    swprintf(digits, 16, L"%010lu", static_cast<unsigned long>(user));
    return digits;
}

// The subscription address, or empty when the feed address does not encode
// whole: a cut url value would subscribe some other feed.
std::wstring SubscribeAddress(DWORD userNumber, const wchar_t* feedAddress) {
    wchar_t encoded[kEncodedCapacity];
    if (!UrlEncode(feedAddress, encoded, kEncodedCapacity, CP_ACP)) return std::wstring();
    std::wstring address = ReaderServiceAddress();
    address += L"/cgi-bin/reader_subscribe?uin=" + std::to_wstring(userNumber);
    address += L"&classid=1&url=";
    address += encoded;
    address += L"&timestamp=" + std::to_wstring(static_cast<long long>(std::time(nullptr)));
    return address.size() <= kMaxAddressLength ? address : std::wstring();
}

// Host and path with query, as they stand: decoding would turn the url
// value's escapes back into the "?" and "&" they protect.
bool SplitAddress(const std::wstring& address, wchar_t (&server)[kHostCapacity],
                  std::wstring* path) {
    path->assign(kMaxAddressLength + 1, L'\0');
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = server;
    parts.dwHostNameLength = kHostCapacity;
    parts.lpszUrlPath = &(*path)[0];
    parts.dwUrlPathLength = static_cast<DWORD>(path->size());
    if (!InternetCrackUrlW(address.c_str(), 0, 0, &parts)) return false;
    path->resize(parts.dwUrlPathLength);
    return server[0] && !path->empty();
}

// The service answers with a result element; a marker at the very start of
// the reply is no answer of the service.
bool ReplyAccepted(const std::string& reply) {
    size_t at = reply.find(kSubscribedMarker);
    if (at != std::string::npos && at >= 1) return true;
    at = reply.find(kKnownMarker);
    return at != std::string::npos && at >= 1;
}

}  // namespace

bool ReaderSubscribe(ToolbarHost* host, DWORD userNumber, const wchar_t* feedAddress) {
    if (!host || !feedAddress || !*feedAddress) return false;
    std::wstring address = SubscribeAddress(userNumber, feedAddress);
    wchar_t server[kHostCapacity] = L"";
    std::wstring path;
    if (address.empty() || !SplitAddress(address, server, &path)) return false;

    HttpClient client;
    if (client.Open(nullptr, 0) || client.Connect(server, INTERNET_DEFAULT_HTTP_PORT, 0) ||
        client.OpenRequest(L"GET", path.c_str(), nullptr, 0, true))
        return false;
    // The host's answer is not checked: without a login the service gets
    // user 0 and an empty key and refuses on its own.
    HostLogin login;
    AskLogin(host, &login);
    wchar_t cookie[kCookieCapacity];
    swprintf(cookie, kCookieCapacity, L"uin=o%ls; skey=%ls; from=toolbar;",
             TenDigits(login.user).c_str(), login.key);
    if (!client.AddCookie(cookie) || client.Send(nullptr, 0)) return false;
    std::string reply;
    client.ReadToMemory(reply);
    return ReplyAccepted(reply);
}

bool SetReaderCookies(ToolbarHost* host, const wchar_t* address) {
    if (!host || !address) return false;
    HostLogin login;
    AskLogin(host, &login);
    if (FAILED(login.result)) return false;
    std::wstring user = L"uin=o" + TenDigits(login.user) + L";";
    std::wstring key = std::wstring(L"skey=") + login.key + L";";
    bool userSet = InternetSetCookieW(address, nullptr, user.c_str()) != FALSE;
    bool keySet = InternetSetCookieW(address, nullptr, key.c_str()) != FALSE;
    return userSet && keySet;
}

std::wstring ReaderLoginAddress(DWORD userNumber) {
    std::wstring stored =
        ReaderServiceAddress() + (userNumber ? kLoginWithUser : kLoginWithoutUser);
    wchar_t decoded[kLoginAddressCapacity];
    if (!UrlDecode(stored.c_str(), decoded, kLoginAddressCapacity, CP_ACP)) return std::wstring();
    std::wstring address = decoded;
    if (!userNumber) return address;
    // The decoded place is filled in directly rather than by using the
    // address as a format: nothing else in it may act as a conversion.
    size_t place = address.find(kUserPlace);
    if (place == std::wstring::npos) return std::wstring();
    address.replace(place, wcslen(kUserPlace), TenDigits(userNumber));
    return address.size() < kLoginAddressCapacity ? address : std::wstring();
}

bool EnterWebReader(ToolbarHost* host, DWORD userNumber) {
    if (!host) return false;
    SetReaderCookies(host, ReaderHomeAddress().c_str());
    std::wstring address = ReaderLoginAddress(userNumber);
    return !address.empty() && SUCCEEDED(host->OpenAddress(address.c_str(), 0));
}
