#pragma once

#include <QColor>
#include <QImage>
#include <QString>

// A plain wordmark: the name in bold lettering, fitted and centred.
QImage draw_wordmark(int width, int height, const QString &name, QColor colour);

// A logo: a round emblem with the initial on the left, the wordmark beside it.
QImage draw_logo(int width, int height, const QString &name, QColor colour);

namespace brand_colour {
inline const QColor quendral(67, 55, 121);
inline const QColor ostravel(35, 39, 215);
inline const QColor calvenor(60, 145, 136);
inline const QColor sarvique(168, 30, 50);
}
