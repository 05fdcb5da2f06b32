// What the program as a process of its own costs the machine, thread by
// thread (GUI, serial, the ten workers), in three states:
//  - waiting for a port that is not there, auto-connection on (target under
//    0.5 % of one core) and off;
//  - polling ten boards of every family on the simulated bench, the pages
//    folded as the window starts (target: at most 1.5 times the floor, at
//    most 2 voluntary wake-ups and 7 system calls per frame sent).
// The floor is measured in the same run: ten bare threads sleeping in the
// workers' pattern (13 gaps of 15 ms, then 300 ms), which is what the
// design's ten polling threads cost by themselves.
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
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <pthread.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/resources.h"
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
    if (name == "laser_worker")
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
    bool traced = false;
    use_by_group traced_use;
    long traced_frames = 0;
};

sample measure(const QString &program_path, state s, int seconds)
{
    sample r;
    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    std::atomic<long> frames{0};
    bench_line bench;
    QList<QPair<int, int>> channels;
    for (int i = 0; i < 10; ++i) {
        bench.add_board(board_types[i], i + 1);
        channels << qMakePair(i + 1, i + 1);
    }
    QObject::connect(
        bench.adapter(), &slcan_adapter::line_received, bench.adapter(),
        [&frames](const QByteArray &l) {
            if (l.startsWith('t'))
                ++frames;
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
    start_on_bench(program, program_path, port, folder.path());
    QByteArray log;
    if (s == polling) {
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
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(seconds * 1000);
    const auto t1 = read_threads(pid);
    r.wall_s = wall.nsecsElapsed() / 1e9;
    r.frames = frames - frames0;
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

void print_state(const char *label, state st, const std::vector<sample> &v, double floor_percent)
{
    const double whole = median_of(v, [](const sample &s) { return percent(s.use.total_cpu_ms(), s.wall_s); });
    std::printf("  %s: whole program %.2f %% of one core", label, whole);
    if (st == polling)
        std::printf(" = %.2fx the floor (target at most 1.5x)", floor_percent > 0 ? whole / floor_percent : 0.0);
    else if (st == waiting_auto)
        std::printf(" (target under 0.5 %%)");
    std::printf("\n    ");
    for (int g = 0; g < group_count; ++g)
        std::printf("%s %.2f %% (%.0f wake-ups/s, %.0f forced/s)%s", group_names[g],
                    median_of(v, [g](const sample &s) { return percent(s.use.cpu_ms[g], s.wall_s); }),
                    median_of(v, [g](const sample &s) { return s.use.voluntary[g] / s.wall_s; }),
                    median_of(v, [g](const sample &s) { return s.use.forced[g] / s.wall_s; }),
                    g + 1 < group_count ? ", " : "\n");
    const bool traced = std::all_of(v.begin(), v.end(), [](const sample &s) { return !s.ok || s.traced; });
    if (st == polling) {
        const double fps = median_of(v, [](const sample &s) { return s.frames / s.wall_s; });
        std::printf("    %.1f frames/s sent; per frame sent: %.0f us of CPU, %.2f voluntary wake-ups (target at most 2)",
                    fps, median_of(v, [](const sample &s) { return 1000.0 * s.use.total_cpu_ms() / std::max(1L, s.frames); }),
                    median_of(v, [](const sample &s) { return double(s.use.total_voluntary()) / std::max(1L, s.frames); }));
        if (traced) {
            std::printf(", %.2f system calls (target at most 7; ",
                        median_of(v, [](const sample &s) {
                            return double(s.traced_use.total_syscalls()) / std::max(1L, s.traced_frames);
                        }));
            for (int g = 0; g < group_count; ++g)
                std::printf("%s %.2f%s", group_names[g], median_of(v, [g](const sample &s) {
                                return double(s.traced_use.syscalls[g]) / std::max(1L, s.traced_frames);
                            }),
                            g + 1 < group_count ? ", " : ")");
        }
        std::printf("\n");
    } else if (traced) {
        std::printf("    system calls: %.0f /s\n", median_of(v, [](const sample &s) {
                        return s.traced_use.total_syscalls() / 5.0;
                    }));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
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
    }

    double load[3] = {};
    if (getloadavg(load, 3) < 0)
        load[0] = -1;
    const double floor_percent = median_of(floors, [](const sample &s) { return percent(s.use.cpu_ms[workers], s.wall_s); });
    std::printf("program CPU by thread, medians of %d rounds of %d s (machine load %.1f, %d cores)\n", rounds, seconds,
                load[0], int(std::thread::hardware_concurrency()));
    std::printf("floor: %d bare threads sleeping %d x %d ms then %d ms: %.2f %% of one core, %.0f wake-ups/s\n",
                floor_threads, floor_gaps, floor_gap_ms, floor_rest_ms, floor_percent,
                median_of(floors, [](const sample &s) { return s.use.voluntary[workers] / s.wall_s; }));
    for (int st = 0; st < state_count; ++st) {
        if (!wanted(st))
            continue;
        std::printf("%s\n", state_names[st]);
        for (const build &b : builds)
            print_state(qPrintable(b.label), state(st), b.states[st], floor_percent);
    }
    return 0;
}
