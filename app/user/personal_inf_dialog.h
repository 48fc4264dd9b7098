// Account funds dialog. For now only the frame the workspace opens and refreshes.
#ifndef QETO_PERSONAL_INF_DIALOG_H
#define QETO_PERSONAL_INF_DIALOG_H

#include <QDialog>

class PersonalInfDialog : public QDialog {
    Q_OBJECT
public:
    explicit PersonalInfDialog(QWidget *parent);
    ~PersonalInfDialog() override;

public slots:
    void slot_refresh();
};

#endif  // QETO_PERSONAL_INF_DIALOG_H
