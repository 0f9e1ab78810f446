#pragma once

#include <QElapsedTimer>
#include <QString>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// What one whole program run cost: wall time, the CPU time of it and its children, and the peak
// memory of the largest single process among them.
struct ProcessFigures {
    double wallMs = 0;
    double cpuMs = 0;
    long maxRssKb = 0;
};

// Runs a program in `cwd` to its end with its output discarded; names it on standard error when it
// fails, so that a figure of a failed run is not taken for a real one.
inline ProcessFigures runProcess(const std::vector<std::string>& argv, const QString& cwd) {
    QElapsedTimer t;
    t.start();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cwd.toLocal8Bit().constData()) != 0)
            _exit(127);
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 2);
        dup2(devnull, 1);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "benchmark: %s failed\n", argv[0].c_str());
    const auto ms = [](const timeval& tv) { return double(tv.tv_sec) * 1e3 + double(tv.tv_usec) / 1e3; };
    return {double(t.nsecsElapsed()) / 1e6, ms(usage.ru_utime) + ms(usage.ru_stime), usage.ru_maxrss};
}
