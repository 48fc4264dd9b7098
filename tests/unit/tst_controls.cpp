// Styled controls: focus looks, validators, the exchange chooser, click label, header check box, table.
#include <QCompleter>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QRegExpValidator>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>
#include <functional>

#include "basicControl/base_table_widget.h"
#include "basicControl/combobox_item.h"
#include "basicControl/my_click_label.h"
#include "basicControl/my_combo_box.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_header_view.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_spin_box.h"
#include "basicControl/my_time_edit.h"

namespace {
const char kGrey[] = "rgb(192,191,191)";
const char kSky[] = "#87CEEB";

QString inputSheet(const char *selector, const char *border) {
    return QStringLiteral(
               "%1 {border: 1px solid %2;border-radius: 3px;padding: 1px 18px 1px 3px;color: rgb(192, 191, 191);"
               "font: normal normal 15px \"Microsoft YaHei\";background: transparent;}")
        .arg(QLatin1String(selector), QLatin1String(border));
}

QString comboSheet(const char *border) {
    return QStringLiteral(
               "QComboBox {border: 1px solid %1;border-radius: 3px;padding: 1px 18px 1px 3px;color: rgb(118, 131, 143);"
               "font: normal normal 15px \"Microsoft YaHei\";background: transparent;}QComboBox QAbstractItemView "
               "{outline: 0px solid rgb(192, 191, 191);border: 1px solid rgb(192,191,191); background-color: "
               "white;selection-background-color: lightgreen; font-size: 15px;}QComboBox QAbstractItemView::item:hover "
               "{color: rgb(96, 98, 102);background-color: rgb(245, 247, 250);}QComboBox QAbstractItemView::item "
               "{height: 35px; color: rgb(96, 98, 102);}QComboBox QAbstractScrollArea QScrollBar:vertical {width: "
               "20px}")
        .arg(QLatin1String(border));
}

const char kDefaultButton[] =
    "QPushButton{border-radius: 5px;padding-left: 10px;padding-right: 10px;color: #87CEEB;background: #87CEEB;"
    "font-family:'Microsoft YaHei';font:bold 15px;color:#FFFFFF;}QPushButton:hover {background: #87CEFA;}"
    "QPushButton:pressed {border: 1px solid rgb(242,203,133);background: #87CEFA;}QPushButton:disabled "
    "{background: #C0C0C0}";
const char kLabelRest[] = "MyLabel{border-radius: 3px;font-family:'Microsoft YaHei';font:bold 13px;color:#000000;}";
const char kLabelHover[] = "border:1px solid;border-color:#CD2626;";
const char kLabelPressed[] = "border:1px solid;border-color:#87CEFA;";

using Factory = std::function<QWidget *(QWidget *)>;

// A shown, active window holding the control under test and a plain line edit to move focus to.
struct FocusWindow {
    QWidget window;
    QWidget *control = nullptr;
    QLineEdit *other = nullptr;
    QString initialSheet;

    bool open(const Factory &make) {
        auto *layout = new QVBoxLayout(&window);
        control = make(&window);
        initialSheet = control->styleSheet();
        other = new QLineEdit(&window);
        layout->addWidget(control);
        layout->addWidget(other);
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        return QTest::qWaitForWindowActive(&window);
    }
};

void press(QWidget *widget, const QPoint &pos) { QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, pos); }
}  // namespace

Q_DECLARE_METATYPE(Factory)

class TestControls : public QObject {
    Q_OBJECT

private slots:
    void focusStyles_data();
    void focusStyles();
    void focusMovesBetweenLineEdits();
    void lineEditInput_data();
    void lineEditInput();
    void fixedSizeOverridesHeight();
    void comboBoxExchanges();
    void comboBoxCompletes();
    void exchangeList_data();
    void exchangeList();
    void comboboxItem();
    void clickLabel_data();
    void clickLabel();
    void label();
    void headerPress_data();
    void headerPress();
    void headerUncheck();
    void pushButtonStyles_data();
    void pushButtonStyles();
    void initTable();
};

void TestControls::focusStyles_data() {
    QTest::addColumn<Factory>("make");
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QString>("idle");
    QTest::addColumn<QString>("focused");

    const QString edit = inputSheet("QLineEdit", kGrey);
    QTest::newRow("line edit digits") << Factory([](QWidget *p) { return new MyLineEdit(p); }) << edit << edit
                                      << inputSheet("QLineEdit", kSky);
    QTest::newRow("line edit placeholder") << Factory([](QWidget *p) { return new MyLineEdit(QStringLiteral("x"), p); })
                                           << edit << edit << inputSheet("QLineEdit", kSky);
    const QString spin = inputSheet("QSpinBox", kGrey);
    QTest::newRow("spin box") << Factory([](QWidget *p) { return new MySpinBox(p); }) << spin << spin
                              << inputSheet("QSpinBox", kSky);
    const QString dspin = inputSheet("QDoubleSpinBox", kGrey);
    QTest::newRow("double spin box") << Factory([](QWidget *p) { return new MyDoubleSpinBox(p); }) << dspin << dspin
                                     << inputSheet("QDoubleSpinBox", kSky);
    const QString time = inputSheet("QTimeEdit", kGrey);
    QTest::newRow("time edit") << Factory([](QWidget *p) { return new MyTimeEdit(p); }) << time << time
                               << inputSheet("QTimeEdit", kSky);
    // The chooser has no sheet of its own until it is first focused.
    QTest::newRow("combo box") << Factory([](QWidget *p) {
        auto *box = new MyComboBox;
        box->setParent(p);
        return box;
    }) << QString() << comboSheet(kGrey)
                               << comboSheet(kSky);
}

void TestControls::focusStyles() {
    QFETCH(Factory, make);
    QFETCH(QString, initial);
    QFETCH(QString, idle);
    QFETCH(QString, focused);

    FocusWindow w;
    QVERIFY(w.open(make));
    w.other->setFocus();
    QTRY_VERIFY(w.other->hasFocus());
    QCOMPARE(w.initialSheet, initial);

    w.control->setFocus();
    QTRY_COMPARE(w.control->styleSheet(), focused);
    w.other->setFocus();
    QTRY_COMPARE(w.control->styleSheet(), idle);
    w.control->setFocus();
    QTRY_COMPARE(w.control->styleSheet(), focused);
}

void TestControls::focusMovesBetweenLineEdits() {
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *first = new MyLineEdit(&window);
    auto *second = new MyLineEdit(QStringLiteral("password"), &window);
    layout->addWidget(first);
    layout->addWidget(second);
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    first->setFocus();
    QTRY_COMPARE(first->styleSheet(), inputSheet("QLineEdit", kSky));
    QCOMPARE(second->styleSheet(), inputSheet("QLineEdit", kGrey));
    QTest::keyClick(&window, Qt::Key_Tab);
    QTRY_COMPARE(second->styleSheet(), inputSheet("QLineEdit", kSky));
    QCOMPARE(first->styleSheet(), inputSheet("QLineEdit", kGrey));
}

void TestControls::lineEditInput_data() {
    QTest::addColumn<bool>("digitsOnly");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("digits kept") << true << QStringLiteral("600000") << QStringLiteral("600000");
    QTest::newRow("letters refused") << true << QStringLiteral("6a0b0") << QStringLiteral("600");
    QTest::newRow("sign and point refused") << true << QStringLiteral("-1.5") << QStringLiteral("15");
    QTest::newRow("free text") << false << QStringLiteral("Ab1.-") << QStringLiteral("Ab1.-");
}

void TestControls::lineEditInput() {
    QFETCH(bool, digitsOnly);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    QScopedPointer<MyLineEdit> edit(digitsOnly ? new MyLineEdit : new MyLineEdit(QStringLiteral("hint")));
    QCOMPARE(edit->placeholderText(), digitsOnly ? QString() : QStringLiteral("hint"));
    QCOMPARE(edit->validator() != nullptr, digitsOnly);
    QCOMPARE(edit->minimumHeight(), 25);
    QCOMPARE(edit->maximumHeight(), 25);
    QTest::keyClicks(edit.data(), typed);
    QCOMPARE(edit->text(), expected);
}

void TestControls::fixedSizeOverridesHeight() {
    MyLineEdit edit;
    edit.setFixedSize(180, 40);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QCOMPARE(edit.size(), QSize(180, 40));
}

void TestControls::comboBoxExchanges() {
    MyComboBox box;
    QCOMPARE(box.count(), 2);
    QCOMPARE(box.itemText(0), QStringLiteral("上交"));
    QCOMPARE(box.itemText(1), QStringLiteral("深交"));
    QVERIFY(box.isEditable());
    QCOMPARE(box.currentText(), QString());
    QCOMPARE(box.maxVisibleItems(), 7);
    QVERIFY(qobject_cast<QListView *>(box.view()));
    QVERIFY(box.completer());
    QCOMPARE(box.completer()->model(), box.model());
    QCOMPARE(box.styleSheet(), QString());

    box.slotChooseItem(QStringLiteral("深交"));
    QCOMPARE(box.currentText(), QStringLiteral("深交"));
}

void TestControls::comboBoxCompletes() {
    FocusWindow w;
    MyComboBox *box = nullptr;
    QVERIFY(w.open([&box](QWidget *p) {
        box = new MyComboBox;
        box->setParent(p);
        return box;
    }));
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    // Chinese text arrives as text without a key code, as from an input method.
    QTest::sendKeyEvent(QTest::Click, box->lineEdit(), Qt::Key_unknown, QStringLiteral("深"), Qt::NoModifier);
    QCOMPARE(box->currentText(), QStringLiteral("深"));
    QCOMPARE(box->completer()->completionPrefix(), QStringLiteral("深"));
    QCOMPARE(box->completer()->completionCount(), 1);
    QCOMPARE(box->completer()->currentCompletion(), QStringLiteral("深交"));
    box->completer()->popup()->hide();
}

void TestControls::exchangeList_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("two names") << QByteArray(R"([{"name":"上交"},{"name":"深交"}])")
                               << QStringList{QStringLiteral("上交"), QStringLiteral("深交")};
    QTest::newRow("not json") << QByteArray("[{\"name\":") << QStringList();
    QTest::newRow("object at top") << QByteArray(R"({"name":"上交"})") << QStringList();
    QTest::newRow("bad entries skipped") << QByteArray(R"([{"name":1},"x",{"other":"y"},{"name":"深交"}])")
                                         << QStringList{QStringLiteral("深交")};
    QTest::newRow("empty file") << QByteArray() << QStringList();
}

void TestControls::exchangeList() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("exchange.json")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    QCOMPARE(MyComboBox::readExchangeNames(file.fileName()), expected);
    QCOMPARE(MyComboBox::readExchangeNames(dir.filePath(QStringLiteral("missing.json"))), QStringList());
}

void TestControls::comboboxItem() {
    ComboboxItem item;
    QSignalSpy chosen(&item, &ComboboxItem::signalChooseitem);
    item.setItem(QStringLiteral("上交"), QStringLiteral("SSE"));
    QVERIFY(item.layout());
    const QList<QLabel *> labels = item.findChildren<QLabel *>();
    QCOMPARE(labels.size(), 2);
    QCOMPARE(labels.at(0)->text(), QStringLiteral("上交"));
    QVERIFY(labels.at(0)->alignment() & Qt::AlignLeft);
    QCOMPARE(labels.at(1)->text(), QStringLiteral("SSE"));
    QVERIFY(labels.at(1)->alignment() & Qt::AlignRight);
    press(&item, QPoint(2, 2));
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toString(), QStringLiteral("上交"));
}

void TestControls::clickLabel_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("emitted");
    QTest::newRow("price") << QStringLiteral("12.34") << 1;
    QTest::newRow("empty") << QString() << 0;
}

void TestControls::clickLabel() {
    QFETCH(QString, text);
    QFETCH(int, emitted);

    QScopedPointer<MyClickLabel> label(text.isEmpty() ? new MyClickLabel : new MyClickLabel(text));
    QCOMPARE(label->styleSheet(), text.isEmpty() ? QString() : QString::fromLatin1(kLabelRest));
    QSignalSpy sent(label.data(), &MyClickLabel::signal_sendPrice);

    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(label.data(), &enter);
    QCOMPARE(label->styleSheet(), QString::fromLatin1(kLabelHover));
    press(label.data(), QPoint(1, 1));
    QCOMPARE(label->styleSheet(), QString::fromLatin1(kLabelPressed));
    QCOMPARE(sent.count(), emitted);
    if (emitted) QCOMPARE(sent.at(0).at(0).toString(), text);
    QTest::mouseRelease(label.data(), Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
    QCOMPARE(label->styleSheet(), QString::fromLatin1(kLabelHover));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(label.data(), &leave);
    QCOMPARE(label->styleSheet(), QString::fromLatin1(kLabelRest));
}

void TestControls::label() {
    MyLabel plain(QStringLiteral("账户"));
    QCOMPARE(plain.text(), QStringLiteral("账户"));
    QCOMPARE(plain.styleSheet(), QString::fromLatin1(kLabelRest));
    plain.setRedStyle();
    QCOMPARE(plain.styleSheet(),
             QStringLiteral("MyLabel{border-radius: 3px;font-family:'Microsoft YaHei';font:bold 16px;color:#CD2626;}"));
    QSignalSpy clicked(&plain, &MyLabel::signalClicked);
    press(&plain, QPoint(1, 1));
    QCOMPARE(clicked.count(), 1);
}

void TestControls::headerPress_data() {
    QTest::addColumn<int>("x");  // relative to section 0's left edge
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("toggles");

    QTest::newRow("box centre") << 20 << 12 << true << true;
    QTest::newRow("box top-left") << 13 << 5 << true << true;
    QTest::newRow("box bottom-right") << 26 << 18 << true << true;
    QTest::newRow("left of box") << 12 << 12 << true << false;
    QTest::newRow("below box") << 20 << 19 << true << false;
    // Section 0 is narrower than the box: this point lies in the box but on section 1.
    QTest::newRow("other section") << 24 << 12 << true << false;
    QTest::newRow("disabled") << 20 << 12 << false << false;
}

void TestControls::headerPress() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, enabled);
    QFETCH(bool, toggles);

    QTableWidget table(3, 3);
    auto *header = new MyHeaderView(Qt::Horizontal, &table);
    table.setHorizontalHeader(header);
    header->setSectionsClickable(true);
    header->setMinimumSectionSize(1);
    header->resizeSection(0, QByteArray(QTest::currentDataTag()) == "other section" ? 16 : 80);
    table.resize(400, 200);
    table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table));
    QTRY_VERIFY(!header->checkBoxRect().isNull());
    const int left = header->sectionViewportPosition(0);
    QCOMPARE(header->checkBoxRect(), QRect(left + 13, 5, 14, 14));
    header->setEnabled(enabled);

    QSignalSpy toggled(header, &MyHeaderView::signalHeadCheckBoxToggled);
    QSignalSpy basePress(header, &QHeaderView::sectionPressed);
    press(header->viewport(), QPoint(left + x, y));
    QCOMPARE(header->isChecked(), toggles);
    QCOMPARE(toggled.count(), toggles ? 1 : 0);
    QCOMPARE(basePress.count(), (!toggles && enabled) ? 1 : 0);
    if (!toggles) return;
    QCOMPARE(toggled.at(0).at(0).toBool(), true);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(left + x, y));
    press(header->viewport(), QPoint(left + x, y));
    QCOMPARE(header->isChecked(), false);
    QCOMPARE(toggled.count(), 2);
    QCOMPARE(toggled.at(1).at(0).toBool(), false);
}

void TestControls::headerUncheck() {
    QTableWidget table(2, 2);
    auto *header = new MyHeaderView(Qt::Horizontal, &table);
    table.setHorizontalHeader(header);
    table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table));
    QTRY_VERIFY(!header->checkBoxRect().isNull());
    press(header->viewport(), header->checkBoxRect().center());
    QVERIFY(header->isChecked());
    QSignalSpy toggled(header, &MyHeaderView::signalHeadCheckBoxToggled);
    header->setUnchecked();
    QVERIFY(!header->isChecked());
    QCOMPARE(toggled.count(), 0);
}

void TestControls::pushButtonStyles_data() {
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QString>("expected");

    const QString blue = QString::fromLatin1(kDefaultButton);
    auto recolour = [&blue](const char *colour, const char *hover, const char *size) {
        QString s = blue;
        s.replace(QLatin1String("#87CEEB"), QLatin1String(colour));
        s.replace(QLatin1String("#87CEFA"), QLatin1String(hover));
        s.replace(QLatin1String("bold 15px"), QLatin1String(size));
        return s;
    };
    QTest::newRow("default") << QString() << blue;
    QTest::newRow("blue big") << QStringLiteral("blueBig") << recolour("#87CEEB", "#87CEFA", "bold 17px");
    QTest::newRow("green") << QStringLiteral("green") << recolour("#00CD66", "#008B45", "bold 15px");
    QTest::newRow("red") << QStringLiteral("red") << recolour("#EE0000", "#CD0000", "bold 15px");
    QTest::newRow("red big") << QStringLiteral("redBig") << recolour("#EE0000", "#CD0000", "bold 17px");
}

void TestControls::pushButtonStyles() {
    QFETCH(QString, variant);
    QFETCH(QString, expected);
    MyPushButton button(QStringLiteral("下单"));
    QCOMPARE(button.text(), QStringLiteral("下单"));
    if (variant == QLatin1String("blueBig")) button.setBlueBigStyle();
    if (variant == QLatin1String("green")) button.setGreenStyle();
    if (variant == QLatin1String("red")) button.setRedStyle();
    if (variant == QLatin1String("redBig")) button.setRedBigStyle();
    QCOMPARE(button.styleSheet(), expected);
}

void TestControls::initTable() {
    BaseTableWidget table;
    QVERIFY(table.styleSheet().startsWith(QLatin1String("QTableWidget{background-color:#FFFAFA;")));
    const QStringList labels{QStringLiteral("证券代码"), QStringLiteral("最新"), QStringLiteral("操作")};
    table.initTable(3, labels);
    QCOMPARE(table.editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(table.columnCount(), 3);
    for (int i = 0; i < labels.size(); ++i) QCOMPARE(table.horizontalHeaderItem(i)->text(), labels.at(i));
    QHeaderView *header = table.horizontalHeader();
    QVERIFY(header->defaultAlignment() & Qt::AlignLeft);
    QCOMPARE(header->minimumHeight(), 23);
    QCOMPARE(header->maximumHeight(), 23);
    QCOMPARE(header->font().pixelSize(), 12);
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
