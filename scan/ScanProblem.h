#pragma once
// What a walk could not catalogue: a folder it could not read, or an entry whose name or
// folder path the catalogue cannot hold.

#include <QString>

struct TScanProblem {
    QString Path; // in the drive form: "D:\DOCS\OLD\" for a folder, "D:\DOCS\a.txt" for a file
    QString Text; // what failed, on which folder or file: "File access denied: D:\DOCS\OLD"
};
