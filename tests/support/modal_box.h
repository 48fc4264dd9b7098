// Watches for modal message boxes (the static QMessageBox functions' among them), records their
// title, text, icon and buttons, and presses the chosen button. Suites, the journey driver and
// the login driver plugin inside the real client share it.
#ifndef QETO_TEST_MODAL_BOX_H
#define QETO_TEST_MODAL_BOX_H

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;  // button texts in the box's order
};

class ModalBoxWatcher : public QObject {
    Q_OBJECT
public:
    explicit ModalBoxWatcher(QObject *parent = nullptr);
    ~ModalBoxWatcher() override;

    static constexpr int kLeaveOpen = -2;
    static constexpr int kDefaultButton = -3;
    // Index (in the box's button order) of the button pressed for the coming boxes;
    // -1 closes the box with Escape, kLeaveOpen leaves it to someone else, kDefaultButton
    // presses what Enter would (the first button when the box names none).
    void setAnswer(int buttonIndex) { mAnswer = buttonIndex; }
    // Press the button with this text (takes precedence over the index while set).
    void setAnswerText(const QString &text) { mAnswerText = text; }
    // Answers used one per box, before falling back to setAnswer's value.
    void queueAnswers(const QList<int> &answers) { mQueued = answers; }
    // Runs for every new box once it is recorded, inside the box's own event loop (the only
    // place code can run while a modal box is open); a box it closes is not answered.
    void setOnBox(std::function<void(QMessageBox *)> onBox) { mOnBox = std::move(onBox); }

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
    std::function<void(QMessageBox *)> mOnBox;
};

#endif  // QETO_TEST_MODAL_BOX_H
