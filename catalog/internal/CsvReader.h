#pragma once
// Reads the records of a CSV text one at a time: fields separated by one character, records
// ended by a line break (CR LF, LF or CR) outside quotes, quoted fields with their quotes
// doubled and line breaks inside. A broken record is reported, and reading goes on after it.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

class TCsvReader {
public:
    // `text` must outlive the reader. A byte-order mark at its start is passed over. The
    // separator is whichever of comma, semicolon, tab and pipe stands most often outside
    // quotes in the first record; a comma when none does.
    explicit TCsvReader(QByteArrayView text);

    char Separator() const { return Sep; }

    enum class TRecord { Row, Broken, End };
    // Reads the next record that is not a blank line. For a Row, `fields` holds its fields,
    // valid until the next call; for a Broken one, `problem` says what is wrong with it, and
    // reading goes on at the line after the one it began on.
    TRecord Next(std::vector<QByteArrayView>& fields, QString& problem);
    // The line the record last read began on, counted from 1.
    qint64 Line() const { return RecordLine; }

private:
    // Reads one field at Position; false when the record is broken.
    bool ReadField(std::vector<QByteArrayView>& fields, QString& problem);
    bool ReadQuoted(std::vector<QByteArrayView>& fields, QString& problem);
    // Passes over one line break at Position, if there is one, counting it.
    bool PassLineBreak();
    void SkipToNextLine(qsizetype from);
    bool AtRecordEnd() const;

    QByteArrayView Text;
    qsizetype Position = 0;
    qint64 NextLine = 1;
    qint64 RecordLine = 0;
    char Sep = ',';
    // Where a field whose quotes were doubled is kept without them, one a field.
    std::vector<QByteArray> Unquoted;
};
