// The binding contract of the channel pages: the channel control finds its
// widgets by object-name prefix among the direct children of fixed
// containers; on every page each base name must find exactly one widget.

#include <QHash>
#include <QMainWindow>
#include <QSet>
#include <QtTest>

#include "app/resources.h"
#include "channel_page_tables.h"
#include "forms/main_form.h"
#include "forms/mainwindow_form.h"

namespace {

// The search as the channel control makes it: direct children (layouts
// included) in creation order, prefix at index 0, case-sensitive.
QList<QObject *> search(const QObject *container, const QString &base)
{
    QList<QObject *> found;
    for (QObject *child : container->children()) {
        if (child->objectName().indexOf(base) == 0)
            found.append(child);
    }
    return found;
}

QWidget *page_of(Ui_MainWindow *ui, int channel)
{
    QWidget *pages[channel_pages::channel_count] = {
        ui->laser_widget, ui->laser_widget_2, ui->laser_widget_3, ui->laser_widget_4,
        ui->laser_widget_5, ui->laser_widget_6, ui->laser_widget_7, ui->laser_widget_8,
        ui->laser_widget_9, ui->laser_widget_10};
    return pages[channel - 1];
}

// Containers of one page, reached level by level by the same search.
QHash<QString, QObject *> containers_of(QWidget *page)
{
    QHash<QString, QObject *> out;
    out.insert(QStringLiteral("laser_widget"), page);
    for (const channel_pages::binding &b : channel_pages::bindings()) {
        QObject *container = out.value(QString::fromLatin1(b.container));
        if (!container)
            continue;
        const QList<QObject *> hits = search(container, QString::fromLatin1(b.base));
        if (hits.size() == 1)
            out.insert(QString::fromLatin1(b.target), hits.first());
    }
    return out;
}

} // namespace

class tst_channel_binding : public QObject {
    Q_OBJECT

    QMainWindow *window = nullptr;
    Ui_MainWindow *ui = nullptr;

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        window = new QMainWindow;
        ui = new Ui_MainWindow;
        build_main_form(ui, window);
    }

    void cleanupTestCase()
    {
        delete ui;
        delete window;
    }

    void table_has_80_base_names_in_16_containers()
    {
        QSet<QString> containers;
        QSet<QString> bases;
        for (const channel_pages::binding &b : channel_pages::bindings()) {
            containers.insert(QString::fromLatin1(b.container));
            bases.insert(QString::fromLatin1(b.base));
        }
        QCOMPARE(channel_pages::bindings().size(), 80);
        QCOMPARE(bases.size(), 80);
        QCOMPARE(containers.size(), 16);
    }

    void each_base_name_finds_one_widget_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("class_name");
        for (int n = 1; n <= channel_pages::channel_count; ++n) {
            for (const channel_pages::binding &b : channel_pages::bindings()) {
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(n).arg(QLatin1String(b.base))))
                    << n << QString::fromLatin1(b.container) << QString::fromLatin1(b.base)
                    << QString::fromLatin1(b.target) << QString::fromLatin1(b.class_name);
            }
        }
    }

    void each_base_name_finds_one_widget()
    {
        QFETCH(int, channel);
        QFETCH(QString, container);
        QFETCH(QString, base);
        QFETCH(QString, target);
        QFETCH(QString, class_name);
        QWidget *page = page_of(ui, channel);
        const QHash<QString, QObject *> containers = containers_of(page);
        QObject *owner = containers.value(container);
        QVERIFY2(owner, qPrintable(QStringLiteral("container %1 not reached").arg(container)));
        const QList<QObject *> hits = search(owner, base);
        QCOMPARE(hits.size(), 1);
        QObject *hit = hits.first();
        const QString suffix = channel_pages::suffixes().at(channel - 1);
        QCOMPARE(hit->objectName(), target + suffix);
        QCOMPARE(QString::fromLatin1(hit->metaObject()->className()), class_name);
        QCOMPARE(hit->parent(), owner);
        // the widget the control binds is the one the form object holds by name
        QCOMPARE(page->findChild<QObject *>(target + suffix), hit);
    }

    void no_child_begins_with_two_base_names_data()
    {
        QTest::addColumn<int>("channel");
        for (int n = 1; n <= channel_pages::channel_count; ++n)
            QTest::newRow(qPrintable(channel_pages::page_name(n))) << n;
    }

    // Otherwise the order in which the control tests its base names would
    // change what it binds; generic designer names must match none.
    void no_child_begins_with_two_base_names()
    {
        QFETCH(int, channel);
        const QHash<QString, QObject *> containers = containers_of(page_of(ui, channel));
        QHash<QString, QStringList> bases;
        for (const channel_pages::binding &b : channel_pages::bindings())
            bases[QString::fromLatin1(b.container)].append(QString::fromLatin1(b.base));
        QCOMPARE(containers.size(), 81); // the page and the 80 widgets bound
        for (auto it = bases.constBegin(); it != bases.constEnd(); ++it) {
            const QObject *owner = containers.value(it.key());
            QVERIFY(owner);
            for (const QObject *child : owner->children()) {
                int matches = 0;
                for (const QString &base : it.value())
                    matches += child->objectName().indexOf(base) == 0;
                QVERIFY2(matches <= 1, qPrintable(child->objectName()));
                if (channel_pages::is_generic(child->objectName()))
                    QVERIFY2(matches == 0, qPrintable(child->objectName()));
            }
        }
    }

    void names_with_a_base_name_inside_do_not_match_data()
    {
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("base");
        QTest::newRow("freq_indicator in cw_freq_widget") << "cw_freq_widget" << "freq_indicator";
        QTest::newRow("freq_spin in cw_freq_widget") << "cw_freq_widget" << "freq_spin";
        QTest::newRow("temp_spin in pulse_temp_widget") << "pulse_temp_widget" << "temp_spin";
        QTest::newRow("temp_label in ps_ns_widget") << "ps_ns_widget" << "temp_label";
        QTest::newRow("laser_group in laser_group_box") << "laser_group_box" << "laser_group";
        QTest::newRow("curr_spin in cw_widget") << "cw_widget" << "curr_spin";
    }

    void names_with_a_base_name_inside_do_not_match()
    {
        QFETCH(QString, container);
        QFETCH(QString, base);
        for (int n = 1; n <= channel_pages::channel_count; ++n) {
            const QHash<QString, QObject *> containers = containers_of(page_of(ui, n));
            QVERIFY(containers.value(container));
            QVERIFY2(search(containers.value(container), base).isEmpty(), qPrintable(QString::number(n)));
        }
    }

    void only_laser_group_is_a_proper_prefix()
    {
        for (const channel_pages::binding &b : channel_pages::bindings()) {
            const bool proper = qstrcmp(b.base, b.target) != 0;
            QCOMPARE(proper, qstrcmp(b.base, "laser_group") == 0);
        }
    }

    void page_six_and_ten_names()
    {
        QCOMPARE(ui->laser_widget_6->objectName(), QStringLiteral("laser_widget_6"));
        QCOMPARE(search(ui->laser_widget_6, QStringLiteral("laser_tab_button")).value(0)->objectName(),
                 QStringLiteral("laser_tab_button_7"));
        QCOMPARE(search(ui->laser_widget_6, QStringLiteral("laser_group")).value(0)->objectName(),
                 QStringLiteral("laser_group_box_7"));
        QCOMPARE(ui->curr_spin_12->window(), static_cast<QWidget *>(window));
        QVERIFY(ui->laser_widget_10->isAncestorOf(ui->curr_spin_12));
    }
};

QTEST_MAIN(tst_channel_binding)
#include "tst_channel_binding.moc"
