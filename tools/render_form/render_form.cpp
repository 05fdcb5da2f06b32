// Renders each page of the main window, and the first channel page unfolded
// at its full size, to PNG files: render_form <output folder>.
// Run under a display (make screenshots uses Xvfb) or with -platform offscreen.

#include <QApplication>
#include <QGroupBox>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTimer>

#include "app/mainwindow.h"
#include "app/program_font.h"
#include "app/resources.h"
#include "channel/laser_object.h"
#include "forms/mainwindow_form.h"
#include "tools/render_common/picture.h"

namespace {

const char tool[] = "render_form";

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Exactly the program's font, so the pictures show what the program shows.
    apply_program_font();
    lumatrex_init_resources();
    const QString out_dir = picture::output_folder(argc, argv, tool);
    if (out_dir.isEmpty())
        return 1;

    MainWindow window;
    window.show();
    picture::settle();

    auto *stack = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
    if (!stack)
        return 1;
    const char *const page_files[] = {"page0_seed_laser.png", "page1_channel_list.png", "page2_settings.png",
                                      "page3_help.png"};
    bool ok = true;
    for (int i = 0; i < stack->count() && i < 4; ++i) {
        stack->setCurrentIndex(i);
        picture::settle();
        ok &= picture::save(&window, out_dir, page_files[i], tool);
    }

    // The seed-laser panel is placed by fixed geometry and is taller than the
    // window; draw it whole as well.
    stack->setCurrentIndex(0);
    picture::settle();
    ok &= picture::save(window.findChild<QWidget *>(QStringLiteral("velmor_widget")), out_dir,
                        "page0_seed_laser_panel.png", tool);

    // The first channel page with both of its blocks, at the size the
    // channel list gives it. The window starts with every page folded and,
    // with no board, hides both blocks at every view tick, and greys the
    // channel list while disconnected: unfold it by hand with the ticks
    // stopped, in the look it has when connected.
    window.view_update_timer->stop();
    window.ui->scrollArea->setEnabled(true);
    stack->setCurrentIndex(1);
    laser_object *first = window.lasers[0];
    first->page->show();
    first->laser_group->show();
    first->cw_widget->show();
    first->ps_ns_widget->show();
    picture::settle();
    ok &= picture::save(first->page, out_dir, "channel_page.png", tool);
    return ok ? 0 : 1;
}
