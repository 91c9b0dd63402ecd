#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

const wchar_t kRoleSwitch[] = L"--child-role=";
const wchar_t kArgumentSwitch[] = L"--child-argument=";

std::map<std::wstring, ChildRoleFunction>& Roles() {
    static std::map<std::wstring, ChildRoleFunction> roles;
    return roles;
}

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// The value of a switch of this process's command line, written by
// RunChildRole: up to the next blank, or to the closing quote when the switch
// is quoted.
std::wstring SwitchValue(const wchar_t* name) {
    std::wstring line = GetCommandLineW();
    size_t at = line.find(name);
    if (at == std::wstring::npos) return L"";
    bool quoted = at > 0 && line[at - 1] == L'"';
    size_t start = at + wcslen(name);
    size_t end = line.find(quoted ? L'"' : L' ', start);
    return line.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

// The event a child role's progress reports set, named for the child.
std::wstring ProgressEventName(DWORD processId) {
    return L"ChildRoleProgress." + std::to_wstring(processId);
}

// The role runs once every test program's roles are registered: when the
// test program starts (whatever the filter), and the process ends there.
class ChildRoleListener : public ::testing::EmptyTestEventListener {
public:
    void OnTestProgramStart(const ::testing::UnitTest&) override {
        std::wstring role = SwitchValue(kRoleSwitch);
        std::wstring argument = SwitchValue(kArgumentSwitch);
        if (role.empty()) return;
        auto it = Roles().find(role);
        int result = it == Roles().end() ? 99 : it->second(argument);
        fflush(stdout);
        ExitProcess(static_cast<UINT>(result));
    }
};

const bool kListening = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ChildRoleListener);
    return true;
}();

}  // namespace

bool RegisterChildRole(const wchar_t* name, ChildRoleFunction function) {
    Roles()[name] = function;
    return true;
}

int RunChildRole(const std::wstring& role, const std::wstring& argument,
                 const std::wstring& program, DWORD timeoutMs) {
    std::wstring path = program.empty() ? ThisProgram() : program;
    std::wstring command = L"\"" + path + L"\" --gtest_filter=-* " + kRoleSwitch + role + L" \"" +
                           kArgumentSwitch + argument + L"\"";
    std::vector<wchar_t> buffer(command.begin(), command.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    // Suspended until the event its reports go to exists.
    if (!CreateProcessW(path.c_str(), buffer.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &process)) {
        return -1;
    }
    HANDLE progress =
        CreateEventW(nullptr, FALSE, FALSE, ProgressEventName(process.dwProcessId).c_str());
    ResumeThread(process.hThread);
    HANDLE waits[] = {process.hProcess, progress};
    DWORD woke = WAIT_OBJECT_0 + 1;
    while (woke == WAIT_OBJECT_0 + 1) {
        woke = WaitForMultipleObjects(progress ? 2 : 1, waits, FALSE, timeoutMs);
    }
    DWORD code = static_cast<DWORD>(-1);
    if (woke == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    } else {
        TerminateProcess(process.hProcess, static_cast<UINT>(-1));
    }
    if (progress) CloseHandle(progress);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

void ReportChildProgress() {
    static HANDLE progress =
        OpenEventW(EVENT_MODIFY_STATE, FALSE, ProgressEventName(GetCurrentProcessId()).c_str());
    if (progress) SetEvent(progress);
}

ProgramCopy::ProgramCopy(const std::wstring& fileName, const std::wstring& windowsVersion) {
    path_ = TempFilePath(fileName);
    ok_ = CopyFileW(ThisProgram().c_str(), path_.c_str(), FALSE) != FALSE;
    if (!ok_ || windowsVersion.empty()) return;
    settingsKey_ = L"Software\\Wine\\AppDefaults\\" + fileName;
    HKEY key = nullptr;
    ok_ = RegCreateKeyExW(HKEY_CURRENT_USER, settingsKey_.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &key, nullptr) == ERROR_SUCCESS;
    if (!ok_) return;
    ok_ = RegSetValueExW(
              key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(windowsVersion.c_str()),
              static_cast<DWORD>((windowsVersion.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(key);
}

ProgramCopy::~ProgramCopy() {
    if (!settingsKey_.empty()) RegDeleteKeyW(HKEY_CURRENT_USER, settingsKey_.c_str());
    DeleteFileW(path_.c_str());
}

std::wstring TempFilePath(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

bool WriteTextFile(const std::wstring& path, const std::wstring& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    BOOL ok = WriteFile(file, text.data(), size, &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}

std::wstring ReadTextFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return L"";
    std::wstring text(GetFileSize(file, nullptr) / sizeof(wchar_t), L'\0');
    DWORD read = 0;
    ReadFile(file, &text[0], static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read, nullptr);
    CloseHandle(file);
    text.resize(read / sizeof(wchar_t));
    return text;
}
