#include "engine/ChannelUpdater.h"

#include "engine/ChannelDate.h"
#include "engine/ChannelFeed.h"
#include "engine/ChannelFiles.h"
#include "engine/ChannelPage.h"
#include "engine/ChannelState.h"
#include "engine/EngineFetch.h"

namespace {

void Report(const std::function<void(int)>& progress, int value) {
    if (progress) progress(value);
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool PagesExist(const std::wstring& pageName) {
    std::wstring base = TempFolder() + pageName;
    return FileExists(base + L".html") && FileExists(base);
}

FetchRequest ConditionalRequest(const std::wstring& address, const ChannelState& state) {
    FetchRequest request;
    request.address = address;
    // Validators belong to the address that answered them.
    if (state.address == address) {
        request.etag = state.etag;
        request.lastModified = state.lastModified;
    }
    return request;
}

void TakeFeed(const ChannelFeed& feed, const std::wstring& address, const FetchResult& fetched,
              ChannelState& state) {
    MergeChannelFeed(feed, CurrentStamp(), state);
    state.address = address;
    state.base = fetched.finalAddress;
    state.etag = fetched.etag;
    state.lastModified = fetched.lastModified;
}

ChannelUpdateResult Finished(const ChannelState& state, bool notModified) {
    ChannelUpdateResult result;
    result.ok = true;
    result.notModified = notModified;
    result.feedTitle = state.title;
    result.hasUnread = HasUnreadItems(state);
    return result;
}

// Page names end up in file names; one that could leave the folders is refused.
bool IsSafePageName(const std::wstring& pageName) {
    return !pageName.empty() && pageName.size() < 100 &&
           pageName.find_first_of(L"\\/:*?\"<>|") == std::wstring::npos && pageName != L"." &&
           pageName != L"..";
}

}  // namespace

ChannelUpdater::ChannelUpdater(std::wstring dataFolder) : dataFolder_(std::move(dataFolder)) {
    if (!dataFolder_.empty() && dataFolder_.back() != L'\\') dataFolder_ += L'\\';
    CreateDirectoryW(dataFolder_.c_str(), nullptr);
}

std::wstring ChannelUpdater::StatePath(const std::wstring& pageName) const {
    return dataFolder_ + pageName + L".channel";
}

ChannelUpdateResult ChannelUpdater::Update(const std::wstring& address,
                                           const std::wstring& pageName,
                                           const std::function<void(int)>& progress) {
    Report(progress, 0);
    if (!IsSafePageName(pageName)) return ChannelUpdateResult();
    ChannelState state;
    LoadChannelState(StatePath(pageName), state);
    std::wstring download = dataFolder_ + pageName + L".download";
    FetchResult fetched = FetchToFile(ConditionalRequest(address, state), download, progress);
    if (fetched.outcome == FetchResult::kNotModified) {
        // Only a page that went missing needs writing.
        if (!PagesExist(pageName) && !WriteChannelPages(pageName, state))
            return ChannelUpdateResult();
        Report(progress, 10);
        return Finished(state, true);
    }
    if (fetched.outcome != FetchResult::kFetched) return ChannelUpdateResult();
    ChannelFeed feed;
    bool parsed = ParseChannelFeed(download, fetched.finalAddress, feed);
    DeleteFileW(download.c_str());
    if (!parsed) return ChannelUpdateResult();
    Report(progress, 8);
    TakeFeed(feed, address, fetched, state);
    if (!SaveChannelState(StatePath(pageName), state)) return ChannelUpdateResult();
    Report(progress, 9);
    if (!WriteChannelPages(pageName, state)) return ChannelUpdateResult();
    Report(progress, 10);
    return Finished(state, false);
}

bool ChannelUpdater::WritePages(const std::wstring& pageName) {
    ChannelState state;
    if (!IsSafePageName(pageName) || !LoadChannelState(StatePath(pageName), state)) return false;
    return WriteChannelPages(pageName, state);
}

void ChannelUpdater::MarkAllRead(const std::wstring& pageName) {
    ChannelState state;
    if (!IsSafePageName(pageName) || !LoadChannelState(StatePath(pageName), state)) return;
    for (ChannelItem& item : state.items) item.read = true;
    SaveChannelState(StatePath(pageName), state);
    WriteChannelPages(pageName, state);
}

bool ChannelUpdater::HasUnread(const std::wstring& pageName) const {
    ChannelState state;
    return IsSafePageName(pageName) && LoadChannelState(StatePath(pageName), state) &&
           HasUnreadItems(state);
}

void ChannelUpdater::Forget(const std::wstring& pageName) {
    if (!IsSafePageName(pageName)) return;
    DeleteFileW(StatePath(pageName).c_str());
    std::wstring folder = TempFolder();
    if (folder.empty()) return;
    DeleteFileW((folder + pageName + L".html").c_str());
    DeleteFileW((folder + pageName).c_str());
}
