// Renders the README's pictures from the running program: the main window
// as main builds it, connected by its Connect button to ten boards of every
// driver family on the simulated bench (in this process, on a
// pseudo-terminal), then one channel page of each family and the parameters
// window opened on a CW board: render_docs <output folder>.
// Run under a display (make docs-images uses Xvfb) or with -platform offscreen.

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

#include "app/channel_rows.h"
#include "app/mainwindow.h"
#include "app/program_font.h"
#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "forms/mainwindow_form.h"
#include "params/laser_params.h"
#include "sim/sim_bus.h"
#include "sim/slcan_adapter_thread.h"
#include "tools/render_common/picture.h"

namespace {

const char tool[] = "render_docs";

// One board per channel, at the channel's number as CAN address, with the
// readings it starts with (read code, physical value).
struct bench_board
{
    int type;
    const char *name;
    std::initializer_list<std::pair<uint8_t, double>> readings;
};

const bench_board boards[] = {
    {8, "Pump A", {{0x91, 120.4}, {0x92, 25.1}, {0x94, 48.2}, {0x90, 1}}},
    {15, "Seed", {{0x91, 85.25}, {0x92, 24.98}, {0x94, 12.6}}},
    {11, "Booster", {{0x91, 8.2}, {0x92, 41.5}, {0xA6, 22.0}, {0x94, 30.0}}},
    {16, "QCW stack", {{0x91, 10.5}, {0x92, 39.0}, {0xA6, 22.0}, {0x94, 48.0}, {0xA4, 1}, {0x99, 500}, {0xA3, 200}}},
    {18, "Power bar", {{0x91, 7.0}, {0x92, 35.2}, {0xA6, 12.5}, {0x94, 48.0}, {0x90, 1}}},
    {7, "PS table", {{0x98, 30.0}, {0x99, 2000}, {0xB4, 5}, {0xB5, 2}, {0xA2, 1}}},
    {6, "NS table", {{0x98, 18.5}, {0x99, 100}, {0xA3, 50.0}, {0xA2, 1}}},
    {13, "SOA", {{0x98, 15.0}, {0x99, 1000}, {0xA3, 12.0}}},
    {20, "PS", {{0x98, 12.0}, {0x99, 1500000}, {0xA2, 1}}},
    {21, "NS", {{0x98, 22.0}, {0x99, 250000}, {0xA3, 20.0}, {0xA4, 2}, {0xA2, 1}}},
};

// The page of each family drawn alone: channel index, file.
const std::pair<int, const char *> family_pages[] = {
    {0, "page_cw.png"},       {3, "page_dcdc.png"}, {4, "page_power.png"}, {5, "page_ps_table.png"},
    {6, "page_ns_table.png"}, {8, "page_ps.png"},   {9, "page_ns.png"},
};

// The DC/DC boards are switched on from their pages once the pages are
// filled: a view tick between the first output- and input-voltage replies
// of a board already on would take the missing input for 0 V and warn.
const int switched_on_later[] = {2, 3};

// The pages unfolded in the picture of the whole window.
const int unfolded_in_window[] = {0, 5};

void write_settings(const QString &port)
{
    QSettings s(QStringLiteral("settings.ini"), QSettings::IniFormat);
    s.setValue(QStringLiteral("settings/available"), 1);
    s.setValue(QStringLiteral("serial/portname"), port);
    s.setValue(QStringLiteral("serial/portspeed"), QStringLiteral("115200"));
    s.setValue(QStringLiteral("serial/connection_mode"), false);
    for (int i = 0; i < 10; ++i) {
        s.setValue(enabled_key(i), true);
        s.setValue(name_key(i), QLatin1String(boards[i].name));
        s.setValue(address_key(i), QString::number(i + 1));
    }
    s.setValue(QStringLiteral("device_conf/mini_usb"), false);
}

bool wait_until(const std::function<bool()> &done, int ms = 30000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        picture::settle(50);
    }
    return true;
}

void set_unfolded(laser_object *c, bool unfolded)
{
    if (c->laser_group->isHidden() == unfolded)
        c->laser_tab_button->click();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Exactly the program's font, so the pictures show what the program shows.
    apply_program_font();
    lumatrex_init_resources();
    const QString out_dir = QDir(picture::output_folder(argc, argv, tool)).absolutePath();
    QTemporaryDir folder;
    if (out_dir.isEmpty() || !folder.isValid() || !QDir::setCurrent(folder.path()))
        return 1;

    sim_bus bus;
    for (int i = 0; i < 10; ++i) {
        sim_board &b = bus.add_board(boards[i].type, i + 1);
        for (const auto &r : boards[i].readings)
            b.set_value(r.first, r.second);
    }
    slcan_adapter_thread line;
    line.adapter()->set_frame_handler([&bus](const QByteArray &l) { return bus.handle_frame_line(l); });
    line.start();
    qputenv("LUMATREX_EXTRA_PORTS", line.adapter()->port_path().toLocal8Bit());
    write_settings(line.adapter()->port_path());

    // A box that opens anyway must not stop the run.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            box->done(QDialog::Accepted);
    });
    answer.start(50);

    // As main builds them.
    laser_params params;
    MainWindow window;
    window.laser_params_window = &params;
    window.resize(1240, 940);
    window.show();
    window.ui->connect_button_2->click();
    const bool filled = wait_until([&] {
        for (laser_object *c : window.lasers)
            if (c->worker->device_type.load() <= 0 || c->laser_name_label->text() == QLatin1String("No device"))
                return false;
        return true;
    });
    if (!filled) {
        std::fprintf(stderr, "%s: the pages did not fill\n", tool);
        return 1;
    }
    for (int i : switched_on_later) {
        set_unfolded(window.lasers[i], true);
        window.lasers[i]->cw_on_off_button->click();
        set_unfolded(window.lasers[i], false);
    }
    // Every first reading loaded into its input, one per view tick.
    picture::settle(4500);

    bool ok = true;
    for (int i : unfolded_in_window)
        set_unfolded(window.lasers[i], true);
    picture::settle(1200);
    ok &= picture::save(&window, out_dir, "main_window.png", tool, 0);

    for (const auto &p : family_pages) {
        laser_object *c = window.lasers[p.first];
        set_unfolded(c, true);
        picture::settle(600);
        ok &= picture::save(c->page, out_dir, p.second, tool, 0);
    }

    // The parameters window on the Precision CW board (its output is off, so
    // its configuration button is offered), once its parameter pass is in.
    window.lasers[1]->config_button->click();
    const bool params_filled = wait_until([&] {
        return params.findChild<QLabel *>(QStringLiteral("res_read_label"))->text() != QLatin1String("0");
    });
    picture::settle(600);
    ok &= params_filled && picture::save(&params, out_dir, "parameters_window.png", tool, 0);
    params.close();
    return ok ? 0 : 1;
}
