#pragma once

// Runs a program of the benchmarks as a separate process and measures it.

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <fcntl.h>
#include <string>
#include <vector>

extern char** environ;

namespace rovana::bench {

// One run of a program: its wall time and peak resident memory; negative when it could not
// run or failed.
struct ProgramRun
{
    double ms = -1.0;
    double peakMiB = -1.0;
    double cpuMs = -1.0; // user and system time
};

// Runs `program` with `args`, its output to /dev/null.
inline ProgramRun Spawn(const std::string& path, const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    std::string program = path;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return {};
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return {
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
        static_cast<double>(usage.ru_maxrss) / 1024.0, ms(usage.ru_utime) + ms(usage.ru_stime)};
}

} // namespace rovana::bench
