// One row of a custom combo-box popup: a left text (the item) and a right-aligned note.
#ifndef QETO_COMBOBOX_ITEM_H
#define QETO_COMBOBOX_ITEM_H

#include <QString>
#include <QWidget>

class QHBoxLayout;
class QLabel;

class ComboboxItem : public QWidget {
    Q_OBJECT
public:
    explicit ComboboxItem(QWidget *parent = nullptr);
    ~ComboboxItem() override;

    void setItem(QString left, QString right);
    QString itemText() const { return mItemText; }

signals:
    void signalChooseitem(QString);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QHBoxLayout *mLayout;
    QLabel *mLeftLabel;
    QLabel *mRightLabel;
    QString mItemText;
};

#endif  // QETO_COMBOBOX_ITEM_H
