// The main window's side of the ten channels: the system configuration, the
// menu and tab buttons, the wheel on the watched inputs and the emission
// indicator.

#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

#include <memory>

#include "app/channel_rows.h"
#include "app/mainwindow.h"
#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "forms/mainwindow_form.h"
#include "support/log_capture.h"
#include "support/settings_folder.h"

namespace {

// The CAN address of every record of a channel's worker.
QVector<int32_t> record_addresses(const laser_worker *w)
{
    return {w->cw_record.can_address,  w->ns_table_record.can_address, w->ps_table_record.can_address,
            w->dcdc_record.can_address, w->power_record.can_address,   w->ps_record.can_address,
            w->ns_record.can_address};
}

using channel_list = QList<int>; // channel numbers 1..10

} // namespace

class tst_main_window_channels : public QObject
{
    Q_OBJECT

    std::unique_ptr<settings_folder> folder;
    std::unique_ptr<MainWindow> window;

    // Types the addresses into the Settings page and applies them.
    void configure(const QList<int> &addresses)
    {
        for (int i = 0; i < 10; ++i)
            (window->ui->*channel_rows[i].address)->setText(QString::number(addresses.value(i, 100 + i)));
        window->apply_system_configuration();
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void system_configuration();
    void menu_buttons_data();
    void menu_buttons();
    void tab_button_folds_its_page();
    void wheel_withheld_from_watched_inputs();
    void emission_indicator_data();
    void emission_indicator();
    void can_id_with_a_decimal_mark_data();
    void can_id_with_a_decimal_mark();
};

void tst_main_window_channels::initTestCase()
{
    lumatrex_init_resources();
    folder = std::make_unique<settings_folder>();
    window = std::make_unique<MainWindow>();
}

void tst_main_window_channels::cleanupTestCase()
{
    window.reset();
    folder.reset();
}

void tst_main_window_channels::init()
{
    for (laser_object *c : window->lasers) {
        laser_worker *w = c->worker;
        w->device_type = 0;
        w->heartbeat = false;
        w->type_changed = false;
        w->mini_usb = false;
    }
}

void tst_main_window_channels::system_configuration()
{
    Ui_MainWindow *ui = window->ui;
    const channel_list enabled{2, 5, 7};
    for (int n : enabled)
        (ui->*channel_rows[n - 1].enabled)->setChecked(true);
    ui->edit_name_2->setText(QStringLiteral(" seed 2 "));
    ui->edit_name_7->setText(QStringLiteral("pump"));
    configure({1, 12, 3, 4, 250, 6, 7, 8, 9, 10});
    ui->addr_7->setText(QStringLiteral("x")); // not a number: address 0
    ui->main_menu_butt->click();

    for (int i = 0; i < 10; ++i) {
        const laser_object *c = window->lasers[i];
        const bool on = enabled.contains(i + 1);
        QCOMPARE(c->page->isHidden(), !on);
        QCOMPARE(c->worker->main_poll.load(), on);
        QVERIFY(!c->worker->detail_poll.load());
        QCOMPARE(c->laser_tab_button->text(), c->channel_name);
        const int32_t address = i == 6 ? 0 : i == 1 ? 12 : i == 4 ? 250 : i + 1;
        QCOMPARE(c->can_address, address);
        QCOMPARE(record_addresses(c->worker), QVector<int32_t>(7, address));
    }
    QCOMPARE(window->lasers[1]->channel_name, QStringLiteral(" seed 2 "));
    QCOMPARE(window->lasers[6]->laser_tab_button->text(), QStringLiteral("pump"));
    QCOMPARE(window->lasers[4]->channel_name, QString());

    // Leaving for Help applies nothing; only "Main" does.
    ui->dev_en_5->setChecked(false);
    ui->main_menu_butt_3->click();
    QVERIFY(!window->lasers[4]->page->isHidden());
    ui->main_menu_butt->click();
    QVERIFY(window->lasers[4]->page->isHidden());
    QVERIFY(!window->lasers[4]->worker->main_poll.load());
    for (const channel_row &row : channel_rows)
        (ui->*row.enabled)->setChecked(false);
    window->apply_system_configuration();
}

void tst_main_window_channels::menu_buttons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("page");
    QTest::newRow("Settings") << "main_menu_butt_2" << 2;
    QTest::newRow("Help") << "main_menu_butt_3" << 3;
    QTest::newRow("Main") << "main_menu_butt" << 1;
}

void tst_main_window_channels::menu_buttons()
{
    QFETCH(QString, button);
    QFETCH(int, page);
    const QString chosen = "QPushButton{color: rgb(200, 0, 0);text-align: center;border: 0px solid gray;"
                           "vertical-align: bottom;} QPushButton:hover{text-align: center;color: rgb(120, 0, 0);"
                           "border: 0px solid gray;vertical-align: bottom;}";
    const QString other = "QPushButton{color: rgb(0, 0, 0);text-align: center;border: 0px solid gray;"
                          "vertical-align: bottom;} QPushButton:hover{text-align: center;color: rgb(120, 0, 0);"
                          "border: 0px solid gray;vertical-align: bottom;}";
    window->findChild<QPushButton *>(button)->click();
    QCOMPARE(window->ui->stackedWidget->currentIndex(), page);
    const QPushButton *buttons[] = {window->ui->main_menu_butt, window->ui->main_menu_butt_2,
                                    window->ui->main_menu_butt_3};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(buttons[i]->styleSheet(), i + 1 == page ? chosen : other);
}

void tst_main_window_channels::tab_button_folds_its_page()
{
    window->ui->scrollArea->setEnabled(true); // as while connected
    laser_object *third = window->lasers[2];
    third->laser_tab_button->click();
    for (const laser_object *c : window->lasers)
        QCOMPARE(c->laser_group->isHidden(), c != third);
    third->laser_tab_button->click();
    QVERIFY(third->laser_group->isHidden());
    // Without a sender nothing is folded.
    window->laser_tab_button_click();
    for (const laser_object *c : window->lasers)
        QVERIFY(c->laser_group->isHidden());
    window->ui->scrollArea->setEnabled(false);
}

void tst_main_window_channels::wheel_withheld_from_watched_inputs()
{
    laser_object *c = window->lasers[3];
    const QList<QWidget *> watched{c->curr_spin,    c->freq_spin,        c->pulse_cutted_spin, c->dura_spin,
                                   c->pulse_gated_spin, c->temp_spin,    c->pulse_temp_spin,   c->volt_spin,
                                   c->cw_freq_spin, c->cw_width_spin,    c->freq_combo,        c->freq_range_combo,
                                   c->mode_combo};
    const QList<QWidget *> free{c->step_size_combo, c->cw_mode_combo};
    for (QWidget *w : watched + free) {
        QVERIFY(w);
        log_capture log;
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(w, &wheel);
        QCOMPARE(log.count("Wheel event blocked"), watched.contains(w) ? 1 : 0);
    }
    // The value itself stays put.
    c->curr_spin->setRange(0, 100);
    c->curr_spin->setValue(10);
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(c->curr_spin, &wheel);
    QCOMPARE(c->curr_spin->value(), 10.0);
}

void tst_main_window_channels::emission_indicator_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<bool>("on");
    QTest::newRow("none") << -1 << false;
    const char *names[] = {"CW output", "DC/DC output", "power output", "PS table emission", "PS emission",
                           "NS table emission", "NS emission"};
    for (int i = 0; i < 7; ++i)
        QTest::newRow(names[i]) << i << true;
}

void tst_main_window_channels::emission_indicator()
{
    QFETCH(int, flag);
    QFETCH(bool, on);
    // On a channel that is not enabled and whose type is another family's.
    laser_worker *w = window->lasers[8]->worker;
    uint8_t *flags[] = {&w->cw_record.output_on,         &w->dcdc_record.output_on, &w->power_record.output_on,
                        &w->ps_table_record.emission_on, &w->ps_record.emission_on, &w->ns_table_record.emission_on,
                        &w->ns_record.emission_on};
    for (uint8_t *f : flags)
        *f = 0;
    if (flag >= 0)
        *flags[flag] = 1;
    window->view_update_timer_slot();
    QCOMPARE(window->ui->emitting_label->text(), on ? QStringLiteral("Emission: ON") : QStringLiteral("Emission: OFF"));
    QCOMPARE(window->ui->emit_on->isHidden(), !on);
    QCOMPARE(window->ui->emit_off->isHidden(), on);
    QCOMPARE(window->channel_output_on(8), on);
    *flags[qMax(flag, 0)] = 0;
}

void tst_main_window_channels::can_id_with_a_decimal_mark_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    for (const char *name : {"de_DE", "fr_FR", "C"})
        for (const char *typed : {"1.5", "1,5"})
            QTest::addRow("%s \"%s\"", name, typed) << name << typed;
}

// The digit after the mark is refused, never joined to the 1: "Main" and
// the close keep the address the channel uses.
void tst_main_window_channels::can_id_with_a_decimal_mark()
{
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    const QLocale was;
    QLocale::setDefault(QLocale(locale));
    window = std::make_unique<MainWindow>();
    QLocale::setDefault(was);
    configure({1, 2, 3, 4});
    QLineEdit *box = window->ui->addr_4;
    box->selectAll();
    QTest::keyClicks(box, typed);
    QCOMPARE(box->text(), QStringLiteral("1") + QLocale(locale).decimalPoint());
    window->ui->main_menu_butt->click();
    QCOMPARE(box->text(), QStringLiteral("4")); // the address it uses
    QCOMPARE(window->lasers[3]->can_address, 4);
    QCOMPARE(record_addresses(window->lasers[3]->worker), QVector<int32_t>(7, 4));
    box->selectAll();
    QTest::keyClicks(box, typed);
    window->close();
    QFile file(folder->file());
    QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll().contains("\naddr_4=4\n"));
}

QTEST_MAIN(tst_main_window_channels)
#include "tst_main_window_channels.moc"
