// Mutated inputs of the band, with fixed seeds and bounded counts: update
// batches that another process sends a real tree pane through its relay
// window, the style sheet list "css\css.txt", and the item lists that the
// link harvest reads. None may crash, hang, show a box or write where it
// should not; each target prints its tried and failed counts.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "PaneScene.h"
#include "history/UrlHistoryRecorder.h"
#include "server/EngineProtocol.h"
#include "server/LinkHarvest.h"
#include "server/Module.h"
#include "server/OptionsCommands.h"
#include "server/OptionsMenu.h"
#include "server/StyleSheetList.h"
#include "support/ChildProcess.h"
#include "support/FuzzRun.h"
#include "support/Mutator.h"

namespace {

using Bytes = Mutator::Bytes;

// ---- update batches ------------------------------------------------------

const int kBatches = FuzzRounds(600);
// Node ids the batches mostly name.
constexpr DWORD kCommonNodes = 60;

void PutDword(Bytes& batch, DWORD value) {
    batch.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void PutWide(Bytes& batch, const std::wstring& text) {
    batch.append(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

void PutRecord(Bytes& batch, UINT message, DWORD wParam, DWORD lParam) {
    PutDword(batch, message);
    PutDword(batch, wParam);
    PutDword(batch, lParam);
}

void PutText(Bytes& batch, DWORD node, const std::wstring& text, const std::wstring& page) {
    PutDword(batch, WM_RSS_ITEM_TEXT);
    PutDword(batch, node);
    PutWide(batch, text);
    PutWide(batch, page);
}

std::wstring RandomText(Mutator& mutator, size_t longest) {
    std::wstring text(mutator.Pick(0, longest), L'\0');
    for (wchar_t& ch : text) {
        ch = mutator.Pick(0, 3) ? static_cast<wchar_t>(mutator.Pick(0x20, 0x7E))
                                : static_cast<wchar_t>(mutator.Pick(0x80, 0xFFFF));
        if (!ch) ch = L'?';
    }
    return text;
}

// Engine codes mostly; now and then one a batch must never deliver.
UINT BatchCode(Mutator& mutator) {
    static const UINT kEngine[] = {
        WM_RSS_FOLDER, WM_RSS_CHANNEL,   WM_RSS_EXPAND,       WM_RSS_SORT, WM_RSS_DELETE,
        WM_RSS_UPDATE, WM_RSS_ITEM_TEXT, WM_RSS_QUERY_UNREAD, WM_RSS_READ, WM_RSS_UNREAD};
    static const UINT kForeign[] = {WM_RSS_DROP, WM_RSS_PARTNER_PAGE,
                                    WM_COPYDATA, WM_NOTIFY,
                                    WM_COMMAND,  WM_CONTEXTMENU,
                                    WM_CLOSE,    WM_DESTROY,
                                    WM_DRAWITEM, WM_SETTEXT,
                                    WM_TIMER,    WM_SIZE,
                                    1027,        1028,
                                    1029,        WM_USER + 2000,
                                    0xC000,      0xFFFFFFFF};
    if (mutator.Pick(0, 9)) return kEngine[mutator.Pick(0, sizeof kEngine / sizeof kEngine[0] - 1)];
    return kForeign[mutator.Pick(0, sizeof kForeign / sizeof kForeign[0] - 1)];
}

DWORD Node(Mutator& mutator) {
    return mutator.Pick(0, 19) ? static_cast<DWORD>(mutator.Pick(0, kCommonNodes))
                               : static_cast<DWORD>(mutator.Pick(0, 0xFFFFFFFFu));
}

DWORD Parameter(Mutator& mutator, UINT code) {
    switch (code) {
        case WM_RSS_FOLDER:
        case WM_RSS_CHANNEL:
            return Node(mutator);
        case WM_RSS_UPDATE:
            return static_cast<DWORD>(static_cast<int>(mutator.Pick(0, 30)) - 10);
        case WM_RSS_EXPAND: {
            // The control's codes, with those that make it delete a folder's
            // children (TVE_COLLAPSERESET) or expand part of it.
            static const DWORD kCodes[] = {0,      1,      2,      3,      4,         5,
                                           0x8001, 0x8001, 0x8002, 0x8003, 0x4002,    0x4001,
                                           0xC003, 0x8000, 0x4000, 0xFFFF, 0xFFFFFFFF};
            if (!mutator.Pick(0, 9)) return static_cast<DWORD>(mutator.Pick(0, 0xFFFFFFFFu));
            return kCodes[mutator.Pick(0, sizeof kCodes / sizeof kCodes[0] - 1)];
        }
        case WM_RSS_UNREAD:
            return static_cast<DWORD>(mutator.Pick(0, 1));
        default:
            return static_cast<DWORD>(mutator.Pick(0, 0xFFFFFFFFu));
    }
}

Bytes RandomBatch(Mutator& mutator) {
    Bytes batch;
    for (size_t n = mutator.Pick(1, 20); n; --n) {
        UINT code = BatchCode(mutator);
        if (code == WM_RSS_ITEM_TEXT) {
            size_t longest = mutator.Pick(0, 30) ? 40 : 5000;
            PutText(batch, Node(mutator), RandomText(mutator, longest),
                    mutator.Pick(0, 1) ? RandomText(mutator, 40) : std::wstring());
        } else {
            PutRecord(batch, code, Node(mutator), Parameter(mutator, code));
        }
    }
    if (mutator.Pick(0, 3)) PutDword(batch, 0);
    // Half are damaged further: flipped, cut, spliced, repeated.
    return mutator.Pick(0, 1) ? mutator.DeriveBytes(batch) : batch;
}

// Child: sends the batches to the relay window named by argument, the way an
// engine in another process does. Exits with 0 when every batch got a reply;
// with the number of batches left when one got none (the pane is stuck, or
// 200 and more when it is gone).
int SendMutatedBatches(const std::wstring& argument) {
    HWND agent =
        reinterpret_cast<HWND>(static_cast<ULONG_PTR>(_wcstoui64(argument.c_str(), nullptr, 10)));
    if (!IsWindow(agent)) return 250;
    Mutator mutator(20261210);
    for (int i = 0; i < kBatches; ++i) {
        Bytes batch = RandomBatch(mutator);
        COPYDATASTRUCT data = {0, static_cast<DWORD>(batch.size()),
                               batch.empty() ? nullptr : &batch[0]};
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(agent, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                 SMTO_NORMAL, kPatienceMs, &result)) {
            printf("batch %d: no reply\n", i);
            int left = kBatches - i;
            return IsWindow(agent) ? (left > 199 ? 199 : left) : 200 + (left > 49 ? 49 : left);
        }
        ReportChildProgress();
    }
    return 0;
}
CHILD_ROLE(L"send-mutated-batches", SendMutatedBatches);

class BandInputFuzzTest : public EngineSuite {};

TEST_F(BandInputFuzzTest, MutatedBatchesFromAnotherProcessLeaveTheTreePaneWorking) {
    MessageBoxWatcher boxes(IDNO);
    PaneScene scene;
    HWND pane = scene.PaneWindow();
    HWND agent = scene.Pane().AgentWindow();
    ASSERT_TRUE(IsWindow(agent));

    DWORD began = GetTickCount();
    std::atomic<bool> done{false};
    int childFailed = -1;
    std::thread child([&] {
        childFailed = RunChildRole(L"send-mutated-batches",
                                   std::to_wstring(reinterpret_cast<ULONG_PTR>(agent)));
        done = true;
    });
    while (!done) PumpMessages(20);
    child.join();
    // What the pane posted itself meanwhile, and any box it would show.
    PumpMessages(20);

    int failed = childFailed < 0 ? kBatches : childFailed;
    failed += static_cast<int>(boxes.Boxes().size());
    bool alive = IsWindow(pane) && IsWindow(agent) && IsWindow(scene.Tree());
    if (!alive) ++failed;
    // The pane still takes a batch and shows what it says: every common node
    // deleted and shown again. A map that kept an item the control deleted
    // would take the node for shown and leave it out.
    if (alive) {
        Bytes batch;
        for (DWORD node = 1; node <= kCommonNodes; ++node) PutRecord(batch, WM_RSS_DELETE, node, 0);
        for (DWORD node = 1; node <= kCommonNodes; ++node) {
            PutRecord(batch, WM_RSS_FOLDER, node, 0);
            PutText(batch, node, L"final " + std::to_wstring(node), L"");
        }
        PutDword(batch, 0);
        COPYDATASTRUCT data = {0, static_cast<DWORD>(batch.size()), &batch[0]};
        SendMessageA(agent, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
        PumpMessages(50);
        for (DWORD node = 1; node <= kCommonNodes; ++node) {
            HTREEITEM item = scene.Item(node);
            if (!item || scene.Text(item) != L"final " + std::to_wstring(node)) {
                ++failed;
                printf("node %lu not shown again\n", static_cast<unsigned long>(node));
            }
        }
    }
    ReportFuzzTarget("update batch WM_COPYDATA", kBatches, failed,
                     std::to_string(TreeView_GetCount(scene.Tree())) + " items left, " +
                         std::to_string((GetTickCount() - began) / 1000) + " s");
    EXPECT_EQ(failed, 0);
}

// ---- style sheet list ----------------------------------------------------

const int kLists = FuzzRounds(1500);

// A module directory of its own: css\css.txt and the sheets it names.
class SheetFolder {
public:
    SheetFolder() {
        dir_ = std::wstring(folder_.Path()) + L"\\";
        CreateDirectoryW((dir_ + L"css").c_str(), nullptr);
        for (const char* name : {"blue", "paper", "night", "plain"})
            WriteFileBytes(dir_ + L"css\\" + Wide(name) + L".css",
                           std::string("/* ") + name + " */\n");
    }
    std::string Dir() const { return std::string(dir_.begin(), dir_.end()); }
    std::wstring WideDir() const { return dir_; }
    void WriteList(const Bytes& bytes) const { WriteFileBytes(dir_ + L"css\\css.txt", bytes); }
    static std::wstring Wide(const std::string& text) {
        return std::wstring(text.begin(), text.end());
    }
    static void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }

private:
    TempFolder folder_;
    std::wstring dir_;
};

std::string ReadAll(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

Bytes ShippedList() {
    return "11000;\xBE\xAD\xB5\xE4\xC0\xB6;css\\blue.css\r\n11001;\xB1\xA8\xD6\xBD;css\\paper."
           "css\r\n"
           "11002;\xD2\xB9\xBC\xE4;css\\night.css\r\n11003;\xBC\xF2\xBD\xE0;css\\plain.css\r\n";
}

Bytes MutatedList(Mutator& mutator) {
    Bytes list = ShippedList();
    switch (mutator.Pick(0, 7)) {
        case 0:  // a line longer than the reader's buffer
            list.insert(mutator.Pick(0, list.size()), Bytes(mutator.Pick(1000, 5000), ';'));
            break;
        case 1:  // many entries
            for (size_t n = mutator.Pick(100, 2000); n; --n)
                list += std::to_string(11000 + mutator.Pick(0, 120)) + ";n;css\\blue.css\n";
            break;
        case 2:  // names and files without end
            list += "11005;" + Bytes(mutator.Pick(200, 1020), 'n') + ";" +
                    Bytes(mutator.Pick(200, 1020), 'f') + "\n";
            break;
        case 3:
            list = mutator.RandomBytes(mutator.Pick(0, 3000));
            break;
        default:
            list = mutator.DeriveBytes(list);
            break;
    }
    return list;
}

size_t Lines(const Bytes& bytes) {
    size_t lines = 1;
    for (char ch : bytes) lines += ch == '\n';
    return lines;
}

TEST_F(BandInputFuzzTest, MutatedStyleSheetListsBuildTheMenuAndCopyOnlyListedSheets) {
    SheetFolder module;
    char tempFolder[MAX_PATH];
    GetTempPathA(MAX_PATH, tempFolder);
    std::wstring wideTemp(tempFolder, tempFolder + strlen(tempFolder));
    std::string active = ActiveStyleSheetPath();
    std::set<std::wstring> tempBefore = FolderFiles(wideTemp);
    tempBefore.insert(L"rss.css");
    tempBefore.insert(L"engine.log");  // the stand-in engine's own
    HINSTANCE resources = Module::Instance();

    Mutator mutator(20261211);
    int failed = 0;
    DWORD began = GetTickCount();
    {
        HangWatch watch("css\\css.txt", 2 * kPatienceMs);
        for (int variant = 0; variant < kLists; ++variant) {
            Bytes list = MutatedList(mutator);
            module.WriteList(list);
            watch.Start(variant);
            StyleSheetList sheets;
            sheets.Read(module.Dir());
            bool bad = sheets.Entries().size() > Lines(list);
            {
                OptionsMenu menu(resources, sheets);
                int items = menu.Popup() ? GetMenuItemCount(menu.Popup()) : -1;
                bad |= items != static_cast<int>(sheets.Entries().size()) + 2;
            }
            // Choosing a listed sheet copies exactly that file, nothing else.
            if (!sheets.Entries().empty()) {
                const StyleSheetEntry& pick =
                    sheets.Entries()[mutator.Pick(0, sheets.Entries().size() - 1)];
                DeleteFileA(active.c_str());
                UINT command = LOWORD(pick.id);
                bool listed = ChooseStyleSheet(command, sheets, module.Dir());
                const StyleSheetEntry* first = sheets.Find(command);
                if (listed && first) {
                    std::string source = ReadAll(module.Dir() + first->file);
                    DWORD attributes = GetFileAttributesA((module.Dir() + first->file).c_str());
                    bool copyable = attributes != INVALID_FILE_ATTRIBUTES &&
                                    !(attributes & FILE_ATTRIBUTE_DIRECTORY);
                    if (copyable) bad |= ReadAll(active) != source;
                }
            }
            watch.Stop();
            for (const std::wstring& name : FolderFiles(wideTemp))
                if (!tempBefore.count(name)) bad = true;
            if (bad) {
                ++failed;
                printf("css.txt variant %d failed (%u entries)\n", variant,
                       static_cast<unsigned>(sheets.Entries().size()));
            }
        }
    }
    ReportFuzzTarget("css\\css.txt", kLists, failed,
                     std::to_string((GetTickCount() - began) / 1000) + " s");
    EXPECT_EQ(failed, 0);
}

// ---- item lists of the link harvest ----------------------------------------

const int kPages = FuzzRounds(1500);

Bytes ItemList(Mutator& mutator) {
    Bytes page = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<html><body>";
    for (size_t n = mutator.Pick(0, 6); n; --n)
        page += "<div id=\"item\"><div id=\"title\"><a href=\"http://example.test/" +
                std::to_string(mutator.Pick(0, 999)) +
                "?a=1&amp;b=\xE6\x96\xB0\">t</a></div><div id=\"description\">d</div></div>";
    return page + "</body></html>";
}

size_t Count(const Bytes& text, const Bytes& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != Bytes::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST_F(BandInputFuzzTest, MutatedItemListsRecordAtMostTheLinksTheyHold) {
    UrlHistoryRecorder recorder;
    ASSERT_TRUE(recorder.Registered());
    LinkHarvest harvest;
    ASSERT_TRUE(harvest.HasDocument());
    std::string path = LinkHarvest::ItemListPath(L"fuzz_item_list");
    ASSERT_FALSE(path.empty());

    Mutator mutator(20261212);
    int failed = 0;
    size_t recorded = 0;
    DWORD began = GetTickCount();
    {
        HangWatch watch("link harvest", 2 * kPatienceMs);
        for (int variant = 0; variant < kPages; ++variant) {
            int roll = static_cast<int>(mutator.Pick(0, 99));
            Bytes page = ItemList(mutator);
            if (roll < 3) {
                page = mutator.Derive(page, Mutator::kDeepNesting);
            } else if (roll < 6) {
                page = mutator.Derive(page, Mutator::kHugeAttribute);
            } else if (roll < 9) {
                page = mutator.Derive(page, Mutator::kDeclareEncoding);
            } else if (roll < 90) {
                page = mutator.DeriveBytes(page);
            }
            SheetFolder::WriteFileBytes(std::wstring(path.begin(), path.end()), page);
            UrlHistoryRecorder::Clear();
            watch.Start(variant);
            harvest.Harvest(L"fuzz_item_list");
            watch.Stop();
            std::vector<std::wstring> urls = UrlHistoryRecorder::RecordedUrls();
            recorded += urls.size();
            bool bad = urls.size() > Count(page, "href");
            for (const std::wstring& url : urls) bad |= url.empty();
            if (bad) {
                ++failed;
                printf("item list variant %d: %u links from %u hrefs\n", variant,
                       static_cast<unsigned>(urls.size()),
                       static_cast<unsigned>(Count(page, "href")));
            }
        }
    }
    DeleteFileA(path.c_str());
    ReportFuzzTarget("link harvest", kPages, failed,
                     std::to_string(recorded) + " links recorded, " +
                         std::to_string((GetTickCount() - began) / 1000) + " s");
    EXPECT_EQ(failed, 0);
}

}  // namespace
