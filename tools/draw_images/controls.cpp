#include "controls.h"

#include "paint_util.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

switch_look switch_look_for(control_state state)
{
    switch_look look;
    const bool on = state == control_state::on || state == control_state::on_hover
                    || state == control_state::on_disabled;
    const bool disabled = state == control_state::on_disabled || state == control_state::off_disabled;
    const bool hover = state == control_state::on_hover || state == control_state::off_hover;

    look.knob_right = on;
    if (disabled) {
        look.track = palette::dark_grey;
        look.track_edge = palette::dark_grey_edge;
        look.knob = palette::disabled_knob;
        look.knob_edge = palette::disabled_knob_edge;
    } else {
        look.track = on ? palette::green : palette::light_grey;
        look.track_edge = on ? palette::green_edge : palette::grey_edge;
        look.knob = hover ? palette::pale_blue : palette::white;
        look.knob_edge = hover ? palette::pale_blue_edge : palette::outline;
    }
    return look;
}

QImage draw_switch(QSize size, const switch_look &look)
{
    const qreal w = size.width();
    const qreal h = size.height();
    QImage image = new_canvas(size.width(), size.height());
    QPainter p(&image);
    start_painter(p);

    // Track: a pill, a little darker at the top so it reads as a recess.
    const QRectF track(0.5, 0.5, w - 1, h - 1);
    QLinearGradient track_fill(0, 0, 0, h);
    track_fill.setColorAt(0, look.track.darker(108));
    track_fill.setColorAt(1, look.track.lighter(104));
    p.setPen(QPen(look.track_edge, 1));
    p.setBrush(track_fill);
    p.drawRoundedRect(track, (h - 1) / 2, (h - 1) / 2);

    // Knob: a disc at one end with a soft shadow below it.
    const qreal inset = 2;
    const qreal d = h - 2 * inset;
    const qreal knob_x = look.knob_right ? w - inset - d : inset;
    const QRectF knob(knob_x, inset, d, d);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawEllipse(knob.translated(0, 1).adjusted(-0.5, -0.5, 0.5, 0.5));
    QLinearGradient knob_fill(0, knob.top(), 0, knob.bottom());
    knob_fill.setColorAt(0, look.knob.lighter(104));
    knob_fill.setColorAt(1, look.knob.darker(106));
    p.setPen(QPen(look.knob_edge, 1));
    p.setBrush(knob_fill);
    p.drawEllipse(knob.adjusted(0.5, 0.5, -0.5, -0.5));

    return image;
}

QImage draw_push_button(QSize size, QColor face, QColor edge)
{
    const qreal w = size.width();
    const qreal h = size.height();
    QImage image = new_canvas(size.width(), size.height());
    QPainter p(&image);
    start_painter(p);
    // The corners stay inside the 12 px side slices the style sheets cut,
    // and the face changes only from top to bottom, so stretching keeps it.
    QLinearGradient fill(0, 0, 0, h);
    fill.setColorAt(0, face.lighter(103));
    fill.setColorAt(1, face.darker(105));
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 6, 6);
    return image;
}

QImage draw_indicator(int size, QColor fill, QColor ring)
{
    QImage image = new_canvas(size, size);
    QPainter p(&image);
    start_painter(p);
    const qreal c = size / 2.0;
    const qreal r = c - 1.25;
    QRadialGradient shade(QPointF(c, c), r, QPointF(c - r * 0.35, c - r * 0.4));
    shade.setColorAt(0, fill.lighter(125));
    shade.setColorAt(0.7, fill);
    shade.setColorAt(1, fill.darker(108));
    p.setPen(QPen(ring, 1.5));
    p.setBrush(shade);
    p.drawEllipse(QPointF(c, c), r, r);
    return image;
}

QImage draw_slider_bar(QSize size, QColor fill, QColor edge, bool round_left, bool round_right)
{
    const qreal w = size.width();
    const qreal h = size.height();
    QImage image = new_canvas(size.width(), size.height());
    QPainter p(&image);
    start_painter(p);
    const qreal thickness = 10;
    const qreal top = (h - thickness) / 2;
    // A square end is drawn past the picture's edge so no outline shows there.
    const qreal left = round_left ? 0.5 : -thickness;
    const qreal right = round_right ? w - 0.5 : w + thickness;
    QLinearGradient shade(0, top, 0, top + thickness);
    shade.setColorAt(0, fill.darker(110));
    shade.setColorAt(1, fill.lighter(106));
    p.setPen(QPen(edge, 1));
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(left, top, right - left, thickness), thickness / 2, thickness / 2);
    return image;
}

QImage draw_slider_handle(QSize size, QColor face, QColor edge, QColor grip)
{
    const qreal w = size.width();
    const qreal h = size.height();
    QImage image = new_canvas(size.width(), size.height());
    QPainter p(&image);
    start_painter(p);
    QLinearGradient fill(0, 0, 0, h);
    fill.setColorAt(0, face.lighter(104));
    fill.setColorAt(1, face.darker(106));
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 8, 8);
    p.setPen(QPen(grip, 1.5, Qt::SolidLine, Qt::RoundCap));
    for (int i = -1; i <= 1; ++i) {
        const qreal x = w / 2 + i * 4.5;
        p.drawLine(QPointF(x, h * 0.32), QPointF(x, h * 0.68));
    }
    return image;
}
