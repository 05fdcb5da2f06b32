// The seed-laser and fiber-amplifier page object by object: every item's
// place in the page's layout tree, the labels' texts, alignments and word
// wrap, the controls, the boxes with their spacing and margins, and the
// spacers' sizes. A place is the chain of item indices from the panel's own
// layout down ("2.0.0.1.0": item 0 of the row that is item 1 of the box that
// is item 0 of column 0 of the panel's item 2), so a label moved to another
// box, or two labels swapped, shows up at its place.

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMap>
#include <QSpacerItem>
#include <QtTest>

#include "app/resources.h"
#include "form_fixture.h"

namespace {

struct place {
    QWidget *widget = nullptr;
    QLayout *layout = nullptr; // a nested box, or the widget's own layout
    QSpacerItem *spacer = nullptr;
};

void walk(QLayout *layout, const QString &path, QMap<QString, place> &out)
{
    out[path].layout = layout;
    for (int i = 0; i < layout->count(); ++i) {
        const QString here = path.isEmpty() ? QString::number(i) : path + QLatin1Char('.') + QString::number(i);
        QLayoutItem *item = layout->itemAt(i);
        if (QWidget *w = item->widget()) {
            out[here].widget = w;
            if (w->layout())
                walk(w->layout(), here, out);
        } else if (QLayout *nested = item->layout()) {
            walk(nested, here, out);
        } else if (QSpacerItem *s = item->spacerItem()) {
            out[here].spacer = s;
        }
    }
}

// Label alignments: d default, c centre, r right (with trailing), l left
// with leading (the same flags as the default).
int alignment_of(char code)
{
    switch (code) {
    case 'c': return Qt::AlignCenter;
    case 'r': return Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter;
    case 'l': return Qt::AlignLeft | Qt::AlignLeading | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

struct label_row {
    const char *path;
    const char *name;
    const char *text;
    char alignment;
    bool wrap;
};

const label_row labels_table[] = {
    {"1", "label_122", "Seed laser", 'd', false},
    {"2.0.0.0", "label_85", "Tec control", 'c', false},
    {"2.0.0.1.0", "label_86", "Off", 'r', false},
    {"2.0.0.1.2", "label_87", "On", 'd', false},
    {"2.0.1.0.0", "label_44", "Max", 'd', false},
    {"2.0.1.0.2", "label_80", "Min", 'd', false},
    {"2.0.1.2.1", "label_82", "Temperature setpoint", 'c', true},
    {"2.0.1.2.2.1", "label_81", "\xc2\xb0" "C", 'd', false},
    {"2.1.0.0.0", "label_36", "Power state", 'c', false},
    {"2.1.0.0.1.0", "label_2", "Off", 'r', false},
    {"2.1.0.0.1.2", "label_3", "On", 'd', false},
    {"2.1.0.1.1.0", "label_20", "Repetition rate", 'd', false},
    {"2.1.0.1.1.2", "label_28", "kHz", 'd', false},
    {"2.1.0.2.0", "label_14", "Min", 'd', false},
    {"2.1.0.2.2", "label_15", "Max", 'd', false},
    {"2.1.1.0.0", "label_92", "Burst mode", 'r', false},
    {"2.1.1.0.1.0", "label_93", "N", 'r', false},
    {"2.1.1.0.2.0", "label_94", "M", 'r', false},
    {"2.1.1.1", "label_95", "", 'd', false},
    {"2.2.0", "label_83", "Laser state: OFF", 'l', true},
    {"2.2.1", "label_84", "Power state", 'l', true},
    {"2.2.2", "label_98", "Temperature, set: 25.2 \xc2\xb0" "C", 'l', true},
    {"2.2.3", "label_99", "Temperature, read: 25.2 \xc2\xb0" "C", 'l', true},
    {"2.2.4", "label_100", "Trigger: internal", 'l', true},
    {"2.2.5", "label_101", "Repetition rate, set:", 'l', true},
    {"2.2.6", "label_102", "Repetition rate, read:", 'l', true},
    {"3", "label_121", "Fiber amplifier", 'd', false},
    {"4.0.0.0", "label_88", "Tec control", 'c', false},
    {"4.0.0.1.0", "label_89", "Off", 'r', false},
    {"4.0.0.1.2", "label_90", "On", 'd', false},
    {"4.0.1.0.0", "label_106", "Max", 'd', false},
    {"4.0.1.0.2", "label_107", "Min", 'd', false},
    {"4.0.1.2.1", "label_108", "Temperature setpoint", 'c', true},
    {"4.0.1.2.2.1", "label_109", "\xc2\xb0" "C", 'd', false},
    {"4.1.0.0.0", "label_103", "Power state", 'c', false},
    {"4.1.0.0.1.0", "label_104", "Off", 'r', false},
    {"4.1.0.0.1.2", "label_105", "On", 'd', false},
    {"4.1.0.1.1.0", "label_110", "Curent value", 'd', false},
    {"4.1.0.1.1.2", "label_111", "mA", 'd', false},
    {"4.1.0.2.0", "label_112", "Min", 'd', false},
    {"4.1.0.2.2", "label_113", "Max", 'd', false},
    {"4.2.0", "label_114", "Laser state: OFF", 'l', true},
    {"4.2.1", "label_115", "Power state", 'l', true},
    {"4.2.2", "label_116", "Temperature, set: 25.2 \xc2\xb0" "C", 'l', true},
    {"4.2.3.0", "label_133", "Temperature value, read:", 'l', false},
    {"4.2.3.1", "ampl_temp_value", "", 'd', false},
    {"4.2.4", "label_118", "Trigger: internal", 'l', true},
    {"4.2.5", "label_119", "Current value, set:", 'l', true},
    {"4.2.6.0", "label_120", "Cerrent value, read:", 'l', true},
    {"4.2.6.1", "ampl_curr_value", "", 'd', false},
};

struct control_row {
    const char *path;
    const char *class_name;
    const char *name;
    const char *text;
};

const control_row controls_table[] = {
    {"0", "QPushButton", "connect_button", "Connect"},
    {"2.0.0.1.1", "QPushButton", "velmor_tec_on_off_btn", ""},
    {"2.0.1.1", "QProgressBar", "progressBar", nullptr},
    {"2.0.1.2.2.0", "QLineEdit", "lineEdit_2", "25.2"},
    {"2.1.0.0.1.1", "QPushButton", "velmor_on_off_btn", ""},
    {"2.1.0.1.1.1", "QComboBox", "comboBox", nullptr},
    {"2.1.0.1.2", "QPushButton", "velmor_freq_button", "SET"},
    {"2.1.0.2.1", "QSlider", "horizontalSlider", nullptr},
    {"2.1.1.0.1.1", "QSpinBox", "spinBox", nullptr},
    {"2.1.1.0.2.1", "QSpinBox", "spinBox_2", nullptr},
    {"4.0.0.1.1", "QPushButton", "velmor_tec_on_off_btn_2", ""},
    {"4.0.1.1", "QProgressBar", "progressBar_3", nullptr},
    {"4.0.1.2.2.0", "QLineEdit", "lineEdit_5", "25.2"},
    {"4.1.0.0.1.1", "QPushButton", "velmor_on_off_btn_2", ""},
    {"4.1.0.1.1.1", "QDoubleSpinBox", "velmor_current_spin", nullptr},
    {"4.1.0.1.2", "QPushButton", "velmor_current_button", "SET"},
    {"4.1.0.2.1", "QSlider", "velmor_ampl_slider", nullptr},
};

// A box: a widget with its own layout (margins 11, the panel's 0) or a
// nested layout (no margins). Containers other than the two group boxes
// have free names.
struct box_row {
    const char *path;
    const char *widget_class; // null for a nested layout
    const char *name;         // null where the name is free
    const char *layout_class;
    int spacing;
};

const box_row boxes_table[] = {
    {"", "QWidget", "velmor_widget", "QVBoxLayout", 6},
    {"2", "QGroupBox", "velmor_pulse_widget", "QHBoxLayout", 6},
    {"2.0", nullptr, nullptr, "QVBoxLayout", 0},
    {"2.0.0", "QWidget", nullptr, "QVBoxLayout", 6},
    {"2.0.0.1", nullptr, nullptr, "QHBoxLayout", 6},
    {"2.0.1", "QWidget", nullptr, "QHBoxLayout", 6},
    {"2.0.1.0", nullptr, nullptr, "QVBoxLayout", 6},
    {"2.0.1.2", "QWidget", nullptr, "QVBoxLayout", 6},
    {"2.0.1.2.2", nullptr, nullptr, "QHBoxLayout", 6},
    {"2.1", nullptr, nullptr, "QVBoxLayout", 0},
    {"2.1.0", "QWidget", nullptr, "QVBoxLayout", 0},
    {"2.1.0.0", "QWidget", nullptr, "QVBoxLayout", 6},
    {"2.1.0.0.1", nullptr, nullptr, "QHBoxLayout", 6},
    {"2.1.0.1", "QWidget", nullptr, "QHBoxLayout", 6},
    {"2.1.0.1.1", nullptr, nullptr, "QHBoxLayout", 6},
    {"2.1.0.2", "QWidget", nullptr, "QHBoxLayout", 6},
    {"2.1.1", "QWidget", nullptr, "QHBoxLayout", 12},
    {"2.1.1.0", nullptr, nullptr, "QVBoxLayout", 6},
    {"2.1.1.0.1", nullptr, nullptr, "QHBoxLayout", 6},
    {"2.1.1.0.2", nullptr, nullptr, "QHBoxLayout", 6},
    {"2.2", nullptr, nullptr, "QVBoxLayout", 2},
    {"4", "QGroupBox", "velmor_ampl_widget", "QHBoxLayout", 6},
    {"4.0", nullptr, nullptr, "QVBoxLayout", 6},
    {"4.0.0", "QWidget", nullptr, "QVBoxLayout", 6},
    {"4.0.0.1", nullptr, nullptr, "QHBoxLayout", 6},
    {"4.0.1", "QWidget", nullptr, "QHBoxLayout", 6},
    {"4.0.1.0", nullptr, nullptr, "QVBoxLayout", 6},
    {"4.0.1.2", "QWidget", nullptr, "QVBoxLayout", 6},
    {"4.0.1.2.2", nullptr, nullptr, "QHBoxLayout", 6},
    {"4.1", nullptr, nullptr, "QVBoxLayout", 6},
    {"4.1.0", "QWidget", nullptr, "QVBoxLayout", 0},
    {"4.1.0.0", "QWidget", nullptr, "QVBoxLayout", 6},
    {"4.1.0.0.1", nullptr, nullptr, "QHBoxLayout", 6},
    {"4.1.0.1", "QWidget", nullptr, "QHBoxLayout", 6},
    {"4.1.0.1.1", nullptr, nullptr, "QHBoxLayout", 6},
    {"4.1.0.2", "QWidget", nullptr, "QHBoxLayout", 6},
    {"4.2", nullptr, nullptr, "QVBoxLayout", 6},
    {"4.2.3", nullptr, nullptr, "QHBoxLayout", 6},
    {"4.2.6", nullptr, nullptr, "QHBoxLayout", 6},
};

// Vertical spacers 20 x 40, horizontal ones as sized.
struct spacer_row {
    const char *path;
    int width;
    int height;
};

const spacer_row spacers_table[] = {
    {"2.0.1.0.1", 20, 40}, {"2.0.1.2.0", 20, 40}, {"2.0.1.2.3", 20, 40}, {"2.1.0.1.0", 56, 20},
    {"2.1.0.1.3", 55, 20}, {"2.2.7", 20, 40},     {"4.0.1.0.1", 20, 40}, {"4.0.1.2.0", 20, 40},
    {"4.0.1.2.3", 20, 40}, {"4.1.0.1.0", 31, 20}, {"4.1.0.1.3", 31, 20}, {"4.1.1", 20, 40},
    {"4.2.7", 20, 40},
};

} // namespace

class tst_seed_laser_page : public QObject {
    Q_OBJECT

    form_fixture::built_form form;
    QMap<QString, place> tree;

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        form = form_fixture::build();
        walk(form.ui->velmor_widget->layout(), QString(), tree);
        tree[QString()].widget = form.ui->velmor_widget;
    }

    // The panel holds exactly the rows below: nothing more, nothing missing
    // (with the page and the panel, the page's 138 objects).
    void every_place_has_its_row()
    {
        QStringList expected;
        for (const label_row &r : labels_table)
            expected << QLatin1String(r.path);
        for (const control_row &r : controls_table)
            expected << QLatin1String(r.path);
        for (const box_row &r : boxes_table)
            expected << QLatin1String(r.path);
        for (const spacer_row &r : spacers_table)
            expected << QLatin1String(r.path);
        expected.sort();
        expected.removeDuplicates(); // a widget and its own layout share a place
        QStringList found = tree.keys();
        found.sort();
        QCOMPARE(found, expected);
        int objects = 1; // the page
        for (const place &p : qAsConst(tree))
            objects += (p.widget != nullptr) + (p.layout != nullptr) + (p.spacer != nullptr);
        QCOMPARE(objects, 138);
        QCOMPARE(form.ui->velmor_widget->parentWidget(), form.ui->page);
    }

    void labels_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<bool>("wrap");
        for (const label_row &r : labels_table)
            QTest::newRow(r.name) << QString::fromLatin1(r.path) << QString::fromLatin1(r.name)
                                  << QString::fromUtf8(r.text) << alignment_of(r.alignment) << r.wrap;
    }

    void labels()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(int, alignment);
        QFETCH(bool, wrap);
        auto *label = qobject_cast<QLabel *>(tree.value(path).widget);
        QVERIFY2(label, qPrintable(path));
        QCOMPARE(label->objectName(), name);
        QCOMPARE(label->text(), text);
        QCOMPARE(int(label->alignment()), alignment);
        QCOMPARE(label->wordWrap(), wrap);
    }

    void controls_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("class_name");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text"); // null: the control has no text
        for (const control_row &r : controls_table)
            QTest::newRow(r.name) << QString::fromLatin1(r.path) << QString::fromLatin1(r.class_name)
                                  << QString::fromLatin1(r.name) << (r.text ? QString::fromUtf8(r.text) : QString());
    }

    void controls()
    {
        QFETCH(QString, path);
        QFETCH(QString, class_name);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QWidget *w = tree.value(path).widget;
        QVERIFY2(w, qPrintable(path));
        QCOMPARE(QString::fromLatin1(w->metaObject()->className()), class_name);
        QCOMPARE(w->objectName(), name);
        QVERIFY(!tree.value(path).layout);
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            QCOMPARE(button->text(), text);
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            QCOMPARE(edit->text(), text);
    }

    void boxes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("widget_class");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("layout_class");
        QTest::addColumn<int>("spacing");
        for (const box_row &r : boxes_table) {
            const QString path = QString::fromLatin1(r.path);
            QTest::newRow(path.isEmpty() ? "panel" : r.path)
                << path << QString::fromLatin1(r.widget_class) << QString::fromLatin1(r.name)
                << QString::fromLatin1(r.layout_class) << r.spacing;
        }
    }

    void boxes()
    {
        QFETCH(QString, path);
        QFETCH(QString, widget_class);
        QFETCH(QString, name);
        QFETCH(QString, layout_class);
        QFETCH(int, spacing);
        const place p = tree.value(path);
        QVERIFY2(p.layout, qPrintable(path));
        QCOMPARE(QString::fromLatin1(p.layout->metaObject()->className()), layout_class);
        QCOMPARE(p.layout->spacing(), spacing);
        if (widget_class.isEmpty()) {
            QVERIFY(!p.widget);
            QCOMPARE(p.layout->contentsMargins(), QMargins(0, 0, 0, 0));
            return;
        }
        QVERIFY(p.widget);
        QCOMPARE(p.widget->layout(), p.layout);
        QCOMPARE(QString::fromLatin1(p.widget->metaObject()->className()), widget_class);
        if (!name.isEmpty())
            QCOMPARE(p.widget->objectName(), name);
        const int margin = path.isEmpty() ? 0 : 11;
        QCOMPARE(p.layout->contentsMargins(), QMargins(margin, margin, margin, margin));
    }

    void spacers_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        for (const spacer_row &r : spacers_table)
            QTest::newRow(r.path) << QString::fromLatin1(r.path) << QSize(r.width, r.height);
    }

    void spacers()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        QSpacerItem *s = tree.value(path).spacer;
        QVERIFY2(s, qPrintable(path));
        QCOMPARE(s->sizeHint(), size);
        const bool vertical = size == QSize(20, 40);
        QCOMPARE(s->sizePolicy().horizontalPolicy(), vertical ? QSizePolicy::Minimum : QSizePolicy::Expanding);
        QCOMPARE(s->sizePolicy().verticalPolicy(), vertical ? QSizePolicy::Expanding : QSizePolicy::Minimum);
    }
};

QTEST_MAIN(tst_seed_laser_page)
#include "tst_seed_laser_page.moc"
