#include "channel/laser_object.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include <iterator>
#include <type_traits>

// The page binding: which widget each member points to and which widget
// signal reaches which slot. Every page carries the same tree with its own
// name suffix, so a widget is taken when its name begins with the member's
// base name, searched only among the direct children of its container.

namespace {

// The objects searched: the page and the fifteen containers walked into.
enum container_t : int {
    none,
    page_box,
    alt_but_box,
    group_box,
    cw_box,
    ps_ns_box,
    cw_temp_box,
    cw_curr_box,
    cw_on_off_box,
    cw_mode_box,
    cw_width_box,
    cw_freq_box,
    ps_ns_on_off_box,
    volt_box,
    pulse_temp_box,
    dura_box,
    freq_box,
};

using store_t = void (*)(laser_object &, QObject *);

// Stores a found widget in one member; a widget of another class than the
// member's stays unbound rather than being used as the wrong type.
template <auto member>
void store(laser_object &o, QObject *found)
{
    using widget_t = std::remove_pointer_t<std::remove_reference_t<decltype(o.*member)>>;
    o.*member = qobject_cast<widget_t *>(found);
}

struct binding_row {
    container_t searched;
    const char *base;
    store_t store;         // null: walked, not kept
    container_t walks;     // none: not a container
    const char *signal;    // null: no connection
    const char *slot;
    bool then_adapter;     // freq_spin: the controller's own adapter follows
};

binding_row row(container_t searched, const char *base, store_t s, container_t walks = none)
{
    return {searched, base, s, walks, nullptr, nullptr, false};
}

binding_row wired(container_t searched, const char *base, store_t s, const char *signal, const char *slot)
{
    return {searched, base, s, none, signal, slot, false};
}

// In test order within each searched object: the first base name that a
// child's name begins with decides.
const binding_row *binding_table(int *count)
{
    using o = laser_object;
    static const binding_row table[] = {
        row(page_box, "laser_group", store<&o::laser_group>, group_box),
        row(page_box, "laser_tab_button", store<&o::laser_tab_button>),
        row(page_box, "alt_but_widget", store<&o::alt_but_widget>, alt_but_box),
        wired(alt_but_box, "start_stop_button_alt", store<&o::start_stop_button_alt>,
              SIGNAL(clicked()), SLOT(laser_las_on_off_butt_clicked())),
        row(group_box, "laser_name_label", store<&o::laser_name_label>),
        wired(group_box, "config_button", store<&o::config_button>,
              SIGNAL(clicked()), SLOT(config_button_clicked())),
        row(group_box, "cw_widget", store<&o::cw_widget>, cw_box),
        row(group_box, "ps_ns_widget", store<&o::ps_ns_widget>, ps_ns_box),

        row(cw_box, "curr_label", store<&o::curr_label>),
        row(cw_box, "temp_label", store<&o::temp_label>),
        row(cw_box, "power_label", store<&o::power_label>),
        row(cw_box, "power_state_label", store<&o::power_state_label>),
        row(cw_box, "fail_title", store<&o::fail_title>),
        row(cw_box, "power_title", store<&o::power_title>),
        row(cw_box, "input_volt_title", store<&o::input_volt_title>),
        row(cw_box, "input_volt_label", store<&o::input_volt_label>),
        wired(cw_box, "fail_butt", store<&o::fail_butt>, SIGNAL(clicked()), SLOT(fail_detail_butt_clicked())),
        wired(cw_box, "err_clr_butt", store<&o::err_clr_butt>, SIGNAL(clicked()), SLOT(err_clr_butt_clicked())),
        row(cw_box, "cw_mode_title", store<&o::cw_mode_title>),
        row(cw_box, "cw_mode_label", store<&o::cw_mode_label>),
        row(cw_box, "cw_freq_label", store<&o::cw_freq_label>),
        row(cw_box, "cw_width_label", store<&o::cw_width_label>),
        row(cw_box, "cw_freq_title", store<&o::cw_freq_title>),
        row(cw_box, "cw_width_title", store<&o::cw_width_title>),
        row(cw_box, "cw_temp_widget", store<&o::cw_temp_widget>, cw_temp_box),
        row(cw_box, "cw_curr_widget", store<&o::cw_curr_widget>, cw_curr_box),
        row(cw_box, "cw_on_off_widget", nullptr, cw_on_off_box),
        row(cw_box, "qcw_header_widget", store<&o::qcw_header_widget>),
        row(cw_box, "cw_width_widget", store<&o::cw_width_widget>, cw_width_box),
        row(cw_box, "cw_freq_widget", store<&o::cw_freq_widget>, cw_freq_box),

        wired(cw_temp_box, "temp_spin", store<&o::temp_spin>,
              SIGNAL(valueChanged(double)), SLOT(temp_target_update(double))),
        row(cw_temp_box, "temp_max_label", store<&o::temp_max_label>),
        row(cw_temp_box, "temp_min_label", store<&o::temp_min_label>),
        row(cw_temp_box, "temp_indicator", store<&o::temp_indicator>),
        wired(cw_temp_box, "step_size_combo", store<&o::step_size_combo>,
              SIGNAL(currentIndexChanged(int)), SLOT(sl_single_step_change(int))),
        wired(cw_curr_box, "curr_spin", store<&o::curr_spin>,
              SIGNAL(valueChanged(double)), SLOT(current_target_update(double))),
        row(cw_curr_box, "curr_max_label", store<&o::curr_max_label>),
        row(cw_curr_box, "curr_min_label", store<&o::curr_min_label>),
        row(cw_curr_box, "curr_indicator", store<&o::curr_indicator>),
        wired(cw_on_off_box, "cw_on_off_button", store<&o::cw_on_off_button>,
              SIGNAL(clicked()), SLOT(laser_las_on_off_butt_clicked())),
        row(cw_on_off_box, "cw_mode_widget", store<&o::cw_mode_widget>, cw_mode_box),
        wired(cw_mode_box, "cw_mode_combo", store<&o::cw_mode_combo>,
              SIGNAL(activated(int)), SLOT(sl_cw_mode_update(int))),
        wired(cw_width_box, "cw_width_spin", store<&o::cw_width_spin>,
              SIGNAL(valueChanged(double)), SLOT(pulse_width_target_update(double))),
        wired(cw_freq_box, "cw_freq_spin", store<&o::cw_freq_spin>,
              SIGNAL(valueChanged(double)), SLOT(dcdc_freq_target_update(double))),

        row(ps_ns_box, "ps_ns_on_off_widget", nullptr, ps_ns_on_off_box),
        wired(ps_ns_box, "mode_combo", store<&o::mode_combo>, SIGNAL(activated(int)), SLOT(mode_update(int))),
        row(ps_ns_box, "pulse_power_state_label", store<&o::pulse_power_state_label>),
        row(ps_ns_box, "pulse_volt_label", store<&o::pulse_volt_label>),
        row(ps_ns_box, "pulse_temp_label", store<&o::pulse_temp_label>),
        row(ps_ns_box, "freq_label", store<&o::freq_label>),
        row(ps_ns_box, "dura_label", store<&o::dura_label>),
        row(ps_ns_box, "dura_text", store<&o::dura_text>),
        row(ps_ns_box, "N_label", store<&o::N_label>),
        row(ps_ns_box, "M_label", store<&o::M_label>),
        row(ps_ns_box, "mode_label", store<&o::mode_label>),
        wired(ps_ns_box, "pulse_gated_spin", store<&o::pulse_gated_spin>,
              SIGNAL(valueChanged(double)), SLOT(pulse_gated_target_update(double))),
        wired(ps_ns_box, "pulse_cutted_spin", store<&o::pulse_cutted_spin>,
              SIGNAL(valueChanged(double)), SLOT(pulse_cutted_target_update(double))),
        row(ps_ns_box, "volt_widget", store<&o::volt_widget>, volt_box),
        row(ps_ns_box, "pulse_temp_widget", store<&o::pulse_temp_widget>, pulse_temp_box),
        row(ps_ns_box, "dura_widget", store<&o::dura_widget>, dura_box),
        row(ps_ns_box, "freq_widget", store<&o::freq_widget>, freq_box),
        wired(ps_ns_on_off_box, "ps_ns_on_off_butt", store<&o::ps_ns_on_off_butt>,
              SIGNAL(clicked()), SLOT(laser_las_on_off_butt_clicked())),

        wired(volt_box, "volt_spin", store<&o::volt_spin>,
              SIGNAL(valueChanged(double)), SLOT(volt_target_update(double))),
        row(volt_box, "volt_indicator", store<&o::volt_indicator>),
        row(volt_box, "volt_min_label", store<&o::volt_min_label>),
        row(volt_box, "volt_max_label", store<&o::volt_max_label>),
        wired(pulse_temp_box, "pulse_temp_spin", store<&o::pulse_temp_spin>,
              SIGNAL(valueChanged(double)), SLOT(temp_target_update(double))),
        row(pulse_temp_box, "pulse_temp_indicator", store<&o::pulse_temp_indicator>),
        row(pulse_temp_box, "temp_pulse_min_label", store<&o::temp_pulse_min_label>),
        row(pulse_temp_box, "temp_pulse_max_label", store<&o::temp_pulse_max_label>),
        wired(dura_box, "dura_spin", store<&o::dura_spin>,
              SIGNAL(valueChanged(double)), SLOT(pulse_width_target_update(double))),
        row(dura_box, "dura_indicator", store<&o::dura_indicator>),
        row(dura_box, "pd_max_label", store<&o::pd_max_label>),
        row(dura_box, "pd_min_label", store<&o::pd_min_label>),
        wired(freq_box, "freq_combo", store<&o::freq_combo>, SIGNAL(activated(int)), SLOT(freq_target_update(int))),
        wired(freq_box, "freq_range_combo", store<&o::freq_range_combo>,
              SIGNAL(activated(int)), SLOT(freq_range_update(int))),
        {freq_box, "freq_spin", store<&o::freq_spin>, none,
         SIGNAL(valueChanged(double)), SLOT(freq_ps20_target_update(double)), true},
        row(freq_box, "freq_indicator", store<&o::freq_indicator>),
        row(freq_box, "rr_max_label", store<&o::rr_max_label>),
        row(freq_box, "rr_min_label", store<&o::rr_min_label>),
    };
    *count = int(std::size(table));
    return table;
}

// Tests every direct child of searched against the base names of that
// container; a container found is walked whole before the next child.
void bind_children(laser_object &o, QObject *searched, container_t container)
{
    int count = 0;
    const binding_row *table = binding_table(&count);
    for (QObject *child : searched->children()) {
        const QString name = child->objectName();
        for (int i = 0; i < count; ++i) {
            const binding_row &r = table[i];
            if (r.searched != container || name.indexOf(QLatin1String(r.base)) != 0)
                continue;
            if (r.store)
                r.store(o, child);
            if (r.signal)
                QObject::connect(child, r.signal, &o, r.slot);
            if (r.then_adapter) {
                // Made once however often freq_spin turned up, so one
                // emission runs freq_target_update once.
                QObject::connect(&o, SIGNAL(sig_freq_ps20_target_update_adapter(int)), &o,
                                 SLOT(freq_target_update(int)), Qt::UniqueConnection);
            }
            if (r.walks != none)
                bind_children(o, child, r.walks);
            break;
        }
    }
}

} // namespace

void laser_object::bind_page()
{
    if (page)
        bind_children(*this, page, page_box);
    // These inputs send their value as soon as it changes: a number being
    // typed must not go out digit by digit, only when finished (Return,
    // leaving the box, or an arrow step).
    for (QDoubleSpinBox *spin : {dura_spin, pulse_gated_spin, pulse_cutted_spin, cw_width_spin}) {
        if (spin)
            spin->setKeyboardTracking(false);
    }
    watch_operator_entries();
}
