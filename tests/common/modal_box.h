// Test helper for the static QMessageBox functions: watches for modal message boxes,
// records their title, text, icon and buttons, and presses the chosen button.
#ifndef QETO_TEST_MODAL_BOX_H
#define QETO_TEST_MODAL_BOX_H

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;        // button texts in the box's order
};

class ModalBoxWatcher : public QObject {
    Q_OBJECT
public:
    explicit ModalBoxWatcher(QObject *parent = nullptr);
    ~ModalBoxWatcher() override;

    // Index (in the box's button order) of the button pressed for the coming boxes;
    // -1 closes the box with Escape.
    void setAnswer(int buttonIndex) { mAnswer = buttonIndex; }
    // Press the button with this text (takes precedence over the index while set).
    void setAnswerText(const QString &text) { mAnswerText = text; }
    // Answers used one per box, before falling back to setAnswer's value.
    void queueAnswers(const QList<int> &answers) { mQueued = answers; }

    const QList<SeenBox> &boxes() const { return mBoxes; }
    int count() const { return mBoxes.size(); }
    SeenBox last() const { return mBoxes.isEmpty() ? SeenBox() : mBoxes.last(); }
    void clear() { mBoxes.clear(); }

private:
    void poll();

    QTimer mTimer;
    QList<SeenBox> mBoxes;
    QList<int> mQueued;
    int mAnswer = 0;
    QString mAnswerText;
};

#endif  // QETO_TEST_MODAL_BOX_H
