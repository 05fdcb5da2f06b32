#pragma once

// What every picture tool does: take its output folder from the command
// line, let the window settle, grab a widget and save it as PNG. Run the
// tools under a display (the make targets use Xvfb) or with -platform
// offscreen.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <cstdio>

namespace picture {

// Lets pending layout, polish, paint and timer events run for ms milliseconds.
inline void settle(int ms = 200)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

// The folder named by the first argument ("screenshots" without one),
// created if missing; empty if it cannot be.
inline QString output_folder(int argc, char *argv[], const char *tool)
{
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    if (QDir().mkpath(dir))
        return dir;
    std::fprintf(stderr, "%s: cannot create %s\n", tool, qPrintable(dir));
    return QString();
}

// Grabs the widget as it stands and writes it to dir/file; prints the path
// and the size. A quality of 0 packs the file hardest.
inline bool save(QWidget *w, const QString &dir, const char *file, const char *tool, int quality = -1)
{
    const QString path = dir + QLatin1Char('/') + QLatin1String(file);
    const QPixmap shot = w ? w->grab() : QPixmap();
    if (shot.isNull() || !shot.save(path, "PNG", quality)) {
        std::fprintf(stderr, "%s: could not write %s\n", tool, qPrintable(path));
        return false;
    }
    std::printf("%s (%d x %d)\n", qPrintable(path), shot.width(), shot.height());
    return true;
}

} // namespace picture
