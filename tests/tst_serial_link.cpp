// The serial link driven as the main window drives it, against a simulated
// adapter on a real pseudo-terminal: set-up bytes, disconnection, failures,
// port errors and hang-ups, settings, and the debug log.
#include <QtTest>

#include <QSemaphore>
#include <atomic>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "support/link_stand_in.h"
#include "support/log_capture.h"
#include "support/pty_helpers.h"
#include "sim/slcan_adapter.h"

Q_DECLARE_METATYPE(QSerialPort::SerialPortError)

namespace {

const QByteArray setup_bytes = "S6\rS6\rS6\rO\rO\rO\r";
const QByteArray marker = "t0058D000000000000000\r";

} // namespace

class tst_serial_link : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void setup_on_every_connection_data();
    void setup_on_every_connection();
    void open_failure_on_missing_port_data();
    void open_failure_on_missing_port();
    void request_for_the_open_port_keeps_it();
    void request_for_another_port_closes_the_open_one();
    void writes_while_closed_are_dropped();
    void writes_keep_their_order_data();
    void writes_keep_their_order();
    void disconnect_while_closed_emits_nothing();
    void port_errors_data();
    void port_errors();
    void hang_up_while_open();
    void lost_during_setup_is_not_reported_connected();
    void settings_applied_data();
    void settings_applied();
    void settings_cross_as_copy();
    void debug_texts();
};

void tst_serial_link::initTestCase()
{
    qRegisterMetaType<QSerialPort::SerialPortError>("QSerialPort::SerialPortError");
}

void tst_serial_link::setup_on_every_connection_data()
{
    QTest::addColumn<bool>("mini_usb");
    QTest::newRow("adapter") << false;
    QTest::newRow("mini-USB") << true;
}

void tst_serial_link::setup_on_every_connection()
{
    QFETCH(bool, mini_usb);
    slcan_adapter sim;
    QVERIFY(sim.is_ok());
    sim.set_direct_mode(mini_usb);
    link_stand_in link;

    const QByteArray setup = mini_usb ? QByteArray() : setup_bytes;
    QByteArray expected;
    for (int round = 1; round <= 3; ++round) {
        link.request_connection(sim.port_path(), mini_usb);
        QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, round, 20000);
        // Written after sig_connected(): in mini-USB mode it must be the
        // first thing on the line.
        link.write(marker);
        expected += setup + marker;
        QTRY_COMPARE_WITH_TIMEOUT(sim.received_bytes(), expected, 20000);
        QCOMPARE(sim.channel_open(), !mini_usb);
        if (!mini_usb) {
            // The doubled wait after the last "S6" gives the adapter its
            // pause before the channel is opened (the second wait finds
            // nothing left to write and runs to its time-out).
            const auto log = sim.log();
            const int first = log.size() - 7; // this round's six set-up lines and the marker
            QVERIFY(first >= 0);
            QCOMPARE(log[first + 2].line, QByteArray("S6\r"));
            QCOMPARE(log[first + 3].line, QByteArray("O\r"));
            QVERIFY2(log[first + 3].usecs - log[first + 2].usecs >= 500000,
                     qPrintable(QString::number(log[first + 3].usecs - log[first + 2].usecs)));
        }
        if (round == 3)
            break;
        link.request_disconnection();
        QTRY_COMPARE_WITH_TIMEOUT(link.disconnected_count, round, 20000);
        // "C\r" has left the port before it closed, in both modes.
        expected += "C\r";
        QTRY_COMPARE_WITH_TIMEOUT(sim.received_bytes(), expected, 20000);
        QVERIFY(!sim.channel_open());
        QVERIFY(!link.port_open_now());
    }
    QCOMPARE(link.events, QStringList({"connected", "disconnected", "connected", "disconnected", "connected"}));
    QCOMPARE(sim.received_bytes().count("S6\r"), mini_usb ? 0 : 9);
    QCOMPARE(sim.received_bytes().count("O\r"), mini_usb ? 0 : 9);
}

void tst_serial_link::open_failure_on_missing_port_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("no such device") << QStringLiteral("/nonexistent/ttyLUMA0");
    // What the window sends while no entry of its port list is chosen.
    QTest::newRow("no name") << QString();
}

void tst_serial_link::open_failure_on_missing_port()
{
    QFETCH(QString, name);
    log_capture log;
    link_stand_in link;
    link.request_connection(name);
    QTRY_COMPARE_WITH_TIMEOUT(link.disconnected_count, 1, 20000);
    QCOMPARE(link.connected_count, 0);
    QCOMPARE(log.count("serial port open FAILED"), 1);
    QVERIFY(!link.port_open_now());
}

void tst_serial_link::request_for_the_open_port_keeps_it()
{
    // A second attempt queued behind the first (a reconnect tick, a double
    // click): the connection stays as it is, no second set-up.
    log_capture log;
    slcan_adapter sim;
    link_stand_in link;
    link.request_connection(sim.port_path());
    QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 1, 20000);
    link.request_connection(sim.port_path());
    QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 2, 20000);
    QCOMPARE(link.disconnected_count, 0);
    QVERIFY(link.port_open_now());
    QCOMPARE(log.count("serial port open FAILED"), 0);
    QTRY_COMPARE_WITH_TIMEOUT(sim.received_bytes(), setup_bytes, 20000);
}

void tst_serial_link::request_for_another_port_closes_the_open_one()
{
    log_capture log;
    slcan_adapter sim;
    slcan_adapter other;
    link_stand_in link;
    link.request_connection(sim.port_path());
    QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 1, 20000);
    link.request_connection(other.port_path());
    QTRY_COMPARE_WITH_TIMEOUT(link.disconnected_count, 1, 20000);
    QCOMPARE(link.connected_count, 1);
    QVERIFY(!link.port_open_now());
    QCOMPARE(log.count("serial port open FAILED"), 1);
    // And the next request connects again.
    link.request_connection(other.port_path());
    QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 2, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(other.received_bytes(), setup_bytes, 20000);
}

void tst_serial_link::writes_while_closed_are_dropped()
{
    slcan_adapter sim;
    sim.set_direct_mode(true);
    link_stand_in link;
    const QByteArray lost1 = slcan_frame(1, QByteArray::fromHex("1101000000000001"));
    const QByteArray kept1 = slcan_frame(2, QByteArray::fromHex("1102000000000002"));
    const QByteArray lost2 = slcan_frame(3, QByteArray::fromHex("1103000000000003"));
    const QByteArray kept2 = slcan_frame(4, QByteArray::fromHex("1104000000000004"));

    link.write(lost1);
    link.request_connection(sim.port_path(), true);
    QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 1, 20000);
    link.write(kept1);
    link.request_disconnection();
    link.write(lost2);
    link.request_connection(sim.port_path(), true);
    link.write(kept2);
    QTRY_COMPARE_WITH_TIMEOUT(sim.received_bytes(), kept1 + "C\r" + kept2, 20000);
    QCOMPARE(link.events, QStringList({"connected", "disconnected", "connected"}));
}

void tst_serial_link::writes_keep_their_order_data()
{
    // Frames written before the far end reads anything, then frames written
    // one by one while it reads what waits.
    QTest::addColumn<int>("before_reading");
    QTest::addColumn<int>("while_reading");
    QTest::newRow("a few frames, the line free") << 5 << 20;
    // More than the line holds: the rest waits in the port, and every frame
    // that comes meanwhile must go behind it.
    QTest::newRow("the line full, frames coming while it drains") << 12000 << 3000;
}

void tst_serial_link::writes_keep_their_order()
{
    QFETCH(int, before_reading);
    QFETCH(int, while_reading);
    // A pseudo-terminal whose far end this test reads itself, when it wants.
    const int far_end = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(far_end >= 0);
    QVERIFY(grantpt(far_end) == 0 && unlockpt(far_end) == 0);
    const QString path = QString::fromLocal8Bit(ptsname(far_end));
    fcntl(far_end, F_SETFL, fcntl(far_end, F_GETFL) | O_NONBLOCK);

    link_stand_in link;
    link.request_connection(path, true);
    QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 1, 20000);
    QByteArray sent;
    int n = 0;
    const auto send_next = [&] {
        const QByteArray f = numbered_frame(uint32_t(n++));
        sent += f;
        link.write(f);
    };
    for (int i = 0; i < before_reading; ++i)
        send_next();
    link.port_open_now(); // every frame so far handled by the serial thread
    QByteArray got;
    char buf[4096];
    const auto read_some = [&] {
        for (;;) {
            const ssize_t r = ::read(far_end, buf, sizeof buf);
            if (r <= 0)
                return;
            got.append(buf, int(r));
        }
    };
    for (int i = 0; i < while_reading; ++i) {
        read_some();
        send_next();
        if (i % 50 == 0)
            QTest::qWait(1);
    }
    QVERIFY(QTest::qWaitFor(
        [&] {
            read_some();
            return got.size() >= sent.size();
        },
        30000));
    ::close(far_end);
    QCOMPARE(got.size(), sent.size());
    // The first place where they differ, rather than 300 kB of text.
    int differ = 0;
    while (differ < got.size() && got[differ] == sent[differ])
        ++differ;
    QCOMPARE(differ, int(sent.size()));
}

void tst_serial_link::disconnect_while_closed_emits_nothing()
{
    link_stand_in link;
    link.request_disconnection();
    link.port_open_now(); // the request has run on the serial thread
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(link.disconnected_count, 0);
    QCOMPARE(link.connected_count, 0);
}

void tst_serial_link::port_errors_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("closes");

    QTest::newRow("resource error while open") << int(QSerialPort::ResourceError) << true << true;
    QTest::newRow("read error while open (hung-up line)") << int(QSerialPort::ReadError) << true << true;
    QTest::newRow("resource error while closed") << int(QSerialPort::ResourceError) << false << false;
    QTest::newRow("read error while closed") << int(QSerialPort::ReadError) << false << false;
    for (QSerialPort::SerialPortError e :
         {QSerialPort::WriteError, QSerialPort::ParityError, QSerialPort::FramingError, QSerialPort::BreakConditionError,
          QSerialPort::TimeoutError, QSerialPort::UnsupportedOperationError, QSerialPort::UnknownError,
          QSerialPort::NotOpenError, QSerialPort::OpenError}) {
        QTest::addRow("error %d while open is ignored", int(e)) << int(e) << true << false;
    }
}

void tst_serial_link::port_errors()
{
    QFETCH(int, error);
    QFETCH(bool, open);
    QFETCH(bool, closes);

    log_capture log;
    slcan_adapter sim;
    sim.set_direct_mode(true);
    link_stand_in link;
    if (open) {
        link.request_connection(sim.port_path(), true);
        QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 1, 20000);
    }
    link.port_open_now(); // the thread has started and logged
    log.clear();
    QVERIFY(QMetaObject::invokeMethod(link.serial, "sl_handle_error", Qt::BlockingQueuedConnection,
                                      Q_ARG(QSerialPort::SerialPortError, QSerialPort::SerialPortError(error))));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(link.port_open_now(), open && !closes);
    QCOMPARE(link.disconnected_count, closes ? 1 : 0);
    const QStringList expected_log =
        closes ? QStringList({"some ERROR with serial port", "serial port DISONNECTED by user"}) : QStringList();
    QCOMPARE(log.messages(), expected_log);
}

void tst_serial_link::hang_up_while_open()
{
    log_capture log;
    slcan_adapter sim;
    link_stand_in link;
    std::atomic<int> port_errors{0};
    QObject::connect(&link.serial->port, &QSerialPort::errorOccurred, link.serial,
                     [&](QSerialPort::SerialPortError e) {
                         if (e != QSerialPort::NoError)
                             ++port_errors;
                     },
                     Qt::DirectConnection);
    link.request_connection(sim.port_path());
    QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 1, 20000);
    log.clear();

    sim.hang_up();
    QTRY_COMPARE_WITH_TIMEOUT(link.disconnected_count, 1, 20000);
    QVERIFY(!link.port_open_now());
    QCOMPARE(log.count("some ERROR with serial port"), 1);
    QCOMPARE(log.count("serial port DISONNECTED by user"), 1);

    // Nothing keeps firing once the port is closed: the serial thread stays
    // idle and answers at once.
    const int errors_after_close = port_errors.load();
    QTest::qWait(300);
    QCOMPARE(port_errors.load(), errors_after_close);
    QVERIFY(errors_after_close < 5);
    QCOMPARE(link.disconnected_count, 1);

    // The link connects to another line afterwards.
    slcan_adapter other;
    link.request_connection(other.port_path());
    QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 2, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(other.received_bytes(), setup_bytes, 20000);
}

void tst_serial_link::lost_during_setup_is_not_reported_connected()
{
    // The adapter vanishes on the first "S6": the set-up must not go on to
    // report a connection over a closed port.
    slcan_adapter sim;
    QObject::connect(&sim, &slcan_adapter::line_received, &sim, [&](const QByteArray &) { sim.hang_up(); },
                     Qt::QueuedConnection);
    link_stand_in link;
    link.request_connection(sim.port_path());
    QTRY_COMPARE_WITH_TIMEOUT(link.disconnected_count, 1, 20000);
    // Whatever the timing, the last word is "disconnected" and the port is shut.
    QTRY_VERIFY_WITH_TIMEOUT(!link.port_open_now(), 20000);
    link.port_open_now();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(link.events.last(), QString("disconnected"));
    QVERIFY(link.connected_count <= link.disconnected_count);
}

void tst_serial_link::settings_applied_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("data_bits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stop_bits");
    QTest::addColumn<int>("flow");

    QTest::newRow("adapter defaults") << 115200 << 8 << 0 << 1 << 0;
    QTest::newRow("mini-USB rate") << 57600 << 8 << 0 << 1 << 0;
    QTest::newRow("parity is never applied") << 9600 << 7 << int(QSerialPort::EvenParity) << 2
                                             << int(QSerialPort::HardwareControl);
}

void tst_serial_link::settings_applied()
{
    QFETCH(int, baud);
    QFETCH(int, data_bits);
    QFETCH(int, parity);
    QFETCH(int, stop_bits);
    QFETCH(int, flow);

    link_stand_in link;
    link.conf = {"/dev/ttyLUMA_not_opened", baud, data_bits, parity, stop_bits, flow};
    emit link.sig_serial_conf(link.conf);
    struct seen
    {
        QString name;
        qint32 in = 0, out = 0;
        int data = 0, par = -1, stop = 0, flow = 0;
    };
    const seen s = link.on_serial_thread([&] {
        const QSerialPort &p = link.serial->port;
        return seen{p.portName(), p.baudRate(QSerialPort::Input), p.baudRate(QSerialPort::Output),
                    int(p.dataBits()), int(p.parity()), int(p.stopBits()), int(p.flowControl())};
    });
    QCOMPARE(s.name, QString("ttyLUMA_not_opened"));
    QCOMPARE(s.in, baud);
    QCOMPARE(s.out, baud);
    QCOMPARE(s.data, data_bits);
    QCOMPARE(s.par, int(QSerialPort::NoParity));
    QCOMPARE(s.stop, stop_bits);
    QCOMPARE(s.flow, flow);
}

void tst_serial_link::settings_cross_as_copy()
{
    // The main window may refill its settings for the next attempt before the
    // serial thread has applied the last ones.
    slcan_adapter sim;
    link_stand_in link;
    link.conf = {sim.port_path(), 115200, 8, 0, 1, 0};
    // Hold the serial thread until the settings have been refilled.
    QSemaphore refilled;
    QMetaObject::invokeMethod(link.serial, [&] { refilled.acquire(); }, Qt::QueuedConnection);
    emit link.sig_serial_conf(link.conf);
    emit link.sig_connect_serial();
    link.conf.port_name = "/nonexistent/ttyLUMA1";
    link.conf.baud_rate = 1200;
    refilled.release();
    QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 1, 20000);
    QCOMPARE(link.on_serial_thread([&] { return link.serial->port.baudRate(); }), 115200);
}

void tst_serial_link::debug_texts()
{
    log_capture log;
    {
        slcan_adapter sim;
        link_stand_in link;
        link.request_connection(sim.port_path());
        QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 1, 20000);
        link.request_disconnection();
        QTRY_COMPARE_WITH_TIMEOUT(link.disconnected_count, 1, 20000);
        link.request_connection("/nonexistent/ttyLUMA2");
        QTRY_COMPARE_WITH_TIMEOUT(link.disconnected_count, 2, 20000);
    }
    QCOMPARE(log.messages(), QStringList({"start serial thread", "serial port is opened SUCCESSFULLY",
                                          "serial port DISONNECTED by user", "serial port open FAILED",
                                          "serial thread finishing"}));
}

QTEST_GUILESS_MAIN(tst_serial_link)
#include "tst_serial_link.moc"
