#pragma once

#include <QImage>
#include <QString>
#include <QVector>

// 8-bit RGBA, non-interlaced.
bool save_rgba_png(const QImage &image, const QString &path);

// An opaque picture in grey levels as an 8-bit palette PNG (256 greys).
bool save_grey_palette_png(const QImage &image, const QString &path);

// A grey picture with transparency as an 8-bit palette PNG whose palette
// carries alpha (written as a tRNS chunk): 16 grey levels x 16 alpha levels.
bool save_grey_alpha_palette_png(const QImage &image, const QString &path);

// A Windows icon file: each of `bitmaps` as a 32-bit BGRA bitmap with its
// AND mask, then `png` (the 256 x 256 image) stored as PNG.
bool save_ico(const QVector<QImage> &bitmaps, const QImage &png, const QString &path);
