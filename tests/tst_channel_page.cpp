// The channel page as the form builds it, on all ten pages: spin-box
// ranges and steps, bars, sizes, focus, style sheets and fonts on exactly
// the objects meant, layout spacing and margins, items and the page's texts.

#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QtTest>

#include "app/resources.h"
#include "channel_page_tables.h"
#include "form_walk.h"
#include "forms/main_form.h"
#include "forms/mainwindow_form.h"

using form_walk::form_object;

Q_DECLARE_METATYPE(QMargins)

namespace {

const char *const s5 =
    "QPushButton {\n\tborder-image: url(:/images/images/switch_btn_off_80x25.png);\n}\n\n"
    "QPushButton::hover {\n\tborder-image: url(:/images/images/switch_btn_off_hover_80x25.png);\n}\n\n"
    "QPushButton::checked  {\t\n\tborder-image: url(:/images/images/switch_btn_on_108x25.png);\n}\n\n"
    "QPushButton::hover:checked  {\t\n\tborder-image: url(:/images/images/switch_btn_on_hover_108x25.png);\n}\n\n"
    "QPushButton::checked:disabled  {\t\n\tborder-image: url(:/images/images/switch_btn_on_disabled_108x25.png);\n}\n\n"
    "QPushButton::disabled  {\n\tborder-image: url(:/images/images/switch_btn_off_disabled_108x25.png);\n}";
const char *const s9 = "background: rgb(255,255,255)";
const char *const s13 =
    "QPushButton\n{\n\ttext-align: left;\n}\n\nQPushButton:hover\n{\n\ttext-align: left;\n\tcolor: rgb(170, 0, 0);\n}\n";
const char *const s14 =
    "QPushButton {\n\t\n\tborder-image: url(:/images/images/round_button_switch.png);\n}\n\n"
    "QPushButton::hover {\n\tborder-image: url(:/images/images/round_button_switch_hover.png);\n}\n\n"
    "QPushButton::checked  {\t\n\tborder-image: url(:/images/images/round_button_switch_on.png);\n}\n\n"
    "QPushButton::hover:checked  {\t\n\tborder-image: url(:/images/images/round_button_switch_on_hover.png);\n}\n\n"
    "QPushButton::checked:disabled  {\t\n\tborder-image: url(:/images/images/round_button_switch_on_disabled.png);\n}\n\n"
    "QPushButton::disabled  {\n\tborder-image: url(:/images/images/round_button_switch_disabled.png);\n}";
const char *const s15 =
    "QGroupBox {\n    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1,\n"
    "                                      stop: 0 #ffffff, stop: 1 #FFFFFF);\n"
    "    border: 1px solid gray;\n    margin-top: 1ex; /* leave space at the top for the title */\n}\n";

const char *const spin_names[] = {"curr_spin", "temp_spin", "cw_freq_spin", "cw_width_spin", "volt_spin",
                                  "pulse_temp_spin", "freq_spin", "dura_spin", "pulse_gated_spin",
                                  "pulse_cutted_spin"};

struct font_spec {
    int point_size;
    bool bold;
    bool underline;
};

constexpr int unbounded = QWIDGETSIZE_MAX;

} // namespace

class tst_channel_page : public QObject {
    Q_OBJECT

    QMainWindow *window = nullptr;
    Ui_MainWindow *ui = nullptr;
    QVector<QVector<form_object>> pages; // the ten pages, each in creation order
    QHash<QString, int> place;           // channel-1 name -> place in a page

    QWidget *page_widget(int channel) const
    {
        QWidget *p[channel_pages::channel_count] = {
            ui->laser_widget, ui->laser_widget_2, ui->laser_widget_3, ui->laser_widget_4,
            ui->laser_widget_5, ui->laser_widget_6, ui->laser_widget_7, ui->laser_widget_8,
            ui->laser_widget_9, ui->laser_widget_10};
        return p[channel - 1];
    }

    // The object of `channel` at the place of `name` on page one.
    template <typename T>
    T *at(int channel, const QString &name) const
    {
        const int k = place.value(name, -1);
        if (k < 0)
            return nullptr;
        return qobject_cast<T *>(pages.at(channel - 1).at(k).object);
    }

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        window = new QMainWindow;
        ui = new Ui_MainWindow;
        build_main_form(ui, window);
        for (int n = 1; n <= channel_pages::channel_count; ++n)
            pages.append(form_walk::walk_widget(page_widget(n)));
        for (int k = 0; k < pages.first().size(); ++k) {
            if (!pages.first().at(k).name.isEmpty())
                place.insert(pages.first().at(k).name, k);
        }
    }

    void cleanupTestCase()
    {
        delete ui;
        delete window;
    }

    void page_sizes()
    {
        for (const QVector<form_object> &p : pages)
            QCOMPARE(p.size(), channel_pages::objects_per_page);
        // the page's last object is its separator line
        QCOMPARE(pages.first().last().name, QStringLiteral("line"));
    }

    void spin_boxes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("value");
        QTest::addColumn<QSize>("min_size");
        QTest::addColumn<QSize>("max_size");
        QTest::addColumn<int>("stretch");
        QTest::newRow("curr_spin") << "curr_spin" << 1 << 0.0 << 2000.0 << 0.1 << 0.0 << QSize(77, 24) << QSize(unbounded, 24) << 100;
        QTest::newRow("temp_spin") << "temp_spin" << 1 << 15.0 << 35.0 << 0.1 << 25.0 << QSize(67, 24) << QSize(unbounded, 24) << 100;
        QTest::newRow("cw_freq_spin") << "cw_freq_spin" << 1 << 0.0 << 3000.0 << 1.0 << 0.0 << QSize(77, 24) << QSize(unbounded, 24) << 100;
        QTest::newRow("cw_width_spin") << "cw_width_spin" << 1 << 150.0 << 10000.0 << 1.0 << 150.0 << QSize(67, 24) << QSize(unbounded, 24) << 100;
        QTest::newRow("volt_spin") << "volt_spin" << 1 << 0.0 << 2000.0 << 0.1 << 0.0 << QSize(100, 24) << QSize(unbounded, 24) << 100;
        QTest::newRow("pulse_temp_spin") << "pulse_temp_spin" << 1 << 15.0 << 35.0 << 0.1 << 25.0 << QSize(67, 24) << QSize(unbounded, 24) << 100;
        QTest::newRow("freq_spin") << "freq_spin" << 0 << 1.0 << 30000000.0 << 1.0 << 1.0 << QSize(90, 24) << QSize(90, 24) << 0;
        QTest::newRow("dura_spin") << "dura_spin" << 1 << 1.0 << 6500.0 << 1.0 << 1.0 << QSize(0, 24) << QSize(unbounded, 24) << 0;
        QTest::newRow("pulse_gated_spin") << "pulse_gated_spin" << 0 << 1.0 << 1000.0 << 1.0 << 1.0 << QSize(70, 24) << QSize(70, 24) << 0;
        QTest::newRow("pulse_cutted_spin") << "pulse_cutted_spin" << 0 << 1.0 << 1000.0 << 1.0 << 1.0 << QSize(70, 24) << QSize(70, 24) << 0;
    }

    void spin_boxes()
    {
        QFETCH(QString, name);
        QFETCH(int, decimals);
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        QFETCH(double, step);
        QFETCH(double, value);
        QFETCH(QSize, min_size);
        QFETCH(QSize, max_size);
        QFETCH(int, stretch);
        for (int n = 1; n <= channel_pages::channel_count; ++n) {
            auto *spin = at<QDoubleSpinBox>(n, name);
            QVERIFY(spin);
            QCOMPARE(spin->decimals(), decimals);
            QCOMPARE(spin->minimum(), minimum);
            QCOMPARE(spin->maximum(), maximum);
            QCOMPARE(spin->singleStep(), step);
            QCOMPARE(spin->value(), value);
            QCOMPARE(spin->minimumSize(), min_size);
            QCOMPARE(spin->maximumSize(), max_size);
            QCOMPARE(spin->sizePolicy().horizontalStretch(), stretch);
            QCOMPARE(spin->focusPolicy(), Qt::ClickFocus);
            QVERIFY(spin->keyboardTracking());
            QVERIFY(!spin->wrapping());
            QVERIFY(spin->prefix().isEmpty() && spin->suffix().isEmpty());
            // a value beyond the range is held at its ends
            spin->setValue(maximum + 1000.0);
            QCOMPARE(spin->value(), maximum);
            spin->setValue(minimum - 1000.0);
            QCOMPARE(spin->value(), minimum);
            spin->setValue(value);
        }
    }

    void bars_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("min_size");
        QTest::addColumn<QSize>("max_size");
        const QSize h_min(0, 24);
        const QSize h_max(unbounded, 24);
        for (const char *bar : {"curr_indicator", "temp_indicator", "cw_freq_indicator", "cw_width_indicator",
                                "volt_indicator", "pulse_temp_indicator"})
            QTest::newRow(bar) << bar << int(Qt::Horizontal) << h_min << h_max;
        QTest::newRow("freq_indicator") << "freq_indicator" << int(Qt::Vertical) << QSize(21, 0) << QSize(21, unbounded);
        QTest::newRow("dura_indicator") << "dura_indicator" << int(Qt::Vertical) << QSize(21, 0) << QSize(21, unbounded);
    }

    void bars()
    {
        QFETCH(QString, name);
        QFETCH(int, orientation);
        QFETCH(QSize, min_size);
        QFETCH(QSize, max_size);
        for (int n = 1; n <= channel_pages::channel_count; ++n) {
            auto *bar = at<QProgressBar>(n, name);
            QVERIFY(bar);
            QCOMPARE(int(bar->orientation()), orientation);
            QCOMPARE(bar->minimum(), 0);
            QCOMPARE(bar->maximum(), 100);
            QCOMPARE(bar->value(), 24);
            QVERIFY(!bar->isTextVisible());
            // horizontal bars get an empty format from the text pass
            QCOMPARE(bar->format(), orientation == Qt::Horizontal ? QString() : QStringLiteral("%p%"));
            QCOMPARE(bar->minimumSize(), min_size);
            QCOMPARE(bar->maximumSize(), max_size);
            QVERIFY(bar->styleSheet().isEmpty());
        }
    }

    void sizes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("min_size");
        QTest::addColumn<QSize>("max_size");
        const QSize none(0, 0);
        const QSize free(unbounded, unbounded);
        QTest::newRow("laser_tab_button") << "laser_tab_button" << QSize(0, 29) << free;
        QTest::newRow("alt_but_widget") << "alt_but_widget" << none << QSize(83, unbounded);
        QTest::newRow("label_21") << "label_21" << QSize(0, 25) << QSize(20, 25);
        QTest::newRow("start_stop_button_alt") << "start_stop_button_alt" << QSize(36, 24) << QSize(36, 24);
        QTest::newRow("label_19") << "label_19" << QSize(0, 25) << QSize(20, 25);
        QTest::newRow("config_button") << "config_button" << QSize(29, 29) << QSize(29, 29);
        QTest::newRow("cw_widget") << "cw_widget" << none << QSize(unbounded, 290);
        QTest::newRow("label_17") << "label_17" << QSize(0, 25) << QSize(unbounded, 25);
        QTest::newRow("cw_on_off_button") << "cw_on_off_button" << QSize(75, 25) << QSize(75, 25);
        QTest::newRow("label_18") << "label_18" << QSize(0, 25) << QSize(unbounded, 25);
        QTest::newRow("label_364") << "label_364" << QSize(0, 20) << QSize(unbounded, 20);
        QTest::newRow("step_size_combo") << "step_size_combo" << QSize(69, 20) << QSize(69, 20);
        QTest::newRow("label_10") << "label_10" << QSize(0, 32) << free;
        QTest::newRow("ps_ns_widget") << "ps_ns_widget" << none << QSize(unbounded, 280);
        QTest::newRow("label_37") << "label_37" << QSize(0, 25) << QSize(unbounded, 25);
        QTest::newRow("ps_ns_on_off_butt") << "ps_ns_on_off_butt" << QSize(75, 25) << QSize(75, 25);
        QTest::newRow("label_38") << "label_38" << QSize(0, 25) << QSize(unbounded, 25);
        QTest::newRow("freq_widget") << "freq_widget" << none << QSize(149, unbounded);
        QTest::newRow("rr_max_label") << "rr_max_label" << QSize(40, 0) << QSize(50, unbounded);
        QTest::newRow("freq_range_combo") << "freq_range_combo" << QSize(90, 0) << QSize(90, unbounded);
        QTest::newRow("freq_combo") << "freq_combo" << QSize(90, 29) << QSize(90, 29);
        QTest::newRow("dura_widget") << "dura_widget" << none << QSize(120, unbounded);
        QTest::newRow("mode_combo") << "mode_combo" << QSize(0, 29) << free;
        QTest::newRow("label_97") << "label_97" << QSize(210, 65) << QSize(210, 65);
        QTest::newRow("label_8") << "label_8" << QSize(0, 32) << free;
        for (const char *t : {"label_6", "label_11", "label_13", "power_title", "input_volt_title", "cw_freq_title",
                              "cw_width_title", "cw_mode_title", "fail_title", "label_9", "label_58", "label_59",
                              "label_60", "dura_text", "label_62", "label_63", "label_64"})
            QTest::newRow(t) << t << QSize(140, 0) << QSize(140, unbounded);
        for (const char *v : {"power_state_label", "curr_label", "temp_label", "power_label", "input_volt_label",
                              "cw_freq_label", "cw_width_label", "cw_mode_label", "pulse_power_state_label",
                              "pulse_volt_label", "pulse_temp_label", "freq_label", "dura_label", "N_label",
                              "M_label", "mode_label"})
            QTest::newRow(v) << v << QSize(110, 0) << QSize(110, unbounded);
    }

    void sizes()
    {
        QFETCH(QString, name);
        QFETCH(QSize, min_size);
        QFETCH(QSize, max_size);
        for (int n = 1; n <= channel_pages::channel_count; ++n) {
            auto *w = at<QWidget>(n, name);
            QVERIFY(w);
            QCOMPARE(w->minimumSize(), min_size);
            QCOMPARE(w->maximumSize(), max_size);
        }
    }

    // Style sheets byte for byte, on exactly these objects of every page.
    void style_sheets()
    {
        QHash<QString, QString> sheets;
        sheets.insert(QStringLiteral("laser_tab_button"), QString::fromUtf8(s13));
        sheets.insert(QStringLiteral("start_stop_button_alt"), QString::fromUtf8(s14));
        sheets.insert(QStringLiteral("laser_group_box"), QString::fromUtf8(s15));
        sheets.insert(QStringLiteral("cw_on_off_button"), QString::fromUtf8(s5));
        sheets.insert(QStringLiteral("ps_ns_on_off_butt"), QString::fromUtf8(s5));
        for (const char *spin : spin_names)
            sheets.insert(QString::fromLatin1(spin), QString::fromUtf8(s9));
        for (int n = 1; n <= channel_pages::channel_count; ++n) {
            int styled = 0;
            for (int k = 0; k < channel_pages::objects_per_page; ++k) {
                auto *w = qobject_cast<QWidget *>(pages.at(n - 1).at(k).object);
                if (!w)
                    continue;
                const QString one = pages.first().at(k).name;
                QCOMPARE(w->styleSheet(), sheets.value(one));
                styled += !w->styleSheet().isEmpty();
            }
            QCOMPARE(styled, 15);
        }
        // two colons before the pseudo-states and two blanks before the braces stay
        QVERIFY(QString::fromUtf8(s5).contains(QLatin1String("QPushButton::hover:checked  {\t\n")));
    }

    // Fonts on exactly these objects; all others inherit.
    void fonts()
    {
        QHash<QString, font_spec> fonts;
        for (const char *f2 : {"label_4", "label_151", "label_22", "label_364", "label_23", "label_35", "label_40",
                               "label_6", "label_11", "label_13", "label_5", "label_39", "label_42", "label_9",
                               "label_58", "label_59", "label_60", "label_62", "label_63", "label_64",
                               "power_title", "input_volt_title", "cw_freq_title", "cw_width_title",
                               "cw_mode_title", "fail_title", "dura_text", "cw_mode_combo", "step_size_combo",
                               "mode_combo"})
            fonts.insert(QString::fromLatin1(f2), {12, false, false});
        fonts.insert(QStringLiteral("laser_tab_button"), {12, true, false});
        for (const char *f4 : {"start_stop_button_alt", "cw_on_off_button", "ps_ns_on_off_butt", "label_16",
                               "label_117", "label_134"})
            fonts.insert(QString::fromLatin1(f4), {10, false, false});
        fonts.insert(QStringLiteral("laser_name_label"), {14, true, false});
        for (const char *spin : spin_names)
            fonts.insert(QString::fromLatin1(spin), {16, false, false});
        fonts.insert(QStringLiteral("freq_combo"), {16, false, false});
        fonts.insert(QStringLiteral("label_10"), {12, true, true});
        fonts.insert(QStringLiteral("label_8"), {12, true, true});
        for (const char *f8 : {"power_state_label", "curr_label", "temp_label", "power_label", "input_volt_label",
                               "cw_freq_label", "cw_width_label", "cw_mode_label", "pulse_power_state_label",
                               "pulse_volt_label", "pulse_temp_label", "freq_label", "dura_label", "N_label",
                               "M_label", "mode_label"})
            fonts.insert(QString::fromLatin1(f8), {12, true, false});
        QCOMPARE(fonts.size(), 30 + 1 + 6 + 1 + 11 + 2 + 16);
        for (int n = 1; n <= channel_pages::channel_count; ++n) {
            for (int k = 0; k < channel_pages::objects_per_page; ++k) {
                auto *w = qobject_cast<QWidget *>(pages.at(n - 1).at(k).object);
                if (!w)
                    continue;
                const QString one = pages.first().at(k).name;
                const bool own = w->testAttribute(Qt::WA_SetFont);
                QVERIFY2(own == fonts.contains(one), qPrintable(one));
                if (!own)
                    continue;
                const font_spec want = fonts.value(one);
                const QFont f = w->font();
                QVERIFY2(f.pointSize() == want.point_size, qPrintable(one));
                QVERIFY2(f.bold() == want.bold && (!want.bold || f.weight() == 75), qPrintable(one));
                QVERIFY2(f.underline() == want.underline, qPrintable(one));
                QVERIFY2(!f.italic(), qPrintable(one));
                QVERIFY2(!(f.resolve() & QFont::FamilyResolved), qPrintable(one + QStringLiteral(": family set")));
            }
        }
    }

    void focus_and_switches()
    {
        for (int n = 1; n <= channel_pages::channel_count; ++n) {
            for (const char *b : {"laser_tab_button", "start_stop_button_alt", "config_button", "cw_on_off_button",
                                  "ps_ns_on_off_butt"})
                QCOMPARE(at<QWidget>(n, QString::fromLatin1(b))->focusPolicy(), Qt::NoFocus);
            for (const char *sw : {"start_stop_button_alt", "cw_on_off_button", "ps_ns_on_off_butt"}) {
                auto *button = at<QPushButton>(n, QString::fromLatin1(sw));
                QVERIFY(button->isCheckable());
                QVERIFY(!button->isChecked());
                QVERIFY(button->text().isEmpty());
            }
            auto *tab = at<QPushButton>(n, QStringLiteral("laser_tab_button"));
            QVERIFY(tab->isFlat());
            QVERIFY(!tab->isCheckable());
            QCOMPARE(tab->cursor().shape(), Qt::PointingHandCursor);
            QCOMPARE(tab->text(), QStringLiteral("LASER1"));
            auto *conf = at<QPushButton>(n, QStringLiteral("config_button"));
            QCOMPARE(conf->iconSize(), QSize(20, 20));
            QCOMPARE(conf->sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);
            QCOMPARE(conf->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
            for (const char *plain : {"fail_butt", "err_clr_butt"}) {
                auto *button = at<QPushButton>(n, QString::fromLatin1(plain));
                QVERIFY(!button->isFlat() && !button->isCheckable() && !button->isDefault() && !button->autoDefault());
                QCOMPARE(button->focusPolicy(), Qt::StrongFocus);
            }
            QCOMPARE(at<QGroupBox>(n, QStringLiteral("laser_group_box"))->title(), QString());
            QVERIFY(!at<QGroupBox>(n, QStringLiteral("laser_group_box"))->autoFillBackground());
        }
    }

    void combo_items()
    {
        for (int n = 1; n <= channel_pages::channel_count; ++n) {
            auto *range = at<QComboBox>(n, QStringLiteral("freq_range_combo"));
            QCOMPARE(range->count(), 3);
            QCOMPARE(range->itemText(0), QStringLiteral("Hz"));
            QCOMPARE(range->itemText(1), QStringLiteral("kHz"));
            QCOMPARE(range->itemText(2), QStringLiteral("MHz"));
            QCOMPARE(range->currentIndex(), 0);
            QVERIFY(!range->isEditable());
            for (const char *empty : {"cw_mode_combo", "step_size_combo", "freq_combo", "mode_combo"}) {
                auto *combo = at<QComboBox>(n, QString::fromLatin1(empty));
                QCOMPARE(combo->count(), 0);
                QVERIFY(!combo->isEditable());
            }
        }
    }

    // Layouts by the widget whose own layout they are, or by their place.
    void layouts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<QMargins>("margins"); // -1: the style's layout margin
        const QMargins style_sides(-1, 3, -1, 3);
        const QMargins block(9, 3, -1, 3);
        const QMargins eleven(11, 11, 11, 11);
        const QMargins none(0, 0, 0, 0);
        QTest::newRow("laser_widget") << "laser_widget" << 0 << QMargins(9, 0, 9, 9);
        QTest::newRow("alt_but_widget") << "alt_but_widget" << 6 << none;
        QTest::newRow("laser_group_box") << "laser_group_box" << 6 << eleven;
        QTest::newRow("cw_widget") << "cw_widget" << 6 << eleven;
        QTest::newRow("cw_on_off_widget") << "cw_on_off_widget" << 3 << style_sides;
        QTest::newRow("cw_mode_widget") << "cw_mode_widget" << 6 << QMargins(0, -1, 0, -1);
        QTest::newRow("cw_curr_widget") << "cw_curr_widget" << 3 << block;
        QTest::newRow("cw_temp_widget") << "cw_temp_widget" << 3 << block;
        QTest::newRow("qcw_header_widget") << "qcw_header_widget" << 6 << none;
        QTest::newRow("cw_freq_widget") << "cw_freq_widget" << 3 << block;
        QTest::newRow("cw_width_widget") << "cw_width_widget" << 3 << block;
        QTest::newRow("ps_ns_widget") << "ps_ns_widget" << 6 << eleven;
        QTest::newRow("ps_ns_on_off_widget") << "ps_ns_on_off_widget" << 3 << style_sides;
        QTest::newRow("volt_widget") << "volt_widget" << 3 << block;
        QTest::newRow("pulse_temp_widget") << "pulse_temp_widget" << 3 << block;
        QTest::newRow("freq_widget") << "freq_widget" << 6 << eleven;
        QTest::newRow("dura_widget") << "dura_widget" << 6 << eleven;
        QTest::newRow("upper control row") << "horizontalLayout_3" << 10 << none;
        QTest::newRow("lower control row") << "horizontalLayout_4" << 10 << none;
        QTest::newRow("pulsed read-outs") << "verticalLayout_11" << 0 << none;
        QTest::newRow("pulsed bar column") << "verticalLayout_19" << 0 << none;
        QTest::newRow("pulsed scale row") << "horizontalLayout_31" << 0 << none;
        QTest::newRow("mode column") << "verticalLayout_14" << 6 << none;
    }

    void layouts()
    {
        QFETCH(QString, name);
        QFETCH(int, spacing);
        QFETCH(QMargins, margins);
        for (int n = 1; n <= channel_pages::channel_count; ++n) {
            QObject *o = at<QObject>(n, name);
            QVERIFY(o);
            auto *w = qobject_cast<QWidget *>(o);
            QLayout *layout = w ? w->layout() : qobject_cast<QLayout *>(o);
            QVERIFY(layout);
            QCOMPARE(layout->spacing(), spacing);
            QWidget *owner = layout->parentWidget();
            QVERIFY(owner);
            const int style_margin = owner->style()->pixelMetric(QStyle::PM_LayoutLeftMargin, nullptr, owner);
            auto side = [&](int m) { return m < 0 ? style_margin : m; };
            const QMargins expected = w ? QMargins(side(margins.left()), side(margins.top()), side(margins.right()),
                                                   side(margins.bottom()))
                                        : margins;
            QCOMPARE(layout->contentsMargins(), expected);
        }
    }

    void labels_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<bool>("word_wrap");
        const int right = Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter;
        const int left = Qt::AlignLeft | Qt::AlignLeading | Qt::AlignVCenter;
        const int centre = Qt::AlignCenter;
        const int plain = Qt::AlignLeft | Qt::AlignVCenter;
        QTest::newRow("label_21") << "label_21" << right << false;
        QTest::newRow("label_19") << "label_19" << plain << false;
        QTest::newRow("label_4") << "label_4" << centre << false;
        QTest::newRow("label_17") << "label_17" << right << false;
        QTest::newRow("label_151") << "label_151" << centre << false;
        QTest::newRow("label_22") << "label_22" << left << false;
        QTest::newRow("label_364") << "label_364" << right << false;
        QTest::newRow("label_5") << "label_5" << centre << false;
        QTest::newRow("label_37") << "label_37" << right << false;
        QTest::newRow("label_39") << "label_39" << left << false;
        QTest::newRow("rr_max_label") << "rr_max_label" << centre << false;
        QTest::newRow("pd_min_label") << "pd_min_label" << centre << false;
        QTest::newRow("label_33") << "label_33" << plain << true;
        QTest::newRow("label_30") << "label_30" << plain << true;
        QTest::newRow("label_117") << "label_117" << right << false;
        QTest::newRow("mode_label") << "mode_label" << plain << true;
        QTest::newRow("cw_mode_label") << "cw_mode_label" << plain << false;
    }

    void labels()
    {
        QFETCH(QString, name);
        QFETCH(int, alignment);
        QFETCH(bool, word_wrap);
        for (int n = 1; n <= channel_pages::channel_count; ++n) {
            auto *label = at<QLabel>(n, name);
            QVERIFY(label);
            QCOMPARE(int(label->alignment()), alignment);
            QCOMPARE(label->wordWrap(), word_wrap);
        }
    }

    void legend_and_lines()
    {
        for (int n = 1; n <= channel_pages::channel_count; ++n) {
            auto *legend = at<QLabel>(n, QStringLiteral("label_97"));
            QVERIFY(legend->hasScaledContents());
            QVERIFY(legend->text().isEmpty());
            for (const char *h : {"line", "line_17", "line_2"})
                QCOMPARE(at<QFrame>(n, QString::fromLatin1(h))->frameShape(), QFrame::HLine);
            for (const char *v : {"line_5", "line_3", "line_4"})
                QCOMPARE(at<QFrame>(n, QString::fromLatin1(v))->frameShape(), QFrame::VLine);
            for (const char *l : {"line", "line_17", "line_2", "line_5", "line_3", "line_4"})
                QCOMPARE(at<QFrame>(n, QString::fromLatin1(l))->frameShadow(), QFrame::Sunken);
            QCOMPARE(at<QFrame>(n, QStringLiteral("line_17"))->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
        }
    }

    // The 91 texts a page gets, in creation order (empty ones included).
    void texts()
    {
        const QStringList expected = {
            "LASER1", "Off", "", "On", "", "CW Type Laser", "",
            "Power state", "Off", "", "On", "Mode",
            "Drive current", "", "Min", "Max", "Stepsize",
            "Temperature", "", "Min", "Max", "QCW parameters",
            "Frequency", "", "Min", "Max", "Pulse width", "", "Min", "Max",
            "Read values:", "Power state:", "OFF", "Current:", "0 A", "Temperature:", "0.0 C",
            "Power:", "0.0 mW", "Input voltage:", "0.0 V", "Frequency:", "0", "Pulse Width:", "0",
            "Mode:", "CW mode", "!!! Failure !!!:", "Details", "Clear error",
            "Power state", "Off", "", "On", "Drive voltage", "", "Min", "Max",
            "Temperature", "", "Min", "Max", "Max", "Min", "Repetition rate,", "Hz", "kHz", "MHz",
            "Max", "Min", "Electrical pulse duration, ns", "N", "M", "",
            "Read values:", "Power state:", "OFF", "Voltage:", "0 A", "Temperature:", "0.0 C",
            "Frequency:", "0.0 mW", "Duration:", "0.0 mW", "N:", "0.0 mW", "M:", "0.0 mW", "Mode:", "0.0 mW"};
        QCOMPARE(expected.size(), 91);
        for (int n = 1; n <= channel_pages::channel_count; ++n) {
            QStringList seen;
            for (const form_object &o : pages.at(n - 1)) {
                if (auto *label = qobject_cast<QLabel *>(o.object))
                    seen << label->text();
                else if (auto *button = qobject_cast<QAbstractButton *>(o.object))
                    seen << button->text();
                else if (auto *box = qobject_cast<QGroupBox *>(o.object))
                    seen << box->title();
                else if (auto *bar = qobject_cast<QProgressBar *>(o.object)) {
                    if (bar->orientation() == Qt::Horizontal)
                        seen << bar->format();
                } else if (auto *combo = qobject_cast<QComboBox *>(o.object)) {
                    for (int i = 0; i < combo->count(); ++i)
                        seen << combo->itemText(i);
                }
            }
            QCOMPARE(seen, expected);
        }
    }
};

QTEST_MAIN(tst_channel_page)
#include "tst_channel_page.moc"
