// The hot keys of the workspace and the order window, after the conventions of Chinese broker
// terminals. Each key runs the slot of the button it stands for; the buttons name it in their
// tool tips.
#ifndef QETO_HOT_KEYS_H
#define QETO_HOT_KEYS_H

#include <QKeySequence>
#include <QString>

namespace HotKeys {

constexpr int kBuy = Qt::Key_F1;             // the order window with 买 chosen
constexpr int kSell = Qt::Key_F2;            // the order window with 卖 chosen
constexpr int kOrderQuery = Qt::Key_F3;      // the 委托查询 tab
constexpr int kPositions = Qt::Key_F4;       // the 持仓查询 tab
constexpr int kSearch = Qt::Key_F5;          // the current tab's 搜索/查询
constexpr int kCloseOrder = Qt::Key_Escape;  // hides the order window
constexpr int kSendOrder = Qt::Key_Enter;    // 下单, from the price or quantity box (Return too)

// The key as the platform writes it, e.g. "F1".
inline QString text(int key) { return QKeySequence(key).toString(QKeySequence::NativeText); }

}  // namespace HotKeys

#endif  // QETO_HOT_KEYS_H
