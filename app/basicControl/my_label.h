// Bold label in the house font; a press on it signals.
#ifndef QETO_MY_LABEL_H
#define QETO_MY_LABEL_H

#include <QLabel>
#include <QString>

class MyLabel : public QLabel {
    Q_OBJECT
public:
    explicit MyLabel(QWidget *parent = nullptr);
    MyLabel(const QString &text, QWidget *parent = nullptr);

    void setRedStyle();

    static QString defaultStyle();
    static QString redStyle();

signals:
    void signalClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

#endif  // QETO_MY_LABEL_H
