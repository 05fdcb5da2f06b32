#include <QtTest>

#include "comm/cw_data.h"
#include "comm/dcdc_data.h"
#include "comm/power_data.h"

// fault_text of the three records that show fault words: one text per bit 0
// to 9, rising bit order, each followed by a line feed; bits 10 to 15 and an
// empty word give nothing.

namespace {

const QString margin_text = QStringLiteral(
    "Output voltage is higher than 80% of input voltage, \nSOLUTION: increase the input voltage");

QString text_of(const QString &record, uint16_t word)
{
    if (record == "cw_data")
        return cw_data().fault_text(word);
    if (record == "dcdc_data")
        return dcdc_data().fault_text(word);
    return power_data().fault_text(word);
}

} // namespace

class tst_fault_texts : public QObject
{
    Q_OBJECT
private slots:
    void by_bit_data();
    void by_bit();
    void words_data();
    void words();
    void two_line_warning();
};

void tst_fault_texts::by_bit_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<int>("bit");
    QTest::addColumn<QString>("text");

    const QStringList board = {"flag_NO_Load", "flag_ALARM_INTERLOCK", "flag_Overtemp",
                               "flag_OverCurrent", "flag_UnderVoltage_IN", "flag_OverVoltage_IN",
                               "flag_UnderVoltage_OUT", "flag_OverVoltage_OUT", margin_text,
                               "Output power is close to MAX"};
    QStringList power = board;
    power[0] = "flag_Rebooted";
    power[7] = "flag_OverCurrent_IND";

    for (const char *rec : {"cw_data", "dcdc_data", "power_data"}) {
        const QStringList &texts = QByteArray(rec) == "power_data" ? power : board;
        for (int bit = 0; bit < 16; ++bit) {
            const QString expected = bit < 10 ? texts[bit] + "\n" : QString();
            QTest::newRow(qPrintable(QString("%1 bit %2").arg(rec).arg(bit)))
                << QString(rec) << bit << expected;
        }
    }
}

void tst_fault_texts::by_bit()
{
    QFETCH(QString, record);
    QFETCH(int, bit);
    QFETCH(QString, text);
    QCOMPARE(text_of(record, uint16_t(1u << bit)), text);
}

void tst_fault_texts::words_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<int>("word");
    QTest::addColumn<QString>("text");

    for (const char *rec : {"cw_data", "dcdc_data", "power_data"}) {
        QTest::newRow(qPrintable(QString(rec) + " empty word")) << QString(rec) << 0 << QString();
        QTest::newRow(qPrintable(QString(rec) + " bits 10..15 only")) << QString(rec) << 0xFC00 << QString();
    }
    QTest::newRow("cw bits 0 and 3 in bit order")
        << "cw_data" << 0x0009 << "flag_NO_Load\nflag_OverCurrent\n";
    QTest::newRow("dcdc fault byte 0x01 plus warning bit 9")
        << "dcdc_data" << 0x0201 << "flag_NO_Load\nOutput power is close to MAX\n";
    QTest::newRow("dcdc both warnings")
        << "dcdc_data" << 0x0300 << margin_text + "\nOutput power is close to MAX\n";
    QTest::newRow("power 0x0081")
        << "power_data" << 0x0081 << "flag_Rebooted\nflag_OverCurrent_IND\n";
    QTest::newRow("power 0x0300: the two warnings")
        << "power_data" << 0x0300 << margin_text + "\nOutput power is close to MAX\n";
    QTest::newRow("power every bit")
        << "power_data" << 0xFFFF
        << "flag_Rebooted\nflag_ALARM_INTERLOCK\nflag_Overtemp\nflag_OverCurrent\n"
           "flag_UnderVoltage_IN\nflag_OverVoltage_IN\nflag_UnderVoltage_OUT\n"
           "flag_OverCurrent_IND\n" + margin_text + "\nOutput power is close to MAX\n";
    QTest::newRow("cw high bits do not hide low ones")
        << "cw_data" << 0xF0A0 << "flag_OverVoltage_IN\nflag_OverVoltage_OUT\n";
}

void tst_fault_texts::words()
{
    QFETCH(QString, record);
    QFETCH(int, word);
    QFETCH(QString, text);
    QCOMPARE(text_of(record, uint16_t(word)), text);
}

void tst_fault_texts::two_line_warning()
{
    dcdc_data d;
    QCOMPARE(d.fault_texts.size(), 10);
    QCOMPARE(d.fault_texts.at(8).size(), 89);
    QCOMPARE(d.fault_texts.at(8).count('\n'), 1);
    QVERIFY(d.fault_texts.at(8).startsWith("Output voltage is higher than 80% of input voltage, \n"));
    // The box shows it as two lines and the line break every entry gets.
    QCOMPARE(d.fault_text(0x0100).split('\n'),
             QStringList({"Output voltage is higher than 80% of input voltage, ",
                          "SOLUTION: increase the input voltage", ""}));
    QCOMPARE(power_data().fault_texts.size(), 10);
    QCOMPARE(cw_data().fault_texts.size(), 10);
}

QTEST_APPLESS_MAIN(tst_fault_texts)
#include "tst_fault_texts.moc"
