// The cells of a record row, described once per record type and written either as the texts the
// table shows or straight into the bytes of a CSV line, so that exporting 100,000 records makes
// no string per cell. Each sink takes the same calls in column order:
//   text(value)         a text as it is
//   utf8(bytes, size)   bytes read as QString::fromUtf8 reads them
//   number(value)       an integer as QString::number writes it
//   fixed(value, places) a double as QString::number(value, 'f', places) writes it
//   time(field, size)   a packed time as Utils::formatTime shows it
#ifndef QETO_RECORD_CELLS_H
#define QETO_RECORD_CELLS_H

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace RecordCells {

class Texts {
public:
    void text(const QString &value) { mTexts << value; }
    void utf8(const char *bytes, int size) { mTexts << QString::fromUtf8(bytes, size); }
    void number(qint64 value) { mTexts << QString::number(value); }
    void fixed(double value, int places) { mTexts << QString::number(value, 'f', places); }
    void time(const char *field, int size);
    QStringList take() { return std::move(mTexts); }

private:
    QStringList mTexts;
};

// CSV lines of quoted fields in UTF-8, held until taken: the same texts as Texts gives, with any
// quote doubled. end() closes a line.
class CsvLines {
public:
    // Bytes of address space held from the start; only what is written is ever touched.
    explicit CsvLines(int reserve = 0) { mBuffer.resize(reserve); }
    void append(const QByteArray &bytes);
    void text(const QString &value);
    void utf8(const char *bytes, int size);
    void number(qint64 value);
    void fixed(double value, int places);
    void time(const char *field, int size);
    void end();

    const char *constData() const { return mBuffer.constData(); }
    int size() const { return mSize; }
    QByteArray bytes() const { return mBuffer.left(mSize); }
    void clear() { mSize = 0; }

private:
    // Room for at most `most` more bytes, where they start; done() keeps what was written.
    char *room(int most) {
        if (mBuffer.size() - mSize < most) mBuffer.resize(qMax(2 * mBuffer.size(), mSize + most));
        return mBuffer.data() + mSize;
    }
    void done(const char *end) { mSize = static_cast<int>(end - mBuffer.constData()); }
    // Ends a field at p: its closing quote and the comma that end() turns into a line feed.
    void closeField(char *p) {
        *p++ = '"';
        *p++ = ',';
        done(p);
    }

    QByteArray mBuffer;  // sized ahead; the lines are its first mSize bytes
    int mSize = 0;
};

// Bytes of a fixed-width field before its first NUL.
inline int fieldSize(const char *field, int width) {
    int n = 0;
    while (n < width && field[n] != '\0') ++n;
    return n;
}

}  // namespace RecordCells

#endif  // QETO_RECORD_CELLS_H
