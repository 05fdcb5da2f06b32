// Ten polling workers at once, as the program runs them: each worker's
// frames go by queued calls to the serial link on its own thread, which
// writes them to a pseudo-terminal. The simulated bench (lumatrex_sim, a
// process of its own, so that its work stays out of the figures) answers as
// the adapter with ten CW boards, and the serial thread cuts the replies into
// frames for the GUI thread.
//
// Figures: how evenly one worker spaces its frames, how long a pass takes,
// the line load, and the CPU that the program's own threads use, the ten
// workers and the serial thread (the GUI thread's share of taking the replies
// apart), next to ten bare threads sleeping in the same pattern. A direct
// hook stamps each frame on the worker thread with a monotonic clock.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QVector>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <pthread.h>
#include <sys/syscall.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "comm/laser_worker.h"
#include "comm/serial_object.h"

namespace {

constexpr int workers_count = 10;
constexpr int frames_per_pass = 13; // 0xD0, 0xD1 and the 11 CW requests
constexpr int replies_per_pass = 12; // the TEC switch-on gets no answer
constexpr double line_frames_per_s = 523.0; // 115200 baud, 22 characters of 10 bits

// The CPU clock and the context switches of the thread that runs take(),
// taken once on that thread. A thread pays for each time it is put to sleep
// and woken more than for the work of a frame, so the switches are counted.
struct thread_clock
{
    clockid_t id{};
    pid_t tid = 0;
    std::atomic<bool> known{false};

    void take()
    {
        pthread_getcpuclockid(pthread_self(), &id);
        tid = pid_t(syscall(SYS_gettid));
        known = true;
    }
    double ms() const
    {
        timespec ts{};
        clock_gettime(id, &ts);
        return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
    }
    long switches() const
    {
        QFile status(QStringLiteral("/proc/self/task/%1/status").arg(tid));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        long n = 0;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
                n += line.mid(line.indexOf(':') + 1).trimmed().toLong();
        }
        return n;
    }
};

struct channel
{
    std::unique_ptr<laser_worker> worker;
    QVector<qint64> stamps_ns; // written only on the worker thread
    thread_clock cpu;
};

double percentile(QVector<double> v, double p)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    const int i = std::min(int(v.size()) - 1, int(p * (v.size() - 1) + 0.5));
    return v[i];
}

// Runs the GUI thread's event loop for a while.
void serve_events(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct run_result
{
    QVector<double> gap_deviation_ms;
    QVector<double> pass_period_ms;
    double workers_cpu_ms = 0;
    double serial_cpu_ms = 0;
    long workers_switches = 0;
    long serial_switches = 0;
    double gui_cpu_ms = 0;
    double wall_ms = 0;
    long frames_sent = 0;
    long replies = 0;
};

// The bench program with ten CW boards behind the adapter, or one board on
// a direct line; returns the device path it prints, empty on failure.
QString start_bench(QProcess &sim, bool mini_usb)
{
    QStringList args;
    if (mini_usb)
        args << "--direct" << "--board" << "8:1";
    else
        for (int i = 1; i <= workers_count; ++i)
            args << "--board" << QStringLiteral("8:%1").arg(i);
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QCoreApplication::applicationDirPath() + "/lumatrex_sim", args);
    if (!sim.waitForStarted(20000) || !sim.waitForReadyRead(20000))
        return QString();
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

bool run(bool mini_usb, int measure_ms, run_result &r)
{
    QProcess sim;
    const QString path = start_bench(sim, mini_usb);
    if (path.isEmpty()) {
        std::fprintf(stderr, "bench_polling: lumatrex_sim did not start\n");
        return false;
    }

    // The serial link as the main window sets it up.
    QThread serial_thread;
    auto *serial = new serial_object();
    thread_clock serial_cpu;
    QObject::connect(&serial_thread, &QThread::started, [&serial_cpu] { serial_cpu.take(); });
    QObject::connect(&serial_thread, SIGNAL(started()), serial, SLOT(sl_start_port_process()));
    QObject::connect(&serial_thread, SIGNAL(finished()), serial, SLOT(deleteLater()));
    serial->moveToThread(&serial_thread);
    serial->port.moveToThread(&serial_thread);
    serial->mini_usb = mini_usb;
    QObject gui;
    std::atomic<long> replies{0};
    bool connected = false;
    QObject::connect(serial, &serial_object::sig_connected, &gui, [&connected] { connected = true; });
    QObject::connect(serial, &serial_object::sig_serial_rx_can_message, &gui,
                     [&replies](serial_message_struct) { ++replies; });
    serial_thread.start();
    const serial_conf_struct conf{path, mini_usb ? 57600 : 115200, 8, 0, 1, 0};
    QMetaObject::invokeMethod(serial, "sl_serial_conf", Q_ARG(serial_conf_struct, conf));
    QMetaObject::invokeMethod(serial, "sl_connect_serial");
    QElapsedTimer wait_connect;
    wait_connect.start();
    while (!connected && wait_connect.elapsed() < 20000)
        serve_events(10);
    if (!connected) {
        std::fprintf(stderr, "bench_polling: no connection to %s\n", qPrintable(path));
        return false;
    }

    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<channel>> channels;
    for (int i = 0; i < workers_count; ++i) {
        auto c = std::make_unique<channel>();
        c->worker = std::make_unique<laser_worker>();
        laser_worker &w = *c->worker;
        w.cw_record.can_address = i + 1;
        w.device_type = 8;
        w.main_poll = true;
        w.mini_usb = mini_usb;
        c->stamps_ns.reserve(4096);
        channel *cp = c.get();
        QObject::connect(&w, &QThread::started, [cp] { cp->cpu.take(); });
        QObject::connect(&w, &laser_worker::thread_serial_write,
                         [cp, &clock](const QByteArray &) { cp->stamps_ns.append(clock.nsecsElapsed()); });
        QObject::connect(&w, SIGNAL(thread_serial_write(QByteArray)), serial, SLOT(sl_write_to_port(QByteArray)));
        channels.push_back(std::move(c));
    }
    for (auto &c : channels)
        c->worker->start_polling();

    // Past the start delay and the first pass, then measure.
    serve_events(laser_worker::start_delay_ms + 1000);
    while (!std::all_of(channels.begin(), channels.end(), [](const auto &c) { return c->cpu.known.load(); }))
        serve_events(10);
    thread_clock gui_cpu;
    gui_cpu.take();
    double workers0 = 0;
    long workers_switches0 = 0;
    for (auto &c : channels) {
        workers0 += c->cpu.ms();
        workers_switches0 += c->cpu.switches();
    }
    const double serial0 = serial_cpu.ms();
    const long serial_switches0 = serial_cpu.switches();
    const double gui0 = gui_cpu.ms();
    const long replies0 = replies.load();
    const qint64 wall0 = clock.nsecsElapsed();
    serve_events(measure_ms);
    double workers1 = 0;
    long workers_switches1 = 0;
    for (auto &c : channels) {
        workers1 += c->cpu.ms();
        workers_switches1 += c->cpu.switches();
    }
    const double serial1 = serial_cpu.ms();
    r.serial_switches = serial_cpu.switches() - serial_switches0;
    r.workers_switches = workers_switches1 - workers_switches0;
    const double gui1 = gui_cpu.ms();
    const qint64 wall1 = clock.nsecsElapsed();
    r.workers_cpu_ms = workers1 - workers0;
    r.serial_cpu_ms = serial1 - serial0;
    r.gui_cpu_ms = gui1 - gui0;
    r.wall_ms = (wall1 - wall0) / 1e6;
    r.replies = replies.load() - replies0;

    for (auto &c : channels)
        c->worker->stop_polling();
    for (auto &c : channels)
        c->worker->wait();
    QMetaObject::invokeMethod(serial, "sl_disconnect_serial", Qt::BlockingQueuedConnection);
    serial_thread.quit();
    serial_thread.wait();
    sim.kill();
    sim.waitForFinished(20000);

    const double gap_ms = mini_usb ? laser_worker::mini_usb_frame_gap_ms : laser_worker::frame_gap_ms;
    for (auto &c : channels) {
        const QVector<qint64> &s = c->stamps_ns;
        qint64 last_pass_start = -1;
        for (int i = 1; i < s.size(); ++i) {
            if (s[i] < wall0 || s[i] > wall1)
                continue;
            ++r.frames_sent;
            const double d = (s[i] - s[i - 1]) / 1e6;
            if (d < laser_worker::pass_sleep_ms) {
                r.gap_deviation_ms << d - gap_ms;
            } else {
                if (last_pass_start >= 0)
                    r.pass_period_ms << (s[i] - last_pass_start) / 1e6;
                last_pass_start = s[i];
            }
        }
    }
    return true;
}

// The floor under the workers' CPU figure: ten bare threads that only sleep
// in the same pattern (13 gaps, then the pass sleep) and do nothing else.
double sleep_floor_ms_per_s(int gap_ms, int measure_ms)
{
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < workers_count; ++i)
        threads.emplace_back([&stop, gap_ms] {
            while (!stop.load()) {
                for (int k = 0; k < frames_per_pass; ++k)
                    std::this_thread::sleep_for(std::chrono::milliseconds(gap_ms));
                std::this_thread::sleep_for(std::chrono::milliseconds(laser_worker::pass_sleep_ms));
            }
        });
    QThread::msleep(500);
    thread_clock process;
    process.id = CLOCK_PROCESS_CPUTIME_ID;
    const double cpu0 = process.ms();
    QElapsedTimer t;
    t.start();
    QThread::msleep(measure_ms);
    const double cpu1 = process.ms();
    const double wall = t.nsecsElapsed() / 1e6;
    stop = true;
    for (auto &th : threads)
        th.join();
    return (cpu1 - cpu0) / (wall / 1000.0);
}

void print(const char *title, double gap_ms, const run_result &r, double floor_ms_per_s)
{
    const double nominal = (frames_per_pass * gap_ms) + laser_worker::pass_sleep_ms;
    const double per_s = r.wall_ms / 1000.0;
    std::printf("%s (%d workers, %.0f ms gaps)\n", title, workers_count, gap_ms);
    std::printf("  frame gap deviation from %.0f ms: median %+.3f ms, 99th percentile %+.3f ms (%d gaps)\n",
                gap_ms, percentile(r.gap_deviation_ms, 0.5), percentile(r.gap_deviation_ms, 0.99),
                int(r.gap_deviation_ms.size()));
    std::printf("  pass period: median %.1f ms, 99th percentile %.1f ms (nominal %.0f ms = %d x %.0f ms + %d ms; %d passes)\n",
                percentile(r.pass_period_ms, 0.5), percentile(r.pass_period_ms, 0.99), nominal,
                frames_per_pass, gap_ms, laser_worker::pass_sleep_ms, int(r.pass_period_ms.size()));
    const double rate = r.frames_sent / per_s;
    std::printf("  frames on the line: %.1f frames/s = %.1f %% of the %.0f frames/s that 115200 baud carries; "
                "%.1f replies/s back (%.0f %% of the %d per pass expected)\n",
                rate, 100.0 * rate / line_frames_per_s, line_frames_per_s, r.replies / per_s,
                rate > 0 ? 100.0 * (r.replies / per_s) / (rate * replies_per_pass / frames_per_pass) : 0.0,
                replies_per_pass);
    const double program = (r.workers_cpu_ms + r.serial_cpu_ms) / per_s;
    std::printf("  CPU of the %d workers and the serial thread: %.2f ms per s of wall time = %.3f %% of one core "
                "(target < 1 %%)\n",
                workers_count, program, program / 10.0);
    const double frames = r.frames_sent > 0 ? double(r.frames_sent) : 1.0;
    std::printf("    workers %.2f ms/s (%.1f us and %.2f wake-ups per frame sent), serial thread %.2f ms/s "
                "(%.1f us and %.2f wake-ups per frame written and read back); apart: GUI thread taking the "
                "replies %.2f ms/s\n",
                r.workers_cpu_ms / per_s, 1000.0 * r.workers_cpu_ms / frames, r.workers_switches / frames,
                r.serial_cpu_ms / per_s, 1000.0 * r.serial_cpu_ms / frames, r.serial_switches / frames,
                r.gui_cpu_ms / per_s);
    std::printf("  reference: %d bare threads sleeping in the same pattern use %.2f ms per s = %.3f %% of one core "
                "on this machine; the workers use %.2fx that\n",
                workers_count, floor_ms_per_s, floor_ms_per_s / 10.0,
                floor_ms_per_s > 0 ? (r.workers_cpu_ms / per_s) / floor_ms_per_s : 0.0);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    register_serial_types();
    const int measure_ms = argc > 1 ? QByteArray(argv[1]).toInt() : 8000;

    run_result normal;
    if (!run(false, measure_ms, normal))
        return 1;
    const double normal_floor = sleep_floor_ms_per_s(laser_worker::frame_gap_ms, measure_ms / 2);
    print("adapter mode", laser_worker::frame_gap_ms, normal, normal_floor);
    run_result mini;
    if (!run(true, measure_ms, mini))
        return 1;
    const double mini_floor = sleep_floor_ms_per_s(laser_worker::mini_usb_frame_gap_ms, measure_ms / 2);
    print("mini-USB mode", laser_worker::mini_usb_frame_gap_ms, mini, mini_floor);
    return 0;
}
