#pragma once

#include <QDomDocument>
#include <QString>
#include <QStringList>

// Builds the main window's Designer form from its two sources: the window
// (which holds one placeholder item where the channel pages go) and the
// channel page template (whose top-level widget is the first page). The
// template is expanded once per channel; named children carry the channel's
// suffix, generic designer names get fresh numbers on every page but the
// first, so every name in the assembled form is unique.
namespace form_assembler {

// The placeholder widget, alone in its layout item, that marks where the
// ten pages are inserted.
inline const char *placeholder_name() { return "channel_pages_here"; }

// Object-name suffix of the named children of channel 1 to 10. Channels 6
// to 10 skip "_6" and "_11": the names must stay as the code knows them.
QStringList channel_suffixes();

// Page widget name of channel 1 to 10: laser_widget, laser_widget_2, ...
QString page_widget_name(const QString &template_name, int channel);

// True for names of the designer's own numbering (label_12, line,
// verticalLayout_3, horizontalSpacer_2, ...), which no code looks up.
bool is_generic_name(const QString &name);

// Assembles `window` and `page_template` into `out`. Returns false and sets
// `error` when the placeholder is missing or doubled, the template has no
// top-level widget, or a name would occur twice in the result.
bool assemble(const QDomDocument &window, const QDomDocument &page_template,
              QDomDocument &out, QString &error);

} // namespace form_assembler
