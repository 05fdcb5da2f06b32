// What one 40 ms refresh tick of the parameters window costs on the GUI
// thread, for a CW board (the view with the most rows): with nothing changed,
// and with a changed value that reloads every input. Median over 1000 ticks,
// the tick alone and the tick with the layout and painting it causes, each
// as a share of the 40 ms period.

#include <QApplication>
#include <QElapsedTimer>
#include <QMetaObject>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "params/laser_params.h"
#include "support/bench_figures.h"

namespace {

constexpr int ticks = 1000;
constexpr double period_us = 40000.0;

struct figures
{
    double tick_us, with_paint_us;
};

// change: called before each tick; returns nothing, alters the record or not.
template <typename change_t>
figures measure(laser_params &window, change_t change)
{
    std::vector<double> tick, with_paint;
    QElapsedTimer t;
    for (int i = 0; i < ticks; ++i) {
        change(i);
        t.start();
        QMetaObject::invokeMethod(&window, "view_update_timer_slot", Qt::DirectConnection);
        tick.push_back(t.nsecsElapsed() / 1e3);
        QCoreApplication::processEvents();
        with_paint.push_back(t.nsecsElapsed() / 1e3);
    }
    return {median(tick), median(with_paint)};
}

void print(const char *what, const figures &f)
{
    std::printf("%-28s tick %8.1f us (%5.2f %% of the GUI thread)   with layout and paint %8.1f us (%5.2f %%)\n", what,
                f.tick_us, 100.0 * f.tick_us / period_us, f.with_paint_us, 100.0 * f.with_paint_us / period_us);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    lumatrex_init_resources();

    laser_params window;
    laser_object channel(nullptr, 5, nullptr);
    channel.channel_name = QStringLiteral("LASER1");
    channel.worker->device_type = 8;
    channel.worker->cw_record.tec_current_max = 2.0f;
    window.active = 1;
    window.channel = &channel;
    window.load_spin_boxes();
    window.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();

    std::printf("parameters window refresh, CW board, median of %d ticks, period 40 ms\n", ticks);
    print("nothing changed", measure(window, [](int) {}));
    cw_data &r = channel.worker->cw_record;
    print("a value changed: reload", measure(window, [&r](int i) { r.temperature_max = i % 2 ? 36.0f : 35.0f; }));
    return 0;
}
