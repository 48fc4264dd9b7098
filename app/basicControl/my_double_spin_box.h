// QDoubleSpinBox with the house look: grey border at rest, sky-blue border while focused.
#ifndef QETO_MY_DOUBLE_SPIN_BOX_H
#define QETO_MY_DOUBLE_SPIN_BOX_H

#include <QDoubleSpinBox>
#include <QString>

class MyDoubleSpinBox : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit MyDoubleSpinBox(QWidget *parent = nullptr);

    static QString idleStyle();
    static QString focusedStyle();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

#endif  // QETO_MY_DOUBLE_SPIN_BOX_H
