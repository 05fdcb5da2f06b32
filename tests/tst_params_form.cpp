// The parameters window's form: its objects in creation order with class and
// parent, the settings of each parameter row, texts, the CAN group's style
// sheet, the window's modality, size and icon, the by-name connections and
// the margins uic would otherwise pick for the layouts.

#include <QtTest>

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include "app/resources.h"
#include "form_walk.h"
#include "params/laser_params.h"
#include "support/log_capture.h"

namespace {

struct param_row
{
    const char *group, *layout, *caption, *line, *value, *spin, *button;
    const char *text;
    int decimals;
    double minimum, maximum, step;
};

// In the window's order (the TEC check box stands between beta and TEC current).
const param_row rows[] = {
    {"cur_max_group", "horizontalLayout_13", "label_5", "line_4", "cur_max_label", "cur_max_spin", "cur_max_set_but", "Max current, mA", 1, 0, 1e6, 0.1},
    {"cur_min_group", "horizontalLayout_14", "label_6", "line_5", "cur_min_label", "cur_min_spin", "cur_min_set_but", "Min current, mA", 1, 0, 1e6, 0.1},
    {"vol_max_group", "horizontalLayout_15", "label_7", "line_6", "vol_max_label", "vol_max_spin", "vol_max_set_but", "Max voltage, V", 1, 0, 1e6, 0.1},
    {"vol_min_group", "horizontalLayout_16", "label_8", "line_7", "vol_min_label", "vol_min_spin", "vol_min_set_but", "Min voltage, V", 1, 0, 1e6, 0.1},
    {"temp_min_group", "horizontalLayout_17", "label_9", "line_8", "temp_min_label", "temp_min_spin", "temp_min_set_but", "Min temperature, \u00b0C", 1, 0, 1e6, 0.1},
    {"temp_max_group", "horizontalLayout_18", "label_10", "line_9", "temp_max_label", "temp_max_spin", "temp_max_set_but", "Max temperature, \u00b0C", 1, 0, 1e6, 0.1},
    {"res_group", "horizontalLayout", "label_2", "line_2", "res_read_label", "res_set_spin", "res_set_but", "Resistance at 25 \u00b0C", 0, 0, 1e6, 1},
    {"beta_group", "horizontalLayout_2", "label", "line", "beta_label", "beta_set_spin", "bet_set_but", "Thermistor beta", 0, 0, 1e6, 1},
    {"max_tec_curr_group", "horizontalLayout_19", "label_13", "line_11", "max_tec_curr_label", "max_tec_curr_spin", "max_tec_curr_set_but", "Max TEC current, A", 1, 0.2, 4.0, 0.1},
    {"mon_group", "horizontalLayout_12", "label_3", "line_3", "mon_label", "mon_set_spin", "mon_set_but", "Monitor responsivity, uA/mW", 2, 0, 1e6, 0.1},
};
const param_row can_row = {"can_group", "horizontalLayout_4", "label_11", "line_10", "can_read_label", "can_set_spin", "can_set_but", "CAN ID", 0, 0, 1e6, 1};

struct expected_object
{
    QString class_name, name, parent;
};

// The 89 objects in creation order, the row template repeated.
QVector<expected_object> expected_objects()
{
    QVector<expected_object> out;
    auto add = [&](const char *class_name, const char *name, const char *parent) {
        out.append({QLatin1String(class_name), QLatin1String(name), QLatin1String(parent)});
    };
    const char *head[][3] = {{"QWidget", "centralwidget", "laser_params"}, {"QVBoxLayout", "verticalLayout_2", "centralwidget"},
                             {"QLabel", "label_4", "centralwidget"},       {"QLabel", "label_31", "centralwidget"},
                             {"QGroupBox", "can_group", "centralwidget"},  {"QVBoxLayout", "verticalLayout", "can_group"},
                             {"QLabel", "label_12", "can_group"},          {"QHBoxLayout", "horizontalLayout_4", "verticalLayout"}};
    for (auto &h : head)
        add(h[0], h[1], h[2]);
    auto row_widgets = [&](const param_row &r, const char *parent) {
        add("QLabel", r.caption, parent);
        add("QFrame", r.line, parent);
        add("QLabel", r.value, parent);
        add("QDoubleSpinBox", r.spin, parent);
        add("QPushButton", r.button, parent);
    };
    row_widgets(can_row, "can_group");
    for (const param_row &r : rows) {
        if (qstrcmp(r.group, "max_tec_curr_group") == 0)
            add("QCheckBox", "TEC_checkbox", "centralwidget");
        add("QGroupBox", r.group, "centralwidget");
        add("QHBoxLayout", r.layout, r.group);
        row_widgets(r, r.group);
    }
    const char *tail[][3] = {{"QSpacerItem", "", ""}, {"QWidget", "widget", "centralwidget"}, {"QHBoxLayout", "horizontalLayout_3", "widget"},
                             {"QPushButton", "save_btn", "widget"}, {"QPushButton", "write_button", "widget"}};
    for (auto &t : tail)
        add(t[0], t[1], t[2]);
    return out;
}

template <typename T>
T *find(QObject *root, const char *name)
{
    return root->findChild<T *>(QLatin1String(name));
}

} // namespace

class tst_params_form : public QObject
{
    Q_OBJECT

    laser_params *window = nullptr;
    QStringList setup_log;

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        log_capture log;
        window = new laser_params;
        setup_log = log.messages();
    }

    void cleanupTestCase() { delete window; }

    void objects_in_creation_order()
    {
        const QVector<form_walk::form_object> walked = form_walk::walk(window);
        const QVector<expected_object> expected = expected_objects();
        QCOMPARE(expected.size(), 89);
        QCOMPARE(walked.size(), expected.size());
        for (int k = 0; k < walked.size(); ++k) {
            const form_walk::form_object &o = walked.at(k);
            const QString where = QStringLiteral("object %1 (%2)").arg(k).arg(expected.at(k).name);
            QVERIFY2(o.class_name == expected.at(k).class_name, qPrintable(where + ": " + o.class_name));
            if (o.spacer) {
                QCOMPARE(o.spacer->sizeHint(), QSize(20, 21));
                QCOMPARE(o.spacer->expandingDirections(), Qt::Vertical);
                continue;
            }
            QVERIFY2(o.name == expected.at(k).name, qPrintable(where + ": " + o.name));
            QVERIFY2(o.object->parent()->objectName() == expected.at(k).parent, qPrintable(where));
        }
    }

    void parameter_rows_data()
    {
        QTest::addColumn<int>("row");
        QTest::newRow("CAN ID") << -1;
        for (int i = 0; i < int(std::size(rows)); ++i)
            QTest::newRow(rows[i].group) << i;
    }

    void parameter_rows()
    {
        QFETCH(int, row);
        const param_row &r = row < 0 ? can_row : rows[row];
        auto *caption = find<QLabel>(window, r.caption);
        QCOMPARE(caption->text(), QString::fromUtf8(r.text));
        QVERIFY(caption->font().bold());
        QCOMPARE(caption->maximumWidth(), row < 0 ? 170 : 200);
        QCOMPARE(find<QFrame>(window, r.line)->frameShape(), QFrame::VLine);
        QCOMPARE(find<QLabel>(window, r.value)->text(), QStringLiteral("0"));
        auto *spin = find<QDoubleSpinBox>(window, r.spin);
        QCOMPARE(spin->decimals(), r.decimals);
        QCOMPARE(spin->minimum(), r.minimum);
        QCOMPARE(spin->maximum(), r.maximum);
        QCOMPARE(spin->singleStep(), r.step);
        QCOMPARE(spin->value(), r.minimum);
        QCOMPARE(spin->maximumSize(), QSize(120, 20));
        QCOMPARE(find<QPushButton>(window, r.button)->text(), QStringLiteral("SET"));
        if (row >= 0) {
            QVERIFY(find<QGroupBox>(window, r.group)->styleSheet().isEmpty());
            // Row layouts: no left margin, the style's own elsewhere.
            const QMargins m = find<QLayout>(window, r.layout)->contentsMargins();
            QCOMPARE(m.left(), 0);
            QVERIFY(m.top() > 0 && m.right() > 0 && m.bottom() > 0);
        }
    }

    void texts()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("laser configuration"));
        QCOMPARE(find<QLabel>(window, "label_4")->text(), QStringLiteral("NS Laser parameters"));
        QCOMPARE(find<QLabel>(window, "label_4")->font().pointSize(), 14);
        QVERIFY(find<QLabel>(window, "label_4")->font().bold());
        QCOMPARE(find<QLabel>(window, "label_31")->text(),
                 QStringLiteral("To be able to configure device CAN ID in the device parameters window please make sure, "
                                "that your PC is connected directly to driver board via mini-USB cable, and \"mini USB "
                                "mode\" is set in Settings tab."));
        QVERIFY(find<QLabel>(window, "label_31")->wordWrap());
        QCOMPARE(find<QLabel>(window, "label_12")->text(), QStringLiteral("Device reset is needed after CAN ID is changed"));
        auto *tec = find<QCheckBox>(window, "TEC_checkbox");
        QCOMPARE(tec->text(), QStringLiteral("laser with TEC"));
        QVERIFY(tec->font().bold());
        QVERIFY(!tec->isChecked());
        QCOMPARE(find<QPushButton>(window, "save_btn")->text(), QStringLiteral("Save"));
        QCOMPARE(find<QPushButton>(window, "write_button")->text(), QStringLiteral("Close"));
    }

    void can_group_style_sheet()
    {
        const QString sheet = find<QGroupBox>(window, "can_group")->styleSheet();
        QCOMPARE(sheet, QStringLiteral("QGroupBox {\n    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1,\n")
                            + QString(38, QLatin1Char(' '))
                            + QStringLiteral("stop: 0 #ffffff, stop: 1 #FFFFFF);\n    border: 1px solid gray;\n"
                                             "    margin-top: 1ex; /* leave space at the top for the title */\n}"));
        QCOMPARE(sheet.size(), 244);
        QCOMPARE(find<QGroupBox>(window, "can_group")->minimumSize(), QSize(539, 67));
    }

    void window_settings()
    {
        QCOMPARE(window->objectName(), QStringLiteral("laser_params"));
        QCOMPARE(window->windowModality(), Qt::ApplicationModal);
        QCOMPARE(window->size(), QSize(557, 724));
        const QImage want = QIcon(QStringLiteral(":/images/images/conf_icon.png")).pixmap(32).toImage();
        QVERIFY(!want.isNull());
        QCOMPARE(window->windowIcon().pixmap(32).toImage(), want);
        QVERIFY(!window->isVisible());
    }

    // Every on_<object>_<signal> slot found its object.
    void connections_by_name()
    {
        for (const QString &line : setup_log)
            QVERIFY2(!line.contains(QLatin1String("No matching signal")), qPrintable(line));
        QSignalSpy hided(window, &laser_params::sig_laser_conf_dialog_is_hided);
        window->show();
        find<QPushButton>(window, "write_button")->click();
        QCOMPARE(hided.count(), 1);
        QVERIFY(!window->isVisible());
    }

    // uic gives a layout on a plain widget zero margins unless told otherwise;
    // the button row keeps the style's own, as a fresh layout has them.
    void button_row_margins()
    {
        QWidget plain(find<QWidget>(window, "centralwidget"));
        auto *fresh = new QHBoxLayout(&plain);
        QCOMPARE(find<QLayout>(window, "horizontalLayout_3")->contentsMargins(), fresh->contentsMargins());
        QVERIFY(fresh->contentsMargins().left() > 0);
    }

    // Typed out of range and confirmed (Enter or leaving the box): the
    // nearest value in range, not the one before.
    void typed_values_clamped_data()
    {
        QTest::addColumn<QString>("spin");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter"); // else the box loses the focus
        QTest::addColumn<double>("value");
        QTest::newRow("TEC current 5, maximum 4.0") << "max_tec_curr_spin" << "5" << true << 4.0;
        QTest::newRow("TEC current 0.1, minimum 0.2") << "max_tec_curr_spin" << "0.1" << true << 0.2;
        QTest::newRow("TEC current 0, focus out") << "max_tec_curr_spin" << "0" << false << 0.2;
        QTest::newRow("TEC current 12.5, focus out") << "max_tec_curr_spin" << "12.5" << false << 4.0;
        QTest::newRow("max current 2000000") << "cur_max_spin" << "2000000" << true << 1e6;
        QTest::newRow("responsivity 2000000.5") << "mon_set_spin" << "2000000.5" << true << 1e6;
        QTest::newRow("in range stays") << "max_tec_curr_spin" << "2.5" << true << 2.5;
        QTest::newRow("not a number: the value before") << "max_tec_curr_spin" << "x" << true << 1.5;
        QTest::newRow("a third decimal is not taken") << "max_tec_curr_spin" << "1.25" << true << 1.2;
        QTest::newRow("negative temperature limit") << "temp_min_spin" << "-5" << true << 0.0;
    }

    void typed_values_clamped()
    {
        QFETCH(QString, spin);
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(double, value);
        window->show();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        auto *box = find<QDoubleSpinBox>(window, qPrintable(spin));
        box->setValue(1.5);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, typed);
        if (enter)
            QTest::keyClick(box, Qt::Key_Return);
        else
            find<QPushButton>(window, "write_button")->setFocus();
        QCOMPARE(box->value(), value);
        QCOMPARE(box->text(), box->textFromValue(value));
    }
};

QTEST_MAIN(tst_params_form)
#include "tst_params_form.moc"
