// An operator at the parameters window of the whole program, on CW boards of
// the simulated bench: opened by the page's configuration button, the current
// limits and the TEC current limit set by their SET buttons are stored by the
// board and shown back by the window (and the limit by the page); after the
// window's Close every other channel is polled again.

#include <QtTest>

#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include "app/mainwindow.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "params/laser_params.h"
#include "support/operator_suite.h"

namespace {

const QList<int> bench_types{8, 15, 11, 21};

// One parameter: the window's input and SET button, the board's read code,
// the value entered, what the window's label then shows.
struct parameter
{
    const char *spin;
    const char *button;
    uint8_t read_code;
    double value;
    const char *label;
    const char *text;
};

const parameter parameters[] = {
    {"cur_max_spin", "cur_max_set_but", 0xA5, 120.0, "cur_max_label", "120.0"},
    {"cur_min_spin", "cur_min_set_but", 0xA6, 12.5, "cur_min_label", "12.5"},
    {"max_tec_curr_spin", "max_tec_curr_set_but", 0xB3, 2.5, "max_tec_curr_label", "2.5"},
};

} // namespace

class tst_operator_params : public operator_suite
{
    Q_OBJECT

public:
    tst_operator_params() : operator_suite(bench_types) {}

private:
    template <typename W>
    W *in_window(const char *name) const
    {
        return b->params->findChild<W *>(QLatin1String(name));
    }

private slots:
    void limits_set_in_the_window_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("page_limit");
        // Tenths of a mA on the wire for type 8, hundredths for type 15.
        QTest::newRow("CW 8") << 8 << "120.0 mA";
        QTest::newRow("Precision CW 15") << 15 << "120.00 mA";
    }

    void limits_set_in_the_window()
    {
        QFETCH(int, type);
        QFETCH(QString, page_limit);
        QVERIFY(b->ready());
        const int ch = b->channel_of(type);
        laser_object *c = b->channel(ch);
        QTest::mouseClick(c->config_button, Qt::LeftButton);
        QVERIFY(wait_for([&] { return b->params->isVisible(); }));
        // The parameters the main passes do not read come with the window's
        // first pass, and the window reloads its inputs when they do: the
        // operator types once the window is filled.
        const struct { const char *label; uint8_t read_code; int decimals; } stored[] = {
            {"res_read_label", 0x96, 0}, {"beta_label", 0x95, 0}, {"mon_label", 0x97, 2}};
        for (const auto &s : stored) {
            auto *label = in_window<QLabel>(s.label);
            const QString board_text = QString::number(b->board(ch).value(s.read_code), 'f', s.decimals);
            QVERIFY2(wait_for([&] { return label->text() == board_text; }),
                     qPrintable(b->describe(ch) + ": " + s.label + " shows " + label->text() + ", board holds " +
                                board_text));
        }

        for (const parameter &p : parameters) {
            const QString what = b->describe(ch) + QStringLiteral(": %1 %2").arg(QLatin1String(p.spin)).arg(p.value);
            auto *spin = in_window<QDoubleSpinBox>(p.spin);
            auto *button = in_window<QPushButton>(p.button);
            auto *label = in_window<QLabel>(p.label);
            QVERIFY2(spin && button && label && button->isVisible(), qPrintable(what + ": not offered"));
            // The operator enters a value once the window shows the board's.
            const QString before = QString::number(b->board(ch).value(p.read_code), 'f', 1);
            QVERIFY2(wait_for([&] { return label->text() == before; }),
                     qPrintable(what + ": window shows " + label->text() + ", board holds " + before));
            spin->setValue(p.value);
            QTest::mouseClick(button, Qt::LeftButton);
            const QString held = b->board_holds(ch, p.read_code, p.value);
            QVERIFY2(held.isEmpty(), qPrintable(held + " (" + what + ")"));
            QVERIFY2(wait_for([&] { return label->text() == QLatin1String(p.text); }),
                     qPrintable(what + ": window shows " + label->text()));
        }

        QList<int> polled;
        for (int other = 1; other <= b->channels(); ++other)
            polled << b->board(other).received(0xD0);
        QTest::mouseClick(in_window<QPushButton>("write_button"), Qt::LeftButton);
        QVERIFY(!b->params->isVisible());
        for (int other = 1; other <= b->channels(); ++other) {
            const QString who = b->describe(other);
            QVERIFY2(wait_for([&] { return b->board(other).received(0xD0) >= polled[other - 1] + 2; }),
                     qPrintable(who + ": not polled after the window closed"));
            QVERIFY2(wait_for([&] { return b->channel(other)->laser_name_label->text() == driver_name(b->type_of(other)); }),
                     qPrintable(who + ": page shows " + b->channel(other)->laser_name_label->text()));
        }
        const QString shown = b->page_shows(ch, QStringLiteral("curr_max_label"), page_limit);
        QVERIFY2(shown.isEmpty(), qPrintable(shown));
    }

    // The gear clicked right behind the output switch, served in the waits
    // of the switch's first send (a typed set point, or the pulsed rate):
    // no window opens, the board goes on, every board is still polled.
    void gear_inside_a_switch_on_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("typed"); // into the current box
        QTest::newRow("CW, \"60\" typed") << 8 << "60";
        QTest::newRow("DC/DC, \"2.5\" typed") << 11 << "2.5";
        QTest::newRow("NS, nothing typed") << 21 << "";
    }

    void gear_inside_a_switch_on()
    {
        QFETCH(int, type);
        QFETCH(QString, typed);
        QVERIFY(b->ready());
        const int ch = b->channel_of(type);
        laser_object *c = b->channel(ch);
        b->widget<QDoubleSpinBox>(ch, QStringLiteral("curr_spin"))->selectAll();
        QTest::keyClicks(b->widget<QDoubleSpinBox>(ch, QStringLiteral("curr_spin")), typed);
        // The worker's own sends, from its thread, touch nothing of this row,
        // which may have ended meanwhile.
        QThread *const gui = QThread::currentThread();
        QObject scope;
        bool queued = false;
        QList<bool> offered; // the gear, before and after a view tick in the same waits
        connect(c->worker, &laser_worker::thread_serial_write, &scope, [&, gui] {
            if (QThread::currentThread() == gui && !std::exchange(queued, true))
                QTimer::singleShot(0, &scope, [&] {
                    offered = {c->config_button->isEnabled()};
                    b->window->view_update_timer_slot();
                    offered << c->config_button->isEnabled();
                    QTest::mouseClick(c->config_button, Qt::LeftButton);
                });
        }, Qt::DirectConnection);
        // One click only: the board goes on once it has read the click's
        // frames, and a second click would switch it off again.
        QString on = b->click_and_wait(ch, [&] {
            QTest::mouseClick(b->widget<QPushButton>(ch, on_off_button_name(type)), Qt::LeftButton);
        });
        QList<int> polled;
        for (int other = 1; other <= b->channels(); ++other)
            polled << b->board(other).received(0xD0);
        if (on.isEmpty())
            on = b->output_shows(ch, true);
        QVERIFY2(on.isEmpty(), qPrintable(on));
        QCOMPARE(offered, (QList<bool>{false, false}));
        QVERIFY(!b->params->isVisible());
        for (int other = 1; other <= b->channels(); ++other)
            QVERIFY2(wait_for([&] { return b->board(other).received(0xD0) >= polled[other - 1] + 2; }),
                     qPrintable(b->describe(other) + ": not polled"));
        const QString off = b->switch_output(ch, false);
        QVERIFY2(off.isEmpty(), qPrintable(off));
    }
};

QTEST_MAIN(tst_operator_params)
#include "tst_operator_params.moc"
