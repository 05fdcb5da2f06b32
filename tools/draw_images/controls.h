#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

// The six states a two-state control is drawn in (the style sheets pick one
// per pseudo-state: normal, hover, checked, hover+checked, checked+disabled,
// disabled).
enum class control_state { off, off_hover, on, on_hover, on_disabled, off_disabled };

// Everything that changes between the states of one switch; the geometry is
// the same for all of them, so the states read as one family.
struct switch_look
{
    QColor track;
    QColor track_edge;
    QColor knob;
    QColor knob_edge;
    bool knob_right = false;
};

switch_look switch_look_for(control_state state);
QImage draw_switch(QSize size, const switch_look &look);

QImage draw_push_button(QSize size, QColor face, QColor edge);
QImage draw_indicator(int size, QColor fill, QColor ring);

// A slider bar: the whole groove (both ends round) or one of the two pages
// (one round end, the other end runs off the picture so the pieces join).
QImage draw_slider_bar(QSize size, QColor fill, QColor edge, bool round_left, bool round_right);
QImage draw_slider_handle(QSize size, QColor face, QColor edge, QColor grip);

// Shared colours of the control family.
namespace palette {
inline const QColor white(255, 255, 255);
inline const QColor outline(150, 150, 150);
inline const QColor pale_blue(198, 224, 250);
inline const QColor pale_blue_edge(104, 148, 204);
inline const QColor light_grey(214, 214, 214);
inline const QColor grey(200, 200, 200);
inline const QColor grey_edge(160, 160, 160);
inline const QColor dark_grey(122, 122, 122);
inline const QColor dark_grey_edge(100, 100, 100);
inline const QColor green(46, 168, 70);
inline const QColor green_edge(30, 126, 50);
inline const QColor bright_green(40, 222, 60);
inline const QColor bright_green_edge(22, 150, 38);
inline const QColor muted_green(112, 168, 116);
inline const QColor muted_green_edge(76, 124, 80);
inline const QColor disabled_knob(176, 176, 176);
inline const QColor disabled_knob_edge(140, 140, 140);
}
