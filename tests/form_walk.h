#pragma once

// Walks the live main window form in creation order (a widget, its layout,
// that layout's items in order; stack pages and the scroll area's widget in
// their places) and reads the member list of the generated form header, so
// that tests can hold the two against each other and against the tables.

#include <QFile>
#include <QLayout>
#include <QMainWindow>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QString>
#include <QVector>

namespace form_walk {

struct form_object {
    QObject *object = nullptr;      // null for a spacer
    QSpacerItem *spacer = nullptr;  // set for a spacer only
    QString class_name;             // Qt class name ("QSpacerItem" for spacers)
    QString name;                   // objectName, empty for spacers
    int owner = -1;                 // walk index of the widget whose layout tree holds it
};

struct member {
    QString class_name;
    QString name;
};

namespace detail {

inline void visit_layout(QLayout *layout, int owner, QVector<form_object> &out);

inline void visit_widget(QWidget *w, int owner, QVector<form_object> &out)
{
    form_object o;
    o.object = w;
    o.class_name = QString::fromLatin1(w->metaObject()->className());
    o.name = w->objectName();
    o.owner = owner;
    out.append(o);
    const int self = out.size() - 1;
    if (auto *stack = qobject_cast<QStackedWidget *>(w)) {
        for (int i = 0; i < stack->count(); ++i)
            visit_widget(stack->widget(i), self, out);
    } else if (auto *area = qobject_cast<QScrollArea *>(w)) {
        if (area->widget())
            visit_widget(area->widget(), self, out);
    } else if (w->layout()) {
        visit_layout(w->layout(), self, out);
    } else if (qstrcmp(w->metaObject()->className(), "QWidget") == 0) {
        // a plain widget without a layout places its children by geometry
        for (QObject *child : w->children()) {
            if (child->isWidgetType())
                visit_widget(static_cast<QWidget *>(child), self, out);
        }
    }
}

inline void visit_layout(QLayout *layout, int owner, QVector<form_object> &out)
{
    form_object o;
    o.object = layout;
    o.class_name = QString::fromLatin1(layout->metaObject()->className());
    o.name = layout->objectName();
    o.owner = owner;
    out.append(o);
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (item->widget()) {
            visit_widget(item->widget(), owner, out);
        } else if (item->layout()) {
            visit_layout(item->layout(), owner, out);
        } else if (item->spacerItem()) {
            form_object s;
            s.spacer = item->spacerItem();
            s.class_name = QStringLiteral("QSpacerItem");
            s.owner = owner;
            out.append(s);
        }
    }
}

} // namespace detail

// Every object of the form below the window, in creation order.
inline QVector<form_object> walk(QMainWindow *window)
{
    QVector<form_object> out;
    if (window->centralWidget())
        detail::visit_widget(window->centralWidget(), -1, out);
    return out;
}

// Objects of the subtree that starts at `root` (a widget of the form).
inline QVector<form_object> walk_widget(QWidget *root)
{
    QVector<form_object> out;
    detail::visit_widget(root, -1, out);
    return out;
}

// The public pointer members of Ui_MainWindow, in declaration order.
inline QVector<member> header_members(const QString &path)
{
    QVector<member> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return out;
    static const QRegularExpression decl(QStringLiteral("^\\s+(\\w+)\\s+\\*(\\w+);\\s*$"));
    bool in_class = false;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine());
        if (line.startsWith(QLatin1String("class Ui_MainWindow"))) {
            in_class = true;
            continue;
        }
        if (!in_class)
            continue;
        if (line.contains(QLatin1String("void setupUi")))
            break;
        const QRegularExpressionMatch m = decl.match(line);
        if (m.hasMatch())
            out.append({m.captured(1), m.captured(2)});
    }
    return out;
}

} // namespace form_walk
