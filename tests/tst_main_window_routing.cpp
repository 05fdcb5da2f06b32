// Frames and keys reaching the channels through the main window: each reply
// routed by its d1 (250 and mini-USB mode), the frame count, device
// presence, and Return on a watched input sending its own channel's command.

#include <QtTest>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>

#include <memory>

#include "app/channel_rows.h"
#include "app/mainwindow.h"
#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/can_commands.h"
#include "comm/laser_worker.h"
#include "forms/mainwindow_form.h"
#include "support/settings_folder.h"

namespace {

serial_message_struct reply(uint32_t code, uint32_t address, uint32_t d7)
{
    serial_message_struct m;
    m.can_id = address;
    m.data[0] = code;
    m.data[1] = address;
    m.data[7] = d7;
    return m;
}

using channel_list = QList<int>; // channel numbers 1..10

} // namespace

class tst_main_window_routing : public QObject
{
    Q_OBJECT

    std::unique_ptr<settings_folder> folder;
    std::unique_ptr<MainWindow> window;

    // Types the addresses into the Settings page and applies them; the
    // channels not named get 100 + index.
    void configure(const QList<int> &addresses)
    {
        for (int i = 0; i < 10; ++i)
            (window->ui->*channel_rows[i].address)->setText(QString::number(addresses.value(i, 100 + i)));
        window->apply_system_configuration();
    }

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        folder = std::make_unique<settings_folder>();
        window = std::make_unique<MainWindow>();
    }
    void cleanupTestCase()
    {
        window.reset();
        folder.reset();
    }
    void init()
    {
        for (laser_object *c : window->lasers) {
            laser_worker *w = c->worker;
            w->device_type = 0;
            w->heartbeat = false;
            w->type_changed = false;
            w->mini_usb = false;
        }
    }
    void routing_data();
    void routing();
    void frame_count_does_not_wrap();
    void heartbeat_marks_a_silent_board();
    void return_sends_the_owning_channels_command();
};

void tst_main_window_routing::routing_data()
{
    QTest::addColumn<QList<int>>("addresses");
    QTest::addColumn<bool>("mini_usb");
    QTest::addColumn<int>("d1");
    QTest::addColumn<channel_list>("takers");

    const QList<int> distinct{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    QTest::newRow("its address") << distinct << false << 4 << channel_list{4};
    QTest::newRow("two channels of one address") << QList<int>{1, 7, 3, 4, 7} << false << 7 << channel_list{2, 5};
    QTest::newRow("250 takes every frame") << QList<int>{1, 2, 250, 4, 5, 9} << false << 9 << channel_list{3, 6};
    QTest::newRow("no channel's address") << distinct << false << 99 << channel_list{};
    QTest::newRow("mini-USB: channel 1 takes all") << distinct << true << 99 << channel_list{1};
    QTest::newRow("mini-USB: channel 1's own, once") << distinct << true << 1 << channel_list{1};
    QTest::newRow("mini-USB: and channel 3's") << distinct << true << 3 << channel_list{1, 3};
}

void tst_main_window_routing::routing()
{
    QFETCH(QList<int>, addresses);
    QFETCH(bool, mini_usb);
    QFETCH(int, d1);
    QFETCH(channel_list, takers);

    configure(addresses);
    window->lasers[0]->worker->mini_usb = mini_usb;
    window->view_update_timer_slot();
    const uint64_t count = window->rx_frame_counter;
    // A device-type reply marks every channel that decodes it.
    window->handle_rx_can_message(reply(cmd_get_device_type, uint32_t(d1), 8));
    for (int i = 0; i < 10; ++i) {
        const laser_worker *w = window->lasers[i]->worker;
        QCOMPARE(w->heartbeat.load(), takers.contains(i + 1));
        QCOMPARE(w->device_type.load(), takers.contains(i + 1) ? 8 : 0);
    }
    QCOMPARE(window->rx_frame_counter, count + 1);
    // Counted at once, shown with the pages at the view tick.
    QCOMPARE(window->ui->label->text(), QString::number(count));
    window->view_update_timer_slot();
    QCOMPARE(window->ui->label->text(), QString::number(count + 1));
}

void tst_main_window_routing::frame_count_does_not_wrap()
{
    window->rx_frame_counter = 0xFFFFFFFFu;
    window->handle_rx_can_message(reply(0x91, 200, 0));
    window->view_update_timer_slot();
    QCOMPARE(window->ui->label->text(), QStringLiteral("4294967296"));
}

void tst_main_window_routing::heartbeat_marks_a_silent_board()
{
    configure({1, 2, 3});
    laser_worker *second = window->lasers[1]->worker;
    laser_worker *third = window->lasers[2]->worker;
    window->handle_rx_can_message(reply(cmd_get_device_type, 2, 11));
    window->handle_rx_can_message(reply(cmd_get_device_type, 3, 21));
    window->sl_device_heartbeat_timer();
    QCOMPARE(second->device_type.load(), 11);
    QVERIFY(!second->heartbeat.load());

    // Channel 3 answers again, channel 2 stays silent for a whole period.
    window->handle_rx_can_message(reply(cmd_get_device_type, 3, 21));
    window->sl_device_heartbeat_timer();
    QCOMPARE(second->device_type.load(), -1);
    QCOMPARE(third->device_type.load(), 21);
    // Channels that never answered are lost too.
    QCOMPARE(window->lasers[9]->worker->device_type.load(), -1);

    second->type_changed = false;
    window->handle_rx_can_message(reply(cmd_get_device_type, 2, 11));
    QCOMPARE(second->device_type.load(), 11);
    QVERIFY2(second->type_changed.load(), "the restoring reply counts as a new type");
}

void tst_main_window_routing::return_sends_the_owning_channels_command()
{
    configure({});
    laser_object *third = window->lasers[2];
    third->worker->device_type = 8;
    third->curr_spin->setRange(0, 1000);
    third->curr_spin->setValue(250);
    QList<std::shared_ptr<QSignalSpy>> spies;
    for (laser_object *c : window->lasers)
        spies << std::make_shared<QSignalSpy>(c->worker, &laser_worker::thread_serial_write);
    QSignalSpy keys(window.get(), &MainWindow::key_event);

    QTest::keyClick(third->curr_spin, Qt::Key_Return);
    QTest::keyClick(third->curr_spin, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(keys.count(), 2);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(spies[i]->count(), i == 2 ? 6 : 0);
    for (const QList<QVariant> &frame : qAsConst(*spies[2])) {
        const QByteArray text = frame.at(0).toByteArray();
        QCOMPARE(text.size(), 22);
        // To the channel's own address (102), the set-current code.
        QCOMPARE(text.left(7), QByteArray("t066811"));
    }

    // The two CW pulse inputs are watched as well.
    QTest::keyClick(third->cw_freq_spin, Qt::Key_Return);
    QTest::keyClick(third->cw_width_spin, Qt::Key_Return);
    QCOMPARE(keys.count(), 4);
    QCOMPARE(keys.at(3).at(0).value<QObject *>(), static_cast<QObject *>(third->cw_width_spin));

    // A watched combo box raises the signal too, and no channel sends.
    QTest::keyClick(third->mode_combo, Qt::Key_Return);
    QCOMPARE(keys.count(), 5);
    QCOMPARE(spies[2]->count(), 6);
}

QTEST_MAIN(tst_main_window_routing)
#include "tst_main_window_routing.moc"
