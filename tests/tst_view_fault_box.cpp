// The fault box that the DC/DC and power pages open by themselves: once per
// fault episode of each channel, whatever the other channels report.

#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>


#include "support/view_fixture.h"

class tst_view_fault_box : public QObject, public view_fixture
{
    Q_OBJECT

    static void set_fault(laser_object &ch, bool fault)
    {
        const uint16_t word = fault ? 0x04 : 0;
        if (ch.worker->device_type.load() == 18)
            ch.worker->power_record.faults = word;
        else
            ch.worker->dcdc_record.faults = word;
    }

private slots:
    void initTestCase() { build_form(); }

    // Two channels of one family tick in turn; each row says which of them
    // reports a fault on each of four rounds, and how often each box opened.
    void once_per_episode_per_channel_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("first");  // per round: 1 fault, 0 clear
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("first_boxes");
        QTest::addColumn<int>("second_boxes");

        for (int type : {11, 16, 18}) {
            const QByteArray t = QByteArray::number(type);
            QTest::newRow(t + " faulty next to a clear channel") << type << "1111" << "0000" << 1 << 0;
            QTest::newRow(t + " both faulty") << type << "1111" << "1111" << 1 << 1;
            QTest::newRow(t + " second faults while the first's box is done") << type << "1111" << "0011" << 1 << 1;
            QTest::newRow(t + " a new episode opens it again") << type << "1101" << "0000" << 2 << 0;
        }
    }

    void once_per_episode_per_channel()
    {
        QFETCH(int, type);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, first_boxes);
        QFETCH(int, second_boxes);

        boxes.titles.clear();
        boxes.texts.clear();
        channel_fixture::controller a = channel_fixture::make(channel_fixture::page(form, 0), 1);
        channel_fixture::controller b = channel_fixture::make(channel_fixture::page(form, 1), 2);
        QSignalSpy a_clicks(a->fail_butt, SIGNAL(clicked()));
        QSignalSpy b_clicks(b->fail_butt, SIGNAL(clicked()));
        a->worker->device_type = type;
        b->worker->device_type = type;
        for (int round = 0; round < first.size(); ++round) {
            set_fault(*a, first[round] == QLatin1Char('1'));
            set_fault(*b, second[round] == QLatin1Char('1'));
            a->view_update();
            b->view_update();
        }
        QCOMPARE(a_clicks.count(), first_boxes);
        QCOMPARE(b_clicks.count(), second_boxes);
        QCOMPARE(boxes.count(), first_boxes + second_boxes);
        for (int i = 0; i < boxes.count(); ++i) {
            QCOMPARE(boxes.titles[i], QStringLiteral("WARNING"));
            QCOMPARE(boxes.texts[i], QStringLiteral("flag_Overtemp\n"));
        }
    }
};

QTEST_MAIN(tst_view_fault_box)
#include "tst_view_fault_box.moc"
