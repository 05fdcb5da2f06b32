// Both generations of CW board, end to end: the channel's worker polls a
// simulated board through the serial link and a real pseudo-terminal, and
// the channel controller decodes the replies. An older board reports its
// current limits in hundredths and never answers a temperature-limit
// request, so the limits must be read in hundredths pass after pass; a newer
// one answers them, and its limits are read in tenths from then on.

#include <QtTest>

#include "app/resources.h"
#include "sim/sim_bus.h"
#include "sim/slcan_adapter_thread.h"
#include "support/channel_fixture.h"
#include "support/link_stand_in.h"

class tst_old_units_end_to_end : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        register_serial_types();
        lumatrex_init_resources();
    }

    void current_limits_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("old_units");
        QTest::newRow("type 8, older board") << 8 << true;
        QTest::newRow("type 14, older board") << 14 << true;
        QTest::newRow("type 8, newer board") << 8 << false;
    }

    void current_limits()
    {
        QFETCH(int, type);
        QFETCH(bool, old_units);

        sim_bus bus;
        sim_board &board = bus.add_board(type, 5);
        QCOMPARE(board.set_old_units(old_units), true);
        board.set_value(0xA5, 180.0);
        board.set_value(0xA6, 12.5);
        slcan_adapter_thread adapter;
        adapter.adapter()->set_frame_handler([&bus](const QByteArray &line) { return bus.handle_frame_line(line); });
        adapter.start();
        QVERIFY(adapter.adapter()->is_ok());

        const form_fixture::built_form form = form_fixture::build();
        channel_fixture::controller channel = channel_fixture::make(channel_fixture::page(form, 0), 5);
        link_stand_in link;
        QObject gui;
        QVERIFY(QObject::connect(link.serial, &serial_object::sig_serial_rx_can_message, &gui,
                                 [&channel](serial_message_struct m) { channel->handle_rx_can_message(&m); }));
        QVERIFY(QObject::connect(channel->worker, SIGNAL(thread_serial_write(QByteArray)), link.serial,
                                 SLOT(sl_write_to_port(QByteArray))));
        link.request_connection(adapter.adapter()->port_path());
        QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 1, 20000);

        laser_worker &worker = *channel->worker;
        worker.main_poll = true;
        worker.start_polling();
        // Three passes of the board's type asked (0xB7 comes last in a pass):
        // the limits of the last two came after the board had (or had not)
        // answered 0xB6/0xB7.
        QTRY_VERIFY_WITH_TIMEOUT(worker.device_type.load() == type && board.received(0xB7) >= 3, 30000);
        worker.stop_polling();
        worker.wait();
        // The replies still on their way are decoded by the waits below.
        QTRY_COMPARE(worker.cw_record.new_units, old_units ? 0 : 1);
        QTRY_COMPARE(worker.cw_record.current_max, 180.0f);
        QTRY_COMPARE(worker.cw_record.current_min, 12.5f);
        if (old_units) // never answered: the record keeps its start values
            QCOMPARE(worker.cw_record.temperature_max, 35.0f);
    }
};

QTEST_MAIN(tst_old_units_end_to_end)
#include "tst_old_units_end_to_end.moc"
