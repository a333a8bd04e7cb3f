#include "scan/TreeScanner.h"

#include "platform/FileSystemError.h"
#include "platform/NameOrder.h"
#include "platform/WildcardPattern.h"
#include "text/TextCut.h"

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

// In the user's locale order without regard to case; names that order holds equal follow
// in UTF-16 code-unit order, so the order is total.
bool InNameOrder(const QCollator& collator, const QString& a, const QString& b) {
    const int order = collator.compare(a, b);
    return order != 0 ? order < 0 : a < b;
}

// Sorted in name order. On Linux "readme" and "README" are two files: only a name listed
// twice exactly is dropped (the first listed stays).
void SortUnique(std::vector<TListed>& items, const QCollator& collator) {
    std::stable_sort(items.begin(), items.end(), [&collator](const TListed& a, const TListed& b) {
        return InNameOrder(collator, a.Text, b.Text);
    });
    items.erase(std::unique(items.begin(), items.end(),
                            [](const TListed& a, const TListed& b) { return a.Text == b.Text; }),
                items.end());
}

bool HasFolderPart(const QString& mask) {
    return mask.contains(u'\\') || mask.contains(u'/');
}

// "D:\DOCS\" as an error names it: "D:\DOCS", a root kept whole.
QString ShownFolder(const QString& path) {
    return path.size() > 3 && path.endsWith(u'\\') ? path.chopped(1) : path;
}

// The bare name of the sub-folder `path` ("D:\DOCS\OLD\") of `folder` ("D:\DOCS\").
QString NameIn(const QString& folder, const QString& path) {
    return path.mid(folder.size(), path.size() - folder.size() - 1);
}

// A folder opened by the walk: its sub-folders still to be searched.
struct TPendingFolder {
    QString Path;
    TIdentity Identity;                  // as its parent listed it
    std::unique_ptr<TOpenFolder> Handle; // dropped once no sub-folder is left to open
    std::vector<TListed> SubFolders;
    size_t Next = 0;
};

// Folder handles a walk keeps open at most; beyond that the shallowest but the starting
// folder is closed, and opened again from the nearest folder above it still open when its
// next sub-folder is due.
constexpr int MaxHandles = 64;

// The state of one SearchDirectory call. The walk keeps its open folders on a heap stack
// rather than the call stack, so the depth of a tree cannot overflow it.
class TWalk {
public:
    using TReport = std::function<void(const TScanProblem&)>;

    // `found` and `size` are where the scanner keeps FileFound and FileSize; `report`
    // counts and passes on a problem.
    TWalk(TTreeScanner& scanner, TFileSystem& files, QString& found, qint64& size, TReport report)
        : Scanner(scanner)
        , Files(files)
        , Found(found)
        , Size(size)
        , Report(std::move(report))
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
        Visit(start, [this, &path] { return Files.OpenFolder(path); });
        while (!Open.empty()) {
            TPendingFolder& folder = Open.back();
            const size_t parent = Open.size() - 1;
            // A folder that cannot be opened again is reported and its sub-folders dropped.
            if (folder.Next < folder.SubFolders.size() && Held(parent)) {
                const TListed next = std::move(folder.SubFolders[folder.Next++]);
                // May push onto Open: `folder` is not used after.
                Visit(next, [this, parent, &next] { return OpenSubFolder(parent, next.Text); });
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

    // The sub-folder `path` of the pending folder at `parent` (held), opened through the
    // parent's handle so no link in its place is followed.
    TOpenedFolder OpenSubFolder(size_t parent, const QString& path) {
        TPendingFolder& folder = Open[parent];
        TOpenedFolder opened = folder.Handle->OpenSubFolder(NameIn(folder.Path, path));
        // The starting folder stays open, so every folder below has one to be opened from.
        if (folder.Next == folder.SubFolders.size() && parent > 0)
            Release(folder);
        return opened;
    }

    // Whether the pending folder at `index` is held, opening it again if it was released:
    // name by name from the nearest folder above it still held, never through a link, and
    // each the very folder first listed. A folder on the way that is not (swapped for a
    // link or another folder, gone) is reported, and nothing below it walked.
    bool Held(size_t index) {
        size_t step = index;
        while (!Open[step].Handle)
            --step;
        std::unique_ptr<TOpenFolder> reached;
        for (++step; step <= index; ++step) {
            TPendingFolder& folder = Open[step];
            TOpenFolder& parent = reached ? *reached : *Open[step - 1].Handle;
            TOpenedFolder opened = parent.OpenSubFolder(NameIn(Open[step - 1].Path, folder.Path));
            if (!opened.Folder || opened.Folder->Identity() != folder.Identity) {
                const QString shown = ShownFolder(folder.Path);
                Report({folder.Path,
                        opened.Folder ? QStringLiteral("Folder replaced during the scan: ") + shown
                                      : TFileSystemError(opened.ErrorCode, shown).Text});
                for (size_t below = step; below <= index; ++below)
                    Open[below].Next = Open[below].SubFolders.size();
                return false;
            }
            reached = std::move(opened.Folder);
        }
        if (reached) {
            Open[index].Handle = std::move(reached);
            ++Handles;
        }
        return true;
    }

    void Release(TPendingFolder& folder) {
        if (folder.Handle) {
            folder.Handle.reset();
            --Handles;
        }
    }

    // Everything of one folder up to its sub-folders, which are left on the open stack.
    void Visit(const TListed& folder, const std::function<TOpenedFolder()>& open) {
        if (Scanner.ProcessMessages)
            Scanner.ProcessMessages();
        if (!Scanner.ContinueSearch)
            return;
        // A bind mount or a second path to the same folder is walked once only.
        if ((folder.Device || folder.Inode) &&
            !Entered.insert({folder.Device, folder.Inode}).second)
            return;
        // Stored cut short, its files would be catalogued under another folder's path;
        // every folder below is longer still.
        if (CutToCharacters(folder.Text, Scanner.MaxFolderPath).size() < folder.Text.size()) {
            Report({folder.Text, QStringLiteral("Folder path longer than %1 characters: %2")
                                     .arg(Scanner.MaxFolderPath)
                                     .arg(ShownFolder(folder.Text))});
            return;
        }
        Found = folder.Text;
        Fire(Scanner.OnDirectoryFound);

        TPendingFolder pending;
        pending.Path = folder.Text;
        pending.Identity = {folder.Device, folder.Inode};
        std::vector<TListed> fileNames;
        TOpenedFolder opened = open();
        if (opened.Folder) {
            pending.Handle = std::move(opened.Folder);
            ++Handles;
            List(pending, fileNames);
        } else {
            Report(
                {folder.Text, TFileSystemError(opened.ErrorCode, ShownFolder(folder.Text)).Text});
        }
        for (const TListed& file : fileNames) {
            Found = file.Text;
            Size = file.Size;
            Fire(Scanner.OnFileFound);
        }
        if (pending.SubFolders.empty())
            Release(pending);
        Open.push_back(std::move(pending));
        if (Handles > MaxHandles)
            for (auto held = Open.begin() + 1; held != Open.end(); ++held)
                if (held->Handle) {
                    Release(*held);
                    break;
                }
    }

    // The sub-folders (every folder entry but "." and "..", and no link to a folder, so no
    // loop of links can be followed) and the files matching the mask, both sorted; names
    // the catalogue cannot hold are reported.
    void List(TPendingFolder& folder, std::vector<TListed>& fileNames) {
        const QString& path = folder.Path;
        const TFindResult all = folder.Handle->Find(QStringLiteral("*.*"), TFileAttribute::AnyFile);
        if (all.ErrorCode != 0)
            Report({path, TFileSystemError(all.ErrorCode, ShownFolder(path)).Text});
        for (const TFoundEntry& entry : all.Entries) {
            if (!(entry.Attributes & TFileAttribute::Directory)) {
                // One listing serves both searches unless the mask names another folder.
                if (!MaskHasFolder && !(entry.Attributes & TFileAttribute::VolumeId) &&
                    Mask.Matches(entry.Name))
                    fileNames.push_back({entry.Name, entry.Size});
            } else if (!(entry.Attributes & TFileAttribute::ReparsePoint) && entry.Name != u"." &&
                       entry.Name != u"..") {
                folder.SubFolders.push_back(
                    {path + entry.Name + u'\\', 0, entry.Device, entry.Inode});
            }
        }
        if (MaskHasFolder)
            for (const TFoundEntry& entry :
                 Files.Find(path + MaskText, TFileAttribute::AnyFile).Entries)
                if (!(entry.Attributes & (TFileAttribute::Directory | TFileAttribute::VolumeId)))
                    fileNames.push_back({entry.Name, entry.Size});
        ReportLeftOut(path, all.LeftOut);
        SortUnique(folder.SubFolders, Collator);
        SortUnique(fileNames, Collator);
    }

    // In name order, so a walk reports the same problems in the same order every time.
    void ReportLeftOut(const QString& path, std::vector<TLeftOutEntry> leftOut) {
        std::erase_if(leftOut, [this](const TLeftOutEntry& entry) {
            if (entry.Attributes & TFileAttribute::Directory)
                return bool(entry.Attributes & TFileAttribute::ReparsePoint); // never walked
            return MaskHasFolder || !Mask.Matches(entry.Name);
        });
        std::stable_sort(leftOut.begin(), leftOut.end(),
                         [this](const TLeftOutEntry& a, const TLeftOutEntry& b) {
                             return InNameOrder(Collator, a.Name, b.Name);
                         });
        for (const TLeftOutEntry& entry : leftOut) {
            const QString named = path + entry.Name;
            const bool isFolder = entry.Attributes & TFileAttribute::Directory;
            Report({isFolder ? named + u'\\' : named, entry.Text(path)});
        }
    }

    TTreeScanner& Scanner;
    TFileSystem& Files;
    QString& Found;
    qint64& Size;
    const TReport Report;
    const QString MaskText; // as the walk began: both ways of listing files see the same
    const TWildcardPattern Mask;
    const bool MaskHasFolder;
    QCollator Collator = NameOrder();
    std::set<TIdentity> Entered;
    std::vector<TPendingFolder> Open;
    int Handles = 0; // folder handles held by Open
};
} // namespace

TTreeScanner::TTreeScanner(TFileSystem& files)
    : Files(files) {}

void TTreeScanner::StartSearch() {
    InProgress = true;
    try {
        Found.clear();
        Problems = 0;
        First = {};
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
    TWalk(*this, Files, Found, Size, [this](const TScanProblem& problem) {
        if (++Problems == 1)
            First = problem;
        if (OnProblem)
            OnProblem(problem);
    }).Run(path);
}
