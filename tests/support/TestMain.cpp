// The entry point of every test program. Each program gets a temporary
// folder of its own, so that programs running side by side neither list nor
// remove each other's files there; the processes it starts (its own child
// roles, the feed engine) inherit the folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

std::wstring ProgramName() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    name = name.substr(name.find_last_of(L"\\/") + 1);
    return name.substr(0, name.rfind(L'.'));
}

void UseOwnTempFolder() {
    wchar_t temp[MAX_PATH] = L"";
    DWORD length = GetTempPathW(MAX_PATH, temp);
    if (!length || length >= MAX_PATH) return;
    std::wstring own = L"\\" + ProgramName() + L"\\";
    std::wstring folder = temp;
    // A child role of this program is in it already.
    if (folder.size() >= own.size() &&
        folder.compare(folder.size() - own.size(), own.size(), own) == 0)
        return;
    folder += ProgramName();
    CreateDirectoryW(folder.c_str(), nullptr);
    if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    SetEnvironmentVariableW(L"TMP", folder.c_str());
    SetEnvironmentVariableW(L"TEMP", folder.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    UseOwnTempFolder();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
