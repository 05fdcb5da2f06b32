// The orderly close against the simulated bench: the turn-off question and
// its passes, the settings written whatever the answer, and the end of the
// threads after the event loop with every board switched off first.

#include <QtTest>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QThread>

#include <memory>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "forms/mainwindow_form.h"
#include "support/bench_line.h"
#include "support/bench_settings.h"
#include "support/modal_answer.h"
#include "support/settings_folder.h"

namespace {

// A CW, a DC/DC and a short-pulse board, each with its output on.
struct bench_with_outputs_on
{
    bench_line bench;
    sim_board *cw;
    sim_board *dcdc;
    sim_board *ns;

    bench_with_outputs_on()
    {
        cw = &bench.add_board(8, 5);
        dcdc = &bench.add_board(16, 7);
        ns = &bench.add_board(21, 9);
        cw->set_value(0x90, 1);
        dcdc->set_value(0x90, 1);
        ns->set_value(0xA2, 1);
        bench.start();
        offer_ports({bench.path()});
        write_bench_settings({{1, 5}, {2, 7}, {3, 9}}, bench.path(), false);
    }

    bool all_off() const { return cw->value(0x90) == 0 && dcdc->value(0x90) == 0 && ns->value(0xA2) == 0; }
    int off_frames() const { return cw->received(0x10) + dcdc->received(0x10) + ns->received(0x22); }
};

bool connect_with_outputs_reported_on(MainWindow &w)
{
    w.ui->connect_button_2->click();
    return QTest::qWaitFor([&] { return w.channel_output_on(0) && w.channel_output_on(1) && w.channel_output_on(2); },
                           30000);
}

} // namespace

class tst_connection_close : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { lumatrex_init_resources(); }
    void turn_off_question_data();
    void turn_off_question();
    void disconnected_program_asks_nothing();
    void disconnect_asks_too();
    void end_of_the_program();
};

void tst_connection_close::turn_off_question_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes") << int(QMessageBox::Yes);
    QTest::newRow("No") << int(QMessageBox::No);
}

void tst_connection_close::turn_off_question()
{
    QFETCH(int, answer);
    const bool yes = answer == QMessageBox::Yes;
    settings_folder folder;
    bench_with_outputs_on b;
    MainWindow w;
    w.show();
    QVERIFY(connect_with_outputs_reported_on(w));
    QFile::remove(folder.file());

    modal_answer box{QMessageBox::StandardButton(answer)};
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QCOMPARE(box.boxes, 1);
    QCOMPARE(box.title, QStringLiteral("Confirmation"));
    QCOMPARE(box.text, QStringLiteral("Do you want to turn off outputs before quit?"));
    if (yes) {
        // Every board that was on is off; the passes ended once the replies said so.
        QTRY_VERIFY_WITH_TIMEOUT(b.all_off(), 20000);
        QVERIFY(b.cw->received(0x10) >= 3 && b.dcdc->received(0x10) >= 3 && b.ns->received(0x22) >= 3);
    } else {
        QCOMPARE(b.off_frames(), 0);
        QVERIFY(w.channel_output_on(0));
    }
    for (const laser_object *c : w.lasers)
        QVERIFY(!c->worker->running.load());
    QSettings written(folder.file(), QSettings::IniFormat);
    QCOMPARE(written.allKeys().size(), 35);
    QCOMPARE(written.value("device_conf/addr_2").toString(), QStringLiteral("7"));
}

void tst_connection_close::disconnected_program_asks_nothing()
{
    settings_folder folder;
    MainWindow w;
    w.show();
    w.lasers[4]->worker->cw_record.output_on = 1;
    modal_answer box{QMessageBox::Yes};
    QVERIFY(w.close());
    QCOMPARE(box.boxes, 0);
    QVERIFY(folder.exists());
}

void tst_connection_close::disconnect_asks_too()
{
    settings_folder folder;
    bench_with_outputs_on b;
    MainWindow w;
    w.show();
    QVERIFY(connect_with_outputs_reported_on(w));
    w.ui->connection_mode->click(); // auto-connection on: a user disconnect ends it
    QVERIFY(w.auto_connection);

    modal_answer box{QMessageBox::No};
    w.ui->connect_button_2->click();
    QCOMPARE(box.boxes, 1);
    QCOMPARE(box.text, QStringLiteral("Do you want to turn off outputs before disconnect?"));
    QTRY_COMPARE_WITH_TIMEOUT(w.ui->connection_status_label->text(),
                              QStringLiteral("Connection status: DISCONNECTED"), 20000);
    QCOMPARE(b.bench.lines().last(), QByteArray("C\r"));
    QCOMPARE(b.off_frames(), 0);
    QVERIFY(!w.auto_connection);
    QVERIFY(!w.ui->connection_mode->isChecked());
    QVERIFY(!w.reconnect_timer->isActive());
}

void tst_connection_close::end_of_the_program()
{
    // As main runs it: the close answered Yes, the event loop returns, then
    // the threads end before anything is destroyed.
    settings_folder folder;
    bench_with_outputs_on b;
    auto w = std::make_unique<MainWindow>();
    w->show();
    QVERIFY(connect_with_outputs_reported_on(*w));
    QList<std::shared_ptr<QSignalSpy>> finished;
    finished << std::make_shared<QSignalSpy>(w->serial_thread, &QThread::finished);
    for (laser_object *c : w->lasers)
        finished << std::make_shared<QSignalSpy>(c->worker, &QThread::finished);
    // The CW board never reports its output off: the passes run to their
    // bound, and their last frames are still queued when the loop ends.
    b.cw->set_silent(true);
    w->heartbeat_timer->stop(); // so it keeps its driver type meanwhile
    {
        modal_answer box{QMessageBox::Yes};
        QVERIFY(w->close());
    }
    w->end_threads();
    for (const auto &spy : finished)
        QCOMPARE(spy->count(), 1);
    QVERIFY(w->serial_thread == nullptr);

    // Every board heard its off command before the port closed.
    QTRY_VERIFY_WITH_TIMEOUT(b.bench.lines().endsWith("C\r"), 20000);
    QCOMPARE(b.cw->received(0x10), 3 * 100);
    QCOMPARE(b.cw->value(0x90), 0.0);
    QVERIFY(b.all_off());
    const QByteArrayList lines = b.bench.lines();
    int last_off = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].mid(5, 2) == "10" || lines[i].mid(5, 2) == "22")
            last_off = i;
    QVERIFY(last_off >= 0 && last_off < lines.lastIndexOf("C\r"));
    QCOMPARE(lines.count("C\r"), 1);
    w.reset();
}

QTEST_MAIN(tst_connection_close)
#include "tst_connection_close.moc"
