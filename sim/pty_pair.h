#pragma once

#include <QString>

// A pseudo-terminal whose slave side stands in for a serial device. The
// master end is non-blocking; the slave is set raw at once (no echo, no CR
// translation) and one slave descriptor is held open, so the far end may open
// and close the device as often as it likes without hanging the master up.
class pty_pair
{
public:
    pty_pair();
    ~pty_pair();
    pty_pair(const pty_pair &) = delete;
    pty_pair &operator=(const pty_pair &) = delete;

    bool is_open() const { return master_fd >= 0; }
    int master() const { return master_fd; }
    QString slave_path() const { return path; }

    // Bytes written to the master and not yet read on the slave side.
    int pending_on_slave() const;

    // Closes both ends: whoever holds the device sees a hang-up.
    void close();

private:
    int master_fd = -1;
    int slave_fd = -1;
    QString path;
};
