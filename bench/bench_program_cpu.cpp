// What the program as a process of its own costs the machine, thread by
// thread (GUI, serial, the ten workers), in three states:
//  - waiting for a port that is not there, auto-connection on (target under
//    0.5 % of one core) and off;
//  - polling ten boards of every family on the simulated bench, the pages
//    folded as the window starts (target: at most 1.5 times the design
//    floor).
// Two floors are measured in the same run, in turn with the program:
//  - the design floor, this executable started as a process of its own that
//    makes the hops the design requires and nothing else: ten worker threads
//    that send the frames the program's workers send (captured from them),
//    15 ms apart and 300 ms after each pass, each frame a queued signal to
//    one object on a serial thread, which writes it to the same bench and
//    cuts the replies into frames (the program's receiver), each reply a
//    queued signal to a slot on the GUI thread of a QApplication that runs a
//    500 ms and a 4000 ms timer. Its figures stand next to the program's,
//    thread by thread and per frame sent;
//  - ten bare threads sleeping in the workers' pattern (13 gaps of 15 ms,
//    then 300 ms): what ten sleeping threads cost by themselves.
//
// CPU comes from each thread's schedstat (nanoseconds on the CPU), wake-ups
// from its voluntary context switches, system calls from a window of strace
// attached to every thread (left out when strace is not installed; it slows
// the program, so that window is separate from the CPU window).
//
// LUMATREX_BENCH_BEFORE may name another build of the program (the one
// before a change, say): both are then run in turn, round after round, so
// that their figures come from the same conditions. LUMATREX_BENCH_SECONDS
// sets the CPU window of each state (15 by default), LUMATREX_BENCH_ROUNDS
// the rounds (3 by default); medians over the rounds are printed. An
// argument "waiting" or "polling" measures only those states.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/resources.h"
#include "comm/laser_worker.h"
#include "comm/slcan_receiver.h"
#include "support/bench_figures.h"
#include "support/bench_line.h"
#include "support/bench_settings.h"
#include "support/program_process.h"

namespace {

// Every family: CW (8), Precision CW (15), DC/DC (11, 16), power (18),
// PS table (7), NS table (6, 13), PS (20), NS (21).
const int board_types[10] = {8, 15, 11, 16, 18, 7, 6, 13, 20, 21};

constexpr int floor_threads = 10;
constexpr int floor_gaps = 13;
constexpr int floor_gap_ms = 15;
constexpr int floor_rest_ms = 300;

// Started with this variable naming the bench's port, the executable is the
// design floor.
const char design_floor_mode[] = "LUMATREX_DESIGN_FLOOR_PORT";
const char design_floor_ready[] = "design floor polling";

bool is_device_type_request(const QByteArray &line)
{
    return line.startsWith('t') && line.mid(5, 2) == "D0";
}

// One main pass of each of the ten boards, as the program's workers send it:
// a worker per board with the board's type and address reported, its frames
// taken as it emits them, from its first device-type request to its second.
std::vector<QList<QByteArray>> worker_passes()
{
    struct taken_pass
    {
        QList<QByteArray> frames;
        bool whole = false;
    };
    std::vector<taken_pass> passes(10);
    std::mutex taking;
    std::vector<std::unique_ptr<laser_worker>> workers;
    for (int i = 0; i < 10; ++i) {
        auto w = std::make_unique<laser_worker>();
        w->set_records_address(i + 1);
        w->device_type = board_types[i];
        w->main_poll = true;
        taken_pass &p = passes[size_t(i)];
        // Direct: called on the worker's thread as it emits. A pass starts
        // with the device-type request.
        QObject::connect(w.get(), &laser_worker::thread_serial_write, [&p, &taking](const QByteArray &frame) {
            std::lock_guard<std::mutex> lock(taking);
            if (!p.whole && is_device_type_request(frame) && !p.frames.isEmpty())
                p.whole = true;
            else if (!p.whole)
                p.frames << frame;
        });
        w->start_polling();
        workers.push_back(std::move(w));
    }
    QElapsedTimer waited;
    waited.start();
    for (bool all = false; !all && waited.elapsed() < 20000; QThread::msleep(50)) {
        std::lock_guard<std::mutex> lock(taking);
        all = std::all_of(passes.begin(), passes.end(), [](const taken_pass &p) { return p.whole; });
    }
    workers.clear(); // each stopped and joined
    std::vector<QList<QByteArray>> frames;
    for (const taken_pass &p : passes)
        frames.push_back(p.frames);
    return frames;
}

// The design floor's polling thread: the pass it is given, frame by frame
// 15 ms apart, then 300 ms of sleep.
class floor_worker : public QThread
{
    Q_OBJECT
public:
    explicit floor_worker(const QList<QByteArray> &frames) : pass(frames) {}

signals:
    void frame(QByteArray data);

protected:
    void run() override
    {
        for (;;) {
            for (const QByteArray &f : pass) {
                emit frame(f);
                msleep(laser_worker::frame_gap_ms);
            }
            msleep(laser_worker::pass_sleep_ms);
        }
    }

private:
    const QList<QByteArray> pass;
};

// The design floor's serial link: one write per frame straight to the
// device while nothing waits in the port (through the port behind what
// waits otherwise), the replies cut by the program's own receiver.
class floor_link : public QObject
{
    Q_OBJECT
public:
    QSerialPort port; // no parent: moved to the serial thread by itself

    void open(const QString &path)
    {
        port.setPortName(path);
        port.setBaudRate(115200);
        if (!port.open(QIODevice::ReadWrite))
            return;
        connect(&port, &QSerialPort::readyRead, this, &floor_link::read);
        // The bench's adapter takes frames once its CAN channel is open.
        for (const char *text : {"S6\r", "O\r"}) {
            port.write(text);
            port.waitForBytesWritten(1000);
        }
        std::printf("%s\n", design_floor_ready);
        std::fflush(stdout);
    }

    void write(QByteArray data)
    {
        if (port.bytesToWrite() == 0) {
            const ssize_t n = ::write(int(port.handle()), data.constData(), size_t(data.size()));
            if (n == ssize_t(data.size()))
                return;
            if (n > 0)
                data.remove(0, int(n));
        }
        port.write(data);
    }

signals:
    void frame_received(serial_message_struct m);

private:
    void read()
    {
        rx.rx_buffer.append(port.readAll());
        slcan_receiver::parse(rx.rx_buffer, rx.rx_message,
                              [this](const serial_message_struct &m) { emit frame_received(m); });
    }

    slcan_receiver rx;
};

// The design floor's GUI end: takes every reply, keeps two timers.
class floor_window : public QObject
{
    Q_OBJECT
public:
    void take(serial_message_struct m) { ++taken[m.data[1] & 0xFF]; }

    long taken[256] = {};
};

int run_design_floor(int argc, char *argv[])
{
    QApplication app(argc, argv);
    register_serial_types();
    const std::vector<QList<QByteArray>> passes = worker_passes();
    floor_window window;
    QTimer view, presence;
    QObject::connect(&view, &QTimer::timeout, &window, [] {});
    QObject::connect(&presence, &QTimer::timeout, &window, [] {});
    view.start(500);
    presence.start(4000);

    QThread serial_thread;
    auto *link = new floor_link;
    link->moveToThread(&serial_thread);
    link->port.moveToThread(&serial_thread);
    QObject::connect(link, &floor_link::frame_received, &window, &floor_window::take);
    serial_thread.start();
    const QString path = qEnvironmentVariable(design_floor_mode);
    QMetaObject::invokeMethod(link, [link, path] { link->open(path); });

    std::vector<std::unique_ptr<floor_worker>> workers;
    for (const QList<QByteArray> &pass : passes) {
        workers.push_back(std::make_unique<floor_worker>(pass));
        QObject::connect(workers.back().get(), &floor_worker::frame, link, &floor_link::write);
        workers.back()->start();
    }
    // Ended by SIGTERM, as the program is.
    return app.exec();
}

// What one thread has used so far.
struct thread_use
{
    QByteArray name;
    double cpu_ms = 0;
    long voluntary = 0;
    long forced = 0;
};

QByteArray read_file(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool read_thread(qint64 pid, qint64 tid, thread_use &u)
{
    const QString dir = QStringLiteral("/proc/%1/task/%2/").arg(pid).arg(tid);
    const QByteArray sched = read_file(dir + QStringLiteral("schedstat"));
    if (sched.isEmpty())
        return false;
    u.cpu_ms = sched.split(' ').value(0).toDouble() / 1e6;
    u.name = read_file(dir + QStringLiteral("comm")).trimmed();
    for (const QByteArray &line : read_file(dir + QStringLiteral("status")).split('\n')) {
        if (line.startsWith("voluntary_ctxt_switches:"))
            u.voluntary = line.mid(line.indexOf(':') + 1).trimmed().toLong();
        else if (line.startsWith("nonvoluntary_ctxt_switches:"))
            u.forced = line.mid(line.indexOf(':') + 1).trimmed().toLong();
    }
    return true;
}

std::map<qint64, thread_use> read_threads(qint64 pid)
{
    std::map<qint64, thread_use> all;
    const QStringList tids = QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &t : tids) {
        thread_use u;
        if (read_thread(pid, t.toLongLong(), u))
            all[t.toLongLong()] = u;
    }
    return all;
}

// The program's threads by job: the GUI thread is the process's first,
// the workers are named after their class, the serial thread is the one
// plain thread the program starts.
enum group { gui, serial, workers, other, group_count };
const char *const group_names[group_count] = {"GUI", "serial", "workers", "other"};

group group_of(qint64 pid, qint64 tid, const QByteArray &name)
{
    if (tid == pid)
        return gui;
    if (name == "laser_worker" || name == "floor_worker")
        return workers;
    if (name == "QThread")
        return serial;
    return other;
}

struct use_by_group
{
    double cpu_ms[group_count] = {};
    long voluntary[group_count] = {};
    long forced[group_count] = {};
    long syscalls[group_count] = {};
    double total_cpu_ms() const
    {
        double s = 0;
        for (double v : cpu_ms)
            s += v;
        return s;
    }
    long total_voluntary() const
    {
        long s = 0;
        for (long v : voluntary)
            s += v;
        return s;
    }
    long total_syscalls() const
    {
        long s = 0;
        for (long v : syscalls)
            s += v;
        return s;
    }
};

use_by_group difference(qint64 pid, const std::map<qint64, thread_use> &before,
                        const std::map<qint64, thread_use> &after)
{
    use_by_group d;
    for (const auto &a : after) {
        thread_use b;
        const auto it = before.find(a.first);
        if (it != before.end())
            b = it->second;
        const group g = group_of(pid, a.first, a.second.name);
        d.cpu_ms[g] += a.second.cpu_ms - b.cpu_ms;
        d.voluntary[g] += a.second.voluntary - b.voluntary;
        d.forced[g] += a.second.forced - b.forced;
    }
    return d;
}

// System calls per thread group over `ms`, counted by strace attached to
// every thread of the process; false when strace cannot be run.
bool count_syscalls(qint64 pid, int ms, use_by_group &use, const QString &folder)
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        return false;
    std::map<qint64, QByteArray> names;
    for (const auto &t : read_threads(pid))
        names[t.first] = t.second.name;
    const QString out = folder + QStringLiteral("/strace.txt");
    QFile::remove(out);
    QProcess tracer;
    tracer.setProcessChannelMode(QProcess::ForwardedChannels);
    tracer.start(strace, {QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-o"), out,
                          QStringLiteral("-p"), QString::number(pid)});
    if (!tracer.waitForStarted(5000))
        return false;
    QTest::qWait(ms);
    tracer.terminate();
    if (!tracer.waitForFinished(10000))
        tracer.kill();
    QFile f(out);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine();
        // "<tid> name(args..." starts a call; "<... name resumed>" ends one
        // that another thread's line interrupted; signals and exits are no
        // calls.
        const int blank = line.indexOf(' ');
        if (blank <= 0 || line.contains("resumed>") || line.contains("--- ") || line.contains("+++ "))
            continue;
        const qint64 tid = line.left(blank).toLongLong();
        const auto it = names.find(tid);
        ++use.syscalls[group_of(pid, tid, it == names.end() ? QByteArray() : it->second)];
    }
    return true;
}

enum state { waiting_auto, waiting_manual, polling, state_count };
const char *const state_names[state_count] = {
    "waiting for a port that is not there, auto-connection on",
    "waiting for a port that is not there, auto-connection off",
    "polling ten boards of every family, pages folded",
};

struct sample
{
    bool ok = false;
    double wall_s = 0;
    use_by_group use;
    long frames = 0; // sent to the bench in the CPU window
    double frames_per_pass = 0; // of the ten boards, from the passes whole in the CPU window
    bool traced = false;
    use_by_group traced_use;
    long traced_frames = 0;
};

// The program at `program_path` in state `s`; with `design_floor`, this
// executable as the design floor against the same bench.
sample measure(const QString &program_path, state s, int seconds, bool design_floor = false)
{
    sample r;
    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    std::atomic<long> frames{0};
    // Board by board, the frames of the passes the CPU window holds whole:
    // a pass runs from one device-type request to the next.
    struct board_passes
    {
        std::atomic<long> frames{0};
        std::atomic<long> passes{0};
        long since = -1; // the adapter's thread only: frames of the pass under way
    };
    std::vector<board_passes> boards(256);
    std::atomic<bool> in_window{false};
    bench_line bench;
    QList<QPair<int, int>> channels;
    for (int i = 0; i < 10; ++i) {
        bench.add_board(board_types[i], i + 1);
        channels << qMakePair(i + 1, i + 1);
    }
    QObject::connect(
        bench.adapter(), &slcan_adapter::line_received, bench.adapter(),
        [&frames, &boards, &in_window](const QByteArray &l) {
            if (!l.startsWith('t'))
                return;
            ++frames;
            board_passes &b = boards[size_t(l.mid(1, 3).toInt(nullptr, 16) & 0xFF)];
            if (is_device_type_request(l)) {
                if (b.since > 0 && in_window) {
                    b.frames += b.since;
                    ++b.passes;
                }
                b.since = in_window ? 0 : -1;
            }
            if (b.since >= 0)
                ++b.since;
        },
        Qt::DirectConnection);
    QString port;
    if (s == polling) {
        bench.start();
        port = bench.path();
    } else {
        port = folder.path() + QStringLiteral("/no-such-port");
    }
    write_bench_settings(channels, port, s != waiting_manual);
    QDir::setCurrent(previous);

    QProcess program;
    if (design_floor)
        start_on_bench(program, QCoreApplication::applicationFilePath(), port, folder.path(),
                       {{QLatin1String(design_floor_mode), port}});
    else
        start_on_bench(program, program_path, port, folder.path());
    QByteArray log;
    if (design_floor) {
        const bool ready = QTest::qWaitFor(
            [&] {
                log += program.readAll();
                return log.contains(design_floor_ready);
            },
            30000);
        if (!ready) {
            std::fprintf(stderr, "bench_program_cpu: the design floor did not start polling\n%s", log.constData());
            return r;
        }
        QTest::qWait(4000); // as for the program
    } else if (s == polling) {
        if (!wait_port_open(program, &log)) {
            std::fprintf(stderr, "bench_program_cpu: %s did not connect\n%s", qPrintable(program_path),
                         log.constData());
            return r;
        }
        QTest::qWait(4000); // the workers' start delay and the first passes
    } else {
        if (!program.waitForStarted(20000))
            return r;
        QTest::qWait(3000);
    }
    const qint64 pid = program.processId();
    program.readAll();
    const auto t0 = read_threads(pid);
    const long frames0 = frames;
    in_window = true;
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(seconds * 1000);
    const auto t1 = read_threads(pid);
    r.wall_s = wall.nsecsElapsed() / 1e9;
    r.frames = frames - frames0;
    in_window = false;
    for (const board_passes &b : boards)
        r.frames_per_pass += b.passes > 0 ? double(b.frames) / double(b.passes) : 0;
    r.use = difference(pid, t0, t1);
    program.readAll(); // its debug log must not fill the pipe
    const long traced0 = frames;
    r.traced = count_syscalls(pid, 5000, r.traced_use, folder.path());
    r.traced_frames = frames - traced0;
    r.ok = program.state() == QProcess::Running && !t1.empty();
    program.readAll();
    program.terminate();
    if (!program.waitForFinished(20000))
        program.kill();
    return r;
}

// Ten bare threads sleeping in the workers' pattern; their own CPU and
// wake-ups over `seconds`.
sample measure_floor(int seconds)
{
    std::atomic<bool> stop{false};
    std::vector<std::atomic<long>> tids(floor_threads);
    std::vector<std::thread> threads;
    for (int i = 0; i < floor_threads; ++i)
        threads.emplace_back([&stop, &tids, i] {
            tids[i] = long(syscall(SYS_gettid));
            while (!stop.load()) {
                for (int k = 0; k < floor_gaps; ++k)
                    std::this_thread::sleep_for(std::chrono::milliseconds(floor_gap_ms));
                std::this_thread::sleep_for(std::chrono::milliseconds(floor_rest_ms));
            }
        });
    QThread::msleep(500);
    const qint64 pid = QCoreApplication::applicationPid();
    const auto read = [&] {
        std::map<qint64, thread_use> m;
        for (auto &t : tids) {
            thread_use u;
            if (read_thread(pid, t.load(), u))
                m[t.load()] = u;
        }
        return m;
    };
    const auto t0 = read();
    QElapsedTimer wall;
    wall.start();
    QThread::msleep(static_cast<unsigned long>(seconds) * 1000);
    const auto t1 = read();
    sample r;
    r.wall_s = wall.nsecsElapsed() / 1e9;
    for (const auto &a : t1) {
        const thread_use &b = t0.at(a.first);
        r.use.cpu_ms[workers] += a.second.cpu_ms - b.cpu_ms;
        r.use.voluntary[workers] += a.second.voluntary - b.voluntary;
    }
    stop = true;
    for (auto &th : threads)
        th.join();
    r.ok = true;
    return r;
}

double percent(double ms, double wall_s)
{
    return wall_s > 0 ? ms / wall_s / 10.0 : 0;
}

template <typename F>
double median_of(const std::vector<sample> &v, F f)
{
    std::vector<double> x;
    for (const sample &s : v)
        if (s.ok)
            x.push_back(f(s));
    return median(x);
}

// Per frame sent: CPU in microseconds, voluntary wake-ups, system calls;
// of one thread group, or of all with `g` = group_count.
double cpu_us_per_frame(const sample &s, int g)
{
    return 1000.0 * (g < group_count ? s.use.cpu_ms[g] : s.use.total_cpu_ms()) / std::max(1L, s.frames);
}
double wakeups_per_frame(const sample &s, int g)
{
    return double(g < group_count ? s.use.voluntary[g] : s.use.total_voluntary()) / std::max(1L, s.frames);
}
double syscalls_per_frame(const sample &s, int g)
{
    return double(g < group_count ? s.traced_use.syscalls[g] : s.traced_use.total_syscalls()) /
           std::max(1L, s.traced_frames);
}

bool all_traced(const std::vector<sample> &v)
{
    return std::all_of(v.begin(), v.end(), [](const sample &s) { return !s.ok || s.traced; });
}

// The frames on the line: per second, per pass of the ten boards, and the
// bytes a second they make, with the baud rate below which a line of 8
// data bits, no parity and one stop bit cannot carry them.
void print_line_load(const char *label, const std::vector<sample> &v)
{
    const double fps = median_of(v, [](const sample &s) { return s.frames / s.wall_s; });
    std::printf("  %s: %.1f frames/s sent, %.1f a pass of the ten boards; %.0f bytes/s, more than a line below %.0f "
                "baud carries\n",
                label, fps, median_of(v, [](const sample &s) { return s.frames_per_pass; }),
                fps * slcan_receiver::frame_length, fps * slcan_receiver::frame_length * 10);
}

void print_state(const char *label, state st, const std::vector<sample> &v, const std::vector<sample> &design,
                 double bare_percent)
{
    const double whole = median_of(v, [](const sample &s) { return percent(s.use.total_cpu_ms(), s.wall_s); });
    std::printf("  %s: whole program %.2f %% of one core", label, whole);
    if (st == polling) {
        const double design_us = median_of(design, [](const sample &s) { return cpu_us_per_frame(s, group_count); });
        std::printf(" = %.2fx the design floor per frame sent (target at most 1.5x), %.2fx the ten bare threads",
                    design_us > 0 ? median_of(v, [](const sample &s) { return cpu_us_per_frame(s, group_count); }) /
                                        design_us
                                  : 0.0,
                    bare_percent > 0 ? whole / bare_percent : 0.0);
    } else if (st == waiting_auto) {
        std::printf(" (target under 0.5 %%)");
    }
    std::printf("\n    ");
    for (int g = 0; g < group_count; ++g)
        std::printf("%s %.2f %% (%.0f wake-ups/s, %.0f forced/s)%s", group_names[g],
                    median_of(v, [g](const sample &s) { return percent(s.use.cpu_ms[g], s.wall_s); }),
                    median_of(v, [g](const sample &s) { return s.use.voluntary[g] / s.wall_s; }),
                    median_of(v, [g](const sample &s) { return s.use.forced[g] / s.wall_s; }),
                    g + 1 < group_count ? ", " : "\n");
    if (st != polling) {
        if (all_traced(v))
            std::printf("    system calls: %.0f /s\n",
                        median_of(v, [](const sample &s) { return s.traced_use.total_syscalls() / 5.0; }));
        return;
    }
    // Thread by thread against the design floor.
    const bool traced = all_traced(v) && all_traced(design);
    std::printf("    %-8s %-27s %-22s %s\n", "", "CPU % of one core", "wake-ups per frame",
                traced ? "system calls per frame" : "");
    std::printf("    %-8s %8s %7s %10s %8s %7s", "thread", "program", "floor", "ratio", "program", "floor");
    std::printf(traced ? "       %8s %7s\n" : "\n", "program", "floor");
    for (int g = 0; g <= group_count; ++g) {
        const auto cpu = [g](const sample &s) {
            return percent(g < group_count ? s.use.cpu_ms[g] : s.use.total_cpu_ms(), s.wall_s);
        };
        const double floor_us = median_of(design, [g](const sample &s) { return cpu_us_per_frame(s, g); });
        const double ratio =
            floor_us > 0 ? median_of(v, [g](const sample &s) { return cpu_us_per_frame(s, g); }) / floor_us : 0;
        std::printf("    %-8s %8.2f %7.2f ", g < group_count ? group_names[g] : "whole", median_of(v, cpu),
                    median_of(design, cpu));
        if (ratio > 0)
            std::printf("%9.2fx", ratio);
        else
            std::printf("%10s", "-");
        std::printf(" %8.2f %7.2f", median_of(v, [g](const sample &s) { return wakeups_per_frame(s, g); }),
                    median_of(design, [g](const sample &s) { return wakeups_per_frame(s, g); }));
        if (traced)
            std::printf("       %8.2f %7.2f", median_of(v, [g](const sample &s) { return syscalls_per_frame(s, g); }),
                        median_of(design, [g](const sample &s) { return syscalls_per_frame(s, g); }));
        std::printf("\n");
    }
    std::printf("    (ratio: CPU per frame sent, the program's over the design floor's)\n");
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsSet(design_floor_mode))
        return run_design_floor(argc, argv);
    QApplication app(argc, argv);
    lumatrex_init_resources();
    const int seconds = qEnvironmentVariable("LUMATREX_BENCH_SECONDS", QStringLiteral("15")).toInt();
    const int rounds = qEnvironmentVariable("LUMATREX_BENCH_ROUNDS", QStringLiteral("3")).toInt();
    if (seconds <= 0 || rounds <= 0) {
        std::fprintf(stderr, "bench_program_cpu: LUMATREX_BENCH_SECONDS and LUMATREX_BENCH_ROUNDS must be above 0\n");
        return 1;
    }
    struct build
    {
        QString label;
        QString path;
        std::vector<sample> states[state_count];
    };
    std::vector<build> builds;
    const QString before = qEnvironmentVariable("LUMATREX_BENCH_BEFORE");
    if (!before.isEmpty())
        builds.push_back({QStringLiteral("before (%1)").arg(before), before, {}});
    builds.push_back({QStringLiteral("this build"), QCoreApplication::applicationDirPath() + QStringLiteral("/lumatrex"), {}});

    const QByteArray only = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    const auto wanted = [&only](int st) {
        return only.isEmpty() || (only == "polling") == (st == polling);
    };
    std::vector<sample> floors;
    std::vector<sample> design;
    for (int round = 0; round < rounds; ++round) {
        floors.push_back(measure_floor(seconds));
        for (int st = 0; st < state_count; ++st)
            for (build &b : builds) {
                if (!wanted(st))
                    continue;
                sample s = measure(b.path, state(st), seconds);
                if (!s.ok)
                    return 1;
                b.states[st].push_back(s);
            }
        if (wanted(polling)) {
            sample s = measure(QString(), polling, seconds, true);
            if (!s.ok)
                return 1;
            design.push_back(s);
        }
    }

    double load[3] = {};
    if (getloadavg(load, 3) < 0)
        load[0] = -1;
    const double floor_percent = median_of(floors, [](const sample &s) { return percent(s.use.cpu_ms[workers], s.wall_s); });
    std::printf("program CPU by thread, medians of %d rounds of %d s (machine load %.1f, %d cores)\n", rounds, seconds,
                load[0], int(std::thread::hardware_concurrency()));
    std::printf("ten bare threads sleeping %d x %d ms then %d ms: %.2f %% of one core, %.0f wake-ups/s\n",
                floor_gaps, floor_gap_ms, floor_rest_ms, floor_percent,
                median_of(floors, [](const sample &s) { return s.use.voluntary[workers] / s.wall_s; }));
    for (int st = 0; st < state_count; ++st) {
        if (!wanted(st))
            continue;
        std::printf("%s\n", state_names[st]);
        if (st == polling) {
            std::printf("  design floor: %.2f %% of one core\n",
                        median_of(design, [](const sample &s) { return percent(s.use.total_cpu_ms(), s.wall_s); }));
            for (const build &b : builds)
                print_line_load(qPrintable(b.label), b.states[st]);
            print_line_load("design floor", design);
        }
        for (const build &b : builds)
            print_state(qPrintable(b.label), state(st), b.states[st], design, floor_percent);
    }
    return 0;
}

#include "bench_program_cpu.moc"
