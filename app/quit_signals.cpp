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
constexpr int handled_count = int(sizeof handled_signals / sizeof handled_signals[0]);
// What each signal did before the handler took it over; the handler is
// installed only where `taken` is set.
struct sigaction earlier[handled_count];
bool taken[handled_count] = {};

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
        qWarning("quit signals: no socket pair, the signals keep their earlier action");
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
    for (int i = 0; i < handled_count; ++i) {
        // Whoever started the program ignored this one (nohup, a script's
        // background job): a hang-up or a Ctrl-C meant for others must not
        // stop the polling, so it stays ignored.
        if (::sigaction(handled_signals[i], nullptr, &earlier[i]) != 0 ||
            (!(earlier[i].sa_flags & SA_SIGINFO) && earlier[i].sa_handler == SIG_IGN))
            continue;
        taken[i] = ::sigaction(handled_signals[i], &action, &earlier[i]) == 0;
    }
}

quit_signals::~quit_signals()
{
    if (signal_fds[1] < 0)
        return;
    // Back to what each did before, not to the default: whoever embeds or
    // started the program may have had a handler of its own there.
    for (int i = 0; i < handled_count; ++i) {
        if (taken[i])
            ::sigaction(handled_signals[i], &earlier[i], nullptr);
        taken[i] = false;
    }
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
