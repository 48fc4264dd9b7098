// Message box with a kept title and a 64x64 standard icon; the screens use the static
// QMessageBox functions, this class is the shell's own variant.
#ifndef QETO_MY_MESSAGE_BOX_H
#define QETO_MY_MESSAGE_BOX_H

#include <QMessageBox>
#include <QString>

class MyMessageBox : public QMessageBox {
    Q_OBJECT
public:
    // iconKind 1: warning, 2: critical, anything else: information. Deletes itself when closed.
    MyMessageBox(const QString &title, int iconKind, QWidget *parent);
    MyMessageBox(const QString &title, const QString &text, const QString &acceptText, const QString &rejectText);

    QString keptTitle() const { return mTitle; }

private:
    QString mTitle;
};

#endif  // QETO_MY_MESSAGE_BOX_H
