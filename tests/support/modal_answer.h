#pragma once

#include <QList>
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
    explicit modal_answer(QMessageBox::StandardButton button) : modal_answer(QList<QMessageBox::StandardButton>{button}) {}
    // The boxes in turn, the last button for every box after.
    explicit modal_answer(const QList<QMessageBox::StandardButton> &buttons);

    int boxes = 0;
    QString title;
    QString text;

private:
    void look();

    QList<QMessageBox::StandardButton> answers;
    QTimer timer;
};
