#include <QtTest>

#include "comm/driver_data.h"

class tst_frame_encode : public QObject
{
    Q_OBJECT
private slots:
    void encodes_data();
    void encodes();
};

void tst_frame_encode::encodes_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("device type request to 5")
        << 5 << QByteArray::fromHex("d000000000000000") << QByteArray("t0058D000000000000000\r");
    QTest::newRow("current request to 255")
        << 255 << QByteArray::fromHex("9100000000000000") << QByteArray("t0FF89100000000000000\r");
    QTest::newRow("every nibble, upper case")
        << 0x123 << QByteArray::fromHex("0123456789abcdef") << QByteArray("t12380123456789ABCDEF\r");
    QTest::newRow("identifier above 0xFFF loses its high bits")
        << 0x1ABC << QByteArray::fromHex("ffffffffffffffff") << QByteArray("tABC8FFFFFFFFFFFFFFFF\r");
    QTest::newRow("negative identifier keeps bits 11..0")
        << -1 << QByteArray::fromHex("0000000000000000") << QByteArray("tFFF80000000000000000\r");
    QTest::newRow("address 0")
        << 0 << QByteArray::fromHex("10000000000000ff") << QByteArray("t000810000000000000FF\r");
}

void tst_frame_encode::encodes()
{
    QFETCH(int, id);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, frame);

    uint8_t buf[32];
    memset(buf, 0xAA, sizeof buf);
    uint32_t len = 0;
    const auto d = reinterpret_cast<const uint8_t *>(data.constData());
    QCOMPARE(driver_data::encode_frame(id, d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7], buf, &len), 0);
    QCOMPARE(len, 22u);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(buf), 22), frame);
    QCOMPARE(buf[22], uint8_t(0xAA)); // no terminating zero, nothing past the frame
}

QTEST_APPLESS_MAIN(tst_frame_encode)
#include "tst_frame_encode.moc"
