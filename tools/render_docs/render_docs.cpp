// Renders the README's pictures from the running program: the main window
// as main builds it, connected by its Connect button to the ten boards of
// `make demo` (sim/demo_boards, on the simulated bench in this process, on a
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
#include "sim/demo_boards.h"
#include "sim/sim_bus.h"
#include "sim/slcan_adapter_thread.h"
#include "tools/render_common/picture.h"

namespace {

const char tool[] = "render_docs";

// The page of each family drawn alone: channel index, file.
const std::pair<int, const char *> family_pages[] = {
    {0, "page_cw.png"},       {3, "page_dcdc.png"}, {4, "page_power.png"}, {5, "page_ps_table.png"},
    {6, "page_ns_table.png"}, {8, "page_ps.png"},   {9, "page_ns.png"},
};

// The pages unfolded in the picture of the whole window.
const int unfolded_in_window[] = {0, 5};

// The demo's boards (sim/demo_boards), one per channel, channel 1 first.
void write_settings(const QString &port, const demo_board *boards, int count)
{
    QSettings s(QStringLiteral("settings.ini"), QSettings::IniFormat);
    s.setValue(QStringLiteral("settings/available"), 1);
    s.setValue(QStringLiteral("serial/portname"), port);
    s.setValue(QStringLiteral("serial/portspeed"), QStringLiteral("115200"));
    s.setValue(QStringLiteral("serial/connection_mode"), false);
    for (int i = 0; i < 10; ++i) {
        s.setValue(enabled_key(i), i < count);
        s.setValue(name_key(i), i < count ? QLatin1String(boards[i].name) : QLatin1String(""));
        s.setValue(address_key(i), QString::number(i < count ? boards[i].address : i + 1));
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

    int count = 0;
    const demo_board *boards = demo_boards(&count);
    sim_bus bus;
    for (int i = 0; i < count; ++i)
        add_demo_board(bus, boards[i]);
    slcan_adapter_thread line;
    line.adapter()->set_frame_handler([&bus](const QByteArray &l) { return bus.handle_frame_line(l); });
    line.start();
    qputenv("LUMATREX_EXTRA_PORTS", line.adapter()->port_path().toLocal8Bit());
    write_settings(line.adapter()->port_path(), boards, count);

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
