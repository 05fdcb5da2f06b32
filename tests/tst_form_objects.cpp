// The main window form's object table: creation order against the generated
// header's members, counts by class, regions, the ten channel pages.

#include <QComboBox>
#include <QCursor>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QMetaProperty>
#include <QPixmap>
#include <QSet>
#include <QtTest>

#include "app/resources.h"
#include "channel_page_tables.h"
#include "form_walk.h"
#include "forms/main_form.h"
#include "forms/mainwindow_form.h"

using form_walk::form_object;

namespace {

constexpr int form_objects = 2685;
constexpr int first_page = 164;

// Variant types without a useful operator== are compared by what they show.
bool same_value(const QVariant &a, const QVariant &b)
{
    if (a.userType() != b.userType())
        return false;
    switch (a.userType()) {
    case QMetaType::QIcon: {
        const QIcon ia = a.value<QIcon>();
        const QIcon ib = b.value<QIcon>();
        return ia.isNull() == ib.isNull()
            && ia.pixmap(20, 20).toImage() == ib.pixmap(20, 20).toImage();
    }
    case QMetaType::QPixmap:
        return a.value<QPixmap>().toImage() == b.value<QPixmap>().toImage();
    case QMetaType::QCursor:
        return a.value<QCursor>().shape() == b.value<QCursor>().shape();
    default:
        return a == b;
    }
}

// Differences between two objects of the same place in two pages; the
// pages themselves stand at different heights of the channel list.
QStringList differences(const form_object &a, const form_object &b, bool page_widget)
{
    static const QSet<QByteArray> placement = {"geometry", "frameGeometry", "normalGeometry", "pos", "x", "y"};
    QStringList out;
    if (a.spacer) {
        if (a.spacer->sizeHint() != b.spacer->sizeHint())
            out << QStringLiteral("spacer size");
        if (a.spacer->sizePolicy() != b.spacer->sizePolicy())
            out << QStringLiteral("spacer policy");
        return out;
    }
    const QMetaObject *meta = a.object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty p = meta->property(i);
        if (qstrcmp(p.name(), "objectName") == 0 || !p.isReadable())
            continue;
        if (page_widget && placement.contains(QByteArray(p.name())))
            continue;
        if (!same_value(p.read(a.object), p.read(b.object)))
            out << QString::fromLatin1(p.name());
    }
    if (auto *la = qobject_cast<QLayout *>(a.object)) {
        auto *lb = qobject_cast<QLayout *>(b.object);
        if (la->contentsMargins() != lb->contentsMargins())
            out << QStringLiteral("margins");
        if (la->count() != lb->count())
            out << QStringLiteral("item count");
    }
    if (auto *ca = qobject_cast<QComboBox *>(a.object)) {
        auto *cb = qobject_cast<QComboBox *>(b.object);
        for (int i = 0; i < ca->count(); ++i) {
            if (ca->itemText(i) != cb->itemText(i) || ca->itemData(i) != cb->itemData(i))
                out << QStringLiteral("item %1").arg(i);
        }
    }
    return out;
}

} // namespace

class tst_form_objects : public QObject {
    Q_OBJECT

    QMainWindow *window = nullptr;
    Ui_MainWindow *ui = nullptr;
    QVector<form_object> table;

    int index_of(const QString &name) const
    {
        for (int i = 0; i < table.size(); ++i) {
            if (table.at(i).name == name)
                return i;
        }
        return -1;
    }

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        window = new QMainWindow;
        ui = new Ui_MainWindow;
        build_main_form(ui, window);
        table = form_walk::walk(window);
    }

    void cleanupTestCase()
    {
        delete ui;
        delete window;
    }

    void walk_holds_every_object()
    {
        QCOMPARE(table.size(), form_objects);
    }

    // uic declares one member per object in creation order; the k-th
    // member must hold the k-th object created.
    void header_members_follow_creation_order()
    {
        const QVector<form_walk::member> members = form_walk::header_members(QStringLiteral(LUMATREX_FORM_HEADER));
        QCOMPARE(members.size(), form_objects);
        for (int k = 0; k < members.size(); ++k) {
            const form_object &o = table.at(k);
            const QString where = QStringLiteral("member %1 (%2)").arg(k).arg(members.at(k).name);
            QVERIFY2(members.at(k).class_name == o.class_name, qPrintable(where + QStringLiteral(": class ") + o.class_name));
            if (!o.spacer)
                QVERIFY2(members.at(k).name == o.name, qPrintable(where + QStringLiteral(": object ") + o.name));
        }
    }

    void members_point_at_their_slots_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("name");
        QTest::newRow("central widget") << 0 << "centralWidget";
        QTest::newRow("stack") << 20 << "stackedWidget";
        QTest::newRow("page 0") << 21 << "page";
        QTest::newRow("page 1") << 159 << "page_2";
        QTest::newRow("channel 1") << 164 << "laser_widget";
        QTest::newRow("channel 10") << 2306 << "laser_widget_10";
        QTest::newRow("frame counter") << 2546 << "label";
        QTest::newRow("page 2") << 2547 << "page_3";
        QTest::newRow("page 3") << 2671 << "page_4";
        QTest::newRow("last") << 2684 << "emit_on";
    }

    void members_point_at_their_slots()
    {
        QFETCH(int, slot);
        QFETCH(QString, name);
        QCOMPARE(table.at(slot).name, name);
    }

    void members_hold_the_live_objects()
    {
        QCOMPARE(static_cast<QObject *>(ui->centralWidget), table.at(0).object);
        QCOMPARE(static_cast<QObject *>(ui->stackedWidget), table.at(20).object);
        QCOMPARE(static_cast<QObject *>(ui->label), table.at(2546).object);
        QCOMPARE(static_cast<QObject *>(ui->page_3), table.at(2547).object);
        QWidget *pages[channel_pages::channel_count] = {
            ui->laser_widget, ui->laser_widget_2, ui->laser_widget_3, ui->laser_widget_4,
            ui->laser_widget_5, ui->laser_widget_6, ui->laser_widget_7, ui->laser_widget_8,
            ui->laser_widget_9, ui->laser_widget_10};
        for (int n = 0; n < channel_pages::channel_count; ++n)
            QCOMPARE(static_cast<QObject *>(pages[n]), table.at(first_page + n * channel_pages::objects_per_page).object);
    }

    void counts_by_class_data()
    {
        QTest::addColumn<QString>("class_name");
        QTest::addColumn<int>("count");
        QTest::newRow("QLabel") << "QLabel" << 832;
        QTest::newRow("QHBoxLayout") << "QHBoxLayout" << 526;
        QTest::newRow("QVBoxLayout") << "QVBoxLayout" << 361;
        QTest::newRow("QSpacerItem") << "QSpacerItem" << 317;
        QTest::newRow("QWidget") << "QWidget" << 194;
        QTest::newRow("QDoubleSpinBox") << "QDoubleSpinBox" << 101;
        QTest::newRow("QPushButton") << "QPushButton" << 83;
        QTest::newRow("QProgressBar") << "QProgressBar" << 82;
        QTest::newRow("QFrame") << "QFrame" << 81;
        QTest::newRow("QComboBox") << "QComboBox" << 52;
        QTest::newRow("QLineEdit") << "QLineEdit" << 23;
        QTest::newRow("QGroupBox") << "QGroupBox" << 14;
        QTest::newRow("QCheckBox") << "QCheckBox" << 12;
        QTest::newRow("QSpinBox") << "QSpinBox" << 2;
        QTest::newRow("QSlider") << "QSlider" << 2;
        QTest::newRow("QStackedWidget") << "QStackedWidget" << 1;
        QTest::newRow("QScrollArea") << "QScrollArea" << 1;
        QTest::newRow("QPlainTextEdit") << "QPlainTextEdit" << 1;
    }

    void counts_by_class()
    {
        QFETCH(QString, class_name);
        QFETCH(int, count);
        int seen = 0;
        for (const form_object &o : table)
            seen += o.class_name == class_name;
        QCOMPARE(seen, count);
    }

    void no_class_outside_the_table()
    {
        const QSet<QString> known = {
            "QLabel", "QHBoxLayout", "QVBoxLayout", "QSpacerItem", "QWidget", "QDoubleSpinBox",
            "QPushButton", "QProgressBar", "QFrame", "QComboBox", "QLineEdit", "QGroupBox",
            "QCheckBox", "QSpinBox", "QSlider", "QStackedWidget", "QScrollArea", "QPlainTextEdit"};
        for (const form_object &o : table)
            QVERIFY2(known.contains(o.class_name), qPrintable(o.name + QStringLiteral(" is a ") + o.class_name));
    }

    // Regions of the table: first object's name (empty: any) and size.
    void regions_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("next");
        QTest::newRow("frame and top bar") << 0 << 21 << "centralWidget" << "page";
        QTest::newRow("seed-laser page") << 21 << 138 << "page" << "page_2";
        QTest::newRow("channel list frame") << 159 << 5 << "page_2" << "laser_widget";
        QTest::newRow("channel pages and spacers") << 164 << 2382 << "laser_widget" << "label";
        QTest::newRow("frame counter") << 2546 << 1 << "label" << "page_3";
        QTest::newRow("settings page") << 2547 << 124 << "page_3" << "page_4";
        QTest::newRow("help page") << 2671 << 3 << "page_4" << "";
        QTest::newRow("version row and status strip") << 2674 << 11 << "" << "";
    }

    void regions()
    {
        QFETCH(int, start);
        QFETCH(int, size);
        QFETCH(QString, first);
        QFETCH(QString, next);
        if (!first.isEmpty())
            QCOMPARE(table.at(start).name, first);
        if (!next.isEmpty())
            QCOMPARE(table.at(start + size).name, next);
        else
            QVERIFY(start + size == form_objects || table.at(start + size).class_name == QLatin1String("QHBoxLayout"));
    }

    void closing_spacers_follow_the_pages()
    {
        QCOMPARE(table.at(2544).class_name, QStringLiteral("QSpacerItem"));
        QCOMPARE(table.at(2545).class_name, QStringLiteral("QSpacerItem"));
        const int list = index_of(QStringLiteral("scrollAreaWidgetContents")) + 1;
        QCOMPARE(table.at(2544).owner, list - 1);
        QCOMPARE(table.at(2545).owner, list - 1);
        QCOMPARE(table.at(2544).spacer->sizeHint(), QSize(20, 40));
        QCOMPARE(table.at(2544).spacer->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    }

    void every_object_named_but_spacers()
    {
        QSet<QString> seen;
        int spacers = 0;
        for (const form_object &o : table) {
            if (o.spacer) {
                ++spacers;
                continue;
            }
            QVERIFY2(!o.name.isEmpty(), qPrintable(o.class_name + QStringLiteral(" without a name")));
            QVERIFY2(!seen.contains(o.name), qPrintable(o.name + QStringLiteral(" twice")));
            seen.insert(o.name);
        }
        QCOMPARE(spacers, 317);
        QCOMPARE(seen.size(), form_objects - 317);
    }

    void channel_pages_data()
    {
        QTest::addColumn<int>("channel");
        for (int n = 1; n <= channel_pages::channel_count; ++n)
            QTest::newRow(qPrintable(channel_pages::page_name(n))) << n;
    }

    // Every page is page one with its names mapped: same classes, places,
    // properties, texts and items; named children carry the page's suffix,
    // generic names a number of their own.
    void channel_pages()
    {
        QFETCH(int, channel);
        const int per_page = channel_pages::objects_per_page;
        const int base = first_page;
        const int start = base + (channel - 1) * per_page;
        const QString suffix = channel_pages::suffixes().at(channel - 1);
        QCOMPARE(table.at(start).name, channel_pages::page_name(channel));
        QCOMPARE(table.at(start).owner, index_of(QStringLiteral("scrollAreaWidgetContents")));
        const QString after = channel == channel_pages::channel_count ? QString() : channel_pages::page_name(channel + 1);
        QCOMPARE(table.at(start + per_page).name, after);

        int named = 0;
        int generic = 0;
        int spacers = 0;
        for (int k = 0; k < per_page; ++k) {
            const form_object &one = table.at(base + k);
            const form_object &here = table.at(start + k);
            const QString where = QStringLiteral("object %1 (%2 on page one)").arg(k).arg(one.name);
            QVERIFY2(here.class_name == one.class_name, qPrintable(where));
            // owners sit at the same place of the page (the page's own owner is the list)
            if (k > 0)
                QVERIFY2(here.owner - start == one.owner - base, qPrintable(where + QStringLiteral(": owner")));
            if (one.spacer) {
                ++spacers;
            } else if (k == 0) {
                ++named;
            } else if (channel_pages::is_generic(one.name)) {
                ++generic;
                QVERIFY2(channel_pages::is_generic(here.name), qPrintable(where + QStringLiteral(": ") + here.name));
                QCOMPARE(channel_pages::generic_word(here.name), channel_pages::generic_word(one.name));
                if (channel > 1)
                    QVERIFY2(here.name != one.name, qPrintable(where));
            } else {
                ++named;
                QCOMPARE(here.name, one.name + suffix);
            }
            const QStringList diff = differences(one, here, k == 0);
            QVERIFY2(diff.isEmpty(), qPrintable(where + QStringLiteral(" differs in ") + diff.join(QStringLiteral(", "))));
        }
        QCOMPARE(named, 87);
        QCOMPARE(generic, 122);
        QCOMPARE(spacers, 29);
    }

    void no_page_child_ends_in_6_or_11()
    {
        for (int k = first_page; k < first_page + channel_pages::channel_count * channel_pages::objects_per_page; ++k) {
            const QString &name = table.at(k).name;
            if (name.isEmpty() || name.startsWith(QLatin1String("laser_widget")) || channel_pages::is_generic(name))
                continue;
            QVERIFY2(!name.endsWith(QLatin1String("_6")) && !name.endsWith(QLatin1String("_11")), qPrintable(name));
        }
    }
};

QTEST_MAIN(tst_form_objects)
#include "tst_form_objects.moc"
