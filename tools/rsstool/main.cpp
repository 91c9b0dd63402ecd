// rsstool: runs the button's feed code from the command line.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "Command.h"
#include "ToolOutput.h"

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

namespace {
void PrintUsage() {
    WriteError("usage: rsstool COMMAND ARGS\n");
    for (const Command& command : Commands()) WriteError("  rsstool %s\n", command.usage);
}

int Run(int argc, wchar_t** argv) {
    if (argc < 2) {
        PrintUsage();
        return 2;
    }
    for (const Command& command : Commands()) {
        if (lstrcmpiW(command.name, argv[1]) == 0)
            return command.run(CommandArgs(argv + 2, argv + argc));
    }
    PrintUsage();
    return 2;
}
}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    int result = 2;
    try {
        result = Run(argc, argv);
    } catch (...) {
        WriteError("rsstool: unexpected failure\n");
    }
    LocalFree(argv);
    return result;
}
