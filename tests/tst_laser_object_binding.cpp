// The channel controller binds its page: every member holds the widget of
// its own page whatever the suffix, containers start hidden, the worker is
// made but not started, and a page lacking widgets leaves members null.

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <vector>

#include "app/resources.h"
#include "channel_page_tables.h"
#include "support/channel_fixture.h"

namespace {

using member_t = std::function<QObject *(const laser_object &)>;

#define MEMBER(name) {QStringLiteral(#name), [](const laser_object &o) -> QObject * { return o.name; }}

// Base name -> member; the widget each must hold comes from the form's own
// binding table (channel_page_tables.h).
const QHash<QString, member_t> &members()
{
    static const QHash<QString, member_t> m = {
        MEMBER(laser_group), MEMBER(laser_tab_button), MEMBER(alt_but_widget),
        MEMBER(start_stop_button_alt), MEMBER(laser_name_label), MEMBER(config_button),
        MEMBER(cw_widget), MEMBER(ps_ns_widget), MEMBER(curr_label), MEMBER(temp_label),
        MEMBER(power_label), MEMBER(power_state_label), MEMBER(fail_title), MEMBER(power_title),
        MEMBER(input_volt_title), MEMBER(input_volt_label), MEMBER(fail_butt), MEMBER(err_clr_butt),
        MEMBER(cw_mode_title), MEMBER(cw_mode_label), MEMBER(cw_freq_label), MEMBER(cw_width_label),
        MEMBER(cw_freq_title), MEMBER(cw_width_title), MEMBER(cw_temp_widget), MEMBER(cw_curr_widget),
        MEMBER(qcw_header_widget), MEMBER(cw_width_widget), MEMBER(cw_freq_widget), MEMBER(temp_spin),
        MEMBER(temp_max_label), MEMBER(temp_min_label), MEMBER(temp_indicator), MEMBER(step_size_combo),
        MEMBER(curr_spin), MEMBER(curr_max_label), MEMBER(curr_min_label), MEMBER(curr_indicator),
        MEMBER(cw_on_off_button), MEMBER(cw_mode_widget), MEMBER(cw_mode_combo), MEMBER(cw_width_spin),
        MEMBER(cw_freq_spin), MEMBER(mode_combo), MEMBER(pulse_power_state_label),
        MEMBER(pulse_volt_label), MEMBER(pulse_temp_label), MEMBER(freq_label), MEMBER(dura_label),
        MEMBER(dura_text), MEMBER(N_label), MEMBER(M_label), MEMBER(mode_label),
        MEMBER(pulse_gated_spin), MEMBER(pulse_cutted_spin), MEMBER(volt_widget),
        MEMBER(pulse_temp_widget), MEMBER(dura_widget), MEMBER(freq_widget), MEMBER(ps_ns_on_off_butt),
        MEMBER(volt_spin), MEMBER(volt_indicator), MEMBER(volt_min_label), MEMBER(volt_max_label),
        MEMBER(pulse_temp_spin), MEMBER(pulse_temp_indicator), MEMBER(temp_pulse_min_label),
        MEMBER(temp_pulse_max_label), MEMBER(dura_spin), MEMBER(dura_indicator), MEMBER(pd_max_label),
        MEMBER(pd_min_label), MEMBER(freq_combo), MEMBER(freq_range_combo), MEMBER(freq_spin),
        MEMBER(freq_indicator), MEMBER(rr_max_label), MEMBER(rr_min_label),
    };
    return m;
}

#undef MEMBER

// One widget signal (or the adapter), what sets it off and what shows that
// its slot ran, once.
struct wire {
    const char *name;
    int type;
    std::function<void(laser_object &)> act;
    std::function<bool(laser_object &, int frames, int conf_signals)> ran;
};

const std::vector<wire> &wires()
{
    using o = laser_object;
    static const std::vector<wire> w = {
        {"start_stop_button_alt", 8, [](o &c) { c.start_stop_button_alt->click(); },
         [](o &, int n, int) { return n == 3; }},
        {"cw_on_off_button", 8, [](o &c) { c.cw_on_off_button->click(); }, [](o &, int n, int) { return n == 3; }},
        {"ps_ns_on_off_butt", 8, [](o &c) { c.ps_ns_on_off_butt->click(); }, [](o &, int n, int) { return n == 3; }},
        {"config_button", 8, [](o &c) { c.config_button->setEnabled(true); c.config_button->click(); },
         [](o &, int n, int s) { return n == 0 && s == 1; }},
        {"fail_butt", 14,
         [](o &c) {
             QTimer answer;
             QObject::connect(&answer, &QTimer::timeout, [] {
                 if (QWidget *box = QApplication::activeModalWidget())
                     box->close();
             });
             answer.start(10);
             c.fail_butt->click();
         },
         [](o &, int n, int) { return n == 0; }},
        {"err_clr_butt", 11, [](o &c) { c.err_clr_butt->click(); }, [](o &, int n, int) { return n == 3; }},
        {"temp_spin", 8, [](o &c) { c.temp_spin->setValue(30.5); },
         [](o &c, int, int) { return c.worker->cw_record.temperature_set == 30.5f; }},
        {"pulse_temp_spin", 7, [](o &c) { c.pulse_temp_spin->setValue(31.5); },
         [](o &c, int, int) { return c.worker->ps_table_record.temperature_set == 31.5f; }},
        {"step_size_combo", 8, [](o &c) { c.step_size_combo->clear(); c.step_size_combo->addItem("0.5"); },
         [](o &c, int, int) { return c.curr_spin->singleStep() == 0.5 && c.temp_spin->singleStep() == 0.5; }},
        {"curr_spin", 8, [](o &c) { c.curr_spin->setValue(12.5); },
         [](o &c, int, int) { return c.worker->cw_record.current_set == 12.5f; }},
        {"cw_mode_combo", 14, [](o &c) { emit c.cw_mode_combo->activated(2); }, [](o &, int n, int) { return n == 3; }},
        {"cw_width_spin", 16, [](o &c) { c.cw_width_spin->setValue(200); },
         [](o &c, int, int) { return c.worker->dcdc_record.pulse_width_set == 200; }},
        {"cw_freq_spin", 16, [](o &c) { c.cw_freq_spin->setValue(500); },
         [](o &c, int, int) { return c.worker->dcdc_record.frequency_set == 500; }},
        {"mode_combo", 7, [](o &c) { c.worker->ps_table_record.mode_set = 9; emit c.mode_combo->activated(0); },
         [](o &c, int n, int) { return c.worker->ps_table_record.mode_set == 0 && n == 15; }},
        {"pulse_gated_spin", 7, [](o &c) { c.pulse_gated_spin->setValue(7); },
         [](o &c, int n, int) { return c.worker->ps_table_record.gated_target == 7 && n == 3; }},
        {"pulse_cutted_spin", 7, [](o &c) { c.pulse_cutted_spin->setValue(8); },
         [](o &c, int n, int) { return c.worker->ps_table_record.cutted_target == 8 && n == 3; }},
        {"volt_spin", 7, [](o &c) { c.volt_spin->setValue(11.5); },
         [](o &c, int, int) { return c.worker->ps_table_record.voltage_set == 11.5f; }},
        {"dura_spin", 6, [](o &c) { c.dura_spin->setValue(10.5); },
         [](o &c, int, int) { return c.worker->ns_table_record.pulse_width_target == 10.5f; }},
        {"freq_combo", 7, [](o &c) { c.freq_combo->addItems({"1", "2", "5"}); emit c.freq_combo->activated(2); },
         [](o &c, int n, int) { return c.worker->ps_table_record.frequency_target == 5 && n == 3; }},
        {"freq_range_combo", 20, [](o &c) { emit c.freq_range_combo->activated(2); },
         [](o &c, int, int) { return c.freq_spin->decimals() == 1 && c.freq_spin->maximum() == 30.0; }},
        {"freq_spin and the adapter", 20,
         [](o &c) { c.freq_range_combo->setCurrentIndex(0); c.freq_spin->setValue(12); },
         [](o &c, int, int) { return c.worker->ps_record.frequency_target == 12; }},
        {"adapter once", 7,
         [](o &c) { c.freq_combo->addItems({"1", "2"}); emit c.sig_freq_ps20_target_update_adapter(1); },
         [](o &c, int n, int) { return c.worker->ps_table_record.frequency_target == 2 && n == 3; }},
    };
    return w;
}

QWidget *child_widget(QWidget *parent, const char *name)
{
    auto *w = new QWidget(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

} // namespace

class tst_laser_object_binding : public QObject {
    Q_OBJECT

    form_fixture::built_form form;

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        form = form_fixture::build();
        QCOMPARE(members().size(), 78);
    }

    void binds_every_member_on_every_page_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < channel_pages::channel_count; ++i)
            QTest::newRow(qPrintable(form_fixture::page_widget_name(i))) << i;
    }

    void binds_every_member_on_every_page()
    {
        QFETCH(int, index);
        QWidget *page = channel_fixture::page(form, index);
        QVERIFY(page);
        const auto ch = channel_fixture::make(page, 40 + index);
        const QString suffix = form_fixture::page_suffixes().at(index);
        QSet<QObject *> seen;
        for (const channel_pages::binding &b : channel_pages::bindings()) {
            const auto it = members().find(QLatin1String(b.base));
            if (it == members().end())
                continue; // the two on/off strips are walked, not kept
            QObject *bound = (*it)(*ch);
            QVERIFY2(bound, b.base);
            QCOMPARE(bound->objectName(), QLatin1String(b.target) + suffix);
            QVERIFY(page->isAncestorOf(qobject_cast<QWidget *>(bound)));
            seen.insert(bound);
        }
        QCOMPARE(seen.size(), 78);
        QCOMPARE(ch->page, page);
        QVERIFY(ch->cw_widget->isHidden());
        QVERIFY(ch->ps_ns_widget->isHidden());

        QVERIFY(ch->worker);
        QVERIFY(!ch->worker->isRunning());
        QCOMPARE(ch->can_address, 40 + index);
        const laser_worker &w = *ch->worker;
        for (int32_t a : {w.cw_record.can_address.load(), w.ps_table_record.can_address.load(),
                          w.ns_table_record.can_address.load(), w.dcdc_record.can_address.load(),
                          w.power_record.can_address.load(), w.ps_record.can_address.load(),
                          w.ns_record.can_address.load()})
            QCOMPARE(a, 40 + index);
        QVERIFY(ch->tx_data.isEmpty());
        QVERIFY(ch->channel_name.isEmpty());
        QVERIFY(ch->auto_send);
        QCOMPARE(ch->channel_index, 0);
        QCOMPARE(ch->min_current, 0.0);
    }

    void each_connection_reaches_its_slot_once_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(wires().size()); ++i)
            QTest::newRow(wires()[size_t(i)].name) << i;
    }

    void each_connection_reaches_its_slot_once()
    {
        QFETCH(int, row);
        const wire &w = wires()[size_t(row)];
        const auto ch = channel_fixture::make(channel_fixture::page(form, 3));
        ch->worker->device_type = w.type;
        ch->channel_index = 3;
        QSignalSpy frames(ch->worker, &laser_worker::thread_serial_write);
        QSignalSpy conf(ch.get(), &laser_object::show_conf_dialog_signal);
        w.act(*ch);
        QVERIFY(w.ran(*ch, frames.size(), conf.size()));
        if (!conf.isEmpty())
            QCOMPARE(conf.at(0).at(0).toInt(), 3);
    }

    void missing_page_leaves_members_null()
    {
        const auto ch = channel_fixture::make(nullptr, 7);
        for (const member_t &m : members())
            QVERIFY(!m(*ch));
        QCOMPARE(ch->worker->cw_record.can_address.load(), 7);
    }

    // Only the container chain is searched, names match case-sensitively at
    // the start, and a page lacking widgets binds what it has.
    void partial_page_binds_what_it_has()
    {
        QWidget page;
        auto *group = new QGroupBox(&page);
        group->setObjectName(QStringLiteral("laser_group_box_x"));
        QWidget *cw = child_widget(group, "cw_widget_x");
        QWidget *curr = child_widget(cw, "cw_curr_widget_x");
        auto *spin = new QDoubleSpinBox(curr);
        spin->setObjectName(QStringLiteral("curr_spin_x"));
        auto *upper = new QDoubleSpinBox(curr);
        upper->setObjectName(QStringLiteral("TEMP_SPIN"));
        auto *misplaced = new QDoubleSpinBox(cw); // right name, wrong container
        misplaced->setObjectName(QStringLiteral("temp_spin"));
        child_widget(&page, "xcurr_spin"); // base name not at the start

        const auto ch = channel_fixture::make(&page);
        QCOMPARE(ch->laser_group, group);
        QCOMPARE(ch->cw_widget, cw);
        QCOMPARE(ch->cw_curr_widget, curr);
        QCOMPARE(ch->curr_spin, spin);
        QVERIFY(!ch->temp_spin);
        QVERIFY(!ch->ps_ns_widget);
        QVERIFY(!ch->freq_spin);
        QVERIFY(cw->isHidden());
    }
};

QTEST_MAIN(tst_laser_object_binding)
#include "tst_laser_object_binding.moc"
