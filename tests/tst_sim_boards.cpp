#include <QtTest>

#include <set>

#include "sim/demo_boards.h"
#include "sim/sim_board.h"
#include "sim/sim_bus.h"

// The simulated boards are the yardstick of the polling and end-to-end
// tests, so their replies are checked here byte by byte against the
// catalogue's layout, written out by hand.
class tst_sim_boards : public QObject
{
    Q_OBJECT
private slots:
    void reply_layout_data();
    void reply_layout();
    void set_then_read_data();
    void set_then_read();
    void every_listed_code_is_answered_data();
    void every_listed_code_is_answered();
    void ignores_what_its_family_does_not_know();
    void faults_silence_and_out_of_range();
    void counts_frames_that_break_the_layout();
    void routes_by_identifier();
    void direct_mode_takes_every_frame();
    void rejects_malformed_lines();
    void old_units_board_data();
    void old_units_board();
    void old_units_only_on_types_8_and_14();
    void live_readings_data();
    void live_readings();
    void live_temperature_settles_data();
    void live_temperature_settles();
    void demo_bench();
};

static QByteArray request(int id, uint8_t code)
{
    return QByteArray("t") + QByteArray::number(id, 16).rightJustified(3, '0').toUpper() + "8"
           + QByteArray::number(code, 16).toUpper() + "00000000000000\r";
}

void tst_sim_boards::reply_layout_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("code");
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("reply");

    // Scaled values go in d4..d7, signed and big-endian.
    QTest::newRow("18 temperature -10.0 /10") << 18 << 0x12 << 0x92 << -10.0
        << QByteArray("t012892120000FFFFFF9C\r");
    QTest::newRow("18 current 12.34 /100") << 18 << 0x12 << 0x91 << 12.34
        << QByteArray("t012891120000000004D2\r");
    QTest::newRow("10 current 0.1234 /10000") << 10 << 3 << 0x91 << 0.1234
        << QByteArray("t003891030000000004D2\r");
    QTest::newRow("8 current limit 150 mA in tenths") << 8 << 5 << 0xA5 << 150.0
        << QByteArray("t0058A5050000000005DC\r");
    QTest::newRow("15 temperature max 35 in thousandths") << 15 << 1 << 0xB7 << 35.0
        << QByteArray("t0018B7010000000088B8\r");
    QTest::newRow("20 frequency raw") << 20 << 7 << 0x99 << 12500.0
        << QByteArray("t007899070000000030D4\r");
    QTest::newRow("21 pulse width /10") << 21 << 9 << 0xA3 << 12.5
        << QByteArray("t0098A30900000000007D\r");
    QTest::newRow("responsivity -0.125 rounds away from zero") << 7 << 2 << 0x97 << -0.125
        << QByteArray("t002897020000FFFFFFF3\r");
    // Flags, enumerations and the fault byte sit in d7 alone.
    QTest::newRow("device type") << 16 << 0x21 << 0xD0 << 0.0 << QByteArray("t0218D021000000000010\r");
    QTest::newRow("own address") << 6 << 0xFE << 0xD1 << 0.0 << QByteArray("t0FE8D1FE0000000000FE\r");
    QTest::newRow("output flag") << 11 << 4 << 0x90 << 1.0 << QByteArray("t00489004000000000001\r");
    QTest::newRow("fault byte") << 14 << 4 << 0xB0 << double(0x81) << QByteArray("t0048B004000000000081\r");
    QTest::newRow("pulsed mode byte") << 13 << 4 << 0xA4 << 2.0 << QByteArray("t0048A404000000000002\r");
}

void tst_sim_boards::reply_layout()
{
    QFETCH(int, type);
    QFETCH(int, address);
    QFETCH(int, code);
    QFETCH(double, value);
    QFETCH(QByteArray, reply);

    sim_bus bus;
    sim_board &b = bus.add_board(type, address);
    if (code != 0xD0 && code != 0xD1)
        b.set_value(uint8_t(code), value);
    QCOMPARE(bus.handle_frame_line(request(address, uint8_t(code))), reply);
}

void tst_sim_boards::set_then_read_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("command"); // d0..d7 in hex
    QTest::addColumn<int>("read_code");
    QTest::addColumn<double>("value");       // physical value the board then holds
    QTest::addColumn<int>("reply_integer");

    QTest::newRow("8 current 12.5 mA (tenths)") << 8 << QByteArray("110000000000007D") << 0x91 << 12.5 << 125;
    QTest::newRow("10 current 1.25 mA sent in hundredths, read in ten-thousandths")
        << 10 << QByteArray("110000000000007D") << 0x91 << 1.25 << 12500;
    QTest::newRow("8 temperature -5.3 (16-bit signed)") << 8 << QByteArray("120000000000FFCB") << 0x92 << -5.3 << -53;
    QTest::newRow("15 temperature -1.5 (32-bit ten-thousandths)")
        << 15 << QByteArray("12000000FFFFC568") << 0x92 << -1.5 << -15000;
    QTest::newRow("15 temperature min in thousandths") << 15 << QByteArray("3600000000003A98") << 0xB6 << 15.0 << 15000;
    QTest::newRow("14 current max 32-bit tenths") << 14 << QByteArray("25000000000007D0") << 0xA5 << 200.0 << 2000;
    QTest::newRow("11 output on (16-bit)") << 11 << QByteArray("1000000000000001") << 0x90 << 1.0 << 1;
    QTest::newRow("16 current 2.5 A") << 16 << QByteArray("11000000000000FA") << 0x91 << 2.5 << 250;
    QTest::newRow("16 frequency 32-bit integer") << 16 << QByteArray("19000000000186A0") << 0x99 << 100000.0 << 100000;
    QTest::newRow("16 pulse width integer") << 16 << QByteArray("2300000000000190") << 0xA3 << 400.0 << 400;
    QTest::newRow("18 current max 16-bit hundredths") << 18 << QByteArray("2500000000000578") << 0xA5 << 14.0 << 1400;
    QTest::newRow("18 mode") << 18 << QByteArray("2400000000000002") << 0xA4 << 2.0 << 2;
    QTest::newRow("7 voltage 12.3 V") << 7 << QByteArray("180000000000007B") << 0x98 << 12.3 << 123;
    QTest::newRow("6 frequency 16-bit 0x1170") << 6 << QByteArray("1900000000001170") << 0x99 << 4464.0 << 4464;
    QTest::newRow("21 frequency 32-bit") << 21 << QByteArray("19000000000030D4") << 0x99 << 12500.0 << 12500;
    QTest::newRow("21 pulse width tenths") << 21 << QByteArray("230000000000007D") << 0xA3 << 12.5 << 125;
    QTest::newRow("20 gated count") << 20 << QByteArray("3400000000000005") << 0xB4 << 5.0 << 5;
    QTest::newRow("20 emission on") << 20 << QByteArray("2200000000000001") << 0xA2 << 1.0 << 1;
    QTest::newRow("13 TEC off") << 13 << QByteArray("2100000000000000") << 0xA1 << 0.0 << 0;
    QTest::newRow("responsivity 36.59 truncated on the wire") << 20 << QByteArray("1700000000000E4B")
        << 0x97 << 36.59 << 3659;
}

void tst_sim_boards::set_then_read()
{
    QFETCH(int, type);
    QFETCH(QByteArray, command);
    QFETCH(int, read_code);
    QFETCH(double, value);
    QFETCH(int, reply_integer);

    sim_bus bus;
    sim_board &b = bus.add_board(type, 0x42);
    const QByteArray line = "t0428" + command + "\r";
    QCOMPARE(bus.handle_frame_line(line), QByteArray()); // commands get no reply
    QVERIFY(qAbs(b.value(uint8_t(read_code)) - value) < 1e-9);
    QCOMPARE(b.reply_integer(uint8_t(read_code)), reply_integer);
    QCOMPARE(b.protocol_errors(), 0);

    uint32_t id = 0;
    uint8_t d[8];
    QVERIFY(sim_bus::parse_frame(bus.handle_frame_line(request(0x42, uint8_t(read_code))), &id, d));
    QCOMPARE(int(d[0]), read_code);
    QCOMPARE(int(d[1]), 0x42);
    const int32_t got = int32_t((uint32_t(d[4]) << 24) | (uint32_t(d[5]) << 16) | (uint32_t(d[6]) << 8) | d[7]);
    QCOMPARE(got, reply_integer);
}

void tst_sim_boards::every_listed_code_is_answered_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("codes");

    const QByteArray cw = QByteArray::fromHex("D0D19695 97A5A6B7 B6B39091 A49294");
    const QByteArray ps = QByteArray::fromHex("D0D19695 97A5A6B7 B6A4A298 92B499B5");
    const QByteArray ns = ps + QByteArray::fromHex("A3");
    const QByteArray dcdc = QByteArray::fromHex("D0D19091 92B0A694");
    const QByteArray power = QByteArray::fromHex("D0D1A591 B0A49092 94A6");
    QTest::newRow("6") << 6 << ns;
    QTest::newRow("7") << 7 << ps;
    QTest::newRow("8") << 8 << cw;
    QTest::newRow("10") << 10 << cw;
    QTest::newRow("11") << 11 << dcdc;
    QTest::newRow("13") << 13 << ns;
    QTest::newRow("14") << 14 << cw + QByteArray::fromHex("B0");
    QTest::newRow("15") << 15 << cw + QByteArray::fromHex("B0");
    QTest::newRow("16") << 16 << dcdc + QByteArray::fromHex("A499A3");
    QTest::newRow("18") << 18 << power;
    QTest::newRow("20") << 20 << ps;
    QTest::newRow("21") << 21 << ns;
}

void tst_sim_boards::every_listed_code_is_answered()
{
    QFETCH(int, type);
    QFETCH(QByteArray, codes);

    sim_bus bus;
    bus.add_board(type, 9);
    for (char c : codes) {
        const uint8_t code = uint8_t(c);
        uint32_t id = 0;
        uint8_t d[8];
        const QByteArray reply = bus.handle_frame_line(request(9, code));
        QVERIFY2(sim_bus::parse_frame(reply, &id, d), qPrintable(QString::number(code, 16)));
        QCOMPARE(int(d[0]), int(code));
        QCOMPARE(int(d[1]), 9);
        QCOMPARE(int(d[2]) + int(d[3]), 0);
    }
}

void tst_sim_boards::ignores_what_its_family_does_not_know()
{
    sim_bus bus;
    bus.add_board(8, 1);   // no fault byte on type 8
    bus.add_board(7, 2);   // no pulse width on PS drivers
    bus.add_board(11, 3);  // no QCW on type 11
    bus.add_board(99, 4);  // unknown type: only type and address
    QCOMPARE(bus.handle_frame_line(request(1, 0xB0)), QByteArray());
    QCOMPARE(bus.handle_frame_line(request(2, 0xA3)), QByteArray());
    QCOMPARE(bus.handle_frame_line(request(3, 0x99)), QByteArray());
    QCOMPARE(bus.handle_frame_line(request(4, 0x91)), QByteArray());
    QCOMPARE(bus.handle_frame_line(request(4, 0xD0)), QByteArray("t0048D004000000000063\r"));
    QCOMPARE(bus.handle_frame_line(request(1, 0xEE)), QByteArray());
}

void tst_sim_boards::faults_silence_and_out_of_range()
{
    sim_bus bus;
    sim_board &b = bus.add_board(18, 0x12);
    b.set_faults(0x81);
    QCOMPARE(bus.handle_frame_line(request(0x12, 0xB0)), QByteArray("t0128B012000000000081\r"));
    bus.handle_frame_line("t01282900000000000000\r"); // clear faults
    QCOMPARE(b.value(0xB0), 0.0);

    b.set_raw_override(0x91, INT32_MIN);
    QCOMPARE(bus.handle_frame_line(request(0x12, 0x91)), QByteArray("t01289112000080000000\r"));
    b.set_value(0x92, 1e12); // saturates instead of wrapping
    QCOMPARE(b.reply_integer(0x92), INT32_MAX);
    b.clear_raw_overrides();
    QCOMPARE(b.reply_integer(0x91), 0);

    b.set_silent(true);
    QCOMPARE(bus.handle_frame_line(request(0x12, 0xD0)), QByteArray());
    QCOMPARE(b.received(0xD0), 1);
    bus.handle_frame_line("t01283300000000000000\r"); // store configuration, even while silent
    QCOMPARE(b.saved_configs(), 1);
}

void tst_sim_boards::counts_frames_that_break_the_layout()
{
    sim_bus bus;
    sim_board &b = bus.add_board(8, 3);
    bus.handle_frame_line("t003812000000FFFFFFCB\r"); // 16-bit value sign-extended into d4, d5
    QCOMPARE(b.protocol_errors(), 1);
    bus.handle_frame_line("t00389101000000000000\r"); // d1 of a request not 0
    QCOMPARE(b.protocol_errors(), 2);
    bus.handle_frame_line("t00382100000000010001\r"); // 8-bit value with d5 set
    QCOMPARE(b.protocol_errors(), 3);
    bus.handle_frame_line("t00382100000000000001\r");
    bus.handle_frame_line("t0038120000000000FFCB\r");
    QCOMPARE(b.protocol_errors(), 3);
    QCOMPARE(b.value(0x92), -5.3);
    QCOMPARE(bus.malformed_lines(), 0);
}

void tst_sim_boards::routes_by_identifier()
{
    sim_bus bus;
    sim_board &a = bus.add_board(8, 5);
    sim_board &c = bus.add_board(21, 7);
    QCOMPARE(bus.handle_frame_line(request(5, 0xD0)), QByteArray("t0058D005000000000008\r"));
    QCOMPARE(bus.handle_frame_line(request(7, 0xD0)), QByteArray("t0078D007000000000015\r"));
    QCOMPARE(bus.handle_frame_line(request(6, 0xD0)), QByteArray());
    // 250 reaches every board; both answer in board order.
    QCOMPARE(bus.handle_frame_line(request(250, 0xD1)),
             QByteArray("t0058D105000000000005\rt0078D107000000000007\r"));
    // A new address takes effect for the following frames; lower-case hex is read.
    bus.handle_frame_line("t0058510000000000000b\r");
    QCOMPARE(a.address(), 11);
    QCOMPARE(bus.handle_frame_line(request(5, 0xD0)), QByteArray());
    QCOMPARE(bus.handle_frame_line(request(11, 0xD1)), QByteArray("t00B8D10B00000000000B\r"));
    QCOMPARE(bus.board_at(7), &c);
}

void tst_sim_boards::direct_mode_takes_every_frame()
{
    sim_bus bus;
    bus.add_board(20, 9);
    bus.set_direct_mode(true);
    QCOMPARE(bus.handle_frame_line(request(0, 0xD0)), QByteArray("t0098D009000000000014\r"));
    QCOMPARE(bus.handle_frame_line(request(0x123, 0xD1)), QByteArray("t0098D109000000000009\r"));
}

void tst_sim_boards::rejects_malformed_lines()
{
    sim_bus bus;
    bus.add_board(8, 5);
    const QList<QByteArray> bad = {"T0058D000000000000000\r", "t0057D000000000000000\r",
                                   "t00G8D000000000000000\r", "t0058D00000000000000X\r",
                                   "t0058D0000000000000000", ""};
    for (const QByteArray &line : bad)
        QCOMPARE(bus.handle_frame_line(line), QByteArray());
    QCOMPARE(bus.malformed_lines(), bad.size());
    QCOMPARE(bus.frames_seen(), 0);
}

// An older CW board: current limits in hundredths, both ways, and no
// temperature limits at all.
void tst_sim_boards::old_units_board_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("8 current max 150 mA in hundredths") << 8 << 0xA5 << 150.0
        << QByteArray("t0058A505000000003A98\r");
    QTest::newRow("14 current min 12.5 mA in hundredths") << 14 << 0xA6 << 12.5
        << QByteArray("t0058A6050000000004E2\r");
    QTest::newRow("8 temperature max unanswered") << 8 << 0xB7 << 35.0 << QByteArray();
    QTest::newRow("14 temperature min unanswered") << 14 << 0xB6 << 15.0 << QByteArray();
    QTest::newRow("8 temperature in tenths as before") << 8 << 0x92 << 25.0
        << QByteArray("t005892050000000000FA\r");
}

void tst_sim_boards::old_units_board()
{
    QFETCH(int, type);
    QFETCH(int, code);
    QFETCH(double, value);
    QFETCH(QByteArray, reply);

    sim_bus bus;
    sim_board &b = bus.add_board(type, 5);
    QVERIFY(b.set_old_units(true));
    b.set_value(uint8_t(code), value);
    QCOMPARE(bus.handle_frame_line(request(5, uint8_t(code))), reply);
}

void tst_sim_boards::old_units_only_on_types_8_and_14()
{
    sim_bus bus;
    sim_board &old = bus.add_board(14, 5);
    QVERIFY(old.set_old_units(true));
    // A limit set in hundredths comes back in hundredths; temperature limits are not kept.
    bus.handle_frame_line("t00582500000000004E20\r"); // 200.00 mA
    QCOMPARE(old.value(0xA5), 200.0);
    bus.handle_frame_line("t00583700000000000190\r"); // 40.0 in tenths on a newer board
    QCOMPARE(old.value(0xB7), 35.0);
    QCOMPARE(old.protocol_errors(), 0);

    for (int type : {10, 15, 11, 18, 21}) {
        sim_board &b = bus.add_board(type, 6);
        QVERIFY(!b.set_old_units(true));
        QVERIFY(!b.old_units());
    }
    QVERIFY(bus.board_at(6)->answers(0xB7));
}

static int32_t reply_value(const QByteArray &line)
{
    uint32_t id = 0;
    uint8_t d[8];
    if (!sim_bus::parse_frame(line, &id, d))
        return INT32_MIN;
    return int32_t((uint32_t(d[4]) << 24) | (uint32_t(d[5]) << 16) | (uint32_t(d[6]) << 8) | d[7]);
}

// A live board reads like a board at work: the driven current follows its
// set point while the output is on and reads 0 while it is off, the CW
// power and the DC/DC and power output voltage follow that current; a
// pulsed board reports its voltage set point whatever the emission (the
// program hides it while off). A board that is not live reads what it holds.
void tst_sim_boards::live_readings_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("live");
    QTest::addColumn<QByteArray>("set_point"); // d0..d7 in hex, as the program sends it
    QTest::addColumn<bool>("output_on");       // then sent with 0x10 (0x22 on the pulsed types)
    QTest::addColumn<int>("read_code");
    QTest::addColumn<int>("reply_integer");

    QTest::newRow("8 on: current 120.4 mA") << 8 << true << QByteArray("11000000000004B4") << true << 0x91 << 1204;
    QTest::newRow("8 off: current 0") << 8 << true << QByteArray("11000000000004B4") << false << 0x91 << 0;
    QTest::newRow("8 on: power 0.4 mW/mA of it") << 8 << true << QByteArray("11000000000004B4") << true << 0x94
                                                 << 482;
    QTest::newRow("8 off: power 0") << 8 << true << QByteArray("11000000000004B4") << false << 0x94 << 0;
    QTest::newRow("8 not live, off: current as held") << 8 << false << QByteArray("11000000000004B4") << false
                                                      << 0x91 << 1204;
    QTest::newRow("15 on: 85.25 mA sent in hundredths, read in ten-thousandths")
        << 15 << true << QByteArray("110000000000214D") << true << 0x91 << 852500;
    QTest::newRow("15 off: current 0") << 15 << true << QByteArray("110000000000214D") << false << 0x91 << 0;
    QTest::newRow("11 on: current 8.2 A") << 11 << true << QByteArray("1100000000000334") << true << 0x91 << 820;
    QTest::newRow("11 on: output 2.5 ohm x 8.2 A") << 11 << true << QByteArray("1100000000000334") << true
                                                   << 0xA6 << 205;
    QTest::newRow("11 off: output 0") << 11 << true << QByteArray("1100000000000334") << false << 0xA6 << 0;
    QTest::newRow("11 on: input as held") << 11 << true << QByteArray("1100000000000334") << true << 0x94 << 480;
    QTest::newRow("16 on: current 10.5 A") << 16 << true << QByteArray("110000000000041A") << true << 0x91 << 1050;
    QTest::newRow("16 off: current 0") << 16 << true << QByteArray("110000000000041A") << false << 0x91 << 0;
    QTest::newRow("18 on: current 7 A") << 18 << true << QByteArray("11000000000002BC") << true << 0x91 << 700;
    QTest::newRow("18 on: output 1.8 ohm x 7 A") << 18 << true << QByteArray("11000000000002BC") << true << 0xA6
                                                 << 126;
    QTest::newRow("18 off: current 0") << 18 << true << QByteArray("11000000000002BC") << false << 0x91 << 0;
    QTest::newRow("20 on: voltage 12 V") << 20 << true << QByteArray("1800000000000078") << true << 0x98 << 120;
    QTest::newRow("20 off: voltage set point still") << 20 << true << QByteArray("1800000000000078") << false
                                                     << 0x98 << 120;
    QTest::newRow("6 on: voltage 18.5 V") << 6 << true << QByteArray("18000000000000B9") << true << 0x98 << 185;
}

void tst_sim_boards::live_readings()
{
    QFETCH(int, type);
    QFETCH(bool, live);
    QFETCH(QByteArray, set_point);
    QFETCH(bool, output_on);
    QFETCH(int, read_code);
    QFETCH(int, reply_integer);

    sim_bus bus;
    sim_board &b = bus.add_board(type, 0x42);
    b.set_live(live);
    QCOMPARE(b.live(), live);
    const QByteArray output = b.answers(0xA2) ? "22" : "10";
    // Output on first, then the set point, then the output as the row wants it.
    bus.handle_frame_line("t0428" + output + "00000000000001\r");
    bus.handle_frame_line("t0428" + set_point + "\r");
    bus.handle_frame_line("t0428" + output + (output_on ? "00000000000001\r" : "00000000000000\r"));
    QCOMPARE(b.protocol_errors(), 0);
    QCOMPARE(reply_value(bus.handle_frame_line(request(0x42, uint8_t(read_code)))), reply_integer);
    QCOMPARE(b.reply_integer(uint8_t(read_code)), reply_integer);
}

// On a live board the temperature read moves toward a new set point at
// every request, never past it, and reaches it; the set point itself is
// held at once. A board that is not live reads the set point at once.
void tst_sim_boards::live_temperature_settles_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("set_point"); // d0..d7 in hex
    QTest::addColumn<int>("start");            // reply integers: before,
    QTest::addColumn<int>("target");           // and once settled
    QTest::addColumn<double>("held");

    QTest::newRow("8 25.0 to 30.0 (tenths)") << 8 << QByteArray("120000000000012C") << 250 << 300 << 30.0;
    QTest::newRow("15 25.125 to 20.0 (ten-thousandths)") << 15 << QByteArray("1200000000030D40") << 251250
                                                          << 200000 << 20.0;
    QTest::newRow("21 25.0 to -5.0") << 21 << QByteArray("120000000000FFCE") << 250 << -50 << -5.0;
}

void tst_sim_boards::live_temperature_settles()
{
    QFETCH(int, type);
    QFETCH(QByteArray, set_point);
    QFETCH(int, start);
    QFETCH(int, target);
    QFETCH(double, held);

    sim_bus bus;
    sim_board &b = bus.add_board(type, 0x42);
    bus.add_board(type, 0x43); // not live
    b.set_live(true);
    QCOMPARE(reply_value(bus.handle_frame_line(request(0x42, 0x92))), start);
    bus.handle_frame_line("t0428" + set_point + "\r");
    bus.handle_frame_line("t0438" + set_point + "\r");
    QCOMPARE(b.value(0x92), held);
    QCOMPARE(reply_value(bus.handle_frame_line(request(0x43, 0x92))), target);

    // Asking for the reply integer is no request: the read does not move.
    QCOMPARE(b.reply_integer(0x92), start);
    int last = start;
    int reads = 0;
    while (last != target && reads < 100) {
        const int now = reply_value(bus.handle_frame_line(request(0x42, 0x92)));
        ++reads;
        // Never back, never past; the first read after the change on its way.
        const bool toward = target > start ? (now >= last && now <= target) : (now <= last && now >= target);
        QVERIFY2(toward && (reads > 1 || (now != target && now != start)),
                 qPrintable(QString("read %1: %2 after %3, toward %4").arg(reads).arg(now).arg(last).arg(target)));
        last = now;
    }
    QCOMPARE(last, target);
    // Some passes of the program, not one and not dozens.
    QVERIFY2(reads >= 3 && reads <= 25, qPrintable(QString::number(reads)));
}

// The demonstration bench: one board of every driver family per channel,
// at the channel's address, named, live, and reading what a working board
// reads (the README's pictures are drawn from it).
void tst_sim_boards::demo_bench()
{
    int count = 0;
    const demo_board *boards = demo_boards(&count);
    QCOMPARE(count, 10);
    sim_bus bus;
    std::set<QString> names;
    std::set<int> types;
    for (int i = 0; i < count; ++i) {
        const demo_board &d = boards[i];
        QCOMPARE(d.address, i + 1);
        QVERIFY(d.name && *d.name);
        names.insert(QString::fromLatin1(d.name));
        types.insert(d.type);
        add_demo_board(bus, d);
    }
    QCOMPARE(int(names.size()), count);
    QCOMPARE(types, (std::set<int>{6, 7, 8, 11, 13, 15, 16, 18, 20, 21}));

    for (int i = 0; i < count; ++i) {
        const demo_board &d = boards[i];
        const QString what = QString("%1 (type %2)").arg(d.name).arg(d.type);
        sim_board *b = bus.board_at(d.address);
        QVERIFY2(b && b->live(), qPrintable(what));
        QCOMPARE(reply_value(bus.handle_frame_line(request(d.address, 0xD0))) & 0xFF, d.type);
        const bool pulsed = b->answers(0xA2);
        QCOMPARE(b->value(pulsed ? 0xA2 : 0x90), d.output_on ? 1.0 : 0.0);
        // The driven quantity: a pulsed board's voltage, the others' current.
        const int32_t driven = reply_value(bus.handle_frame_line(request(d.address, pulsed ? 0x98 : 0x91)));
        QVERIFY2(pulsed || d.output_on ? driven > 0 : driven == 0, qPrintable(what));
        if (b->answers(0xA6) && !b->answers(0x95)) {
            // A DC/DC or power board's output stays below 80 % of its input:
            // the demo starts with no warning.
            const double out = reply_value(bus.handle_frame_line(request(d.address, 0xA6)));
            const double in = reply_value(bus.handle_frame_line(request(d.address, 0x94)));
            QVERIFY2(in > 0 && out < 0.8 * in, qPrintable(what));
        }
        QCOMPARE(b->protocol_errors(), 0);
    }

    sim_bus mini;
    add_demo_board(mini, demo_mini_board());
    mini.set_direct_mode(true);
    QCOMPARE(reply_value(mini.handle_frame_line(request(1, 0xD0))) & 0xFF, demo_mini_board().type);
    QVERIFY(mini.board(0)->live());
}

QTEST_GUILESS_MAIN(tst_sim_boards)
#include "tst_sim_boards.moc"
