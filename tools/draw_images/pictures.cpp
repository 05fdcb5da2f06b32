#include "pictures.h"

#include "paint_util.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QTransform>
#include <QtMath>

namespace {

QPointF polar(QPointF centre, qreal radius, qreal angle)
{
    return centre + QPointF(radius * qCos(angle), radius * qSin(angle));
}

QPainterPath gear_path(QPointF centre, qreal r_outer, qreal r_root, int teeth, qreal r_hole)
{
    // Each tooth is a trapezoid: wider at the root than at the tip.
    const qreal step = 2 * M_PI / teeth;
    QPolygonF outline;
    const int arc_points = 6;
    for (int i = 0; i < teeth; ++i) {
        const qreal a = i * step;
        for (int k = 0; k <= arc_points; ++k)   // tip
            outline << polar(centre, r_outer, a - 0.19 * step + 0.38 * step * k / arc_points);
        for (int k = 0; k <= arc_points; ++k)   // root between this tooth and the next
            outline << polar(centre, r_root, a + 0.29 * step + 0.42 * step * k / arc_points);
    }
    QPainterPath gear;
    gear.addPolygon(outline);
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(centre, r_hole, r_hole);
    return gear.subtracted(hole);
}

// An open-ended wrench lying along the x axis, jaw at +x, ring at -x.
QPainterPath wrench_path(qreal length, qreal shaft_width, qreal head_radius, qreal jaw_width)
{
    // The shaft stops inside the head, short of the jaw, so the cut is clean.
    QPainterPath shaft;
    const qreal shaft_end = length / 2 - head_radius * 0.6;
    shaft.addRect(QRectF(-length / 2, -shaft_width / 2, shaft_end + length / 2, shaft_width));
    QPainterPath head;
    head.addEllipse(QPointF(length / 2, 0), head_radius, head_radius);
    QPainterPath jaw;
    jaw.addRect(QRectF(length / 2, -jaw_width / 2, head_radius * 1.5, jaw_width));
    jaw.addEllipse(QPointF(length / 2, 0), jaw_width / 2, jaw_width / 2);
    QPainterPath ring;
    const qreal ring_radius = head_radius * 0.78;
    ring.addEllipse(QPointF(-length / 2, 0), ring_radius, ring_radius);
    QPainterPath ring_hole;
    ring_hole.addEllipse(QPointF(-length / 2, 0), ring_radius * 0.48, ring_radius * 0.48);
    QPainterPath wrench = shaft.united(head).united(ring).subtracted(jaw).subtracted(ring_hole);
    return wrench.simplified();
}

void arrow_head(QPainter &p, QPointF tip, qreal direction, qreal length, qreal half_width)
{
    const QPointF back = tip - QPointF(length * qCos(direction), length * qSin(direction));
    const QPointF side(-qSin(direction) * half_width, qCos(direction) * half_width);
    p.drawPolygon(QPolygonF() << tip << back + side << back - side);
}

}  // namespace

QImage draw_gear_with_wrench(int width, int height)
{
    QImage image = new_canvas(width, height);
    QPainter p(&image);
    start_painter(p);
    const QPointF centre(width / 2.0, height / 2.0);
    const qreal unit = qMin(width, height);

    const QPainterPath gear = gear_path(centre, unit * 0.40, unit * 0.32, 8, unit * 0.15);

    QTransform place;
    place.translate(centre.x(), centre.y());
    place.rotate(-45);
    const QPainterPath wrench = place.map(
        wrench_path(unit * 0.92, unit * 0.11, unit * 0.16, unit * 0.13));

    // A transparent gap around the wrench keeps the two shapes apart.
    QPainterPathStroker gap;
    gap.setWidth(unit * 0.06);
    gap.setJoinStyle(Qt::RoundJoin);
    const QPainterPath wrench_with_gap = wrench.united(gap.createStroke(wrench));

    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(gear.subtracted(wrench_with_gap));
    p.drawPath(wrench);
    return image;
}

QImage draw_refresh_arrows(int size)
{
    QImage image = new_canvas(size, size);
    QPainter p(&image);
    start_painter(p);
    const qreal s = size / 45.0;
    p.scale(s, s);
    const QPointF c(22.5, 22.5);
    const qreal r = 14;
    const QRectF circle(c.x() - r, c.y() - r, 2 * r, 2 * r);
    const QColor green(38, 160, 58);
    const QColor green_dark(24, 112, 40);

    // Two arcs running clockwise: the upper one ends on the right with its
    // head pointing down, the lower one ends on the left pointing up.
    QPen arc_pen(green, 4.6, Qt::SolidLine, Qt::FlatCap);
    p.setBrush(Qt::NoBrush);
    for (int side = 0; side < 2; ++side) {
        const qreal start = side == 0 ? 160 : 340;   // degrees, counter-clockwise from 3 o'clock
        const qreal sweep = -135;
        p.setPen(arc_pen);
        p.drawArc(circle, qRound(start * 16), qRound(sweep * 16));
        // The head sits on the circle: its base centred on the arc's end,
        // its tip a little further round (screen coordinates, y down).
        auto on_circle = [&](qreal degrees) {
            const qreal a = qDegreesToRadians(degrees);
            return QPointF(c.x() + r * qCos(a), c.y() - r * qSin(a));
        };
        const QPointF base = on_circle(start + sweep + 2);
        const QPointF tip = on_circle(start + sweep - 45);
        const QPointF along = tip - base;
        const qreal direction = qAtan2(along.y(), along.x());
        p.setPen(QPen(green_dark, 0.8));
        p.setBrush(green);
        arrow_head(p, tip, direction, QLineF(base, tip).length(), 6.0);
        p.setBrush(Qt::NoBrush);
    }
    return image;
}

QImage draw_pencil(int width, int height)
{
    QImage image = new_canvas(width, height);
    QPainter p(&image);
    start_painter(p);
    const qreal s = qMin(width, height) / 980.0;
    p.scale(s, s);

    // Flat grey levels only (multiples of 17): the picture becomes a palette.
    const QColor outline(51, 51, 51);
    const QColor body(136, 136, 136);
    const QColor body_light(170, 170, 170);
    const QColor wood(221, 221, 221);
    const QColor lead(68, 68, 68);
    const QColor ferrule(187, 187, 187);
    const QColor eraser(102, 102, 102);

    p.save();
    p.translate(150, 800);
    p.rotate(-45);
    // The pencil lies along +x from its point at the origin.
    const qreal half = 72;
    const qreal tip_len = 190;
    const qreal body_end = 720;
    const qreal ferrule_end = 800;
    const qreal eraser_end = 890;
    QPen pen(outline, 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    p.setPen(pen);
    p.setBrush(eraser);
    p.drawRoundedRect(QRectF(ferrule_end - 30, -half, eraser_end - ferrule_end + 30, 2 * half), 40, 40);
    p.setBrush(body);
    p.drawRect(QRectF(tip_len, -half, body_end - tip_len, 2 * half));
    p.setPen(Qt::NoPen);
    p.setBrush(body_light);
    p.drawRect(QRectF(tip_len + 6, -half / 3, body_end - tip_len - 12, 2 * half / 3));
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(tip_len, -half / 3), QPointF(body_end, -half / 3));
    p.drawLine(QPointF(tip_len, half / 3), QPointF(body_end, half / 3));
    p.setBrush(ferrule);
    p.drawRect(QRectF(body_end, -half - 4, ferrule_end - body_end, 2 * half + 8));
    p.drawLine(QPointF(body_end + 27, -half - 4), QPointF(body_end + 27, half + 4));
    p.drawLine(QPointF(body_end + 54, -half - 4), QPointF(body_end + 54, half + 4));
    p.setBrush(wood);
    p.drawPolygon(QPolygonF() << QPointF(0, 0) << QPointF(tip_len, -half) << QPointF(tip_len, half));
    p.setBrush(lead);
    const qreal lead_len = 62;
    p.drawPolygon(QPolygonF() << QPointF(0, 0) << QPointF(lead_len, -half * lead_len / tip_len)
                              << QPointF(lead_len, half * lead_len / tip_len));
    p.restore();

    // Three dots: "edit ...".
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(600 + i * 125, 870), 46, 46);
    return image;
}

QImage draw_legend(int width, int height)
{
    QImage image = new_canvas(width, height, Qt::white);
    QPainter p(&image);
    start_painter(p);
    const qreal sx = width / 554.0;
    const qreal sy = height / 200.0;
    p.scale(sx, sy);

    const QColor black(0, 0, 0);
    const QColor grey(153, 153, 153);
    const qreal base = 128;
    const qreal pulse_top = 62;
    const qreal first = 18;
    const qreal period = 46;
    const qreal pulse_w = 18;
    const int pulses = 11;
    auto pulse_x = [&](int i) { return first + i * period; };

    // Pulses: four black (N), four grey (M), then black again.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < pulses; ++i) {
        p.setBrush((i >= 4 && i < 8) ? grey : black);
        p.drawRect(QRectF(pulse_x(i), pulse_top, pulse_w, base - pulse_top));
    }
    // Base line with a time arrow.
    p.setPen(QPen(black, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(6, base), QPointF(536, base));
    p.setPen(Qt::NoPen);
    p.setBrush(black);
    p.drawPolygon(QPolygonF() << QPointF(548, base) << QPointF(532, base - 7) << QPointF(532, base + 7));

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(40);
    auto bracket_over = [&](int from, int to, const QString &caption, QColor colour) {
        const qreal left = pulse_x(from);
        const qreal right = pulse_x(to) + pulse_w;
        const qreal y = pulse_top - 12;
        p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF() << QPointF(left, y + 9) << QPointF(left, y)
                                   << QPointF(right, y) << QPointF(right, y + 9));
        p.setFont(font);
        p.drawText(QRectF(left, 0, right - left, y - 2), Qt::AlignHCenter | Qt::AlignBottom, caption);
    };
    bracket_over(0, 3, QStringLiteral("N"), black);
    bracket_over(4, 7, QStringLiteral("M"), QColor(110, 110, 110));

    // The repetition period between two pulses, marked under the base line.
    const qreal a = pulse_x(8);
    const qreal b = pulse_x(9);
    const qreal y = base + 16;
    p.setPen(QPen(black, 3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPolyline(QPolygonF() << QPointF(a, y - 9) << QPointF(a, y) << QPointF(b, y) << QPointF(b, y - 9));
    QFont small = font;
    small.setBold(false);
    small.setPixelSize(30);
    p.setFont(small);
    p.drawText(QRectF(a + period / 2 - 150, y + 2, 300, height / sy - y - 2),
               Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Rep. rate"));
    return image;
}

QImage draw_program_icon(int size)
{
    QImage image = new_canvas(size, size);
    QPainter p(&image);
    start_painter(p);
    p.scale(size / 512.0, size / 512.0);

    // Dark rounded tile.
    const QRectF tile(16, 16, 480, 480);
    QLinearGradient back(0, 16, 0, 496);
    back.setColorAt(0, QColor(38, 56, 118));
    back.setColorAt(1, QColor(12, 18, 52));
    QPainterPath tile_path;
    tile_path.addRoundedRect(tile, 96, 96);
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawPath(tile_path);
    p.setClipPath(tile_path);

    // The laser beam leaving the diode, with its glow.
    const qreal y = 256;
    const qreal x0 = 290;
    for (const auto &layer : {std::pair<qreal, int>{84, 40}, {52, 90}, {28, 170}}) {
        p.setPen(QPen(QColor(255, 40, 30, layer.second), layer.first, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(x0, y), QPointF(520, y));
    }
    p.setPen(QPen(QColor(255, 210, 200), 8, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(x0, y), QPointF(520, y));
    QRadialGradient flare(QPointF(x0, y), 90);
    flare.setColorAt(0, QColor(255, 230, 220, 230));
    flare.setColorAt(0.35, QColor(255, 60, 40, 140));
    flare.setColorAt(1, QColor(255, 40, 30, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(flare);
    p.drawEllipse(QPointF(x0, y), 90, 90);

    // The diode: a triangle against a bar.
    p.setBrush(QColor(245, 245, 250));
    p.drawPolygon(QPolygonF() << QPointF(96, 150) << QPointF(96, 362) << QPointF(262, y));
    p.drawRect(QRectF(262, 150, 24, 212));
    p.setPen(QPen(QColor(245, 245, 250), 20, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(30, y), QPointF(96, y));
    return image;
}
