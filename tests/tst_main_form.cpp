// The main form right after it is built (on a bare window, before any
// window logic runs): the chosen page, the frame's
// sizes, the status strip, the settings page's fields, and the nine slots that
// the form binds by name.

#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpacerItem>
#include <QStackedWidget>

#include <memory>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "form_fixture.h"

namespace {

QStringList captured;
QtMessageHandler previous_handler = nullptr;

void capture(QtMsgType type, const QMessageLogContext &ctx, const QString &msg)
{
    captured << msg;
    if (previous_handler && type != QtDebugMsg)
        previous_handler(type, ctx, msg);
}

// What QObject::dumpObjectInfo() prints for `o`, line by line, trimmed.
QStringList object_info(const QObject *o)
{
    captured.clear();
    previous_handler = qInstallMessageHandler(capture);
    o->dumpObjectInfo();
    qInstallMessageHandler(previous_handler);
    QStringList lines;
    for (const QString &l : qAsConst(captured))
        lines << l.trimmed();
    return lines;
}

} // namespace

class tst_main_form : public QObject
{
    Q_OBJECT

private:
    // The form alone, and the program's window for the slots it binds by name.
    form_fixture::built_form form;
    QMainWindow *window = nullptr;
    std::unique_ptr<MainWindow> main_window;
    QStringList construction_messages;

    template <typename T = QWidget>
    T *child(const char *name)
    {
        return window->findChild<T *>(QLatin1String(name));
    }

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        captured.clear();
        previous_handler = qInstallMessageHandler(capture);
        form = form_fixture::build();
        window = form.window.get();
        main_window = std::make_unique<MainWindow>();
        qInstallMessageHandler(previous_handler);
        construction_messages = captured;
    }

    void cleanupTestCase()
    {
        main_window.reset();
        form = form_fixture::built_form();
    }

    void channel_list_is_current()
    {
        auto *stack = child<QStackedWidget>("stackedWidget");
        QVERIFY(stack);
        QCOMPARE(stack->count(), 4);
        QCOMPARE(stack->currentIndex(), 1);
        QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("page_2"));
        const QStringList pages{"page", "page_2", "page_3", "page_4"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(stack->widget(i)->objectName(), pages[i]);
    }

    void seed_page_is_disabled()
    {
        QVERIFY(!child("page")->isEnabled());
        QVERIFY(!child("velmor_widget")->isEnabled());
        QVERIFY(!child("connect_button")->isEnabled());
        QCOMPARE(child("velmor_widget")->geometry(), QRect(18, 9, 854, 645));
        QVERIFY(child("page_2")->isEnabled());
        QVERIFY(child("scrollArea")->isEnabled());
    }

    void main_is_red()
    {
        auto *main = child<QPushButton>("main_menu_butt");
        auto *settings = child<QPushButton>("main_menu_butt_2");
        auto *help = child<QPushButton>("main_menu_butt_3");
        QCOMPARE(main->text(), QStringLiteral("Main"));
        QCOMPARE(settings->text(), QStringLiteral("Settings"));
        QCOMPARE(help->text(), QStringLiteral("Help"));
        for (QPushButton *b : {main, settings, help}) {
            b->ensurePolished();
            QVERIFY(!b->isCheckable());
            QVERIFY(!b->isFlat());
            QCOMPARE(b->font().pointSize(), 14);
        }
        QCOMPARE(main->palette().color(QPalette::ButtonText), QColor(200, 0, 0));
        QVERIFY(settings->palette().color(QPalette::ButtonText) != QColor(200, 0, 0));
        QVERIFY(help->palette().color(QPalette::ButtonText) != QColor(200, 0, 0));
    }

    void status_strip()
    {
        QCOMPARE(child<QLabel>("connection_status_label")->text(), QStringLiteral("Connection status: DISCONNECTED"));
        QCOMPARE(child<QLabel>("emitting_label")->text(), QStringLiteral("Emission: OFF"));
        QCOMPARE(child<QLabel>("connection_status_label")->alignment(), Qt::AlignCenter);
        QCOMPARE(child<QLabel>("emitting_label")->alignment(), Qt::AlignCenter);
        QCOMPARE(child<QLabel>("label")->text(), QStringLiteral("TextLabel"));
        QVERIFY(child("widget_21")->styleSheet().isEmpty());
        const Qt::Alignment version_align = Qt::AlignRight | Qt::AlignTrailing | Qt::AlignBottom;
        QCOMPARE(child<QLabel>("label_91")->alignment(), version_align);
        QCOMPARE(child<QLabel>("version_label")->alignment(), version_align);
    }

    // Both indicators stand side by side until the window's first refresh
    // hides one of them.
    void both_indicators_present()
    {
        auto *off = child<QLabel>("emit_off");
        auto *on = child<QLabel>("emit_on");
        QVERIFY(off && on);
        QCOMPARE(off->parentWidget()->objectName(), QStringLiteral("widget_21"));
        QCOMPARE(on->parentWidget()->objectName(), QStringLiteral("widget_21"));
        QVERIFY(off->isVisibleTo(window));
        QVERIFY(on->isVisibleTo(window));
        auto *strip = child("widget_21")->layout();
        QCOMPARE(strip->indexOf(off) + 1, strip->indexOf(on));
        if (QFile::exists(":/images/images/round_button_indicator_on.png"))
            QVERIFY(!on->pixmap(Qt::ReturnByValue).isNull());
        if (QFile::exists(":/images/images/round_button_indicator_disabled.png"))
            QVERIFY(!off->pixmap(Qt::ReturnByValue).isNull());
    }

    void window_and_frame_sizes()
    {
        QCOMPARE(window->objectName(), QStringLiteral("MainWindow"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Lumatrex"));
        QCOMPARE(window->size(), QSize(997, 529));
        QCOMPARE(window->minimumSize(), QSize(983, 0));
        QCOMPARE(window->centralWidget()->objectName(), QStringLiteral("centralWidget"));

        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        // narrower than the minimum is refused
        window->resize(400, 300);
        QTRY_VERIFY(window->width() >= 983);
        QCOMPARE(window->width(), 983);
        window->resize(1600, 1000);
        QTRY_COMPARE(window->width(), 1600);

        QWidget *bar = child("widget_23");
        QCOMPARE(bar->maximumHeight(), 69);
        QVERIFY(bar->height() <= 69);
        for (const char *name : {"main_menu_butt", "main_menu_butt_2", "main_menu_butt_3"}) {
            QWidget *b = child(name);
            QCOMPARE(b->minimumWidth(), 100);
            QCOMPARE(b->maximumWidth(), 100);
            QCOMPARE(b->width(), 100);
            // centred in the bar's height by the spacers above and below
            QVERIFY(qAbs(b->geometry().center().y() - bar->height() / 2) <= 3);
        }
        QCOMPARE(child("label_128")->size(), QSize(273, 79));
        QCOMPARE(child("dummy_label")->size(), QSize(21, 67));
        // the version labels stay at the right-hand end
        QWidget *version = child("version_label");
        QVERIFY(version->geometry().right() >= window->width() - 30);
        QVERIFY(child("label_91")->geometry().right() < version->geometry().left());
        window->hide();
        window->resize(997, 529);
    }

    void scroll_area()
    {
        auto *area = child<QScrollArea>("scrollArea");
        QVERIFY(area->widgetResizable());
        QCOMPARE(area->widget()->objectName(), QStringLiteral("scrollAreaWidgetContents"));
        QCOMPARE(area->minimumWidth(), 872);
        QCOMPARE(area->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
        QCOMPARE(area->sizePolicy().verticalPolicy(), QSizePolicy::MinimumExpanding);
        QCOMPARE(area->parentWidget()->objectName(), QStringLiteral("page_2"));
    }

    // The channel list: ten pages in channel order, then the two spacers
    // that take up the height the pages leave free.
    void channel_list_layout()
    {
        QLayout *list = child("scrollAreaWidgetContents")->layout();
        QVERIFY(list);
        QCOMPARE(list->objectName(), QStringLiteral("verticalLayout_9"));
        QCOMPARE(list->spacing(), 0);
        QCOMPARE(list->contentsMargins(), QMargins(11, 11, 11, 11));
        QCOMPARE(list->count(), 12);
        for (int i = 0; i < 10; ++i) {
            QWidget *page = list->itemAt(i)->widget();
            QVERIFY(page);
            QCOMPARE(page->objectName(), i == 0 ? QStringLiteral("laser_widget") : QStringLiteral("laser_widget_%1").arg(i + 1));
            QCOMPARE(page->parentWidget(), child("scrollAreaWidgetContents"));
        }
        for (int i = 10; i < 12; ++i) {
            QSpacerItem *spacer = list->itemAt(i)->spacerItem();
            QVERIFY(spacer);
            QCOMPARE(spacer->sizeHint(), QSize(20, 40));
            QCOMPARE(spacer->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
            QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);
        }
    }

    // With only channel 3 enabled its page moves up to the top of the list.
    void hidden_pages_leave_no_gap()
    {
        QLayout *list = child("scrollAreaWidgetContents")->layout();
        QList<QWidget *> pages;
        for (int i = 0; i < 10; ++i)
            pages << list->itemAt(i)->widget();
        QVERIFY(!pages.contains(nullptr));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        for (int i = 0; i < 10; ++i)
            pages[i]->setVisible(i == 2);
        QTRY_COMPARE(pages[2]->y(), 11);
        for (QWidget *p : pages)
            p->show();
        QTRY_VERIFY(pages[2]->y() > pages[1]->y());
        window->hide();
    }

    // The settings page right after set-up, before any window logic runs.
    void settings_page_fields()
    {
        auto *baud = child<QLineEdit>("baudrate_edit_line");
        QCOMPARE(baud->text(), QStringLiteral("115200"));
        QVERIFY(baud->isEnabled());
        QCOMPARE(baud->maximumSize(), QSize(100, 20));
        QCOMPARE(child("label_7")->maximumWidth(), 100);
        QCOMPARE(child<QComboBox>("serial_combo_box")->count(), 0);
        auto *connect = child<QPushButton>("connect_button_2");
        QCOMPARE(connect->text(), QStringLiteral("Connect"));
        QVERIFY(!connect->isCheckable());
        for (const char *name : {"mini_usb_mode_checkbox", "connection_mode"})
            QVERIFY(!child<QCheckBox>(name)->isChecked());
        QVERIFY(child<QLabel>("label_31")->wordWrap());
        QVERIFY(child<QLabel>("label_433")->font().bold());
    }

    void settings_rows_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("suffix");
        for (int n = 1; n <= 10; ++n)
            QTest::addRow("row %d", n) << n << (n == 1 ? QString() : QStringLiteral("_%1").arg(n));
    }

    // Rows use plain suffixes (row 6 is "_6", unlike channel page 6), each
    // row's widgets are its own children, in its layout in order.
    void settings_rows()
    {
        QFETCH(int, channel);
        QFETCH(QString, suffix);
        QWidget *row = window->findChild<QWidget *>("dev_conf_widget" + suffix);
        QVERIFY(row);
        QCOMPARE(row->parentWidget()->objectName(), QStringLiteral("groupBox"));
        auto *index = window->findChild<QLabel *>("ind_label" + suffix);
        auto *addr = window->findChild<QLineEdit *>("addr" + suffix);
        auto *name = window->findChild<QLineEdit *>("edit_name" + suffix);
        auto *enabled = window->findChild<QCheckBox *>("dev_en" + suffix);
        QVERIFY(index && addr && name && enabled);
        for (QWidget *w : std::initializer_list<QWidget *>{index, addr, name, enabled})
            QCOMPARE(w->parentWidget(), row);
        QCOMPARE(index->text(), QStringLiteral("channel %1").arg(channel));
        QCOMPARE(index->minimumWidth(), 60);
        QCOMPARE(index->maximumWidth(), 60);
        QCOMPARE(index->alignment(), Qt::AlignCenter);
        QCOMPARE(addr->text(), QStringLiteral("1"));
        QCOMPARE(addr->maxLength(), 3);
        QCOMPARE(addr->minimumWidth(), 30);
        QCOMPARE(addr->maximumWidth(), 30);
        QCOMPARE(addr->alignment(), Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter);
        QVERIFY(name->text().isEmpty());
        QCOMPARE(name->maxLength(), 32767);
        QCOMPARE(name->minimumWidth(), 100);
        QCOMPARE(name->maximumWidth(), 100);
        QCOMPARE(enabled->text(), QStringLiteral("enabled"));
        QVERIFY(!enabled->isChecked());
        // index, line, caption, address, line, caption, name, box
        QLayout *l = row->layout();
        QCOMPARE(l->count(), 8);
        QCOMPARE(l->itemAt(0)->widget(), index);
        QVERIFY(qobject_cast<QFrame *>(l->itemAt(1)->widget()));
        QCOMPARE(l->itemAt(3)->widget(), addr);
        QCOMPARE(l->itemAt(6)->widget(), name);
        QCOMPARE(l->itemAt(7)->widget(), enabled);
        // rows 1-5 in the left column, 6-10 in the right one
        const char *column = channel <= 5 ? "verticalLayout_28" : "verticalLayout_33";
        auto *col = window->findChild<QLayout *>(column);
        QVERIFY(col);
        QCOMPARE(col->indexOf(row), (channel - 1) % 5);
    }

    // Without a validator (the window's logic installs one) any three
    // characters go in, and no more.
    void address_field_takes_three_characters()
    {
        auto *addr = child<QLineEdit>("addr_6");
        addr->setText("12345");
        QCOMPARE(addr->text(), QStringLiteral("123"));
        addr->setText("ab!");
        QCOMPARE(addr->text(), QStringLiteral("ab!"));
        addr->setText("1");
    }

    void by_name_slots_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("cls");
        QTest::newRow("main") << "main_menu_butt" << "QPushButton";
        QTest::newRow("settings") << "main_menu_butt_2" << "QPushButton";
        QTest::newRow("help") << "main_menu_butt_3" << "QPushButton";
        QTest::newRow("seed connect") << "connect_button" << "QPushButton";
        QTest::newRow("connect") << "connect_button_2" << "QPushButton";
        QTest::newRow("auto connection") << "connection_mode" << "QCheckBox";
        QTest::newRow("mini usb") << "mini_usb_mode_checkbox" << "QCheckBox";
        QTest::newRow("refresh") << "serial_refresh_button" << "QPushButton";
        QTest::newRow("apply") << "pushButton" << "QPushButton";
    }

    // Each slot is bound to its object's clicked() and to nothing else.
    void by_name_slots()
    {
        QFETCH(QString, object);
        QFETCH(QString, cls);
        QObject *o = main_window->findChild<QObject *>(object);
        QVERIFY(o);
        QCOMPARE(QString(o->metaObject()->className()), cls);
        const QString slot = QStringLiteral("on_%1_clicked()").arg(object);
        QVERIFY(main_window->metaObject()->indexOfSlot(qPrintable(slot)) >= 0);

        const QStringList info = object_info(o);
        const QString target = QStringLiteral("--> MainWindow::MainWindow ") + slot;
        QCOMPARE(info.count(target), 1);
        // the signal line above the receiver names clicked (Qt prints the
        // full form of a signal with a default argument)
        int i = info.indexOf(target);
        while (i > 0 && !info.at(i).startsWith(QLatin1String("signal:")))
            --i;
        QCOMPARE(info.at(i), QStringLiteral("signal: clicked(bool)"));
        int to_window = 0;
        for (const QString &l : info)
            to_window += l.startsWith(QLatin1String("--> MainWindow::"));
        QCOMPARE(to_window, 1);
    }

    void exactly_nine_slots_bound()
    {
        const QStringList info = object_info(main_window.get());
        const int in = info.indexOf("SIGNALS IN");
        QVERIFY(in >= 0);
        QStringList bound;
        for (const QString &l : info.mid(in + 1))
            if (l.startsWith(QLatin1String("<--")) && l.contains(QLatin1String(" on_")))
                bound << l.section(QLatin1Char(' '), 2);
        bound.sort();
        QCOMPARE(bound, (QStringList{"on_connect_button_2_clicked()", "on_connect_button_clicked()",
                                     "on_connection_mode_clicked()", "on_main_menu_butt_2_clicked()",
                                     "on_main_menu_butt_3_clicked()", "on_main_menu_butt_clicked()",
                                     "on_mini_usb_mode_checkbox_clicked()", "on_pushButton_clicked()",
                                     "on_serial_refresh_button_clicked()"}));
        int on_slots = 0;
        const QMetaObject *mo = main_window->metaObject();
        for (int m = mo->methodOffset(); m < mo->methodCount(); ++m)
            on_slots += mo->method(m).name().startsWith("on_");
        QCOMPARE(on_slots, 9);
    }

    void no_unmatched_slot_warning()
    {
        for (const QString &m : qAsConst(construction_messages))
            QVERIFY2(!m.contains(QLatin1String("No matching signal")), qPrintable(m));
    }

    // The seed page's connect button is bound too, but is never clickable.
    void seed_connect_cannot_be_clicked()
    {
        auto *b = child<QPushButton>("connect_button");
        QSignalSpy spy(b, &QAbstractButton::clicked);
        window->show();
        child<QStackedWidget>("stackedWidget")->setCurrentIndex(0);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(spy.count(), 0);
        child<QStackedWidget>("stackedWidget")->setCurrentIndex(1);
        window->hide();
    }
};

QTEST_MAIN(tst_main_form)
#include "tst_main_form.moc"
