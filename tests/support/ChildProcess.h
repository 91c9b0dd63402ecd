#pragma once
#include <windows.h>

#include <string>

#include "support/Patience.h"

// A test program can run itself again as a child that performs one named
// role and exits with the role's result: for what must happen in another
// process (a value shared between processes) or under other per-program
// settings of Wine (the reported Windows version).

using ChildRoleFunction = int (*)(const std::wstring& argument);

// Registers a role; use at namespace scope through CHILD_ROLE.
bool RegisterChildRole(const wchar_t* name, ChildRoleFunction function);

#define CHILD_ROLE(name, function) \
    static const bool kChildRole_##function = RegisterChildRole(name, function)

// Runs program (default: this test program) in the role and waits for it to
// end. A child is taken for stuck (and terminated) only after timeoutMs with
// neither an end nor a ReportChildProgress() from it, so a long role that
// keeps reporting may take as long as a busy machine needs. Returns the
// role's exit code, or -1 when the child could not be started or got stuck.
int RunChildRole(const std::wstring& role, const std::wstring& argument,
                 const std::wstring& program = L"", DWORD timeoutMs = kPatienceMs);

// In a child role: tells the waiting parent the role is still moving.
void ReportChildProgress();

// A copy of this test program under another file name in the temporary
// folder, so that Wine's per-program settings (keyed by file name) apply to
// it alone. Deletes the copy and those settings when destroyed.
class ProgramCopy {
public:
    // windowsVersion: Wine's name of a version ("winxp", "win7"), or empty.
    ProgramCopy(const std::wstring& fileName, const std::wstring& windowsVersion);
    ~ProgramCopy();
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    const std::wstring& Path() const { return path_; }
    bool Ok() const { return ok_; }

private:
    std::wstring path_;
    std::wstring settingsKey_;
    bool ok_ = false;
};

// Small files for a child's answers.
std::wstring TempFilePath(const std::wstring& name);
bool WriteTextFile(const std::wstring& path, const std::wstring& text);
std::wstring ReadTextFile(const std::wstring& path);
