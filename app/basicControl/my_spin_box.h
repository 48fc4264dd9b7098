// QSpinBox with the house look: grey border at rest, sky-blue border while focused.
#ifndef QETO_MY_SPIN_BOX_H
#define QETO_MY_SPIN_BOX_H

#include <QSpinBox>
#include <QString>

class MySpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit MySpinBox(QWidget *parent = nullptr);

    static QString idleStyle();
    static QString focusedStyle();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

#endif  // QETO_MY_SPIN_BOX_H
