// Coloured action button: sky blue by default, green or red variants, 17px "big" variants.
#ifndef QETO_MY_PUSH_BUTTON_H
#define QETO_MY_PUSH_BUTTON_H

#include <QPushButton>
#include <QString>

class MyPushButton : public QPushButton {
public:
    explicit MyPushButton(QWidget *parent = nullptr);
    MyPushButton(const QString &text, QWidget *parent = nullptr);

    void setBlueBigStyle();
    void setGreenStyle();
    void setRedStyle();
    void setRedBigStyle();

    static QString buttonStyle(const QString &colour, const QString &hover, int fontPx);
};

#endif  // QETO_MY_PUSH_BUTTON_H
