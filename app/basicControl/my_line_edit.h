// Line edit with the house look: grey border at rest, sky-blue border while focused.
#ifndef QETO_MY_LINE_EDIT_H
#define QETO_MY_LINE_EDIT_H

#include <QLineEdit>
#include <QString>

class MyLineEdit : public QLineEdit {
    Q_OBJECT
public:
    // Digits-only field (codes, quantities, accounts).
    explicit MyLineEdit(QWidget *parent = nullptr);
    // Free-text field with a placeholder.
    MyLineEdit(const QString &placeholder, QWidget *parent = nullptr);

    static QString idleStyle();
    static QString focusedStyle();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void applyStyle(const QString &style);

    QString mStyleSheet;
};

#endif  // QETO_MY_LINE_EDIT_H
