#include "bench/support/ChildRun.h"

#include <QElapsedTimer>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::atomic_bool g_interrupted = false;

void noteInterrupt(int)
{
    g_interrupted = true;
}

// The bench's environment with `overrides` (NAME=VALUE) put in place of or beside its entries.
std::vector<std::string> environmentWith(const QStringList& overrides)
{
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const QString& override : overrides)
            replaced = replaced || override.section(u'=', 0, 0).toStdString() == name;
        if (!replaced)
            entries.push_back(text);
    }
    for (const QString& override : overrides)
        entries.push_back(override.toStdString());
    return entries;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// A pipe whose reading end stays with the bench and whose writing end becomes `target` in the
// child.
struct Pipe {
    int read = -1;
    int write = -1;
    bool open() { return ::pipe2(&read, O_CLOEXEC) == 0; }
    ~Pipe()
    {
        if (read >= 0)
            ::close(read);
        if (write >= 0)
            ::close(write);
    }
};

qint64 since(const QElapsedTimer& clock)
{
    return clock.nsecsElapsed() / 1000;
}

} // namespace

void ChildRun::catchInterrupts()
{
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: a wait in poll returns at once
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool ChildRun::interrupted()
{
    return g_interrupted;
}

ChildRun ChildRun::run(const QString& program, const QStringList& arguments, const Options& options)
{
    ChildRun result;
    if (g_interrupted) {
        result.failure = QStringLiteral("interrupted");
        return result;
    }
    std::vector<std::string> argumentTexts{program.toStdString()};
    for (const QString& argument : arguments)
        argumentTexts.push_back(argument.toStdString());
    std::vector<std::string> environmentTexts = environmentWith(options.environment);
    std::vector<char*> argv = pointersTo(argumentTexts);
    std::vector<char*> envp = pointersTo(environmentTexts);

    Pipe out, err;
    if (!out.open() || !err.open()) {
        result.failure = QStringLiteral("no pipe");
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.write, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write, STDERR_FILENO);
    // The child starts with the default handling of the signals the bench catches.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

    QElapsedTimer clock;
    clock.start();
    pid_t pid = -1;
    const int spawned =
        ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(out.write);
    ::close(err.write);
    out.write = err.write = -1;
    if (spawned != 0) {
        result.failure = QStringLiteral("cannot start %1").arg(program);
        return result;
    }

    // Read both outputs until they close, or until the child is gone (a pidfd becomes readable).
    const int pidfd = int(::syscall(SYS_pidfd_open, pid, 0));
    std::array<pollfd, 3> watched{
        {{out.read, POLLIN, 0}, {err.read, POLLIN, 0}, {pidfd, POLLIN, 0}}};
    bool killed = false;
    char buffer[65536];
    while (watched[0].fd >= 0 || watched[1].fd >= 0) {
        const qint64 left = options.timeoutMs - since(clock) / 1000;
        if (left <= 0 || g_interrupted) {
            ::kill(pid, SIGKILL);
            killed = true;
            break;
        }
        const int ready = ::poll(watched.data(), watched.size(), int(left));
        if (ready < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (watched[i].fd < 0 || !(watched[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t got = ::read(watched[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                if (i == 0 && result.firstOutputUs < 0)
                    result.firstOutputUs = since(clock);
                (i == 0 ? result.output : result.errors).append(buffer, got);
            } else if (got == 0 || errno != EINTR) {
                watched[i].fd = -1;
            }
        }
        if (watched[2].fd >= 0 && (watched[2].revents & POLLIN))
            break; // ended; what it left in the pipes is read below
    }
    for (int i = 0; i < 2; ++i) {
        while (watched[i].fd >= 0) {
            ::fcntl(watched[i].fd, F_SETFL, O_NONBLOCK);
            const ssize_t got = ::read(watched[i].fd, buffer, sizeof buffer);
            if (got <= 0)
                break;
            (i == 0 ? result.output : result.errors).append(buffer, got);
        }
    }

    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    result.wallUs = since(clock);
    if (pidfd >= 0)
        ::close(pidfd);
    result.cpuUs = qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000 +
                   usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    result.maxRssKb = usage.ru_maxrss;
    if (killed)
        result.failure = g_interrupted
                             ? QStringLiteral("interrupted")
                             : QStringLiteral("timed out after %1 ms").arg(options.timeoutMs);
    else if (!WIFEXITED(status))
        result.failure = QStringLiteral("ended by signal %1").arg(WTERMSIG(status));
    else if (WEXITSTATUS(status) != 0)
        result.failure = QStringLiteral("exit status %1").arg(WEXITSTATUS(status));
    result.ok = result.failure.isEmpty();
    return result;
}
