#pragma once
// Brings one disc of a catalogue file up to date with its files, keeping what the user wrote
// about them. The files a scan found are compared with the disc's rows by folder, without the
// drive letter (which may differ from one mount to the next), and by name. Nothing is written
// until Apply, and Apply writes nothing when the disc's rows changed since the comparison.

#include <QString>
#include <functional>
#include <memory>

class TCatalogConnection;
class TSqliteStatement;

struct TDiscComparison {
    qint64 NewFiles = 0;
    qint64 Gone = 0;
    qint64 GoneWithComment = 0;
    qint64 Unchanged = 0;
    // Rows in folders, or of files, that the scan could not read: kept as they are.
    qint64 Unread = 0;
};

struct TDiscChanges {
    qint64 Added = 0;
    qint64 Deleted = 0;
};

class TDiscUpdate {
public:
    // For the disc `label` of the catalogue file at `catalogPath`. Throws TDataError naming
    // the file.
    TDiscUpdate(const QString& catalogPath, const QString& label);
    ~TDiscUpdate();
    TDiscUpdate(const TDiscUpdate&) = delete;
    TDiscUpdate& operator=(const TDiscUpdate&) = delete;

    // A file the scan found: its folder in the drive form ("E:\DOCS\") and its bare name.
    void AddFile(const QString& folder, const QString& name);
    // A folder ("E:\DOCS\OLD\") or a file ("E:\DOCS\a.txt") the scan could not read: the
    // disc's rows in it are kept, never taken for gone.
    void AddUnread(const QString& path);
    // Once the scan has ended: compares the files found with the disc's rows in the folder
    // scanned (`scope`, "E:\DOCS\") whose file names `admitted` takes (the scan's mask). Rows
    // elsewhere are not the scan's to judge: they are left out.
    TDiscComparison Compare(const QString& scope,
                            const std::function<bool(const QString& name)>& admitted);
    // In one transaction: appends the new files under the disc's label in the drive-letter
    // form of its rows, and deletes the rows of the gone files, those with a comment only when
    // `alsoCommented`. Every other row stays exactly as it is. Fails, changing nothing, when
    // the disc's rows changed since Compare.
    TDiscChanges Apply(bool alsoCommented);

private:
    void ReadDiscRows(const QString& scope);
    void SortRows(const QString& scope, const std::function<bool(const QString& name)>& admitted);
    TDiscComparison Count();
    bool DiscRowsAsCompared();

    std::unique_ptr<TCatalogConnection> Connection;
    const QByteArray Label;
    // How the new rows begin their folders: as the disc's first row does ("D:", or with no
    // drive at all), or as the scanned folder does when the disc has no row left.
    QByteArray LetterForm;
    std::unique_ptr<TSqliteStatement> AddFound;
    bool Collecting = false;
    bool Compared = false;
    bool Applied = false;
    qint64 ComparedVersion = 0;
};
