#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace kavora::cli {
namespace {

using Action = Command::Action;

TEST(CommandLine, ReadsAsGnuProgramsDo)
{
    const struct {
        std::vector<std::string> arguments;
        Action action;
        std::string playlist;
        std::string missingDirectory = "-";
        bool dryRun = false;
        std::string targetFolder = "-";
    } cases[] = {
        {{}, Action::OpenWindow, ""},
        {{"C:\\Lists\\mix.m3u"}, Action::OpenWindow, "C:\\Lists\\mix.m3u"},
        {{"--", "--create"}, Action::OpenWindow, "--create"},
        {{"--create", "mix.m3u"}, Action::Create, "mix.m3u"},
        {{"mix.m3u", "--create"}, Action::Create, "mix.m3u"},
        {{"--create=mix.m3u", "--dry-run"}, Action::Create, "mix.m3u", "-", true},
        {{"--remove", "--dry-run", "mix.kvr"}, Action::Remove, "mix.kvr", "-", true},
        {{"--create", "--", "--dry-run"}, Action::Create, "--dry-run"},
        {{"--missing-dir", "/media/Music", "mix.m3u", "--create"}, Action::Create, "mix.m3u", "/media/Music"},
        {{"--missing-dir=D:\\Music\\", "--create", "-"}, Action::Create, "-", "D:\\Music\\"},
        {{"--to=/media/S", "a.m3u", "--dry-run", "--copy", "--missing-dir", "M"}, Action::Copy, "a.m3u", "M", true,
         "/media/S"},
        {{"--create", "mix.m3u", "--help"}, Action::Help, ""},
        {{"--frobnicate", "--help", "--create", "x"}, Action::Help, ""},
        {{"--remove", "--version", "--help"}, Action::Version, ""},
        {{"-h"}, Action::Help, ""},
    };
    for (const auto& c : cases) {
        const Command command = parseCommandLine(c.arguments);
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        EXPECT_EQ(command.action, c.action) << command.problem;
        EXPECT_EQ(command.playlist, c.playlist);
        EXPECT_EQ(command.missingDirectory.value_or("-"), c.missingDirectory);
        EXPECT_EQ(command.dryRun, c.dryRun);
        EXPECT_EQ(command.targetFolder.value_or("-"), c.targetFolder);
    }

    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"--frobnicate"}, "unrecognized option '--frobnicate'"},
        {{"-x", "mix.m3u"}, "unrecognized option '-x'"},
        {{"--create"}, "option '--create' requires an argument"},
        {{"--create", "--missing-dir"}, "option '--missing-dir' requires an argument"},
        {{"--create="}, "the playlist must not be empty"},
        {{"--create", "--remove", "a.kvr"}, "options '--create' and '--remove' exclude each other"},
        {{"--remove", "a.kvr", "--missing-dir", "/x"}, "option '--missing-dir' goes with '--create' or '--copy'"},
        {{"--dry-run", "a.m3u"}, "option '--dry-run' goes with '--create', '--remove' or '--copy'"},
        {{"--copy", "a.m3u", "--to="}, "option '--copy' needs '--to FOLDER'"},
        {{"--create", "a.m3u", "--to", "S"}, "option '--to' goes with '--copy'"},
        {{"--create", "a.m3u", "b.m3u"}, "extra operand 'b.m3u'"},
        {{"a.m3u", "b.m3u"}, "extra operand 'b.m3u'"},
        {{"--dry-run=yes", "--create", "a"}, "unrecognized option '--dry-run=yes'"}};
    for (const auto& [arguments, problem] : refused) {
        const Command command = parseCommandLine(arguments);
        EXPECT_EQ(command.action, Action::Invalid) << testing::PrintToString(arguments);
        EXPECT_EQ(command.problem, problem);
    }
}

} // namespace
} // namespace kavora::cli
