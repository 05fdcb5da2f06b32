// An operator at the whole program when boards misbehave on the simulated
// bench: a DC/DC and a power board report faults (the box opens once per
// episode with the board's texts, the page's clear button clears the fault),
// and a board falls silent ("No device" at the first presence check that
// finds it gone, the page back with the board's own values when it answers).

#include <QtTest>

#include <QApplication>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/mainwindow.h"
#include "channel/laser_object.h"
#include "comm/serial_object.h"
#include "support/modal_answer.h"
#include "support/operator_suite.h"

namespace {

const QList<int> bench_types{16, 18, 8};

} // namespace

class tst_operator_faults : public operator_suite
{
    Q_OBJECT

public:
    tst_operator_faults() : operator_suite(bench_types) {}

private slots:
    void fault_box_once_per_episode_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("texts");
        // Fault byte 0x81: bits 0 and 7, each text on a line of its own.
        QTest::newRow("DC/DC 16") << 16 << "flag_NO_Load\nflag_OverVoltage_OUT\n";
        QTest::newRow("power 18") << 18 << "flag_Rebooted\nflag_OverCurrent_IND\n";
    }

    void fault_box_once_per_episode()
    {
        QFETCH(int, type);
        QFETCH(QString, texts);
        QVERIFY(b->ready());
        const int ch = b->channel_of(type);
        const QString who = b->describe(ch);
        sim_board &board = b->board(ch);
        laser_object *c = b->channel(ch);
        QSignalSpy ticks(b->window->view_update_timer, &QTimer::timeout);
        modal_answer box{QMessageBox::Ok};

        board.set_faults(0x81);
        QVERIFY2(wait_for([&] { return box.boxes == 1; }), qPrintable(who + ": no fault box"));
        QCOMPARE(box.title, QStringLiteral("WARNING"));
        QVERIFY2(box.text == texts, qPrintable(who + ": box reads \"" + box.text + "\""));
        QCOMPARE(c->fail_title->text(), QStringLiteral("!!!FAILURE!!!"));
        QVERIFY(c->fail_title->isVisible() && c->err_clr_butt->isVisible());
        // The fault stands for several more passes and ticks: no second box.
        const int seen = ticks.count();
        const int polled = board.received(0xB0);
        QVERIFY(wait_for([&] { return ticks.count() >= seen + 4 && board.received(0xB0) >= polled + 2; }));
        QVERIFY2(box.boxes == 1, qPrintable(who + QStringLiteral(": %1 boxes for one fault").arg(box.boxes)));

        QTest::mouseClick(c->err_clr_butt, Qt::LeftButton);
        QVERIFY2(wait_for([&] { return board.value(0xB0) == 0; }), qPrintable(who + ": fault not cleared"));
        QVERIFY2(wait_for([&] { return !c->fail_title->isVisible() && !c->err_clr_butt->isVisible(); }),
                 qPrintable(who + ": page still shows " + c->fail_title->text()));
        QCOMPARE(box.boxes, 1);

        // A new episode opens the box again.
        board.set_faults(0x81);
        QVERIFY2(wait_for([&] { return box.boxes == 2; }), qPrintable(who + ": no box for the second fault"));
        QTest::mouseClick(c->err_clr_butt, Qt::LeftButton);
        QVERIFY(wait_for([&] { return board.value(0xB0) == 0 && !c->fail_title->isVisible(); }));
    }

    // While a fault box waits for the operator, the other pages and the
    // emission indicator go on being redrawn.
    void pages_refresh_behind_the_fault_box_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("DC/DC 16 box, CW page redrawn") << 16;
        QTest::newRow("power 18 box, CW page redrawn") << 18;
    }

    void pages_refresh_behind_the_fault_box()
    {
        QFETCH(int, type);
        QVERIFY(b->ready());
        const int ch = b->channel_of(type);
        const int other = b->channel_of(8);
        sim_board &board = b->board(ch);
        laser_object *c = b->channel(ch);
        laser_object *o = b->channel(other);
        QLabel *status = b->window->findChild<QLabel *>(QStringLiteral("connection_status_label"));
        QLabel *emission = b->window->findChild<QLabel *>(QStringLiteral("emitting_label"));
        QVERIFY(status && emission);
        const double temperature = b->board(other).value(0x92) + 3.3;
        const QString shown = QString::number(temperature, 'f', 1);

        // The operator is away: the box stays open until the CW page shows
        // its board's new temperature (or long enough to tell it never will).
        QSignalSpy ticks(b->window->view_update_timer, &QTimer::timeout);
        int boxes = 0;
        int ticks_behind = 0;
        bool redrawn = false;
        QElapsedTimer open_for;
        QTimer operator_away;
        connect(&operator_away, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            if (!open_for.isValid()) {
                ++boxes;
                open_for.start();
                ticks_behind = ticks.count();
                emission->clear(); // set again by every tick
                b->board(other).set_value(0x92, temperature);
            }
            redrawn = o->temp_label->text().startsWith(shown) && !emission->text().isEmpty();
            if (redrawn || open_for.elapsed() > 15000) {
                ticks_behind = ticks.count() - ticks_behind;
                box->button(QMessageBox::Ok)->click();
            }
        });
        operator_away.start(20);

        board.set_faults(0x81);
        QVERIFY2(wait_for([&] { return boxes == 1 && !QApplication::activeModalWidget(); }, 40000),
                 qPrintable(b->describe(ch) + ": no fault box"));
        QVERIFY2(redrawn, qPrintable(QStringLiteral("%1 page reads %2 after %3 ticks behind the box of %4")
                                         .arg(b->describe(other), o->temp_label->text())
                                         .arg(ticks_behind)
                                         .arg(b->describe(ch))));
        QCOMPARE(status->text(), QStringLiteral("Connection status: CONNECTED"));
        operator_away.stop();
        modal_answer ok{QMessageBox::Ok};
        QTest::mouseClick(c->err_clr_butt, Qt::LeftButton);
        QVERIFY(wait_for([&] { return board.value(0xB0) == 0 && !c->fail_title->isVisible(); }));
        QCOMPARE(boxes, 1);
    }

    void silent_board_shows_no_device_and_returns()
    {
        QVERIFY(b->ready());
        const int ch = b->channel_of(8);
        sim_board &board = b->board(ch);
        laser_object *c = b->channel(ch);
        QTimer *heartbeat = b->window->heartbeat_timer;

        // Silent from a presence check on; a device-type reply already on its
        // way then still counts, and the attempt is made again.
        int late_replies = 0;
        bool silent = false;
        QElapsedTimer since;
        // Goes first, with the connections to the variables above.
        QObject scope;
        connect(b->window->serial_obj, &serial_object::sig_serial_rx_can_message, &scope,
                [&](serial_message_struct m) { late_replies += silent && m.data[0] == 0xD0 && m.data[1] == uint32_t(ch); });
        qint64 shown_after = -1;
        int checks = 0;
        for (int attempt = 0; attempt < 3 && shown_after < 0; ++attempt) {
            late_replies = 0;
            QMetaObject::Connection at_check = connect(heartbeat, &QTimer::timeout, &scope, [&] {
                board.set_silent(true);
                silent = true;
                since.start();
            });
            QVERIFY(wait_for([&] { return silent; }));
            disconnect(at_check);
            QSignalSpy checked(heartbeat, &QTimer::timeout);
            // Meanwhile the board's temperature changes; the page must take it afresh.
            board.set_value(0x92, 28.8 + attempt);
            QVERIFY2(wait_for([&] { return c->laser_name_label->text() == QLatin1String("No device"); }),
                     qPrintable(b->describe(ch) + ": never shown as lost"));
            checks = checked.count();
            if (late_replies == 0)
                shown_after = since.elapsed();
            board.set_silent(false);
            silent = false;
            QVERIFY2(wait_for([&] { return c->laser_name_label->text() == driver_name(8); }),
                     qPrintable(b->describe(ch) + ": page does not return"));
        }
        QVERIFY2(shown_after >= 0, "a reply was under way at every check");
        qInfo("\"No device\" %lld ms after the board fell silent", shown_after);
        // Counted in presence checks, not in milliseconds: a loaded machine
        // delays the checks' timer, not the check that finds the board gone.
        QVERIFY2(checks == 1,
                 qPrintable(QStringLiteral("\"No device\" after %1 presence checks, %2 ms").arg(checks).arg(shown_after)));
        // Back with the board's own set point in the input.
        const double board_temperature = board.value(0x92);
        QVERIFY2(wait_for([&] { return c->temp_spin->value() == board_temperature; }),
                 qPrintable(QStringLiteral("%1: temperature input %2, board holds %3")
                                .arg(b->describe(ch))
                                .arg(c->temp_spin->value())
                                .arg(board_temperature)));
    }
};

QTEST_MAIN(tst_operator_faults)
#include "tst_operator_faults.moc"
