#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kavora::cli {

// What the command line asks for.
struct Command {
    enum class Action {
        OpenWindow, // no option; with a playlist, the window opens it
        Create,
        Remove,
        Help,
        Version,
        Invalid, // `problem` says why
    };
    Action action = Action::OpenWindow;
    std::string playlist; // empty when the window opens without one
    std::optional<std::string> missingDirectory;
    bool dryRun = false;
    std::string problem;
};

// Reads the arguments after the program's name, GNU style: "--name value"
// or "--name=value", "--" ends the options.
Command parseCommandLine(const std::vector<std::string>& arguments);

} // namespace kavora::cli
