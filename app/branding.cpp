#include "app/branding.h"

#include <QPixmap>

#include "forms/mainwindow_form.h"

// Both come from the build (CMake); these stand in when a file is compiled
// without them.
#ifndef LUMATREX_BRAND_KEY
#define LUMATREX_BRAND_KEY "OSTRAVEL"
#endif
#ifndef LUMATREX_REVISION
#define LUMATREX_REVISION "0000000000000000000000000000000000000000"
#endif

namespace {

const brand_row brands[] = {
    {"QUENDRAL", "QWidget {\n\tbackground-color: rgb(67, 55, 121);\n}", ":/images/images/Quendral_logo.png",
     QSize(273, 60), "Quendral"},
    {"CALVENOR", "QWidget {\n\tbackground-color: rgb(60, 145, 136);\n}", ":/images/images/calvenor_logo_PNG.png",
     QSize(215, 60), "CALVENOR"},
    {"OSTRAVEL", "QWidget {\n\tbackground-color: rgb(35, 39, 215);\n}", ":/images/images/ostravel.png",
     QSize(273, 35), "Ostravel"},
};

const char product_name[] = "Lumatrex";

} // namespace

QString build_brand_key()
{
    return QStringLiteral(LUMATREX_BRAND_KEY);
}

QString build_revision()
{
    return QStringLiteral(LUMATREX_REVISION);
}

const brand_row *find_brand(const QString &key)
{
    for (const brand_row &b : brands)
        if (key == QLatin1String(b.key))
            return &b;
    return nullptr;
}

QString about_text(const brand_row &brand, const QString &key, const QString &revision)
{
    return QLatin1String(brand.first_line) + QLatin1Char('\r') + QLatin1String(product_name) +
           QLatin1String("\r\rVersion ") + key + QLatin1String("\rSHA1 = ") + revision + QLatin1Char('\r');
}

QString version_text(const QString &revision)
{
    return QLatin1String("v4.") + revision.left(6) + QLatin1Char(' ');
}

void apply_brand(Ui_MainWindow *ui, const QString &key, const QString &revision)
{
    const brand_row *brand = find_brand(key);
    if (!brand)
        return;
    ui->widget_21->setStyleSheet(QLatin1String(brand->style_sheet));
    ui->label_128->setPixmap(QPixmap(QLatin1String(brand->logo)));
    ui->label_128->setMaximumSize(brand->logo_size);
    ui->label_128->setMinimumSize(brand->logo_size);
    ui->plainTextEdit->clear();
    ui->plainTextEdit->appendPlainText(about_text(*brand, key, revision));
}

void set_version_label(Ui_MainWindow *ui, const QString &revision)
{
    ui->version_label->setText(version_text(revision));
}
