// Renders one channel page per driver family, drawn by the channel's own
// page view from plausible readings, to PNG files: render_pages <folder>.
// Run under a display (make screenshots uses Xvfb) or with -platform offscreen.
// A page more is one row of the table below.

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QTimer>

#include <memory>

#include "app/program_font.h"
#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "forms/main_form.h"
#include "forms/mainwindow_form.h"
#include "tools/render_common/picture.h"

namespace {

const char tool[] = "render_pages";

// Pulsed readings as the decoder leaves them: the voltage reads 0 while
// the output is off, and each first reading arms its record marker once.
template <typename record_t>
void pulsed_readings(record_t &r, float volts, int32_t rate, bool on)
{
    r.emission_on = on ? 1 : 0;
    r.voltage = on ? volts : 0.0f;
    r.voltage_target = volts;
    r.voltage_max = 40.0f;
    r.temperature = 25.2f;
    r.temperature_target = 25.0f;
    r.temperature_min = 20.0f;
    r.temperature_max = 30.0f;
    r.frequency = r.frequency_target = rate;
}

template <typename record_t>
void arm_first_reads(record_t &r)
{
    for (int32_t *marker : {&r.first_read_voltage, &r.first_read_temperature, &r.first_read_frequency,
                            &r.first_read_mode, &r.first_read_gated, &r.first_read_cutted})
        if (*marker == 1)
            *marker = 2;
}

struct page_shot {
    const char *file;
    int32_t type;
    // Fills the records as the board's replies would; runs before every tick.
    void (*fill)(laser_object &ch);
};

const page_shot shots[] = {
    {"channel_cw_8.png", 8,
     [](laser_object &ch) {
         cw_data &r = ch.worker->cw_record;
         r.current = 120.4f;
         r.current_target = 120.0f;
         r.current_min = 10.0f;
         r.current_max = 150.0f;
         r.temperature = 25.1f;
         r.temperature_target = 25.0f;
         r.power = 48.2f;
         r.tec_current_max = 1.5f;
         r.output_on = 1;
     }},
    {"channel_cw_15_fault.png", 15,
     [](laser_object &ch) {
         cw_data &r = ch.worker->cw_record;
         r.current = 0.0f;
         r.current_target = 85.0f;
         r.current_max = 100.0f;
         r.temperature = 36.42f;
         r.temperature_target = 25.0f;
         r.temperature_max = 40.0f;
         r.power = 0.0f;
         r.tec_current_max = 1.0f;
         r.mode = 0;
         r.faults = 0x04; // over-temperature
     }},
    {"channel_dcdc_11_warning.png", 11,
     [](laser_object &ch) {
         dcdc_data &r = ch.worker->dcdc_record;
         r.current = 8.2f;
         r.current_target = 8.0f;
         r.temperature = 45.3f;
         r.output_voltage = 26.5f; // above 80 % of the input
         r.input_voltage = 30.0f;
         ch.dcdc_input_voltage_read = true; // the page warns only against a reported input
         r.output_on = 1;
         ch.dcdc_fail_latch = 1; // the box was seen
     }},
    {"channel_dcdc_16_qcw.png", 16,
     [](laser_object &ch) {
         dcdc_data &r = ch.worker->dcdc_record;
         r.current = 10.5f;
         r.current_target = 10.5f;
         r.temperature = 39.0f;
         r.output_voltage = 22.0f;
         r.input_voltage = 48.0f;
         r.output_on = 1;
         r.mode = 1;
         r.frequency = 500;
         r.pulse_width = 200;
     }},
    {"channel_power_18.png", 18,
     [](laser_object &ch) {
         power_data &r = ch.worker->power_record;
         r.current = 7.0f;
         r.current_target = 7.0f;
         r.temperature = 35.2f;
         r.output_voltage = 12.5f;
         r.input_voltage = 48.0f;
         r.output_on = 1;
         r.mode = 0;
     }},
    {"channel_ns_6_burst.png", 6,
     [](laser_object &ch) {
         ns_table_data &r = ch.worker->ns_table_record;
         pulsed_readings(r, 18.5f, 100, true);
         r.pulse_width = r.pulse_width_target = 50.0f;
         r.gated = r.gated_target = 10;
         r.cutted = r.cutted_target = 3;
         r.burst = 1;
         r.mode = 1;
     }},
    {"channel_soa_13_off.png", 13,
     [](laser_object &ch) {
         ns_table_data &r = ch.worker->ns_table_record;
         pulsed_readings(r, 15.0f, 1000, false);
         r.pulse_width = r.pulse_width_target = 12.0f;
         r.gated = r.gated_target = 1;
     }},
    {"channel_ns_21.png", 21,
     [](laser_object &ch) {
         ns_data &r = ch.worker->ns_record;
         pulsed_readings(r, 22.0f, 250000, true);
         r.pulse_width = r.pulse_width_target = 20.0f;
         r.gated = r.gated_target = 1;
         r.mode = 2;
         if (r.first_read_width == 1)
             r.first_read_width = 2;
         arm_first_reads(r);
     }},
    {"channel_ps_7_burst.png", 7,
     [](laser_object &ch) {
         ps_table_data &r = ch.worker->ps_table_record;
         pulsed_readings(r, 30.0f, 2000, true);
         r.gated = r.gated_target = 5;
         r.cutted = r.cutted_target = 2;
         r.burst = 1;
         r.mode = 3;
     }},
    {"channel_ps_20.png", 20,
     [](laser_object &ch) {
         ps_data &r = ch.worker->ps_record;
         pulsed_readings(r, 12.0f, 1500000, true);
         r.gated = r.gated_target = 1;
         arm_first_reads(r);
     }},
    {"channel_no_device.png", -1, [](laser_object &) {}},
};

bool render(const page_shot &shot, const QString &out_dir)
{
    QMainWindow window;
    Ui_MainWindow ui;
    build_main_form(&ui, &window);
    window.resize(1280, 1000);
    window.show();

    QWidget *page = window.findChild<QWidget *>(QStringLiteral("laser_widget"));
    if (!page)
        return false;
    auto ch = std::make_unique<laser_object>(nullptr, 1, page);
    ch->channel_name = QStringLiteral("Channel 1");
    ch->alt_but_widget->hide();
    // A board that has just reported its type, every first reading in.
    ch->worker->device_type = shot.type;
    ch->worker->type_changed = true;
    ch->first_read_current = ch->first_read_temperature = ch->first_read_mode = 2;
    ch->first_read_frequency = ch->first_read_width = 2;
    ch->first_read_voltage = ch->first_read_gated = ch->first_read_cutted = 2;
    power_data &power = ch->worker->power_record;
    power.first_read_current = power.first_read_mode = 2;
    // Enough ticks for the views that take one reading per tick (seven on
    // the NS pages), and for the tab text, which shows the labels of the
    // tick before.
    for (int tick = 0; tick < 9; ++tick) {
        shot.fill(*ch);
        ch->view_update();
    }
    picture::settle();

    const bool saved = picture::save(page, out_dir, shot.file, tool);
    delete ch->worker;
    return saved;
}

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

    // A page whose readings open a box by themselves must not stop the run.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            box->done(QDialog::Accepted);
    });
    answer.start(50);

    bool ok = true;
    for (const page_shot &shot : shots)
        ok &= render(shot, out_dir);
    return ok ? 0 : 1;
}
