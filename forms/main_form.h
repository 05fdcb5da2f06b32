#pragma once

class QMainWindow;
class Ui_MainWindow;

// Builds the main form on a window. The generated set-up is one function of
// some 20,000 statements; this is the one place that compiles it, so the
// main window, the tests and the tools all build the form through here.
void build_main_form(Ui_MainWindow *ui, QMainWindow *window);
