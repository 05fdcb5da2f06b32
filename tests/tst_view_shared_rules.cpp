// The view tick's dispatch by driver type and the rules every family view
// shares: "No device" for any type without a view, a bar that keeps its
// value when no sound percentage comes out, and first readings after a
// change of type that leave the page holding the board's own values, as a
// fresh page of that type would; and what a tick repaints: only what it
// changed.

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>

#include <limits>
#include <set>

#include "support/view_fixture.h"

namespace {

// What one board of each family reports, its type first: limits, readings
// and first readings, all unlike those of the other families.
const char *const family_board[] = {
    "D0:15 B3:20 A5:15000 A6:1000 B6:10000 B7:45000 91:500000 92:300000 A4:2 94:50",
    "D0:16 A4:1 99:500 A3:400 91:350 92:400 94:480 A6:240",
    "D0:18 A5:1200 91:650 92:350 94:480 A6:120 A4:1",
    "D0:7 A5:400 A6:50 B6:150 B7:350 98:250 92:275 99:1000 B4:3 B5:2 A4:0",
    "D0:6 A5:600 A6:0 B6:100 B7:400 98:450 92:265 99:100 A3:1000 B4:4 B5:1 A4:0",
    "D0:21 A5:800 A6:100 B6:120 B7:380 98:300 92:245 99:250000 A3:400 B4:6 B5:3 A4:2",
    "D0:20 A5:500 A6:20 B6:150 B7:350 98:150 92:255 99:1500000 B4:2 B5:5 A4:0",
};

// Enough ticks for every first reading, one per tick, and the tab text's lag.
const QString settle = QStringLiteral(" T T T T T T T T T");

// Everything an operator sees of a page's inputs and read-outs, widget by
// widget in creation order; bars aside, which keep a value they cannot show.
// The two pages are built alike: each widget is named here by its
// counterpart on the page that names_from is.
QStringList page_state(QWidget *page, QWidget *names_from)
{
    QStringList out;
    const QList<QWidget *> widgets = page->findChildren<QWidget *>();
    const QList<QWidget *> names = names_from->findChildren<QWidget *>();
    if (widgets.size() != names.size())
        return {QStringLiteral("pages differ")};
    for (int k = 0; k < widgets.size(); ++k) {
        QWidget *w = widgets.at(k);
        const QString name = names.at(k)->objectName();
        if (name.startsWith(QLatin1String("qt_")))
            continue;
        const QString at = QString::number(k) + QLatin1Char(' ') + name;
        if (!w->isVisibleTo(page)) {
            out << at + QStringLiteral(" hidden");
            continue;
        }
        QString s = at + (w->isEnabled() ? QStringLiteral(" on") : QStringLiteral(" off"));
        if (auto *spin = qobject_cast<QDoubleSpinBox *>(w)) {
            s += QStringLiteral(" %1..%2 step %3 decimals %4 value %5")
                     .arg(spin->minimum())
                     .arg(spin->maximum())
                     .arg(spin->singleStep())
                     .arg(spin->decimals())
                     .arg(spin->value());
        } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
            QStringList items;
            for (int i = 0; i < combo->count(); ++i)
                items << combo->itemText(i);
            s += QStringLiteral(" [%1] at %2").arg(items.join(QLatin1Char(','))).arg(combo->currentIndex());
        } else if (auto *label = qobject_cast<QLabel *>(w)) {
            s += QStringLiteral(" \"%1\" %2").arg(label->text(), label->styleSheet());
        } else if (auto *button = qobject_cast<QPushButton *>(w)) {
            s += QStringLiteral(" \"%1\" %2").arg(button->text()).arg(button->isChecked());
        }
        out << s;
    }
    return out;
}

// What the page sends for its held set points: Return on every shown
// input, in creation order, then the output switched on.
QList<QByteArray> held_set_points(laser_object &ch, QWidget *page)
{
    QSignalSpy spy(ch.worker, &laser_worker::thread_serial_write);
    for (QDoubleSpinBox *spin : page->findChildren<QDoubleSpinBox *>()) {
        if (spin->isVisibleTo(page))
            ch.sl_return_key_pressed_on_spinbox(spin);
    }
    ch.laser_las_on_off_butt_clicked();
    return channel_fixture::frames(spy);
}

} // namespace

namespace {

// Plausible readings of every family, none of them a fault or a warning;
// `step` moves the current, the voltage and the temperature.
void fill_readings(laser_worker &w, float step)
{
    w.cw_record.current = 50.0f + step;
    w.cw_record.current_target = 50.0f;
    w.cw_record.current_max = 150.0f;
    w.cw_record.temperature = 25.0f;
    w.cw_record.temperature_min = 10.0f;
    w.cw_record.temperature_max = 40.0f;
    w.cw_record.tec_current_max = 1.5f;
    w.dcdc_record.current = 6.0f + step;
    w.dcdc_record.current_max = 20.0f;
    w.dcdc_record.temperature = 30.0f;
    w.dcdc_record.temperature_max = 80.0f;
    w.dcdc_record.output_voltage = 12.0f;
    w.dcdc_record.input_voltage = 48.0f;
    w.power_record.current = 6.0f + step;
    w.power_record.current_max = 20.0f;
    w.power_record.temperature = 30.0f;
    w.power_record.temperature_max = 80.0f;
    w.power_record.output_voltage = 12.0f;
    w.power_record.input_voltage = 48.0f;
    const auto pulsed = [step](auto &r) {
        r.voltage = 18.0f + step;
        r.voltage_max = 40.0f;
        r.temperature = 25.0f;
        r.temperature_max = 40.0f;
    };
    pulsed(w.ns_table_record);
    pulsed(w.ps_table_record);
    pulsed(w.ns_record);
    pulsed(w.ps_record);
}

// Names of the page's widgets that received a paint event (synchronous
// repaints included) while it was installed.
struct paint_log : QObject
{
    QWidget *page;
    std::set<QString> painted;
    int layouts = 0;
    explicit paint_log(QWidget *p) : page(p) { qApp->installEventFilter(this); }
    ~paint_log() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject *o, QEvent *e) override
    {
        auto *w = qobject_cast<QWidget *>(o);
        if (w && (w == page || page->isAncestorOf(w))) {
            if (e->type() == QEvent::Paint)
                painted.insert(w->objectName());
            else if (e->type() == QEvent::LayoutRequest)
                ++layouts;
        }
        return false;
    }
};

void serve_paints()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

} // namespace

class tst_view_shared_rules : public QObject, public view_fixture
{
    Q_OBJECT

private slots:
    void initTestCase() { build_form(); }
    void init() { new_channel(); }
    void cleanup() { ch.reset(); }

    void dispatch_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name"); // empty: a pulsed page, drawn elsewhere

        for (int type : {0, -1, 9, 12, 40, -24})
            QTest::newRow(qPrintable(QString::number(type))) << type << "No device";
        for (int type : {8, 14})
            QTest::newRow(qPrintable(QString::number(type))) << type << "CW Driver";
        for (int type : {10, 15})
            QTest::newRow(qPrintable(QString::number(type))) << type << "Precision CW Driver";
        for (int type : {11, 16})
            QTest::newRow(qPrintable(QString::number(type))) << type << "Power DCDC Driver";
        QTest::newRow("18") << 18 << "Power Torvex-1000";
        for (int type : {6, 7, 13, 20, 21})
            QTest::newRow(qPrintable(QString::number(type))) << type << "";
    }

    void dispatch()
    {
        QFETCH(int, type);
        QFETCH(QString, name);
        ch->worker->device_type = type;
        ch->view_update();
        if (name.isEmpty()) {
            QVERIFY(ch->laser_name_label->text() != QStringLiteral("No device"));
        } else if (name == QStringLiteral("No device")) {
            expect({"laser_name_label.text=No device", "laser_tab_button.text=Bench 1", "cw_widget.visible=false",
                    "ps_ns_widget.visible=false", "config_button.visible=false", "alt_but_widget.visible=false"});
        } else {
            QCOMPARE(ch->laser_name_label->text(), name);
            expect({"cw_widget.visible=true", "ps_ns_widget.visible=false", "config_button.visible=true",
                    "alt_but_widget.visible=true"});
        }
    }

    void bar_percentage_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<float>("min");
        QTest::addColumn<float>("max");
        QTest::addColumn<int>("shown"); // the bar showed 50 before

        QTest::newRow("a quarter") << 37.5f << 0.0f << 150.0f << 25;
        QTest::newRow("truncated, not rounded") << 149.9f << 0.0f << 150.0f << 99;
        QTest::newRow("just below the minimum truncates to 0") << -0.5f << 0.0f << 150.0f << 0;
        QTest::newRow("below the bar keeps it") << -2.0f << 0.0f << 150.0f << 50;
        QTest::newRow("above the bar keeps it") << 153.0f << 0.0f << 150.0f << 50;
        QTest::newRow("from a raised minimum") << 20.0f << 10.0f << 30.0f << 50;
        QTest::newRow("equal limits keep it") << 6.0f << 5.0f << 5.0f << 50;
        QTest::newRow("past the int range keeps it") << 3.0e30f << 0.0f << 1.0f << 50;
        QTest::newRow("not a number keeps it") << std::numeric_limits<float>::quiet_NaN() << 0.0f << 150.0f << 50;
    }

    void bar_percentage()
    {
        QFETCH(float, value);
        QFETCH(float, min);
        QFETCH(float, max);
        QFETCH(int, shown);
        cw_data &r = ch->worker->cw_record;
        r.current = 75.0f;
        r.current_max = 150.0f;
        ch->worker->device_type = 8;
        ch->view_update();
        QCOMPARE(ch->curr_indicator->value(), 50);
        r.current = value;
        r.current_min = min;
        r.current_max = max;
        ch->view_update();
        QCOMPARE(ch->curr_indicator->value(), shown);
    }

    // The old board's replies (with ticks between), then the new board's:
    // what the page shows, what loading the new board's first readings sent,
    // and what one operator action then sends of the codes it names.
    void first_readings_after_a_change_of_type_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QStringList>("shown"); // "object.property=text", after the action
        QTest::addColumn<QString>("loads_send"); // "code=value" ..., each thrice
        // "on", "enter:input:value" as the operator types it, or the input
        // that Return is pressed in
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("sends"); // "code=value" ..., each thrice, of the codes named

        // The range a previous family gave the input does not clamp the
        // reading, and the reading is the held set point even when the input
        // showed that number already.
        QTest::newRow("7 up to 30 V, then 6 at 45 V of 0 to 60")
            << "D0:7 A5:300 A6:0 98:300 T T" << "D0:6 A5:600 A6:0 98:450 99:10 T T" << QStringList{"volt_spin.value=45"}
            << "" << "on" << "18=450";
        QTest::newRow("7 at 70 V of 50 to 100, then 6 at 45 V")
            << "D0:7 A5:1000 A6:500 98:700 T T" << "D0:6 A5:600 A6:0 98:450 99:10 T T"
            << QStringList{"volt_spin.value=45"} << "" << "on" << "18=450";
        QTest::newRow("7 at 45 V, then 6 at 45 V")
            << "D0:7 A5:600 A6:0 98:450 T T" << "D0:6 A5:600 A6:0 98:450 99:10 T T" << QStringList{"volt_spin.value=45"}
            << "" << "on" << "18=450";
        QTest::newRow("21 up to 30 V, then 20 at 45 V")
            << "D0:21 A5:300 A6:0 98:300 T T" << "D0:20 A5:600 A6:0 98:450 99:1000 T T"
            << QStringList{"volt_spin.value=45"} << "" << "on" << "18=450";
        // A reading equal to the input's start value (25.0 °C) is held too.
        for (const char *type : {"7", "6", "13", "20", "21"}) {
            QTest::newRow(qPrintable(QStringLiteral("fresh %1 at 25.0 °C").arg(type)))
                << "" << QStringLiteral("D0:%1 92:250 T").arg(type) << QStringList{"pulse_temp_spin.value=25"}
                << "" << "pulse_temp_spin" << "12=250";
        }
        QTest::newRow("fresh 16 at 150 us in QCW mode")
            << "" << "D0:16 A4:1 A3:150 T" << QStringList{"cw_width_spin.value=150"} << "" << "cw_width_spin"
            << "23=150";
        QTest::newRow("DC/DC down to 12 A, then 15 at 50 mA")
            << "D0:11 A6:350 T T" << "D0:15 A5:15000 91:500000 T" << QStringList{"curr_spin.value=50"} << ""
            << "curr_spin" << "11=5000";
        QTest::newRow("18, then 10 at 100 mA")
            << "D0:18 T T" << "D0:10 A5:15000 91:1000000 T" << QStringList{"curr_spin.value=100"} << ""
            << "curr_spin" << "11=10000";
        QTest::newRow("DC/DC down to 12 A, then 18 at 13 A")
            << "D0:11 A6:350 T T" << "D0:18 A5:1400 91:1300 T" << QStringList{"curr_spin.value=13"} << ""
            << "curr_spin" << "11=1300";
        QTest::newRow("8 of 15 to 35 °C, then 10 at 40 °C of 10 to 45")
            << "D0:8 B6:150 B7:350 T T" << "D0:10 B6:10000 B7:45000 92:400000 T"
            << QStringList{"temp_spin.value=40"} << "" << "temp_spin" << "12=400000";
        // A width reading is shown and held as the board reported it, and
        // not sent back limited.
        QTest::newRow("6 at 100 kHz reporting 250 ns")
            << "" << "D0:6 99:100 A3:2500 T T" << QStringList{"dura_spin.value=250"} << "" << "dura_spin"
            << "23=2500";
        QTest::newRow("21 reporting 12.3 ns")
            << "" << "D0:21 A3:123 T" << QStringList{"dura_spin.value=12.3"} << "" << "dura_spin" << "23=123";
        QTest::newRow("21 at 1 MHz reporting 30 ns")
            << "" << "D0:21 99:1000000 A3:300 T T" << QStringList{"dura_spin.value=30"} << "" << "dura_spin"
            << "23=300";
        // An operator's width is still limited and sent at once, once.
        QTest::newRow("6 at 100 kHz, 250 ns entered")
            << "" << "D0:6 99:100 T T" << QStringList{"dura_spin.value=200"} << "" << "enter:dura_spin:250"
            << "23=2000";
        // Nothing of the previous family's rate input is left.
        QTest::newRow("21, then 7, then 21 with the same highest rate")
            << "D0:21 T D0:7 T" << "D0:21 T"
            << QStringList{"rr_max_label.text=20.0MHz", "rr_min_label.text=0.1  MHz", "freq_spin.maximum=1000"} << ""
            << "" << "";
        QTest::newRow("20 in MHz, then 21")
            << "D0:20 99:2000000 T T unit:2 T" << "D0:21 T"
            << QStringList{"freq_spin.decimals=0", "freq_spin.minimum=1", "freq_spin.singleStep=1",
                           "freq_spin.maximum=1000"}
            << "" << "" << "";
        // The table types show their unit, which cannot be changed.
        for (const char *type : {"6", "13"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1 after 21: the rate in kHz").arg(type)))
                << "D0:21 T" << QStringLiteral("D0:%1 T").arg(type)
                << QStringList{"freq_range_combo.visible=true", "freq_range_combo.currentText=kHz",
                               "freq_range_combo.enabled=false", "freq_spin.visible=false", "freq_combo.visible=true"}
                << "" << "" << "";
        }
    }

    void first_readings_after_a_change_of_type()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QStringList, shown);
        QFETCH(QString, loads_send);
        QFETCH(QString, action);
        QFETCH(QString, sends);
        using namespace channel_fixture;
        play(*ch, before);
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        play(*ch, after);
        QList<QByteArray> expected;
        for (const QString &f : loads_send.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            expected << sent_value(f) << sent_value(f) << sent_value(f);
        QCOMPARE(frames(spy), expected);
        spy.clear();
        if (action == QLatin1String("on")) {
            ch->ps_ns_on_off_butt->click();
        } else if (action.startsWith(QLatin1String("enter:"))) {
            auto *spin = form.window->findChild<QDoubleSpinBox *>(action.section(QLatin1Char(':'), 1, 1));
            QVERIFY(spin);
            spin->setValue(action.section(QLatin1Char(':'), 2).toDouble());
        } else if (!action.isEmpty()) {
            auto *spin = form.window->findChild<QDoubleSpinBox *>(action);
            QVERIFY(spin);
            ch->sl_return_key_pressed_on_spinbox(spin);
        }
        QList<QByteArray> sent_frames;
        QList<QByteArray> wanted;
        QStringList codes;
        for (const QString &f : sends.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            wanted << sent_value(f) << sent_value(f) << sent_value(f);
            codes << f.section(QLatin1Char('='), 0, 0);
        }
        for (const QByteArray &f : frames(spy)) {
            if (codes.contains(QString::fromLatin1(f.mid(5, 2))))
                sent_frames << f;
        }
        QCOMPARE(sent_frames, wanted);
        for (const QString &check : shown)
            expect({check.toUtf8().constData()});
    }

    // A page that served a board of one family and then one of another is
    // what a fresh page shows after the second board's replies: inputs,
    // ranges, steps, decimals, items, labels and the set points it would send.
    void changed_page_is_a_fresh_page_data()
    {
        QTest::addColumn<QString>("old_board");
        QTest::addColumn<QString>("new_board");
        for (const char *a : family_board) {
            for (const char *b : family_board) {
                if (a == b)
                    continue;
                const QString from = QString::fromLatin1(a).section(QLatin1Char(' '), 0, 0).mid(3);
                const QString to = QString::fromLatin1(b).section(QLatin1Char(' '), 0, 0).mid(3);
                QTest::newRow(qPrintable(from + QStringLiteral(" then ") + to)) << QString::fromLatin1(a)
                                                                              << QString::fromLatin1(b);
            }
        }
    }

    void changed_page_is_a_fresh_page()
    {
        QFETCH(QString, old_board);
        QFETCH(QString, new_board);
        // Two pages no row has touched, on forms of their own: every page is
        // as the form builds it. A form serves five rows, because building
        // one is most of a row's time under the sanitizers.
        if (pages_taken + 2 > int(form_fixture::page_suffixes().size())) {
            untouched = form_fixture::build();
            pages_taken = 0;
        }
        QWidget *changed_page = channel_fixture::page(untouched, pages_taken++);
        QWidget *fresh_page = channel_fixture::page(untouched, pages_taken++);
        QVERIFY(changed_page && fresh_page);
        channel_fixture::controller changed = channel_fixture::make(changed_page);
        channel_fixture::controller fresh = channel_fixture::make(fresh_page);
        changed->channel_name = fresh->channel_name = QStringLiteral("Bench");
        channel_fixture::play(*changed, old_board + settle + QLatin1Char(' ') + new_board + settle);
        channel_fixture::play(*fresh, new_board + settle);
        QCOMPARE(page_state(changed_page, changed_page), page_state(fresh_page, changed_page));
        QCOMPARE(held_set_points(*changed, changed_page), held_set_points(*fresh, fresh_page));
    }

    void tick_repaints_what_it_changed_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("reading_changes");
        // Widgets that must be repainted, and widgets that must not be.
        QTest::addColumn<QStringList>("repainted");
        QTest::addColumn<QStringList>("untouched");

        const QStringList cw_side{"curr_label", "temp_label", "curr_indicator", "temp_indicator", "cw_widget"};
        const QStringList pulsed_side{"pulse_volt_label", "pulse_temp_label", "volt_indicator", "ps_ns_widget"};
        for (int type : {8, 10, 14, 15, 11, 16, 18})
            QTest::newRow(qPrintable(QStringLiteral("type %1, readings unchanged: nothing").arg(type)))
                << type << false << QStringList{} << cw_side;
        for (int type : {6, 7, 13, 20, 21})
            QTest::newRow(qPrintable(QStringLiteral("type %1, readings unchanged: nothing").arg(type)))
                << type << false << QStringList{} << pulsed_side;
        QTest::newRow("type 8, the current moves: its label and bar, not the temperature")
            << 8 << true << QStringList{"curr_label", "curr_indicator"} << QStringList{"temp_label", "temp_indicator"};
        QTest::newRow("type 11, the current moves: its label, not the temperature")
            << 11 << true << QStringList{"curr_label"} << QStringList{"temp_label", "temp_indicator"};
        QTest::newRow("type 21, the voltage moves: its label and bar, not the temperature")
            << 21 << true << QStringList{"pulse_volt_label", "volt_indicator"}
            << QStringList{"pulse_temp_label", "pulse_temp_indicator"};
    }

    void tick_repaints_what_it_changed()
    {
        QFETCH(int, type);
        QFETCH(bool, reading_changes);
        QFETCH(QStringList, repainted);
        QFETCH(QStringList, untouched);
        // The page unfolded on the channel list, as an operator watches it.
        form.window->findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))->setCurrentIndex(1);
        ch->laser_group->show();
        change_type(type);
        fill_readings(*ch->worker, 0.0f);
        for (int i = 0; i < 3; ++i) {
            ch->view_update();
            serve_paints();
        }

        paint_log log(ch->page);
        if (reading_changes)
            fill_readings(*ch->worker, 3.0f);
        ch->view_update();
        serve_paints();
        const QStringList painted(log.painted.begin(), log.painted.end());
        for (const QString &name : repainted)
            QVERIFY2(log.painted.count(name), qPrintable(name + QStringLiteral(" not repainted; repainted: ") +
                                                         painted.join(QLatin1Char(' '))));
        for (const QString &name : untouched)
            QVERIFY2(!log.painted.count(name), qPrintable(name + QStringLiteral(" repainted; repainted: ") +
                                                          painted.join(QLatin1Char(' '))));
        if (!reading_changes) {
            QVERIFY2(painted.isEmpty(), qPrintable(painted.join(QLatin1Char(' '))));
            QCOMPARE(log.layouts, 0);
        }
    }

private:
    form_fixture::built_form untouched;
    int pages_taken = int(form_fixture::page_suffixes().size());
};

QTEST_MAIN(tst_view_shared_rules)
#include "tst_view_shared_rules.moc"
