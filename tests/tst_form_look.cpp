// The form's look: style sheets byte for byte and on exactly their objects,
// fonts, cursors, icons and pixmaps, and the value ranges of the inputs that
// the form itself fixes.

#include <QtTest>

#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include <map>
#include <set>

#include "app/resources.h"
#include "form_fixture.h"
#include "form_style_sheets.h"

using namespace form_fixture;

namespace {

// A font as the form sets it: only the properties it states explicitly.
QString font_signature(const QFont &f)
{
    const uint mask = f.resolve();
    QStringList parts;
    if (mask & QFont::FamilyResolved)
        parts << QStringLiteral("family=") + f.family();
    if (mask & QFont::SizeResolved)
        parts << QStringLiteral("%1pt").arg(f.pointSize());
    if (mask & QFont::WeightResolved)
        parts << (f.weight() == QFont::Bold ? QStringLiteral("bold") : QStringLiteral("weight=%1").arg(f.weight()));
    if (mask & QFont::StyleResolved)
        parts << (f.italic() ? QStringLiteral("italic") : QStringLiteral("upright"));
    if (mask & QFont::UnderlineResolved)
        parts << (f.underline() ? QStringLiteral("underline") : QStringLiteral("no-underline"));
    if (mask & QFont::KerningResolved)
        parts << (f.kerning() ? QStringLiteral("kerning") : QStringLiteral("no-kerning"));
    return parts.join(QLatin1Char(' '));
}

QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}

// Objects inside channel page `page` (the page widget included).
bool on_page(QObject *o, QWidget *page)
{
    for (QObject *p = o; p; p = p->parent())
        if (p == page)
            return true;
    return false;
}

} // namespace

class tst_form_look : public QObject
{
    Q_OBJECT

private:
    built_form form;
    QList<QWidget *> widgets; // every named widget of the form
    QList<QWidget *> pages;   // the ten channel pages

    QWidget *page_of(QObject *o) const
    {
        for (QWidget *p : pages)
            if (on_page(o, p))
                return p;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        form = build();
        for (QObject *o : named_objects(form.window.get()))
            if (o->isWidgetType())
                widgets << static_cast<QWidget *>(o);
        for (int i = 0; i < 10; ++i) {
            QWidget *p = form.window->findChild<QWidget *>(page_widget_name(i));
            QVERIFY2(p, qPrintable(page_widget_name(i)));
            pages << p;
        }
    }

    void style_sheet_on_exactly_its_objects_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QStringList>("objects");
        using namespace form_sheets;
        auto pages_of = [](std::initializer_list<const char *> names) {
            QStringList out;
            for (const char *n : names)
                out << on_every_page(QLatin1String(n));
            return out;
        };
        QTest::newRow("S1 main menu") << QString(s1) << QStringList{"main_menu_butt"};
        QTest::newRow("S2 menu") << QString(s2) << QStringList{"main_menu_butt_2", "main_menu_butt_3"};
        QTest::newRow("S3 checkable push") << QString(s3) << QStringList{"connect_button"};
        QTest::newRow("S4 group box") << QString(s4) << QStringList{"velmor_pulse_widget", "velmor_ampl_widget"};
        QTest::newRow("S5 switch") << QString(s5)
                                   << pages_of({"cw_on_off_button", "ps_ns_on_off_butt"})
                                          + QStringList{"velmor_tec_on_off_btn", "velmor_tec_on_off_btn_2", "velmor_on_off_btn_2"};
        QTest::newRow("S6 switch copy") << QString(s6) << QStringList{"velmor_on_off_btn"};
        QTest::newRow("S7 push with slices") << QString(s7) << QStringList{"velmor_freq_button"};
        QTest::newRow("S8 slider") << QString(s8) << QStringList{"horizontalSlider"};
        QTest::newRow("S9 spin box") << QString(s9)
                                     << pages_of({"curr_spin", "temp_spin", "cw_freq_spin", "cw_width_spin", "volt_spin",
                                                  "pulse_temp_spin", "freq_spin", "dura_spin", "pulse_gated_spin",
                                                  "pulse_cutted_spin"})
                                            + QStringList{"velmor_current_spin"};
        QTest::newRow("S10 plain push") << QString(s10) << QStringList{"velmor_current_button"};
        QTest::newRow("S11 short slider") << QString(s11) << QStringList{"velmor_ampl_slider"};
        QTest::newRow("S12 progress bars") << QString(s12) << QStringList{"scrollArea"};
        QTest::newRow("S13 tab button") << QString(s13) << pages_of({"laser_tab_button"});
        QTest::newRow("S14 round switch") << QString(s14) << pages_of({"start_stop_button_alt"});
        QTest::newRow("S15 group box copy") << QString(s15) << pages_of({"laser_group_box"}) + QStringList{"groupBox"};
        QTest::newRow("S16 status labels") << QString(s16) << QStringList{"connection_status_label", "emitting_label"};
    }

    void style_sheet_on_exactly_its_objects()
    {
        QFETCH(QString, sheet);
        QFETCH(QStringList, objects);
        QStringList found;
        for (QWidget *w : widgets)
            if (w->styleSheet() == sheet)
                found << w->objectName();
        QCOMPARE(sorted(found), sorted(objects));
    }

    // The sixteen texts are the only ones: no other object carries a sheet,
    // and a near miss (a "fixed" pseudo-state, a lost tab) shows up here.
    void no_other_style_sheets()
    {
        using namespace form_sheets;
        const std::set<QString> known = {s1, s2, s3, s4, s5, s6, s7, s8, s9, s10, s11, s12, s13, s14, s15, s16};
        QCOMPARE(int(known.size()), 16);
        int with_sheet = 0;
        for (QWidget *w : widgets) {
            if (w->styleSheet().isEmpty())
                continue;
            ++with_sheet;
            QVERIFY2(known.count(w->styleSheet()), qPrintable(w->objectName()));
        }
        QCOMPARE(with_sheet, 169);
        QVERIFY(form.window->styleSheet().isEmpty());
        QVERIFY(qApp->styleSheet().isEmpty());
    }

    void switch_sheets_keep_their_quirks()
    {
        using namespace form_sheets;
        QCOMPARE(QString(s6), QString(s5) + QLatin1Char('\n'));
        QCOMPARE(QString(s15), QString(s4) + QLatin1Char('\n'));
        QVERIFY(QString(s5).contains(QLatin1String("QPushButton::hover:checked  {\t\n")));
        QVERIFY(QString(s8).startsWith(QString(s11)));
        QVERIFY(!QString(s11).contains(QLatin1String("sub-page:disabled")));
        QCOMPARE(form.window->findChild<QWidget *>("velmor_on_off_btn")->styleSheet().size(), 570);
    }

    void fonts_by_count_data()
    {
        QTest::addColumn<QString>("signature");
        QTest::addColumn<int>("count");
        QTest::newRow("F1 14pt") << "14pt" << 3;
        QTest::newRow("F2 12pt") << "12pt" << 310;
        QTest::newRow("F3 12pt bold, upright, no underline") << "12pt bold upright no-underline" << 10;
        QTest::newRow("F4 10pt") << "10pt" << 60;
        QTest::newRow("F5 14pt bold") << "14pt bold" << 10;
        QTest::newRow("F6 16pt") << "16pt" << 110;
        QTest::newRow("F7 12pt bold underline kerning") << "12pt bold underline kerning" << 20;
        QTest::newRow("F8 12pt bold") << "12pt bold" << 160;
        QTest::newRow("F9 bold") << "bold" << 1;
    }

    void fonts_by_count()
    {
        QFETCH(QString, signature);
        QFETCH(int, count);
        int n = 0;
        for (QWidget *w : widgets)
            if (w->testAttribute(Qt::WA_SetFont) && font_signature(w->font()) == signature)
                ++n;
        QCOMPARE(n, count);
    }

    // 684 objects set a font, each one of the nine, none names a family.
    void only_the_nine_fonts()
    {
        const std::set<QString> known = {"14pt", "12pt", "12pt bold upright no-underline", "10pt", "14pt bold", "16pt",
                                         "12pt bold underline kerning", "12pt bold", "bold"};
        int n = 0;
        for (QWidget *w : widgets) {
            if (!w->testAttribute(Qt::WA_SetFont))
                continue;
            ++n;
            QVERIFY2(known.count(font_signature(w->font())),
                     qPrintable(w->objectName() + QLatin1String(": ") + font_signature(w->font())));
        }
        QCOMPARE(n, 684);
    }

    // Outside the channel pages, and on page 1 (its channel-1 names), each
    // font sits on exactly the objects named for it.
    void fonts_on_their_objects_data()
    {
        QTest::addColumn<QString>("signature");
        QTest::addColumn<QStringList>("outside_pages");
        QTest::addColumn<QStringList>("page_one");
        QTest::newRow("F1") << "14pt" << QStringList{"main_menu_butt", "main_menu_butt_2", "main_menu_butt_3"}
                            << QStringList{};
        QTest::newRow("F2") << "12pt"
                            << QStringList{"label_122", "lineEdit_2", "comboBox", "spinBox", "spinBox_2", "label_121",
                                           "lineEdit_5", "velmor_current_spin", "connection_status_label",
                                           "emitting_label"}
                            << QStringList{"label_4", "label_151", "label_22", "label_364", "label_23", "label_35",
                                           "label_40", "label_6", "label_11", "label_13", "label_5", "label_39",
                                           "label_42", "label_9", "label_58", "label_59", "label_60", "label_62",
                                           "label_63", "label_64", "power_title", "input_volt_title", "cw_freq_title",
                                           "cw_width_title", "cw_mode_title", "fail_title", "dura_text",
                                           "cw_mode_combo", "step_size_combo", "mode_combo"};
        QTest::newRow("F3") << "12pt bold upright no-underline" << QStringList{} << QStringList{"laser_tab_button"};
        QTest::newRow("F4") << "10pt" << QStringList{}
                            << QStringList{"start_stop_button_alt", "cw_on_off_button", "ps_ns_on_off_butt", "label_16",
                                           "label_117", "label_134"};
        QTest::newRow("F5") << "14pt bold" << QStringList{} << QStringList{"laser_name_label"};
        QTest::newRow("F6") << "16pt" << QStringList{}
                            << QStringList{"curr_spin", "temp_spin", "cw_freq_spin", "cw_width_spin", "volt_spin",
                                           "pulse_temp_spin", "freq_spin", "dura_spin", "pulse_gated_spin",
                                           "pulse_cutted_spin", "freq_combo"};
        QTest::newRow("F7") << "12pt bold underline kerning" << QStringList{} << QStringList{"label_10", "label_8"};
        QTest::newRow("F8") << "12pt bold" << QStringList{}
                            << QStringList{"power_state_label", "curr_label", "temp_label", "power_label",
                                           "input_volt_label", "cw_freq_label", "cw_width_label", "cw_mode_label",
                                           "pulse_power_state_label", "pulse_volt_label", "pulse_temp_label",
                                           "freq_label", "dura_label", "N_label", "M_label", "mode_label"};
        QTest::newRow("F9") << "bold" << QStringList{"label_433"} << QStringList{};
    }

    void fonts_on_their_objects()
    {
        QFETCH(QString, signature);
        QFETCH(QStringList, outside_pages);
        QFETCH(QStringList, page_one);
        QStringList outside, first;
        std::map<QWidget *, int> per_page;
        for (QWidget *w : widgets) {
            if (!w->testAttribute(Qt::WA_SetFont) || font_signature(w->font()) != signature)
                continue;
            QWidget *p = page_of(w);
            if (!p)
                outside << w->objectName();
            else if (p == pages[0])
                first << w->objectName();
            ++per_page[p];
        }
        QCOMPARE(sorted(outside), sorted(outside_pages));
        QCOMPARE(sorted(first), sorted(page_one));
        // every page carries the same fonts
        for (QWidget *p : pages)
            QCOMPARE(per_page[p], int(page_one.size()));
    }

    void pointing_hand_cursor()
    {
        QStringList found;
        for (QWidget *w : widgets) {
            if (!w->testAttribute(Qt::WA_SetCursor))
                continue;
            if (w->cursor().shape() == Qt::PointingHandCursor)
                found << w->objectName();
            else // the text cursor that line edits give themselves
                QVERIFY2(qobject_cast<QLineEdit *>(w) && w->cursor().shape() == Qt::IBeamCursor,
                         qPrintable(w->objectName()));
        }
        QCOMPARE(sorted(found), sorted(QStringList{"main_menu_butt", "main_menu_butt_2", "main_menu_butt_3"}
                                       + on_every_page("laser_tab_button")));
    }

    void icons()
    {
        // No icon theme here holds "main", so the window takes the embedded file.
        if (!QIcon::hasThemeIcon("main") && QFile::exists(":/images/images/icon.png")) {
            QVERIFY(!form.window->windowIcon().isNull());
            QCOMPARE(form.window->windowIcon().availableSizes(), QList<QSize>{QSize(512, 512)});
        }
        auto *refresh = form.window->findChild<QPushButton *>("serial_refresh_button");
        QVERIFY(refresh);
        QCOMPARE(refresh->minimumSize(), QSize(23, 23));
        QCOMPARE(refresh->maximumSize(), QSize(23, 23));
        QVERIFY(refresh->text().isEmpty());
        if (QFile::exists(":/images/images/refresh.png"))
            QVERIFY(!refresh->icon().isNull());
        for (const QString &name : on_every_page("config_button")) {
            auto *b = form.window->findChild<QPushButton *>(name);
            QVERIFY2(b, qPrintable(name));
            QCOMPARE(b->iconSize(), QSize(20, 20));
            QCOMPARE(b->minimumSize(), QSize(29, 29));
            QCOMPARE(b->maximumSize(), QSize(29, 29));
            if (QFile::exists(":/images/images/conf_icon.png"))
                QVERIFY(!b->icon().isNull());
        }
    }

    void pixmaps_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("image");
        QTest::addColumn<QSize>("fixed_size"); // invalid: not fixed
        QTest::addColumn<bool>("scaled");
        QTest::newRow("legend, seed page") << "label_95" << ":/images/images/legend.png" << QSize(280, 80) << true;
        QTest::newRow("legend, channel 1") << "label_97" << ":/images/images/legend.png" << QSize(210, 65) << true;
        QTest::newRow("emission off") << "emit_off" << ":/images/images/round_button_indicator_disabled.png" << QSize()
                                      << false;
        QTest::newRow("emission on") << "emit_on" << ":/images/images/round_button_indicator_on.png" << QSize()
                                     << false;
        QTest::newRow("logo") << "label_128" << QString() << QSize(273, 79) << true;
    }

    void pixmaps()
    {
        QFETCH(QString, label);
        QFETCH(QString, image);
        QFETCH(QSize, fixed_size);
        QFETCH(bool, scaled);
        auto *l = form.window->findChild<QLabel *>(label);
        QVERIFY(l);
        QCOMPARE(l->hasScaledContents(), scaled);
        QVERIFY(l->text().isEmpty());
        if (fixed_size.isValid()) {
            QCOMPARE(l->minimumSize(), fixed_size);
            QCOMPARE(l->maximumSize(), fixed_size);
        } else {
            QCOMPARE(l->minimumSize(), QSize(0, 0));
            QCOMPARE(l->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        }
        if (image.isEmpty()) {
            QVERIFY(l->pixmap(Qt::ReturnByValue).isNull());
        } else if (QFile::exists(image)) {
            const QPixmap shown = l->pixmap(Qt::ReturnByValue);
            QVERIFY(!shown.isNull());
            QCOMPARE(shown.toImage(), QPixmap(image).toImage());
        }
    }

    // Labels that stretch a picture: the logo, the seed page's legend and the
    // legend of every channel page.
    void scaled_labels()
    {
        int n = 0;
        for (QWidget *w : widgets)
            if (auto *l = qobject_cast<QLabel *>(w))
                n += l->hasScaledContents();
        QCOMPARE(n, 12);
    }

    void double_spin_boxes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("value");
        QTest::newRow("amplifier current") << "velmor_current_spin" << 2 << 0.0 << 14.0 << 0.1 << 0.0;
    }

    void double_spin_boxes()
    {
        QFETCH(QString, name);
        auto *s = form.window->findChild<QDoubleSpinBox *>(name);
        QVERIFY(s);
        QTEST(s->decimals(), "decimals");
        QTEST(s->minimum(), "minimum");
        QTEST(s->maximum(), "maximum");
        QTEST(s->singleStep(), "step");
        QTEST(s->value(), "value");
        QCOMPARE(s->focusPolicy(), Qt::ClickFocus);
        QCOMPARE(s->minimumSize(), QSize(105, 23));
        QCOMPARE(s->maximumHeight(), 23);
        // 14.00 is the top: a typed 14.01 does not get through
        s->setValue(14.01);
        QCOMPARE(s->value(), 14.0);
        s->setValue(0.0);
    }

    void spin_boxes_and_sliders_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("enabled"); // the widget's own flag
        QTest::newRow("burst N") << "spinBox" << 0 << 99 << 0 << true;
        QTest::newRow("burst M") << "spinBox_2" << 0 << 99 << 0 << true;
        QTest::newRow("seed rate slider") << "horizontalSlider" << 0 << 99 << 0 << false;
        QTest::newRow("amplifier slider") << "velmor_ampl_slider" << 0 << 100000 << 0 << true;
    }

    void spin_boxes_and_sliders()
    {
        QFETCH(QString, name);
        QWidget *w = form.window->findChild<QWidget *>(name);
        QVERIFY(w);
        QTEST(w->testAttribute(Qt::WA_ForceDisabled) == false, "enabled");
        if (auto *s = qobject_cast<QSpinBox *>(w)) {
            QTEST(s->minimum(), "minimum");
            QTEST(s->maximum(), "maximum");
            QTEST(s->value(), "value");
            QCOMPARE(s->minimumHeight(), 23);
            QCOMPARE(s->maximumHeight(), 23);
        } else {
            auto *sl = qobject_cast<QSlider *>(w);
            QVERIFY(sl);
            QTEST(sl->minimum(), "minimum");
            QTEST(sl->maximum(), "maximum");
            QTEST(sl->value(), "value");
            QCOMPARE(sl->orientation(), Qt::Horizontal);
            QCOMPARE(sl->minimumSize(), QSize(141, 25));
            QCOMPARE(sl->maximumHeight(), 25);
        }
    }

    void seed_page_progress_bars()
    {
        for (const char *name : {"progressBar", "progressBar_3"}) {
            auto *b = form.window->findChild<QProgressBar *>(name);
            QVERIFY(b);
            QCOMPARE(b->value(), 24);
            QCOMPARE(b->minimum(), 0);
            QCOMPARE(b->maximum(), 100);
            QCOMPARE(b->orientation(), Qt::Vertical);
            QCOMPARE(b->format(), QStringLiteral("%p%"));
            QVERIFY(b->styleSheet().isEmpty());
        }
    }

    // Combo boxes outside the channel pages start empty (code fills them);
    // every page's range selector offers Hz, kHz and MHz.
    void combo_items()
    {
        for (const char *name : {"comboBox", "serial_combo_box"}) {
            auto *c = form.window->findChild<QComboBox *>(name);
            QVERIFY(c);
            QCOMPARE(c->count(), 0);
        }
        auto *serial = form.window->findChild<QComboBox *>("serial_combo_box");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        QCOMPARE(serial->sizeAdjustPolicy(), QComboBox::AdjustToMinimumContentsLength);
#pragma GCC diagnostic pop
        QCOMPARE(serial->maximumHeight(), 20);
        QCOMPARE(form.window->findChild<QComboBox *>("comboBox")->minimumWidth(), 121);
        for (const QString &name : on_every_page("freq_range_combo")) {
            auto *c = form.window->findChild<QComboBox *>(name);
            QVERIFY2(c, qPrintable(name));
            QCOMPARE(c->count(), 3);
            QCOMPARE(c->itemText(0), QStringLiteral("Hz"));
            QCOMPARE(c->itemText(1), QStringLiteral("kHz"));
            QCOMPARE(c->itemText(2), QStringLiteral("MHz"));
        }
    }

    // The channel pages' bars take their look from the scroll area's sheet
    // only; the seed page's bars, outside it, are not reached by it.
    void progress_bar_look_comes_from_the_scroll_area()
    {
        int inside = 0;
        QWidget *scroll = form.window->findChild<QWidget *>("scrollArea");
        for (QWidget *w : widgets) {
            if (!qobject_cast<QProgressBar *>(w))
                continue;
            QVERIFY(w->styleSheet().isEmpty());
            if (on_page(w, scroll))
                ++inside;
        }
        QCOMPARE(inside, 80);
    }
};

QTEST_MAIN(tst_form_look)
#include "tst_form_look.moc"
