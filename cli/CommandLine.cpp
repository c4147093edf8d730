#include "cli/CommandLine.h"

#include <string_view>

namespace kavora::cli {

namespace {

using Action = Command::Action;

Command invalid(std::string problem)
{
    Command command;
    command.action = Action::Invalid;
    command.problem = std::move(problem);
    return command;
}

// Checks that the options read fit together.
Command checked(Command command, bool sawDryRun, std::vector<std::string> operands)
{
    const bool job = command.action == Action::Create || command.action == Action::Remove;
    if (command.action == Action::Help || command.action == Action::Version)
        return command;
    if (command.missingDirectory && command.action != Action::Create)
        return invalid("option '--missing-dir' goes with '--create'");
    if (sawDryRun && !job)
        return invalid("option '--dry-run' goes with '--create' or '--remove'");
    if (job && !operands.empty())
        return invalid("extra operand '" + operands.front() + "'");
    if (!job && operands.size() > 1)
        return invalid("extra operand '" + operands[1] + "'");
    if (!job && !operands.empty())
        command.playlist = std::move(operands.front());
    if (command.playlist.empty() && job)
        return invalid("the playlist must not be empty");
    return command;
}

} // namespace

Command parseCommandLine(const std::vector<std::string>& arguments)
{
    Command command;
    bool sawDryRun = false;
    std::vector<std::string> operands;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (argument == "--") {
            operands.insert(operands.end(), arguments.begin() + static_cast<std::ptrdiff_t>(index) + 1,
                            arguments.end());
            break;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const auto value = [&]() -> std::optional<std::string> {
            if (equals != std::string::npos)
                return argument.substr(equals + 1);
            if (index + 1 < arguments.size())
                return arguments[++index];
            return std::nullopt;
        };
        if (name == "--help" || name == "-h") {
            command.action = Action::Help;
        } else if (name == "--version") {
            command.action = Action::Version;
        } else if (name == "--dry-run" && equals == std::string::npos) {
            sawDryRun = command.dryRun = true;
        } else if (name == "--create" || name == "--remove" || name == "--missing-dir") {
            const std::optional<std::string> given = value();
            if (!given)
                return invalid("option '" + name + "' requires an argument");
            if (name == "--missing-dir") {
                command.missingDirectory = *given;
                continue;
            }
            const Action action = name == "--create" ? Action::Create : Action::Remove;
            if (command.action == Action::Create || command.action == Action::Remove)
                return invalid("options '--create' and '--remove' exclude each other");
            if (command.action == Action::OpenWindow)
                command.action = action;
            command.playlist = *given;
        } else {
            return invalid("unrecognized option '" + argument + "'");
        }
    }
    return checked(std::move(command), sawDryRun, std::move(operands));
}

} // namespace kavora::cli
