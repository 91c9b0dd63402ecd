// rss.htm, the page the context-menu entry runs, executed by the JScript
// engine of Windows Script Host with the browser's objects played by the
// harness: what it hands to the engine, the clipboard and the user.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "support/TestPaths.h"

namespace {

std::string ReadAll(const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return std::string();
    std::string bytes;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

// The page's script with every non-ASCII character written as \uXXXX, so
// that the script host reads it whatever its code page.
std::string PageScript() {
    std::string html = ReadAll(SourcePath("band/dist/rss.htm"));
    std::string open = "<script type=\"text/javascript\">";
    size_t start = html.find(open);
    size_t end = html.find("</script>");
    if (start == std::string::npos || end == std::string::npos) return std::string();
    std::string utf8 = html.substr(start + open.size(), end - start - open.size());
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0], int(wide.size())));
    std::string ascii;
    for (wchar_t ch : wide) {
        if (ch < 128) {
            ascii += char(ch);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04X", unsigned(ch));
            ascii += escaped;
        }
    }
    return ascii;
}

// Output of the harness: one line per call the page made, texts escaped
// with JScript's escape() so that they stay ASCII.
std::string RunPage(const std::string& setup) {
    const char* harness = R"(
var calls = [];
function alert(text) { calls.push("alert " + escape(text)); }
var location = { href: "file:///C:/Program%20Files/RSS/rss.htm" };
var engineExists = true, shellWorks = true, clipboardWorks = true;
ActiveXObject = function (name) {
    if (name == "Scripting.FileSystemObject") return {
        FileExists: function (path) { calls.push("exists " + path); return engineExists; },
        GetFile: function (path) { return { ShortPath: "C:\\PROGRA~1\\RSS\\Feed.dll" }; }
    };
    if (name == "WScript.Shell" && shellWorks) return {
        Run: function (command, show, wait) { calls.push("run " + command + " " + show + " " + wait); }
    };
    throw new Error("cannot create " + name);
};
function element(tag, attributes, parent) {
    var e = { tagName: tag, parentElement: parent || null };
    for (var name in attributes) e[name] = attributes[name];
    return e;
}
var clicked = null;
var menuWindow = { event: {}, clipboardData: { setData: function (format, text) {
    calls.push("clipboard " + format + " " + text);
    return clipboardWorks;
} } };
)";
    std::string script = harness + setup +
                         "\nmenuWindow.event.srcElement = clicked;\n"
                         "var external = { menuArguments: menuWindow };\n" +
                         PageScript() + "\nWScript.Echo(calls.join(\"\\n\"));\n";

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // Fresh names per run: a script host still closing from the previous run
    // may hold its output file open.
    static int run = 0;
    std::wstring stem = std::wstring(temp) + L"RssPageTest" +
                        std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++run);
    std::wstring scriptPath = stem + L".js";
    std::wstring outputPath = stem + L".out";
    FILE* file = _wfopen(scriptPath.c_str(), L"wb");
    if (!file) return "<no script file>";
    std::fwrite(script.data(), 1, script.size(), file);
    std::fclose(file);

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, 0, nullptr);
    if (output == INVALID_HANDLE_VALUE) return "<no output file>";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process = {};
    std::wstring command = L"cscript.exe //nologo \"" + scriptPath + L"\"";
    BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process);
    CloseHandle(output);
    if (!started) return "<cscript did not start>";
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    std::string result = ReadAll(outputPath);
    DeleteFileW(scriptPath.c_str());
    DeleteFileW(outputPath.c_str());
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
    std::string lines;
    for (char ch : result) {
        if (ch != '\r') lines += ch;
    }
    return lines;
}

const char kExists[] = "exists C:\\Program Files\\RSS\\Feed.dll\n";
const char kRun[] = "run RUNDLL32 C:\\PROGRA~1\\RSS\\Feed.dll,EntryPoint ";

TEST(RssPage, LinkAddressGoesToTheEngineBesideThePage) {
    std::string calls = RunPage(R"(clicked = element("A", { href: "http://news.test/rss.xml" });)");
    EXPECT_EQ(calls, std::string(kExists) + kRun + "http://news.test/rss.xml 1 false");
}

TEST(RssPage, ImageInsideALinkGivesTheLinkAndFeedSchemeBecomesHttp) {
    std::string calls = RunPage(R"(
        clicked = element("img", { src: "http://news.test/button.png" },
                          element("span", {}, element("a", { href: "feed://news.test/atom" })));)");
    EXPECT_EQ(calls, std::string(kExists) + kRun + "http://news.test/atom 1 false");
    calls = RunPage(R"(clicked = element("A", { href: "feed:https://news.test/x" });)");
    EXPECT_EQ(calls, std::string(kExists) + kRun + "https://news.test/x 1 false");
}

TEST(RssPage, BareImageGivesItsSource) {
    std::string calls = RunPage(R"(clicked = element("IMG", { src: "http://news.test/f.xml" });)");
    EXPECT_EQ(calls, std::string(kExists) + kRun + "http://news.test/f.xml 1 false");
}

TEST(RssPage, BlanksAndQuotesCannotBreakTheCommandLine) {
    std::string calls =
        RunPage(R"(clicked = element("A", { href: "http://news.test/a b\"c --x" });)");
    EXPECT_EQ(calls, std::string(kExists) + kRun + "http://news.test/a%20b%22c%20--x 1 false");
}

TEST(RssPage, AddressesThatAreNoFeedsAreRefused) {
    for (const char* href :
         {"javascript:alert(1)", "mailto:me@news.test", "http://", "file:///C:/x.xml"}) {
        std::string calls =
            RunPage(std::string("clicked = element(\"A\", { href: \"") + href + "\" });");
        // "无法订阅这个地址" followed by the address.
        EXPECT_EQ(calls.find("alert %u65E0%u6CD5%u8BA2%u9605%u8FD9%u4E2A%u5730%u5740"), 0u)
            << href << ": " << calls;
        EXPECT_EQ(calls.find("run "), std::string::npos) << href;
    }
}

TEST(RssPage, NothingPointedAtTellsTheUserAndRunsNothing) {
    std::string calls = RunPage(R"(clicked = element("BODY", {});)");
    EXPECT_EQ(calls.find("alert "), 0u) << calls;
    EXPECT_EQ(calls.find("\n"), std::string::npos) << calls;
}

TEST(RssPage, WithoutTheEngineTheAddressIsLeftOnTheClipboard) {
    std::string calls = RunPage(R"(engineExists = false;
        clicked = element("A", { href: "http://news.test/rss.xml" });)");
    EXPECT_EQ(calls.find(std::string(kExists) + "clipboard Text http://news.test/rss.xml\nalert "),
              0u)
        << calls;
    // The message names the clipboard (剪贴板).
    EXPECT_NE(calls.find("%u526A%u8D34%u677F"), std::string::npos) << calls;
}

TEST(RssPage, WhenScriptingIsRefusedTheClipboardStillWorks) {
    std::string calls = RunPage(R"(shellWorks = false;
        clicked = element("A", { href: "http://news.test/rss.xml" });)");
    EXPECT_EQ(calls.find(std::string(kExists) + "clipboard Text http://news.test/rss.xml\n"), 0u)
        << calls;
    calls = RunPage(R"(shellWorks = false; clipboardWorks = false;
        clicked = element("A", { href: "http://news.test/rss.xml" });)");
    EXPECT_EQ(calls.find("clipboard Text http://news.test/rss.xml\nalert "), std::strlen(kExists))
        << calls;
    EXPECT_EQ(calls.find("%u526A%u8D34%u677F"), std::string::npos) << calls;
    EXPECT_NE(calls.find("http%3A//news.test/rss.xml"), std::string::npos) << calls;
}

TEST(RssPage, PageOnAShareFindsTheEngineThere) {
    std::string calls = RunPage(R"(location.href = "file://server/share/rss/rss.htm";
        clicked = element("A", { href: "http://news.test/rss.xml" });)");
    EXPECT_EQ(calls.find("exists \\\\server\\share\\rss\\Feed.dll\n"), 0u) << calls;
}

}  // namespace
