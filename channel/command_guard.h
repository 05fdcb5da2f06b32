#pragma once

#include <QObject>
#include <cstdint>

// Knows whether a command is under way on the GUI thread. A command's waits
// (the pauses between its frames, a box it opens) serve events, so a close
// or a disconnect may be asked for inside them; run there, its question
// would miss what the command is turning on, the command would go on after
// it, and the command's next wait would drop the quit that a closed window
// posts. The main window holds such requests while any guard lives and runs
// them once the last one has gone.
class commands_under_way : public QObject
{
    Q_OBJECT

public:
    static commands_under_way &instance();
    bool any() const { return guards > 0; }

signals:
    // The last guard has gone.
    void sig_ended();

private:
    friend class command_guard;
    uint32_t guards = 0;
};

// Taken by every wait of a command, so that none can be forgotten; a
// command may also hold one across all its steps.
class command_guard
{
public:
    command_guard() { ++commands_under_way::instance().guards; }
    ~command_guard();
    command_guard(const command_guard &) = delete;
    command_guard &operator=(const command_guard &) = delete;
};

// A wait of a command: ms milliseconds in a local event loop, under a guard,
// so the window stays live (replies, timers, input) meanwhile.
void command_wait_ms(int ms);
