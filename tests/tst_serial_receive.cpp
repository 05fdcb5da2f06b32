// The receive path end to end: text written by the simulated line, read by
// the serial thread from a real pseudo-terminal, each frame arriving on the
// GUI thread as its own copy.
#include <QtTest>

#include <QSemaphore>
#include <atomic>

#include "sim/slcan_adapter.h"
#include "sim/slcan_adapter_thread.h"
#include "support/link_stand_in.h"
#include "support/pty_helpers.h"

namespace {

QString describe(const serial_message_struct &m)
{
    QString s = QString::asprintf("%03X:", m.can_id);
    for (uint32_t d : m.data)
        s += QString::asprintf("%02X", d);
    return s;
}

QStringList describe(const QList<serial_message_struct> &frames)
{
    QStringList out;
    for (const serial_message_struct &m : frames)
        out << describe(m);
    return out;
}

// A link connected in mini-USB mode to a line that answers nothing, so the
// only text arriving is what a test injects.
struct quiet_line
{
    slcan_adapter sim;
    link_stand_in link;

    bool connect()
    {
        sim.set_direct_mode(true);
        link.request_connection(sim.port_path(), true);
        return QTest::qWaitFor([&] { return link.connected_count == 1; }, 20000);
    }
};

} // namespace

class tst_serial_receive : public QObject
{
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
    void burst_all_handed_on();
    void leftover_bound_over_the_line();
    void purge_keeps_waiting_output();
    void copies_intact_while_parsing_goes_on();
    void reconnection_drops_old_partial_frame();
    void adapter_answers_are_skipped();
};

void tst_serial_receive::reads_data()
{
    // Each step is written on its own; the buffer is checked after each one,
    // so a split frame really is split across reads.
    QTest::addColumn<QByteArrayList>("steps");
    QTest::addColumn<QByteArrayList>("leftovers"); // rx_buffer after each step
    QTest::addColumn<QList<int>>("counts");         // frames handed on after each step
    QTest::addColumn<QStringList>("frames");

    const QByteArray a = "t0058D0000000000000A1\r";
    const QByteArray b = "t0FF891050000123456FF\r";
    const QString fa = "005:D0000000000000A1";
    const QString fb = "0FF:91050000123456FF";

    QTest::newRow("two frames in one read") << QByteArrayList{a + b} << QByteArrayList{""} << QList<int>{2}
                                            << QStringList{fa, fb};
    QTest::newRow("frame split across two reads")
        << QByteArrayList{a.left(9), a.mid(9)} << QByteArrayList{a.left(9), ""} << QList<int>{0, 1}
        << QStringList{fa};
    QTest::newRow("frame split across three reads")
        << QByteArrayList{a + b.left(1), b.mid(1, 10), b.mid(11)} << QByteArrayList{"t", b.left(11), ""}
        << QList<int>{1, 1, 2} << QStringList{fa, fb};
    QTest::newRow("30 bytes before a t")
        << QByteArrayList{QByteArray("\r\r\rABCDEFabcdef\r\r\r\r\rxyzXYZ\r\r\r") + a} << QByteArrayList{""}
        << QList<int>{1} << QStringList{fa};
    QTest::newRow("bytes without t wait for the next t")
        << QByteArrayList{a + "\r\a\r", b} << QByteArrayList{"\r\a\r", ""} << QList<int>{1, 2}
        << QStringList{fa, fb};
    QTest::newRow("lower-case digits") << QByteArrayList{"t0ff891050000123456ff\r"} << QByteArrayList{""}
                                       << QList<int>{1} << QStringList{fb};
    QTest::newRow("malformed frame is dropped, not repeated")
        << QByteArrayList{a, "t0059A\r", b} << QByteArrayList{"", "", ""} << QList<int>{1, 1, 2}
        << QStringList{fa, fb};
}

void tst_serial_receive::reads()
{
    QFETCH(QByteArrayList, steps);
    QFETCH(QByteArrayList, leftovers);
    QFETCH(QList<int>, counts);
    QFETCH(QStringList, frames);

    quiet_line line;
    QVERIFY(line.connect());
    for (int i = 0; i < steps.size(); ++i) {
        line.sim.inject(steps[i]);
        QVERIFY(wait_delivered(line.sim));
        QTRY_COMPARE_WITH_TIMEOUT(line.link.frames.size(), counts[i], 20000);
        QTRY_COMPARE_WITH_TIMEOUT(line.link.rx_buffer_now(), leftovers[i], 20000);
    }
    QCOMPARE(describe(line.link.frames), frames);
    QVERIFY(!line.link.frame_off_own_thread);
}

void tst_serial_receive::burst_all_handed_on()
{
    quiet_line line;
    QVERIFY(line.connect());
    const uint32_t n = 5000;
    QByteArray burst;
    for (uint32_t i = 0; i < n; ++i)
        burst += numbered_frame(i);
    line.sim.inject(burst); // 110 000 bytes in one write
    QTRY_COMPARE_WITH_TIMEOUT(line.link.frames.size(), int(n), 30000);
    for (uint32_t i = 0; i < n; ++i) {
        const serial_message_struct &m = line.link.frames[int(i)];
        QCOMPARE(sequence_of(m.data), i);
        QCOMPARE(m.data[1], i & 0xFF);
        QCOMPARE(m.can_id, i & 0xFF);
    }
    QVERIFY(line.link.rx_buffer_now().isEmpty());
}

void tst_serial_receive::leftover_bound_over_the_line()
{
    quiet_line line;
    QVERIFY(line.connect());

    line.sim.inject(QByteArray(1000, 'z'));
    QTRY_COMPARE_WITH_TIMEOUT(line.link.rx_buffer_now().size(), 1000, 20000);
    line.sim.inject("z");
    QTRY_COMPARE_WITH_TIMEOUT(line.link.rx_buffer_now().size(), 0, 20000);

    // Complete frames in a large read are never thrown away with the tail.
    QByteArray read;
    for (uint32_t i = 0; i < 300; ++i)
        read += numbered_frame(i);
    read += QByteArray(1500, '\a');
    line.sim.inject(read);
    QVERIFY(wait_delivered(line.sim));
    QTRY_COMPARE_WITH_TIMEOUT(line.link.frames.size(), 300, 20000);
    QVERIFY(line.link.rx_buffer_now().size() <= 1000);

    // The link still works afterwards.
    line.sim.inject(numbered_frame(300));
    QTRY_COMPARE_WITH_TIMEOUT(line.link.frames.size(), 301, 20000);
    QCOMPARE(sequence_of(line.link.frames.last().data), 300u);
}

void tst_serial_receive::purge_keeps_waiting_output()
{
    // A frame is written from inside the read that then purges (as a
    // switch-off could be); clearing the port's output would lose it.
    quiet_line line;
    QVERIFY(line.connect());
    const QByteArray off = slcan_frame(5, QByteArray::fromHex("1000000000000000"));
    bool written = false;
    QObject::connect(line.link.serial, &serial_object::sig_serial_rx_can_message, line.link.serial,
                     [&](serial_message_struct) {
                         if (!written) {
                             written = true;
                             line.link.serial->sl_write_to_port(off);
                         }
                     },
                     Qt::DirectConnection);
    line.sim.inject(numbered_frame(1) + QByteArray(1500, 'z'));
    QTRY_VERIFY_WITH_TIMEOUT(line.sim.received_lines().contains(off), 20000);
    QCOMPARE(line.link.frames.size(), 1);
}

void tst_serial_receive::copies_intact_while_parsing_goes_on()
{
    // The GUI thread is kept from handling any frame until the serial thread
    // has parsed all of them (overwriting rx_message each time); every frame
    // must still arrive with its own values.
    slcan_adapter_thread far_end;
    far_end.adapter()->set_direct_mode(true);
    const QString path = far_end.adapter()->port_path();
    far_end.start();

    link_stand_in link;
    link.request_connection(path, true);
    QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 1, 20000);

    const int n = 3000;
    std::atomic<int> parsed{0};
    QSemaphore all_parsed;
    QObject::connect(link.serial, &serial_object::sig_serial_rx_can_message, link.serial,
                     [&](serial_message_struct) {
                         if (++parsed == n)
                             all_parsed.release();
                     },
                     Qt::DirectConnection);
    QByteArray burst;
    for (int i = 0; i < n; ++i)
        burst += numbered_frame(uint32_t(i)) + (i % 7 == 0 ? "z\r" : "");
    far_end.adapter()->inject(burst);

    QVERIFY(all_parsed.tryAcquire(1, 60000)); // blocks this thread: nothing handled yet
    QCOMPARE(link.frames.size(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(link.frames.size(), n, 30000);
    for (int i = 0; i < n; ++i)
        QCOMPARE(sequence_of(link.frames[i].data), uint32_t(i));
    QVERIFY(!link.frame_off_own_thread);
}

void tst_serial_receive::reconnection_drops_old_partial_frame()
{
    quiet_line line;
    QVERIFY(line.connect());
    line.sim.inject("t0058D00");
    QTRY_COMPARE_WITH_TIMEOUT(line.link.rx_buffer_now(), QByteArray("t0058D00"), 20000);
    line.link.request_disconnection();
    QTRY_COMPARE_WITH_TIMEOUT(line.link.disconnected_count, 1, 20000);
    line.link.request_connection(line.sim.port_path(), true);
    QTRY_COMPARE_WITH_TIMEOUT(line.link.connected_count, 2, 20000);
    QVERIFY(line.link.rx_buffer_now().isEmpty());
    // Glued to the old half, this frame would be lost.
    line.sim.inject("t0FF891050000123456FF\r");
    QTRY_COMPARE_WITH_TIMEOUT(line.link.frames.size(), 1, 20000);
    QCOMPARE(describe(line.link.frames[0]), QString("0FF:91050000123456FF"));
}

void tst_serial_receive::adapter_answers_are_skipped()
{
    // With the adapter in front: its CR and "z\r" answers share the line
    // with the boards' replies and never reach the GUI as frames.
    slcan_adapter sim;
    const QByteArray reply = "t0078D00700000000000E\r";
    sim.set_frame_handler([&](const QByteArray &) { return reply; });
    link_stand_in link;
    link.request_connection(sim.port_path());
    QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 1, 20000);
    link.write(slcan_frame(7, QByteArray::fromHex("d000000000000000")));
    link.write(slcan_frame(7, QByteArray::fromHex("d100000000000000")));
    QTRY_COMPARE_WITH_TIMEOUT(link.frames.size(), 2, 20000);
    QCOMPARE(describe(link.frames), QStringList({"007:D00700000000000E", "007:D00700000000000E"}));
}

QTEST_GUILESS_MAIN(tst_serial_receive)
#include "tst_serial_receive.moc"
