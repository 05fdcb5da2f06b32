#include "modal_answer.h"

#include <QAbstractButton>
#include <QApplication>

modal_answer::modal_answer(QMessageBox::StandardButton button) : answer(button)
{
    connect(&timer, &QTimer::timeout, this, &modal_answer::look);
    timer.start(20);
}

void modal_answer::look()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    ++boxes;
    title = box->windowTitle();
    text = box->text();
    if (QAbstractButton *b = box->button(answer))
        b->click();
    else
        box->reject();
}
