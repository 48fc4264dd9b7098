// Base of every table window of the workspace: title, a top bar the subclass fills, the grid,
// and the CSV export of the rows on show.
#ifndef QETO_QUERY_WINDOW_H
#define QETO_QUERY_WINDOW_H

#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "utils/record_cells.h"

class BaseTableWidget;
class MyLabel;
class QAbstractButton;
class QFile;
class QHBoxLayout;
class QPaintEvent;

class QueryWindow : public QWidget {
    Q_OBJECT
public:
    QueryWindow(const QString &name, QWidget *parent);
    ~QueryWindow() override;

    virtual void setHeader(int columnCount, const QStringList &labels);
    virtual QString windowName();
    virtual QStringList headerLabels();

    BaseTableWidget *table() const { return mTable; }
    // The button that runs this window's query (F5 in the workspace clicks it); none here.
    virtual QAbstractButton *searchButton() const { return nullptr; }

    // Replaces the save dialog (tests, scripted exports); an empty function restores the dialog.
    using SaveFileNameProvider = std::function<QString()>;
    static void setSaveFileNameProvider(SaveFileNameProvider provider);

public slots:
    virtual void exportToCsv();
    virtual void exportAllToCsv();
    // Ctrl+C in the table: the selected rows as tab-separated text with the column titles
    // first, without the columns titled in mUncopiedTitles.
    void copySelectedRows();

protected:
    void paintEvent(QPaintEvent *event) override;

    // Pieces shared with the subclasses' full exports.
    // Empty when the user cancels.
    static QString askCsvFileName();
    // Truncates and opens in text mode and writes the byte order mark; false (after the
    // "文件打开失败" box) when the file cannot be opened.
    static bool openCsvFile(QFile &file, const QString &fileName);
    // Titles joined with commas and a line feed; the order window drops its check-box column,
    // the position window its action column.
    QString csvHeaderLine();
    // Writes the buffer and empties it, keeping its capacity; false on a short write.
    static bool flushCsvBuffer(QFile &file, RecordCells::CsvLines &lines);
    // Closes the file and reports: success under the given title, or "文件写入失败" when any
    // write failed, so that a full disk is never reported as a written file.
    static void finishCsvFile(QFile &file, bool written, const QString &successTitle);
    // The whole "export all": every stored record of the last query as one line of the texts
    // its table row shows, flushed after the first record, every 10000th and the last.
    void exportStoredRecords(int count, const std::function<void(int index, RecordCells::CsvLines &line)> &writeLine,
                             const QString &successTitle);
    // The same over records kept by their position in the answer, blank where one is missing:
    // one walk through the map rather than a search per line.
    template <class Record, class Cells>
    void exportRecords(const QMap<int, Record> &records, int count, const Record &blank, Cells cells,
                       const QString &successTitle) {
        auto it = records.constBegin();
        exportStoredRecords(
            count,
            [&](int index, RecordCells::CsvLines &line) {
                while (it != records.constEnd() && it.key() < index) ++it;
                cells(it != records.constEnd() && it.key() == index ? it.value() : blank, line);
            },
            successTitle);
    }

    static constexpr int kCsvBufferReserve = 52428800;
    static constexpr int kCsvRowsPerFlush = 5000;

    int mColumnCount = 0;
    QStringList mHeaderLabels;
    BaseTableWidget *mTable = nullptr;
    QHBoxLayout *mTopLayout = nullptr;
    MyLabel *mTitleLabel = nullptr;
    QString mWindowName;
    // Columns Ctrl+C leaves out: the check boxes, and the "操作" columns of the tables whose
    // rows carry a button there (the deposit records' "操作" column is text and is copied).
    QStringList mUncopiedTitles;
};

#endif  // QETO_QUERY_WINDOW_H
