#pragma once

// A main form built on a plain QMainWindow, for tests that look at the form
// alone (no window logic), and the naming of the ten channel pages.

#include <QMainWindow>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

#include "forms/main_form.h"
#include "forms/mainwindow_form.h"

namespace form_fixture {

// Suffix of the named children of channel page 1..10.
inline const QStringList &page_suffixes()
{
    static const QStringList s = {"", "_2", "_3", "_4", "_5", "_7", "_8", "_9", "_10", "_12"};
    return s;
}

inline QString page_widget_name(int page)
{
    return page == 0 ? QStringLiteral("laser_widget") : QStringLiteral("laser_widget_%1").arg(page + 1);
}

// Template name on every page: {"curr_spin", "curr_spin_2", ..., "curr_spin_12"}.
inline QStringList on_every_page(const QString &template_name)
{
    QStringList names;
    for (const QString &suffix : page_suffixes())
        names << template_name + suffix;
    return names;
}

struct built_form {
    std::unique_ptr<QMainWindow> window;
    std::unique_ptr<Ui_MainWindow> ui;
};

inline built_form build()
{
    built_form f;
    f.window = std::make_unique<QMainWindow>();
    f.ui = std::make_unique<Ui_MainWindow>();
    build_main_form(f.ui.get(), f.window.get());
    return f;
}

// Every object of the form that carries a name of its own (Qt's internal
// helpers such as a spin box's line edit or a scroll area's viewport are named
// "qt_..." and are not part of the form).
inline QList<QObject *> named_objects(QObject *root)
{
    QList<QObject *> out;
    for (QObject *o : root->findChildren<QObject *>()) {
        const QString n = o->objectName();
        if (!n.isEmpty() && !n.startsWith(QLatin1String("qt_")))
            out << o;
    }
    return out;
}

} // namespace form_fixture
