#include "brands.h"

#include "paint_util.h"

#include <QFont>
#include <QPainterPath>

namespace {

QFont lettering_font()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(200);
    return font;
}

// The glyph outlines scaled to fit the box, keeping their proportions.
QPainterPath fitted_text(const QString &text, const QRectF &box, Qt::Alignment align)
{
    QPainterPath path;
    path.addText(0, 0, lettering_font(), text);
    const QRectF bounds = path.boundingRect();
    const qreal scale = qMin(box.width() / bounds.width(), box.height() / bounds.height());
    const qreal w = bounds.width() * scale;
    const qreal h = bounds.height() * scale;
    qreal x = box.left() + (box.width() - w) / 2;
    if (align & Qt::AlignLeft)
        x = box.left();
    const qreal y = box.top() + (box.height() - h) / 2;
    QTransform t;
    t.translate(x, y);
    t.scale(scale, scale);
    t.translate(-bounds.left(), -bounds.top());
    return t.map(path);
}

}  // namespace

QImage draw_wordmark(int width, int height, const QString &name, QColor colour)
{
    QImage image = new_canvas(width, height);
    QPainter p(&image);
    start_painter(p);
    const qreal margin = height * 0.12;
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(fitted_text(name, QRectF(margin, margin, width - 2 * margin, height - 2 * margin),
                           Qt::AlignHCenter));
    return image;
}

QImage draw_logo(int width, int height, const QString &name, QColor colour)
{
    QImage image = new_canvas(width, height);
    QPainter p(&image);
    start_painter(p);
    const qreal margin = height * 0.06;
    const qreal d = height - 2 * margin;
    const QRectF emblem(margin, margin, d, d);

    // Emblem: a filled disc with a ring inside and the initial in it.
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(emblem);
    p.setPen(QPen(Qt::white, d * 0.035));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(emblem.adjusted(d * 0.07, d * 0.07, -d * 0.07, -d * 0.07));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const qreal inner = d * 0.28;
    p.drawPath(fitted_text(name.left(1), emblem.adjusted(inner, inner, -inner, -inner), Qt::AlignHCenter));

    // Wordmark beside it, as tall as the emblem's middle.
    const qreal gap = d * 0.18;
    const QRectF text_box(emblem.right() + gap, height * 0.26,
                          width - emblem.right() - gap - margin, height * 0.48);
    p.setBrush(colour);
    p.drawPath(fitted_text(name, text_box, Qt::AlignLeft));
    return image;
}
