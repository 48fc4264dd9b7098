#include "user/personal_inf_dialog.h"

PersonalInfDialog::PersonalInfDialog(QWidget *parent) : QDialog(parent) {}

PersonalInfDialog::~PersonalInfDialog() = default;

void PersonalInfDialog::slot_refresh() {}
