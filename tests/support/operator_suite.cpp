#include "operator_suite.h"

#include <QtTest>

operator_suite::operator_suite(const QList<int> &types, const QList<board_reading> &readings)
    : suite_types(types), suite_readings(readings)
{
}

operator_suite::~operator_suite() = default;

void operator_suite::initTestCase()
{
    b = std::make_unique<operator_bench>(suite_types);
    fill_error = b->connect_and_fill(suite_readings, 4);
}

void operator_suite::cleanupTestCase()
{
    b.reset();
}

void operator_suite::connect_fills_the_pages()
{
    QVERIFY2(fill_error.isEmpty(), qPrintable(fill_error));
}

void family_suite::set_point_data()
{
    set_point_columns();
    add_set_points();
}

void family_suite::set_point()
{
    const QString error = set_point_row(*b);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void family_suite::output_follows_its_switch_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("clicks");
    for (int ch = 1; ch <= b->channels(); ++ch)
        QTest::newRow(qPrintable(QString::number(b->type_of(ch)))) << b->type_of(ch) << 1;
    // Clicks that each arrive inside the waits of the one before.
    for (int type : {8, 7}) {
        if (b->types.contains(type)) {
            QTest::addRow("%d, two quick clicks", type) << type << 2;
            QTest::addRow("%d, three quick clicks", type) << type << 3;
        }
    }
}

void family_suite::output_follows_its_switch()
{
    QFETCH(int, type);
    QFETCH(int, clicks);
    QVERIFY(b->ready());
    const QString error = b->output_follows(b->channel_of(type), clicks);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}
