#pragma once
// What a catalogue file keeps beside its rows, each kept right by triggers inside the file so
// that every writer keeps it right in its own transaction (this program, a second copy,
// another SQLite tool): the search index over the four fields. A file made before it gets it
// on its first open, all in one transaction, so a cancelled or killed build leaves the file as
// it was. `records` itself keeps exactly its four columns.

#include <QString>
#include <functional>

// Told how far the work has come (`done` of `total` rows, often); returns false to cancel.
using TUpgradeProgress = std::function<bool(qint64 done, qint64 total)>;

// Whether the catalogue file at `path` lacks something it should keep. A file that cannot
// be written (a disc, a read-only file) never needs anything: it is used as it stands.
bool CatalogNeedsUpgrade(const QString& path);

// Makes what the file lacks. Returns false when `progress` cancelled: nothing was changed.
// Throws TDataError naming the file when the engine refuses.
bool UpgradeCatalog(const QString& path, const TUpgradeProgress& progress);
