#pragma once
// The current drive and each drive's current folder, kept as Windows keeps them, and the
// reading of a folder path (absolute, relative, "D:", "D:NAME", "\NAME") against them.
// Pure text: nothing here touches the disk.

#include <QChar>
#include <QHash>
#include <QString>
#include <optional>

class TCurrentFolders {
public:
    // The absolute form "D:\" or "D:\DOCS\OLD" of a path read against the current
    // folders: '/' is read as '\', "." and empty names are dropped, ".." goes up (never
    // above the root). Nothing for an empty path, a "\\server\share" path, a name holding
    // a NUL, or a relative path while there is no current drive.
    std::optional<QString> Resolve(const QString& path) const;

    // "D:\DOCS\OLD" for the current drive; empty while there is none.
    QString CurrentFolder() const;
    // The folder a bare "D:" stands for: the drive's own current folder, else its root.
    QString FolderOf(QChar letter) const;

    // Makes `absolute` (a Resolve result) the current folder, and its drive current.
    void Enter(const QString& absolute);
    // Makes the drive current at its root when no drive is current yet.
    void AdoptDriveIfNone(QChar letter);
    // Drops what is kept of a drive's folder, so "D:" means its root again.
    void Forget(QChar letter);

private:
    QChar Drive; // upper-case; null while there is no drive
    QHash<QChar, QString> Folders;
};
