#pragma once
// The discs of a catalogue file, a disc being the rows that share a label: listed from the
// small table the file keeps, found, renamed and deleted, each change in one transaction.

#include <QString>
#include <memory>
#include <vector>

class TCatalogConnection;

struct TDisc {
    QString Label; // empty for the rows that have none
    qint64 Files = 0;
    qint64 Folders = 0;
};

class TDiscCatalog {
public:
    // Keeps the catalogue file at `path` open while it lives: for writing when it may be
    // written, else for reading only. Throws TDataError naming the file.
    explicit TDiscCatalog(const QString& path);
    ~TDiscCatalog();
    TDiscCatalog(const TDiscCatalog&) = delete;
    TDiscCatalog& operator=(const TDiscCatalog&) = delete;

    // Every disc, in the order of the labels' bytes, which costs nothing. A file without the
    // table of discs (one that could never be written, so never prepared) is counted through
    // its rows.
    std::vector<TDisc> Discs();
    // Whether anybody else (a cursor of this program, another program) wrote to the file
    // since Discs() was last called.
    bool ChangedSinceListed();
    // The rowid of the disc's first row; 0 when no row has that label.
    qint64 FirstRowOf(const QString& label);
    // The most characters a label may have (the field's declared size); 0 for no limit.
    int LabelSize();
    // Gives every row of disc `label` the label `newLabel`, in one transaction, and returns
    // how many rows it gave it. A label longer than the field is refused, never cut.
    qint64 Rename(const QString& label, const QString& newLabel);
    // Deletes the `rows` rows of the disc in one transaction: the count the user was asked
    // about. A disc that holds another count by then is left as it is, and the call fails.
    void Delete(const QString& label, qint64 rows);

private:
    // Runs a statement that changes the rows of disc `label` (?1), with `bound` as ?2 where
    // it has that parameter, in a transaction of its own; returns the rows changed.
    qint64 ChangeDisc(const QByteArray& sql, const QString& label, const QString& bound,
                      qint64 expectedRows = -1);

    std::unique_ptr<TCatalogConnection> Connection;
    qint64 ListedVersion = 0;
};
