#pragma once

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Answers every modal box that opens while it is alive (a fault box run
// inside a view tick, say): it records the box's title and text and closes
// it, so no test can hang on one.
class modal_answer
{
public:
    modal_answer()
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget *w = QApplication::activeModalWidget();
            auto *dialog = qobject_cast<QDialog *>(w);
            if (!dialog)
                return;
            titles << dialog->windowTitle();
            auto *box = qobject_cast<QMessageBox *>(dialog);
            texts << (box ? box->text() : QString());
            dialog->done(QDialog::Accepted);
        });
        timer.start();
    }

    int count() const { return titles.size(); }

    QStringList titles;
    QStringList texts;

private:
    QTimer timer;
};
