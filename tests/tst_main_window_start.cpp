// The main window as its constructor leaves it (no settings file): hidden
// and disabled widgets, folded pages, timers, the serial thread, every
// connection made once, the brand and the version label.

#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTextBlock>
#include <QThread>
#include <QTimer>

#include <memory>

#include "app/branding.h"
#include "app/mainwindow.h"
#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "comm/serial_object.h"
#include "form_fixture.h"
#include "support/object_connections.h"
#include "support/settings_folder.h"

class tst_main_window_start : public QObject
{
    Q_OBJECT

    std::unique_ptr<settings_folder> folder;
    std::unique_ptr<MainWindow> window;

private slots:
    void initTestCase();
    void cleanupTestCase();
    void state_after_construction();
    void serial_thread_runs();
    void each_connection_made_once_data();
    void each_connection_made_once();
    void brand_of_this_build();
    void brand_table_data();
    void brand_table();
};

void tst_main_window_start::initTestCase()
{
    lumatrex_init_resources();
    folder = std::make_unique<settings_folder>();
    window = std::make_unique<MainWindow>();
}

void tst_main_window_start::cleanupTestCase()
{
    window.reset();
    folder.reset();
}

void tst_main_window_start::state_after_construction()
{
    Ui_MainWindow *ui = window->ui;
    for (QWidget *w : {static_cast<QWidget *>(ui->label), static_cast<QWidget *>(ui->baudrate_edit_line),
                       static_cast<QWidget *>(ui->label_7), static_cast<QWidget *>(ui->pushButton)})
        QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
    QVERIFY(!ui->scrollArea->isEnabled());
    QVERIFY(ui->serial_combo_box->isEnabled());
    QVERIFY(!ui->connection_mode->isChecked());
    QCOMPARE(ui->serial_combo_box->currentIndex(), -1);
    QCOMPARE(ui->baudrate_edit_line->text(), QStringLiteral("115200"));

    QCOMPARE(window->laser_count, 10);
    for (int i = 0; i < 10; ++i) {
        laser_object *c = window->lasers[i];
        QVERIFY(c);
        QCOMPARE(c->channel_index, i);
        QCOMPARE(c->page, window->findChild<QWidget *>(form_fixture::page_widget_name(i)));
        QVERIFY2(c->laser_group->isHidden(), "every page starts folded");
        QVERIFY(c->alt_but_widget->isHidden());
        QVERIFY2(c->page->isHidden(), "no channel is enabled in the form");
        QVERIFY(!c->worker->isRunning());
        QVERIFY(!c->worker->main_poll.load());
        QCOMPARE(c->can_address, 1);
    }

    QVERIFY(window->view_update_timer->isActive());
    QCOMPARE(window->view_update_timer->interval(), 500);
    QVERIFY(!window->reconnect_timer->isActive());
    QVERIFY(!window->heartbeat_timer->isActive());
    QVERIFY(!window->connected);
    QCOMPARE(window->portname, QString());
    QCOMPARE(window->portspeed, QStringLiteral("115200"));
    QVERIFY(window->laser_params_window == nullptr);
    QCOMPARE(window->rx_frame_counter, uint64_t(0));
}

void tst_main_window_start::serial_thread_runs()
{
    QVERIFY(window->serial_thread->isRunning());
    QCOMPARE(window->serial_obj->thread(), window->serial_thread);
    QCOMPARE(window->serial_obj->port.thread(), window->serial_thread);
    QVERIFY(window->serial_thread->parent() == nullptr);
    QVERIFY(window->serial_obj->parent() == nullptr);
}

namespace {

const QString functor = QStringLiteral("<functor or function pointer>");

enum sender_kind { the_window, the_link, the_thread, view_timer, reconnect_tick, heartbeat_tick, worker, tab, channel };

} // namespace

void tst_main_window_start::each_connection_made_once_data()
{
    QTest::addColumn<int>("sender");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QString>("receiver");
    QTest::addColumn<int>("count");

    QTest::newRow("started") << int(the_thread) << "started()" << "serial_object::unnamed sl_start_port_process()" << 1;
    QTest::newRow("connect") << int(the_window) << "sig_connect_serial()" << "serial_object::unnamed sl_connect_serial()"
                             << 1;
    QTest::newRow("conf") << int(the_window) << "sig_serial_conf(serial_conf_struct)"
                          << "serial_object::unnamed sl_serial_conf(serial_conf_struct)" << 1;
    QTest::newRow("disconnect") << int(the_window) << "sig_disconnect_serial()"
                                << "serial_object::unnamed sl_disconnect_serial()" << 1;
    QTest::newRow("connected") << int(the_link) << "sig_connected()" << "MainWindow::MainWindow sl_serial_connected()"
                               << 1;
    QTest::newRow("disconnected") << int(the_link) << "sig_disconnected()"
                                  << "MainWindow::MainWindow sl_serial_disconnected()" << 1;
    QTest::newRow("frames") << int(the_link) << "sig_serial_rx_can_message(serial_message_struct)"
                            << "MainWindow::MainWindow handle_rx_can_message(serial_message_struct)" << 1;
    QTest::newRow("view tick") << int(view_timer) << "timeout()" << functor << 1;
    QTest::newRow("reconnect tick") << int(reconnect_tick) << "timeout()" << functor << 1;
    QTest::newRow("heartbeat tick") << int(heartbeat_tick) << "timeout()" << functor << 1;
    QTest::newRow("worker frames") << int(worker) << "thread_serial_write(QByteArray)" << functor << 1;
    QTest::newRow("tab button") << int(tab) << "clicked(bool)" << functor << 1;
    QTest::newRow("configuration button") << int(channel) << "show_conf_dialog_signal(int)"
                                          << "MainWindow::MainWindow show_laser_conf_dialog_slot(int)" << 1;
    // One emission reaches all ten controllers.
    QTest::newRow("return key") << int(the_window) << "key_event(QObject*)"
                                << "laser_object::unnamed sl_return_key_pressed_on_spinbox(QObject*)" << 10;
    // The link connects nothing of its own until a port is opened.
    QTest::newRow("link's own writes") << int(the_link) << "sig_write_to_port(QByteArray)" << QString() << 0;
}

void tst_main_window_start::each_connection_made_once()
{
    QFETCH(int, sender);
    QFETCH(QString, signal);
    QFETCH(QString, receiver);
    QFETCH(int, count);

    QList<const QObject *> senders;
    switch (sender) {
    case the_window: senders << window.get(); break;
    case the_link: senders << window->serial_obj; break;
    case the_thread: senders << window->serial_thread; break;
    case view_timer: senders << window->view_update_timer; break;
    case reconnect_tick: senders << window->reconnect_timer; break;
    case heartbeat_tick: senders << window->heartbeat_timer; break;
    default:
        for (laser_object *c : window->lasers)
            senders << (sender == worker ? static_cast<QObject *>(c->worker)
                        : sender == tab  ? static_cast<QObject *>(c->laser_tab_button)
                                         : static_cast<QObject *>(c));
    }
    for (const QObject *s : senders) {
        const QList<QString> receivers = outgoing_connections(s).values(signal);
        QCOMPARE(receivers.size(), count);
        for (const QString &r : receivers)
            QCOMPARE(r, receiver);
    }
}

void tst_main_window_start::brand_of_this_build()
{
    const QString revision = build_revision();
    QCOMPARE(revision.size(), 40);
    QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{40}$")).match(revision).hasMatch(), qPrintable(revision));

    Ui_MainWindow *ui = window->ui;
    QCOMPARE(ui->version_label->text(), QStringLiteral("v4.") + revision.left(6) + QLatin1Char(' '));
    QCOMPARE(ui->version_label->text().size(), 10);

    const brand_row *brand = find_brand(build_brand_key());
    QVERIFY2(brand, "the build's brand key names a brand");
    QCOMPARE(ui->widget_21->styleSheet(), QString::fromLatin1(brand->style_sheet));
    QCOMPARE(ui->label_128->minimumSize(), brand->logo_size);
    QCOMPARE(ui->label_128->maximumSize(), brand->logo_size);
    QVERIFY(!ui->label_128->pixmap(Qt::ReturnByValue).isNull());
    QCOMPARE(ui->label_128->pixmap(Qt::ReturnByValue).toImage(), QPixmap(QString::fromLatin1(brand->logo)).toImage());

    // The editor breaks the text at each carriage return.
    QStringList blocks;
    for (QTextBlock b = ui->plainTextEdit->document()->begin(); b.isValid(); b = b.next())
        blocks << b.text();
    QCOMPARE(blocks, (QStringList{QString::fromLatin1(brand->first_line), "Lumatrex", "",
                                  "Version " + build_brand_key(), "SHA1 = " + revision, ""}));
}

void tst_main_window_start::brand_table_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("style_sheet");
    QTest::addColumn<QString>("logo");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("about");

    const QString rev = QStringLiteral("0123abcdef0123abcdef0123abcdef0123abcdef");
    QTest::newRow("OSTRAVEL") << "OSTRAVEL" << "QWidget {\n\tbackground-color: rgb(35, 39, 215);\n}"
                              << ":/images/images/ostravel.png" << QSize(273, 35)
                              << "Ostravel\rLumatrex\r\rVersion OSTRAVEL\rSHA1 = " + rev + "\r";
    QTest::newRow("QUENDRAL") << "QUENDRAL" << "QWidget {\n\tbackground-color: rgb(67, 55, 121);\n}"
                              << ":/images/images/Quendral_logo.png" << QSize(273, 60)
                              << "Quendral\rLumatrex\r\rVersion QUENDRAL\rSHA1 = " + rev + "\r";
    // Its About text opens with the key itself, in capitals.
    QTest::newRow("CALVENOR") << "CALVENOR" << "QWidget {\n\tbackground-color: rgb(60, 145, 136);\n}"
                              << ":/images/images/calvenor_logo_PNG.png" << QSize(215, 60)
                              << "CALVENOR\rLumatrex\r\rVersion CALVENOR\rSHA1 = " + rev + "\r";
    // Keys compare exactly: another case is no brand.
    QTest::newRow("Ostravel") << "Ostravel" << QString() << QString() << QSize(273, 79) << QString();
    QTest::newRow("no key") << "" << QString() << QString() << QSize(273, 79) << QString();
}

void tst_main_window_start::brand_table()
{
    QFETCH(QString, key);
    QFETCH(QString, style_sheet);
    QFETCH(QString, logo);
    QFETCH(QSize, size);
    QFETCH(QString, about);

    const QString rev = QStringLiteral("0123abcdef0123abcdef0123abcdef0123abcdef");
    form_fixture::built_form f = form_fixture::build();
    const QString form_style = f.ui->widget_21->styleSheet();
    apply_brand(f.ui.get(), key, rev);
    set_version_label(f.ui.get(), rev);

    QCOMPARE(f.ui->version_label->text(), QStringLiteral("v4.0123ab "));
    QCOMPARE(f.ui->label_128->minimumSize(), size);
    QCOMPARE(f.ui->label_128->maximumSize(), size);
    if (logo.isEmpty()) {
        QCOMPARE(f.ui->widget_21->styleSheet(), form_style);
        QVERIFY(f.ui->label_128->pixmap(Qt::ReturnByValue).isNull());
        QCOMPARE(f.ui->plainTextEdit->toPlainText(), QString());
        return;
    }
    QCOMPARE(f.ui->widget_21->styleSheet(), style_sheet);
    QCOMPARE(f.ui->label_128->pixmap(Qt::ReturnByValue).toImage(), QPixmap(logo).toImage());
    const brand_row *brand = find_brand(key);
    QVERIFY(brand);
    QCOMPARE(about_text(*brand, key, rev), about);
    // Resizing the window never changes the logo's size.
    f.window->resize(1600, 1000);
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    QCOMPARE(f.ui->label_128->size(), size);
}

QTEST_MAIN(tst_main_window_start)
#include "tst_main_window_start.moc"
