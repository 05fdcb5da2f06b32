// The simulated bench as a program: prints the serial device path to open
// and runs until killed.
//
//   lumatrex_sim [--direct] [--board TYPE:ADDRESS ...] [--old-units-board TYPE:ADDRESS ...]
//                [--silent-board ...] [--fault-board ...] [--out-of-range-board ...]
//                [--output-on-board ...]
//
// --board TYPE:ADDRESS puts a simulated driver board of that driver type on
// the bus at that CAN address (decimal, or hex with 0x), e.g.
//   lumatrex_sim --board 8:5 --board 21:7
// --old-units-board TYPE:ADDRESS puts an older CW board (type 8 or 14) there:
// its current limits in hundredths, no temperature limits. The other board
// switches put a board there that is silent, reports faults, reports values
// at the ends of the 32-bit range, or has its output on at start.
// --direct: no adapter in front (mini-USB mode); one board at most, which
// takes every frame.
// --demo puts the ten boards of the demonstration bench on the bus (named,
// with their set points, live: sim/demo_boards); --demo-mini its mini-USB
// board alone, direct. With --demo-channels the program prints, for either,
// one line per board, "ADDRESS NAME", and ends.
#include <QCoreApplication>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "sim/demo_boards.h"
#include "sim/sim_bus.h"
#include "sim/slcan_adapter.h"

namespace {

// A board switch adds one board and gives it its traits; a trait a board's
// type cannot have makes the switch fail.
struct board_switch
{
    const char *name;
    const char *help;
    bool (*trait)(sim_board &board); // null: a plain board
};

const board_switch board_switches[] = {
    {"--board", "a board of that driver type", nullptr},
    {"--old-units-board", "an older CW board, type 8 or 14: current limits in hundredths, no temperature limits",
     [](sim_board &b) { return b.set_old_units(true); }},
    {"--silent-board", "a board that answers nothing", [](sim_board &b) {
         b.set_silent(true);
         return true;
     }},
    {"--fault-board", "a board reporting faults 0x81 in its fault word (types with one)",
     [](sim_board &b) {
         if (!b.answers(0xB0))
             return false;
         b.set_faults(0x81);
         return true;
     }},
    {"--out-of-range-board", "a board reporting its current, temperature and voltage at the ends of the 32-bit range",
     [](sim_board &b) {
         const std::pair<uint8_t, int32_t> extremes[] = {
             {0x91, INT32_MIN}, {0x92, INT32_MAX}, {0x98, INT32_MIN}};
         bool any = false;
         for (const auto &e : extremes) {
             if (b.answers(e.first)) {
                 b.set_raw_override(e.first, e.second);
                 any = true;
             }
         }
         return any;
     }},
    {"--output-on-board", "a board whose output (emission, for the pulsed types) is on at start",
     [](sim_board &b) {
         for (uint8_t code : {uint8_t(0xA2), uint8_t(0x90)}) {
             if (b.answers(code)) {
                 b.set_value(code, 1);
                 return true;
             }
         }
         return false;
     }},
};

struct board_request
{
    const board_switch *kind;
    QString value;
};

const board_switch *find_board_switch(const QString &arg)
{
    for (const board_switch &s : board_switches) {
        if (arg == QLatin1String(s.name))
            return &s;
    }
    return nullptr;
}

void print_usage()
{
    std::fprintf(stderr, "usage: lumatrex_sim [--direct]");
    for (const board_switch &s : board_switches)
        std::fprintf(stderr, " [%s TYPE:ADDRESS ...]", s.name);
    std::fprintf(stderr, " [--demo | --demo-mini [--demo-channels]]");
    std::fprintf(stderr, "\n  --direct: no adapter in front (mini-USB mode), one board at most\n");
    std::fprintf(stderr, "  --demo, --demo-mini: the demonstration's ten boards, or its mini-USB board (direct)\n"
                         "  --demo-channels: print \"ADDRESS NAME\" for each of them and end\n");
    for (const board_switch &s : board_switches)
        std::fprintf(stderr, "  %s TYPE:ADDRESS: %s\n", s.name, s.help);
}

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
    int demo = 0; // 1: the ten demonstration boards, 2: the mini-USB one
    bool demo_channels = false;
    QList<board_request> requests;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        const board_switch *kind = find_board_switch(a);
        if (a == "--direct") {
            direct = true;
        } else if (a == "--demo" || a == "--demo-mini") {
            demo = a == "--demo" ? 1 : 2;
        } else if (a == "--demo-channels") {
            demo_channels = true;
        } else if (kind && i + 1 < args.size()) {
            requests.append({kind, args[++i]});
        } else {
            print_usage();
            return 2;
        }
    }

    int demo_count = 0;
    const demo_board *demo_list = demo == 1 ? demo_boards(&demo_count) : &demo_mini_board();
    if (demo == 2)
        demo_count = 1;
    if (demo_channels) {
        for (int i = 0; i < demo_count; ++i)
            std::printf("%d %s\n", demo_list[i].address, demo_list[i].name);
        return demo_count ? 0 : 2;
    }
    sim_bus bus;
    for (int i = 0; i < demo_count; ++i)
        add_demo_board(bus, demo_list[i]);
    direct = direct || demo == 2;
    for (const board_request &r : requests) {
        int type = 0;
        int address = 0;
        if (!parse_board(r.value, &type, &address)) {
            std::fprintf(stderr, "lumatrex_sim: bad board \"%s\" (want TYPE:ADDRESS, each 0 to 255)\n",
                         qPrintable(r.value));
            return 2;
        }
        sim_board &board = bus.add_board(type, address);
        if (r.kind->trait && !r.kind->trait(board)) {
            std::fprintf(stderr, "lumatrex_sim: %s %s: not for a board of type %d\n", r.kind->name,
                         qPrintable(r.value), type);
            return 2;
        }
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
        std::fprintf(stderr, "board: type %d at address %d%s\n", bus.board(i)->driver_type(),
                     bus.board(i)->address(), bus.board(i)->old_units() ? ", old units" : "");
    std::printf("%s\n", qPrintable(adapter.port_path()));
    std::fflush(stdout);
    return app.exec();
}
