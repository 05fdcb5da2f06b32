// The receive parser on its own: cutting text into frames, what is dropped,
// what waits, and the bound on what is kept.
#include <QtTest>

#include "comm/driver_data.h"
#include "comm/slcan_receiver.h"

namespace {

QString describe(const serial_message_struct &m)
{
    QString s = QString::asprintf("%03X:", m.can_id);
    for (uint32_t d : m.data)
        s += QString::asprintf("%02X", d);
    return s;
}

QByteArray frame(int id, const QByteArray &data8)
{
    uint8_t buf[22];
    uint32_t len = 0;
    const auto d = reinterpret_cast<const uint8_t *>(data8.constData());
    driver_data::encode_frame(id, d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7], buf, &len);
    return QByteArray(reinterpret_cast<const char *>(buf), int(len));
}

// A frame whose data carry its sequence number in d4..d7.
QByteArray numbered_frame(uint32_t n)
{
    QByteArray d(8, '\0');
    d[0] = char(0x91);
    d[1] = char(n & 0xFF);
    d[4] = char(n >> 24);
    d[5] = char(n >> 16);
    d[6] = char(n >> 8);
    d[7] = char(n);
    return frame(int(n & 0xFF), d);
}

} // namespace

class tst_slcan_receive : public QObject
{
    Q_OBJECT
private slots:
    void cuts_reads_data();
    void cuts_reads();
    void malformed_text_never_carries_old_values();
    void burst_in_one_read();
    void leftover_bound_data();
    void leftover_bound();
    void frames_before_purge_are_kept();
    void one_pass_over_large_read();
};

void tst_slcan_receive::cuts_reads_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QByteArray>("leftover");

    const QByteArray a = "t0058D0000000000000A1\r";
    const QByteArray b = "t0FF891050000123456FF\r";
    const QStringList ab = {"005:D0000000000000A1", "0FF:91050000123456FF"};

    QTest::newRow("one frame") << QByteArrayList{a} << QStringList{ab[0]} << QByteArray();
    QTest::newRow("two frames in one read") << QByteArrayList{a + b} << ab << QByteArray();
    for (int cut : {1, 4, 5, 12, 20, 21}) {
        QTest::addRow("frame split after %d bytes", cut)
            << QByteArrayList{a.left(cut), a.mid(cut) + b} << ab << QByteArray();
    }
    QTest::newRow("frame split over three reads")
        << QByteArrayList{a.left(3), a.mid(3, 10), a.mid(13)} << QStringList{ab[0]} << QByteArray();
    QTest::newRow("unfinished frame waits") << QByteArrayList{a + b.left(15)} << QStringList{ab[0]}
                                            << b.left(15);
    QTest::newRow("30 bytes before a t are discarded")
        << QByteArrayList{QByteArray("\r\rzz\r\aABCDEF0123456789\r\r\r\rzzz\r") + a} << QStringList{ab[0]}
        << QByteArray();
    QTest::newRow("adapter answers between frames")
        << QByteArrayList{"\r\r\r\r\r\r" + a + "z\r" + b + "z\r"} << ab << QByteArray("z\r");
    QTest::newRow("bytes without t wait, then go with the next t")
        << QByteArrayList{a + "z\r\a", "\r", b} << ab << QByteArray();
    QTest::newRow("tail without t stays") << QByteArrayList{a + "\r\az\r"} << QStringList{ab[0]}
                                          << QByteArray("\r\az\r");
    QTest::newRow("lower-case digits read as upper-case")
        << QByteArrayList{"t0ff891050000123456ff\r", "t0FF891050000123456FF\r"}
        << QStringList{ab[1], ab[1]} << QByteArray();
    QTest::newRow("mixed-case identifier") << QByteArrayList{"t7aB8aAbBcCdDeEfF0099\r"}
                                           << QStringList{"7AB:AABBCCDDEEFF0099"} << QByteArray();
    QTest::newRow("length digit 7 is dropped") << QByteArrayList{"t0057D000000000000000\r" + b}
                                               << QStringList{ab[1]} << QByteArray();
    QTest::newRow("short frame is dropped") << QByteArrayList{"t0058D0\r" + b} << QStringList{ab[1]}
                                            << QByteArray();
    QTest::newRow("too long frame is dropped") << QByteArrayList{"t0058D000000000000000AA\r" + b}
                                               << QStringList{ab[1]} << QByteArray();
    QTest::newRow("non-hex digit is dropped") << QByteArrayList{"t0058D00000000G0000000\r" + b}
                                              << QStringList{ab[1]} << QByteArray();
    QTest::newRow("non-hex identifier is dropped") << QByteArrayList{"tx058D000000000000000\r" + b}
                                                   << QStringList{ab[1]} << QByteArray();
    QTest::newRow("space inside is dropped") << QByteArrayList{"t005 8D00000000000000\r" + b}
                                             << QStringList{ab[1]} << QByteArray();
    QTest::newRow("bare t and CR is dropped") << QByteArrayList{"t\r" + a} << QStringList{ab[0]}
                                              << QByteArray();
    QTest::newRow("extended frame letter T is not a frame")
        << QByteArrayList{"T000000058D000000000000000\r" + a} << QStringList{ab[0]} << QByteArray();
    QTest::newRow("stray t before a frame spoils only that text")
        << QByteArrayList{"xt" + a + b} << QStringList{ab[1]} << QByteArray();
    QTest::newRow("empty reads change nothing") << QByteArrayList{"", a, ""} << QStringList{ab[0]}
                                                << QByteArray();
}

void tst_slcan_receive::cuts_reads()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(QStringList, frames);
    QFETCH(QByteArray, leftover);

    slcan_receiver rx;
    QStringList got;
    for (const QByteArray &r : reads) {
        const auto res = rx.feed(r.constData(), r.size(), [&](const serial_message_struct &m) {
            got << describe(m);
        });
        QVERIFY(!res.purged);
    }
    QCOMPARE(got, frames);
    QCOMPARE(rx.rx_buffer, leftover);
}

void tst_slcan_receive::malformed_text_never_carries_old_values()
{
    slcan_receiver rx;
    int handed = 0;
    const QByteArray good = "t0058D0000000000000A1\r";
    rx.feed(good.constData(), good.size(), [&](const serial_message_struct &) { ++handed; });
    QCOMPARE(handed, 1);
    // A reply whose value digits were lost on the line: handing it on would
    // deliver "D0 ... A1" a second time with a fresh code.
    const QByteArray broken = "t0059A\r";
    const auto res = rx.feed(broken.constData(), broken.size(), [&](const serial_message_struct &) { ++handed; });
    QCOMPARE(handed, 1);
    QCOMPARE(res.dropped, 1);
    QCOMPARE(describe(rx.rx_message), QString("005:D0000000000000A1"));
}

void tst_slcan_receive::burst_in_one_read()
{
    const uint32_t n = 20000;
    QByteArray read;
    for (uint32_t i = 0; i < n; ++i)
        read += numbered_frame(i) + (i % 3 ? "z\r" : "");
    slcan_receiver rx;
    uint32_t next = 0;
    bool in_order = true;
    const auto res = rx.feed(read.constData(), read.size(), [&](const serial_message_struct &m) {
        const uint32_t v = m.data[4] << 24 | m.data[5] << 16 | m.data[6] << 8 | m.data[7];
        in_order = in_order && v == next && m.data[1] == (next & 0xFF) && m.can_id == (next & 0xFF);
        ++next;
    });
    QVERIFY(in_order);
    QCOMPARE(next, n);
    QCOMPARE(res.frames, int(n));
    QVERIFY(!res.purged);
    QVERIFY(rx.rx_buffer.size() <= slcan_receiver::max_leftover);
}

void tst_slcan_receive::leftover_bound_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<int>("leftover");
    QTest::addColumn<bool>("purged"); // by the last read

    const QByteArray z1000(1000, 'z');
    QTest::newRow("1000 bytes without t are kept") << QByteArrayList{z1000} << 1000 << false;
    QTest::newRow("1001 bytes without t are purged") << QByteArrayList{z1000 + "z"} << 0 << true;
    QTest::newRow("the 1001st byte in a later read purges") << QByteArrayList{z1000, "\r"} << 0 << true;
    QTest::newRow("many small reads stay bounded")
        << QByteArrayList{QByteArray(600, '\r'), QByteArray(400, '\a'), QByteArray(1, 'z')} << 0 << true;
    QTest::newRow("unfinished frame of 1000 bytes is kept") << QByteArrayList{"t" + QByteArray(999, '0')} << 1000
                                                            << false;
    QTest::newRow("unfinished frame of 1001 bytes is purged")
        << QByteArrayList{"t" + QByteArray(999, '0'), "0"} << 0 << true;
    QTest::newRow("garbage before a t does not count")
        << QByteArrayList{QByteArray(5000, 'z') + "t0058D0"} << 7 << false;
}

void tst_slcan_receive::leftover_bound()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(int, leftover);
    QFETCH(bool, purged);

    slcan_receiver rx;
    slcan_receiver::result res;
    for (const QByteArray &r : reads) {
        res = rx.feed(r.constData(), r.size(), [](const serial_message_struct &) {});
        QVERIFY(rx.rx_buffer.size() <= slcan_receiver::max_leftover);
    }
    QCOMPARE(rx.rx_buffer.size(), leftover);
    QCOMPARE(res.purged, purged);
}

void tst_slcan_receive::frames_before_purge_are_kept()
{
    // However large the read, its complete frames are used; only the
    // useless tail is thrown away.
    QByteArray read;
    for (uint32_t i = 0; i < 200; ++i)
        read += numbered_frame(i);
    read += "t" + QByteArray(1500, '5');
    slcan_receiver rx;
    int handed = 0;
    const auto res = rx.feed(read.constData(), read.size(), [&](const serial_message_struct &) { ++handed; });
    QCOMPARE(handed, 200);
    QVERIFY(res.purged);
    QVERIFY(rx.rx_buffer.isEmpty());

    // And the next read starts clean.
    const QByteArray next = numbered_frame(7);
    rx.feed(next.constData(), next.size(), [&](const serial_message_struct &) { ++handed; });
    QCOMPARE(handed, 201);
}

void tst_slcan_receive::one_pass_over_large_read()
{
    // Frames are cut with an offset: the buffer handed back shares nothing
    // with per-frame copies, and the kept tail is only the unfinished frame.
    QByteArray read;
    for (uint32_t i = 0; i < 50000; ++i)
        read += numbered_frame(i);
    read += "t0058D";
    QByteArray buffer = read;
    serial_message_struct msg;
    int handed = 0;
    const auto res = slcan_receiver::parse(buffer, msg, [&](const serial_message_struct &) { ++handed; });
    QCOMPARE(handed, 50000);
    QCOMPARE(res.frames, 50000);
    QCOMPARE(buffer, QByteArray("t0058D"));
    QCOMPARE(describe(msg), describe([] {
                 slcan_receiver r;
                 const QByteArray f = numbered_frame(49999);
                 r.feed(f.constData(), f.size(), [](const serial_message_struct &) {});
                 return r.rx_message;
             }()));
}

QTEST_APPLESS_MAIN(tst_slcan_receive)
#include "tst_slcan_receive.moc"
