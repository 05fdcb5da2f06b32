// The hand-over between the GUI thread, the serial thread and the ten
// polling threads under an operator who connects and disconnects fifty times
// in a row, with ten boards of every family on the simulated bench: each
// set-up and close reaches the line whole, no frame is garbled, every reply
// of the last session reaches the window, and every thread ends.

#include <QtTest>

#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

#include "app/mainwindow.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "comm/serial_object.h"
#include "forms/mainwindow_form.h"
#include "support/operator_bench.h"

namespace {

const QList<int> ten_types{8, 15, 11, 16, 18, 7, 6, 13, 20, 21};
constexpr int cycles = 50;

// How long a connection of the cycle is held: dropped at once (the workers
// still in their start delay), dropped once the first request of the session
// is on the line (a pass under way), or held until every board has answered
// a whole pass.
enum hold { at_once, first_request, full_pass };
constexpr hold hold_pattern[] = {at_once, at_once, first_request, at_once, full_pass};

} // namespace

class tst_stress_connection : public QObject
{
    Q_OBJECT

private slots:
    void connect_and_disconnect_fifty_times()
    {
        // Written on the adapter's thread for each request it reads; made
        // first, so that it outlives the bench.
        std::atomic<int> requests{0};
        operator_bench b(ten_types);
        MainWindow *w = b.window.get();
        QObject::connect(
            b.bench.adapter(), &slcan_adapter::line_received, b.bench.adapter(),
            [&requests](const QByteArray &line) { requests += line.startsWith('t'); }, Qt::DirectConnection);
        QSignalSpy up(w->serial_obj, &serial_object::sig_connected);
        QSignalSpy down(w->serial_obj, &serial_object::sig_disconnected);
        QSignalSpy serial_finished(w->serial_thread, &QThread::finished);

        for (int i = 0; i < cycles; ++i) {
            QVERIFY2(b.connect_by_button().isEmpty(), qPrintable(QStringLiteral("cycle %1: no connection").arg(i)));
            QCOMPARE(up.count(), i + 1);
            const int requests_then = requests.load();
            QList<int> passes;
            for (int ch = 1; ch <= b.channels(); ++ch)
                passes << b.board(ch).received(0xD0);
            switch (hold_pattern[i % std::size(hold_pattern)]) {
            case at_once:
                break;
            case first_request:
                QVERIFY(wait_for([&] { return requests.load() > requests_then; }));
                break;
            case full_pass:
                for (int ch = 1; ch <= b.channels(); ++ch)
                    QVERIFY2(wait_for([&] { return b.board(ch).received(0xD0) >= passes[ch - 1] + 2; }),
                             qPrintable(QStringLiteral("cycle %1: %2 not polled").arg(i).arg(b.describe(ch))));
                break;
            }
            w->ui->connect_button_2->click();
            // The spy counts on the serial thread, the window a moment later.
            QVERIFY2(wait_for([&] { return down.count() == i + 1 && !w->connected; }),
                     qPrintable(QStringLiteral("cycle %1: no disconnection").arg(i)));
            QCOMPARE(w->ui->connection_status_label->text(), QStringLiteral("Connection status: DISCONNECTED"));
        }

        // Every set-up and close reached the adapter, in whole lines.
        QVERIFY(wait_for([&] { return b.bench.lines().endsWith("C\r"); }));
        QCOMPARE(b.bench.count("S6\r"), 3 * cycles);
        QCOMPARE(b.bench.count("O\r"), 3 * cycles);
        QCOMPARE(b.bench.count("C\r"), cycles);
        QCOMPARE(b.bench.bus.malformed_lines(), 0);
        for (int ch = 1; ch <= b.channels(); ++ch)
            QVERIFY2(b.board(ch).protocol_errors() == 0, qPrintable(b.describe(ch) + ": garbled frames"));

        // One more session: every reply the boards send reaches the window.
        const int replies_before = b.bench.replies();
        const uint64_t frames_before = w->rx_frame_counter;
        QVERIFY(b.connect_by_button().isEmpty());
        QString error = b.wait_pages_ready();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        // The workers end their passes; a marker queued behind their last
        // frames tells when the line has carried them all.
        for (laser_object *c : w->lasers)
            c->worker->stop_polling();
        for (laser_object *c : w->lasers)
            QVERIFY(wait_for([c] { return !c->worker->isRunning(); }));
        const QByteArray marker("t7FF80000000000000000\r");
        QMetaObject::invokeMethod(w->serial_obj, "sl_write_to_port", Qt::QueuedConnection, Q_ARG(QByteArray, marker));
        QVERIFY(wait_for([&] { return b.bench.lines().endsWith(marker); }));
        const int replies = b.bench.replies() - replies_before;
        QVERIFY(replies > 10 * 20);
        QVERIFY2(wait_for([&] { return w->rx_frame_counter - frames_before == uint64_t(replies); }),
                 qPrintable(QStringLiteral("%1 of %2 replies reached the window")
                                .arg(w->rx_frame_counter - frames_before)
                                .arg(replies)));

        w->ui->connect_button_2->click();
        QVERIFY(wait_for([&] { return down.count() == cycles + 1 && !w->connected; }));
        w->end_threads();
        QCOMPARE(serial_finished.count(), 1);
        QVERIFY(w->serial_thread == nullptr);
        for (const laser_object *c : w->lasers)
            QVERIFY(c == nullptr);
    }
};

QTEST_MAIN(tst_stress_connection)
#include "tst_stress_connection.moc"
