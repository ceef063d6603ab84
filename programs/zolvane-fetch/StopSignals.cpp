#include "programs/zolvane-fetch/StopSignals.h"

#ifdef Q_OS_WIN
#include <atomic>
#include <windows.h>
#else
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

void StopSignals::notify()
{
    m_received = true;
    Q_EMIT stopRequested();
}

#ifdef Q_OS_WIN

// Built for Windows, but run and tested on Linux only.
namespace {

StopSignals* instance = nullptr;
std::atomic_bool seen = false;

BOOL WINAPI onConsoleControl(DWORD type)
{
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT)
        return FALSE;
    if (seen.exchange(true) || !instance)
        return FALSE; // the default action: the process ends
    QMetaObject::invokeMethod(instance, &StopSignals::notify, Qt::QueuedConnection);
    return TRUE;
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent)
{
    instance = this;
    seen = false;
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

StopSignals::~StopSignals()
{
    ::SetConsoleCtrlHandler(onConsoleControl, FALSE);
    instance = nullptr;
}

#else

namespace {

int pipeEnds[2] = {-1, -1};

// The action resets itself (SA_RESETHAND); writing to a pipe is safe in a handler.
void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(pipeEnds[1], &byte, 1);
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent)
{
    if (::pipe(pipeEnds) != 0)
        return;
    for (const int end : pipeEnds) {
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
    }
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readPipe);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

StopSignals::~StopSignals()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    delete m_notifier;
    for (int& end : pipeEnds) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void StopSignals::readPipe()
{
    char bytes[16];
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
    }
    notify();
}

#endif
