// The limit of the client's start-up and memory: a bare QMainWindow of the client's size holding
// one button with the client's button style sheet and font, and nothing else.
#include <QApplication>
#include <QMainWindow>
#include <QPushButton>

int main(int argc, char **argv) {
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);  // as the client starts
    QApplication app(argc, argv);
    QMainWindow window;
    auto *button = new QPushButton(QStringLiteral("立即登录"), &window);
    button->setStyleSheet(
        QStringLiteral("QPushButton{border-radius: 5px;padding-left: 10px;padding-right: 10px;background: #87CEEB;"
                       "font-family:'Microsoft YaHei';font:bold 17px;color:#FFFFFF;}"));
    window.setCentralWidget(button);
    window.resize(1280, 720);
    window.show();
    return app.exec();
}
