#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>

// A transparent canvas to paint on; saved after conversion to straight alpha.
inline QImage new_canvas(int width, int height, QColor fill = Qt::transparent)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

inline void start_painter(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}
