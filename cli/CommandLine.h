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
        Copy,
        Help,
        Version,
        Invalid, // `problem` says why
    };
    Action action = Action::OpenWindow;
    std::string playlist; // empty when the window opens without one
    std::optional<std::string> missingDirectory;
    std::optional<std::string> targetFolder; // where Copy puts the numbered copies
    bool dryRun = false;
    std::string problem;
};

// Reads the arguments after the program's name as GNU programs do: options
// and operands in any order, "--name value" or "--name=value", "--" ends the
// options, and the first of "--help" and "--version" wins over everything
// else. An action ("--create", "--remove", "--copy") takes its playlist as "=PLAYLIST"
// or as the operand, so "--remove --dry-run mix.kvr" dry-runs.
Command parseCommandLine(const std::vector<std::string>& arguments);

} // namespace kavora::cli
