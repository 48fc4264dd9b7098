// Password change dialog: checks the new trading password against the counter's rules,
// asks for confirmation, sends the change and reports the counter's answer.
#ifndef QETO_UPDATE_PWD_DIALOG_H
#define QETO_UPDATE_PWD_DIALOG_H

#include <QDialog>
#include <QString>

#include "qeto_gate_api.h"

class MyLabel;
class MyLineEdit;
class MyPushButton;

class UpdatePwdDialog : public QDialog {
    Q_OBJECT
public:
    explicit UpdatePwdDialog(QWidget *parent);
    ~UpdatePwdDialog() override;

    // Empties both password boxes; the workspace calls it each time it shows the dialog.
    void clearInputs();

public slots:
    void slotUpdatePwdClick();
    void slotClearClick();
    void slotRspUpdatePwd(CQetoRspUserPasswordUpdateField pRspField, CQetoRspInfo pRspInfo, int nRequestID,
                          bool bIsLast);

private:
    MyLabel *mTitle;
    MyLabel *mOldPwdCaption;
    MyLineEdit *mOldPwdEdit;
    MyLabel *mNewPwdCaption;
    MyLineEdit *mNewPwdEdit;
    MyPushButton *mConfirmBtn;
    MyPushButton *mClearBtn;
    QString mNewPwd;
    QString mOldPwd;
};

#endif  // QETO_UPDATE_PWD_DIALOG_H
