// QTimeEdit with the house look: grey border at rest, sky-blue border while focused.
#ifndef QETO_MY_TIME_EDIT_H
#define QETO_MY_TIME_EDIT_H

#include <QString>
#include <QTimeEdit>

class MyTimeEdit : public QTimeEdit {
    Q_OBJECT
public:
    explicit MyTimeEdit(QWidget *parent = nullptr);

    static QString idleStyle();
    static QString focusedStyle();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

#endif  // QETO_MY_TIME_EDIT_H
