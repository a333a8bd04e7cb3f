#pragma once
// Walks a folder tree depth-first and reports every folder it enters, every file matching
// a mask and every folder it has finished; the caller can stop it between two folders.

#include "platform/FileSystem.h"
#include "scan/ScanProblem.h"

#include <QString>
#include <functional>

class TTreeScanner {
public:
    using TEvent = std::function<void(TTreeScanner&)>;

    explicit TTreeScanner(TFileSystem& files);

    // Each may stay empty: an unassigned event is skipped.
    TEvent OnDirectoryFound;
    TEvent OnDirectoryDone;
    TEvent OnFileFound;
    // Runs at the top of every folder visit so the user interface stays alive and can clear
    // ContinueSearch; the insert-data window plugs in the event loop here.
    std::function<void()> ProcessMessages;
    // Fired for each folder that cannot be read (it contributes nothing else) and each
    // entry the catalogue cannot hold (left out); may stay empty.
    std::function<void(const TScanProblem&)> OnProblem;

    QString InitialDirectory;
    QString FileMask;
    bool ContinueSearch = false;
    // The most characters a folder path may have to be stored whole (the size of the
    // catalogue's Directory field); a longer folder is reported, not walked.
    int MaxFolderPath = 4096;

    // During OnDirectoryFound the folder path with its trailing backslash, during
    // OnFileFound the file's bare name; afterwards the last value set.
    const QString& FileFound() const { return Found; }
    // During OnFileFound the file's size in bytes (of its target for a link), so a handler
    // needs no search of its own; afterwards the last value set.
    qint64 FileSize() const { return Size; }
    bool SearchInProgress() const { return InProgress; }
    // The problems of the last walk: how many, and the first of them (empty when none).
    qint64 ProblemCount() const { return Problems; }
    TScanProblem FirstProblem() const { return First; }

    // One whole walk from InitialDirectory (left in its normalised form "C:\FOO\"); returns
    // when it has ended or been stopped. An error raised by a handler unwinds through it,
    // and SearchInProgress is false afterwards either way.
    void StartSearch();
    // The walk of one folder and everything below it; path ends in a backslash.
    void SearchDirectory(const QString& path);

private:
    TFileSystem& Files;
    QString Found;
    qint64 Size = 0;
    bool InProgress = false;
    qint64 Problems = 0;
    TScanProblem First;
};
