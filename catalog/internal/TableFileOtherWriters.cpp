#include "catalog/internal/TableFile.h"

void TTableFile::NoticeOtherWriters() {
    if (Immutable || Bulk == TBulk::Open || (SchemaSound && SharedHeaderUnchanged()))
        return;
    const qint64 version = DataVersion();
    if (SchemaSound && version == LastDataVersion)
        return;
    // Another program may have rebuilt the table meanwhile: a view of the same name or a
    // column dropped fails here as opening such a file does.
    if (!SchemaSound || SingleValue("PRAGMA schema_version") != SchemaVersion) {
        SchemaSound = false;
        ReadSchema();
        if (const QString missing = MissingField(); !missing.isEmpty())
            Fail(QStringLiteral("Field '%1' not found").arg(missing));
        SchemaSound = true;
    }
    LastDataVersion = version;
    ReadRowMap();
}

// Asking the engine costs a few microseconds, too much before every step of a walk through
// a million rows. The log's shared index starts with a header that every commit, from any
// program, rewrites: while it is unchanged nobody has committed. Returns false when it
// changed (and remembers it) or cannot be looked at; the engine is asked then.
bool TTableFile::SharedHeaderUnchanged() {
    if (!SharedHeader) {
        // The engine maps the index once and keeps it for as long as the connection is open:
        // no other program can take the file out of write-ahead logging meanwhile.
        volatile void* region = nullptr;
        if (!LogFile || LogFile->pMethods->xShmMap(LogFile, 0, 32768, 0, &region) != SQLITE_OK)
            return false;
        SharedHeader = static_cast<const volatile quint64*>(region);
        if (!SharedHeader)
            return false;
    }
    std::array<quint64, 6> header{};
    for (size_t word = 0; word < header.size(); ++word)
        header[word] = SharedHeader[word];
    if (header == SeenSharedHeader)
        return true;
    SeenSharedHeader = header;
    return false;
}

qint64 TTableFile::DataVersion() {
    PrepareOnce(DataVersionQuery, "PRAGMA data_version");
    const int result = DataVersionQuery.Step();
    if (result != SQLITE_ROW) {
        DataVersionQuery.Reset();
        Fail(result);
    }
    const qint64 version = DataVersionQuery.ColumnInt64(0);
    DataVersionQuery.Reset();
    return version;
}
