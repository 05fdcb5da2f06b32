#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QElapsedTimer>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

#include "sim/pty_pair.h"

class QSocketNotifier;

// A simulated USB-to-CAN adapter speaking SLCAN on a pseudo-terminal.
//
// Adapter mode: "Sn\r", "O\r" and "C\r" are answered with CR ("O" opens the
// CAN channel, "C" closes it); a "t" frame is refused with BEL while the
// channel is closed and answered with "z\r" once it is open, followed by what
// the frame handler (the boards behind the adapter) returns. Other commands
// get BEL.
//
// Direct mode (no adapter in front, as with a board's own USB port): nothing
// is answered but what the frame handler returns for each "t" frame.
//
// Every received line is logged with its time. The object may be moved to a
// thread of its own; inject() and hang_up() may be called from any thread.
class slcan_adapter : public QObject
{
    Q_OBJECT
public:
    struct log_entry
    {
        qint64 usecs; // since the adapter was created
        QByteArray line; // with its CR
    };

    using frame_handler = std::function<QByteArray(const QByteArray &frame_line)>;

    explicit slcan_adapter(QObject *parent = nullptr);
    ~slcan_adapter() override;

    bool is_ok() const { return pty.is_open(); }
    QString port_path() const { return path; }

    // Called with each "t" line (22 bytes with CR) the boards should see;
    // its result is written back to the line. Set before traffic starts.
    void set_frame_handler(frame_handler handler);
    void set_direct_mode(bool direct);
    bool direct_mode() const { return direct.load(); }
    bool channel_open() const { return open.load(); }

    // A line that reads slower than the far end writes: at most this many
    // bytes a second taken from the line (0, the default: as fast as they
    // come). What is not read yet waits in the far end's buffers.
    void set_read_rate(int bytes_per_second);

    // Writes any bytes to the line as they are (frames, halves, garbage).
    void inject(const QByteArray &bytes);
    // Closes the pseudo-terminal: the far end sees its device vanish.
    void hang_up();
    bool hung_up() const { return gone.load(); }

    QList<log_entry> log() const;
    QByteArrayList received_lines() const;
    QByteArray received_bytes() const; // everything received, in order
    void clear_log();

    // Bytes injected or answered that the far end has not read yet.
    int pending_to_client() const;

signals:
    void line_received(QByteArray line);

private:
    void on_readable();
    void on_writable();
    void handle_line(const QByteArray &line);
    void send(const QByteArray &bytes);
    void flush_out();
    void do_hang_up();

    pty_pair pty;
    QString path;
    QSocketNotifier *read_notifier = nullptr;
    QSocketNotifier *write_notifier = nullptr;
    frame_handler handler;
    std::atomic<bool> direct{false};
    std::atomic<bool> open{false};
    std::atomic<bool> gone{false};
    std::atomic<int> out_pending{0};
    std::atomic<int> read_rate{0};
    QByteArray partial_line;
    QByteArray out_queue;
    int out_offset = 0;
    QElapsedTimer clock;

    mutable QMutex log_mutex;
    QList<log_entry> entries;
    QByteArray raw;
};
