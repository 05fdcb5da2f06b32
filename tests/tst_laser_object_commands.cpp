// Commands leave through the worker's transmit signal as exact 22-character
// frames, each three times, in the order the compound operations give; a
// command run inside another's waits does not change the other's frames.

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/resources.h"
#include "support/channel_fixture.h"

using namespace channel_fixture;

namespace {

// Set points that every record holds before a command is sent.
void prime(laser_worker &w)
{
    w.cw_record.current_set = 123.4f;
    w.cw_record.temperature_set = 25.35f;
    w.cw_record.tec_on = 1;
    w.dcdc_record.current_set = 2.5f;
    w.dcdc_record.frequency_set = 1000;
    w.dcdc_record.pulse_width_set = 150;
    w.power_record.current_set = 2.5f;
    auto pulsed = [](auto &r, int32_t rate) {
        r.temperature_set = 25.35f;
        r.voltage_set = r.voltage_target = 12.5f;
        r.frequency_target = rate;
        r.gated_target = 3;
        r.cutted_target = 2;
        r.mode_set = 2;
        r.tec_on = 1;
    };
    pulsed(w.ps_table_record, 50);
    pulsed(w.ns_table_record, 70000); // wider than the 16 bits it travels in
    pulsed(w.ps_record, 50000);
    pulsed(w.ns_record, 50000);
    w.ns_table_record.pulse_width_target = 12.2f;
    w.ns_record.pulse_width_target = 12.2f;
}

uint8_t &output_flag(laser_worker &w)
{
    switch (w.device_type) {
    case 11: return w.dcdc_record.output_on;
    case 18: return w.power_record.output_on;
    case 7: return w.ps_table_record.emission_on;
    case 21: return w.ns_record.emission_on;
    default: return w.cw_record.output_on;
    }
}

// What the main window does for the inputs it watches: a Return or Enter
// key press reaches the channel's Return slot before the box sees it.
class return_router : public QObject
{
public:
    explicit return_router(laser_object *c) : channel(c) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                channel->sl_return_key_pressed_on_spinbox(watched);
        }
        return false;
    }

private:
    laser_object *channel;
};

// The 16 data hex digits of a frame with this code and a value at the end.
QByteArray data_of(int code, qint64 value)
{
    return QByteArray::number(code, 16).toUpper().rightJustified(2, '0') + "000000" +
           QByteArray::number(value, 16).toUpper().rightJustified(8, '0');
}

} // namespace

class tst_laser_object_commands : public QObject {
    Q_OBJECT

    form_fixture::built_form form;

    controller on_page(int type)
    {
        controller ch = make(page(form, 0));
        ch->worker->device_type = type;
        prime(*ch->worker);
        return ch;
    }

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        form = form_fixture::build();
    }

    void sends_one_frame_three_times_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<QByteArray>("data"); // empty: nothing sent
        QTest::newRow("current 8 x10 16 bit") << 8 << QByteArray("laser_current_butt_clicked") << QByteArray("11000000000004D2");
        QTest::newRow("current 10 x100 32 bit") << 10 << QByteArray("laser_current_butt_clicked") << QByteArray("1100000000003034");
        QTest::newRow("current 11 x100") << 11 << QByteArray("laser_current_butt_clicked") << QByteArray("11000000000000FA");
        QTest::newRow("current 18 x100") << 18 << QByteArray("laser_current_butt_clicked") << QByteArray("11000000000000FA");
        QTest::newRow("current 7 none") << 7 << QByteArray("laser_current_butt_clicked") << QByteArray();
        QTest::newRow("temperature 8 truncated") << 8 << QByteArray("laser_temperature_butt_clicked") << QByteArray("12000000000000FD");
        QTest::newRow("temperature 14 truncated") << 14 << QByteArray("laser_temperature_butt_clicked") << QByteArray("12000000000000FD");
        QTest::newRow("temperature 7 truncated") << 7 << QByteArray("laser_temperature_butt_clicked") << QByteArray("12000000000000FD");
        QTest::newRow("temperature 20 truncated") << 20 << QByteArray("laser_temperature_butt_clicked") << QByteArray("12000000000000FD");
        QTest::newRow("temperature 6 rounded") << 6 << QByteArray("laser_temperature_butt_clicked") << QByteArray("12000000000000FE");
        QTest::newRow("temperature 13 rounded") << 13 << QByteArray("laser_temperature_butt_clicked") << QByteArray("12000000000000FE");
        QTest::newRow("temperature 21 rounded") << 21 << QByteArray("laser_temperature_butt_clicked") << QByteArray("12000000000000FE");
        QTest::newRow("temperature 10 x10000") << 10 << QByteArray("laser_temperature_butt_clicked") << QByteArray("120000000003DE3C");
        QTest::newRow("rate 7 32 bit") << 7 << QByteArray("laser_frequency_butt_clicked") << QByteArray("1900000000000032");
        // 70000 kHz at the 12.2 ns held would be 85 % duty: the highest
        // table rate the width allows goes out instead, in two bytes.
        QTest::newRow("rate 6 16 bit, held to the width") << 6 << QByteArray("laser_frequency_butt_clicked") << QByteArray("19000000000003E8");
        QTest::newRow("rate 21 32 bit") << 21 << QByteArray("laser_frequency_butt_clicked") << QByteArray("190000000000C350");
        QTest::newRow("rate 16 QCW") << 16 << QByteArray("laser_frequency_butt_clicked") << QByteArray("19000000000003E8");
        QTest::newRow("rate 11 none") << 11 << QByteArray("laser_frequency_butt_clicked") << QByteArray();
        QTest::newRow("width 13 x10") << 13 << QByteArray("laser_pulse_width_butt_clicked") << QByteArray("230000000000007A");
        QTest::newRow("width 16 QCW") << 16 << QByteArray("laser_pulse_width_butt_clicked") << QByteArray("2300000000000096");
        QTest::newRow("width 20 none") << 20 << QByteArray("laser_pulse_width_butt_clicked") << QByteArray();
        QTest::newRow("voltage 7") << 7 << QByteArray("laser_voltage_butt_clicked") << QByteArray("180000000000007D");
        QTest::newRow("gated 20") << 20 << QByteArray("laser_pulse_gated_butt_clicked") << QByteArray("3400000000000003");
        QTest::newRow("cutted 13") << 13 << QByteArray("laser_pulse_cutted_butt_clicked") << QByteArray("3500000000000002");
        QTest::newRow("mode 21") << 21 << QByteArray("mode_butt_clicked") << QByteArray("2400000000000002");
        QTest::newRow("clear 11") << 11 << QByteArray("err_clr_butt_clicked") << QByteArray("2900000000000000");
        QTest::newRow("clear 8 none") << 8 << QByteArray("err_clr_butt_clicked") << QByteArray();
        QTest::newRow("off 10") << 10 << QByteArray("laser_off") << QByteArray("1000000000000000");
        QTest::newRow("off 16") << 16 << QByteArray("laser_off") << QByteArray("1000000000000000");
        QTest::newRow("off 18") << 18 << QByteArray("laser_off") << QByteArray("1000000000000000");
        QTest::newRow("off 21 emission") << 21 << QByteArray("laser_off") << QByteArray("2200000000000000");
        QTest::newRow("off no device") << -1 << QByteArray("laser_off") << QByteArray();
        QTest::newRow("tec 8 always on") << 8 << QByteArray("laser_tec_on_off_butt_clicked") << QByteArray("2100000000000001");
        QTest::newRow("tec 13 toggled") << 13 << QByteArray("laser_tec_on_off_butt_clicked") << QByteArray("2100000000000000");
        QTest::newRow("voltage on 7") << 7 << QByteArray("laser_volt_on_off_butt_clicked") << QByteArray("2000000000000001");
    }

    void sends_one_frame_three_times()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, slot);
        QFETCH(QByteArray, data);
        const controller ch = on_page(type);
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        QVERIFY(QMetaObject::invokeMethod(ch.get(), slot.constData()));
        QCOMPARE(frames(spy), data.isEmpty() ? QList<QByteArray>() : tripled({data.constData()}));
        if (!data.isEmpty())
            QCOMPARE(ch->tx_data, sent(data.constData()));
    }

    // The off command of every family whose flag is set, whatever the type
    // is now (a board marked lost, a board of another family at the
    // address), besides that of the current type; a frame the families share
    // goes once.
    void laser_off_reaches_every_flagged_family_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::newRow("lost, CW on") << -1 << QStringList{"cw"} << tripled({"1000000000000000"});
        QTest::newRow("lost, DC/DC on") << -1 << QStringList{"dcdc"} << tripled({"1000000000000000"});
        QTest::newRow("lost, power on") << -1 << QStringList{"power"} << tripled({"1000000000000000"});
        QTest::newRow("lost, PS table on") << -1 << QStringList{"ps_table"} << tripled({"2200000000000000"});
        QTest::newRow("lost, PS on") << -1 << QStringList{"ps"} << tripled({"2200000000000000"});
        QTest::newRow("lost, NS table on") << -1 << QStringList{"ns_table"} << tripled({"2200000000000000"});
        QTest::newRow("lost, NS on") << -1 << QStringList{"ns"} << tripled({"2200000000000000"});
        QTest::newRow("nothing reported yet, CW on") << 0 << QStringList{"cw"} << tripled({"1000000000000000"});
        QTest::newRow("lost, CW and NS on")
            << -1 << QStringList{"cw", "ns"} << tripled({"1000000000000000", "2200000000000000"});
        QTest::newRow("CW board, old PS flag")
            << 8 << QStringList{"ps"} << tripled({"1000000000000000", "2200000000000000"});
        QTest::newRow("PS board, own flag and old DC/DC flag")
            << 20 << QStringList{"ps", "dcdc"} << tripled({"2200000000000000", "1000000000000000"});
        QTest::newRow("NS board, two pulsed flags: one frame")
            << 21 << QStringList{"ns", "ps_table"} << tripled({"2200000000000000"});
        QTest::newRow("lost, no flag") << -1 << QStringList{} << QList<QByteArray>();
    }

    void laser_off_reaches_every_flagged_family()
    {
        QFETCH(int, type);
        QFETCH(QStringList, flags);
        QFETCH(QList<QByteArray>, expected);
        const controller ch = on_page(type);
        laser_worker &w = *ch->worker;
        const QList<QPair<QString, uint8_t *>> named = output_flags(w);
        for (const auto &n : named)
            *n.second = flags.contains(n.first) ? 1 : 0;
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        ch->laser_off();
        QCOMPARE(frames(spy), expected);
        // No flag is touched: they fall when the board reports its output off.
        for (const auto &n : named)
            QCOMPARE(int(*n.second), flags.contains(n.first) ? 1 : 0);
    }

    void cw_mode_goes_to_boards_with_modes()
    {
        for (int type : {8, 10, 14, 15, 16, 18}) {
            const controller ch = on_page(type);
            QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
            ch->sl_cw_mode_update(0x102);
            const bool has_modes = type != 8 && type != 10;
            QCOMPARE(frames(spy), has_modes ? tripled({"2400000000000002"}) : QList<QByteArray>());
        }
    }

    void set_point_is_held_when_sent()
    {
        const controller ch = on_page(7);
        ch->laser_voltage_butt_clicked();
        ch->laser_temperature_butt_clicked();
        QCOMPARE(ch->worker->ps_table_record.voltage_target, 12.5f);
        QCOMPARE(ch->worker->ps_table_record.temperature_target, 25.35f);
    }

    void output_switch_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("was_on");
        QTest::addColumn<double>("min_current");
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::newRow("8 on") << 8 << 0 << 0.0 << tripled({"1000000000000001"});
        QTest::newRow("10 off") << 10 << 1 << 0.0 << tripled({"1000000000000000"});
        QTest::newRow("11 on: output only") << 11 << 0 << 0.0 << tripled({"1000000000000001"});
        QTest::newRow("11 off: current 0 first") << 11 << 1 << 0.0 << tripled({"1100000000000000", "1000000000000000"});
        QTest::newRow("18 off: current raised to min")
            << 18 << 1 << 0.5 << tripled({"1100000000000032", "1000000000000000"});
        QTest::newRow("7 on: 12 frames") << 7 << 0 << 0.0
                                         << tripled({"1900000000000032", "2000000000000001", "180000000000007D",
                                                     "2200000000000001"});
        QTest::newRow("7 off: 9 frames") << 7 << 1 << 0.0
                                          << tripled({"1900000000000032", "2000000000000000", "2200000000000000"});
    }

    void output_switch()
    {
        QFETCH(int, type);
        QFETCH(int, was_on);
        QFETCH(double, min_current);
        QFETCH(QList<QByteArray>, expected);
        // As the board's own value loaded into the page: nothing typed.
        page(form, 0)->findChild<QDoubleSpinBox *>(QStringLiteral("curr_spin"))->setValue(3.0);
        const controller ch = on_page(type);
        ch->min_current = min_current;
        output_flag(*ch->worker) = uint8_t(was_on);
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        ch->cw_on_off_button->click();
        QCOMPARE(frames(spy), expected);
        QCOMPARE(int(output_flag(*ch->worker)), was_on ? 0 : 1);
        QCOMPARE(ch->config_button->isEnabled(), bool(was_on));
        QSignalSpy conf(ch.get(), &laser_object::show_conf_dialog_signal);
        ch->config_button_clicked();
        QCOMPARE(conf.size(), was_on); // no parameters window on an output that is on
    }

    // The direction comes from the flag at the click, even when a reply
    // decoded inside the current command's waits reports the output off.
    void output_switch_reads_the_flag_once()
    {
        const controller ch = on_page(11);
        ch->worker->dcdc_record.output_on = 1;
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        QTimer::singleShot(0, ch.get(), [&] { feed(*ch, 0x90, 0); });
        ch->laser_las_on_off_butt_clicked();
        QCOMPARE(frames(spy), tripled({"1100000000000000", "1000000000000000"}));
        QCOMPARE(int(ch->worker->dcdc_record.output_on), 0);
    }

    // A command run inside another's waits leaves the other's remaining
    // repetitions carrying the other's own frame.
    void nested_command_keeps_the_outer_frame()
    {
        const controller ch = on_page(8);
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        QTimer::singleShot(0, ch.get(), [&] { ch->laser_temperature_butt_clicked(); });
        ch->laser_current_butt_clicked();
        const QList<QByteArray> out = frames(spy);
        QCOMPARE(out.size(), 6);
        QCOMPARE(out.count(sent("11000000000004D2")), 3);
        QCOMPARE(out.count(sent("12000000000000FD")), 3);
        QCOMPARE(out.first(), sent("11000000000004D2"));
        QCOMPARE(out.last(), sent("11000000000004D2"));
    }

    // Return sends what the box shows, and only the owner's input counts.
    void return_reaches_only_the_owner_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("shown");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("curr_spin") << "curr_spin" << 8 << 123.4 << QByteArray("11000000000004D2");
        QTest::newRow("temp_spin") << "temp_spin" << 8 << 25.5 << QByteArray("12000000000000FF");
        QTest::newRow("pulse_temp_spin") << "pulse_temp_spin" << 21 << 25.5 << QByteArray("12000000000000FF");
        QTest::newRow("volt_spin") << "volt_spin" << 7 << 12.5 << QByteArray("180000000000007D");
        QTest::newRow("freq_spin") << "freq_spin" << 20 << 50000.0 << QByteArray("190000000000C350");
        QTest::newRow("cw_freq_spin QCW") << "cw_freq_spin" << 16 << 1000.0 << QByteArray("19000000000003E8");
        QTest::newRow("dura_spin") << "dura_spin" << 21 << 12.2 << QByteArray("230000000000007A");
        QTest::newRow("cw_width_spin QCW") << "cw_width_spin" << 16 << 150.0 << QByteArray("2300000000000096");
        QTest::newRow("pulse_gated_spin") << "pulse_gated_spin" << 20 << 3.0 << QByteArray("3400000000000003");
        QTest::newRow("pulse_cutted_spin") << "pulse_cutted_spin" << 20 << 2.0 << QByteArray("3500000000000002");
        QTest::newRow("another channel") << "curr_spin_2" << 8 << 123.4 << QByteArray();
        QTest::newRow("a combo box") << "freq_combo" << 7 << 0.0 << QByteArray();
    }

    void return_reaches_only_the_owner()
    {
        QFETCH(QString, input);
        QFETCH(int, type);
        QFETCH(double, shown);
        QFETCH(QByteArray, data);
        const controller ch = on_page(type);
        ch->freq_range_combo->setCurrentIndex(0);
        QObject *watched = form.window->findChild<QObject *>(input);
        QVERIFY(watched);
        if (auto *spin = qobject_cast<QDoubleSpinBox *>(watched))
            spin->setValue(shown);
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        ch->sl_return_key_pressed_on_spinbox(watched);
        ch->sl_return_key_pressed_on_spinbox(nullptr);
        QCOMPARE(frames(spy), data.isEmpty() ? QList<QByteArray>() : tripled({data.constData()}));
    }

    // An operator at a pulsed page, with real key events: the board has
    // reported its rate and width (held as reported, as after its first
    // readings). Steps: "set <input> <v>" puts a value in a box as a load
    // does; "|" starts the frame count; "type <input> <text>" selects the
    // box's text and types; "return", "up", "leave <input>"; "unit <text>"
    // and "pick <text>" choose in the unit list and the rate table; "on"
    // clicks the output switch; "shows <input> <text>" checks the box;
    // "poll" is the worker asking for the output state; "flag <0|1>"
    // checks the output flag, "counted <0|1>" whether the turn-off takes
    // the output as on, "turn-off" runs one of its passes; "locale <name>"
    // makes it the default until the row ends.
    void operator_entries_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("rate");   // reported: kHz for 6, Hz for 21
        QTest::addColumn<double>("width"); // reported, ns
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QList<QByteArray>>("expected");
        const QList<QByteArray> on_tail = {data_of(0x20, 1), data_of(0x18, 0), data_of(0x22, 1)};
        const auto tripled_all = [](const QList<QByteArray> &data) {
            QList<QByteArray> out;
            for (const QByteArray &d : data)
                out << sent(d.constData()) << sent(d.constData()) << sent(d.constData());
            return out;
        };
        // 0.2 MHz held, never sent, then 1000 ns: the width is held to the
        // rate output on will send (100 ns), and 200 kHz goes out with it.
        QTest::newRow("21 rate held above the report, then a wider width")
            << 21 << 10000 << 100.0
            << QStringList{"|", "unit MHz", "type freq_spin 0.2", "shows freq_spin 200",
                           "type dura_spin 1000", "return dura_spin", "shows dura_spin 100.0", "on"}
            << tripled_all(QList<QByteArray>{data_of(0x23, 1000), data_of(0x19, 200000)} + on_tail);
        // A width the board reports after the rate was entered (set from
        // elsewhere) holds the rate output on sends, and the page shows it.
        QTest::newRow("21 output on holds the rate to the width the board reports")
            << 21 << 10000 << 100.0
            << QStringList{"unit kHz", "type freq_spin 50", "|", "report 0xA3 10000", "shows freq_spin 50", "on",
                           "shows freq_spin 20", "shows freq_range_combo kHz"}
            << tripled_all(QList<QByteArray>{data_of(0x19, 20000)} + on_tail);
        // A table pick goes out at once; the board reports it only on its
        // next poll, and the width entered meanwhile is held to it.
        QTest::newRow("6 table pick, then a wider width before the next report")
            << 6 << 10 << 100.0
            << QStringList{"|", "pick 200", "type dura_spin 1000", "return dura_spin", "shows dura_spin 100.0", "on"}
            << tripled_all(QList<QByteArray>{"19000000000000C8", data_of(0x23, 1000), "19000000000000C8"} +
                           on_tail);
        QTest::newRow("13 output on picks the table rate the width the board reports allows")
            << 13 << 10 << 100.0
            << QStringList{"pick 200", "|", "report 0xA3 10000", "on", "shows freq_combo 20"}
            << tripled_all(QList<QByteArray>{"1900000000000014"} + on_tail);
        // Limited from 2 MHz to 40 kHz: the box shows 40 in kHz, Return
        // sends 40 kHz and keeps it for output on.
        QTest::newRow("21 limit into another unit: shown, sent and kept")
            << 21 << 10000 << 500.0
            << QStringList{"|", "unit MHz", "type freq_spin 2.0", "shows freq_spin 40", "shows freq_range_combo kHz",
                           "return freq_spin", "shows freq_spin 40", "on"}
            << tripled_all(QList<QByteArray>{data_of(0x19, 40000), data_of(0x19, 40000)} + on_tail);
        // The number left in the box after a change of unit is taken in the
        // new unit (limited, as typed), and is what Return sends, not the
        // rate held before in the other unit.
        QTest::newRow("21 Return after a change of unit")
            << 21 << 10000 << 100.0
            << QStringList{"unit kHz", "type freq_spin 10", "|", "unit MHz", "shows freq_spin 200", "return freq_spin",
                           "shows freq_spin 200", "shows freq_range_combo kHz"}
            << tripled_all({data_of(0x19, 200000)});
        QTest::newRow("21 width typed: once, when finished")
            << 21 << 10000 << 48.0 << QStringList{"set dura_spin 48", "|", "type dura_spin 150", "return dura_spin"}
            << tripled_all({data_of(0x23, 1500)});
        QTest::newRow("21 width typed, box left")
            << 21 << 10000 << 48.0 << QStringList{"set dura_spin 48", "|", "type dura_spin 150", "leave dura_spin"}
            << tripled_all({data_of(0x23, 1500)});
        QTest::newRow("21 width arrow step: at once")
            << 21 << 10000 << 48.0 << QStringList{"set dura_spin 48", "|", "up dura_spin"}
            << tripled_all({data_of(0x23, 490)});
        QTest::newRow("21 Return on an unchanged count")
            << 21 << 10000 << 48.0 << QStringList{"set pulse_gated_spin 3", "|", "return pulse_gated_spin"}
            << tripled_all({data_of(0x34, 3)});
        QTest::newRow("6 count typed")
            << 6 << 10 << 100.0
            << QStringList{"set pulse_cutted_spin 1", "|", "type pulse_cutted_spin 12", "return pulse_cutted_spin"}
            << tripled_all({data_of(0x35, 12)});
        // An entry left unfinished goes out before output on, whether the
        // switch is clicked (it takes no focus) or pressed without the mouse.
        QTest::newRow("20 count typed, switch clicked")
            << 20 << 10000 << 48.0 << QStringList{"set pulse_gated_spin 5", "|", "type pulse_gated_spin 7", "click"}
            << tripled_all(QList<QByteArray>{data_of(0x34, 7), data_of(0x19, 10000)} + on_tail);
        // "2." of a "2.5" is no count: leaving the box sends nothing (it
        // would read 2 and send it at once) and the box shows its count.
        QTest::newRow("20 \"2.5\" in the gated count, box left: nothing")
            << 20 << 10000 << 48.0 << QStringList{"locale C", "set pulse_gated_spin 5", "|", "type pulse_gated_spin 2.5", "shows pulse_gated_spin 2.", "leave pulse_gated_spin", "shows pulse_gated_spin 5"}
            << QList<QByteArray>{};
        QTest::newRow("21 width typed, switch pressed")
            << 21 << 10000 << 48.0 << QStringList{"set dura_spin 48", "|", "type dura_spin 150", "on"}
            << tripled_all(QList<QByteArray>{data_of(0x23, 1500), data_of(0x19, 10000)} + on_tail);
        QTest::newRow("21 count typed, switch clicked")
            << 21 << 10000 << 48.0 << QStringList{"set pulse_cutted_spin 2", "|", "type pulse_cutted_spin 4", "click"}
            << tripled_all(QList<QByteArray>{data_of(0x35, 4), data_of(0x19, 10000)} + on_tail);
        // Off sends its own commands only, whatever was typed; on first sends
        // each set point typed since its last send, however spelled.
        const QList<QByteArray> pulsed_off = {data_of(0x19, 10000), data_of(0x20, 0), data_of(0x22, 0)};
        const QStringList sent = {"set curr_spin 50", "return curr_spin", "set temp_spin 25", "return temp_spin", "|"};
        QTest::newRow("8 current typed, off") << 8 << 0 << 0.0 << QStringList{"report 0x90 1", "|", "type curr_spin 140", "off"} << tripled_all({data_of(0x10, 0)});
        QTest::newRow("11 current typed, off") << 11 << 0 << 0.0 << QStringList{"report 0x90 1", "|", "type curr_spin 9", "off"} << tripled_all({data_of(0x11, 0), data_of(0x10, 0)});
        QTest::newRow("21 voltage typed, off") << 21 << 10000 << 48.0 << QStringList{"report 0xA2 1", "|", "type volt_spin 35", "off"} << tripled_all(pulsed_off);
        QTest::newRow("20 voltage typed, clicked off") << 20 << 10000 << 48.0 << QStringList{"report 0xA2 1", "|", "type volt_spin 30", "click"} << tripled_all(pulsed_off);
        QTest::newRow("8 \"60.0\" typed, on") << 8 << 0 << 0.0 << sent + QStringList{"type curr_spin 60.0", "on"} << tripled_all({data_of(0x11, 600), data_of(0x10, 1)});
        QTest::newRow("8 \"60\" typed, box left, clicked on") << 8 << 0 << 0.0 << sent + QStringList{"type curr_spin 60", "leave curr_spin", "click"} << tripled_all({data_of(0x11, 600), data_of(0x10, 1)});
        QTest::newRow("8 \"30.0\" typed, clicked on") << 8 << 0 << 0.0 << sent + QStringList{"type temp_spin 30.0", "click"} << tripled_all({data_of(0x12, 300), data_of(0x10, 1)});
        QTest::newRow("8 current stepped by key, on") << 8 << 0 << 0.0 << sent + QStringList{"up curr_spin", "on"} << tripled_all({data_of(0x11, 501), data_of(0x10, 1)});
        QTest::newRow("8 current stepped by its button, on") << 8 << 0 << 0.0 << sent + QStringList{"press curr_spin", "on"} << tripled_all({data_of(0x11, 501), data_of(0x10, 1)});
        QTest::newRow("8 nothing typed since sent, on") << 8 << 0 << 0.0 << sent + QStringList{"on"} << tripled_all({data_of(0x10, 1)});
        // A board put in place ("lost", then its type) whose set-point replies
        // are still to come: nothing clamped, rounded or left over goes out.
        QTest::newRow("8 at 50.0 mA, then an 11 unread, on") << 8 << 0 << 0.0 << QStringList{"lost", "report 0xD0 8", "report 0xA5 20000", "report 0x91 500", "tick", "lost", "report 0xD0 11", "tick", "|", "on"} << tripled_all({data_of(0x10, 1)});
        QTest::newRow("8 \"60\" typed, then an 11 unread, on") << 8 << 0 << 0.0 << QStringList{"type curr_spin 60", "lost", "report 0xD0 11", "tick", "|", "on"} << tripled_all({data_of(0x10, 1)});
        QTest::newRow("8 unread, \"60\" typed, then its 50.0 mA, on") << 8 << 0 << 0.0 << QStringList{"lost", "report 0xD0 8", "tick", "type curr_spin 60", "report 0x91 500", "tick", "|", "on"} << tripled_all({data_of(0x10, 1)});
        QTest::newRow("10 at 50.25 mA, then an 8 unread, on") << 10 << 0 << 0.0 << QStringList{"lost", "report 0xD0 10", "report 0xA5 20000", "report 0x91 502500", "tick", "lost", "report 0xD0 8", "tick", "|", "on"} << tripled_all({data_of(0x10, 1)});
        QTest::newRow("21 at 30 V 50 kHz, then a 21 unread: no on, then the board's own") << 21 << 50000 << 48.0 << QStringList{"lost", "report 0xD0 21", "report 0x98 300", "report 0x99 50000", "tick", "tick", "lost", "report 0xD0 21", "tick", "|", "on", "shows ps_ns_on_off_butt false", "report 0x98 125", "report 0x99 1000", "tick", "tick", "on"} << tripled_all({data_of(0x19, 1000), data_of(0x20, 1), data_of(0x18, 125), data_of(0x22, 1)});
        QTest::newRow("16 QCW width typed, row hidden by Internal, on") << 16 << 0 << 0.0 << QStringList{"report 0xA4 1", "report 0x90 1", "tick", "type cw_width_spin 300", "report 0xA4 0", "report 0x90 0", "tick", "|", "on"} << tripled_all({data_of(0x10, 1)});
        // Off carries the rate the board holds; the typed one stays unsent.
        QTest::newRow("20 rate typed, off") << 20 << 10000 << 48.0 << QStringList{"report 0xA2 1", "tick", "unit kHz", "|", "type freq_spin 900", "off", "shows freq_spin 900", "on"} << tripled_all(pulsed_off + QList<QByteArray>{data_of(0x19, 900000)} + on_tail);
        QTest::newRow("20 MHz picked over 1500 kHz, on: the rate held") << 20 << 1500000 << 48.0 << QStringList{"tick", "unit MHz", "shows freq_spin 30.0", "|", "on"} << tripled_all(QList<QByteArray>{data_of(0x19, 1500000)} + on_tail);
        QTest::newRow("21 rate sent, another typed, clicked off") << 21 << 10000 << 48.0 << QStringList{"report 0xA2 1", "tick", "type freq_spin 20", "return freq_spin", "|", "type freq_spin 150", "click", "shows freq_spin 150"} << tripled_all({data_of(0x19, 20000), data_of(0x20, 0), data_of(0x22, 0)});
        QTest::newRow("21 at 50 kHz, then a 21 unread emitting, off") << 21 << 50000 << 48.0 << QStringList{"lost", "report 0xD0 21", "report 0xA2 1", "tick", "|", "off"} << tripled_all({data_of(0x20, 0), data_of(0x22, 0)});
        // The rate goes out as the box reads it in the unit shown; a number
        // the new unit's range clamped is nobody's entry.
        QTest::newRow("20 \"5\" typed in kHz, MHz picked, on") << 20 << 1000 << 48.0 << QStringList{"tick", "type freq_spin 5", "unit MHz", "shows freq_spin 5.0", "|", "on"} << tripled_all(QList<QByteArray>{data_of(0x19, 5000000)} + on_tail);
        QTest::newRow("20 \"5\" typed in kHz, MHz picked, Return") << 20 << 1000 << 48.0 << QStringList{"tick", "type freq_spin 5", "unit MHz", "|", "return freq_spin"} << tripled_all({data_of(0x19, 5000000)});
        QTest::newRow("20 \"5\" typed in MHz, kHz picked, on") << 20 << 1000 << 48.0 << QStringList{"tick", "unit MHz", "type freq_spin 5", "unit kHz", "shows freq_spin 5", "|", "on"} << tripled_all(QList<QByteArray>{data_of(0x19, 5000)} + on_tail);
        QTest::newRow("21 \"50\" typed in kHz, Hz picked, on") << 21 << 10000 << 48.0 << QStringList{"tick", "type freq_spin 50", "unit Hz", "shows freq_spin 50", "|", "on"} << tripled_all(QList<QByteArray>{data_of(0x19, 50)} + on_tail);
        QTest::newRow("20 \"900\" typed in kHz, clamped by MHz, on: the board's rate") << 20 << 1000 << 48.0 << QStringList{"tick", "type freq_spin 900", "unit MHz", "shows freq_spin 30.0", "|", "on"} << tripled_all(QList<QByteArray>{data_of(0x19, 1000)} + on_tail);
        QTest::newRow("20 \"900\" clamped by MHz, kHz picked back, on: the board's rate") << 20 << 1000 << 48.0 << QStringList{"tick", "unit kHz", "type freq_spin 900", "unit MHz", "shows freq_spin 30.0", "unit kHz", "shows freq_spin 30", "|", "on"} << tripled_all(QList<QByteArray>{data_of(0x19, 1000)} + on_tail);
        // Cut by the duty limit, 200 kHz at 100 ns: no entry either. A width
        // entered next is held to the board's rate, not to the cut one.
        QTest::newRow("21 \"150\" typed in kHz, cut in MHz, on: the board's rate") << 21 << 10000 << 100.0 << QStringList{"tick", "unit kHz", "type freq_spin 150", "unit MHz", "shows freq_spin 200", "shows freq_range_combo kHz", "|", "on"} << tripled_all(QList<QByteArray>{data_of(0x19, 10000)} + on_tail);
        QTest::newRow("21 \"5\" typed in Hz, cut in MHz, on: the board's rate") << 21 << 10000 << 100.0 << QStringList{"tick", "unit Hz", "type freq_spin 5", "unit MHz", "shows freq_spin 200", "|", "on"} << tripled_all(QList<QByteArray>{data_of(0x19, 10000)} + on_tail);
        QTest::newRow("21 \"150\" cut in MHz, then 1000 ns, on") << 21 << 10000 << 100.0 << QStringList{"tick", "unit kHz", "type freq_spin 150", "unit MHz", "|", "type dura_spin 1000", "return dura_spin", "on"} << tripled_all(QList<QByteArray>{data_of(0x23, 10000), data_of(0x19, 10000)} + on_tail);
        // A cut number kept as an entry would be taken again in the next unit.
        QTest::newRow("21 \"150\" cut in MHz, then Hz picked, on: the board's rate") << 21 << 10000 << 100.0 << QStringList{"tick", "unit kHz", "type freq_spin 150", "unit MHz", "unit Hz", "shows freq_spin 200", "|", "on"} << tripled_all(QList<QByteArray>{data_of(0x19, 10000)} + on_tail);
        // 4.6 MHz rounded to 5 kHz, above the board's 1 kHz: a width is
        // limited against the board's rate, not against the rounded one.
        QTest::newRow("21 \"4.6\" typed in MHz, rounded in kHz, then 5000 ns") << 21 << 1000 << 2.0 << QStringList{"tick", "unit MHz", "type freq_spin 4.6", "unit kHz", "shows freq_spin 5", "|", "type dura_spin 5000", "return dura_spin"} << tripled_all({data_of(0x23, 50000)});
        // A first reading asked for before a send of its quantity is not
        // loaded over what was sent.
        const QList<QByteArray> five_hz = {data_of(0x19, 5), data_of(0x20, 1), data_of(0x18, 125), data_of(0x22, 1), data_of(0x19, 5), data_of(0x20, 0), data_of(0x22, 0)};
        QTest::newRow("20 unread, 5 Hz sent, then its older 10 kHz, on, off") << 20 << 1000 << 48.0 << QStringList{"lost", "report 0xD0 20", "tick", "report 0x98 125", "tick", "type freq_spin 5", "return freq_spin", "report 0x99 10000", "tick", "tick", "shows freq_spin 5", "|", "on", "off"} << tripled_all(five_hz);
        QTest::newRow("21 unread, 5 Hz sent, then its older 10 kHz, on, off") << 21 << 1000 << 48.0 << QStringList{"lost", "report 0xD0 21", "tick", "report 0x98 125", "tick", "type freq_spin 5", "return freq_spin", "report 0x99 10000", "tick", "tick", "shows freq_spin 5", "|", "on", "off"} << tripled_all(five_hz);
        QTest::newRow("20 unread, 5 Hz typed, on, then its older 10 kHz, off") << 20 << 1000 << 48.0 << QStringList{"lost", "report 0xD0 20", "tick", "report 0x98 125", "tick", "type freq_spin 5", "|", "on", "report 0x99 10000", "tick", "tick", "off"} << tripled_all(five_hz);
        QTest::newRow("18 unread, 2.00 A sent, then its older 1.50 A") << 18 << 0 << 0.0 << QStringList{"lost", "report 0xD0 18", "report 0xA5 500", "tick", "type curr_spin 2", "|", "return curr_spin", "report 0x91 150", "tick", "tick", "shows curr_spin 2.00"} << tripled_all({data_of(0x11, 200)});
        QTest::newRow("21 unread, 150 ns sent, then its older 48 ns") << 21 << 10000 << 0.0 << QStringList{"lost", "report 0xD0 21", "tick", "type dura_spin 150", "|", "return dura_spin", "report 0xA3 480", "tick", "tick", "shows dura_spin 150.0"} << tripled_all({data_of(0x23, 1500)});
        // Another board at the channel (a new address, the link back): no
        // value, entry or held rate of the one it had goes out.
        QTest::newRow("20 at 1 kHz 12.5 V, another 20: no on, then its own") << 20 << 1000 << 48.0 << QStringList{"report 0x98 125", "tick", "tick", "move", "tick", "|", "on", "shows ps_ns_on_off_butt false", "report 0x98 100", "report 0x99 20000", "tick", "tick", "on"} << tripled_all({data_of(0x19, 20000), data_of(0x20, 1), data_of(0x18, 100), data_of(0x22, 1)});
        QTest::newRow("21 at 10 kHz 12.5 V, another 21, on: nothing") << 21 << 10000 << 48.0 << QStringList{"report 0x98 125", "tick", "tick", "move", "tick", "|", "on", "shows ps_ns_on_off_butt false"} << QList<QByteArray>{};
        QTest::newRow("8 \"60\" typed, another 8, on") << 8 << 0 << 0.0 << QStringList{"type curr_spin 60", "move", "tick", "|", "on"} << tripled_all({data_of(0x10, 1)});
        // A limit reply that clamped the voltage box for a moment: on sends
        // the board's own voltage.
        QTest::newRow("20 at 12.5 V, clamped to 5.0 V for a tick, on") << 20 << 1000 << 48.0 << QStringList{"report 0x98 125", "tick", "tick", "report 0xA5 50", "tick", "shows volt_spin 5.0", "report 0xA5 500", "tick", "|", "on", "shows volt_spin 12.5"} << tripled_all({data_of(0x19, 1000), data_of(0x20, 1), data_of(0x18, 125), data_of(0x22, 1)});
        // A state reply asked for before the switch's command says what the
        // board did before it; one asked for after says what it does now.
        QTest::newRow("21 on, then the emission read asked before it") << 21 << 10000 << 48.0 << QStringList{"report 0x98 125", "tick", "tick", "|", "on", "report 0xA2 0", "flag 1"} << tripled_all({data_of(0x19, 10000), data_of(0x20, 1), data_of(0x18, 125), data_of(0x22, 1)});
        QTest::newRow("21 on, then a read asked after it: off") << 21 << 10000 << 48.0 << QStringList{"report 0x98 125", "tick", "tick", "|", "on", "poll", "report 0xA2 0", "flag 0"} << tripled_all({data_of(0x19, 10000), data_of(0x20, 1), data_of(0x18, 125), data_of(0x22, 1)});
        // A board slow to report its output on still counts as on for the
        // turn-off; once it has reported on, its reports decide.
        QTest::newRow("21 on, reported off after it, lost: counted, turned off") << 21 << 10000 << 48.0 << QStringList{"report 0x98 125", "tick", "tick", "|", "on", "poll", "report 0xA2 0", "counted 1", "lost", "turn-off"} << tripled_all({data_of(0x19, 10000), data_of(0x20, 1), data_of(0x18, 125), data_of(0x22, 1), data_of(0x22, 0)});
        QTest::newRow("8 on, then off by the operator before it reported on: not counted") << 8 << 0 << 0.0 << QStringList{"|", "on", "off", "counted 0"} << tripled_all({data_of(0x10, 1), data_of(0x10, 0)});
        QTest::newRow("8 on, reported on, then off by itself: not counted") << 8 << 0 << 0.0 << QStringList{"|", "on", "poll", "report 0x90 0", "counted 1", "report 0x90 1", "report 0x90 0", "counted 0"} << tripled_all({data_of(0x10, 1)});
        QTest::newRow("8 on, then the output read asked before it") << 8 << 0 << 0.0 << QStringList{"|", "on", "report 0x90 0", "flag 1", "poll", "report 0x90 1", "flag 1"} << tripled_all({data_of(0x10, 1)});
        QTest::newRow("11 off, then the output read asked before it") << 11 << 0 << 0.0 << QStringList{"set curr_spin 9", "report 0x90 1", "tick", "|", "off", "report 0x90 1", "flag 0"} << tripled_all({data_of(0x11, 0), data_of(0x10, 0)});
        QTest::newRow("21 at 12.5 V, raised to 40.0 V for a tick, on") << 21 << 10000 << 48.0 << QStringList{"report 0x98 125", "tick", "tick", "report 0xA6 400", "tick", "shows volt_spin 40.0", "report 0xA6 0", "tick", "|", "on"} << tripled_all({data_of(0x19, 10000), data_of(0x20, 1), data_of(0x18, 125), data_of(0x22, 1)});
        // Either decimal mark is the number written, whatever the locale; a
        // whole-number box keeps "2." of a "2.5", and sends nothing from it.
        for (const char *name : {"de_DE", "fr_FR", "C"}) {
            const QString locale = QStringLiteral("locale ") + name, point = QLocale(name).decimalPoint();
            QTest::addRow("%s \"1.5\" and \"1,5\" mA, Return", name) << 8 << 0 << 0.0 << QStringList{locale, "|", "type curr_spin 1.5", "return curr_spin", "shows curr_spin 1" + point + "5", "type curr_spin 1,5", "return curr_spin"} << tripled_all({data_of(0x11, 15), data_of(0x11, 15)});
            QTest::addRow("%s \"13.5\" and \"13,5\" V, Return", name) << 20 << 10000 << 48.0 << QStringList{locale, "|", "type volt_spin 13.5", "return volt_spin", "shows volt_spin 13" + point + "5", "type volt_spin 13,5", "return volt_spin"} << tripled_all({data_of(0x18, 135), data_of(0x18, 135)});
            for (const QString typed : {"2.5", "2,5"}) {
                QTest::addRow("%s \"%s\" in kHz, Return: nothing", name, qPrintable(typed)) << 20 << 10000 << 48.0 << QStringList{locale, "unit kHz", "|", "type freq_spin " + typed, "shows freq_spin 2" + point, "return freq_spin", "shows freq_spin 2"} << QList<QByteArray>{};
                QTest::addRow("%s \"%s\" in kHz, on: the board's rate", name, qPrintable(typed)) << 20 << 10000 << 48.0 << QStringList{locale, "tick", "unit kHz", "|", "type freq_spin " + typed, "on"} << tripled_all(QList<QByteArray>{data_of(0x19, 10000)} + on_tail);
            }
        }
    }

    void operator_entries()
    {
        QFETCH(int, type);
        QFETCH(int, rate);
        QFETCH(double, width);
        QFETCH(QStringList, steps);
        QFETCH(QList<QByteArray>, expected);
        const controller ch = on_page(type);
        laser_worker &w = *ch->worker;
        w.ns_record.voltage_set = w.ns_table_record.voltage_set = w.ps_record.voltage_set = 0.0f;
        w.ns_record.voltage_target = w.ns_table_record.voltage_target = w.ps_record.voltage_target = 0.0f;
        w.ns_record.frequency_target = w.ns_table_record.frequency_target = 1;
        ch->freq_combo->clear();
        for (const int32_t *f = w.ns_table_record.freq_table; *f != -1; ++f)
            ch->freq_combo->addItem(QString::number(*f));
        ch->freq_range_combo->setCurrentIndex(0);
        feed(*ch, 0x99, rate);
        feed(*ch, 0xA3, int32_t(std::lround(width * 10)));
        // As the first readings leave them.
        w.ns_table_record.frequency_target = w.ns_table_record.frequency;
        w.ns_table_record.pulse_width_target = w.ns_table_record.pulse_width;
        w.ns_record.frequency_target = w.ns_record.frequency;
        w.ns_record.pulse_width_target = w.ns_record.pulse_width;
        w.ns_table_record.emission_on = w.ns_record.emission_on = 0;

        return_router router(ch.get());
        for (QDoubleSpinBox *spin : ch->page->findChildren<QDoubleSpinBox *>())
            spin->installEventFilter(&router);
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        std::optional<default_locale> locale;
        const auto box = [&](const QString &name) { return ch->page->findChild<QWidget *>(name); };
        const auto output_switch = [&] { return QList<int>{6, 7, 13, 20, 21}.contains(w.device_type) ? ch->ps_ns_on_off_butt : ch->cw_on_off_button; };
        for (const QString &step : steps) {
            const QStringList p = step.split(QLatin1Char(' '));
            auto *spin = p.size() > 1 ? qobject_cast<QDoubleSpinBox *>(box(p[1])) : nullptr;
            auto *combo = p.size() > 1 ? qobject_cast<QComboBox *>(box(p[1])) : nullptr;
            if (p[0] == "|") {
                spy.clear();
            } else if (p[0] == "locale") {
                locale.emplace(p[1]);
            } else if (p[0] == "set") {
                spin->setValue(p[2].toDouble());
            } else if (p[0] == "type") {
                spin->selectAll();
                QTest::keyClicks(spin, p[2]);
            } else if (p[0] == "return") {
                QTest::keyClick(spin, Qt::Key_Return);
            } else if (p[0] == "up") {
                QTest::keyClick(spin, Qt::Key_Up);
            } else if (p[0] == "press") { // the up button
                QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() - 4, 4));
            } else if (p[0] == "leave") {
                QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
                QApplication::sendEvent(spin, &out);
            } else if (p[0] == "unit" || p[0] == "pick") {
                QComboBox *list = p[0] == "unit" ? ch->freq_range_combo : ch->freq_combo;
                const int index = list->findText(p[1]);
                QVERIFY2(index >= 0, qPrintable(step));
                list->setCurrentIndex(index);
                emit list->activated(index);
            } else if (p[0] == "report") {
                feed(*ch, uint8_t(p[1].toInt(nullptr, 16)), p[2].toInt());
            } else if (p[0] == "on" || p[0] == "off") {
                output_switch()->click();
            } else if (p[0] == "click") {
                QTest::mouseClick(output_switch(), Qt::LeftButton);
            } else if (p[0] == "poll") {
                ++w.output_polls;
            } else if (p[0] == "flag") {
                QCOMPARE(int(output_flag(w)), p[1].toInt());
            } else if (p[0] == "counted") { // by the close's and Disconnect's turn-off
                QCOMPARE(int(ch->output_to_turn_off()), p[1].toInt());
            } else if (p[0] == "turn-off") {
                ch->laser_off();
            } else if (p[0] == "move") { // what the main window does for a new address or link
                ch->forget_board();
            } else if (p[0] == "tick" || p[0] == "lost") {
                p[0] == "tick" ? ch->view_update() : void(w.device_type = -1); // -1: the presence check's
            } else if (p[0] == "shows") {
                const QString shown = spin ? spin->text() : combo ? combo->currentText() : box(p[1])->property("checked").toString();
                QVERIFY2(shown == p[2], qPrintable(step + QStringLiteral(": shows ") + shown));
            } else {
                QFAIL(qPrintable(QStringLiteral("no such step: ") + step));
            }
        }
        QCOMPARE(frames(spy), expected);
    }

    void fault_box_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("faults");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<QString>("text"); // null: no box
        QTest::newRow("11 fault and warning") << 11 << 0x01 << 0x200 << "flag_NO_Load\nOutput power is close to MAX\n";
        QTest::newRow("18 own texts") << 18 << 0x81 << 0 << "flag_Rebooted\nflag_OverCurrent_IND\n";
        QTest::newRow("14 no fault") << 14 << 0 << 0 << "";
        QTest::newRow("8 none") << 8 << 1 << 0 << QString();
    }

    void fault_box()
    {
        QFETCH(int, type);
        QFETCH(int, faults);
        QFETCH(int, warnings);
        QFETCH(QString, text);
        const controller ch = on_page(type);
        laser_worker &w = *ch->worker;
        w.dcdc_record.faults = w.power_record.faults = uint16_t(faults);
        w.dcdc_record.warnings = w.power_record.warnings = uint16_t(warnings);
        w.cw_record.faults = faults;
        QString title, shown;
        bool seen = false;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen = true;
            title = box->windowTitle();
            shown = box->text();
            QCOMPARE(box->buttons().size(), 1);
            QVERIFY(!box->parent());
            box->button(QMessageBox::Ok)->click();
        });
        answer.start(10);
        ch->fail_butt->click();
        QCOMPARE(seen, !text.isNull());
        if (seen) {
            QCOMPARE(title, QStringLiteral("WARNING"));
            QCOMPARE(shown, text);
        }
    }
};

QTEST_MAIN(tst_laser_object_commands)
#include "tst_laser_object_commands.moc"
