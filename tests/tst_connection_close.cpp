// The orderly close against the simulated bench: the turn-off question and
// its passes, the settings written whatever the answer, and the end of the
// threads after the event loop with every board switched off first.

#include <QtTest>

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QThread>

#include <atomic>
#include <utility>
#include <memory>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "forms/mainwindow_form.h"
#include "params/laser_params.h"
#include "support/bench_line.h"
#include "sim/sim_bus.h"
#include "support/bench_settings.h"
#include "support/modal_answer.h"
#include "support/operator_bench.h"
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

// An off command on the line: output 0x10 or emission 0x22, value 0.
bool is_off_line(const QByteArray &line, int id = -1)
{
    uint32_t can_id = 0;
    uint8_t d[8];
    if (!sim_bus::parse_frame(line, &can_id, d) || (id >= 0 && int(can_id) != id))
        return false;
    return (d[0] == 0x10 || d[0] == 0x22) && d[4] == 0 && d[5] == 0 && d[6] == 0 && d[7] == 0;
}

int off_lines_before(const QByteArrayList &lines, int end, int id = -1)
{
    int n = 0;
    for (int i = 0; i < end && i < lines.size(); ++i)
        n += is_off_line(lines[i], id);
    return n;
}

bool connect_with_outputs_reported_on(MainWindow &w)
{
    w.ui->connect_button_2->click();
    return QTest::qWaitFor([&] { return w.channel_output_on(0) && w.channel_output_on(1) && w.channel_output_on(2); },
                           30000);
}

// The columns of the requests made while or after the program sends.
void request_columns()
{
    QTest::addColumn<QList<int>>("types"); // channel 1 acted on; channel 2's output on
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("request");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("questions"); // boxes: the question, and "Configuration Saved." when saving
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
    void board_out_of_view_is_sent_its_off_command_data();
    void board_out_of_view_is_sent_its_off_command();
    void disconnect_drains_a_slow_line_data();
    void disconnect_drains_a_slow_line();
    void line_lost_during_the_turn_off_data();
    void line_lost_during_the_turn_off();
    void swapped_board_leaves_no_output_on();
    void request_inside_a_command_data();
    void request_inside_a_command();
    // The same, asked for once a state reply after a switch-on has said off
    // (rows of their own: Qt's time limit holds for a whole test function).
    void request_after_a_switch_on_data();
    void request_after_a_switch_on() { request_inside_a_command(); }
};

void tst_connection_close::turn_off_question_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("typed_can_id"); // channel 2's, not applied
    QTest::newRow("Yes") << int(QMessageBox::Yes) << "";
    QTest::newRow("No") << int(QMessageBox::No) << "";
    // Its output stays on: the file keeps the address the channel polls.
    QTest::newRow("No, channel 2's CAN ID typed") << int(QMessageBox::No) << "4";
}

void tst_connection_close::turn_off_question()
{
    QFETCH(int, answer);
    QFETCH(QString, typed_can_id);
    const bool yes = answer == QMessageBox::Yes;
    settings_folder folder;
    bench_with_outputs_on b;
    MainWindow w;
    w.show();
    QVERIFY(connect_with_outputs_reported_on(w));
    QFile::remove(folder.file());
    if (!typed_can_id.isEmpty())
        w.ui->addr_2->setText(typed_can_id);

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

// A CW board whose output is on, and that its channel no longer hears as
// before: a loose cable (the board hears its frames but is not heard, and is
// marked "No device"), a board of another family sharing its address and
// answering in turn, or its channel's CAN ID changed on the Settings page
// (refused while on, with a box). Its flag still says on, and quit answered
// Yes sends it its off command before the adapter's close.
void tst_connection_close::board_out_of_view_is_sent_its_off_command_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("lost from view") << "silent";
    QTest::newRow("two families at one address") << "shared";
    QTest::newRow("CAN ID changed to a free address") << "4";
    QTest::newRow("CAN ID changed to another board's") << "7";
    // Channel 2 flagged on, its board not answering while polled on the
    // live link: moved, with no box, once the address it leaves has been
    // sent the off command. "No device" only because the link was down or
    // nobody polled the channel: kept, with the box, nothing sent.
    QTest::newRow("channel 2 on, its board lost, moved") << "2 lost";
    QTest::newRow("channel 2 on at an empty address, moved back") << "2 at 40";
    QTest::newRow("channel 2 on, CAN ID typed while disconnected, kept") << "2 kept, link down";
    QTest::newRow("channel 2 on, disabled, then its CAN ID changed, kept") << "2 kept, disabled";
}

void tst_connection_close::board_out_of_view_is_sent_its_off_command()
{
    QFETCH(QString, change);
    const bool shared = change == "shared";
    settings_folder folder;
    bench_line bench;
    sim_board &cw = bench.add_board(8, 5);
    cw.set_value(0x90, 1);
    // Sharing address 5 with its emission on, or an idle board at 7.
    sim_board &other = shared ? bench.add_board(7, 5) : bench.add_board(16, 7);
    if (change == "2 lost" || change.startsWith("2 kept"))
        other.set_value(0x90, 1);
    if (shared) {
        other.set_value(0xA2, 1);
        cw.set_answer_turn(1);
        other.set_answer_turn(0);
    }
    bench.start();
    offer_ports({bench.path()});
    write_bench_settings({{1, 5}, {2, 7}}, bench.path(), false);
    write_bench_names({QStringLiteral("seed")});
    auto w = std::make_unique<MainWindow>();
    w->show();
    w->ui->connect_button_2->click();
    const laser_worker *worker = w->lasers[0]->worker;
    const auto both_on = [&] { return worker->cw_record.output_on && (!shared || worker->ps_table_record.emission_on); };
    QTRY_VERIFY_WITH_TIMEOUT(both_on(), 30000);
    if (change == "silent") {
        cw.set_silent(true);
        QTRY_COMPARE_WITH_TIMEOUT(worker->device_type.load(), -1, 20000);
    } else if (change.startsWith("2 ")) {
        const bool lost = change == "2 lost", at_40 = change == "2 at 40", kept = change.startsWith("2 kept");
        const bool link_down = change == "2 kept, link down";
        const int left = at_40 ? 40 : 7, moved_to = lost ? 8 : 7;
        if (at_40) {
            w->ui->addr_2->setText("40");
            w->ui->main_menu_butt->click();
            w->lasers[1]->cw_on_off_button->click(); // before the presence check finds nothing there
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(w->channel_output_on(1), 30000);
            other.set_silent(lost);
        }
        if (kept) {
            // A presence check right before the polling stops, and one after
            // that hears nothing of channel 2; two after the disconnect, whose
            // question lets replies in.
            w->sl_device_heartbeat_timer();
            if (link_down) {
                modal_answer no{QMessageBox::No};
                w->ui->connect_button_2->click();
                QTRY_VERIFY_WITH_TIMEOUT(!w->connected, 20000);
                w->sl_device_heartbeat_timer();
            } else {
                w->ui->dev_en_2->setChecked(false);
                w->ui->main_menu_butt->click();
            }
            w->sl_device_heartbeat_timer();
        }
        QTRY_COMPARE_WITH_TIMEOUT(w->lasers[1]->worker->device_type.load(), -1, 20000);
        modal_answer box{QMessageBox::Ok};
        w->ui->addr_2->setText(kept ? QStringLiteral("8") : QString::number(moved_to));
        if (link_down)
            w->ui->connect_button_2->click();
        else
            w->ui->main_menu_butt->click();
        QTRY_VERIFY_WITH_TIMEOUT(w->connected, 20000);
        QCOMPARE(w->lasers[1]->can_address, moved_to);
        if (kept) {
            QTRY_COMPARE_WITH_TIMEOUT(box.boxes, 1, 10000);
            QCOMPARE(box.text, QStringLiteral("Channel 2 is on: turn its output off before changing its CAN ID."));
            QCOMPARE(w->ui->addr_2->text(), QStringLiteral("7"));
            QCOMPARE(off_lines_before(bench.lines(), bench.lines().size(), 7), 0);
            QVERIFY(w->channel_output_on(1) && other.value(0x90) == 1);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(off_lines_before(bench.lines(), bench.lines().size(), left), 3, 10000);
            // Counted as on no more: the close does not turn the board it moved to off.
            QVERIFY(!w->lasers[1]->output_to_turn_off() && box.boxes == 0);
            // The lost board heard its off; the board the channel moved back
            // to was sent nothing.
            QVERIFY(lost ? other.value(0x90) == 0 : other.received(0x10) == 0);
        }
    } else if (shared) {
        QSignalSpy check(w->heartbeat_timer, &QTimer::timeout);
        QVERIFY(check.wait(10000));
        QVERIFY(both_on());
    } else {
        w->ui->addr->setText(change);
        modal_answer box{QMessageBox::Ok};
        w->ui->main_menu_butt->click();
        QTRY_COMPARE_WITH_TIMEOUT(box.boxes, 1, 10000);
        QCOMPARE(box.title, QStringLiteral("WARNING"));
        QCOMPARE(box.text, QStringLiteral("Channel 1 (seed) is on: turn its output off before changing its CAN ID."));
        QCOMPARE(w->ui->addr->text(), QStringLiteral("5"));
        QCOMPARE(w->lasers[0]->can_address, 5);
        QCOMPARE(w->lasers[1]->can_address, 7);
        QTRY_COMPARE_WITH_TIMEOUT(w->ui->emitting_label->text(), QStringLiteral("Emission: ON"), 10000);
    }
    QVERIFY(w->channel_output_on(0));
    {
        modal_answer box{QMessageBox::Yes};
        QVERIFY(w->close());
        QCOMPARE(box.boxes, 1);
    }
    const QString addr_2 = QSettings(folder.file(), QSettings::IniFormat).value("device_conf/addr_2").toString();
    QCOMPARE(addr_2, QString::number(w->lasers[1]->can_address));
    w->end_threads();
    QTRY_VERIFY_WITH_TIMEOUT(bench.lines().endsWith("C\r"), 20000);
    const QByteArrayList lines = bench.lines();
    int emission_offs = 0;
    for (int i = 0; i < lines.size() - 1; ++i)
        emission_offs += is_off_line(lines[i], 5) && lines[i].mid(5, 2) == "22";
    QVERIFY2(off_lines_before(lines, lines.size() - 1, 5) - emission_offs >= 3, "no output off for the CW board");
    QCOMPARE(cw.value(0x90), 0.0);
    if (shared) {
        QVERIFY2(emission_offs >= 3, "no emission off for the board sharing the address");
        QCOMPARE(other.value(0xA2), 0.0);
    }
    w.reset();
}

// Ten boards on, the operator disconnects and answers Yes, on a line that
// takes fewer bytes a second than the program writes: every off command the
// program sent reaches the line, and then "C", which closes the adapter's
// CAN channel.
void tst_connection_close::disconnect_drains_a_slow_line_data()
{
    QTest::addColumn<int>("rate"); // bytes a second the line reads
    QTest::newRow("5760 B/s, as at 57600 baud") << 5760;
}

void tst_connection_close::disconnect_drains_a_slow_line()
{
    QFETCH(int, rate);
    const QList<int> ten_types{8, 15, 11, 16, 18, 7, 6, 13, 20, 21};
    settings_folder folder;
    bench_line bench;
    QList<QPair<int, int>> channels;
    for (int i = 0; i < ten_types.size(); ++i) {
        bench.add_board(ten_types[i], i + 1).set_value(output_code(ten_types[i]), 1);
        channels << qMakePair(i + 1, i + 1);
    }
    bench.adapter()->set_read_rate(rate);
    bench.start();
    offer_ports({bench.path()});
    write_bench_settings(channels, bench.path(), false);
    MainWindow w;
    w.show();
    w.ui->connect_button_2->click();
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (int i = 0; i < ten_types.size(); ++i)
                if (!w.channel_output_on(i))
                    return false;
            return true;
        }(),
        90000);

    // Off commands leave only from the GUI thread; the polls, from the
    // workers', are never off commands.
    std::atomic<int> offs_sent{0};
    QObject scope;
    for (laser_object *c : w.lasers)
        connect(
            c->worker, &laser_worker::thread_serial_write, &scope,
            [&offs_sent](QByteArray frame) { offs_sent += is_off_line(frame); }, Qt::DirectConnection);
    QElapsedTimer since;
    {
        modal_answer box{QMessageBox::Yes};
        w.ui->connect_button_2->click();
        since.start();
        QCOMPARE(box.boxes, 1);
    }
    QTRY_COMPARE_WITH_TIMEOUT(w.ui->connection_status_label->text(), QStringLiteral("Connection status: DISCONNECTED"),
                              60000);
    const qint64 disconnected_after = since.elapsed();
    QTRY_VERIFY_WITH_TIMEOUT(bench.lines().contains("C\r"), 60000);
    qInfo("%d off commands; disconnected after %lld ms, \"C\" on the line after %lld ms", offs_sent.load(),
          disconnected_after, since.elapsed());
    QVERIFY(offs_sent.load() >= 3 * ten_types.size());
    const QByteArrayList lines = bench.lines();
    const int closed_at = lines.indexOf("C\r");
    QCOMPARE(off_lines_before(lines, closed_at), offs_sent.load());
    QCOMPARE(off_lines_before(lines, lines.size()), offs_sent.load());
    QTRY_VERIFY_WITH_TIMEOUT(!bench.adapter()->channel_open(), 20000);
}

// The line hangs up while the question is open, or at the first off command
// of the passes: the passes stop, a box names the channels still reported
// on (or switched on and not reported on yet), and the program ends.
void tst_connection_close::line_lost_during_the_turn_off_data()
{
    QTest::addColumn<bool>("during_passes");
    QTest::addColumn<bool>("slow_on"); // channel 1's board reports its output off, then is switched on
    QTest::newRow("while the question is open") << false << false;
    QTest::newRow("at the first off command") << true << false;
    QTest::newRow("while the question is open, channel 1 not reported on") << false << true;
}

void tst_connection_close::line_lost_during_the_turn_off()
{
    QFETCH(bool, during_passes);
    QFETCH(bool, slow_on);
    settings_folder folder;
    bench_with_outputs_on b;
    auto w = std::make_unique<MainWindow>();
    w->show();
    QVERIFY(connect_with_outputs_reported_on(*w));
    if (slow_on) {
        b.cw->set_raw_override(0x90, 0);
        QTRY_VERIFY_WITH_TIMEOUT(!w->channel_output_on(0), 20000);
        w->lasers[0]->cw_on_off_button->click();
        // A report asked for after the switch says off.
        QTRY_VERIFY_WITH_TIMEOUT(!w->channel_output_on(0), 20000);
    }
    slcan_adapter *adapter = b.bench.adapter();
    QObject scope;
    if (during_passes) {
        connect(
            adapter, &slcan_adapter::line_received, &scope,
            [adapter](QByteArray line) {
                if (is_off_line(line) && !adapter->hung_up())
                    adapter->hang_up();
            },
            Qt::DirectConnection);
    }

    // The question is answered Yes once the line is gone, or at once.
    QStringList titles, texts;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        if (box->windowTitle() == QLatin1String("Confirmation") && !during_passes) {
            if (!adapter->hung_up())
                adapter->hang_up();
            if (w->connected)
                return;
        }
        titles << box->windowTitle();
        texts << box->text();
        box->button(box->windowTitle() == QLatin1String("Confirmation") ? QMessageBox::Yes : QMessageBox::Ok)->click();
    });
    answer.start(20);
    std::atomic<int> offs_sent{0};
    for (laser_object *c : w->lasers)
        connect(
            c->worker, &laser_worker::thread_serial_write, &scope,
            [&offs_sent](QByteArray frame) { offs_sent += is_off_line(frame); }, Qt::DirectConnection);
    QVERIFY(w->close());
    QVERIFY(!w->isVisible());
    answer.stop();
    QCOMPARE(titles, (QStringList{"Confirmation", "WARNING"}));
    QVERIFY2(texts.last().startsWith(QLatin1String("Connection lost: the off command could not be sent to ")),
             qPrintable(texts.last()));
    for (int ch = 1; ch <= 3; ++ch)
        QVERIFY2(texts.last().contains(QStringLiteral("channel %1").arg(ch)), qPrintable(texts.last()));
    QVERIFY(!texts.last().contains(QLatin1String("channel 4")));
    QVERIFY(!w->connected);
    // The passes stopped with the link, not after 100 of them.
    QVERIFY2(offs_sent.load() <= (during_passes ? 2 * 3 * 3 : 0),
             qPrintable(QStringLiteral("%1 off commands sent into a lost line").arg(offs_sent.load())));
    w->end_threads();
    w.reset();
}

// A PS board with its emission on is replaced, at its address, by a CW board
// that is off: the indicator goes OFF and the quit asks nothing.
void tst_connection_close::swapped_board_leaves_no_output_on()
{
    settings_folder folder;
    bench_line bench;
    bench.add_board(20, 5).set_value(0xA2, 1);
    bench.start();
    offer_ports({bench.path()});
    write_bench_settings({{1, 5}}, bench.path(), false);
    MainWindow w;
    w.show();
    w.ui->connect_button_2->click();
    QTRY_COMPARE_WITH_TIMEOUT(w.ui->emitting_label->text(), QStringLiteral("Emission: ON"), 30000);
    QVERIFY(w.lasers[0]->worker->ps_record.emission_on);

    sim_board &cw = bench.bus.replace_board(5, 8);
    QCOMPARE(cw.value(0x90), 0.0);
    QTRY_COMPARE_WITH_TIMEOUT(w.lasers[0]->worker->device_type.load(), 8, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(w.ui->emitting_label->text(), QStringLiteral("Emission: OFF"), 20000);
    QVERIFY(!w.channel_output_on(0));
    modal_answer box{QMessageBox::Yes};
    QVERIFY(w.close());
    QCOMPARE(box.boxes, 0);
    QCOMPARE(off_lines_before(bench.lines(), bench.lines().size()), 0);
}

// A close or a Disconnect queued behind an operator's action arrives inside
// the waits of the action's first send (a switch, a Return, the turn-off of a
// first close or Disconnect, a set sequence of the parameters window), or
// while the window's "Configuration Saved." box is open. Carried out once the
// command has ended: the question sees what the command turned on, Yes leaves
// every board off, no false "Connection lost" box, and the event loop of main
// ends.
void tst_connection_close::request_inside_a_command_data()
{
    request_columns();
    const int yes = QMessageBox::Yes, no = QMessageBox::No;
    QTest::newRow("NS on, DC/DC on, Yes") << QList<int>{21, 11} << "on" << "close" << yes << 1;
    QTest::newRow("NS on, DC/DC on, No") << QList<int>{21, 11} << "on" << "close" << no << 1;
    QTest::newRow("NS on alone, Yes") << QList<int>{21} << "on" << "close" << yes << 1;
    QTest::newRow("PS on, CW on, Yes") << QList<int>{7, 8} << "on" << "close" << yes << 1;
    QTest::newRow("CW on, current typed, Yes") << QList<int>{8} << "typed on" << "close" << yes << 1;
    QTest::newRow("CW current Return, DC/DC on, No") << QList<int>{8, 11} << "return" << "close" << no << 1;
    QTest::newRow("DC/DC off, CW on, Yes") << QList<int>{11, 8} << "off" << "close" << yes << 1;
    QTest::newRow("DC/DC off alone, No") << QList<int>{11} << "off" << "close" << no << 0;
    QTest::newRow("Disconnect in NS on, Yes") << QList<int>{21} << "on" << "disconnect" << yes << 1;
    QTest::newRow("second Disconnect in the passes") << QList<int>{8} << "disconnect" << "disconnect" << yes << 1;
    QTest::newRow("Disconnect in a close's passes") << QList<int>{8} << "close" << "disconnect" << yes << 1;
    QTest::newRow("close in a Disconnect's passes") << QList<int>{8} << "disconnect" << "close" << yes << 1;
    QTest::newRow("quit signal in NS on") << QList<int>{21} << "on" << "quit signal" << no << 0;
    // Auto-connection on: the Disconnect ends it, also when a close takes its place.
    QTest::newRow("Disconnect, then close, in NS on") << QList<int>{21} << "on" << "disconnect, close" << yes << 1;
    QTest::newRow("close, then Disconnect, in NS on") << QList<int>{21} << "on" << "close, disconnect" << yes << 1;
    // The parameters window on channel 1, its maximum current set, closed and
    // the main window with it (by the window's Close button too); a power
    // board's configuration saved.
    QTest::newRow("limit set, both closed, Yes") << QList<int>{8, 8} << "limit" << "close both" << yes << 1;
    QTest::newRow("limit set, both closed, No") << QList<int>{8, 8} << "limit" << "close both" << no << 1;
    QTest::newRow("limit set, Close button, nothing on") << QList<int>{8} << "limit" << "close button" << yes << 0;
    QTest::newRow("saved box open, both closed, Yes") << QList<int>{18, 8} << "save" << "close both" << yes << 2;
}

// A board slow to report its output on, or one that refused it, and one
// that reported it on and then tripped.
void tst_connection_close::request_after_a_switch_on_data()
{
    request_columns();
    const int yes = QMessageBox::Yes;
    QTest::newRow("CW slow to report on, close, Yes") << QList<int>{8} << "slow on" << "close" << yes << 1;
    QTest::newRow("PS slow to report on, Disconnect, Yes") << QList<int>{20} << "slow on" << "disconnect" << yes << 1;
    // The Disconnect's off ends its count: the close after the next Connect asks nothing.
    QTest::newRow("PS slow to report on, Disconnect, Yes, Connect, close") << QList<int>{20} << "slow on" << "disconnect, connect, close" << yes << 1;
    QTest::newRow("DC/DC refused the on, close, Yes") << QList<int>{11} << "refused on" << "close" << yes << 1;
    QTest::newRow("CW reported on, then tripped, close") << QList<int>{8} << "tripped on" << "close" << yes << 0;
}

void tst_connection_close::request_inside_a_command()
{
    QFETCH(QList<int>, types);
    QFETCH(QString, action);
    QFETCH(QString, request);
    QFETCH(int, answer);
    QFETCH(int, questions);
    const bool starts_on = action == "off" || action == "close" || action == "disconnect";
    operator_bench b(types);
    for (int ch = 1; ch <= types.size(); ++ch)
        b.board(ch).set_value(output_code(types[ch - 1]), ch == 2 || starts_on);
    const QString ready = b.connect_and_fill({}, 100);
    QVERIFY2(ready.isEmpty(), qPrintable(ready));
    MainWindow &w = *b.window;
    QTRY_VERIFY_WITH_TIMEOUT(w.channel_output_on(0) == starts_on && (types.size() < 2 || w.channel_output_on(1)), 20000);
    const auto ask_one = [&](const QString &what, Qt::ConnectionType how) {
        if (what == "quit signal") // what the signal's handler runs
            QMetaObject::invokeMethod(&w, [&w] { w.close_unattended(); }, how);
        else if (what == "close button")
            QMetaObject::invokeMethod(b.params->findChild<QPushButton *>("write_button"), "click", how);
        else if (what == "close both")
            QMetaObject::invokeMethod(b.params.get(), "close", how);
        if (what == "close" || what.startsWith(QLatin1String("close ")))
            QMetaObject::invokeMethod(&w, "close", how);
        else if (what == "disconnect")
            QMetaObject::invokeMethod(w.ui->connect_button_2, "click", how);
        else if (what == "connect") { // once the link is down
            QVERIFY(wait_for([&] { return !w.connected; }));
            w.ui->connect_button_2->click();
            QVERIFY(wait_for([&] { return w.connected; }));
        }
    };
    const auto ask = [&](const QString &what, Qt::ConnectionType how) {
        for (const QString &one : what.split(QStringLiteral(", ")))
            ask_one(one, how);
    };
    const bool disconnects = request.contains("disconnect") || action == "disconnect";
    if (disconnects)
        w.ui->connection_mode->click();
    // The request comes once the board's state replies have been read after the switch-on.
    const bool asked_later = action == "slow on" || action == "refused on" || action == "tripped on";
    QObject scope;
    bool requested = asked_later;
    QTimer saved_box; // asks from inside the box's own loop, before it is answered
    const auto first_frame = [&] { // the polls come from the worker's thread
        if (QThread::currentThread() == w.thread() && !saved_box.isActive() && !std::exchange(requested, true))
            ask(request, Qt::QueuedConnection);
    };
    connect(b.channel(1)->worker, &laser_worker::thread_serial_write, &scope, first_frame, Qt::DirectConnection);
    connect(b.params.get(), &laser_params::sig_thread_serial_write, &scope, first_frame, Qt::DirectConnection);
    connect(&saved_box, &QTimer::timeout, &scope, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box && box->text() == QLatin1String("Configuration Saved.") && !std::exchange(requested, true))
            ask(request, Qt::DirectConnection);
    });
    if (action == "save")
        saved_box.start(1);
    const auto act = [&] {
        auto *spin = b.widget<QDoubleSpinBox>(1, QStringLiteral("curr_spin"));
        spin->selectAll();
        if (action == "typed on" || action == "return")
            QTest::keyClicks(spin, QStringLiteral("60"));
        if (action == "return")
            QTest::keyClick(spin, Qt::Key_Return);
        else if (action == "close" || action == "disconnect")
            ask(action, Qt::DirectConnection);
        else if (action == "limit" || action == "save") {
            b.channel(1)->config_button->click();
            b.params->findChild<QDoubleSpinBox *>("cur_max_spin")->setValue(100.0);
            b.params->findChild<QPushButton *>(action == "save" ? "save_btn" : "cur_max_set_but")->click();
        } else if (asked_later) {
            const uint8_t code = output_code(types[0]);
            auto *button = b.widget<QPushButton>(1, on_off_button_name(types[0]));
            if (action != "tripped on")
                b.board(1).set_raw_override(code, 0); // reports off
            QVERIFY(b.click_and_wait(1, [button] { button->click(); }).isEmpty());
            // Reported on, before it trips.
            QVERIFY(action != "tripped on" || wait_for([&] { return b.channel(1)->outputs_switched_on == 0; }));
            if (action != "slow on")
                b.board(1).set_value(code, 0);
            QVERIFY(wait_for([&] { return !w.channel_output_on(0); }));
            ask(request, Qt::DirectConnection);
        } else {
            // Unheard from the off on: no status reply sent before it can
            // show the output on again when the close looks.
            b.board(1).set_silent(action == "off");
            b.widget<QPushButton>(1, on_off_button_name(types[0]))->click();
        }
    };
    // The parameters window's waits are longer than a box answered at once.
    modal_answer box{QMessageBox::StandardButton(answer), action == "limit" || action == "save" ? 100 : 0};
    if (action == "close" || request != "disconnect") {
        // As main runs it: the event loop ends once the window has closed.
        QTimer::singleShot(0, &scope, act);
        QTimer::singleShot(60000, &scope, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
    } else {
        act();
        QTRY_VERIFY_WITH_TIMEOUT(!w.connected, 20000);
    }
    w.end_threads();
    QTRY_VERIFY_WITH_TIMEOUT(b.bench.lines().endsWith("C\r"), 20000);
    QCOMPARE(box.boxes, questions);
    QVERIFY2(box.title != QLatin1String("WARNING"), qPrintable(box.text));
    for (int ch = 1; ch <= types.size(); ++ch) // No leaves on what was on and what the action turned on
        QCOMPARE(b.board(ch).value(output_code(types[ch - 1])) != 0,
                 answer == QMessageBox::No && (ch == 2 || action.endsWith(QLatin1String("on"))));
    if (disconnects) // and the file written by a close says so
        QVERIFY(!w.auto_connection &&
                !QSettings(b.folder.file(), QSettings::IniFormat).value("serial/connection_mode").toBool());
}

QTEST_MAIN(tst_connection_close)
#include "tst_connection_close.moc"
