#include "channel/command_guard.h"

#include <QEventLoop>
#include <QTimer>

commands_under_way &commands_under_way::instance()
{
    static commands_under_way tracker;
    return tracker;
}

command_guard::~command_guard()
{
    commands_under_way &tracker = commands_under_way::instance();
    if (--tracker.guards == 0)
        emit tracker.sig_ended();
}

void command_wait_ms(int ms)
{
    const command_guard guard;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
