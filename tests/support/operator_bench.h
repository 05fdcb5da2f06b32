#pragma once

#include <QList>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "form_fixture.h"
#include "support/bench_line.h"
#include "support/settings_folder.h"

class MainWindow;
class laser_object;
class laser_params;

// A reading put on a board before the connection, and the text its page
// shows for it.
struct board_reading
{
    int type;
    uint8_t read_code;
    double value;
    const char *label;
    const char *text;
};

// The whole program as main builds it, against boards on the simulated bench
// over a pseudo-terminal: the settings file in a folder of its own, the
// parameters window made first and handed to the main window, the main
// window shown. Board k of the list is on channel k+1 at CAN address k+1,
// the channel named "Bench k+1"; the other channels are disabled.
//
// The steps below return an empty string when they went as the operator
// expects, else what went wrong, naming the channel, the board's type and
// the value (for QVERIFY2).
class operator_bench
{
public:
    explicit operator_bench(const QList<int> &types);
    ~operator_bench();
    operator_bench(const operator_bench &) = delete;
    operator_bench &operator=(const operator_bench &) = delete;

    // Clicks Connect, waits for "Connection status: CONNECTED" and unfolds
    // every enabled page by its tab button.
    QString connect_by_button();
    // Waits until every page names its board's driver, then for the view
    // ticks that load the board's set points into the inputs (one per tick).
    QString wait_pages_ready();
    bool ready() const { return is_ready; }
    // The connect scenario: puts the readings on the boards, connects, and
    // waits until every page shows its readings and its tab names its board:
    // at the latest at the view tick after the window has read `max_passes`
    // of the board's passes (the one that told its type, then those that
    // asked for its readings); then as wait_pages_ready.
    QString connect_and_fill(const QList<board_reading> &readings, int max_passes);

    int channels() const { return types.size(); }
    // The channel (1..n) of the board of this type, the first if several.
    int channel_of(int type) const;
    int type_of(int ch) const { return types.at(ch - 1); }
    sim_board &board(int ch) const { return *bench.bus.board(ch - 1); }
    laser_object *channel(int ch) const;
    // "channel 3 (type 16)".
    QString describe(int ch) const;
    // The widget of channel ch's page that is called `name` on channel 1's.
    template <typename W = QWidget>
    W *widget(int ch, const QString &name) const
    {
        return page(ch)->findChild<W *>(name + form_fixture::page_suffixes().at(ch - 1));
    }
    QWidget *page(int ch) const;

    // An operator's entry into a page input: in a spin box the value and
    // Return ("250 kHz": the unit picked from the box's unit list first), in
    // a list the item of that text. Waits for the input to be offered
    // (shown and enabled) first.
    QString enter(int ch, const QString &input, const QString &entry);
    // Waits until the board holds `value` (physical units) under its read code.
    QString board_holds(int ch, uint8_t read_code, double value) const;
    // Waits until the page's label (or button, or tab) shows `text`.
    QString page_shows(int ch, const QString &name, const QString &text) const;
    // Runs the operator's clicks on channel ch's page, then waits until its
    // board has read every output frame they sent: a click returns once its
    // last frame is handed to the link, and until the board has read it the
    // board's output tells nothing of the click.
    QString click_and_wait(int ch, const std::function<void()> &clicks);
    // Waits for the board's output to be as asked and the page's state label
    // to say so.
    QString output_shows(int ch, bool on) const;
    // Clicks the page's on/off button unless the board's output already is as
    // asked (as click_and_wait), then as output_shows.
    QString switch_output(int ch, bool on);

    // The set-point scenario: `prepare` "on" switches the output on around
    // the entry; then the board must hold the value and the page show it.
    QString set_point(int ch, const QString &prepare, const QString &input, const QString &entry, uint8_t read_code,
                      double held, const QString &label, const QString &text);
    // The output scenario: on and off by the page's button; the board, the
    // page's state label and the window's emission indicator follow. With
    // more clicks, from off, each queued to arrive inside the waits of the
    // one before: the last output frame on the line is the last click's, and
    // board, label and indicator end on (odd) or off (even).
    QString output_follows(int ch, int clicks = 1);

    const QList<int> types;
    settings_folder folder;
    bench_line bench;
    std::unique_ptr<laser_params> params;
    std::unique_ptr<MainWindow> window;

private:
    bool is_ready = false;
};

// The page's driver label for a board of this type.
QString driver_name(int type);
bool is_pulsed_type(int type);
// The read code of a board's output flag: emission on the pulsed types.
uint8_t output_code(int type);
// The page's output switch and its state label.
QString on_off_button_name(int type);
QString state_label_name(int type);

bool wait_for(const std::function<bool()> &done, int timeout_ms = 20000);

// A table of set points for operator_bench::set_point, one row each:
// type, prepare, input, entry, read code, value held, label, text.
void set_point_columns();
// Runs the row under way of such a table against the bench.
QString set_point_row(operator_bench &b);
