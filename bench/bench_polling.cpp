// Ten polling workers at once: how evenly one worker spaces its frames, how
// long a pass takes, and how much CPU the ten worker threads use.
//
// Each worker polls a CW board (type 8, main list: 13 frames a pass). Its
// frames go, as in the program, by queued calls to a receiver on a thread of
// its own (the serial thread's place); a direct hook stamps each frame on
// the worker thread with a monotonic clock.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QVector>
#include <algorithm>
#include <chrono>
#include <thread>
#include <atomic>
#include <cstdio>
#include <memory>
#include <pthread.h>
#include <time.h>
#include <vector>

#include "comm/laser_worker.h"

namespace {

constexpr int workers_count = 10;
constexpr int frames_per_pass = 13; // 0xD0, 0xD1 and the 11 CW requests
constexpr double line_frames_per_s = 523.0; // 115200 baud, 22 characters of 10 bits

class sink : public QObject
{
    Q_OBJECT
public:
    std::atomic<long> frames{0};
public slots:
    void take(QByteArray data)
    {
        if (data.size() == 22)
            ++frames;
    }
};

struct channel
{
    std::unique_ptr<laser_worker> worker;
    QVector<qint64> stamps_ns; // written only on the worker thread
    clockid_t cpu_clock{};
    std::atomic<bool> have_clock{false};
};

double thread_cpu_ms(clockid_t clk)
{
    timespec ts{};
    clock_gettime(clk, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double percentile(QVector<double> v, double p)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    const int i = std::min(int(v.size()) - 1, int(p * (v.size() - 1) + 0.5));
    return v[i];
}

struct run_result
{
    QVector<double> gap_deviation_ms;
    QVector<double> pass_period_ms;
    double cpu_ms = 0;
    double wall_ms = 0;
    long frames = 0;
};

run_result run(bool mini_usb, int measure_ms, sink &receiver)
{
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
        QObject::connect(&w, &QThread::started, [cp] {
            pthread_getcpuclockid(pthread_self(), &cp->cpu_clock);
            cp->have_clock = true;
        });
        QObject::connect(&w, &laser_worker::thread_serial_write,
                         [cp, &clock](const QByteArray &) { cp->stamps_ns.append(clock.nsecsElapsed()); });
        QObject::connect(&w, SIGNAL(thread_serial_write(QByteArray)), &receiver, SLOT(take(QByteArray)));
        channels.push_back(std::move(c));
    }
    for (auto &c : channels)
        c->worker->start_polling();

    // Past the start delay and the first pass, then measure.
    QThread::msleep(laser_worker::start_delay_ms + 1000);
    while (!std::all_of(channels.begin(), channels.end(), [](const auto &c) { return c->have_clock.load(); }))
        QThread::msleep(10);
    run_result r;
    double cpu0 = 0;
    for (auto &c : channels)
        cpu0 += thread_cpu_ms(c->cpu_clock);
    const long frames0 = receiver.frames.load();
    const qint64 wall0 = clock.nsecsElapsed();
    const qint64 window_start = wall0;
    QThread::msleep(measure_ms);
    double cpu1 = 0;
    for (auto &c : channels)
        cpu1 += thread_cpu_ms(c->cpu_clock);
    const qint64 wall1 = clock.nsecsElapsed();
    r.cpu_ms = cpu1 - cpu0;
    r.wall_ms = (wall1 - wall0) / 1e6;

    for (auto &c : channels)
        c->worker->stop_polling();
    for (auto &c : channels)
        c->worker->wait();
    r.frames = receiver.frames.load() - frames0;

    const double gap_ms = mini_usb ? laser_worker::mini_usb_frame_gap_ms : laser_worker::frame_gap_ms;
    for (auto &c : channels) {
        const QVector<qint64> &s = c->stamps_ns;
        qint64 last_pass_start = -1;
        for (int i = 1; i < s.size(); ++i) {
            if (s[i] < window_start || s[i] > wall1)
                continue;
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
    return r;
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
    const double cpu0 = thread_cpu_ms(CLOCK_PROCESS_CPUTIME_ID);
    QElapsedTimer t;
    t.start();
    QThread::msleep(measure_ms);
    const double cpu1 = thread_cpu_ms(CLOCK_PROCESS_CPUTIME_ID);
    const double wall = t.nsecsElapsed() / 1e6;
    stop = true;
    for (auto &th : threads)
        th.join();
    return (cpu1 - cpu0) / (wall / 1000.0);
}

void print(const char *title, double gap_ms, const run_result &r, double floor_ms_per_s)
{
    const double nominal = (frames_per_pass * gap_ms) + laser_worker::pass_sleep_ms;
    std::printf("%s (%d workers, %.0f ms gaps)\n", title, workers_count, gap_ms);
    std::printf("  frame gap deviation from %.0f ms: median %+.3f ms, 99th percentile %+.3f ms (%d gaps)\n",
                gap_ms, percentile(r.gap_deviation_ms, 0.5), percentile(r.gap_deviation_ms, 0.99),
                int(r.gap_deviation_ms.size()));
    std::printf("  pass period: median %.1f ms, 99th percentile %.1f ms (nominal %.0f ms = %d x %.0f ms + %d ms; %d passes)\n",
                percentile(r.pass_period_ms, 0.5), percentile(r.pass_period_ms, 0.99), nominal,
                frames_per_pass, gap_ms, laser_worker::pass_sleep_ms, int(r.pass_period_ms.size()));
    const double rate = r.frames / (r.wall_ms / 1000.0);
    std::printf("  frames on the line: %.1f frames/s = %.1f %% of the %.0f frames/s that 115200 baud carries\n",
                rate, 100.0 * rate / line_frames_per_s, line_frames_per_s);
    std::printf("  CPU of the %d worker threads: %.2f ms per s of wall time = %.3f %% of one core (target < 1 %%)\n",
                workers_count, r.cpu_ms / (r.wall_ms / 1000.0), 100.0 * r.cpu_ms / r.wall_ms);
    std::printf("  reference: %d bare threads sleeping in the same pattern use %.2f ms per s = %.3f %% of one core "
                "on this machine; the workers use %.2fx that\n",
                workers_count, floor_ms_per_s, floor_ms_per_s / 10.0,
                floor_ms_per_s > 0 ? (r.cpu_ms / (r.wall_ms / 1000.0)) / floor_ms_per_s : 0.0);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QThread line_thread;
    sink receiver;
    receiver.moveToThread(&line_thread);
    line_thread.start();

    const int measure_ms = 8000;
    const run_result normal = run(false, measure_ms, receiver);
    const double normal_floor = sleep_floor_ms_per_s(laser_worker::frame_gap_ms, measure_ms / 2);
    print("adapter mode", laser_worker::frame_gap_ms, normal, normal_floor);
    const run_result mini = run(true, measure_ms, receiver);
    const double mini_floor = sleep_floor_ms_per_s(laser_worker::mini_usb_frame_gap_ms, measure_ms / 2);
    print("mini-USB mode", laser_worker::mini_usb_frame_gap_ms, mini, mini_floor);

    line_thread.quit();
    line_thread.wait();
    return 0;
}

#include "bench_polling.moc"
