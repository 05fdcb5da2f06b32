// The simulated adapter that the serial tests and the bench stand on: its
// answers, its two modes, its log, injection and hang-up, seen from a plain
// QSerialPort on the other end of the pseudo-terminal.
#include <QtTest>

#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>

#include "sim/slcan_adapter.h"

namespace {

const QByteArray frame_a = "t0058D000000000000000\r";
const QByteArray reply_a = "t0058D00500000000000E\r";

struct client
{
    QSerialPort port;
    QByteArray got;

    bool open(const QString &path)
    {
        port.setPortName(path);
        if (!port.open(QIODevice::ReadWrite))
            return false;
        QObject::connect(&port, &QSerialPort::readyRead, [this] { got += port.readAll(); });
        return true;
    }
    void send(const QByteArray &b)
    {
        port.write(b);
        port.flush();
    }
};

} // namespace

class tst_slcan_adapter : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<QSerialPort::SerialPortError>("QSerialPort::SerialPortError"); }
    void answers_data();
    void answers();
    void log_is_timestamped_in_order();
    void inject_reaches_the_line();
    void hang_up_is_seen_by_the_device();
    void reopening_the_device_is_fine();
    void program_answers_data();
    void program_answers();
    void program_refuses_bad_boards_data();
    void program_refuses_bad_boards();
};

static QString sim_program()
{
    return QCoreApplication::applicationDirPath() + "/../lumatrex_sim";
}

void tst_slcan_adapter::answers_data()
{
    QTest::addColumn<bool>("direct");
    QTest::addColumn<bool>("with_boards");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArrayList>("to_boards");

    QTest::newRow("set-up is answered with CR")
        << false << false << QByteArray("S6\rS6\rS6\rO\rO\rO\r") << QByteArray("\r\r\r\r\r\r") << QByteArrayList{};
    QTest::newRow("close is answered with CR") << false << false << QByteArray("O\rC\r") << QByteArray("\r\r")
                                               << QByteArrayList{};
    QTest::newRow("frame on a closed channel gets BEL")
        << false << true << frame_a << QByteArray("\a") << QByteArrayList{};
    QTest::newRow("frame after close gets BEL")
        << false << true << QByteArray("O\rC\r") + frame_a << QByteArray("\r\r\a") << QByteArrayList{};
    QTest::newRow("frame on an open channel: z, then the boards")
        << false << true << QByteArray("O\r") + frame_a << QByteArray("\rz\r") + reply_a
        << QByteArrayList{frame_a};
    QTest::newRow("open channel without boards: z only")
        << false << false << QByteArray("O\r") + frame_a << QByteArray("\rz\r") << QByteArrayList{};
    QTest::newRow("unknown command gets BEL") << false << false << QByteArray("V\r") << QByteArray("\a")
                                              << QByteArrayList{};
    QTest::newRow("direct: adapter commands get nothing, frames go to the board")
        << true << true << QByteArray("S6\rO\r") + frame_a + "C\r" << reply_a << QByteArrayList{frame_a};
    QTest::newRow("direct: frame split over two writes")
        << true << true << frame_a.left(10) + "|" + frame_a.mid(10) << reply_a << QByteArrayList{frame_a};
}

void tst_slcan_adapter::answers()
{
    QFETCH(bool, direct);
    QFETCH(bool, with_boards);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArrayList, to_boards);

    slcan_adapter sim;
    QVERIFY(sim.is_ok());
    sim.set_direct_mode(direct);
    QByteArrayList seen_by_boards;
    if (with_boards) {
        sim.set_frame_handler([&](const QByteArray &line) {
            seen_by_boards << line;
            return reply_a;
        });
    }
    client c;
    QVERIFY(c.open(sim.port_path()));
    const int lines = sent.count('\r');
    for (const QByteArray &part : sent.split('|'))
        c.send(part);
    QTRY_COMPARE_WITH_TIMEOUT(sim.received_lines().size(), lines, 20000);
    if (!answer.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(c.got, answer, 20000);
    QCOMPARE(seen_by_boards, to_boards);
    // Nothing more comes after the expected answer.
    QByteArray extra = "S6\r";
    c.send(extra);
    QTRY_COMPARE_WITH_TIMEOUT(sim.received_lines().size(), lines + 1, 20000);
    if (!direct)
        QTRY_COMPARE_WITH_TIMEOUT(c.got, answer + "\r", 20000);
    else
        QCOMPARE(c.got, answer);
    QCOMPARE(sim.received_bytes(), QByteArray(sent).replace("|", "") + extra);
}

void tst_slcan_adapter::log_is_timestamped_in_order()
{
    slcan_adapter sim;
    client c;
    QVERIFY(c.open(sim.port_path()));
    const QByteArrayList sent = {"S6\r", "O\r", frame_a, "C\r"};
    for (int i = 0; i < sent.size(); ++i) {
        c.send(sent[i]);
        QTRY_COMPARE_WITH_TIMEOUT(sim.received_lines().size(), i + 1, 20000);
    }
    const auto log = sim.log();
    QCOMPARE(log.size(), 4);
    for (int i = 1; i < log.size(); ++i)
        QVERIFY(log[i].usecs >= log[i - 1].usecs);
    QCOMPARE(sim.received_lines(), sent);
    sim.clear_log();
    QVERIFY(sim.log().isEmpty());
    QVERIFY(sim.received_bytes().isEmpty());
}

void tst_slcan_adapter::inject_reaches_the_line()
{
    slcan_adapter sim;
    client c;
    QVERIFY(c.open(sim.port_path()));
    QByteArray burst;
    for (int i = 0; i < 20000; ++i)
        burst += (i % 2 ? "t0ff891050000123456ff\r" : "garbage\a");
    sim.inject(burst); // larger than the line buffers: queued and written on demand
    QTRY_COMPARE_WITH_TIMEOUT(c.got.size(), burst.size(), 30000);
    QCOMPARE(c.got, burst);
    QCOMPARE(sim.pending_to_client(), 0);
}

void tst_slcan_adapter::hang_up_is_seen_by_the_device()
{
    slcan_adapter sim;
    client c;
    QVERIFY(c.open(sim.port_path()));
    QSignalSpy errors(&c.port, &QSerialPort::errorOccurred);
    sim.hang_up();
    QVERIFY(sim.hung_up());
    QTRY_VERIFY_WITH_TIMEOUT(!errors.isEmpty(), 20000);
    const auto e = errors.first().first().value<QSerialPort::SerialPortError>();
    QVERIFY(e == QSerialPort::ReadError || e == QSerialPort::ResourceError);
    c.port.close();
    sim.inject("ignored after hang-up");
}

void tst_slcan_adapter::reopening_the_device_is_fine()
{
    // The adapter holds the device itself, so a client may come and go.
    slcan_adapter sim;
    for (int round = 0; round < 3; ++round) {
        client c;
        QVERIFY2(c.open(sim.port_path()), qPrintable(c.port.errorString()));
        c.send("S6\r");
        QTRY_COMPARE_WITH_TIMEOUT(c.got, QByteArray("\r"), 20000);
    }
    QCOMPARE(sim.received_lines().size(), 3);
}

void tst_slcan_adapter::program_answers_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("no boards") << QStringList() << QByteArray("S6\rO\r" + frame_a) << QByteArray("\r\rz\r");
    // Current limit in hundredths; the temperature limit request gets only the adapter's "z".
    QTest::newRow("old-units board") << QStringList{"--old-units-board", "8:5"}
        << QByteArray("S6\rO\rt0058A500000000000000\rt0058B700000000000000\r")
        << QByteArray("\r\rz\rt0058A505000000003A98\rz\r");
    QTest::newRow("silent board") << QStringList{"--silent-board", "8:5"}
                                  << QByteArray("S6\rO\rt0058D000000000000000\r") << QByteArray("\r\rz\r");
    QTest::newRow("fault board") << QStringList{"--fault-board", "16:7"}
                                 << QByteArray("S6\rO\rt0078B000000000000000\r")
                                 << QByteArray("\r\rz\rt0078B007000000000081\r");
    QTest::newRow("out-of-range board") << QStringList{"--out-of-range-board", "8:5"}
                                        << QByteArray("S6\rO\rt00589200000000000000\rt00589100000000000000\r")
                                        << QByteArray("\r\rz\rt0058920500007FFFFFFF\rz\rt00589105000080000000\r");
    QTest::newRow("output-on board, pulsed") << QStringList{"--output-on-board", "21:9"}
                                             << QByteArray("S6\rO\rt0098A200000000000000\r")
                                             << QByteArray("\r\rz\rt0098A209000000000001\r");
    QTest::newRow("output-on board, CW") << QStringList{"--output-on-board", "8:5"}
                                         << QByteArray("S6\rO\rt00589000000000000000\r")
                                         << QByteArray("\r\rz\rt00589005000000000001\r");
}

// The program prints its device path, then answers on it.
void tst_slcan_adapter::program_answers()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, answer);
    QVERIFY2(QFileInfo::exists(sim_program()), qPrintable(sim_program()));
    QProcess sim;
    sim.start(sim_program(), args);
    QVERIFY(sim.waitForStarted(20000));
    QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 20000);
    const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QVERIFY2(path.startsWith("/dev/"), qPrintable(path));
    {
        client c;
        QVERIFY2(c.open(path), qPrintable(c.port.errorString()));
        c.send(sent);
        QTRY_COMPARE_WITH_TIMEOUT(c.got, answer, 20000);
    }
    sim.kill();
    QVERIFY(sim.waitForFinished(20000));
}

void tst_slcan_adapter::program_refuses_bad_boards_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("old units on a precision board") << QStringList{"--old-units-board", "10:5"};
    QTest::newRow("old units on a pulsed board") << QStringList{"--old-units-board", "21:5"};
    QTest::newRow("no address") << QStringList{"--old-units-board", "8"};
    QTest::newRow("faults on a board without a fault word") << QStringList{"--fault-board", "8:5"};
    QTest::newRow("output on a board of no driver type") << QStringList{"--output-on-board", "99:5"};
    QTest::newRow("no board after the switch") << QStringList{"--board"};
    QTest::newRow("unknown switch") << QStringList{"--boards", "8:5"};
}

void tst_slcan_adapter::program_refuses_bad_boards()
{
    QFETCH(QStringList, args);
    QProcess sim;
    sim.start(sim_program(), args);
    QVERIFY(sim.waitForFinished(20000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(sim.readAllStandardOutput().isEmpty()); // no device path offered
}

QTEST_GUILESS_MAIN(tst_slcan_adapter)
#include "tst_slcan_adapter.moc"
