#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <cstdint>

class laser_object;

// The device-parameters window: shows and sets the stored parameters of one
// channel's board. One instance for the whole run, handed a channel by the
// main window. (Placeholder until the window itself lands.)
class laser_params : public QMainWindow
{
    Q_OBJECT

public:
    explicit laser_params(QWidget *parent = nullptr);
    ~laser_params() override;

    int32_t active = 0;
    laser_object *channel = nullptr;

    void load_spin_boxes();

signals:
    void sig_laser_conf_dialog_is_hided();
    void sig_thread_serial_write(QByteArray data);
};
