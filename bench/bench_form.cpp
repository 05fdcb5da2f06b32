// What building the main form costs: setupUi on a fresh window (median of 10),
// showing it (until exposed and painted), and the memory the form takes.
// Target: under 250 ms to create.

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "forms/main_form.h"
#include "forms/mainwindow_form.h"

#include "app/resources.h"
#include "support/bench_figures.h"

namespace {

double ms(const QElapsedTimer &t) { return t.nsecsElapsed() / 1e6; }

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    lumatrex_init_resources();

    const int runs = 10;
    std::vector<double> create_ms, show_ms;
    long rss_before = 0, rss_created = 0, rss_shown = 0;
    int objects = 0;

    for (int run = 0; run < runs; ++run) {
        auto window = std::make_unique<QMainWindow>();
        auto ui = std::make_unique<Ui_MainWindow>();
        if (run == 0)
            rss_before = own_resident_kib();

        QElapsedTimer t;
        t.start();
        build_main_form(ui.get(), window.get());
        create_ms.push_back(ms(t));
        if (run == 0) {
            rss_created = own_resident_kib();
            objects = window->findChildren<QObject *>().size();
        }

        t.restart();
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            std::fprintf(stderr, "window not exposed\n");
        QCoreApplication::processEvents();
        show_ms.push_back(ms(t));
        if (run == 0)
            rss_shown = own_resident_kib();
    }

    const double create_median = median(create_ms);
    std::printf("main form, %d runs (offscreen)\n", runs);
    std::printf("  create (setupUi)   median %.1f ms, first %.1f ms, min %.1f ms, max %.1f ms"
                " (target < 250 ms: %s, %.2f of target)\n",
                create_median, create_ms.front(), *std::min_element(create_ms.begin(), create_ms.end()),
                *std::max_element(create_ms.begin(), create_ms.end()), create_median < 250 ? "met" : "MISSED",
                create_median / 250.0);
    std::printf("  show (to exposed)  median %.1f ms, first %.1f ms\n", median(show_ms), show_ms.front());
    std::printf("  memory             %ld KiB after setupUi, %ld KiB more after the first show"
                " (RSS delta, first window)\n",
                rss_created - rss_before, rss_shown - rss_created);
    std::printf("  objects            %d QObjects under the window (widgets, layouts, Qt's own helpers)\n", objects);
    return 0;
}
