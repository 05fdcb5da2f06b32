// Quitting with outputs on, ten times, each in a fresh process: the test runs
// its own executable as the program (as main does it, connected by
// auto-connection to ten boards of every family on the bench, which stays in
// this process on its pseudo-terminal). The program switches on the outputs
// that are off, closes, answers the turn-off question Yes by its own timer
// and ends its threads. Every board must be off, its off command on the line
// before the adapter's close, and the program must end cleanly.

#include <QtTest>

#include <QApplication>
#include <QGroupBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include <csignal>

#include "app/mainwindow.h"
#include "app/program_font.h"
#include "app/quit_signals.h"
#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "params/laser_params.h"
#include "sim/sim_bus.h"
#include "support/bench_line.h"
#include "support/bench_settings.h"
#include "support/modal_answer.h"
#include "support/operator_bench.h"
#include "support/program_process.h"
#include "support/settings_folder.h"

namespace {

const char child_mode[] = "LUMATREX_QUIT_CHILD";
const QList<int> ten_types{8, 15, 11, 16, 18, 7, 6, 13, 20, 21};
constexpr int runs = 10;

// The program as main runs it, with an operator who switches on every output
// that is off once its page shows the board, then closes the window and
// answers Yes.
int run_program_quitting_with_outputs_on(int argc, char *argv[])
{
    QApplication app(argc, argv);
    apply_program_font();
    lumatrex_init_resources();
    laser_params params;
    MainWindow window;
    window.laser_params_window = &params;
    window.show();

    modal_answer yes(QMessageBox::Yes);
    bool clicked[MainWindow::channel_total] = {};
    QTimer operator_hand;
    QObject::connect(&operator_hand, &QTimer::timeout, [&] {
        if (!window.connected)
            return;
        bool all_on = true;
        for (int i = 0; i < MainWindow::channel_total; ++i) {
            if (window.channel_output_on(i))
                continue;
            all_on = false;
            laser_object *c = window.lasers[i];
            if (c->laser_group->isHidden())
                c->laser_tab_button->click(); // the page unfolded
            const int type = c->worker->device_type.load();
            QPushButton *button = is_pulsed_type(type) ? c->ps_ns_on_off_butt : c->cw_on_off_button;
            if (!clicked[i] && type > 0 && button->isVisible()) {
                clicked[i] = true;
                button->click();
                // A pulsed page takes the click once it has its board's rate and voltage.
                clicked[i] = window.channel_output_on(i);
            }
        }
        if (all_on) {
            operator_hand.stop();
            window.close();
        }
    });
    operator_hand.start(50);
    const int result = app.exec();
    window.end_threads();
    return result;
}

const char signal_child_mode[] = "LUMATREX_SIGNAL_CHILD";

// The program exactly as main runs it, with nobody at it; with "question",
// someone closed the window once an output was reported on and walked away
// from the turn-off question.
int run_program_unattended(int argc, char *argv[])
{
    QApplication app(argc, argv);
    apply_program_font();
    lumatrex_init_resources();
    laser_params params;
    MainWindow window;
    window.laser_params_window = &params;
    const quit_signals on_signal(&window);
    window.show();
    QTimer walked_away;
    bool asked = false;
    if (qgetenv(signal_child_mode) == "question") {
        QObject::connect(&walked_away, &QTimer::timeout, [&] {
            if (!asked && window.connected && window.channel_output_on(0)) {
                asked = true;
                QTimer::singleShot(0, &window, [&window] { window.close(); });
            } else if (asked && QApplication::activeModalWidget()) {
                walked_away.stop();
                qInfo("question open");
            }
        });
        walked_away.start(50);
    }
    const int result = app.exec();
    window.end_threads();
    return result;
}

} // namespace

class tst_stress_quit : public QObject
{
    Q_OBJECT

private slots:
    // A quit signal to the program, connected with a CW output on: the
    // orderly close without the question (nobody is there to answer) and
    // without touching the output: settings written, "C" last on the line,
    // exit code 0. Signals ignored when it started stay ignored.
    void signal_ends_the_program_in_order_data()
    {
        QTest::addColumn<int>("signal_number");
        QTest::addColumn<bool>("question_open");
        QTest::addColumn<bool>("hup_int_ignored");
        QTest::newRow("SIGTERM") << int(SIGTERM) << false << false;
        QTest::newRow("SIGINT") << int(SIGINT) << false << false;
        QTest::newRow("SIGHUP") << int(SIGHUP) << false << false;
        QTest::newRow("SIGTERM, the question left open") << int(SIGTERM) << true << false;
        QTest::newRow("SIGTERM, started with SIGHUP and SIGINT ignored") << int(SIGTERM) << false << true;
    }

    void signal_ends_the_program_in_order()
    {
        QFETCH(int, signal_number);
        QFETCH(bool, question_open);
        QFETCH(bool, hup_int_ignored);
        settings_folder folder;
        bench_line bench;
        sim_board &cw = bench.add_board(8, 1);
        cw.set_value(0x90, 1);
        sim_board &ps = bench.add_board(20, 2);
        bench.start();
        write_bench_settings({{1, 1}, {2, 2}}, bench.path(), true);

        QProcess program;
        // Ignored here while the child is forked, it keeps them so across
        // exec, as under nohup.
        struct sigaction ignore = {}, before[2];
        ignore.sa_handler = SIG_IGN;
        for (int i = 0; hup_int_ignored && i < 2; ++i)
            ::sigaction(i ? SIGINT : SIGHUP, &ignore, &before[i]);
        start_on_bench(program, QCoreApplication::applicationFilePath(), bench.path(), folder.path(),
                       {{QLatin1String(signal_child_mode), question_open ? QStringLiteral("question") : QStringLiteral("1")}});
        for (int i = 0; hup_int_ignored && i < 2; ++i)
            ::sigaction(i ? SIGINT : SIGHUP, &before[i], nullptr);
        QVERIFY(program.waitForStarted(30000));
        QByteArray log;
        QVERIFY2(wait_port_open(program, &log), log.constData());
        // Two output polls answered: the program has decoded the output on.
        QVERIFY(QTest::qWaitFor([&] { return cw.received(0x90) >= 2 && ps.received(0xA2) >= 2; }, 30000));
        if (hup_int_ignored) {
            // Three more passes, where a quit would end after the pass under way.
            QVERIFY(::kill(pid_t(program.processId()), SIGHUP) == 0 && ::kill(pid_t(program.processId()), SIGINT) == 0);
            const int polled = cw.received(0x90);
            QVERIFY(QTest::qWaitFor([&] { return cw.received(0x90) >= polled + 3; }, 30000));
            QVERIFY(program.state() == QProcess::Running && bench.count("C\r") == 0);
        }
        if (question_open)
            QVERIFY(QTest::qWaitFor(
                [&] {
                    log += program.readAll();
                    return log.contains("question open");
                },
                30000));
        QVERIFY(::kill(pid_t(program.processId()), signal_number) == 0);
        const bool ended = program.waitForFinished(60000);
        log += program.readAll();
        QVERIFY2(ended, log.constData());
        QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
                 qPrintable(QStringLiteral("exit status %1, code %2\n").arg(program.exitStatus()).arg(program.exitCode()) +
                            QString::fromLocal8Bit(log)));
        QVERIFY2(!log.contains("Yes was clicked") && !log.contains("Destroyed while thread"), log.constData());
        QCOMPARE(log.contains("Yes was *not* clicked"), question_open);

        const QByteArrayList lines = bench.lines();
        QVERIFY2(!lines.isEmpty() && lines.last() == "C\r", "no \"C\" at the end of the line");
        QCOMPARE(lines.count("C\r"), 1);
        QVERIFY(!bench.adapter()->channel_open());
        QCOMPARE(cw.received(0x10), 0);
        QCOMPARE(cw.value(0x90), 1.0);
        QSettings written(folder.file(), QSettings::IniFormat);
        QCOMPARE(written.allKeys().size(), 35);
        QCOMPARE(written.value("serial/portname").toString(), bench.path());
    }

    void quit_with_outputs_on_ten_times()
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

        for (int run = 0; run < runs; ++run) {
            // Every other board starts with its output on.
            for (int i = 0; i < ten_types.size(); ++i)
                bench.bus.board(i)->set_value(output_code(ten_types[i]), i % 2);
            bench.adapter()->clear_log();

            QProcess program;
            start_on_bench(program, QCoreApplication::applicationFilePath(), bench.path(), folder.path(),
                           {{QLatin1String(child_mode), QStringLiteral("1")}});
            QVERIFY(program.waitForStarted(30000));
            const bool ended = program.waitForFinished(120000);
            const QString log = QString::fromLocal8Bit(program.readAll());
            const QString run_name = QStringLiteral("run %1").arg(run);
            QVERIFY2(ended, qPrintable(run_name + ": the program did not end\n" + log));
            QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
                     qPrintable(run_name + QStringLiteral(": exit code %1\n").arg(program.exitCode()) + log));
            QVERIFY2(log.contains(QLatin1String("Yes was clicked")), qPrintable(run_name + ": no question\n" + log));
            QVERIFY2(!log.contains(QLatin1String("Sanitizer")) && !log.contains(QLatin1String("runtime error")) &&
                         !log.contains(QLatin1String("Destroyed while thread")),
                     qPrintable(run_name + "\n" + log));

            // Each board off, its last off command before the adapter's close.
            const QByteArrayList lines = bench.lines();
            const int closed_at = lines.lastIndexOf("C\r");
            QVERIFY2(closed_at >= 0, qPrintable(run_name + ": the port was not closed"));
            for (int i = 0; i < ten_types.size(); ++i) {
                const int type = ten_types[i];
                const QString who = run_name + QStringLiteral(", channel %1 (type %2)").arg(i + 1).arg(type);
                QVERIFY2(bench.bus.board(i)->value(output_code(type)) == 0, qPrintable(who + ": output left on"));
                int last_off = -1;
                for (int l = 0; l < lines.size(); ++l) {
                    uint32_t id = 0;
                    uint8_t d[8];
                    if (sim_bus::parse_frame(lines[l], &id, d) && int(id) == i + 1 && d[0] == (output_code(type) & 0x7F) &&
                        d[7] == 0)
                        last_off = l;
                }
                QVERIFY2(last_off >= 0 && last_off < closed_at, qPrintable(who + ": off command not before the close"));
            }
        }
    }
};

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(child_mode))
        return run_program_quitting_with_outputs_on(argc, argv);
    if (qEnvironmentVariableIsSet(signal_child_mode))
        return run_program_unattended(argc, argv);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_stress_quit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stress_quit.moc"
