// Throughput of the receive path of the serial link.
//  (a) parse only, a long stream of frames mixed with adapter answers, cut
//      into reads the size a tty hands over;
//  (b) the same text as one single read of 1 MB and of 32 MB: the cost per
//      byte must not grow with the size of the read;
//  (c) end to end: the simulated line writes frames into a real
//      pseudo-terminal, the serial thread reads and parses them, and the GUI
//      thread receives each frame as a queued call; none may be lost.
// The reference is the adapter's serial line: 115200 baud carries at most
// 523 frames of 22 characters per second.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "comm/driver_data.h"
#include "comm/serial_object.h"
#include "comm/slcan_receiver.h"
#include "sim/slcan_adapter_thread.h"

namespace {

constexpr double line_rate = 523.0; // frames/s at 115200 baud

QByteArray numbered_frame(uint32_t n)
{
    uint8_t buf[22];
    uint32_t len = 0;
    driver_data::encode_frame(int(n & 0xFF), 0x91, uint8_t(n), 0, 0, uint8_t(n >> 24), uint8_t(n >> 16),
                              uint8_t(n >> 8), uint8_t(n), buf, &len);
    return QByteArray(reinterpret_cast<const char *>(buf), int(len));
}

// Frames with the adapter's answers between them: "z\r" after most frames,
// a CR now and then, a BEL now and then.
QByteArray mixed_stream(int min_bytes, int *frames)
{
    QByteArray s;
    s.reserve(min_bytes + 64);
    uint32_t n = 0;
    while (s.size() < min_bytes) {
        s += numbered_frame(n);
        if (n % 2 == 0)
            s += "z\r";
        if (n % 10 == 0)
            s += '\r';
        if (n % 50 == 0)
            s += '\a';
        ++n;
    }
    *frames = int(n);
    return s;
}

struct parse_figure
{
    double frames_per_s;
    double ns_per_byte;
};

// Parses the stream in reads of read_size bytes, repeating for at least
// min_seconds; checks that every frame came through.
parse_figure parse_rate(const QByteArray &stream, int frames, int read_size, double min_seconds)
{
    QElapsedTimer clock;
    clock.start();
    long long total_frames = 0;
    long long total_bytes = 0;
    int rounds = 0;
    do {
        slcan_receiver rx;
        long long handed = 0;
        uint32_t checksum = 0;
        const auto sink = [&](const serial_message_struct &m) {
            ++handed;
            checksum += m.data[7];
        };
        if (read_size >= stream.size()) {
            rx.feed(stream, sink); // one read, handed over as the port does
        } else {
            for (int pos = 0; pos < stream.size(); pos += read_size)
                rx.feed(stream.constData() + pos, qMin(read_size, stream.size() - pos), sink);
        }
        if (handed != frames) {
            std::fprintf(stderr, "parse lost frames: %lld of %d\n", handed, frames);
            std::exit(1);
        }
        total_frames += handed + (checksum & 0); // keep the sink's work
        total_bytes += stream.size();
        ++rounds;
    } while (clock.nsecsElapsed() < qint64(min_seconds * 1e9) || rounds < 2);
    const double secs = clock.nsecsElapsed() / 1e9;
    return {total_frames / secs, secs * 1e9 / total_bytes};
}

class gui_receiver : public QObject
{
    Q_OBJECT
public:
    int expected = 0;
    int received = 0;
    bool in_order = true;
    QElapsedTimer clock;
    qint64 last_ns = 0;

signals:
    void sig_connect_serial();
    void sig_serial_conf(serial_conf_struct conf);

public slots:
    void sl_serial_connected() { QCoreApplication::exit(0); }
    void handle_rx_can_message(serial_message_struct sm)
    {
        const uint32_t seq = sm.data[4] << 24 | sm.data[5] << 16 | sm.data[6] << 8 | sm.data[7];
        in_order = in_order && seq == uint32_t(received);
        if (++received == expected) {
            last_ns = clock.nsecsElapsed();
            QCoreApplication::exit(0);
        }
    }
};

void end_to_end(int frames)
{
    slcan_adapter_thread far_end;
    far_end.adapter()->set_direct_mode(true); // no adapter answers: only frames
    const QString path = far_end.adapter()->port_path();
    far_end.start();

    QThread serial_thread;
    auto *serial = new serial_object();
    gui_receiver gui;
    QObject::connect(&serial_thread, SIGNAL(started()), serial, SLOT(sl_start_port_process()));
    QObject::connect(&gui, SIGNAL(sig_serial_conf(serial_conf_struct)), serial, SLOT(sl_serial_conf(serial_conf_struct)));
    QObject::connect(&gui, SIGNAL(sig_connect_serial()), serial, SLOT(sl_connect_serial()));
    QObject::connect(serial, SIGNAL(sig_connected()), &gui, SLOT(sl_serial_connected()));
    QObject::connect(serial, SIGNAL(sig_serial_rx_can_message(serial_message_struct)), &gui,
                     SLOT(handle_rx_can_message(serial_message_struct)));
    QObject::connect(&serial_thread, SIGNAL(finished()), serial, SLOT(deleteLater()));
    serial->moveToThread(&serial_thread);
    serial->port.moveToThread(&serial_thread);
    serial_thread.start();

    serial->mini_usb.store(true);
    emit gui.sig_serial_conf(serial_conf_struct{path, 115200, 8, 0, 1, 0});
    emit gui.sig_connect_serial();
    QTimer::singleShot(20000, [] { QCoreApplication::exit(1); });
    if (QCoreApplication::exec() != 0) {
        std::fprintf(stderr, "end to end: no connection to %s\n", qPrintable(path));
        std::exit(1);
    }

    QByteArray burst;
    burst.reserve(frames * 22);
    for (int i = 0; i < frames; ++i)
        burst += numbered_frame(uint32_t(i));
    gui.expected = frames;
    gui.clock.start();
    far_end.adapter()->inject(burst);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(120000);
    QCoreApplication::exec();

    const double secs = (gui.received == frames ? gui.last_ns : gui.clock.nsecsElapsed()) / 1e9;
    const double rate = gui.received / secs;
    std::printf("(c) end to end, pseudo-terminal -> serial thread -> GUI thread:\n"
                "    %d of %d frames delivered in order, %d lost, in %.3f s: %.0f frames/s (%.1f x line rate)\n\n",
                gui.received, frames, frames - gui.received, secs, rate, rate / line_rate);
    if (!gui.in_order)
        std::printf("    FRAMES OUT OF ORDER OR CORRUPTED\n");

    serial_thread.quit();
    serial_thread.wait();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);

    std::printf("Serial receive path (line rate at 115200 baud: %.0f frames/s)\n", line_rate);

    int frames = 0;
    const QByteArray stream = mixed_stream(8 << 20, &frames);
    const parse_figure a = parse_rate(stream, frames, 4096, 1.0);
    std::printf("(a) parse only, %d frames with adapter answers in %d bytes, 4096-byte reads:\n"
                "    %.2f million frames/s, %.2f ns/byte, %.0f x line rate\n",
                frames, int(stream.size()), a.frames_per_s / 1e6, a.ns_per_byte, a.frames_per_s / line_rate);

    int frames_1 = 0;
    int frames_32 = 0;
    const QByteArray one_mb = mixed_stream(1 << 20, &frames_1);
    const QByteArray thirty_two_mb = mixed_stream(32 << 20, &frames_32);
    const parse_figure b1 = parse_rate(one_mb, frames_1, one_mb.size(), 1.0);
    const parse_figure b32 = parse_rate(thirty_two_mb, frames_32, thirty_two_mb.size(), 1.0);
    std::printf("(b) parse only, the whole input in one read:\n"
                "     1 MB (%d frames): %.2f million frames/s, %.2f ns/byte\n"
                "    32 MB (%d frames): %.2f million frames/s, %.2f ns/byte\n"
                "    cost per byte at 32 MB vs 1 MB: %+.1f %%\n",
                frames_1, b1.frames_per_s / 1e6, b1.ns_per_byte, frames_32, b32.frames_per_s / 1e6,
                b32.ns_per_byte, (b32.ns_per_byte / b1.ns_per_byte - 1.0) * 100.0);

    end_to_end(argc > 1 ? QByteArray(argv[1]).toInt() : 300000);
    return 0;
}

#include "bench_serial.moc"
