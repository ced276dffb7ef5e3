#pragma once

#include <QString>

#include <functional>

struct StoreLocation;

// Moves a whole log: every key of one store (users, currencies, fill-ups,
// exactly as stored) into another, a file or a database on a server, in one
// transaction on the target, so that a copy that fails or is stopped leaves
// the target as it was. Before the commit, the target is read back and its
// count of keys and checksum of the stored texts compared with the source's.
namespace StoreCopy
{
struct Result
{
    qint64 keys = 0;      // copied
    QString problem;      // why nothing was copied; empty when done
    bool stopped = false; // stop() said so
};

// A target that holds keys already is refused unless replace. stop() is
// asked between batches.
Result run(const StoreLocation& from, const StoreLocation& to, bool replace, const std::function<bool()>& stop = {});
} // namespace StoreCopy
