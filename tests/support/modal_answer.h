#pragma once

#include <QElapsedTimer>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

// Answers every modal message box that opens while it lives, by pressing
// the given button (once the box has been shown for after_ms, as a person
// takes a moment), and keeps its title and text.
class modal_answer : public QObject
{
    Q_OBJECT
public:
    explicit modal_answer(QMessageBox::StandardButton button, int after_ms = 0);

    int boxes = 0;
    QString title;
    QString text;

private:
    void look();

    QMessageBox::StandardButton answer;
    int delay_ms;
    const QMessageBox *shown = nullptr;
    QElapsedTimer shown_for;
    QTimer timer;
};
