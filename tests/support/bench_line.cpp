#include "bench_line.h"

#include <QtGlobal>

bench_line::bench_line(bool direct)
{
    bus.set_direct_mode(direct);
    line.adapter()->set_direct_mode(direct);
    line.adapter()->set_frame_handler([this](const QByteArray &l) {
        const QByteArray answer = bus.handle_frame_line(l);
        replies_sent += answer.count('\r');
        return answer;
    });
}

void offer_ports(const QStringList &paths)
{
    qputenv("LUMATREX_EXTRA_PORTS", paths.join(QLatin1Char(':')).toLocal8Bit());
}
