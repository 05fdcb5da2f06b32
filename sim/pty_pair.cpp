#include "sim/pty_pair.h"

#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

pty_pair::pty_pair()
{
    struct termios raw;
    ::memset(&raw, 0, sizeof raw);
    cfmakeraw(&raw);
    cfsetispeed(&raw, B115200);
    cfsetospeed(&raw, B115200);
    raw.c_cflag |= CLOCAL | CREAD;
    char name[256] = {0};
    int m = -1;
    int s = -1;
    if (::openpty(&m, &s, name, &raw, nullptr) != 0)
        return;
    ::fcntl(m, F_SETFL, ::fcntl(m, F_GETFL) | O_NONBLOCK);
    ::fcntl(m, F_SETFD, FD_CLOEXEC);
    ::fcntl(s, F_SETFD, FD_CLOEXEC);
    master_fd = m;
    slave_fd = s;
    path = QString::fromLocal8Bit(name);
}

pty_pair::~pty_pair()
{
    close();
}

int pty_pair::pending_on_slave() const
{
    if (slave_fd < 0)
        return 0;
    int n = 0;
    if (::ioctl(slave_fd, FIONREAD, &n) != 0)
        return 0;
    return n;
}

void pty_pair::close()
{
    if (slave_fd >= 0)
        ::close(slave_fd);
    if (master_fd >= 0)
        ::close(master_fd);
    slave_fd = -1;
    master_fd = -1;
}
