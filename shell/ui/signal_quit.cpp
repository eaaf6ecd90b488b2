#include "shell/ui/signal_quit.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace orlen {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int kSignalCount = sizeof(kSignals) / sizeof(kSignals[0]);

// The pipe's ends; the handler reads the write end only.
int pipeRead = -1;
volatile sig_atomic_t pipeWrite = -1;
struct sigaction previous[kSignalCount];

// Async-signal-safe: one write, errno kept as it was.
extern "C" void OnSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    const int fd = pipeWrite;
    if (fd >= 0) {
        // A full pipe already holds a signal that will end the program.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

CSignalQuit::CSignalQuit(QObject* parent) : QObject(parent) {
    int fds[2];
    if (pipeRead >= 0 || ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    pipeRead = fds[0];
    pipeWrite = fds[1];
    notifier_ = new QSocketNotifier(pipeRead, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CSignalQuit::ReadSignals);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kSignalCount; ++i) {
        ::sigaction(kSignals[i], &action, &previous[i]);
    }
    installed_ = true;
}

CSignalQuit::~CSignalQuit() {
    if (!installed_) {
        return;
    }
    for (int i = 0; i < kSignalCount; ++i) {
        ::sigaction(kSignals[i], &previous[i], nullptr);
    }
    delete notifier_;
    const int writeEnd = pipeWrite;
    pipeWrite = -1;
    ::close(writeEnd);
    ::close(pipeRead);
    pipeRead = -1;
}

void CSignalQuit::ReadSignals() {
    unsigned char byte = 0;
    while (::read(pipeRead, &byte, 1) == 1) {
        emit Received(static_cast<int>(byte));
    }
}

} // namespace orlen
