// Draws every picture of the program's resources into <out>/images/*.png and
// <out>/icon.ico (default <out>: the source tree's images/ folder).
//   draw_images [out_dir]

#include "brands.h"
#include "controls.h"
#include "image_files.h"
#include "pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

#include <functional>
#include <vector>

namespace {

enum class png_kind { rgba, grey_palette, grey_alpha_palette };

struct picture
{
    const char *name;
    png_kind kind;
    std::function<QImage()> draw;
};

std::vector<picture> all_pictures()
{
    using cs = control_state;
    const QSize switch_size(80, 25);
    const QSize round_switch_size(36, 24);
    const QSize button_size(50, 25);
    auto sw = [=](cs state) { return [=] { return draw_switch(switch_size, switch_look_for(state)); }; };
    auto round_sw = [=](cs state) {
        return [=] { return draw_switch(round_switch_size, switch_look_for(state)); };
    };
    auto button = [=](QColor face, QColor edge) { return [=] { return draw_push_button(button_size, face, edge); }; };
    auto indicator = [](QColor fill, QColor ring) { return [=] { return draw_indicator(24, fill, ring); }; };
    auto bar = [](int w, QColor fill, QColor edge, bool l, bool r) {
        return [=] { return draw_slider_bar(QSize(w, 25), fill, edge, l, r); };
    };
    auto handle = [](QColor face, QColor edge, QColor grip) {
        return [=] { return draw_slider_handle(QSize(50, 25), face, edge, grip); };
    };
    namespace pal = palette;
    const png_kind rgba = png_kind::rgba;

    return {
        {"icon.png", rgba, [] { return draw_program_icon(512); }},
        {"conf_icon.png", rgba, [] { return draw_gear_with_wrench(980, 990); }},
        {"refresh.png", rgba, [] { return draw_refresh_arrows(45); }},
        {"legend.png", png_kind::grey_palette, [] { return draw_legend(554, 200); }},
        {"edit_ico.png", png_kind::grey_alpha_palette, [] { return draw_pencil(980, 981); }},

        {"switch_btn_off_80x25.png", rgba, sw(cs::off)},
        {"switch_btn_off_hover_80x25.png", rgba, sw(cs::off_hover)},
        {"switch_btn_on_108x25.png", rgba, sw(cs::on)},
        {"switch_btn_on_hover_108x25.png", rgba, sw(cs::on_hover)},
        {"switch_btn_on_disabled_108x25.png", rgba, sw(cs::on_disabled)},
        {"switch_btn_off_disabled_108x25.png", rgba, sw(cs::off_disabled)},

        {"push_btn_off_50x25.png", rgba, button(pal::white, pal::outline)},
        {"push_btn_hover_50x25.png", rgba, button(pal::pale_blue, pal::pale_blue_edge)},
        {"push_btn_on_50x25.png", rgba, button(pal::light_grey, QColor(138, 138, 138))},

        {"round_button_switch.png", rgba, round_sw(cs::off)},
        {"round_button_switch_hover.png", rgba, round_sw(cs::off_hover)},
        {"round_button_switch_on.png", rgba, round_sw(cs::on)},
        {"round_button_switch_on_hover.png", rgba, round_sw(cs::on_hover)},
        {"round_button_switch_on_disabled.png", rgba, round_sw(cs::on_disabled)},
        {"round_button_switch_disabled.png", rgba, round_sw(cs::off_disabled)},

        {"round_button_indicator_on.png", rgba, indicator(pal::bright_green, pal::bright_green_edge)},
        {"round_button_indicator_disabled.png", rgba, indicator(QColor(150, 150, 150), QColor(116, 116, 116))},
        {"round_button_indicator_off.png", rgba, indicator(pal::white, pal::outline)},
        {"round_button_indicator_off_hover.png", rgba, indicator(pal::pale_blue, pal::outline)},
        {"round_button_indicator_on_hover.png", rgba, indicator(pal::muted_green, pal::muted_green_edge)},

        {"slider_background_250x25.png", rgba, bar(250, pal::grey, pal::grey_edge, true, true)},
        {"slider_left_background_250x25.png", rgba, bar(125, pal::green, pal::green_edge, true, false)},
        {"slider_left_background_disabled_250x25.png", rgba,
         bar(125, pal::dark_grey, pal::dark_grey_edge, true, false)},
        {"slider_right_background_250x25.png", rgba, bar(125, pal::grey, pal::grey_edge, false, true)},
        {"slider_handle_50x25.png", rgba, handle(pal::white, pal::outline, QColor(160, 160, 160))},
        {"slider_handle_hover_50x25.png", rgba, handle(pal::pale_blue, pal::pale_blue_edge, pal::pale_blue_edge)},
        {"slider_handle_disabled_50x25.png", rgba,
         handle(QColor(226, 226, 226), QColor(190, 190, 190), QColor(200, 200, 200))},

        {"Quendral_logo.png", rgba, [] { return draw_logo(2134, 560, "Quendral", brand_colour::quendral); }},
        {"ostravel.png", rgba, [] { return draw_wordmark(1000, 125, "Ostravel", brand_colour::ostravel); }},
        {"calvenor_logo_PNG.png", rgba,
         [] { return draw_wordmark(1106, 308, "Calvenor", brand_colour::calvenor); }},
        {"sarvique_logo.png", rgba, [] { return draw_logo(1100, 428, "Sarvique", brand_colour::sarvique); }},
        {"cropped-logo7_png_final-5.png", rgba,
         [] { return draw_logo(1687, 461, "Sarvique", brand_colour::sarvique); }},
    };
}

}  // namespace

int main(int argc, char **argv)
{
    // Text needs a font database, which needs a platform; none is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QString root = app.arguments().size() > 1 ? app.arguments().at(1)
                                                    : QStringLiteral(DRAW_IMAGES_DEFAULT_OUT);
    const QDir dir(root);
    if (!dir.mkpath(QStringLiteral("images"))) {
        err << "cannot create " << dir.filePath("images") << "\n";
        return 1;
    }

    int failures = 0;
    for (const picture &pic : all_pictures()) {
        const QString path = dir.filePath(QStringLiteral("images/") + pic.name);
        const QImage image = pic.draw();
        bool ok = false;
        switch (pic.kind) {
        case png_kind::rgba: ok = save_rgba_png(image, path); break;
        case png_kind::grey_palette: ok = save_grey_palette_png(image, path); break;
        case png_kind::grey_alpha_palette: ok = save_grey_alpha_palette_png(image, path); break;
        }
        out << (ok ? "wrote " : "FAILED ") << path << " (" << image.width() << " x " << image.height() << ")\n";
        failures += ok ? 0 : 1;
    }

    const QString ico = dir.filePath(QStringLiteral("icon.ico"));
    const bool ico_ok = save_ico({draw_program_icon(16), draw_program_icon(32)}, draw_program_icon(256), ico);
    out << (ico_ok ? "wrote " : "FAILED ") << ico << " (16, 32, 256)\n";
    failures += ico_ok ? 0 : 1;
    return failures == 0 ? 0 : 1;
}
