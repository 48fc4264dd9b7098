// A price in the quote panel: framed while hovered or pressed, and a press hands the price on.
#ifndef QETO_MY_CLICK_LABEL_H
#define QETO_MY_CLICK_LABEL_H

#include <QLabel>
#include <QString>

class MyClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit MyClickLabel(QWidget *parent = nullptr);
    explicit MyClickLabel(const QString &text, QWidget *parent = nullptr);

    static QString restingStyle();
    static QString hoverStyle();
    static QString pressedStyle();

signals:
    void signal_sendPrice(QString price);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
};

#endif  // QETO_MY_CLICK_LABEL_H
