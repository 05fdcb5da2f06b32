// The hand-over between the channels and the parameters window, on the real
// main window connected over a pseudo-terminal to the simulated bench: a
// channel's configuration button narrows polling to that channel's parameter
// list, the close brings main polling back to exactly the enabled channels,
// and however often the window was opened each of its frames reaches the
// line once.

#include <QtTest>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

#include "app/channel_rows.h"
#include "app/mainwindow.h"
#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/can_commands.h"
#include "comm/laser_worker.h"
#include "comm/serial_object.h"
#include "forms/mainwindow_form.h"
#include "params/laser_params.h"
#include "sim/sim_bus.h"
#include "sim/slcan_adapter_thread.h"
#include "support/object_connections.h"
#include "support/settings_folder.h"

namespace {

const QList<int> enabled_channels{2, 3, 5}; // channel N has CAN address N
constexpr int chosen = 3;                   // a CW board (type 8) answers there

} // namespace

class tst_params_handover : public QObject
{
    Q_OBJECT

    std::unique_ptr<settings_folder> folder;
    sim_bus bus;
    slcan_adapter_thread line;
    std::unique_ptr<laser_params> params;
    std::unique_ptr<MainWindow> window;

    // The frames the line carried since its log was last cleared, as
    // (identifier, code).
    QList<QPair<int, int>> frames_on_line() const
    {
        QList<QPair<int, int>> frames;
        for (const QByteArray &l : line.adapter()->received_lines()) {
            uint32_t can_id = 0;
            uint8_t d[8];
            if (sim_bus::parse_frame(l, &can_id, d))
                frames.append({int(can_id), int(d[0])});
        }
        return frames;
    }
    int on_line(int id, int code = -1) const
    {
        int n = 0;
        for (const auto &f : frames_on_line())
            n += f.first == id && (code < 0 || f.second == code);
        return n;
    }
    QSet<int> ids_on_line() const
    {
        QSet<int> ids;
        for (const auto &f : frames_on_line())
            ids << f.first;
        return ids;
    }

    void open_on_chosen() { window->lasers[chosen - 1]->config_button->click(); }

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        folder = std::make_unique<settings_folder>();
        bus.add_board(8, chosen);
        line.adapter()->set_frame_handler([this](const QByteArray &l) { return bus.handle_frame_line(l); });
        line.start();
        qputenv("LUMATREX_EXTRA_PORTS", line.adapter()->port_path().toLocal8Bit());
        // As main builds them: the parameters window first, then handed over.
        params = std::make_unique<laser_params>();
        window = std::make_unique<MainWindow>();
        window->laser_params_window = params.get();

        Ui_MainWindow *ui = window->ui;
        for (int i = 0; i < 10; ++i) {
            (ui->*channel_rows[i].address)->setText(QString::number(i + 1));
            (ui->*channel_rows[i].enabled)->setChecked(enabled_channels.contains(i + 1));
        }
        ui->serial_combo_box->setCurrentIndex(ui->serial_combo_box->findData(line.adapter()->port_path()));
        ui->connect_button_2->click();
        QTRY_VERIFY_WITH_TIMEOUT(window->connected, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(window->lasers[chosen - 1]->worker->device_type.load(), 8, 20000);
        // The address reply follows the type reply; the window loads it.
        QTRY_COMPARE_WITH_TIMEOUT(window->lasers[chosen - 1]->worker->device_address.load(), chosen, 20000);
    }

    void cleanupTestCase()
    {
        window.reset();
        params.reset();
    }

    void configuration_button_narrows_polling_to_its_channel()
    {
        // Only a channel's own index opens the window.
        window->show_laser_conf_dialog_slot(-1);
        window->show_laser_conf_dialog_slot(10);
        QVERIFY(!params->isVisible());
        QCOMPARE(params->active, 0);

        open_on_chosen();
        QVERIFY(params->isVisible());
        QCOMPARE(params->active, 1);
        QCOMPARE(params->channel, window->lasers[chosen - 1]);
        QCOMPARE(params->findChild<QDoubleSpinBox *>("can_set_spin")->value(), double(chosen));
        for (int i = 0; i < 10; ++i) {
            const laser_object *c = window->lasers[i];
            QVERIFY(!c->worker->main_poll.load());
            QCOMPARE(c->worker->detail_poll.load(), i + 1 == chosen);
            QCOMPARE(c->page->isHidden(), !enabled_channels.contains(i + 1));
        }

        // Passes under way at the opening may still finish; after two of the
        // chosen channel's, only its parameter list goes out.
        line.adapter()->clear_log();
        QTRY_VERIFY_WITH_TIMEOUT(on_line(chosen, cmd_get_device_type) >= 2, 20000);
        line.adapter()->clear_log();
        QTRY_VERIFY_WITH_TIMEOUT(on_line(chosen, cmd_get_resistance) >= 2, 20000);
        QCOMPARE(ids_on_line(), QSet<int>{chosen});
        QCOMPARE(on_line(chosen, cmd_get_current), 0);
    }

    // A connection made while the window is open keeps the window's
    // polling: its channel only, its parameter list.
    void reconnect_keeps_the_window_polling_data()
    {
        QTest::addColumn<bool>("link_lost");
        QTest::newRow("the link lost and found again") << true;
        QTest::newRow("a repeated answer for the open port") << false;
    }

    void reconnect_keeps_the_window_polling()
    {
        QFETCH(bool, link_lost);
        if (!params->isVisible())
            open_on_chosen();
        QVERIFY(params->isVisible());
        // Queued behind the window's own slot for the same answer.
        int answers = 0;
        QObject scope;
        connect(window->serial_obj, &serial_object::sig_connected, &scope, [&answers] { ++answers; });
        if (link_lost) {
            QMetaObject::invokeMethod(window->serial_obj, "sl_disconnect_serial", Qt::QueuedConnection);
            QTRY_VERIFY_WITH_TIMEOUT(!window->connected, 20000);
            window->reconnect_timer_slot();
        } else {
            emit window->sig_connect_serial();
        }
        QTRY_VERIFY_WITH_TIMEOUT(answers == 1, 30000);
        QVERIFY(window->connected);
        for (int i = 0; i < 10; ++i) {
            const laser_object *c = window->lasers[i];
            QVERIFY2(!c->worker->main_poll.load(), qPrintable(QStringLiteral("channel %1 in main polling").arg(i + 1)));
            QCOMPARE(c->worker->detail_poll.load(), i + 1 == chosen);
        }
        line.adapter()->clear_log();
        QTRY_VERIFY_WITH_TIMEOUT(on_line(chosen, cmd_get_device_type) >= 2, 20000);
        line.adapter()->clear_log();
        QTRY_VERIFY_WITH_TIMEOUT(on_line(chosen, cmd_get_resistance) >= 2, 20000);
        QCOMPARE(ids_on_line(), QSet<int>{chosen});
        QCOMPARE(on_line(chosen, cmd_get_current), 0);
    }

    void close_restores_main_polling_of_the_enabled_channels()
    {
        params->close();
        QVERIFY(!params->isVisible());
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(window->lasers[i]->worker->main_poll.load(), enabled_channels.contains(i + 1));
            QVERIFY(!window->lasers[i]->worker->detail_poll.load());
        }
        line.adapter()->clear_log();
        QTRY_VERIFY_WITH_TIMEOUT(on_line(chosen, cmd_get_current) >= 1 && on_line(2) > 0 && on_line(5) > 0, 20000);
        QCOMPARE(ids_on_line(), (QSet<int>{2, 3, 5}));
    }

    // Connections made at every opening would write each frame once per
    // opening so far, and run the close once per opening too.
    void each_frame_reaches_the_line_once_after_five_openings()
    {
        for (int i = 0; i < 5; ++i) {
            open_on_chosen();
            params->close();
        }
        open_on_chosen();
        QSignalSpy sent(params.get(), &laser_params::sig_thread_serial_write);
        line.adapter()->clear_log();
        params->findChild<QPushButton *>("res_set_but")->click();
        QCOMPARE(sent.count(), 3);
        const QByteArray frame = sent.at(0).at(0).toByteArray();

        // Queued behind whatever the window's frames queued on the serial thread.
        const QByteArray marker("t7FF80000000000000000\r");
        QMetaObject::invokeMethod(window->serial_obj, "sl_write_to_port", Qt::QueuedConnection,
                                  Q_ARG(QByteArray, marker));
        QTRY_VERIFY_WITH_TIMEOUT(line.adapter()->received_lines().contains(marker), 20000);
        QCOMPARE(line.adapter()->received_lines().count(frame), 3);

        const QMultiMap<QString, QString> out = outgoing_connections(params.get());
        QCOMPARE(out.values("sig_laser_conf_dialog_is_hided()"),
                 QList<QString>{"MainWindow::MainWindow sl_laser_conf_dialog_is_hided()"});
        params->close();
    }
};

QTEST_MAIN(tst_params_handover)
#include "tst_params_handover.moc"
