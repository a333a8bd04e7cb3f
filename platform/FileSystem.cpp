#include "platform/FileSystem.h"

#include "text/TextCut.h"

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
    // A label that does not fit is not read at all: cut, two discs could read as one. A
    // buffer with no room holds none, where the cut reads 0 as no limit.
    if (!volume.Readable || maxChars <= 0 ||
        CutToCharacters(volume.Label, maxChars).size() < volume.Label.size())
        return {};
    return volume.Label;
}

QString TLeftOutEntry::Text(const QString& folder) const {
    return Reason + QStringLiteral(": ") + (folder.endsWith(u'\\') ? folder : folder + u'\\') +
           Name;
}

bool TFileSystem::FolderExists(const QString& path) {
    const std::optional<TFoundEntry> entry = EntryOf(path);
    return entry && (entry->Attributes & TFileAttribute::Directory);
}
