#pragma once

#include <QObject>

class MainWindow;
class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP end the program through its orderly close
// instead of killing it: settings written, workers joined, queued frames
// written out and "C" sent. Nobody is there to answer, so the turn-off
// question is not asked and no output is touched. A signal that was
// ignored when the program started (nohup, a script's background job) stays
// ignored; on destruction each signal gets back what it did before.
//
// A signal handler may do next to nothing safely: it writes one byte to a
// socket pair, and a notifier on the other end runs the close in the GUI
// thread. One object for the whole run, made by main.
class quit_signals : public QObject
{
    Q_OBJECT

public:
    explicit quit_signals(MainWindow *window);
    ~quit_signals() override;
    quit_signals(const quit_signals &) = delete;
    quit_signals &operator=(const quit_signals &) = delete;

private:
    void on_signal();

    MainWindow *window;
    QSocketNotifier *notifier = nullptr;
    bool closing = false;
};
