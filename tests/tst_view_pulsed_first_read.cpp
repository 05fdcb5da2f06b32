// First readings of a pulsed board reach the page's inputs one per tick;
// the pulse inputs send what they load at once. A load never sends, nor
// holds as the board's rate, a value the board does not hold.

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "app/resources.h"
#include "support/channel_fixture.h"

class tst_view_pulsed_first_read : public QObject
{
    Q_OBJECT

    form_fixture::built_form form;
    channel_fixture::controller ch;

    // A reply of the board at address 5, the value in d4..d7.
    void reply(uint32_t code, int32_t value)
    {
        serial_message_struct m;
        m.data[0] = code;
        m.data[1] = 5;
        for (int i = 0; i < 4; ++i)
            m.data[7 - i] = (static_cast<uint32_t>(value) >> (8 * i)) & 0xFF;
        ch->handle_rx_can_message(&m);
    }

    // Every command goes out three times.
    static QStringList thrice(const QString &frame) { return {frame, frame, frame}; }

    static QStringList taken(QSignalSpy &spy)
    {
        QStringList frames;
        for (const QList<QVariant> &args : spy)
            frames << QString::fromLatin1(args.at(0).toByteArray());
        spy.clear();
        return frames;
    }

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        form = form_fixture::build();
    }

    void init()
    {
        ch = channel_fixture::make(channel_fixture::page(form, 0));
        // Values no first reading below has, so that each load is a change.
        ch->dura_spin->setValue(1.0);
        ch->pulse_gated_spin->setValue(5.0);
        ch->pulse_cutted_spin->setValue(5.0);
    }

    void cleanup() { ch.reset(); }

    void one_first_reading_per_tick()
    {
        reply(0xD0, 6);
        for (auto [code, value] : {std::pair{0x98, 120}, {0x92, 251}, {0x99, 100}, {0xA3, 1000}, {0xB4, 3},
                                   {0xB5, 2}, {0xA4, 0}})
            reply(code, value);
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        const QStringList width = thrice(QStringLiteral("t005823000000000003E8\r"));
        const QStringList gated = thrice(QStringLiteral("t00583400000000000003\r"));
        const QStringList cutted = thrice(QStringLiteral("t00583500000000000002\r"));
        // voltage, temperature, rate, width, mode, N, M
        for (const QStringList &frames : {QStringList(), QStringList(), QStringList(), width, QStringList(), gated, cutted}) {
            ch->view_update();
            QCOMPARE(taken(spy), frames);
        }
        QCOMPARE(ch->volt_spin->value(), 12.0);
        QCOMPARE(ch->pulse_temp_spin->value(), 25.1);
        QCOMPARE(ch->freq_combo->currentText(), QStringLiteral("100"));
        QCOMPARE(ch->dura_spin->value(), 100.0);
        QCOMPARE(ch->mode_combo->currentText(), QStringLiteral("Int: Burst"));
        QCOMPARE(ch->pulse_gated_spin->value(), 3.0);
        QCOMPARE(ch->pulse_cutted_spin->value(), 2.0);
    }

    void clamped_first_reading_is_not_sent_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("6, the controller's markers") << 6;
        QTest::newRow("21, the record's markers") << 21;
    }

    void clamped_first_reading_is_not_sent()
    {
        QFETCH(int, type);
        reply(0xD0, type);
        reply(0xB5, 0);
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        ch->view_update();
        QCOMPARE(ch->pulse_cutted_spin->value(), 1.0);
        QCOMPARE(taken(spy), QStringList());
        const int32_t held = type == 6 ? ch->worker->ns_table_record.cutted_target : ch->worker->ns_record.cutted_target;
        QCOMPARE(held, 0);
        ch->pulse_cutted_spin->setValue(4.0); // the operator's edit
        QCOMPARE(taken(spy), thrice(QStringLiteral("t00583500000000000004\r")));
    }

    void first_rate_is_loaded_exactly_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("hz");
        QTest::addColumn<int>("unit");
        QTest::addColumn<double>("shown");
        QTest::newRow("21: 1.5 MHz in kHz") << 21 << 1500000 << 1 << 1500.0;
        QTest::newRow("21: 2.5 kHz in Hz") << 21 << 2500 << 0 << 2500.0;
        QTest::newRow("20: 2 MHz in MHz") << 20 << 2000000 << 2 << 2.0;
        QTest::newRow("20: 1.5 MHz in kHz") << 20 << 1500000 << 1 << 1500.0;
    }

    void first_rate_is_loaded_exactly()
    {
        QFETCH(int, type);
        QFETCH(int, hz);
        QFETCH(int, unit);
        QFETCH(double, shown);
        reply(0xD0, type);
        reply(0x99, hz);
        ch->view_update();
        ch->view_update();
        QCOMPARE(ch->freq_range_combo->currentIndex(), unit);
        QCOMPARE(ch->freq_spin->value(), shown);
        // Switching on sends the held rate first.
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        ch->ps_ns_on_off_butt->click();
        QVERIFY(!spy.isEmpty());
        QCOMPARE(taken(spy).first(), QString::asprintf("t005819000000%08X\r", hz));
    }
};

QTEST_MAIN(tst_view_pulsed_first_read)
#include "tst_view_pulsed_first_read.moc"
