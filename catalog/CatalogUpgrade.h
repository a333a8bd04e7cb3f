#pragma once
// What a catalogue file keeps beside its rows, each kept right by triggers inside the file so
// that every writer keeps it right in its own transaction (this program, a second copy,
// another SQLite tool): the search index over the four fields, and the table of discs (the
// files and folders of each label) with an index of the rows by label. A file made before
// them gets what it lacks on its first open, all in one transaction, so a cancelled or killed
// build leaves the file as it was. `records` itself keeps exactly its four columns.

#include "catalog/WorkProgress.h"

#include <QString>

// Told how far the work has come (in rows), often; returns false to cancel.
using TUpgradeProgress = TWorkProgress;

// Whether the catalogue file at `path` lacks something it should keep. A file that cannot
// be written (a disc, a read-only file) never needs anything: it is used as it stands.
bool CatalogNeedsUpgrade(const QString& path);

// Makes what the file lacks. Returns false when `progress` cancelled: nothing was changed.
// Throws TDataError naming the file when the engine refuses.
bool UpgradeCatalog(const QString& path, const TUpgradeProgress& progress);
