#include "form_assembler.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace form_assembler {

namespace {

const QRegularExpression &generic_pattern()
{
    static const QRegularExpression re(QStringLiteral(
        "^(label|line|horizontalLayout|verticalLayout|horizontalSpacer|verticalSpacer)(?:_([0-9]+))?$"));
    return re;
}

bool is_named_element(const QDomElement &e)
{
    const QString tag = e.tagName();
    return (tag == QLatin1String("widget") || tag == QLatin1String("layout")
            || tag == QLatin1String("spacer") || tag == QLatin1String("action")
            || tag == QLatin1String("actiongroup"))
        && e.hasAttribute(QStringLiteral("name"));
}

// Every named element below `root` (root included), in document order.
void collect_named(const QDomElement &root, QList<QDomElement> &out)
{
    if (is_named_element(root))
        out.append(root);
    for (QDomElement c = root.firstChildElement(); !c.isNull(); c = c.nextSiblingElement())
        collect_named(c, out);
}

// The layout item that holds nothing but the placeholder widget.
QList<QDomElement> find_placeholders(const QDomElement &root)
{
    QList<QDomElement> found;
    QList<QDomElement> all;
    collect_named(root, all);
    for (const QDomElement &w : all) {
        if (w.tagName() != QLatin1String("widget")
            || w.attribute(QStringLiteral("name")) != QLatin1String(placeholder_name()))
            continue;
        const QDomElement item = w.parentNode().toElement();
        if (item.tagName() == QLatin1String("item") && item.childNodes().count() == 1)
            found.append(item);
        else
            found.append(QDomElement()); // misplaced: reported as an error
    }
    return found;
}

// Highest number used per generic word; a bare word ("line") counts as 0.
void note_generic(const QString &name, QHash<QString, int> &highest)
{
    const QRegularExpressionMatch m = generic_pattern().match(name);
    if (!m.hasMatch())
        return;
    const int n = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
    int &h = highest[m.captured(1)];
    h = qMax(h, n);
}

void drop_property(QDomElement &widget, const QString &property)
{
    for (QDomElement p = widget.firstChildElement(QStringLiteral("property")); !p.isNull();) {
        const QDomElement next = p.nextSiblingElement(QStringLiteral("property"));
        if (p.attribute(QStringLiteral("name")) == property)
            widget.removeChild(p);
        p = next;
    }
}

void merge_resources(QDomDocument &out, const QDomDocument &page_template)
{
    const QDomElement from = page_template.documentElement().firstChildElement(QStringLiteral("resources"));
    if (from.isNull())
        return;
    QDomElement ui = out.documentElement();
    QDomElement to = ui.firstChildElement(QStringLiteral("resources"));
    if (to.isNull()) {
        to = out.createElement(QStringLiteral("resources"));
        const QDomElement connections = ui.firstChildElement(QStringLiteral("connections"));
        if (connections.isNull())
            ui.appendChild(to);
        else
            ui.insertBefore(to, connections);
    }
    QSet<QString> have;
    for (QDomElement i = to.firstChildElement(QStringLiteral("include")); !i.isNull();
         i = i.nextSiblingElement(QStringLiteral("include")))
        have.insert(i.attribute(QStringLiteral("location")));
    for (QDomElement i = from.firstChildElement(QStringLiteral("include")); !i.isNull();
         i = i.nextSiblingElement(QStringLiteral("include"))) {
        if (!have.contains(i.attribute(QStringLiteral("location"))))
            to.appendChild(out.importNode(i, true));
    }
}

} // namespace

QStringList channel_suffixes()
{
    return {QString(), QStringLiteral("_2"), QStringLiteral("_3"), QStringLiteral("_4"),
            QStringLiteral("_5"), QStringLiteral("_7"), QStringLiteral("_8"),
            QStringLiteral("_9"), QStringLiteral("_10"), QStringLiteral("_12")};
}

QString page_widget_name(const QString &template_name, int channel)
{
    return channel == 1 ? template_name : template_name + QLatin1Char('_') + QString::number(channel);
}

bool is_generic_name(const QString &name)
{
    return generic_pattern().match(name).hasMatch();
}

bool assemble(const QDomDocument &window, const QDomDocument &page_template,
              QDomDocument &out, QString &error)
{
    out = window.cloneNode(true).toDocument();
    const QDomElement page = page_template.documentElement().firstChildElement(QStringLiteral("widget"));
    if (page.isNull() || !page.hasAttribute(QStringLiteral("name"))) {
        error = QStringLiteral("the channel page template has no named top-level widget");
        return false;
    }
    const QList<QDomElement> holders = find_placeholders(out.documentElement());
    if (holders.size() != 1 || holders.first().isNull()) {
        error = QStringLiteral("the window form must hold exactly one layout item with only the widget \"%1\" (found %2)")
                    .arg(QLatin1String(placeholder_name()))
                    .arg(holders.size());
        return false;
    }
    const QDomElement holder = holders.first();

    // Numbers already taken, so that fresh ones never collide.
    QHash<QString, int> highest;
    QList<QDomElement> window_named;
    collect_named(out.documentElement(), window_named);
    for (const QDomElement &e : window_named)
        note_generic(e.attribute(QStringLiteral("name")), highest);
    QList<QDomElement> template_named;
    collect_named(page, template_named);
    for (const QDomElement &e : template_named)
        note_generic(e.attribute(QStringLiteral("name")), highest);

    const QString page_name = page.attribute(QStringLiteral("name"));
    const QStringList suffixes = channel_suffixes();
    QDomNode layout = holder.parentNode();
    for (int channel = 1; channel <= suffixes.size(); ++channel) {
        QDomElement copy = out.importNode(page, true).toElement();
        drop_property(copy, QStringLiteral("geometry")); // a Designer top-level's, not the page's
        QList<QDomElement> named;
        collect_named(copy, named);
        for (QDomElement &e : named) {
            const QString name = e.attribute(QStringLiteral("name"));
            QString renamed;
            if (e == copy) {
                renamed = page_widget_name(page_name, channel);
            } else if (is_generic_name(name)) {
                // Channel 1 keeps the template's numbers, which the code's
                // texts and readers know; spacers carry no object name, so
                // theirs are free and are renumbered everywhere.
                if (channel == 1 && e.tagName() != QLatin1String("spacer")) {
                    renamed = name;
                } else {
                    const QString word = generic_pattern().match(name).captured(1);
                    renamed = word + QLatin1Char('_') + QString::number(++highest[word]);
                }
            } else {
                renamed = name + suffixes.at(channel - 1);
            }
            e.setAttribute(QStringLiteral("name"), renamed);
        }
        QDomElement item = out.createElement(QStringLiteral("item"));
        item.appendChild(copy);
        layout.insertBefore(item, holder);
    }
    layout.removeChild(holder);
    merge_resources(out, page_template);

    QList<QDomElement> all;
    collect_named(out.documentElement(), all);
    QSet<QString> seen;
    QStringList doubled;
    for (const QDomElement &e : all) {
        const QString name = e.attribute(QStringLiteral("name"));
        if (seen.contains(name))
            doubled.append(name);
        seen.insert(name);
    }
    if (!doubled.isEmpty()) {
        error = QStringLiteral("names used twice in the assembled form: ") + doubled.join(QStringLiteral(", "));
        return false;
    }
    return true;
}

} // namespace form_assembler
