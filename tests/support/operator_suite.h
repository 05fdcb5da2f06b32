#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <memory>

#include "support/operator_bench.h"

// A test program of operator scenarios on one bench: the program connected
// once, in initTestCase, for all its tests, so that each may also run alone.
// Its test functions are the private slots of the classes below and of the
// test's own class.
class operator_suite : public QObject
{
    Q_OBJECT

public:
    // Boards by channel; readings put on them before connecting.
    explicit operator_suite(const QList<int> &types, const QList<board_reading> &readings = {});
    ~operator_suite() override;

protected:
    std::unique_ptr<operator_bench> b;

private slots:
    void initTestCase();
    void cleanupTestCase();
    void connect_fills_the_pages();

private:
    QList<int> suite_types;
    QList<board_reading> suite_readings;
    QString fill_error;
};

// The scenarios every family shares: set points entered on the pages, and
// each board's output on and off by its page's switch.
class family_suite : public operator_suite
{
    Q_OBJECT

public:
    using operator_suite::operator_suite;

protected:
    // Rows of the set-point table (set_point_columns).
    virtual void add_set_points() = 0;

private slots:
    void set_point_data();
    void set_point();
    void output_follows_its_switch_data();
    void output_follows_its_switch();
};
