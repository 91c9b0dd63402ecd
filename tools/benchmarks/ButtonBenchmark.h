#pragma once
// What the button's benchmarks share: timing, and a data folder of their own
// in place of the user's while they run.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/ToolbarEnvironment.h"

namespace benchmark {

inline std::wstring DataFile(const wchar_t* name) {
    wchar_t path[MAX_PATH] = L"";
    RssDataPath(path, name);
    return path;
}

inline double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Moves the plug-in's data folder aside for an empty one, and puts it back
// at the end.
class DataFolderAside {
public:
    DataFolderAside() {
        folder_ = DataFile(L"");
        if (!folder_.empty() && folder_.back() == L'\\') folder_.pop_back();
        saved_ = folder_ + L".benchmark-saved";
        moved_ = MoveFileW(folder_.c_str(), saved_.c_str()) != FALSE;
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    ~DataFolderAside() {
        Empty();
        RemoveDirectoryW(folder_.c_str());
        if (moved_) MoveFileW(saved_.c_str(), folder_.c_str());
    }
    DataFolderAside(const DataFolderAside&) = delete;
    DataFolderAside& operator=(const DataFolderAside&) = delete;

    void Empty() const {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder_ + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((folder_ + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }

private:
    std::wstring folder_;
    std::wstring saved_;
    bool moved_ = false;
};

}  // namespace benchmark
