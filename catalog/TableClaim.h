#pragma once
// Keeps a table file for this running program alone while it lives, so a second running copy
// never takes, empties or appends the rows this one is working on. The claim is a lock on a
// file beside the table, which the system drops when the program ends, however it ends.

#include <QString>

class TTableClaim {
public:
    // Throws TDataError naming the file when another program holds the claim, or when the
    // claim cannot be made where the table could still be written.
    explicit TTableClaim(const QString& tablePath);
    ~TTableClaim();
    TTableClaim(const TTableClaim&) = delete;
    TTableClaim& operator=(const TTableClaim&) = delete;

private:
    int Handle = -1;
};
