#pragma once

// What the rest of the program knows about the ten channel pages: their
// object-name suffixes and the base names the channel control binds by.

#include <QString>
#include <QStringList>
#include <QVector>

namespace channel_pages {

constexpr int channel_count = 10;
constexpr int objects_per_page = 238;

// Named children of channel N carry this suffix; the page widget itself is
// laser_widget, laser_widget_2, ... laser_widget_10.
inline QStringList suffixes()
{
    return {QString(), QStringLiteral("_2"), QStringLiteral("_3"), QStringLiteral("_4"),
            QStringLiteral("_5"), QStringLiteral("_7"), QStringLiteral("_8"),
            QStringLiteral("_9"), QStringLiteral("_10"), QStringLiteral("_12")};
}

inline QString page_name(int channel)
{
    return channel == 1 ? QStringLiteral("laser_widget")
                        : QStringLiteral("laser_widget_%1").arg(channel);
}

struct binding {
    const char *container; // channel-1 name of the container searched
    const char *base;      // base name looked up among its direct children
    const char *target;    // channel-1 name of the one child it must find
    const char *class_name;
};

// The channel control's lookup table, container by container, in its order.
inline const QVector<binding> &bindings()
{
    static const QVector<binding> table = {
        {"laser_widget", "laser_group", "laser_group_box", "QGroupBox"},
        {"laser_widget", "laser_tab_button", "laser_tab_button", "QPushButton"},
        {"laser_widget", "alt_but_widget", "alt_but_widget", "QWidget"},
        {"alt_but_widget", "start_stop_button_alt", "start_stop_button_alt", "QPushButton"},
        {"laser_group_box", "laser_name_label", "laser_name_label", "QLabel"},
        {"laser_group_box", "config_button", "config_button", "QPushButton"},
        {"laser_group_box", "cw_widget", "cw_widget", "QWidget"},
        {"laser_group_box", "ps_ns_widget", "ps_ns_widget", "QWidget"},
        {"cw_widget", "curr_label", "curr_label", "QLabel"},
        {"cw_widget", "temp_label", "temp_label", "QLabel"},
        {"cw_widget", "power_label", "power_label", "QLabel"},
        {"cw_widget", "power_state_label", "power_state_label", "QLabel"},
        {"cw_widget", "fail_title", "fail_title", "QLabel"},
        {"cw_widget", "power_title", "power_title", "QLabel"},
        {"cw_widget", "input_volt_title", "input_volt_title", "QLabel"},
        {"cw_widget", "input_volt_label", "input_volt_label", "QLabel"},
        {"cw_widget", "fail_butt", "fail_butt", "QPushButton"},
        {"cw_widget", "err_clr_butt", "err_clr_butt", "QPushButton"},
        {"cw_widget", "cw_mode_title", "cw_mode_title", "QLabel"},
        {"cw_widget", "cw_mode_label", "cw_mode_label", "QLabel"},
        {"cw_widget", "cw_freq_label", "cw_freq_label", "QLabel"},
        {"cw_widget", "cw_width_label", "cw_width_label", "QLabel"},
        {"cw_widget", "cw_freq_title", "cw_freq_title", "QLabel"},
        {"cw_widget", "cw_width_title", "cw_width_title", "QLabel"},
        {"cw_widget", "cw_temp_widget", "cw_temp_widget", "QWidget"},
        {"cw_widget", "cw_curr_widget", "cw_curr_widget", "QWidget"},
        {"cw_widget", "cw_on_off_widget", "cw_on_off_widget", "QWidget"},
        {"cw_widget", "qcw_header_widget", "qcw_header_widget", "QWidget"},
        {"cw_widget", "cw_width_widget", "cw_width_widget", "QWidget"},
        {"cw_widget", "cw_freq_widget", "cw_freq_widget", "QWidget"},
        {"cw_temp_widget", "temp_spin", "temp_spin", "QDoubleSpinBox"},
        {"cw_temp_widget", "temp_max_label", "temp_max_label", "QLabel"},
        {"cw_temp_widget", "temp_min_label", "temp_min_label", "QLabel"},
        {"cw_temp_widget", "temp_indicator", "temp_indicator", "QProgressBar"},
        {"cw_temp_widget", "step_size_combo", "step_size_combo", "QComboBox"},
        {"cw_curr_widget", "curr_spin", "curr_spin", "QDoubleSpinBox"},
        {"cw_curr_widget", "curr_max_label", "curr_max_label", "QLabel"},
        {"cw_curr_widget", "curr_min_label", "curr_min_label", "QLabel"},
        {"cw_curr_widget", "curr_indicator", "curr_indicator", "QProgressBar"},
        {"cw_on_off_widget", "cw_on_off_button", "cw_on_off_button", "QPushButton"},
        {"cw_on_off_widget", "cw_mode_widget", "cw_mode_widget", "QWidget"},
        {"cw_mode_widget", "cw_mode_combo", "cw_mode_combo", "QComboBox"},
        {"cw_width_widget", "cw_width_spin", "cw_width_spin", "QDoubleSpinBox"},
        {"cw_freq_widget", "cw_freq_spin", "cw_freq_spin", "QDoubleSpinBox"},
        {"ps_ns_widget", "ps_ns_on_off_widget", "ps_ns_on_off_widget", "QWidget"},
        {"ps_ns_widget", "mode_combo", "mode_combo", "QComboBox"},
        {"ps_ns_widget", "pulse_power_state_label", "pulse_power_state_label", "QLabel"},
        {"ps_ns_widget", "pulse_volt_label", "pulse_volt_label", "QLabel"},
        {"ps_ns_widget", "pulse_temp_label", "pulse_temp_label", "QLabel"},
        {"ps_ns_widget", "freq_label", "freq_label", "QLabel"},
        {"ps_ns_widget", "dura_label", "dura_label", "QLabel"},
        {"ps_ns_widget", "dura_text", "dura_text", "QLabel"},
        {"ps_ns_widget", "N_label", "N_label", "QLabel"},
        {"ps_ns_widget", "M_label", "M_label", "QLabel"},
        {"ps_ns_widget", "mode_label", "mode_label", "QLabel"},
        {"ps_ns_widget", "pulse_gated_spin", "pulse_gated_spin", "QDoubleSpinBox"},
        {"ps_ns_widget", "pulse_cutted_spin", "pulse_cutted_spin", "QDoubleSpinBox"},
        {"ps_ns_widget", "volt_widget", "volt_widget", "QWidget"},
        {"ps_ns_widget", "pulse_temp_widget", "pulse_temp_widget", "QWidget"},
        {"ps_ns_widget", "dura_widget", "dura_widget", "QWidget"},
        {"ps_ns_widget", "freq_widget", "freq_widget", "QWidget"},
        {"ps_ns_on_off_widget", "ps_ns_on_off_butt", "ps_ns_on_off_butt", "QPushButton"},
        {"volt_widget", "volt_spin", "volt_spin", "QDoubleSpinBox"},
        {"volt_widget", "volt_indicator", "volt_indicator", "QProgressBar"},
        {"volt_widget", "volt_min_label", "volt_min_label", "QLabel"},
        {"volt_widget", "volt_max_label", "volt_max_label", "QLabel"},
        {"pulse_temp_widget", "pulse_temp_spin", "pulse_temp_spin", "QDoubleSpinBox"},
        {"pulse_temp_widget", "pulse_temp_indicator", "pulse_temp_indicator", "QProgressBar"},
        {"pulse_temp_widget", "temp_pulse_min_label", "temp_pulse_min_label", "QLabel"},
        {"pulse_temp_widget", "temp_pulse_max_label", "temp_pulse_max_label", "QLabel"},
        {"dura_widget", "dura_spin", "dura_spin", "QDoubleSpinBox"},
        {"dura_widget", "dura_indicator", "dura_indicator", "QProgressBar"},
        {"dura_widget", "pd_max_label", "pd_max_label", "QLabel"},
        {"dura_widget", "pd_min_label", "pd_min_label", "QLabel"},
        {"freq_widget", "freq_combo", "freq_combo", "QComboBox"},
        {"freq_widget", "freq_range_combo", "freq_range_combo", "QComboBox"},
        {"freq_widget", "freq_spin", "freq_spin", "QDoubleSpinBox"},
        {"freq_widget", "freq_indicator", "freq_indicator", "QProgressBar"},
        {"freq_widget", "rr_max_label", "rr_max_label", "QLabel"},
        {"freq_widget", "rr_min_label", "rr_min_label", "QLabel"},
    };
    return table;
}

// True for the designer's own numbered names, which no code looks up.
inline bool is_generic(const QString &name)
{
    static const QStringList words = {QStringLiteral("label"), QStringLiteral("line"),
                                      QStringLiteral("horizontalLayout"),
                                      QStringLiteral("verticalLayout")};
    for (const QString &w : words) {
        if (name == w)
            return true;
        if (name.startsWith(w + QLatin1Char('_'))) {
            bool ok = false;
            name.mid(w.size() + 1).toInt(&ok);
            if (ok)
                return true;
        }
    }
    return false;
}

// The word of a generic name: "label" for label_91.
inline QString generic_word(const QString &name)
{
    const int cut = name.lastIndexOf(QLatin1Char('_'));
    return cut < 0 ? name : name.left(cut);
}

} // namespace channel_pages
