// The parameters window's 40 ms refresh: titles, row sets and labels by
// driver type from the record of that type, the TEC row, reloading the inputs
// only when a board value changed, and a window left as it was for a type it
// does not know.

#include <QtTest>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <cstring>
#include <new>

#include "app/resources.h"
#include "support/channel_fixture.h"
#include "comm/laser_worker.h"
#include "params/laser_params.h"

namespace {

// The rows the refresh shows and hides, in this order in the "rows" column.
const char *const switched[] = {"beta_group",    "res_group",      "cur_max_group",      "cur_min_group",
                                "vol_max_group", "vol_min_group",  "temp_max_group",     "temp_min_group",
                                "max_tec_curr_group", "mon_group", "TEC_checkbox",       "save_btn"};

// One board value changed by a reply while another input holds an edit.
struct other_row_change
{
    const char *name;
    int type;
    const char *edited;
    double typed;
    void (*change)(laser_worker *w);
    const char *follows; // the input of the value that changed
    double board;        // its new value
};

const other_row_change other_row_changes[] = {
    {"CW: beta typed, resistance set", 8, "beta_set_spin", 3977, [](laser_worker *w) { w->cw_record.resistance = 12000; },
     "res_set_spin", 12000},
    {"CW: max temperature typed, TEC limit set", 14, "temp_max_spin", 41.5,
     [](laser_worker *w) { w->cw_record.tec_current_max = 2.5f; }, "max_tec_curr_spin", 2.5},
    {"CW: max current typed, responsivity set", 10, "cur_max_spin", 480.5,
     [](laser_worker *w) { w->cw_record.responsivity = 0.75f; }, "mon_set_spin", 0.75},
    {"CW: responsivity typed, min current set", 15, "mon_set_spin", 1.05,
     [](laser_worker *w) { w->cw_record.current_min = 20.5f; }, "cur_min_spin", 20.5},
    {"PS table: max voltage typed, beta set", 7, "vol_max_spin", 24.5,
     [](laser_worker *w) { w->ps_table_record.beta = 3450; }, "beta_set_spin", 3450},
    {"NS: min temperature typed, min voltage set", 21, "temp_min_spin", 12.5,
     [](laser_worker *w) { w->ns_record.voltage_min = 3.5f; }, "vol_min_spin", 3.5},
    {"NS table: resistance typed, max temperature set", 13, "res_set_spin", 4700,
     [](laser_worker *w) { w->ns_table_record.temperature_max = 44.5f; }, "temp_max_spin", 44.5},
    {"PS: beta typed, max voltage set", 20, "beta_set_spin", 3977,
     [](laser_worker *w) { w->ps_record.voltage_max = 48.5f; }, "vol_max_spin", 48.5},
    {"power: CAN ID typed, max current set", 18, "can_set_spin", 12,
     [](laser_worker *w) { w->power_record.current_max = 9.5f; }, "cur_max_spin", 9.5},
    {"CW: the edited value itself set", 8, "temp_min_spin", 7.5,
     [](laser_worker *w) { w->cw_record.temperature_min = 9.5f; }, "temp_min_spin", 9.5},
};

} // namespace

class tst_params_refresh : public QObject
{
    Q_OBJECT

    laser_params *window = nullptr;
    channel_fixture::controller ch;
    laser_worker *w = nullptr;

    template <typename T = QWidget>
    T *find(const char *name) { return window->findChild<T *>(QLatin1String(name)); }
    QString text(const char *label) { return find<QLabel>(label)->text(); }
    void tick() { QVERIFY(QMetaObject::invokeMethod(window, "view_update_timer_slot")); }
    QString shown_rows()
    {
        QString s;
        for (const char *name : switched)
            s += find(name)->isHidden() ? QLatin1Char('H') : QLatin1Char('S');
        return s;
    }

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        ch = channel_fixture::make(nullptr, 5);
        ch->channel_name = QStringLiteral("Seed");
        w = ch->worker;
    }

    void init()
    {
        window = new laser_params;
        window->active = 1;
        window->channel = ch.get();
        w->device_type = 8;
        w->cw_record.tec_current_max = 0.0f;
    }

    void cleanup() { delete window; }

    // Before the first hand-over nothing reads the (still null) channel, and
    // the form stays as built; the channel pointer and the change cache start
    // cleared, so a first tick over a record of zeros finds nothing changed.
    void before_hand_over_and_start_values()
    {
        alignas(laser_params) unsigned char storage[sizeof(laser_params)];
        std::memset(storage, 0xA5, sizeof storage);
        auto *fresh = new (storage) laser_params;
        QCOMPARE(fresh->active, 0);
        QCOMPARE(fresh->channel, nullptr);
        QVERIFY(QMetaObject::invokeMethod(fresh, "view_update_timer_slot"));
        fresh->load_spin_boxes();
        QCOMPARE(fresh->findChild<QLabel *>(QStringLiteral("label_4"))->text(), QStringLiteral("NS Laser parameters"));

        const auto zeros = channel_fixture::make(nullptr, 9);
        cw_data &r = zeros->worker->cw_record;
        r.current_max = r.temperature_max = r.temperature_min = 0.0f;
        zeros->worker->device_type = 8;
        fresh->active = 1;
        fresh->channel = zeros.get();
        auto *spin = fresh->findChild<QDoubleSpinBox *>(QStringLiteral("cur_max_spin"));
        spin->setValue(42.0);
        QVERIFY(QMetaObject::invokeMethod(fresh, "view_update_timer_slot"));
        QCOMPARE(spin->value(), 42.0);
        fresh->~laser_params();
    }

    void the_timer_refreshes()
    {
        QTRY_COMPARE(text("label_4"), QStringLiteral("Seed (CW Type) parameters"));
    }

    // One row per type: its title, its row set (S shown, H hidden, in the
    // order of `switched`) and the record whose values it shows.
    void views_by_type_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("rows");
        QTest::newRow("8 CW") << 8 << "Seed (CW Type) parameters" << "SSSSHHSSHSSH";
        QTest::newRow("14 CW") << 14 << "Seed (CW Type) parameters" << "SSSSHHSSHSSH";
        QTest::newRow("10 precision CW") << 10 << "Seed (Precision CW Type) parameters" << "SSSSHHSSHSSH";
        QTest::newRow("15 precision CW") << 15 << "Seed (Precision CW Type) parameters" << "SSSSHHSSHSSH";
        QTest::newRow("18 power") << 18 << "Seed (Torvex-1000) parameters" << "HHSHHHHHHHHS";
        QTest::newRow("6 NS") << 6 << "Seed (NS Type) parameters" << "SSHHSSSSHHHH";
        QTest::newRow("13 SOA") << 13 << "Seed (SOA NS Type) parameters" << "SSHHSSSSHHHH";
        QTest::newRow("21 NS, two blanks") << 21 << "Seed  (NS Type) parameters" << "SSHHSSSSHHHH";
        QTest::newRow("7 PS") << 7 << "Seed (PS Type) parameters" << "SSHHSSSSHHHH";
        QTest::newRow("20 PS") << 20 << "Seed (PS Type) parameters" << "SSHHSSSSHHHH";
        QTest::newRow("11 DC/DC") << 11 << "Seed (Power DCDC Type) parameters" << "HHHHHHHHHHHH";
        QTest::newRow("16 DC/DC") << 16 << "Seed (Power DCDC Type) parameters" << "HHHHHHHHHHHH";
    }

    void views_by_type()
    {
        QFETCH(int, type);
        QFETCH(QString, title);
        QFETCH(QString, rows);
        // Each record a value of its own, so a view reading the wrong one shows.
        w->cw_record.resistance = 1008;
        w->ns_table_record.resistance = 1006;
        w->ns_record.resistance = 1021;
        w->ps_table_record.resistance = 1007;
        w->ps_record.resistance = 1020;
        w->power_record.current_max = 18.5f;
        // A pulsed or DC/DC view after a CW one: rows it does not show go.
        tick();
        w->device_type = type;
        tick();
        QCOMPARE(text("label_4"), title);
        QCOMPARE(shown_rows(), rows);
        if (rows.at(1) == QLatin1Char('S'))
            QCOMPARE(text("res_read_label"), QString::number(1000 + (type == 10 || type == 14 || type == 15 ? 8 : type == 13 ? 6 : type)));
        if (type == 18)
            QCOMPARE(text("cur_max_label"), QStringLiteral("18.5"));
        // The type-18 record holds its limit in amperes; back on a CW board
        // the caption is the form's again.
        QCOMPARE(text("label_5"), type == 18 ? QStringLiteral("Max current, A") : QStringLiteral("Max current, mA"));
        w->device_type = 8;
        tick();
        QCOMPARE(text("label_5"), QStringLiteral("Max current, mA"));
    }

    void label_formats()
    {
        w->device_address = 5;
        w->cw_record.resistance = 10000;
        w->cw_record.responsivity = 0.5f;
        w->cw_record.temperature_max = 35.0f;
        tick();
        QCOMPARE(text("can_read_label"), QStringLiteral("5"));
        QCOMPARE(text("res_read_label"), QStringLiteral("10000"));
        QCOMPARE(text("mon_label"), QStringLiteral("0.50"));
        QCOMPARE(text("temp_max_label"), QStringLiteral("35.0"));
    }

    // The board's TEC limit says whether the laser has a TEC; loading the
    // check box sends nothing.
    void tec_row_data()
    {
        QTest::addColumn<float>("limit");
        QTest::addColumn<bool>("with_tec");
        QTest::newRow("0.1 A: no TEC") << 0.1f << false;
        QTest::newRow("0.2 A: TEC") << 0.2f << true;
    }

    void tec_row()
    {
        QFETCH(float, limit);
        QFETCH(bool, with_tec);
        QSignalSpy sent(window, &laser_params::sig_thread_serial_write);
        find<QDoubleSpinBox>("max_tec_curr_spin")->setValue(3.0);
        w->cw_record.tec_current_max = limit;
        tick();
        QCOMPARE(find<QCheckBox>("TEC_checkbox")->isChecked(), with_tec);
        QCOMPARE(find("max_tec_curr_group")->isHidden(), !with_tec);
        QCOMPARE(find<QDoubleSpinBox>("max_tec_curr_spin")->value(), with_tec ? 0.2 : 3.0);
        QCOMPARE(text("max_tec_curr_label"), with_tec ? QStringLiteral("0.2") : QStringLiteral("0.1"));
        QCOMPARE(sent.count(), 0);
    }

    // An edit survives the ticks while the board's values stay; a changed
    // value reloads its own input once, and the next tick leaves it again.
    void reload_once_on_change()
    {
        w->device_type = 7;
        ps_table_data &r = w->ps_table_record;
        r.voltage_max = 40.0f;
        tick();
        auto *vol_max = find<QDoubleSpinBox>("vol_max_spin");
        auto *temp_min = find<QDoubleSpinBox>("temp_min_spin");
        auto *temp_max = find<QDoubleSpinBox>("temp_max_spin");
        vol_max->setValue(12.5);
        temp_min->setValue(3.0);
        for (int i = 0; i < 5; ++i)
            tick();
        QCOMPARE(vol_max->value(), 12.5);
        r.temperature_max = 36.0f;
        tick();
        QCOMPARE(temp_max->value(), 36.0);
        QCOMPARE(vol_max->value(), 12.5);
        QCOMPARE(temp_min->value(), 3.0);
        r.voltage_max = 41.0f;
        tick();
        QCOMPARE(vol_max->value(), 41.0);
        vol_max->setValue(12.5);
        tick();
        QCOMPARE(vol_max->value(), 12.5);
    }

    // The operator edits one row and SETs another: when the board's reply
    // changes that other value, only its input follows; the edit stays until
    // it is sent or its own value changes on the board.
    void edit_survives_another_rows_change_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(other_row_changes)); ++i)
            QTest::newRow(other_row_changes[i].name) << i;
    }

    void edit_survives_another_rows_change()
    {
        QFETCH(int, row);
        const other_row_change &c = other_row_changes[row];
        w->device_type = c.type;
        w->cw_record.tec_current_max = 1.0f;
        tick();
        auto *edited = find<QDoubleSpinBox>(c.edited);
        edited->setValue(c.typed);
        tick();
        c.change(w);
        tick();
        QCOMPARE(find<QDoubleSpinBox>(c.follows)->value(), c.board);
        if (qstrcmp(c.edited, c.follows) != 0)
            QCOMPARE(edited->value(), c.typed);
        tick();
        QCOMPARE(find<QDoubleSpinBox>(c.follows)->value(), c.board);
    }

    void unknown_types_leave_the_window_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("0 not reported") << 0;
        QTest::newRow("-1 silent") << -1;
        QTest::newRow("99 not a driver type") << 99;
    }

    void unknown_types_leave_the_window()
    {
        QFETCH(int, type);
        tick();
        const QString rows = shown_rows();
        const QString label = text("temp_max_label");
        find<QDoubleSpinBox>("temp_max_spin")->setValue(50.0);
        w->device_type = type;
        w->cw_record.temperature_max += 1.0f;
        w->device_address = 77;
        tick();
        QCOMPARE(text("label_4"), QStringLiteral("Seed (CW Type) parameters"));
        QCOMPARE(shown_rows(), rows);
        QCOMPARE(text("temp_max_label"), label);
        QCOMPARE(find<QDoubleSpinBox>("temp_max_spin")->value(), 50.0);
        QCOMPARE(text("can_read_label"), QStringLiteral("77"));
    }
};

QTEST_MAIN(tst_params_refresh)
#include "tst_params_refresh.moc"
