#include <gtest/gtest.h>

#include <string>

#include "web/SystemInfo.h"
#include "web/UrlCoding.h"

namespace {
std::wstring Encode(const wchar_t* text, bool* ok = nullptr, int capacity = 9000) {
    std::wstring out(capacity, L'#');
    bool result = UrlEncode(text, &out[0], capacity, 0);
    if (ok) *ok = result;
    return out.c_str();
}

TEST(UrlEncode, KeepsOnlyLettersDigitsHyphensAndUnderscores) {
    EXPECT_EQ(Encode(L"a.b c"), L"a%2eb%20c");
    EXPECT_EQ(Encode(L"AZaz09-_"), L"AZaz09-_");
    EXPECT_EQ(Encode(L"~/?=&+%"), L"%7e%2f%3f%3d%26%2b%25");
    // Code page 936 bytes of the character, in lower-case hexadecimal.
    EXPECT_EQ(Encode(L"中"), L"%d6%d0");
}

TEST(UrlEncode, RefusesBadArgumentsAndShortOutput) {
    wchar_t out[8];
    EXPECT_FALSE(UrlEncode(nullptr, out, 8, 0));
    EXPECT_FALSE(UrlEncode(L"a", nullptr, 8, 0));
    EXPECT_FALSE(UrlEncode(L"a", out, 1, 0));
    // "a%2eb" needs 6 characters with its terminator.
    EXPECT_FALSE(UrlEncode(L"a.b", out, 5, 0));
    EXPECT_STREQ(out, L"a%2e");
    EXPECT_TRUE(UrlEncode(L"a.b", out, 6, 0));
    EXPECT_STREQ(out, L"a%2eb");
}

TEST(UrlEncode, StopsWhenTheEncodedTextWouldPass4167Characters) {
    bool ok = true;
    // Each escape keeps room for a second one: 1388 fit in 4167 characters.
    std::wstring dots(1389, L'.');
    std::wstring encoded = Encode(dots.c_str(), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(encoded.size(), 1388u * 3);

    std::wstring letters(4167, L'a');
    EXPECT_EQ(Encode(letters.c_str(), &ok), letters);
    EXPECT_TRUE(ok);
    letters += L'a';
    Encode(letters.c_str(), &ok);
    EXPECT_FALSE(ok);
}

TEST(UrlEncode, SecondByteOfAPairNeedsLessRoom) {
    bool ok = true;
    // 4161 letters leave 6 characters: room for both escapes of one pair.
    std::wstring text = std::wstring(4161, L'a') + L"中";
    std::wstring encoded = Encode(text.c_str(), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(encoded.substr(4161), L"%d6%d0");
}

TEST(UrlDecode, DecodesEscapesAndPlus) {
    wchar_t out[64];
    ASSERT_TRUE(UrlDecode(L"%25+%4A%4a", out, 64, 0));
    EXPECT_STREQ(out, L"% JJ");
    ASSERT_TRUE(UrlDecode(L"%d6%d0%CE%C4", out, 64, 0));
    EXPECT_STREQ(out, L"中文");
}

TEST(UrlDecode, KeepsPercentWithoutTwoDigits) {
    wchar_t out[64];
    ASSERT_TRUE(UrlDecode(L"100%", out, 64, 0));
    EXPECT_STREQ(out, L"100%");
    ASSERT_TRUE(UrlDecode(L"%4", out, 64, 0));
    EXPECT_STREQ(out, L"%4");
    ASSERT_TRUE(UrlDecode(L"%zz", out, 64, 0));
    EXPECT_STREQ(out, L"%zz");
}

TEST(UrlDecode, LeavesOutputUntouchedOnFailure) {
    wchar_t out[4] = L"xyz";
    EXPECT_FALSE(UrlDecode(L"abcd", out, 4, 0));
    EXPECT_STREQ(out, L"xyz");
    EXPECT_FALSE(UrlDecode(nullptr, out, 4, 0));
    EXPECT_FALSE(UrlDecode(L"a", out, 1, 0));
    std::wstring tooLong(4168, L'a');
    std::wstring big(5000, L'\0');
    EXPECT_FALSE(UrlDecode(tooLong.c_str(), &big[0], 5000, 0));
    ASSERT_TRUE(UrlDecode(L"abc", out, 4, 0));
    EXPECT_STREQ(out, L"abc");
}

TEST(UrlCoding, RoundTripInUtf8) {
    wchar_t encoded[256];
    wchar_t decoded[256];
    ASSERT_TRUE(UrlEncode(L"Новости 日本", encoded, 256, CP_UTF8));
    ASSERT_TRUE(UrlDecode(encoded, decoded, 256, CP_UTF8));
    EXPECT_STREQ(decoded, L"Новости 日本");
}

TEST(SystemInfo, MajorVersionIsTheNumberBeforeTheFirstPoint) {
    EXPECT_EQ(MajorVersionOf(L"8.0.6001.18702"), 8);
    EXPECT_EQ(MajorVersionOf(L"11.0"), 11);
    EXPECT_EQ(MajorVersionOf(L"9"), 0);
    EXPECT_EQ(MajorVersionOf(L""), 0);
    EXPECT_EQ(MajorVersionOf(nullptr), 0);
}

TEST(SystemInfo, BrowserVersionIsReadOnceAndWindowsIsNot2000) {
    int first = BrowserMajorVersion();
    EXPECT_GE(first, 0);
    EXPECT_EQ(BrowserMajorVersion(), first);
    EXPECT_FALSE(IsWindows2000());
}
}  // namespace
