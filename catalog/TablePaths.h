#pragma once
// Where the two table files live: the folder `Data` beside the executable when there is one
// (the build folder, a portable copy); else, as for an installed program, `Data` in the user's
// data folder, where the files are made on the first start.

#include <QString>

inline const QString TableFolderName = QStringLiteral("Data");
inline const QString CatalogTableFileName = QStringLiteral("GeneralData.db");
inline const QString StagingTableFileName = QStringLiteral("SelectedData.db");

// The folder beside the executable if it exists, else the one in the user's data folder, as
// they are: nothing is made. Throws TDataError when there is no user's data folder.
QString TableFolder(const QString& executableFolder, const QString& userDataFolder);
// TableFolder, with any missing table file made in the user's data folder. Throws TDataError
// naming the folder or file that cannot be made.
QString PrepareTableFolder(const QString& executableFolder, const QString& userDataFolder);

// The table file of that name in `folder`, with native separators.
QString TablePathIn(const QString& folder, const QString& fileName);
