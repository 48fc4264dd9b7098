#include "user/update_pwd_dialog.h"

UpdatePwdDialog::UpdatePwdDialog(QWidget *parent) : QDialog(parent) {}

UpdatePwdDialog::~UpdatePwdDialog() = default;

void UpdatePwdDialog::clearInputs() {}
