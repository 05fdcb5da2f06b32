#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

// Answers every modal message box that opens while it lives, by pressing
// the given button, and keeps its title and text.
class modal_answer : public QObject
{
    Q_OBJECT
public:
    explicit modal_answer(QMessageBox::StandardButton button);

    int boxes = 0;
    QString title;
    QString text;

private:
    void look();

    QMessageBox::StandardButton answer;
    QTimer timer;
};
