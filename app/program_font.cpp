#include "app/program_font.h"

#include <QApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <QString>

namespace {

constexpr qreal form_point_size = 8.0;
constexpr qreal smallest_point_size = 6.0;
constexpr qreal point_step = 0.5;
// The dialog font the form was drawn for sets an average letter 6 pixels
// wide at 96 dpi (its horizontal dialog unit). Families are compared by the
// same measure, since the form's widths are in pixels, not in points.
constexpr qreal form_letter_width_at_96_dpi = 6.0;

qreal logical_dpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen && screen->logicalDotsPerInchX() > 0 ? screen->logicalDotsPerInchX() : 96.0;
}

// A default given in pixels (some platforms do) is compared in points.
qreal point_size_of(const QFont &font)
{
    if (font.pointSizeF() > 0)
        return font.pointSizeF();
    if (font.pixelSize() > 0)
        return font.pixelSize() * 72.0 / logical_dpi();
    return form_point_size;
}

qreal letter_width(const QFont &font)
{
    static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return QFontMetricsF(font).horizontalAdvance(letters) / letters.size();
}

} // namespace

void apply_program_font()
{
    const QFont platform = QApplication::font();
    const qreal platform_points = point_size_of(platform);
    const qreal widest = form_letter_width_at_96_dpi * logical_dpi() / 96.0;
    QFont font = platform;
    qreal points = qMin(platform_points, form_point_size);
    for (;;) {
        font.setPointSizeF(points);
        if (letter_width(font) <= widest || points - point_step < smallest_point_size)
            break;
        points -= point_step;
    }
    if (points >= platform_points)
        return; // the platform's own font fits the form
    QApplication::setFont(font);
}
