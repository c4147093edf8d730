#include "cli/CommandLine.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace kavora::cli {

namespace {

using Action = Command::Action;

// What an option does with the value it takes, if any.
enum class Takes {
    Nothing, // a switch: "--dry-run"
    Value,   // "--missing-dir DIR" or "--missing-dir=DIR"
    Operand, // an action: "--create=PLAYLIST", else the playlist is an operand
};

struct Option {
    std::string_view name;
    Takes takes;
    Action action; // OpenWindow for an option that is not an action
};

constexpr std::array kOptions{
    Option{"--create", Takes::Operand, Action::Create},
    Option{"--remove", Takes::Operand, Action::Remove},
    Option{"--copy", Takes::Operand, Action::Copy},
    Option{"--to", Takes::Value, Action::OpenWindow},
    Option{"--missing-dir", Takes::Value, Action::OpenWindow},
    Option{"--dry-run", Takes::Nothing, Action::OpenWindow},
    Option{"--help", Takes::Nothing, Action::Help},
    Option{"-h", Takes::Nothing, Action::Help},
    Option{"--version", Takes::Nothing, Action::Version},
};

bool isJob(Action action)
{
    return action == Action::Create || action == Action::Remove || action == Action::Copy;
}

Command invalid(std::string problem)
{
    Command command;
    command.action = Action::Invalid;
    command.problem = std::move(problem);
    return command;
}

// What the options read ask for, once every argument is read.
Command checked(Command command, std::string_view actionName, bool sawDryRun,
                std::vector<std::string> operands)
{
    const bool job = isJob(command.action);
    if (command.missingDirectory && command.action != Action::Create && command.action != Action::Copy)
        return invalid("option '--missing-dir' goes with '--create' or '--copy'");
    if (sawDryRun && !job)
        return invalid("option '--dry-run' goes with '--create', '--remove' or '--copy'");
    if (command.targetFolder && command.action != Action::Copy)
        return invalid("option '--to' goes with '--copy'");
    if (command.action == Action::Copy && (!command.targetFolder || command.targetFolder->empty()))
        return invalid("option '--copy' needs '--to FOLDER'");
    if (command.playlist.empty() && !operands.empty()) {
        command.playlist = std::move(operands.front());
        operands.erase(operands.begin());
        if (job && command.playlist.empty())
            return invalid("the playlist must not be empty");
    }
    if (!operands.empty())
        return invalid("extra operand '" + operands.front() + "'");
    if (job && command.playlist.empty())
        return invalid("option '" + std::string(actionName) + "' requires an argument");
    return command;
}

} // namespace

Command parseCommandLine(const std::vector<std::string>& arguments)
{
    Command command;
    std::string actionName;
    bool sawDryRun = false;
    std::vector<std::string> operands;
    std::optional<Command> refused;
    const auto refuse = [&refused](std::string problem) {
        if (!refused)
            refused = invalid(std::move(problem));
    };
    bool optionsEnded = false;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string_view name = std::string_view(argument).substr(0, equals);
        const auto option = std::ranges::find(kOptions, name, &Option::name);
        if (option == kOptions.end() || (option->takes == Takes::Nothing && equals != std::string::npos)) {
            refuse("unrecognized option '" + argument + "'");
            continue;
        }
        std::optional<std::string> value;
        if (equals != std::string::npos)
            value = argument.substr(equals + 1);
        else if (option->takes == Takes::Value && index + 1 < arguments.size())
            value = arguments[++index];
        if (option->takes == Takes::Value && !value) {
            refuse("option '" + std::string(name) + "' requires an argument");
            continue;
        }

        if (option->action == Action::Help || option->action == Action::Version) {
            // The first of them answers, whatever else the line holds.
            Command answer;
            answer.action = option->action;
            return answer;
        }
        if (option->name == "--missing-dir") {
            command.missingDirectory = std::move(value);
        } else if (option->name == "--to") {
            command.targetFolder = std::move(value);
        } else if (option->name == "--dry-run") {
            sawDryRun = command.dryRun = true;
        } else if (isJob(command.action)) {
            refuse("options '" + actionName + "' and '" + std::string(name) + "' exclude each other");
        } else {
            command.action = option->action;
            actionName = name;
            if (value) {
                if (value->empty())
                    refuse("the playlist must not be empty");
                command.playlist = std::move(*value);
            }
        }
    }
    if (refused)
        return *std::move(refused);
    return checked(std::move(command), actionName, sawDryRun, std::move(operands));
}

} // namespace kavora::cli
