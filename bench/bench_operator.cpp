// The whole program against ten boards of every driver family on the
// simulated bench, with its window shown offscreen:
//  - the time from a set point entered on a page (the value, then Return) to
//    the board holding it, over 100 commands spread over the ten channels:
//    median and maximum (the program in this process, as main builds it);
//  - the program's CPU time per second of wall time and its resident memory,
//    minute by minute over ten minutes of polling, and the growth of the
//    memory after the first minute (the real program as a process of its
//    own, the bench in this one). LUMATREX_BENCH_MINUTES shortens the run
//    (a decimal number of minutes; 10 by default).

#include <QApplication>
#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/resources.h"
#include "sim/sim_bus.h"
#include "support/bench_settings.h"
#include "support/operator_bench.h"
#include "support/program_process.h"

namespace {

using steady = std::chrono::steady_clock;

const QList<int> ten_types{8, 15, 11, 16, 18, 7, 6, 13, 20, 21};
constexpr int commands = 100;

// The set point entered on a page of the type: its input, two values taken
// in turn, the set code the board receives.
struct set_point
{
    const char *input;
    const char *values[2];
    uint8_t set_code;
};

set_point set_point_of(int type)
{
    switch (type) {
    case 8: case 15: return {"curr_spin", {"50", "60"}, 0x11};
    case 11: case 16: case 18: return {"curr_spin", {"5", "6"}, 0x11};
    default: return {"pulse_temp_spin", {"24", "26"}, 0x12};
    }
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[size_t(p * double(v.size() - 1))];
}

// Phase 1: 100 set points through the pages of the program in this process.
bool set_point_latency()
{
    // The frame awaited (written here) and the time it arrived (written by
    // the adapter's thread); made first, so that they outlive the bench.
    std::atomic<int> awaited_id{-1};
    std::atomic<int> awaited_code{-1};
    std::atomic<int64_t> arrived_ns{0};
    operator_bench b(ten_types);
    QObject::connect(
        b.bench.adapter(), &slcan_adapter::line_received, b.bench.adapter(),
        [&](const QByteArray &line) {
            uint32_t id = 0;
            uint8_t d[8];
            if (arrived_ns.load() == 0 && sim_bus::parse_frame(line, &id, d) && int(id) == awaited_id.load() &&
                d[0] == awaited_code.load())
                arrived_ns = steady::now().time_since_epoch().count();
        },
        Qt::DirectConnection);
    QString error = b.connect_by_button();
    if (error.isEmpty())
        error = b.wait_pages_ready();
    if (!error.isEmpty()) {
        std::fprintf(stderr, "bench_operator: %s\n", qPrintable(error));
        return false;
    }

    std::vector<double> ms;
    for (int i = 0; i < commands; ++i) {
        const int ch = 1 + i % b.channels();
        const set_point p = set_point_of(b.type_of(ch));
        arrived_ns = 0;
        awaited_id = ch;
        awaited_code = p.set_code;
        const int64_t entered_ns = steady::now().time_since_epoch().count();
        error = b.enter(ch, QLatin1String(p.input), QLatin1String(p.values[(i / b.channels()) % 2]));
        if (!error.isEmpty() || !wait_for([&] { return arrived_ns.load() != 0; }, 10000)) {
            std::fprintf(stderr, "bench_operator: %s: no set point on the line %s\n", qPrintable(b.describe(ch)),
                         qPrintable(error));
            return false;
        }
        ms.push_back((arrived_ns.load() - entered_ns) / 1e6);
        // Spread over the polling cycle rather than all at one phase of it.
        QTest::qWait(37);
    }
    std::printf("set point entered (value, Return) to the board holding it, %d commands over ten channels: "
                "median %.2f ms, 90th percentile %.2f ms, maximum %.2f ms\n",
                commands, percentile(ms, 0.5), percentile(ms, 0.9), percentile(ms, 1.0));
    return true;
}

// Phase 2: the real program polling ten boards for the given minutes.
bool cpu_and_memory(double minutes)
{
    settings_folder folder;
    bench_line bench;
    QList<QPair<int, int>> channels;
    for (int i = 0; i < ten_types.size(); ++i) {
        bench.add_board(ten_types[i], i + 1);
        channels << qMakePair(i + 1, i + 1);
    }
    bench.start();
    write_bench_settings(channels, bench.path(), true);

    QProcess program;
    start_on_bench(program, QCoreApplication::applicationDirPath() + QStringLiteral("/lumatrex"), bench.path(),
                   folder.path());
    QByteArray log;
    if (!wait_port_open(program, &log)) {
        std::fprintf(stderr, "bench_operator: the program did not connect\n%s", log.constData());
        return false;
    }
    QTest::qWait(4000); // the workers' start delay and the first passes
    const qint64 pid = program.processId();
    const double cpu0 = process_cpu_seconds(pid);
    const int replies0 = bench.replies();
    QElapsedTimer wall;
    wall.start();
    const qint64 total_ms = qint64(minutes * 60000.0);
    qint64 first_minute_rss = -1;
    qint64 last_rss = -1;
    double last_cpu = cpu0;
    qint64 last_ms = 0;
    for (int minute = 1; last_ms < total_ms; ++minute) {
        const qint64 until = std::min<qint64>(qint64(minute) * 60000, total_ms);
        QTest::qWait(int(until - wall.elapsed()));
        program.readAll(); // its debug log must not fill the pipe
        const qint64 now_ms = wall.elapsed();
        const double cpu = process_cpu_seconds(pid);
        last_rss = process_resident_bytes(pid);
        if (cpu < 0 || last_rss < 0) {
            std::fprintf(stderr, "bench_operator: the program ended\n");
            return false;
        }
        if (first_minute_rss < 0)
            first_minute_rss = last_rss;
        std::printf("minute %d: CPU %.2f %% of one core, resident %.1f MB, %.0f replies/s from the boards\n", minute,
                    100.0 * (cpu - last_cpu) / ((now_ms - last_ms) / 1000.0), last_rss / 1048576.0,
                    (bench.replies() - replies0) / (now_ms / 1000.0));
        std::fflush(stdout);
        last_cpu = cpu;
        last_ms = now_ms;
    }
    std::printf("over %.1f minutes: CPU %.2f %% of one core (target under 2 %%); resident memory %.1f MB at the "
                "end, %+.1f MB since the first minute\n",
                last_ms / 60000.0, 100.0 * (last_cpu - cpu0) / (last_ms / 1000.0), last_rss / 1048576.0,
                (last_rss - first_minute_rss) / 1048576.0);
    program.terminate();
    program.waitForFinished(20000);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    lumatrex_init_resources();
    bool ok = false;
    const double minutes = qEnvironmentVariable("LUMATREX_BENCH_MINUTES", QStringLiteral("10")).toDouble(&ok);
    if (!ok || !(minutes > 0)) {
        std::fprintf(stderr, "bench_operator: LUMATREX_BENCH_MINUTES must be a number of minutes above 0\n");
        return 1;
    }
    if (!set_point_latency())
        return 1;
    std::fflush(stdout);
    return cpu_and_memory(minutes) ? 0 : 1;
}
