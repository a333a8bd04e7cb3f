#pragma once
// Where the two table files live: the folder `Data` beside the executable.

#include <QString>

// The executable's folder followed by the table's relative name, with native separators.
QString CatalogTablePath();
QString StagingTablePath();
QString TablePathBeside(const QString& executableFolder, const QString& relativeName);

inline const QString CatalogTableRelativeName = QStringLiteral("Data/GeneralData.db");
inline const QString StagingTableRelativeName = QStringLiteral("Data/SelectedData.db");
