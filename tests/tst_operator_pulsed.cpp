// An operator at the whole program with the pulsed boards (PS table 7, NS
// table 6, SOA 13, PS 20, NS 21) on the simulated bench: the pages fill on
// connecting, voltage, temperature, repetition rate, pulse width, mode and
// pulse counts entered on the pages reach the boards and come back on the
// pages, emission follows its switch.

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <QThread>
#include <QtTest>

#include "app/mainwindow.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "support/modal_answer.h"
#include "support/operator_suite.h"

namespace {

const QList<int> bench_types{7, 6, 13, 20, 21};

const QList<board_reading> readings{
    {7, 0x92, 26.4, "pulse_temp_label", "26.4 °C"},
    {7, 0x99, 2000, "freq_label", "2000 kHz"},
    {7, 0xA5, 45.0, "volt_max_label", "45 V"},
    {7, 0xB4, 5, "N_label", "5"},
    {7, 0xB5, 2, "M_label", "2"},
    // Both counts above zero: burst.
    {7, 0xA4, 0, "mode_label", "Int: Burst"},
    {6, 0x99, 100, "freq_label", "100 kHz"},
    {6, 0xA3, 35.0, "dura_label", "35.0 ns"},
    {6, 0x92, 27.1, "pulse_temp_label", "27.1 °C"},
    {13, 0x99, 50, "freq_label", "50 kHz"},
    {13, 0xA4, 2, "mode_label", "Ext: Normal"},
    {13, 0xA6, 3.0, "volt_min_label", "3 V"},
    // Hertz on the wire, shown in the largest unit.
    {20, 0x99, 1500000, "freq_label", "1.5 MHz"},
    {20, 0x92, 23.3, "pulse_temp_label", "23.3 °C"},
    {21, 0x99, 250000, "freq_label", "250 kHz"},
    {21, 0xA3, 48.0, "dura_label", "48.0 ns"},
    {21, 0xB7, 33.0, "temp_pulse_max_label", "33.0 °C"},
};

// The commands the page sends through its channel's worker, as their data
// digits; what the worker sends from its own thread (its poll requests and
// the TEC switch-on of every pass) is left out, untouched there: this may
// be gone by then.
class set_frames
{
public:
    explicit set_frames(laser_worker *worker)
    {
        QThread *const gui = QThread::currentThread();
        QObject::connect(
            worker, &laser_worker::thread_serial_write, &context,
            [this, gui](const QByteArray &frame) {
                if (QThread::currentThread() == gui)
                    data << frame.mid(5, 16);
            },
            Qt::DirectConnection);
    }
    QObject context;
    QList<QByteArray> data;
};

QList<QByteArray> tripled_data(std::initializer_list<const char *> data)
{
    QList<QByteArray> out;
    for (const char *d : data)
        out << d << d << d;
    return out;
}

} // namespace

class tst_operator_pulsed : public family_suite
{
    Q_OBJECT

public:
    tst_operator_pulsed() : family_suite(bench_types, readings) {}

private slots:
    // Typed with real keys into the type-21 page, Return through the main
    // window: the board reports 10 kHz and 100 ns first. "type <input>
    // <text>" selects the box's text and types, "return <input>", "unit
    // <text>" picks in the unit list. Then the set commands caught, and what
    // the board holds.
    void typed_entries_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::addColumn<double>("width"); // the board's, ns
        // A view that clamps freq_spin to the reported width's reach moves
        // the held rate: the row sets its own first.
        QTest::newRow("rate and width typed: one triple send each, when finished")
            << QStringList{"unit kHz", "type freq_spin 10", "return freq_spin", "type dura_spin 150", "return dura_spin"}
            << tripled_data({"1900000000002710", "23000000000005DC"}) << 150.0;
        // The rate entered is held for output on: a wider width is held to it.
        QTest::newRow("0.2 MHz held, then 1000 ns: 100 ns")
            << QStringList{"type dura_spin 100", "return dura_spin", "unit MHz", "type freq_spin 0.2",
                           "type dura_spin 1000", "return dura_spin"}
            << tripled_data({"23000000000003E8", "23000000000003E8"}) << 100.0;
    }

    void typed_entries()
    {
        QFETCH(QStringList, steps);
        QFETCH(QList<QByteArray>, expected);
        QFETCH(double, width);
        QVERIFY(b->ready());
        const int ch = b->channel_of(21);
        b->board(ch).set_value(0x99, 10000);
        b->board(ch).set_value(0xA3, 100);
        QVERIFY2(b->page_shows(ch, "freq_label", "10 kHz").isEmpty(), "the page never showed 10 kHz");
        QVERIFY2(b->page_shows(ch, "dura_label", "100.0 ns").isEmpty(), "the page never showed 100.0 ns");
        set_frames caught(b->channel(ch)->worker);
        for (const QString &step : steps) {
            const QStringList p = step.split(QLatin1Char(' '));
            if (p[0] == "unit") {
                QVERIFY2(b->enter(ch, "freq_range_combo", p[1]).isEmpty(), qPrintable(step));
                continue;
            }
            auto *spin = b->widget<QDoubleSpinBox>(ch, p[1]);
            QVERIFY2(spin && spin->isVisible() && spin->isEnabled(), qPrintable(step));
            if (p[0] == "type") {
                spin->selectAll();
                QTest::keyClicks(spin, p[2]);
            } else {
                QTest::keyClick(spin, Qt::Key_Return);
            }
        }
        QCOMPARE(caught.data, expected);
        const QString held = b->board_holds(ch, 0xA3, width);
        QVERIFY2(held.isEmpty(), qPrintable(held));
        // Output on: the rate goes out, held to the width the board runs.
        const QString on = b->switch_output(ch, true);
        QVERIFY2(on.isEmpty(), qPrintable(on));
        const double duty = b->board(ch).value(0x99) * b->board(ch).value(0xA3) * 1e-9;
        const QString off = b->switch_output(ch, false);
        QVERIFY2(duty <= 0.02, qPrintable(QStringLiteral("duty %1 at %2 Hz").arg(duty).arg(b->board(ch).value(0x99))));
        QVERIFY2(off.isEmpty(), qPrintable(off));
    }

    // Another board of the page's type at the channel while the page still
    // holds the one before: given the channel by its CAN ID, or put in its
    // place while the link was down. Clicked at once, and again while a
    // click turns nothing on: the new board emits at its own rate and voltage.
    void another_board_of_the_type_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("moved"); // else replaced while disconnected
        QTest::newRow("20, CAN ID changed") << 20 << true;
        QTest::newRow("21, CAN ID changed") << 21 << true;
        QTest::newRow("20, replaced while disconnected") << 20 << false;
        QTest::newRow("21, replaced while disconnected") << 21 << false;
    }

    void another_board_of_the_type()
    {
        QFETCH(int, type);
        QFETCH(bool, moved);
        QVERIFY(b->ready());
        const int ch = b->channel_of(type);
        auto *address = b->window->findChild<QLineEdit *>(ch == 1 ? QString("addr") : QString("addr_%1").arg(ch));
        auto *main_page = b->window->findChild<QPushButton *>("main_menu_butt");
        auto *button = b->widget<QPushButton>(ch, on_off_button_name(type));
        sim_board *other = nullptr;
        // Whatever fails, the rows after find the channel at its own address,
        // connected, and no board emitting.
        const auto restore = qScopeGuard([&] {
            if (other && other->value(0xA2) != 0 && button->isChecked())
                QTest::mouseClick(button, Qt::LeftButton);
            address->setText(QString::number(ch));
            main_page->click();
            if (!b->window->connected)
                b->connect_by_button();
        });
        if (!moved) {
            modal_answer left_on{QMessageBox::Yes}; // turns off what a failed row left on
            b->window->findChild<QPushButton *>("connect_button_2")->click();
            QVERIFY2(wait_for([&] { return !b->window->connected; }), "not disconnected within 20 s");
        }
        // Its readings set before the program can poll it.
        other = moved ? &b->bench.add_board(type, 30 + ch) : &b->bench.bus.replace_board(ch, type);
        other->set_value(0x99, 40000);
        other->set_value(0x98, 10.0);
        address->setText(QString::number(moved ? 30 + ch : ch));
        main_page->click();
        const QString up = moved ? QString() : b->connect_by_button();
        QVERIFY2(up.isEmpty(), qPrintable(up));
        QElapsedTimer clicking;
        clicking.start();
        QSignalSpy ticks(b->window->view_update_timer, &QTimer::timeout);
        while (QTest::mouseClick(button, Qt::LeftButton), !button->isChecked()) // the click sent nothing
            QVERIFY2(clicking.elapsed() < 20000 && ticks.wait(2000), "clicked 20 s, never switched on");
        QVERIFY2(wait_for([&] { return other->value(0xA2) == 1; }), "the board not emitting 20 s after the switch-on");
        QCOMPARE(other->value(0x99), 40000.0);
        QCOMPARE(other->value(0x98), 10.0);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY2(wait_for([&] { return other->value(0xA2) == 0; }), "the board still emitting 20 s after the switch-off");
    }

protected:
    void add_set_points() override
    {
        const QString deg = QStringLiteral(" °C");
        // The voltage reads 0 while emission is off: shown with it on.
        QTest::newRow("7 voltage") << 7 << "on" << "volt_spin" << "22.5" << 0x98 << 22.5 << "pulse_volt_label"
                                   << "22.5 V";
        QTest::newRow("7 temperature") << 7 << "" << "pulse_temp_spin" << "26.3" << 0x92 << 26.3 << "pulse_temp_label"
                                       << "26.3" + deg;
        QTest::newRow("7 frequency") << 7 << "" << "freq_combo" << "5000" << 0x99 << 5000.0 << "freq_label"
                                     << "5000 kHz";
        QTest::newRow("7 mode") << 7 << "" << "mode_combo" << "Ext: Normal" << 0xA4 << 2.0 << "mode_label"
                                << "Ext: Normal";
        QTest::newRow("7 burst") << 7 << "" << "mode_combo" << "Int: Burst" << 0xA4 << 0.0 << "mode_label"
                                 << "Int: Burst";
        QTest::newRow("7 N") << 7 << "" << "pulse_gated_spin" << "12" << 0xB4 << 12.0 << "N_label" << "12";
        QTest::newRow("7 M") << 7 << "" << "pulse_cutted_spin" << "4" << 0xB5 << 4.0 << "M_label" << "4";
        QTest::newRow("6 voltage") << 6 << "on" << "volt_spin" << "18.4" << 0x98 << 18.4 << "pulse_volt_label"
                                   << "18.4 V";
        QTest::newRow("6 temperature") << 6 << "" << "pulse_temp_spin" << "24.7" << 0x92 << 24.7 << "pulse_temp_label"
                                       << "24.7" + deg;
        QTest::newRow("6 frequency") << 6 << "" << "freq_combo" << "200" << 0x99 << 200.0 << "freq_label"
                                     << "200 kHz";
        QTest::newRow("6 pulse width") << 6 << "" << "dura_spin" << "50" << 0xA3 << 50.0 << "dura_label"
                                       << "50.0 ns";
        QTest::newRow("6 burst") << 6 << "" << "mode_combo" << "Int: Burst" << 0xA4 << 0.0 << "mode_label"
                                 << "Int: Burst";
        QTest::newRow("6 N") << 6 << "" << "pulse_gated_spin" << "7" << 0xB4 << 7.0 << "N_label" << "7";
        QTest::newRow("13 voltage") << 13 << "on" << "volt_spin" << "15.5" << 0x98 << 15.5 << "pulse_volt_label"
                                    << "15.5 V";
        QTest::newRow("13 frequency") << 13 << "" << "freq_combo" << "500" << 0x99 << 500.0 << "freq_label"
                                      << "500 kHz";
        QTest::newRow("13 pulse width") << 13 << "" << "dura_spin" << "12.5" << 0xA3 << 12.5 << "dura_label"
                                        << "12.5 ns";
        QTest::newRow("13 burst") << 13 << "" << "mode_combo" << "Ext: Burst" << 0xA4 << 2.0 << "mode_label"
                                  << "Ext: Burst";
        QTest::newRow("13 M") << 13 << "" << "pulse_cutted_spin" << "6" << 0xB5 << 6.0 << "M_label" << "6";
        QTest::newRow("20 voltage") << 20 << "on" << "volt_spin" << "12.5" << 0x98 << 12.5 << "pulse_volt_label"
                                    << "12.5 V";
        QTest::newRow("20 temperature") << 20 << "" << "pulse_temp_spin" << "23.9" << 0x92 << 23.9
                                        << "pulse_temp_label" << "23.9" + deg;
        QTest::newRow("20 frequency") << 20 << "" << "freq_spin" << "250 kHz" << 0x99 << 250000.0 << "freq_label"
                                      << "250 kHz";
        QTest::newRow("20 on demand") << 20 << "" << "mode_combo" << "Pulse on Demand" << 0xA4 << 1.0
                                      << "mode_label" << "Pulse on Demand";
        QTest::newRow("21 voltage") << 21 << "on" << "volt_spin" << "30.2" << 0x98 << 30.2 << "pulse_volt_label"
                                    << "30.2 V";
        QTest::newRow("21 temperature") << 21 << "" << "pulse_temp_spin" << "25.6" << 0x92 << 25.6
                                        << "pulse_temp_label" << "25.6" + deg;
        QTest::newRow("21 frequency") << 21 << "" << "freq_spin" << "300 kHz" << 0x99 << 300000.0 << "freq_label"
                                      << "300 kHz";
        QTest::newRow("21 pulse width") << 21 << "" << "dura_spin" << "50" << 0xA3 << 50.0 << "dura_label"
                                        << "50.0 ns";
        QTest::newRow("21 burst") << 21 << "" << "mode_combo" << "Int: Burst" << 0xA4 << 0.0 << "mode_label"
                                  << "Int: Burst";
        QTest::newRow("21 N") << 21 << "" << "pulse_gated_spin" << "3" << 0xB4 << 3.0 << "N_label" << "3";
    }
};

QTEST_MAIN(tst_operator_pulsed)
#include "tst_operator_pulsed.moc"
