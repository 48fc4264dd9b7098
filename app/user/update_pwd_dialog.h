// Password change dialog. For now only the frame the workspace opens and clears.
#ifndef QETO_UPDATE_PWD_DIALOG_H
#define QETO_UPDATE_PWD_DIALOG_H

#include <QDialog>

class UpdatePwdDialog : public QDialog {
    Q_OBJECT
public:
    explicit UpdatePwdDialog(QWidget *parent);
    ~UpdatePwdDialog() override;

    // Empties every input field; the workspace calls it each time it shows the dialog.
    void clearInputs();
};

#endif  // QETO_UPDATE_PWD_DIALOG_H
