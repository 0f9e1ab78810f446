#pragma once

// Runs a piece of a test in a child process, so that resource limits, a dropped user, an alarm or a
// SIGKILL never touch the test process itself. The child reports a text through a pipe.

#include "io/FileError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <csignal>
#include <grp.h>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define VERSINO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VERSINO_ASAN 1
#endif
#endif
#ifndef VERSINO_ASAN
#define VERSINO_ASAN 0
#endif

namespace versino::testing {

// Sizes of the big inputs: full size normally, smaller under AddressSanitizer, whose shadow
// memory and quarantine make every byte several times dearer.
constexpr std::size_t scaled(std::size_t full) {
    return VERSINO_ASAN ? full / 5 : full;
}

struct ChildOptions {
    bool asNobody = false;    // drop root, so that permission bits count
    rlim_t fileSizeLimit = 0; // writes past it fail with EFBIG (SIGXFSZ is ignored)
    unsigned timeLimit = 60;  // seconds before SIGALRM ends the child
    QString cacheHome = {};   // the child's XDG_CACHE_HOME, where saves in place keep their copies
    gid_t extraGroup = 0;     // with asNobody: a further group the child is a member of
};

struct ChildResult {
    std::string output;  // what the action returned, or the text of the error it threw
    bool exited = false; // ended by _exit rather than a signal
    int signal = 0;      // the signal that ended it
    long maxRssKb = 0;   // its peak resident memory

    bool timedOut() const { return signal == SIGALRM; }
};

inline bool isRoot() {
    return ::geteuid() == 0;
}

inline std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const FileError& e) {
        return e.what();
    }
    return "no error";
}

inline ChildResult runInChild(const ChildOptions& options, const std::function<std::string()>& action) {
    int fds[2];
    if (::pipe(fds) != 0)
        return {"pipe failed"};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::string result;
        if (options.asNobody && ::getuid() == 0 && options.extraGroup != 0 &&
            ::setgroups(1, &options.extraGroup) != 0)
            result = "could not join the group";
        if (options.asNobody && ::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            result = "could not drop root";
        if (options.fileSizeLimit) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit rl{options.fileSizeLimit, options.fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &rl);
        }
        if (!options.cacheHome.isEmpty())
            ::setenv("XDG_CACHE_HOME", QFile::encodeName(options.cacheHome).constData(), 1);
        ::signal(SIGALRM, SIG_DFL);
        ::alarm(options.timeLimit);
        if (result.empty()) {
            try {
                result = action();
            } catch (const std::exception& e) {
                result = e.what();
            }
        }
        for (std::size_t done = 0; done < result.size();) {
            const ssize_t n = ::write(fds[1], result.data() + done, result.size() - done);
            if (n <= 0)
                break;
            done += std::size_t(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    ChildResult r;
    if (pid < 0) {
        ::close(fds[0]);
        r.output = "fork failed";
        return r;
    }
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        r.output.append(buf, std::size_t(n));
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    r.exited = WIFEXITED(status);
    r.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    r.maxRssKb = usage.ru_maxrss;
    return r;
}

// A folder that the child may use as its cache also after dropping root; its parent (a test's own
// temporary folder) becomes passable for anyone.
inline QString cacheFolderForAnyone(const QString& folder) {
    QDir().mkpath(folder);
    ::chmod(QFile::encodeName(QFileInfo(folder).absolutePath()).constData(), 0755);
    ::chmod(QFile::encodeName(folder).constData(), 0777);
    return folder;
}

// Every entry of a folder, hidden ones included: a temporary file left behind shows here.
inline QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace versino::testing
