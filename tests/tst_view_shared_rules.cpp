// The view tick's dispatch by driver type and the bar rule every family view
// shares: "No device" for any type without a view, and a bar that keeps its
// value when no sound percentage comes out.

#include <limits>

#include "support/view_fixture.h"

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
};

QTEST_MAIN(tst_view_shared_rules)
#include "tst_view_shared_rules.moc"
