// Renders the parameters window for four boards (CW with a TEC, type 18,
// pulsed, DC/DC) to PNG files: render_params <output folder>.
// Run under a display (make screenshots uses Xvfb) or with -platform offscreen.

#include <QApplication>

#include <functional>

#include "app/program_font.h"
#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "params/laser_params.h"
#include "tools/render_common/picture.h"

namespace {

const char tool[] = "render_params";

struct layout_case
{
    const char *file;
    int type;
    std::function<void(laser_worker &)> fill;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Exactly the program's font, so the pictures show what the program shows.
    apply_program_font();
    lumatrex_init_resources();
    const QString out_dir = picture::output_folder(argc, argv, tool);
    if (out_dir.isEmpty())
        return 1;

    const layout_case cases[] = {
        {"params_cw_tec.png", 10,
         [](laser_worker &w) {
             cw_data &r = w.cw_record;
             r.resistance = 10000;
             r.beta = 3950;
             r.responsivity = 0.57f;
             r.current_max = 1500.0f;
             r.current_min = 10.0f;
             r.temperature_max = 40.0f;
             r.temperature_min = 15.0f;
             r.tec_current_max = 2.5f;
         }},
        {"params_power_18.png", 18, [](laser_worker &w) { w.power_record.current_max = 14.0f; }},
        {"params_pulsed_21.png", 21,
         [](laser_worker &w) {
             ns_data &r = w.ns_record;
             r.resistance = 10000;
             r.beta = 3435;
             r.voltage_max = 48.0f;
             r.voltage_min = 5.0f;
             r.temperature_max = 35.0f;
             r.temperature_min = 15.0f;
         }},
        {"params_dcdc_16.png", 16, [](laser_worker &) {}},
    };

    bool ok = true;
    for (const layout_case &c : cases) {
        laser_params window;
        laser_object channel(nullptr, 5, nullptr);
        channel.channel_name = QStringLiteral("LASER1");
        channel.worker->device_type = c.type;
        channel.worker->device_address = 5;
        c.fill(*channel.worker);
        // As the main window hands it over.
        window.active = 1;
        window.channel = &channel;
        window.load_spin_boxes();
        window.show();
        // The window takes its size one refresh tick after its rows.
        picture::settle(300);
        ok &= picture::save(&window, out_dir, c.file, tool);
    }
    return ok ? 0 : 1;
}
