// Renders each page of the main window, and the first channel page at its
// full size, to PNG files: render_form <output folder>.
// Run under a display (make screenshots uses Xvfb) or with -platform offscreen.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QStackedWidget>
#include <QTextStream>

#include <cstdio>

#include "app/mainwindow.h"
#include "app/program_font.h"
#include "app/resources.h"

namespace {

// Lets pending layout, polish and paint events run.
void settle()
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

bool save(QWidget *w, const QString &path)
{
    const QPixmap shot = w->grab();
    if (shot.isNull() || !shot.save(path, "PNG")) {
        std::fprintf(stderr, "render_form: could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%d x %d)\n", qPrintable(path), shot.width(), shot.height());
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Exactly the program's font, so the pictures show what the program shows.
    apply_program_font();
    lumatrex_init_resources();
    const QString out_dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    if (!QDir().mkpath(out_dir)) {
        std::fprintf(stderr, "render_form: cannot create %s\n", qPrintable(out_dir));
        return 1;
    }

    MainWindow window;
    window.show();
    settle();

    auto *stack = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
    if (!stack)
        return 1;
    const char *const page_files[] = {"page0_seed_laser.png", "page1_channel_list.png", "page2_settings.png",
                                      "page3_help.png"};
    bool ok = true;
    for (int i = 0; i < stack->count() && i < 4; ++i) {
        stack->setCurrentIndex(i);
        settle();
        ok &= save(&window, out_dir + QLatin1Char('/') + QLatin1String(page_files[i]));
    }

    // The seed-laser panel is placed by fixed geometry and is taller than the
    // window; draw it whole as well.
    stack->setCurrentIndex(0);
    settle();
    if (QWidget *seed = window.findChild<QWidget *>(QStringLiteral("velmor_widget")))
        ok &= save(seed, out_dir + QStringLiteral("/page0_seed_laser_panel.png"));
    else
        ok = false;

    // The first channel page with both of its blocks, at the size the
    // channel list gives it (taller than the window shows at once).
    stack->setCurrentIndex(1);
    settle();
    if (QWidget *page = window.findChild<QWidget *>(QStringLiteral("laser_widget")))
        ok &= save(page, out_dir + QStringLiteral("/channel_page.png"));
    else
        ok = false;
    return ok ? 0 : 1;
}
