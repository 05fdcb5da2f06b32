#pragma once

#include <QSize>
#include <QString>

class Ui_MainWindow;

// The look of the three brands a build can be made for.
struct brand_row
{
    const char *key;
    const char *style_sheet; // of the status strip
    const char *logo;        // resource path
    QSize logo_size;         // the logo label's fixed size
    const char *first_line;  // of the About text
};

// The brand key and the 40-digit source revision this build was made from.
QString build_brand_key();
QString build_revision();

// The brand whose key equals `key` exactly, or null.
const brand_row *find_brand(const QString &key);

// First line, product name, version line (the brand key stands where a
// version number would), revision; lines end with a carriage return.
QString about_text(const brand_row &brand, const QString &key, const QString &revision);
// "v4." and the first six digits of the revision and a blank: 10 characters.
QString version_text(const QString &revision);

// Status-strip colour, logo and About text of the brand with that key; a key
// matching no brand leaves the form's look untouched.
void apply_brand(Ui_MainWindow *ui, const QString &key, const QString &revision);
void set_version_label(Ui_MainWindow *ui, const QString &revision);
