// Editable exchange chooser with the house look; fills itself from the bundled exchange list.
#ifndef QETO_MY_COMBO_BOX_H
#define QETO_MY_COMBO_BOX_H

#include <QComboBox>
#include <QString>
#include <QStringList>

class MyComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit MyComboBox(QWidget *parent = nullptr);

    static QString idleStyle();
    static QString focusedStyle();
    // Names of the "name" members of a JSON array of objects, in document order; empty when unreadable.
    static QStringList readExchangeNames(const QString &path);

public slots:
    void slotChooseItem(QString contry);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

#endif  // QETO_MY_COMBO_BOX_H
