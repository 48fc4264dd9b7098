#include "my_message_box.h"

#include <QApplication>
#include <QPushButton>
#include <QStyle>

namespace {
QPixmap standardPixmap(QStyle::StandardPixmap kind) { return QApplication::style()->standardIcon(kind).pixmap(64, 64); }
}  // namespace

MyMessageBox::MyMessageBox(const QString &title, int iconKind, QWidget *parent) : QMessageBox(parent), mTitle(title) {
    setWindowTitle(mTitle);
    QStyle::StandardPixmap kind = QStyle::SP_MessageBoxInformation;
    if (iconKind == 1)
        kind = QStyle::SP_MessageBoxWarning;
    else if (iconKind == 2)
        kind = QStyle::SP_MessageBoxCritical;
    setIconPixmap(standardPixmap(kind));
    setAttribute(Qt::WA_DeleteOnClose);
}

MyMessageBox::MyMessageBox(const QString &title, const QString &text, const QString &acceptText,
                           const QString &rejectText)
    : QMessageBox() {
    setIconPixmap(standardPixmap(QStyle::SP_MessageBoxInformation));
    setWindowTitle(title);
    setText(text);
    addButton(new QPushButton(acceptText), QMessageBox::AcceptRole);
    addButton(new QPushButton(rejectText), QMessageBox::RejectRole);
}
