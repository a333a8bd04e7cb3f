#include "platform/FileSystem.h"

QString TFileSystem::DriveLetters() {
    const quint32 drives = LogicalDrives();
    QString letters;
    for (int n = 0; n < 26; ++n)
        if (drives & (1u << n))
            letters += QChar(u'A' + n);
    return letters;
}

QString TFileSystem::VolumeLabel(QChar letter, int maxChars) {
    const TVolumeInfo volume = VolumeInformation(letter);
    if (!volume.Readable)
        return {};
    // Cut between characters, never inside a surrogate pair.
    int units = 0;
    for (int chars = 0; chars < maxChars && units < volume.Label.size(); ++chars)
        units +=
            volume.Label.at(units).isHighSurrogate() && units + 1 < volume.Label.size() ? 2 : 1;
    return volume.Label.left(units);
}

bool TFileSystem::FolderExists(const QString& path) {
    const std::optional<TFoundEntry> entry = EntryOf(path);
    return entry && (entry->Attributes & TFileAttribute::Directory);
}
