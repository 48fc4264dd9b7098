// Table header with a "select all" check box drawn in its first section.
#ifndef QETO_MY_HEADER_VIEW_H
#define QETO_MY_HEADER_VIEW_H

#include <QHeaderView>
#include <QPoint>
#include <QRect>

class MyHeaderView : public QHeaderView {
    Q_OBJECT
public:
    explicit MyHeaderView(Qt::Orientation orientation, QWidget *parent = nullptr);

    // Clears the check without signalling, e.g. after the table is reloaded.
    void setUnchecked();
    bool isChecked() const { return mChecked; }
    // Where the box was last painted, in viewport coordinates; null before the first paint.
    QRect checkBoxRect() const { return mCheckBoxRect; }

signals:
    void signalHeadCheckBoxToggled(bool checked);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    bool mChecked = false;
    // Painting finds the box, so it is kept from the const paint pass.
    mutable QRect mCheckBoxRect;
    QPoint mMousePoint{100, 100};
};

#endif  // QETO_MY_HEADER_VIEW_H
