// The program's connection handling against the simulated bench on a
// pseudo-terminal: connect and disconnect, auto-connection to a bench that
// appears later, hangs up and comes back, a second attempt on the open port,
// mini-USB mode.

#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QThread>
#include <QTimer>

#include <ctime>
#include <memory>
#include <utility>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "comm/serial_object.h"
#include "forms/mainwindow_form.h"
#include "support/bench_line.h"
#include "support/bench_settings.h"
#include "support/settings_folder.h"

namespace {

const QString connected_text = QStringLiteral("Connection status: CONNECTED");
const QString disconnected_text = QStringLiteral("Connection status: DISCONNECTED");

QString status(const MainWindow &w)
{
    return w.ui->connection_status_label->text();
}

double process_cpu_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Microseconds from the adapter's log of the first line that starts with
// `prefix`, -1 if none.
qint64 first_line_time(const slcan_adapter *a, const QByteArray &prefix)
{
    for (const slcan_adapter::log_entry &e : a->log())
        if (e.line.startsWith(prefix))
            return e.usecs;
    return -1;
}

} // namespace

class tst_connection_bench : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { lumatrex_init_resources(); }
    void connect_and_disconnect();
    void auto_connection_follows_the_port();
    void second_attempt_keeps_the_connection();
    void mini_usb_mode();
    void port_list_at_the_tick_data();
    void port_list_at_the_tick();
};

void tst_connection_bench::connect_and_disconnect()
{
    settings_folder folder;
    bench_line bench;
    bench.add_board(8, 5);
    bench.add_board(16, 7);
    bench.add_board(21, 9); // its channel is not enabled
    bench.start();
    offer_ports({bench.path()});
    write_bench_settings({{1, 5}, {3, 7}}, bench.path(), false);
    MainWindow w;
    QCOMPARE(w.ui->serial_combo_box->currentData().toString(), bench.path());

    w.ui->connect_button_2->click();
    QTRY_COMPARE_WITH_TIMEOUT(status(w), connected_text, 20000);
    QCOMPARE(w.ui->connect_button_2->text(), QStringLiteral("Disconnect"));
    QVERIFY(w.ui->scrollArea->isEnabled());
    QVERIFY(w.heartbeat_timer->isActive());
    QCOMPARE(w.portname, bench.path());
    QCOMPARE(w.serial_conf.baud_rate, 115200);
    QCOMPARE(bench.lines().mid(0, 6), (QByteArrayList{"S6\r", "S6\r", "S6\r", "O\r", "O\r", "O\r"}));
    for (const laser_object *c : w.lasers)
        QVERIFY(c->worker->isRunning()); // enabled or not

    // Polling begins about 2 s after the set-up, for the enabled channels only.
    sim_board *first = bench.bus.board_at(5);
    sim_board *third = bench.bus.board_at(7);
    QTRY_VERIFY_WITH_TIMEOUT(first->received(0xD0) >= 2 && third->received(0xD0) >= 2, 30000);
    const qint64 set_up = first_line_time(bench.adapter(), "O\r");
    const qint64 polled = first_line_time(bench.adapter(), "t");
    QVERIFY2(polled - set_up >= 1900000, qPrintable(QString::number(polled - set_up)));
    QCOMPARE(bench.bus.board_at(9)->received_total(), 0);
    for (const QByteArray &line : bench.lines())
        QVERIFY2(!line.startsWith('t') || line.startsWith("t005") || line.startsWith("t007"), line.constData());

    w.ui->connect_button_2->click();
    QTRY_COMPARE_WITH_TIMEOUT(status(w), disconnected_text, 20000);
    QCOMPARE(bench.lines().last(), QByteArray("C\r"));
    QCOMPARE(w.ui->connect_button_2->text(), QStringLiteral("Connect"));
    QVERIFY(!w.ui->scrollArea->isEnabled());
    // Polling stops: every worker leaves its loop.
    for (const laser_object *c : w.lasers)
        QTRY_VERIFY_WITH_TIMEOUT(!c->worker->isRunning(), 20000);
}

void tst_connection_bench::auto_connection_follows_the_port()
{
    // The port is a device link that comes and goes with the bench behind it.
    settings_folder folder;
    const QString link = QDir(folder.path()).filePath(QStringLiteral("ttyBENCH"));
    bench_line first;
    first.add_board(8, 5);
    bench_line back;
    back.add_board(8, 5);
    bench_line again;
    again.add_board(8, 5);
    offer_ports({link});
    write_bench_settings({{1, 5}}, link, true);
    MainWindow w;
    QVERIFY(w.reconnect_timer->isActive());
    QVERIFY(!w.ui->serial_combo_box->isEnabled());
    QSignalSpy failed(w.serial_obj, &serial_object::sig_disconnected);
    QVERIFY(failed.wait(20000)); // nothing there yet

    first.start();
    QVERIFY(QFile::link(first.path(), link));
    QTRY_COMPARE_WITH_TIMEOUT(status(w), connected_text, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(first.bus.board_at(5)->received(0xD0) > 0, 30000);

    // Unplugged: the device and its link are gone.
    QFile::remove(link);
    QElapsedTimer lost;
    lost.start();
    first.adapter()->hang_up();
    QTRY_COMPARE_WITH_TIMEOUT(status(w), disconnected_text, 5000);
    qInfo("DISCONNECTED shown %lld ms after the hang-up", lost.elapsed());

    // Waiting for the port: a tick every 300 ms, no busy loop.
    const double cpu_before = process_cpu_ms();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(1000);
    const double cpu_share = (process_cpu_ms() - cpu_before) / double(wall.elapsed());
    QVERIFY2(cpu_share < 0.5, qPrintable(QString::number(cpu_share)));

    // Plugged in again: connected by itself, the adapter set up afresh.
    back.start();
    QVERIFY(QFile::link(back.path(), link));
    QTRY_COMPARE_WITH_TIMEOUT(status(w), connected_text, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(back.bus.board_at(5)->received(0xD0) > 0, 30000);
    QCOMPARE(back.lines().mid(0, 6), (QByteArrayList{"S6\r", "S6\r", "S6\r", "O\r", "O\r", "O\r"}));

    // Disconnect clicked inside the sends of a click on the output switch
    // (held until they end), the port unplugged meanwhile: the operator still
    // asked for no more connections, so the port plugged in again is left be.
    QTRY_COMPARE_WITH_TIMEOUT(w.lasers[0]->worker->device_type.load(), 8, 20000);
    QObject scope;
    bool unplugged = false;
    connect(
        w.lasers[0]->worker, &laser_worker::thread_serial_write, &scope,
        [&] { // the switch's first frame; the polls come from the worker's thread
            if (QThread::currentThread() != w.thread() || std::exchange(unplugged, true))
                return;
            QMetaObject::invokeMethod(w.ui->connect_button_2, "click", Qt::QueuedConnection);
            QFile::remove(link);
            back.adapter()->hang_up();
            QVERIFY(QTest::qWaitFor([&] { return !w.connected; }, 5000));
        },
        Qt::DirectConnection);
    w.lasers[0]->cw_on_off_button->click();
    QVERIFY(unplugged);
    QTRY_VERIFY_WITH_TIMEOUT(!w.auto_connection, 5000);
    QVERIFY(!w.ui->connection_mode->isChecked() && !w.reconnect_timer->isActive());
    QVERIFY(w.ui->serial_combo_box->isEnabled());
    again.start();
    QVERIFY(QFile::link(again.path(), link));
    QTest::qWait(1500); // five ticks of the reconnect timer, had it run
    QCOMPARE(status(w), disconnected_text);
    QVERIFY(again.lines().isEmpty());
}

void tst_connection_bench::second_attempt_keeps_the_connection()
{
    settings_folder folder;
    bench_line bench;
    bench.add_board(8, 5);
    bench.start();
    offer_ports({bench.path()});
    write_bench_settings({{1, 5}}, bench.path(), false);
    MainWindow w;
    QSignalSpy up(w.serial_obj, &serial_object::sig_connected);
    QSignalSpy down(w.serial_obj, &serial_object::sig_disconnected);

    // Both clicks before the first answer: two attempts.
    w.ui->connect_button_2->click();
    w.ui->connect_button_2->click();
    QTRY_COMPARE_WITH_TIMEOUT(up.count(), 2, 20000);
    QCoreApplication::processEvents();
    QCOMPARE(down.count(), 0);
    QCOMPARE(status(w), connected_text);
    QCOMPARE(bench.count("S6\r"), 3);
    QCOMPARE(bench.count("O\r"), 3);
    QCOMPARE(bench.count("C\r"), 0);
    QTRY_VERIFY_WITH_TIMEOUT(bench.bus.board_at(5)->received(0xD0) > 0, 30000);
}

void tst_connection_bench::mini_usb_mode()
{
    settings_folder folder;
    bench_line bench(true);
    bench.add_board(21, 0x33);
    bench.start();
    offer_ports({bench.path()});
    write_bench_settings({{1, 1}, {3, 7}}, bench.path(), false, true);
    MainWindow w;
    QVERIFY(w.ui->mini_usb_mode_checkbox->isChecked());
    QVERIFY(w.lasers[0]->worker->mini_usb.load());

    w.ui->connect_button_2->click();
    QTRY_COMPARE_WITH_TIMEOUT(status(w), connected_text, 20000);
    QCOMPARE(w.serial_conf.baud_rate, 57600);
    QCOMPARE(w.portspeed, QStringLiteral("57600"));
    QVERIFY(w.serial_obj->mini_usb.load());
    // Channel 1 alone polls; its board answers from its own address.
    QTRY_VERIFY_WITH_TIMEOUT(bench.bus.board_at(0x33)->received(0x99) >= 2, 30000);
    QVERIFY(w.lasers[2]->page->isHidden());

    // No adapter set-up; frames to channel 1's address, about 50 ms apart.
    const QList<slcan_adapter::log_entry> log = bench.adapter()->log();
    QVector<qint64> gaps;
    for (int i = 0; i < log.size(); ++i) {
        QVERIFY2(log[i].line.startsWith("t0018"), log[i].line.constData());
        if (i > 0 && log[i].usecs - log[i - 1].usecs < 200000)
            gaps << log[i].usecs - log[i - 1].usecs;
    }
    std::sort(gaps.begin(), gaps.end());
    QVERIFY(!gaps.isEmpty());
    QVERIFY2(gaps[gaps.size() / 2] >= 40000, qPrintable(QString::number(gaps[gaps.size() / 2])));
}

// What happens between two reconnect ticks, while the link is down.
enum class port_change { none, remembered_appears, remembered_vanishes, other_appears, refresh_button };
Q_DECLARE_METATYPE(port_change)

void tst_connection_bench::port_list_at_the_tick_data()
{
    QTest::addColumn<bool>("remembered_there");
    QTest::addColumn<bool>("other_there");
    QTest::addColumn<port_change>("change");
    QTest::addColumn<QStringList>("entries");
    // Whether the remembered port is the current entry (else none is).
    QTest::addColumn<bool>("chosen");
    // Whether the list was cleared and built again.
    QTest::addColumn<bool>("rebuilt");

    const QString a = QStringLiteral("\"\" A");
    const QString b = QStringLiteral("\"\" B");
    QTest::newRow("nothing changed: the list stays, the port stays chosen")
        << true << true << port_change::none << QStringList{a, b} << true << false;
    QTest::newRow("nothing there, nothing changed") << false << false << port_change::none << QStringList{} << false
                                                     << false;
    QTest::newRow("the remembered port appears: listed and chosen")
        << false << true << port_change::remembered_appears << QStringList{a, b} << true << true;
    QTest::newRow("the remembered port vanishes: nothing chosen")
        << true << true << port_change::remembered_vanishes << QStringList{b} << false << true;
    QTest::newRow("another port appears: listed, the remembered one stays chosen")
        << true << false << port_change::other_appears << QStringList{a, b} << true << true;
    QTest::newRow("the operator's refresh builds the list whatever changed")
        << true << true << port_change::refresh_button << QStringList{a, b} << true << true;
}

void tst_connection_bench::port_list_at_the_tick()
{
    QFETCH(bool, remembered_there);
    QFETCH(bool, other_there);
    QFETCH(port_change, change);
    QFETCH(QStringList, entries);
    QFETCH(bool, chosen);
    QFETCH(bool, rebuilt);

    // Plain files stand in for the devices: listed while they exist, and no
    // attempt can open them, so the link stays down and every tick counts.
    settings_folder folder;
    const QString a = QDir(folder.path()).filePath(QStringLiteral("A"));
    const QString b = QDir(folder.path()).filePath(QStringLiteral("B"));
    const auto place = [](const QString &path, bool there) {
        if (!there) {
            QFile::remove(path);
            return;
        }
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    };
    place(a, remembered_there);
    place(b, other_there);
    for (QString &e : entries)
        e.replace(QLatin1String("\" A"), QStringLiteral("\" ") + a).replace(QLatin1String("\" B"), QStringLiteral("\" ") + b);
    offer_ports({a, b});
    write_bench_settings({{1, 5}}, a, false);
    MainWindow w;
    w.reconnect_timer_slot(); // a tick with nothing new since the constructor
    QSignalSpy cleared(w.ui->serial_combo_box->model(), &QAbstractItemModel::modelReset);
    QSignalSpy removed(w.ui->serial_combo_box->model(), &QAbstractItemModel::rowsRemoved);

    switch (change) {
    case port_change::none:
    case port_change::refresh_button:
        break;
    case port_change::remembered_appears:
        place(a, true);
        break;
    case port_change::remembered_vanishes:
        place(a, false);
        break;
    case port_change::other_appears:
        place(b, true);
        break;
    }
    if (change == port_change::refresh_button)
        w.ui->serial_refresh_button->click();
    for (int tick = 0; tick < 3; ++tick)
        w.reconnect_timer_slot();

    // The system's own ports come first, whatever they are on this machine.
    QStringList shown;
    for (int i = 0; i < w.ui->serial_combo_box->count(); ++i)
        if (w.ui->serial_combo_box->itemData(i).toString().startsWith(folder.path()))
            shown << w.ui->serial_combo_box->itemText(i);
    QCOMPARE(shown, entries);
    QCOMPARE(w.ui->serial_combo_box->currentData().toString(), chosen ? a : QString());
    QCOMPARE(w.ui->serial_combo_box->currentIndex() >= 0, chosen);
    QCOMPARE(w.serial_conf.port_name, chosen ? a : QString());
    QCOMPARE(cleared.count() + removed.count() > 0, rebuilt);
    QVERIFY(!w.connected);
}

QTEST_MAIN(tst_connection_bench)
#include "tst_connection_bench.moc"
