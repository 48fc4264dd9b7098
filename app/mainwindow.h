// The single top-level window.
#ifndef QETO_MAINWINDOW_H
#define QETO_MAINWINDOW_H

#include <QMainWindow>

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
};

#endif  // QETO_MAINWINDOW_H
