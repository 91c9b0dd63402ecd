#include "feeds/SubscriptionImport.h"

#include <cwchar>
#include <string>
#include <unordered_set>
#include <vector>

#include "common/FileReplace.h"
#include "core/ToolbarEnvironment.h"
#include "feeds/FeedAddress.h"
#include "feeds/FeedParser.h"
#include "feeds/IniSnapshot.h"
#include "feeds/IniText.h"
#include "feeds/StoreFile.h"
#include "feeds/StoreLock.h"
#include "feeds/SubscriptionStore.h"

namespace {
const wchar_t kMain[] = L"main";
const wchar_t kBlanks[] = L" \t";

struct NewSubscription {
    std::wstring title;
    std::wstring xmlUrl;
    std::wstring htmlUrl;
};

std::wstring Trim(const std::wstring& text, const wchar_t* blanks = L" \t\r\n") {
    size_t begin = text.find_first_not_of(blanks);
    if (begin == std::wstring::npos) return std::wstring();
    return text.substr(begin, text.find_last_not_of(blanks) - begin + 1);
}

// The name of the section a line opens, or false for any other line.
bool SectionOfLine(const std::wstring& line, std::wstring* name) {
    std::wstring trimmed = Trim(line, kBlanks);
    if (trimmed.empty() || trimmed[0] != L'[') return false;
    size_t close = trimmed.find(L']');
    *name = Trim(trimmed.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1),
                 kBlanks);
    return true;
}

// n for a section named as the store names subscription n, else 0.
int SubscriptionNumberOf(const std::wstring& section) {
    if (section.size() < 4 || _wcsnicmp(section.c_str(), L"rss", 3) != 0) return 0;
    wchar_t* end = nullptr;
    long number = wcstol(section.c_str() + 3, &end, 10);
    if (*end || number <= 0 || number > 0x7FFFFFFF) return 0;
    int n = static_cast<int>(number);
    return _wcsicmp(NumberedSection(L"rss", n).c_str(), section.c_str()) == 0 ? n : 0;
}

// The lines of text one by one, without their line ends.
template <typename Visit>
void ForEachLine(const std::wstring& text, Visit visit) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        visit(line);
        pos = end + 1;
    }
}

bool IsCountLine(const std::wstring& line) {
    size_t equals = line.find(L'=');
    return equals != std::wstring::npos &&
           _wcsicmp(Trim(line.substr(0, equals), kBlanks).c_str(), L"count") == 0;
}

// The store's text with count set to the new total and the new subscriptions
// appended from number first on. Sections under those numbers (a crash can
// leave them behind the count) are left out, so that none of their keys
// passes for a new subscription's.
std::wstring StoreTextWith(const std::wstring& text, int first,
                           const std::vector<NewSubscription>& added) {
    int last = first + static_cast<int>(added.size()) - 1;
    std::wstring countLine = L"count=" + std::to_wstring(last) + L"\r\n";
    std::wstring out;
    out.reserve(text.size() + added.size() * 200);
    bool dropping = false;
    bool inMain = false;
    bool counted = false;
    size_t mainBody = std::wstring::npos;
    ForEachLine(text, [&](const std::wstring& line) {
        std::wstring section;
        if (SectionOfLine(line, &section)) {
            int number = SubscriptionNumberOf(section);
            dropping = number >= first && number <= last;
            inMain = _wcsicmp(section.c_str(), kMain) == 0;
            if (!dropping) out += line + L"\r\n";
            if (inMain && mainBody == std::wstring::npos) mainBody = out.size();
            return;
        }
        if (dropping) return;
        if (inMain && !counted && IsCountLine(line)) {
            out += countLine;
            counted = true;
            return;
        }
        out += line + L"\r\n";
    });
    if (!counted) {
        if (mainBody != std::wstring::npos) {
            out.insert(mainBody, countLine);
        } else {
            out.insert(0, L"[main]\r\n" + countLine);
        }
    }
    for (size_t i = 0; i < added.size(); ++i) {
        out += L"[" + NumberedSection(L"rss", first + static_cast<int>(i)) + L"]\r\n";
        out += L"title=" + CleanIniValue(added[i].title) + L"\r\n";
        out += L"xmlUrl=" + CleanIniValue(added[i].xmlUrl) + L"\r\n";
        out += L"htmlUrl=" + CleanIniValue(added[i].htmlUrl) + L"\r\n";
        out += std::wstring(kImportedKey) + L"=1\r\n";
    }
    return out;
}

// What the profile functions read from the new file is what was meant.
bool ReadsAsMeant(const wchar_t* file, int first, int last) {
    if (GetPrivateProfileIntW(kMain, L"count", -1, file) != static_cast<UINT>(last)) return false;
    for (int number : {first, last}) {
        if (ReadIniString(file, NumberedSection(L"rss", number).c_str(), L"xmlUrl").empty())
            return false;
    }
    return true;
}

// Caches and read marks under the new numbers belong to no subscription; a
// crash can leave them behind. They must not pass for the new ones'.
void DropLeftovers(const wchar_t* historyIni, int first, int last) {
    wchar_t folder[MAX_PATH] = L"";
    RssDataPath(folder, nullptr);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((std::wstring(folder) + L"\\*.txt").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            wchar_t* end = nullptr;
            long number = wcstol(found.cFileName, &end, 10);
            bool cache = !_wcsicmp(end, L".txt") || !_wcsicmp(end, L"_temp.txt");
            if (cache && end != found.cFileName && number >= first && number <= last)
                DeleteFileW((std::wstring(folder) + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    IniText history;
    if (!history.Load(historyIni)) return;
    ForEachLine(history.Text(), [&](const std::wstring& line) {
        std::wstring section;
        if (!SectionOfLine(line, &section)) return;
        int number = SubscriptionNumberOf(section);
        if (number >= first && number <= last)
            WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, historyIni);
    });
}

// The outlines the store does not hold yet, in document order.
std::vector<NewSubscription> NewSubscriptions(const std::vector<OpmlOutline>& outlines,
                                              std::unordered_set<std::wstring>& known,
                                              int* skipped) {
    std::vector<NewSubscription> added;
    for (const OpmlOutline& outline : outlines) {
        std::wstring typed = Trim(outline.xmlUrl);
        std::wstring address = CompleteFeedAddress(typed);
        // An address the completion had to cut short would name another feed.
        bool whole = address == typed || address.size() == typed.size() + 7;
        if (typed.empty() || !whole || !IsUsableFeedAddress(address)) continue;
        if (!known.insert(FeedAddressKey(address)).second) {
            ++*skipped;
            continue;
        }
        NewSubscription subscription;
        subscription.xmlUrl = address;
        subscription.title = Trim(outline.title);
        if (subscription.title.empty()) subscription.title = UntitledFeedTitle();
        // The site is opened in the browser: only a web address will do.
        std::wstring site = Trim(outline.htmlUrl);
        if (IsUsableFeedAddress(site)) subscription.htmlUrl = site;
        added.push_back(subscription);
    }
    return added;
}

void Store(const wchar_t* rssIni, const wchar_t* historyIni, const OpmlReader& reader,
           ImportSummary& summary) {
    StoreLock lock;
    IniText text;
    // Replacing the list unguarded could drop what another window adds meanwhile.
    if (!lock.Held() || !text.Load(rssIni)) return;
    if (text.Existed() && !IsWritableFile(rssIni)) return;
    IniSnapshot rss(text);
    // A corrupt count is not one to number after: the new ones follow the
    // last section the list holds, as an add dialog's would.
    int count = BoundedCount(rss);
    if (count < 0) return;
    std::unordered_set<std::wstring> known;
    for (int number = 1; number <= count; ++number) {
        std::wstring address = rss.Get(NumberedSection(L"rss", number).c_str(), L"xmlUrl");
        if (!address.empty()) known.insert(FeedAddressKey(address));
    }
    std::vector<NewSubscription> added =
        NewSubscriptions(reader.Outlines(), known, &summary.skipped);
    if (added.empty()) {
        summary.stored = true;
        return;
    }
    int first = count + 1;
    int last = first + static_cast<int>(added.size()) - 1;
    DropLeftovers(historyIni, first, last);
    text.SetText(StoreTextWith(text.Text(), first, added));
    summary.stored = ReplaceFileContents(rssIni, text.Encode(), [&](const wchar_t* fresh) {
        return ReadsAsMeant(fresh, first, last);
    });
    if (!summary.stored) return;
    summary.added = static_cast<int>(added.size());
    summary.firstNumber = first;
}
}  // namespace

ImportSummary ImportOpmlFile(const wchar_t* rssIni, const wchar_t* historyIni,
                             const wchar_t* opmlFile) {
    ImportSummary summary;
    OpmlReader reader;
    summary.verdict = reader.ReadFile(opmlFile);
    if (summary.verdict == OpmlVerdict::kRead) Store(rssIni, historyIni, reader, summary);
    if (!summary.stored) summary.skipped = 0;
    return summary;
}

bool WasImported(const IniSnapshot& rss, int number) {
    return rss.GetNumber(NumberedSection(L"rss", number).c_str(), kImportedKey, 0) == 1;
}
