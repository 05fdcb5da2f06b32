// The simulated bench as a program: prints the serial device path to open
// and runs until killed.
//
//   lumatrex_sim [--direct] [--board TYPE:ADDRESS ...]
//
// --direct: no adapter in front (mini-USB mode). Boards are taken from
// --board options once board models are available.
#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

#include "sim/slcan_adapter.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    bool direct = false;
    QStringList boards;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == "--direct") {
            direct = true;
        } else if (a == "--board" && i + 1 < args.size()) {
            boards << args[++i];
        } else {
            std::fprintf(stderr, "usage: lumatrex_sim [--direct] [--board TYPE:ADDRESS ...]\n");
            return 2;
        }
    }

    slcan_adapter adapter;
    if (!adapter.is_ok()) {
        std::fprintf(stderr, "lumatrex_sim: cannot open a pseudo-terminal\n");
        return 1;
    }
    adapter.set_direct_mode(direct);
    std::printf("%s\n", qPrintable(adapter.port_path()));
    std::fflush(stdout);
    return app.exec();
}
