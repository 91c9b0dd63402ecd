#include "engine/ChannelFiles.h"

#include "common/FileHandle.h"

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH] = L"";
    DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    return folder;
}

bool WriteFileReplacing(const std::wstring& path, const std::string& bytes) {
    std::wstring fresh = path + L".new";
    FileHandle file = OwnFile(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    bool ok =
        WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size() && FlushFileBuffers(file.Get());
    file.Reset();  // closed before it takes the old file's place
    if (ok)
        ok = MoveFileExW(fresh.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!ok) DeleteFileW(fresh.c_str());
    return ok;
}
