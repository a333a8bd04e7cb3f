#include "scan/TreeScanner.h"

#include "platform/NameOrder.h"
#include "platform/WildcardPattern.h"

#include <QCollator>
#include <algorithm>
#include <set>
#include <vector>

namespace {
// A file name or a sub-folder path, with what the walk needs to know of it.
struct TListed {
    QString Text;
    qint64 Size = 0;
    quint64 Device = 0;
    quint64 Inode = 0;
};

using TIdentity = std::pair<quint64, quint64>; // device, inode

// Sorted without regard to case in the user's locale order; of entries that compare equal
// the first one listed stays, as when inserting into a sorted list that drops duplicates.
void SortUnique(std::vector<TListed>& items, const QCollator& collator) {
    std::stable_sort(items.begin(), items.end(), [&collator](const TListed& a, const TListed& b) {
        return collator.compare(a.Text, b.Text) < 0;
    });
    items.erase(std::unique(items.begin(), items.end(),
                            [&collator](const TListed& a, const TListed& b) {
                                return collator.compare(a.Text, b.Text) == 0;
                            }),
                items.end());
}

bool HasFolderPart(const QString& mask) {
    return mask.contains(u'\\') || mask.contains(u'/');
}

// A folder opened by the walk: its sub-folders still to be searched.
struct TOpenFolder {
    std::vector<TListed> SubFolders;
    size_t Next = 0;
};

// The state of one SearchDirectory call. The walk keeps its open folders on a heap stack
// rather than the call stack, so the depth of a tree cannot overflow it.
class TWalk {
public:
    // `found` and `size` are where the scanner keeps FileFound and FileSize.
    TWalk(TTreeScanner& scanner, TFileSystem& files, QString& found, qint64& size)
        : Scanner(scanner)
        , Files(files)
        , Found(found)
        , Size(size)
        , MaskText(scanner.FileMask)
        , Mask(scanner.FileMask)
        , MaskHasFolder(HasFolderPart(scanner.FileMask)) {}

    // Runs the visit of `path` and of everything below it.
    void Run(const QString& path) {
        TListed start{path};
        if (const std::optional<TFoundEntry> entry = Files.EntryOf(path)) {
            start.Device = entry->Device;
            start.Inode = entry->Inode;
        }
        Visit(start);
        while (!Open.empty()) {
            TOpenFolder& folder = Open.back();
            if (folder.Next < folder.SubFolders.size()) {
                const TListed next = std::move(folder.SubFolders[folder.Next++]);
                Visit(next); // may push onto Open: `folder` is not used after
            } else {
                Open.pop_back();
                Fire(Scanner.OnDirectoryDone);
            }
        }
    }

private:
    void Fire(const TTreeScanner::TEvent& event) {
        if (event)
            event(Scanner);
    }

    // Everything of one folder up to its sub-folders, which are left on the open stack.
    void Visit(const TListed& folder) {
        if (Scanner.ProcessMessages)
            Scanner.ProcessMessages();
        if (!Scanner.ContinueSearch)
            return;
        // A bind mount or a second path to the same folder is walked once only.
        if ((folder.Device || folder.Inode) &&
            !Entered.insert({folder.Device, folder.Inode}).second)
            return;
        Found = folder.Text;
        Fire(Scanner.OnDirectoryFound);

        TOpenFolder open;
        std::vector<TListed> fileNames;
        List(folder.Text, open.SubFolders, fileNames);
        for (const TListed& file : fileNames) {
            Found = file.Text;
            Size = file.Size;
            Fire(Scanner.OnFileFound);
        }
        Open.push_back(std::move(open));
    }

    // The sub-folders (every folder entry but "." and "..", and no link to a folder, so no
    // loop of links can be followed) and the files matching the mask, both sorted.
    void List(const QString& path, std::vector<TListed>& subFolders,
              std::vector<TListed>& fileNames) {
        const TFindResult all = Files.Find(path + QStringLiteral("*.*"), TFileAttribute::AnyFile);
        for (const TFoundEntry& entry : all.Entries) {
            if (!(entry.Attributes & TFileAttribute::Directory)) {
                // One listing serves both searches unless the mask names another folder.
                if (!MaskHasFolder && !(entry.Attributes & TFileAttribute::VolumeId) &&
                    Mask.Matches(entry.Name))
                    fileNames.push_back({entry.Name, entry.Size});
            } else if (!(entry.Attributes & TFileAttribute::ReparsePoint) && entry.Name != u"." &&
                       entry.Name != u"..") {
                subFolders.push_back({path + entry.Name + u'\\', 0, entry.Device, entry.Inode});
            }
        }
        if (MaskHasFolder)
            for (const TFoundEntry& entry :
                 Files.Find(path + MaskText, TFileAttribute::AnyFile).Entries)
                if (!(entry.Attributes & (TFileAttribute::Directory | TFileAttribute::VolumeId)))
                    fileNames.push_back({entry.Name, entry.Size});
        SortUnique(subFolders, Collator);
        SortUnique(fileNames, Collator);
    }

    TTreeScanner& Scanner;
    TFileSystem& Files;
    QString& Found;
    qint64& Size;
    const QString MaskText; // as the walk began: both ways of listing files see the same
    const TWildcardPattern Mask;
    const bool MaskHasFolder;
    QCollator Collator = NameOrder();
    std::set<TIdentity> Entered;
    std::vector<TOpenFolder> Open;
};
} // namespace

TTreeScanner::TTreeScanner(TFileSystem& files)
    : Files(files) {}

void TTreeScanner::StartSearch() {
    InProgress = true;
    try {
        Found.clear();
        if (InitialDirectory.isEmpty())
            InitialDirectory = Files.CurrentFolder();
        // Taking the directory part of the path with a backslash added, then adding one
        // again where it was dropped, leaves every path ending in exactly the backslash it
        // lacked: "C:\FOO" and "C:\FOO\" give "C:\FOO\", "D:" gives "D:\".
        if (!InitialDirectory.endsWith(u'\\'))
            InitialDirectory += u'\\';
        ContinueSearch = true;
        SearchDirectory(InitialDirectory);
    } catch (...) {
        // Whatever a handler throws, the scanner is idle afterwards, so the next scan can
        // start.
        InProgress = false;
        throw;
    }
    InProgress = false;
}

void TTreeScanner::SearchDirectory(const QString& path) {
    TWalk(*this, Files, Found, Size).Run(path);
}
