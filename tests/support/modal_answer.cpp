#include "modal_answer.h"

#include <QAbstractButton>
#include <QApplication>

modal_answer::modal_answer(QMessageBox::StandardButton button, int after_ms) : answer(button), delay_ms(after_ms)
{
    connect(&timer, &QTimer::timeout, this, &modal_answer::look);
    timer.start(20);
}

void modal_answer::look()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    if (box != shown) {
        shown = box;
        shown_for.start();
    }
    if (shown_for.elapsed() < delay_ms)
        return;
    shown = nullptr; // the next box, even at the same address, waits its turn
    ++boxes;
    title = box->windowTitle();
    text = box->text();
    if (QAbstractButton *b = box->button(answer))
        b->click();
    else
        box->reject();
}
