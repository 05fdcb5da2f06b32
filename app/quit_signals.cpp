#include "app/quit_signals.h"

#include <QSocketNotifier>
#include <QtDebug>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "app/mainwindow.h"

namespace {

// [0] written by the handler, [1] read in the GUI thread.
int signal_fds[2] = {-1, -1};
constexpr int handled_signals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void on_quit_signal(int)
{
    const int saved = errno;
    const char byte = 1;
    // A full pair already holds a wake-up.
    [[maybe_unused]] const ssize_t n = ::write(signal_fds[0], &byte, 1);
    errno = saved;
}

} // namespace

quit_signals::quit_signals(MainWindow *w) : window(w)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signal_fds) != 0) {
        qWarning("quit signals: no socket pair, the signals keep their default action");
        signal_fds[0] = signal_fds[1] = -1;
        return;
    }
    // The handler never blocks on a full pair, the reader never on an empty one.
    for (int fd : signal_fds)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    notifier = new QSocketNotifier(signal_fds[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &quit_signals::on_signal);
    struct sigaction action = {};
    action.sa_handler = on_quit_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : handled_signals)
        ::sigaction(s, &action, nullptr);
}

quit_signals::~quit_signals()
{
    if (signal_fds[1] < 0)
        return;
    for (int s : handled_signals)
        ::signal(s, SIG_DFL);
    delete notifier;
    notifier = nullptr;
    ::close(signal_fds[0]);
    ::close(signal_fds[1]);
    signal_fds[0] = signal_fds[1] = -1;
}

void quit_signals::on_signal()
{
    char bytes[16];
    while (::read(signal_fds[1], bytes, sizeof bytes) > 0) {
    }
    // A second signal during the close changes nothing.
    if (closing)
        return;
    closing = true;
    qDebug("quit signal: closing without the turn-off question");
    window->close_unattended();
}
