// What starting the program costs: the time from process start to the shown
// main window (a fresh process each run, median of 5), the resident memory
// once it is shown, and the time of one 500 ms view tick with ten channels
// that have each been routed a reply (median of 200 ticks).

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "params/laser_params.h"
#include "support/bench_figures.h"

namespace {

// As main does it, up to the shown window; prints the resident memory.
int run_program_start(int argc, char *argv[])
{
    QApplication app(argc, argv);
    lumatrex_init_resources();
    laser_params params;
    MainWindow window;
    window.laser_params_window = &params;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    QCoreApplication::processEvents();
    std::printf("shown %ld\n", own_resident_kib());
    std::fflush(stdout);
    window.end_threads();
    return 0;
}

serial_message_struct reply(uint32_t code, uint32_t address, uint32_t d7)
{
    serial_message_struct m;
    m.data[0] = code;
    m.data[1] = address;
    m.data[7] = d7;
    return m;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && QByteArray(argv[1]) == "--program-start")
        return run_program_start(argc, argv);

    QApplication app(argc, argv);
    lumatrex_init_resources();
    QTemporaryDir folder; // no settings file
    QDir::setCurrent(folder.path());

    std::vector<double> start_ms;
    long rss = 0;
    for (int run = 0; run < 5; ++run) {
        QProcess child;
        QElapsedTimer t;
        t.start();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--program-start")});
        if (!child.waitForReadyRead(60000)) {
            std::fprintf(stderr, "bench_startup: the program did not start\n");
            return 1;
        }
        start_ms.push_back(t.nsecsElapsed() / 1e6);
        rss = QString::fromLatin1(child.readAllStandardOutput()).section(' ', 1).trimmed().toLong();
        child.waitForFinished(60000);
    }

    // One board of each family on channels 1..7, three more CW boards.
    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    const int types[10] = {8, 15, 16, 18, 7, 20, 13, 21, 10, 11};
    for (int i = 0; i < 10; ++i) {
        window.lasers[i]->worker->main_poll = true;
        window.lasers[i]->can_address = 20 + i;
        window.handle_rx_can_message(reply(0xD0, uint32_t(20 + i), uint32_t(types[i])));
        window.handle_rx_can_message(reply(0x90, uint32_t(20 + i), 1));
    }
    std::vector<double> tick_us;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer t;
        t.start();
        window.view_update_timer_slot();
        tick_us.push_back(t.nsecsElapsed() / 1e3);
        QCoreApplication::processEvents();
    }

    std::printf("process start to shown window: %.1f ms (median of 5)\n", median(start_ms));
    std::printf("resident memory once shown: %ld KiB (%.1f MiB)\n", rss, rss / 1024.0);
    std::printf("view tick, ten channels with a reply each: %.1f us (median of 200), %.3f %% of its 500 ms period\n",
                median(tick_us), median(tick_us) / 5000.0);
    window.end_threads();
    return 0;
}
