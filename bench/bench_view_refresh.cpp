// What one 500 ms view tick costs the GUI thread: ten channel pages of the
// CW, DC/DC and power families redrawn (median and maximum over 100 ticks
// after the first, readings changing every tick), then ten pages of the
// pulsed families, then ten "No device" pages, on the shown main form (offscreen). The time after each tick that
// the event loop needs for the deferred paints is printed beside it.
// Target: under 5 ms for ten pages, 1 % of the tick.
// Then the same with the ten pages unfolded, as an operator watching them
// has them, with readings that stay the same from tick to tick (target under
// 0.5 ms: nothing to set) and readings that change every tick (target under
// 3 ms).

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QStackedWidget>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "forms/main_form.h"
#include "forms/mainwindow_form.h"
#include "support/bench_figures.h"

namespace {

constexpr int channel_count = 10;
constexpr int ticks = 100;
constexpr double target_ms = 5.0;

const char *const page_names[channel_count] = {"laser_widget",   "laser_widget_2", "laser_widget_3", "laser_widget_4",
                                               "laser_widget_5", "laser_widget_6", "laser_widget_7", "laser_widget_8",
                                               "laser_widget_9", "laser_widget_10"};

// A mix of every type these families have, QCW mode and the output on included.
const int32_t page_types[channel_count] = {8, 10, 14, 15, 11, 16, 18, 8, 16, 18};
// Every pulsed type twice, burst on the table types.
const int32_t pulsed_types[channel_count] = {6, 13, 21, 7, 20, 6, 13, 21, 7, 20};
const int32_t no_device_types[channel_count] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

template <typename record_t>
void fill_pulsed(record_t &r, float volts, int32_t rate)
{
    r.emission_on = 1;
    r.voltage = volts;
    r.voltage_max = 40.0f;
    r.temperature = 25.0f + (volts - static_cast<float>(static_cast<int>(volts)));
    r.frequency = rate;
    r.gated = 5;
    r.cutted = 2;
    r.burst = 1;
    r.mode = 1;
}

// Plausible readings that move a little every tick, none of them a fault or
// a warning (the fault box would stop the tick).
void fill(laser_worker &w, int tick)
{
    const float wobble = static_cast<float>(tick % 7) * 0.1f;
    w.cw_record.current = 120.0f + wobble;
    w.cw_record.current_target = 120.0f;
    w.cw_record.temperature = 25.0f + wobble;
    w.cw_record.power = 48.0f + wobble;
    w.cw_record.tec_current_max = 1.5f;
    w.cw_record.output_on = 1;
    w.dcdc_record.current = 6.0f + wobble;
    w.dcdc_record.temperature = 41.0f + wobble;
    w.dcdc_record.output_voltage = 24.0f + wobble;
    w.dcdc_record.input_voltage = 48.0f;
    w.dcdc_record.output_on = 1;
    w.dcdc_record.mode = 1;
    w.dcdc_record.frequency = 1000;
    w.dcdc_record.pulse_width = 200;
    w.power_record.current = 7.0f + wobble;
    w.power_record.temperature = 38.0f + wobble;
    w.power_record.output_voltage = 12.0f + wobble;
    w.power_record.input_voltage = 48.0f;
    w.power_record.output_on = 1;
    fill_pulsed(w.ns_table_record, 18.0f + wobble, 100 + tick % 3 * 100);
    w.ns_table_record.pulse_width = 50.0f + wobble;
    fill_pulsed(w.ns_record, 18.0f + wobble, 250000 + tick % 3 * 1000);
    w.ns_record.pulse_width = 20.0f + wobble;
    fill_pulsed(w.ps_table_record, 30.0f + wobble, 2000);
    fill_pulsed(w.ps_record, 12.0f + wobble, 1500000 + tick % 3);
}

struct timing {
    std::vector<double> tick_ms;
    std::vector<double> paint_ms;
};

timing run(std::vector<std::unique_ptr<laser_object>> &channels, const int32_t (&types)[channel_count],
           bool changing = true)
{
    for (int c = 0; c < channel_count; ++c) {
        channels[c]->worker->device_type = types[c];
        channels[c]->worker->type_changed = true;
    }
    timing t;
    for (int tick = 0; tick <= ticks; ++tick) {
        for (auto &ch : channels)
            fill(*ch->worker, changing ? tick : 0);
        QElapsedTimer clock;
        clock.start();
        for (auto &ch : channels)
            ch->view_update();
        const double tick_ms = clock.nsecsElapsed() / 1e6;
        clock.restart();
        QCoreApplication::processEvents();
        const double paint_ms = clock.nsecsElapsed() / 1e6;
        if (tick == 0)
            continue; // the refill after the change of type
        t.tick_ms.push_back(tick_ms);
        t.paint_ms.push_back(paint_ms);
    }
    return t;
}

void print(const char *what, const timing &t, double target_ms = ::target_ms)
{
    const double med = median(t.tick_ms);
    const double max = *std::max_element(t.tick_ms.begin(), t.tick_ms.end());
    std::printf("  %-28s median %.3f ms, max %.3f ms per tick (target < %.1f ms: %s, median %.2f of target, "
                "%.2f %% of the 500 ms tick); deferred paints after it: median %.3f ms\n",
                what, med, max, target_ms, max < target_ms ? "met" : (med < target_ms ? "met by the median" : "MISSED"),
                med / target_ms, med / 5.0, median(t.paint_ms));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    lumatrex_init_resources();

    auto window = std::make_unique<QMainWindow>();
    auto ui = std::make_unique<Ui_MainWindow>();
    build_main_form(ui.get(), window.get());
    if (auto *stack = window->findChild<QStackedWidget *>(QStringLiteral("stackedWidget")))
        stack->setCurrentIndex(1); // the channel list
    window->resize(1280, 1000);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        std::fprintf(stderr, "window not exposed\n");

    std::vector<std::unique_ptr<laser_object>> channels;
    for (int c = 0; c < channel_count; ++c) {
        QWidget *page = window->findChild<QWidget *>(QLatin1String(page_names[c]));
        if (!page) {
            std::fprintf(stderr, "page %s missing\n", page_names[c]);
            return 1;
        }
        channels.push_back(std::make_unique<laser_object>(nullptr, c + 1, page));
        channels.back()->channel_name = QStringLiteral("Channel %1").arg(c + 1);
    }
    QCoreApplication::processEvents();

    std::printf("view refresh, %d channel pages, %d ticks after the first (offscreen, window shown)\n",
                channel_count, ticks);
    print("CW, DC/DC and power pages", run(channels, page_types));
    print("NS, SOA and PS pages", run(channels, pulsed_types));
    print("\"No device\" pages", run(channels, no_device_types));

    for (auto &ch : channels)
        ch->laser_group->show();
    QCoreApplication::processEvents();
    std::printf("the same ten pages unfolded\n");
    print("CW, DC/DC, power, constant", run(channels, page_types, false), 0.5);
    print("CW, DC/DC, power, changing", run(channels, page_types, true), 3.0);
    print("NS, SOA, PS, constant", run(channels, pulsed_types, false), 0.5);
    print("NS, SOA, PS, changing", run(channels, pulsed_types, true), 3.0);
    print("\"No device\", constant", run(channels, no_device_types, false), 0.5);

    for (auto &ch : channels)
        delete ch->worker;
    return 0;
}
