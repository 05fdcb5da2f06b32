// An operator at the whole program with the CW, Precision CW, DC/DC and power
// boards (types 8, 10, 14, 15, 11, 16, 18) on the simulated bench: the pages
// fill on connecting, set points typed into the pages reach the boards and
// come back on the pages, outputs follow their switches.

#include <QtTest>

#include "support/operator_suite.h"

namespace {

const QList<int> bench_types{8, 10, 14, 15, 11, 16, 18};

// Each in the board's own units and scale, as its page shows it.
const QList<board_reading> readings{
    {8, 0x91, 42.5, "curr_label", "42.5 mA"},
    {8, 0x92, 24.6, "temp_label", "24.6 °C"},
    {8, 0x94, 12.3, "power_label", "12.3 mW"},
    // Tenths of a mA, proven by the temperature limits the board answers.
    {8, 0xA5, 180.0, "curr_max_label", "180.0 mA"},
    {10, 0x91, 123.4567, "curr_label", "123.46 mA"},
    {10, 0x92, 25.4321, "temp_label", "25.43 °C"},
    {10, 0xA5, 250.5, "curr_max_label", "250.50 mA"},
    {14, 0x91, 60.1, "curr_label", "60.1 mA"},
    {14, 0xA4, 2, "cw_mode_label", "TTL"},
    {15, 0x91, 77.77, "curr_label", "77.77 mA"},
    {15, 0xB7, 38.5, "temp_max_label", "38.50 °C"},
    {11, 0x91, 3.26, "curr_label", "3.3 A"},
    {11, 0x92, 41.3, "temp_label", "41.3 °C"},
    {11, 0x94, 24.0, "input_volt_label", "24.0 V"},
    {11, 0xA6, 12.5, "power_label", "12.5 V"},
    {16, 0x91, 6.5, "curr_label", "6.5 A"},
    {16, 0xA4, 0, "cw_mode_label", "Internal"},
    {18, 0x91, 7.25, "curr_label", "7.25 A"},
    {18, 0x92, 35.2, "temp_label", "35.2 °C"},
    {18, 0xA6, 15.5, "power_label", "15.5 V"},
    {18, 0xA4, 1, "cw_mode_label", "External TTL"},
};

} // namespace

class tst_operator_cw_power : public family_suite
{
    Q_OBJECT

public:
    tst_operator_cw_power() : family_suite(bench_types, readings) {}

protected:
    void add_set_points() override
    {
        const QString deg = QStringLiteral(" °C");
        // Sixteen-bit tenths of a mA; the temperature truncated to tenths.
        QTest::newRow("8 current") << 8 << "" << "curr_spin" << "99.9" << 0x91 << 99.9 << "curr_label" << "99.9 mA";
        QTest::newRow("8 temperature") << 8 << "" << "temp_spin" << "27.3" << 0x92 << 27.3 << "temp_label"
                                       << "27.3" + deg;
        // Thirty-two-bit hundredths and ten-thousandths, two decimals shown.
        QTest::newRow("10 current") << 10 << "" << "curr_spin" << "123.45" << 0x91 << 123.45 << "curr_label"
                                    << "123.45 mA";
        QTest::newRow("10 temperature") << 10 << "" << "temp_spin" << "27.35" << 0x92 << 27.35 << "temp_label"
                                        << "27.35" + deg;
        QTest::newRow("14 current") << 14 << "" << "curr_spin" << "88.8" << 0x91 << 88.8 << "curr_label" << "88.8 mA";
        QTest::newRow("14 temperature") << 14 << "" << "temp_spin" << "22.2" << 0x92 << 22.2 << "temp_label"
                                        << "22.2" + deg;
        QTest::newRow("14 mode") << 14 << "" << "cw_mode_combo" << "CW" << 0xA4 << 0.0 << "cw_mode_label" << "CW";
        QTest::newRow("15 current") << 15 << "" << "curr_spin" << "55.55" << 0x91 << 55.55 << "curr_label"
                                    << "55.55 mA";
        QTest::newRow("15 temperature") << 15 << "" << "temp_spin" << "31.07" << 0x92 << 31.07 << "temp_label"
                                        << "31.07" + deg;
        QTest::newRow("15 mode") << 15 << "" << "cw_mode_combo" << "TTL" << 0xA4 << 2.0 << "cw_mode_label" << "TTL";
        // Sixteen-bit hundredths of an ampere.
        QTest::newRow("11 current") << 11 << "" << "curr_spin" << "5.5" << 0x91 << 5.5 << "curr_label" << "5.5 A";
        QTest::newRow("16 current") << 16 << "" << "curr_spin" << "9.7" << 0x91 << 9.7 << "curr_label" << "9.7 A";
        QTest::newRow("16 mode") << 16 << "" << "cw_mode_combo" << "QCW-mode" << 0xA4 << 1.0 << "cw_mode_label"
                                 << "QCW-mode";
        // The QCW inputs are offered while the output is on.
        QTest::newRow("16 frequency") << 16 << "on" << "cw_freq_spin" << "500" << 0x99 << 500.0 << "cw_freq_label"
                                      << "500 Hz";
        QTest::newRow("16 pulse width") << 16 << "on" << "cw_width_spin" << "200" << 0xA3 << 200.0
                                        << "cw_width_label" << "200 us";
        QTest::newRow("18 current") << 18 << "" << "curr_spin" << "7.5" << 0x91 << 7.5 << "curr_label" << "7.50 A";
        QTest::newRow("18 mode") << 18 << "" << "cw_mode_combo" << "Mode CW" << 0xA4 << 0.0 << "cw_mode_label"
                                 << "Mode CW";
    }
};

QTEST_MAIN(tst_operator_cw_power)
#include "tst_operator_cw_power.moc"
