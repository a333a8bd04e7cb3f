#pragma once
// Where the tests make their table files and trees: in memory (/dev/shm) where the machine has
// it, as the engine's syncs and the removal of a deep tree cost nothing there; else the
// system's temporary folder.

#include <QDir>
#include <QFileInfo>
#include <QString>

// A template for QTemporaryDir: `name` and six random characters, in that folder.
inline QString ScratchFolderTemplate(const QString& name = QStringLiteral("zandrel")) {
    const QFileInfo memory(QStringLiteral("/dev/shm"));
    const QString folder =
        memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
    return folder + u'/' + name + QStringLiteral("-XXXXXX");
}
