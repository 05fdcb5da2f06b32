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
    // value reloads every input once, and the next tick leaves them again.
    void reload_once_on_change()
    {
        w->device_type = 7;
        ps_table_data &r = w->ps_table_record;
        r.voltage_max = 40.0f;
        tick();
        auto *vol_max = find<QDoubleSpinBox>("vol_max_spin");
        auto *temp_min = find<QDoubleSpinBox>("temp_min_spin");
        vol_max->setValue(12.5);
        temp_min->setValue(3.0);
        for (int i = 0; i < 5; ++i)
            tick();
        QCOMPARE(vol_max->value(), 12.5);
        r.temperature_max = 36.0f;
        tick();
        QCOMPARE(vol_max->value(), 40.0);
        QCOMPARE(temp_min->value(), double(r.temperature_min));
        vol_max->setValue(12.5);
        tick();
        QCOMPARE(vol_max->value(), 12.5);
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
