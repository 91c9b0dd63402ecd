#include "common/FileReplace.h"

namespace {
// A reader holds a file for a moment; the replace is tried this often, this
// far apart, before it counts as failed.
constexpr int kReplaceTries = 25;
constexpr DWORD kReplacePauseMs = 20;

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash + 1);
}

bool WriteAll(const wchar_t* path, const std::string& bytes) {
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size() && FlushFileBuffers(file);
    CloseHandle(file);
    return ok;
}

bool MoveOnto(const wchar_t* from, const wchar_t* to) {
    for (int attempt = 0; attempt < kReplaceTries; ++attempt) {
        if (attempt) Sleep(kReplacePauseMs);
        if (ReplaceWithFile(to, from)) return true;
        DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
            error != ERROR_LOCK_VIOLATION && error != ERROR_UNABLE_TO_REMOVE_REPLACED)
            return false;
    }
    return false;
}
}  // namespace

bool ReplaceWithFile(const wchar_t* target, const wchar_t* source) {
    if (ReplaceFileW(target, source, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    DWORD error = GetLastError();
    // No target, or one removed before the source could take its name.
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT) return false;
    return MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool ReplaceFileContents(const std::wstring& path, const std::string& bytes,
                         const std::function<bool(const wchar_t* fresh)>& check) {
    wchar_t fresh[MAX_PATH];
    // A unique name: two writers of the same file must not share a half-written one.
    if (!GetTempFileNameW(FolderOf(path).c_str(), L"new", 0, fresh)) return false;
    bool ok = WriteAll(fresh, bytes) && (!check || check(fresh)) && MoveOnto(fresh, path.c_str());
    if (!ok) DeleteFileW(fresh);
    return ok;
}
