// The program against a bench of ten boards (every driver family):
//  - the time from the Connect click to "Connection status: CONNECTED"
//    (median of 5 connections);
//  - the frames per second on the line in each direction while the ten
//    channels are polled, and their share of the 523 frames per second that
//    115200 baud carries each way;
//  - the whole program's CPU time per second of wall time, polled and
//    redrawn with its window shown offscreen (the program and the bench run
//    as the two real executables; target under 2 % of one core);
//  - the time the turn-off of ten boards takes, from the Yes click to the
//    last off frame on the line.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "forms/mainwindow_form.h"
#include "support/bench_line.h"
#include "support/bench_settings.h"
#include "support/program_process.h"
#include "support/bench_figures.h"

namespace {

struct board_at
{
    int type;
    int address;
};

// Every family: CW (8), Precision CW (15), DC/DC (11, 16), power (18),
// PS table (7), NS table (6, 13), PS (20), NS (21).
const board_at boards[10] = {{8, 1}, {15, 2}, {11, 3}, {16, 4}, {18, 5}, {7, 6}, {6, 7}, {13, 8}, {20, 9}, {21, 10}};

// The read code of a board's output flag: emission for the pulsed families.
uint8_t output_code(int type)
{
    return type == 6 || type == 7 || type == 13 || type == 20 || type == 21 ? 0xA2 : 0x90;
}

constexpr double line_frames_per_s = 523.0; // 115200 baud, 22 characters of 10 bits

using steady = std::chrono::steady_clock;

// The ten channels at the boards' addresses.
QList<QPair<int, int>> channels()
{
    QList<QPair<int, int>> list;
    for (int i = 0; i < 10; ++i)
        list << qMakePair(i + 1, boards[i].address);
    return list;
}

bool wait_for(const std::function<bool()> &done, int ms)
{
    return QTest::qWaitFor(done, ms);
}

QString status(const MainWindow &w)
{
    return w.ui->connection_status_label->text();
}

// The installed program and bench, one process each.
double program_cpu_share(const QString &folder)
{
    const QString dir = QCoreApplication::applicationDirPath();
    QProcess sim;
    QStringList sim_args;
    for (const board_at &b : boards)
        sim_args << QStringLiteral("--board") << QStringLiteral("%1:%2").arg(b.type).arg(b.address);
    sim.start(dir + QStringLiteral("/lumatrex_sim"), sim_args);
    if (!sim.waitForReadyRead(20000))
        return -1;
    const QString port = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QDir::setCurrent(folder);
    write_bench_settings(channels(), port, true);

    QProcess program;
    start_on_bench(program, dir + QStringLiteral("/lumatrex"), port, folder);
    QByteArray log;
    double share = -1;
    if (wait_port_open(program, &log)) {
        QTest::qWait(4000); // the workers' start delay and the first passes
        const double cpu0 = process_cpu_seconds(program.processId());
        QElapsedTimer wall;
        wall.start();
        QTest::qWait(20000);
        share = (process_cpu_seconds(program.processId()) - cpu0) / (wall.nsecsElapsed() / 1e9);
    }
    program.terminate();
    program.waitForFinished(20000);
    sim.kill();
    sim.waitForFinished(20000);
    return share;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    lumatrex_init_resources();
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());

    bench_line bench;
    for (const board_at &b : boards) {
        // Output (or emission) on, for the turn-off at the end.
        bench.add_board(b.type, b.address).set_value(output_code(b.type), 1);
    }
    std::atomic<int> frames_in{0};
    std::atomic<int64_t> last_off_ns{0};
    QObject::connect(
        bench.adapter(), &slcan_adapter::line_received, bench.adapter(),
        [&](const QByteArray &l) {
            if (!l.startsWith('t'))
                return;
            ++frames_in;
            const QByteArray code = l.mid(5, 2);
            if (code == "10" || code == "22")
                last_off_ns = steady::now().time_since_epoch().count();
        },
        Qt::DirectConnection);
    bench.start();
    offer_ports({bench.path()});
    write_bench_settings(channels(), bench.path(), false);

    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    std::vector<double> connect_ms;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        window.ui->connect_button_2->click();
        if (!wait_for([&] { return status(window).endsWith(QLatin1String("CONNECTED")) && window.connected; }, 20000))
            return 1;
        connect_ms.push_back(t.nsecsElapsed() / 1e6);
        if (run == 4)
            break;
        window.ui->connect_button_2->click(); // no output reported on yet: no question
        if (!wait_for([&] { return !window.connected; }, 20000))
            return 1;
    }

    // Line load once every channel polls its main list.
    QTest::qWait(4000);
    const int in0 = frames_in;
    const int out0 = int(window.rx_frame_counter);
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(10000);
    const double secs = wall.nsecsElapsed() / 1e9;
    const double to_bench = (frames_in - in0) / secs;
    const double from_bench = (int(window.rx_frame_counter) - out0) / secs;

    // Turn-off of ten boards: Yes at once, then the passes.
    bool all_on = wait_for(
        [&] {
            for (int i = 0; i < 10; ++i)
                if (!window.channel_output_on(i))
                    return false;
            return true;
        },
        30000);
    int64_t yes_ns = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box && box->isVisible() && box->button(QMessageBox::Yes)) {
            yes_ns = steady::now().time_since_epoch().count();
            box->button(QMessageBox::Yes)->click();
        }
    });
    answer.start(5);
    window.close();
    answer.stop();
    window.end_threads();
    const double turn_off_ms = (last_off_ns - yes_ns) / 1e6;

    const double cpu_share = program_cpu_share(folder.path());

    std::printf("Connect click to CONNECTED: %.1f ms (median of 5)\n", median(connect_ms));
    std::printf("frames to the bench: %.1f /s, %.1f %% of 115200 baud (%.0f frames/s)\n", to_bench,
                100 * to_bench / line_frames_per_s, line_frames_per_s);
    std::printf("frames from the bench: %.1f /s, %.1f %% of 115200 baud\n", from_bench,
                100 * from_bench / line_frames_per_s);
    std::printf("program CPU, ten channels polled and redrawn, window offscreen: %.2f %% of one core "
                "(target under 2 %%)\n",
                100 * cpu_share);
    if (all_on && yes_ns)
        std::printf("turn-off of ten boards, Yes to the last off frame: %.1f ms; every board off: %s\n", turn_off_ms,
                    [&] {
                        for (const board_at &b : boards)
                            if (bench.bus.board_at(b.address)->value(output_code(b.type)) != 0)
                                return "no";
                        return "yes";
                    }());
    else
        std::printf("turn-off of ten boards: not measured (outputs not all reported on)\n");
    return 0;
}
