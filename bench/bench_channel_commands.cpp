// The channel controller's two hot paths on the GUI thread.
//
// Decoding: one controller per driver type, each fed the replies of one poll
// pass of its type (the device-type and address replies and the type's main
// list, as the workers ask them), round after round; ns per frame over the
// whole mix.
//
// Commands: a slot from its call to its three emitted frames, the frames
// going, as in the program, by queued calls to a receiver on another thread.
// Each command also serves events for 1 ms after every frame; that wait is
// sleeping, not work. The cost excluding it is measured as the GUI thread's
// CPU time per command (which still counts setting up the three short event
// loops), against the wall time less the nominal waits, and, for the build
// path alone, as the time from the call to the first frame leaving.

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "channel/laser_object.h"
#include "comm/laser_worker.h"

namespace {

double thread_cpu_ns()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e9 + ts.tv_nsec;
}

serial_message_struct reply(uint8_t code, int32_t v)
{
    serial_message_struct m;
    m.data[0] = code;
    m.data[1] = 5;
    m.data[4] = (uint32_t(v) >> 24) & 0xFF;
    m.data[5] = (uint32_t(v) >> 16) & 0xFF;
    m.data[6] = (uint32_t(v) >> 8) & 0xFF;
    m.data[7] = uint32_t(v) & 0xFF;
    return m;
}

struct channel {
    std::unique_ptr<laser_object> controller;
    std::vector<serial_message_struct> pass;
};

// The main poll list of each family (reply codes, in the workers' order).
std::vector<uint8_t> main_list(int type)
{
    switch (type) {
    case 8: case 10: case 14: case 15:
        return {0x90, 0xA4, 0x91, 0x92, 0xB0, 0x94, 0xA5, 0xA6, 0xB7, 0xB6, 0xB3};
    case 11: case 16:
        return {0x90, 0x91, 0x92, 0xB0, 0xA6, 0x94, 0xA4, 0x99, 0xA3};
    case 18:
        return {0xA5, 0x91, 0xB0, 0xA4, 0x90, 0x92, 0x94, 0xA6};
    default: // pulsed
        return {0xA4, 0xA2, 0x98, 0x92, 0xB4, 0x99, 0xB5, 0xA3, 0xA5, 0xA6, 0xB7, 0xB6};
    }
}

struct command_figures {
    double cpu_us;
    double wall_less_waits_us;
};

template <typename F>
command_figures time_command(laser_object &ch, double waits_ms, int runs, F command)
{
    const double cpu0 = thread_cpu_ns();
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < runs; ++i)
        command(ch);
    const double wall_ns = double(wall.nsecsElapsed());
    const double cpu_ns = thread_cpu_ns() - cpu0;
    return {cpu_ns / runs / 1000.0, (wall_ns / runs - waits_ms * 1e6) / 1000.0};
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // Decoding.
    const int types[] = {8, 10, 14, 15, 11, 16, 18, 7, 6, 13, 20, 21};
    std::vector<channel> channels;
    size_t frames_per_round = 0;
    for (int type : types) {
        channel c;
        c.controller = std::make_unique<laser_object>(nullptr, 5, nullptr);
        c.pass.push_back(reply(0xD0, type));
        c.pass.push_back(reply(0xD1, 5));
        int v = 100;
        for (uint8_t code : main_list(type))
            c.pass.push_back(reply(code, v += 37));
        frames_per_round += c.pass.size();
        channels.push_back(std::move(c));
    }
    const int rounds = 200000;
    QElapsedTimer t;
    t.start();
    for (int r = 0; r < rounds; ++r) {
        for (channel &c : channels) {
            for (const serial_message_struct &m : c.pass)
                c.controller->handle_rx_can_message(&m);
        }
    }
    const double decode_ns = double(t.nsecsElapsed()) / (double(rounds) * frames_per_round);
    std::printf("decode: %.1f ns per reply frame (%zu frames per round over %zu driver types, %d rounds)\n",
                decode_ns, frames_per_round, channels.size(), rounds);

    // Commands, their frames queued to a receiver on its own thread.
    QThread serial_thread;
    QObject receiver;
    receiver.moveToThread(&serial_thread);
    serial_thread.start();
    std::atomic<long> received{0};
    laser_object ch(nullptr, 5, nullptr);
    QObject::connect(ch.worker, &laser_worker::thread_serial_write, &receiver, [&received](QByteArray data) {
        if (data.size() == 22)
            ++received;
    });
    ch.worker->cw_record.current_set = 123.4f;
    ch.worker->device_type = 8;
    const int runs = 300;

    // Slot entry to the first emission, stamped by a direct hook on this thread.
    QElapsedTimer since_call;
    std::vector<double> to_first;
    bool first_pending = false;
    const QMetaObject::Connection stamp =
        QObject::connect(ch.worker, &laser_worker::thread_serial_write, &ch, [&](QByteArray) {
            if (first_pending) {
                to_first.push_back(double(since_call.nsecsElapsed()));
                first_pending = false;
            }
        }, Qt::DirectConnection);
    for (int i = 0; i < runs; ++i) {
        first_pending = true;
        since_call.start();
        ch.laser_current_butt_clicked();
    }
    QObject::disconnect(stamp);
    std::sort(to_first.begin(), to_first.end());
    const double first_frame_us = to_first[to_first.size() / 2] / 1000.0;

    const command_figures current =
        time_command(ch, 3, runs, [](laser_object &c) { c.laser_current_butt_clicked(); });
    ch.worker->device_type = 7;
    // Every click switches: on (four frames) and off (three) alternately.
    const command_figures pulsed_switch =
        time_command(ch, 10.5, runs, [](laser_object &c) { c.laser_las_on_off_butt_clicked(); });
    // The same 1 ms event-serving wait alone, to split the command's CPU
    // into the waits' own event loops and the build and emit path.
    const double wait_cpu0 = thread_cpu_ns();
    for (int i = 0; i < runs * 3; ++i) {
        QEventLoop loop;
        QTimer::singleShot(1, &loop, SLOT(quit()));
        loop.exec();
    }
    const double wait_cpu_us = (thread_cpu_ns() - wait_cpu0) / (runs * 3) / 1000.0;
    serial_thread.quit();
    serial_thread.wait();
    std::printf("command: %.1f us GUI-thread CPU per current command (3 frames); wall less the 3 ms of waits: %.1f us\n",
                current.cpu_us, current.wall_less_waits_us);
    std::printf("command: %.1f us GUI-thread CPU per pulsed output switch (avg of 12 and 9 frames); "
                "wall less the 10.5 ms of waits: %.1f us\n",
                pulsed_switch.cpu_us, pulsed_switch.wall_less_waits_us);
    std::printf("wait: %.1f us GUI-thread CPU per bare 1 ms event-serving wait (three in every command)\n",
                wait_cpu_us);
    std::printf("build: %.2f us median from the current command's call to its first frame leaving "
                "(record, frame build, copy, emit)\n",
                first_frame_us);
    std::printf("frames received on the other thread: %ld\n", received.load());
    for (channel &c : channels)
        delete c.controller->worker;
    delete ch.worker;
    return 0;
}
