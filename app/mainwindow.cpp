#include "mainwindow.h"

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent) { resize(1280, 720); }
