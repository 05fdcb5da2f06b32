// The simulated bench as a program: prints the serial device path to open
// and runs until killed.
//
//   lumatrex_sim [--direct] [--board TYPE:ADDRESS ...]
//
// --board TYPE:ADDRESS puts a simulated driver board of that driver type on
// the bus at that CAN address (decimal, or hex with 0x), e.g.
//   lumatrex_sim --board 8:5 --board 21:7
// --direct: no adapter in front (mini-USB mode); one board at most, which
// takes every frame.
#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

#include "sim/sim_bus.h"
#include "sim/slcan_adapter.h"

namespace {

bool parse_board(const QString &board_arg, int *type, int *address)
{
    const QStringList parts = board_arg.split(':');
    if (parts.size() != 2)
        return false;
    bool ok_type = false;
    bool ok_address = false;
    *type = parts[0].toInt(&ok_type, 0);
    *address = parts[1].toInt(&ok_address, 0);
    return ok_type && ok_address && *type >= 0 && *type <= 255 && *address >= 0 && *address <= 255;
}

} // namespace

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

    sim_bus bus;
    for (const QString &board_arg : boards) {
        int type = 0;
        int address = 0;
        if (!parse_board(board_arg, &type, &address)) {
            std::fprintf(stderr, "lumatrex_sim: bad board \"%s\" (want TYPE:ADDRESS, each 0 to 255)\n",
                         qPrintable(board_arg));
            return 2;
        }
        bus.add_board(type, address);
    }
    if (direct && bus.board_count() > 1) {
        std::fprintf(stderr, "lumatrex_sim: --direct takes one board\n");
        return 2;
    }
    bus.set_direct_mode(direct);

    slcan_adapter adapter;
    if (!adapter.is_ok()) {
        std::fprintf(stderr, "lumatrex_sim: cannot open a pseudo-terminal\n");
        return 1;
    }
    adapter.set_direct_mode(direct);
    adapter.set_frame_handler([&bus](const QByteArray &line) { return bus.handle_frame_line(line); });
    for (int i = 0; i < bus.board_count(); ++i)
        std::fprintf(stderr, "board: type %d at address %d\n", bus.board(i)->driver_type(),
                     bus.board(i)->address());
    std::printf("%s\n", qPrintable(adapter.port_path()));
    std::fflush(stdout);
    return app.exec();
}
