// The parameters window's set commands, clicked on the real buttons: the
// frame byte for byte from the record of the driver type, sent three times
// 50 ms apart with detail polling paused and the window refreshing between
// frames; nothing for a type a command does not serve or a value its field
// cannot hold; Save's box; and the poll flag left alone after a close or a
// hand-over to another channel during a sequence.

#include <QtTest>

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "app/resources.h"
#include "support/channel_fixture.h"
#include "comm/laser_worker.h"
#include "params/laser_params.h"
#include "support/log_capture.h"

namespace {

// Each record an address of its own, so the frame's identifier names the
// record that built it.
enum : int { cw_id = 0x08, power_id = 0x18, ps_table_id = 0x07, ps_id = 0x20, ns_table_id = 0x06, ns_id = 0x21 };

QByteArray frame_text(int id, const char *data)
{
    return QByteArray("t") + QByteArray::number(id, 16).toUpper().rightJustified(3, '0') + "8" + data + "\r";
}

struct sent_frame
{
    QByteArray data;
    qint64 at_ms;
    bool detail_poll;
    QString address_shown;
};

} // namespace

class tst_params_commands : public QObject
{
    Q_OBJECT

    laser_params *window = nullptr;
    channel_fixture::controller ch;
    laser_worker *w = nullptr;
    QElapsedTimer clock;
    QList<sent_frame> sent;

    template <typename T>
    T *find(const QString &name) { return window->findChild<T *>(name); }

    // Records each frame with the time, the poll flag and the address the
    // window shows, then changes the address so that the next frame can see
    // whether a refresh tick ran in between.
    void on_frame(const QByteArray &data)
    {
        sent.append({data, clock.elapsed(), w->detail_poll.load(), find<QLabel>("can_read_label")->text()});
        w->device_address = w->device_address + 1;
    }

    void check_sequence(const QByteArray &expected)
    {
        QVERIFY(w->detail_poll);
        if (expected.isEmpty()) {
            QCOMPARE(sent.size(), 0);
            return;
        }
        QCOMPARE(sent.size(), 3);
        qint64 previous = 0;
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(sent.at(i).data, expected);
            QVERIFY(!sent.at(i).detail_poll);
            QVERIFY2(sent.at(i).at_ms - previous >= 48, qPrintable(QString::number(sent.at(i).at_ms - previous)));
            previous = sent.at(i).at_ms;
            if (i > 0)
                QCOMPARE(sent.at(i).address_shown.toInt(), sent.at(i - 1).address_shown.toInt() + 1);
        }
    }

    // The first tick on a type reloads the inputs; typing comes after it.
    void set_type(int type)
    {
        w->device_type = type;
        QVERIFY(QMetaObject::invokeMethod(window, "view_update_timer_slot"));
    }

    void click(const QString &button)
    {
        sent.clear();
        w->detail_poll = true;
        clock.start();
        find<QAbstractButton>(button)->click();
    }

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        ch = channel_fixture::make(nullptr, cw_id);
        w = ch->worker;
        w->power_record.can_address = power_id;
        w->ps_table_record.can_address = ps_table_id;
        w->ps_record.can_address = ps_id;
        w->ns_table_record.can_address = ns_table_id;
        w->ns_record.can_address = ns_id;
        window = new laser_params;
        window->active = 1;
        window->channel = ch.get();
        connect(window, &laser_params::sig_thread_serial_write, this, &tst_params_commands::on_frame);
        // Keep the refresh from reloading what the rows below type in.
        w->device_type = -1;
    }

    void cleanupTestCase() { delete window; }

    void commands_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("spin");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("new_units");
        QTest::addColumn<QByteArray>("frame");

        QTest::newRow("max current, type 8, hundredths") << "cur_max_set_but" << "cur_max_spin" << 150.0 << 8 << 0 << frame_text(cw_id, "2500000000003A98");
        QTest::newRow("max current, type 8, new units: tenths") << "cur_max_set_but" << "cur_max_spin" << 150.0 << 8 << 1 << frame_text(cw_id, "25000000000005DC");
        QTest::newRow("max current, type 15, always hundredths") << "cur_max_set_but" << "cur_max_spin" << 150.0 << 15 << 1 << frame_text(cw_id, "2500000000003A98");
        QTest::newRow("max current, type 18, power record") << "cur_max_set_but" << "cur_max_spin" << 14.0 << 18 << 0 << frame_text(power_id, "2500000000000578");
        QTest::newRow("min current, type 14") << "cur_min_set_but" << "cur_min_spin" << 2.5 << 14 << 0 << frame_text(cw_id, "26000000000000FA");
        QTest::newRow("min current, type 18: nothing") << "cur_min_set_but" << "cur_min_spin" << 2.5 << 18 << 0 << QByteArray();
        QTest::newRow("max temperature, type 8, tenths") << "temp_max_set_but" << "temp_max_spin" << 35.0 << 8 << 0 << frame_text(cw_id, "370000000000015E");
        QTest::newRow("max temperature, type 10, thousandths") << "temp_max_set_but" << "temp_max_spin" << 35.0 << 10 << 0 << frame_text(cw_id, "37000000000088B8");
        QTest::newRow("min temperature, type 15, thousandths") << "temp_min_set_but" << "temp_min_spin" << 35.0 << 15 << 0 << frame_text(cw_id, "36000000000088B8");
        QTest::newRow("max temperature, type 21, ns record") << "temp_max_set_but" << "temp_max_spin" << 35.0 << 21 << 0 << frame_text(ns_id, "370000000000015E");
        QTest::newRow("beta 3950") << "bet_set_but" << "beta_set_spin" << 3950.0 << 8 << 0 << frame_text(cw_id, "1500000000000F6E");
        QTest::newRow("resistance, type 13, ns table record") << "res_set_but" << "res_set_spin" << 10000.0 << 13 << 0 << frame_text(ns_table_id, "1600000000002710");
        QTest::newRow("responsivity 0.57 in single precision") << "mon_set_but" << "mon_set_spin" << 0.57 << 8 << 0 << frame_text(cw_id, "1700000000000039");
        QTest::newRow("responsivity 0.53 as typed, type 20") << "mon_set_but" << "mon_set_spin" << 0.53 << 20 << 0 << frame_text(ps_id, "1700000000000035");
        QTest::newRow("responsivity 1.05 as typed") << "mon_set_but" << "mon_set_spin" << 1.05 << 8 << 0 << frame_text(cw_id, "1700000000000069");
        QTest::newRow("responsivity 2.10 as typed, type 6") << "mon_set_but" << "mon_set_spin" << 2.10 << 6 << 0 << frame_text(ns_table_id, "17000000000000D2");
        QTest::newRow("max voltage, type 7, ps table record") << "vol_max_set_but" << "vol_max_spin" << 12.3 << 7 << 0 << frame_text(ps_table_id, "250000000000007B");
        QTest::newRow("min voltage, type 6") << "vol_min_set_but" << "vol_min_spin" << 1.5 << 6 << 0 << frame_text(ns_table_id, "260000000000000F");
        QTest::newRow("min voltage, type 8: nothing") << "vol_min_set_but" << "vol_min_spin" << 1.5 << 8 << 0 << QByteArray();
        QTest::newRow("TEC current, type 14") << "max_tec_curr_set_but" << "max_tec_curr_spin" << 2.5 << 14 << 0 << frame_text(cw_id, "3300000000000019");
        QTest::newRow("TEC current, type 7: nothing") << "max_tec_curr_set_but" << "max_tec_curr_spin" << 2.5 << 7 << 0 << QByteArray();
        QTest::newRow("CAN address, type 0") << "can_set_but" << "can_set_spin" << 42.0 << 0 << 0 << frame_text(cw_id, "510000000000002A");
        QTest::newRow("CAN address, type 18, cw record") << "can_set_but" << "can_set_spin" << 255.0 << 18 << 0 << frame_text(cw_id, "51000000000000FF");
        QTest::newRow("CAN address, type -1: nothing") << "can_set_but" << "can_set_spin" << 42.0 << -1 << 0 << QByteArray();
        QTest::newRow("max current, type 11: nothing") << "cur_max_set_but" << "cur_max_spin" << 10.0 << 11 << 0 << QByteArray();
        QTest::newRow("max temperature, type 10, 65.5 fits") << "temp_max_set_but" << "temp_max_spin" << 65.5 << 10 << 0 << frame_text(cw_id, "370000000000FFDC");
        QTest::newRow("save, type 8: nothing") << "save_btn" << "" << 0.0 << 8 << 0 << QByteArray();
        // Values their field cannot hold: the low bits would be a wrong setting.
        QTest::newRow("too wide: CAN address 256") << "can_set_but" << "can_set_spin" << 256.0 << 8 << 0 << QByteArray("refused");
        QTest::newRow("too wide: type 10 limit 65.6") << "temp_max_set_but" << "temp_max_spin" << 65.6 << 10 << 0 << QByteArray("refused");
        QTest::newRow("too wide: 100 kOhm thermistor") << "res_set_but" << "res_set_spin" << 100000.0 << 7 << 0 << QByteArray("refused");
        QTest::newRow("too wide: type 18 current 700") << "cur_max_set_but" << "cur_max_spin" << 700.0 << 18 << 0 << QByteArray("refused");
    }

    void commands()
    {
        QFETCH(QString, button);
        QFETCH(QString, spin);
        QFETCH(double, value);
        QFETCH(int, type);
        QFETCH(int, new_units);
        QFETCH(QByteArray, frame);
        w->cw_record.new_units = new_units;
        set_type(type);
        if (!spin.isEmpty())
            find<QDoubleSpinBox>(spin)->setValue(value);
        const bool refused = frame == "refused";
        log_capture log;
        click(button);
        w->device_type = -1;
        check_sequence(refused ? QByteArray() : frame);
        const bool told = log.messages().filter(QStringLiteral("not sent")).size() == 1;
        QCOMPARE(told, refused);
    }

    // Typed as "36.5", then as "36,5", in each locale: the number written.
    // A whole-number box keeps "2." of a "2.5" or a "2..", and holds 2 when
    // Return ends the entry (read as it stands, "2." would be 0).
    void typed_decimal_marks_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("spin");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("then_return");
        QTest::addColumn<QByteArray>("frame");
        for (const char *name : {"de_DE", "fr_FR", "C"}) {
            QTest::addRow("max temperature 36.5, %s", name) << name << "temp_max_spin" << "temp_max_set_but" << "36.5" << false << frame_text(cw_id, "370000000000016D");
            QTest::addRow("max current 120.5, %s", name) << name << "cur_max_spin" << "cur_max_set_but" << "120.5" << false << frame_text(cw_id, "2500000000002F12");
            QTest::addRow("resistance 2.5, Return, %s", name) << name << "res_set_spin" << "res_set_but" << "2.5" << true << frame_text(cw_id, "1600000000000002");
            QTest::addRow("beta 2.., Return, %s", name) << name << "beta_set_spin" << "bet_set_but" << "2.." << true << frame_text(cw_id, "1500000000000002");
        }
    }

    void typed_decimal_marks()
    {
        QFETCH(QString, locale);
        QFETCH(QString, spin);
        QFETCH(QString, button);
        QFETCH(QString, typed);
        QFETCH(bool, then_return);
        QFETCH(QByteArray, frame);
        const channel_fixture::default_locale in(locale);
        w->cw_record.new_units = 0;
        QDoubleSpinBox *box = find<QDoubleSpinBox>(spin);
        for (const QString &t : {typed, QString(typed).replace('.', ',')}) {
            set_type(8);
            box->selectAll();
            QTest::keyClicks(box, t);
            if (then_return) {
                QCOMPARE(box->text(), QStringLiteral("2") + box->locale().decimalPoint());
                QTest::keyClick(box, Qt::Key_Return);
            }
            click(button);
            w->device_type = -1;
            check_sequence(frame);
        }
    }

    // Sent through the CW record whatever the type, -1 included.
    void tec_check_box_data()
    {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("unchecked: 0.1 A, type -1") << false << -1 << frame_text(cw_id, "3300000000000001");
        QTest::newRow("unchecked: 0.1 A, type 21") << false << 21 << frame_text(cw_id, "3300000000000001");
        QTest::newRow("checked: 1.5 A, type 11") << true << 11 << frame_text(cw_id, "330000000000000F");
    }

    void tec_check_box()
    {
        QFETCH(bool, checked);
        QFETCH(int, type);
        QFETCH(QByteArray, frame);
        set_type(type);
        find<QDoubleSpinBox>("max_tec_curr_spin")->setValue(1.5);
        find<QCheckBox>("TEC_checkbox")->setChecked(!checked);
        click("TEC_checkbox");
        w->device_type = -1;
        check_sequence(frame);
    }

    // Type 18 stores its configuration: three frames, then the box, and
    // detail polling back only once the operator has closed it. The box is
    // not left behind.
    void save_on_type_18()
    {
        set_type(18);
        int frames_at_box = -1;
        bool polling_at_box = true;
        QString box_text;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            answer.stop();
            frames_at_box = sent.size();
            polling_at_box = w->detail_poll;
            box_text = box->text();
            box->accept();
        });
        answer.start(20);
        click("save_btn");
        w->device_type = -1;
        QCOMPARE(box_text, QStringLiteral("Configuration Saved."));
        QCOMPARE(frames_at_box, 3);
        QVERIFY(!polling_at_box);
        check_sequence(frame_text(power_id, "3300000000000000"));
        QTest::qWait(0);
        for (QWidget *top : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<QMessageBox *>(top));
    }

    // The window's close, or a hand-over to another channel, during a
    // sequence takes the poll flags back; the sequence's end must not set
    // detail polling again on the channel it started on.
    void sequence_outlived_by_close_or_hand_over_data()
    {
        QTest::addColumn<bool>("closed");
        QTest::newRow("window closed") << true;
        QTest::newRow("pointed at another channel") << false;
    }

    void sequence_outlived_by_close_or_hand_over()
    {
        QFETCH(bool, closed);
        const auto other = channel_fixture::make(nullptr, 0x30);
        window->show();
        // What the main window does on close: every poll flag cleared.
        auto hided = connect(window, &laser_params::sig_laser_conf_dialog_is_hided, [&] { w->detail_poll = false; });
        auto during = connect(window, &laser_params::sig_thread_serial_write, [&] {
            if (sent.size() != 1)
                return;
            if (closed) {
                window->close();
            } else {
                w->detail_poll = false;
                window->channel = other.get();
                other->worker->detail_poll = true;
            }
        });
        set_type(8);
        click("bet_set_but");
        w->device_type = -1;
        disconnect(hided);
        disconnect(during);
        window->channel = ch.get();
        QCOMPARE(sent.size(), 3);
        QVERIFY(!w->detail_poll);
        QCOMPARE(other->worker->detail_poll.load(), !closed);
    }
};

QTEST_MAIN(tst_params_commands)
#include "tst_params_commands.moc"
