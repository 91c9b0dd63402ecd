#pragma once
#include <string>
#include <vector>

// A command of rsstool. Each source file registers its commands with a static
// CommandRegistration; main finds them by name.
using CommandArgs = std::vector<std::wstring>;  // the arguments after the command name
using CommandFunction = int (*)(const CommandArgs& args);

struct Command {
    const wchar_t* name;
    const char* usage;  // "parse FILE [N]: ..."
    CommandFunction run;
};

std::vector<Command>& Commands();

struct CommandRegistration {
    explicit CommandRegistration(const Command& command) { Commands().push_back(command); }
};
