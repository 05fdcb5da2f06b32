// The hand-over between the channels and the parameters window, twenty times
// in a row over ten boards of every family on the simulated bench: each
// opening narrows polling to its channel, each SET reaches its board exactly
// three times, each close gives every channel back its main polling.

#include <QtTest>

#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>

#include <memory>

#include "app/mainwindow.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "params/laser_params.h"
#include "support/operator_bench.h"

namespace {

const QList<int> ten_types{8, 15, 11, 16, 18, 7, 6, 13, 20, 21};
constexpr int openings = 20;

// What the window sets on a board of the type: its input, SET button, value
// label (one decimal), the board's read and set codes. DC/DC boards keep no
// parameters: their window offers only the CAN ID, which is left alone.
struct window_parameter
{
    const char *spin;
    const char *button;
    const char *label;
    uint8_t read_code;
    uint8_t set_code;
    int decimals;
};

const window_parameter *parameter_of(int type)
{
    static const window_parameter resistance{"res_set_spin", "res_set_but", "res_read_label", 0x96, 0x16, 0};
    static const window_parameter current_max{"cur_max_spin", "cur_max_set_but", "cur_max_label", 0xA5, 0x25, 1};
    if (type == 11 || type == 16)
        return nullptr;
    return type == 18 ? &current_max : &resistance;
}

} // namespace

class tst_stress_params : public QObject
{
    Q_OBJECT

private slots:
    void open_and_close_twenty_times()
    {
        operator_bench b(ten_types);
        QString error = b.connect_by_button();
        if (error.isEmpty())
            error = b.wait_pages_ready();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        laser_params *window = b.params.get();

        for (int i = 0; i < openings; ++i) {
            const int ch = 1 + i % b.channels();
            const QString who = QStringLiteral("opening %1, ").arg(i) + b.describe(ch);
            laser_object *c = b.channel(ch);
            const int type_requests = b.board(ch).received(0xD0);
            QTest::mouseClick(c->config_button, Qt::LeftButton);
            QVERIFY2(window->isVisible() && window->channel == c, qPrintable(who + ": window not opened"));
            for (int other = 1; other <= b.channels(); ++other) {
                const laser_worker *w = b.channel(other)->worker;
                QVERIFY2(!w->main_poll.load() && w->detail_poll.load() == (other == ch), qPrintable(who));
            }

            if (const window_parameter *p = parameter_of(b.type_of(ch))) {
                sim_board &board = b.board(ch);
                // Unpolled while the window was on the others, the channel
                // may have been marked lost, or be so at the next presence
                // check, which may fall in the SET's first wait: a SET is sent
                // only once its board has answered again, as an operator sees
                // the window fill.
                QVERIFY2(wait_for([&] {
                             return board.received(0xD0) > type_requests &&
                                    c->worker->device_type.load() == b.type_of(ch);
                         }),
                         qPrintable(who + ": board never answered"));
                // SET at once: the window's first refresh on this channel,
                // and its first parameter pass, reload the inputs during the
                // wait that follows the click.
                const double value = p->decimals ? 9.0 + 0.1 * i : 10000 + i;
                const int sent_before = board.received(p->set_code);
                window->findChild<QDoubleSpinBox *>(QLatin1String(p->spin))->setValue(value);
                QTest::mouseClick(window->findChild<QPushButton *>(QLatin1String(p->button)), Qt::LeftButton);
                const QString held = b.board_holds(ch, p->read_code, value);
                QVERIFY2(held.isEmpty(), qPrintable(who + ": " + held));
                QVERIFY2(board.received(p->set_code) == sent_before + 3,
                         qPrintable(who + QStringLiteral(": %1 frames for one SET")
                                              .arg(board.received(p->set_code) - sent_before)));
                auto *label = window->findChild<QLabel *>(QLatin1String(p->label));
                const QString shown = QString::number(value, 'f', p->decimals);
                QVERIFY2(wait_for([&] { return label->text() == shown; }),
                         qPrintable(who + ": window shows " + label->text() + ", board holds " + shown));
            }

            QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("write_button")), Qt::LeftButton);
            QVERIFY2(!window->isVisible(), qPrintable(who + ": window not closed"));
            for (int other = 1; other <= b.channels(); ++other) {
                const laser_worker *w = b.channel(other)->worker;
                QVERIFY2(w->main_poll.load() && !w->detail_poll.load(), qPrintable(who + ": polling not given back"));
            }
        }

        // Every board polled again and on its page.
        QList<int> passes;
        for (int ch = 1; ch <= b.channels(); ++ch)
            passes << b.board(ch).received(0xD0);
        for (int ch = 1; ch <= b.channels(); ++ch) {
            QVERIFY2(wait_for([&] { return b.board(ch).received(0xD0) >= passes[ch - 1] + 2; }),
                     qPrintable(b.describe(ch) + ": not polled"));
            QVERIFY2(wait_for([&] { return b.channel(ch)->laser_name_label->text() == driver_name(b.type_of(ch)); }),
                     qPrintable(b.describe(ch) + ": page shows " + b.channel(ch)->laser_name_label->text()));
            QCOMPARE(b.board(ch).protocol_errors(), 0);
        }
    }
};

QTEST_MAIN(tst_stress_params)
#include "tst_stress_params.moc"
