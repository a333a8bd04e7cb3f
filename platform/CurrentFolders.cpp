#include "platform/CurrentFolders.h"

#include <QStringList>

namespace {
bool IsDriveLetter(QChar c) {
    const char16_t upper = c.toUpper().unicode();
    return upper >= u'A' && upper <= u'Z';
}

QString RootOf(QChar letter) {
    return QString(letter.toUpper()) + QStringLiteral(":\\");
}

// The names below the root of an absolute "D:\A\B".
QStringList NamesOf(const QString& absolute) {
    return absolute.mid(3).split(u'\\', Qt::SkipEmptyParts);
}
} // namespace

std::optional<QString> TCurrentFolders::Resolve(const QString& path) const {
    QString text = path;
    text.replace(u'/', u'\\');
    if (text.isEmpty() || text.startsWith(QStringLiteral("\\\\")) || text.contains(QChar(0)))
        return std::nullopt;

    QChar letter = Drive;
    QStringList names;
    QStringView rest = text;
    if (text.size() >= 2 && text[1] == u':' && IsDriveLetter(text[0])) {
        letter = text[0].toUpper();
        rest = rest.mid(2);
        if (!rest.startsWith(u'\\'))
            names = NamesOf(FolderOf(letter));
    } else if (letter.isNull()) {
        return std::nullopt;
    } else if (!rest.startsWith(u'\\')) {
        names = NamesOf(FolderOf(letter));
    }

    for (QStringView name : rest.split(u'\\', Qt::SkipEmptyParts)) {
        if (name == u"..") {
            if (!names.isEmpty())
                names.removeLast();
        } else if (name != u".") {
            names.append(name.toString());
        }
    }
    return RootOf(letter) + names.join(u'\\');
}

QString TCurrentFolders::CurrentFolder() const {
    return Drive.isNull() ? QString() : FolderOf(Drive);
}

QString TCurrentFolders::FolderOf(QChar letter) const {
    return Folders.value(letter.toUpper(), RootOf(letter));
}

void TCurrentFolders::Enter(const QString& absolute) {
    Drive = absolute[0].toUpper();
    Folders.insert(Drive, absolute);
}

void TCurrentFolders::AdoptDriveIfNone(QChar letter) {
    if (Drive.isNull())
        Drive = letter.toUpper();
}

void TCurrentFolders::Forget(QChar letter) {
    Folders.remove(letter.toUpper());
}
