#include "sim/slcan_adapter.h"

#include <QMetaObject>
#include <QMutexLocker>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <unistd.h>

namespace {

// The simulator may run for hours: keep the newest part of its log only.
constexpr int max_log_entries = 200000;
constexpr int max_raw_bytes = 8 * 1024 * 1024;
// A line without CR longer than this is noise, not a command.
constexpr int max_line = 4096;
// A slow line reads its share of the rate every this many milliseconds.
constexpr int slow_read_period_ms = 10;

} // namespace

slcan_adapter::slcan_adapter(QObject *parent) : QObject(parent)
{
    clock.start();
    if (!pty.is_open())
        return;
    path = pty.slave_path();
    read_notifier = new QSocketNotifier(pty.master(), QSocketNotifier::Read, this);
    connect(read_notifier, &QSocketNotifier::activated, this, &slcan_adapter::on_readable);
    write_notifier = new QSocketNotifier(pty.master(), QSocketNotifier::Write, this);
    write_notifier->setEnabled(false);
    connect(write_notifier, &QSocketNotifier::activated, this, &slcan_adapter::on_writable);
}

slcan_adapter::~slcan_adapter()
{
    delete read_notifier;
    delete write_notifier;
}

void slcan_adapter::set_frame_handler(frame_handler h)
{
    handler = std::move(h);
}

void slcan_adapter::set_direct_mode(bool d)
{
    direct.store(d);
}

void slcan_adapter::set_read_rate(int bytes_per_second)
{
    read_rate.store(bytes_per_second > 0 ? bytes_per_second : 0);
}

void slcan_adapter::inject(const QByteArray &bytes)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this, bytes] { send(bytes); }, Qt::QueuedConnection);
        return;
    }
    send(bytes);
}

void slcan_adapter::hang_up()
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this] { do_hang_up(); }, Qt::BlockingQueuedConnection);
        return;
    }
    do_hang_up();
}

void slcan_adapter::do_hang_up()
{
    delete read_notifier;
    read_notifier = nullptr;
    delete write_notifier;
    write_notifier = nullptr;
    pty.close();
    out_queue.clear();
    out_offset = 0;
    out_pending.store(0);
    gone.store(true);
}

QList<slcan_adapter::log_entry> slcan_adapter::log() const
{
    QMutexLocker lock(&log_mutex);
    return entries;
}

QByteArrayList slcan_adapter::received_lines() const
{
    QMutexLocker lock(&log_mutex);
    QByteArrayList lines;
    for (const log_entry &e : entries)
        lines << e.line;
    return lines;
}

QByteArray slcan_adapter::received_bytes() const
{
    QMutexLocker lock(&log_mutex);
    return raw;
}

void slcan_adapter::clear_log()
{
    QMutexLocker lock(&log_mutex);
    entries.clear();
    raw.clear();
}

int slcan_adapter::pending_to_client() const
{
    return out_pending.load() + pty.pending_on_slave();
}

void slcan_adapter::on_readable()
{
    char buf[4096];
    const int rate = read_rate.load();
    const size_t share = rate > 0 ? size_t(qBound(1, rate * slow_read_period_ms / 1000, int(sizeof buf))) : sizeof buf;
    for (;;) {
        const ssize_t n = ::read(pty.master(), buf, share);
        if (n <= 0) {
            // EIO: no one holds the device (cannot happen while we hold the
            // slave, but never spin on it).
            if (n < 0 && errno != EAGAIN && errno != EINTR && read_notifier)
                read_notifier->setEnabled(false);
            return;
        }
        {
            QMutexLocker lock(&log_mutex);
            raw.append(buf, int(n));
            if (raw.size() > max_raw_bytes)
                raw = raw.right(max_raw_bytes / 2);
        }
        for (ssize_t i = 0; i < n; ++i) {
            partial_line.append(buf[i]);
            if (buf[i] == '\r') {
                const QByteArray line = partial_line;
                partial_line.clear();
                handle_line(line);
                if (gone.load())
                    return; // a handler may hang the line up
            } else if (partial_line.size() > max_line) {
                partial_line.clear();
            }
        }
        if (rate > 0 && read_notifier) {
            // The rest waits on the line until the next share is due.
            read_notifier->setEnabled(false);
            QTimer::singleShot(slow_read_period_ms, this, [this] {
                if (read_notifier)
                    read_notifier->setEnabled(true);
            });
            return;
        }
    }
}

void slcan_adapter::handle_line(const QByteArray &line)
{
    {
        QMutexLocker lock(&log_mutex);
        entries.append({clock.nsecsElapsed() / 1000, line});
        if (entries.size() > max_log_entries)
            entries.erase(entries.begin(), entries.begin() + max_log_entries / 2);
    }
    const bool is_frame = line.startsWith('t');
    if (direct.load()) {
        if (is_frame && handler)
            send(handler(line));
    } else if (is_frame) {
        if (!open.load()) {
            send("\a");
        } else {
            QByteArray answer("z\r");
            if (handler)
                answer += handler(line);
            send(answer);
        }
    } else if (line.size() == 3 && line[0] == 'S' && line[1] >= '0' && line[1] <= '8') {
        send("\r");
    } else if (line == "O\r") {
        open.store(true);
        send("\r");
    } else if (line == "C\r") {
        open.store(false);
        send("\r");
    } else {
        send("\a");
    }
    emit line_received(line);
}

void slcan_adapter::send(const QByteArray &bytes)
{
    if (bytes.isEmpty() || !pty.is_open())
        return;
    out_queue.append(bytes);
    out_pending.store(out_queue.size() - out_offset);
    flush_out();
}

void slcan_adapter::on_writable()
{
    flush_out();
}

void slcan_adapter::flush_out()
{
    while (out_offset < out_queue.size()) {
        const ssize_t n = ::write(pty.master(), out_queue.constData() + out_offset,
                                  size_t(out_queue.size() - out_offset));
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            break; // full (EAGAIN): the write notifier resumes
        }
        out_offset += int(n);
    }
    if (out_offset >= out_queue.size()) {
        out_queue.clear();
        out_offset = 0;
    } else if (out_offset > (1 << 20) && out_offset > out_queue.size() / 2) {
        out_queue = out_queue.mid(out_offset);
        out_offset = 0;
    }
    out_pending.store(out_queue.size() - out_offset);
    if (write_notifier)
        write_notifier->setEnabled(out_offset < out_queue.size());
}
