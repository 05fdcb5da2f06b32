#pragma once

#include <QImage>

QImage draw_gear_with_wrench(int width, int height);
QImage draw_refresh_arrows(int size);
QImage draw_pencil(int width, int height);
// Grey levels on white; the caller turns it into an opaque palette picture.
QImage draw_legend(int width, int height);
QImage draw_program_icon(int size);
