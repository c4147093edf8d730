// Times the command line as whole processes: "kavora --create" then
// "kavora --remove" over the engine benchmark's base playlist, against the
// same two jobs run by the engine in this process, and the start of
// "kavora --version".
#include "bench/processing/EngineWorkload.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace kavora::bench;

// Runs the program with its report into /dev/null; false when it failed.
bool runProgram(const std::vector<std::string>& arguments)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        std::vector<char*> argv{const_cast<char*>(KAVORA_PROGRAM)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(KAVORA_PROGRAM, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1;
}

double timeEngine()
{
    return secondsOf([&] {
        runJob("Create", "C:\\Lists\\create.m3u");
        runJob("Remove", "C:\\Lists\\create.kvr");
    });
}

double timeProcesses()
{
    bool ran = true;
    const double seconds = secondsOf([&] {
        ran = runProgram({"--create", "C:\\Lists\\create.m3u"}) && runProgram({"--remove", "C:\\Lists\\create.kvr"});
    });
    if (!ran) {
        std::fprintf(stderr, "%s failed\n", KAVORA_PROGRAM);
        std::exit(1);
    }
    return seconds;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    const fs::path root = makeScratchDirectory();
    const Workload base = makeWorkload("base", root, 20000, 999);
    setenv("HOME", base.home.c_str(), 1);

    // Alternating, best of five each: the machine's speed drifts.
    double engine = 1e30, processes = 1e30;
    for (int run = 0; run < 5; ++run) {
        // Create refuses to replace the new playlist of the run before.
        engine = std::min(engine, timeEngine());
        fs::remove(base.home / "Lists" / "create.kvr");
        processes = std::min(processes, timeProcesses());
        fs::remove(base.home / "Lists" / "create.kvr");
    }
    std::vector<double> starts;
    for (int run = 0; run < 21; ++run)
        starts.push_back(secondsOf([] { (void)runProgram({"--version"}); }));
    const bool clean = restored(base);

    std::printf("engine_ms: %.1f\n", engine * 1000);
    std::printf("cli_ms: %.1f\n", processes * 1000);
    std::printf("cli_vs_engine: %.2f\n", processes / engine);
    std::printf("cli_startup_ms: %.2f\n", median(starts) * 1000);
    std::printf("names_restored: %s\n", clean ? "yes" : "no");

    fs::remove_all(root);
    return clean ? 0 : 1;
}
