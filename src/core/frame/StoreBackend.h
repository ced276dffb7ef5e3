#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

// The database under a settings store: one table of texts by section and key,
// both kept case-folded beside the names as written. The store keeps what it
// read in memory and decides what to read and write; a backend only carries
// out one operation at a time and says why one failed.
class StoreBackend
{
public:
    // Values longer than this were not written by the program and read as too
    // large, so that a hand-edited megabyte cannot stall every keystroke.
    static constexpr int MaxValueBytes = 64 * 1024;

    // A row of a range or of a section: the folded key and the value, both as
    // UTF-8, valid until the next row; a null value when it is too large.
    using Row = std::function<void(QByteArrayView keyFold, QByteArrayView value, qint64 row)>;

    enum class Read
    {
        Absent,
        Found,
        TooLarge,
        Failed
    };

    enum class Poll
    {
        Same,
        Changed, // another program committed since the last poll
        Failed
    };

    virtual ~StoreBackend() = default;

    // Where the data lives, as messages name it: a file, or a server and database.
    virtual QString location() const = 0;
    // Opens, creating the store when there is none. False with error().
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Open, but only for reading; readOnlyReason() says why.
    virtual bool isReadOnly() const = 0;
    virtual QString readOnlyReason() const = 0;
    // Opened from a part of the store only: its latest writes may be missing.
    virtual bool mayMissRecent() const = 0;
    // The last failure was another program holding the store, not a fault of it.
    virtual bool isBusy() const = 0;
    virtual QString error() const = 0;

    // A store on a server: its name ("host:port") and database; empty for a file.
    virtual QString server() const { return {}; }
    virtual QString database() const { return {}; }
    // The connection to the server is gone: nothing works until reconnect().
    virtual bool isLost() const { return false; }
    // Connects again, false with error() while it cannot. What other programs
    // changed meanwhile is not told: everything read before is to be read anew.
    virtual bool reconnect() { return false; }
    // After a commit() lost with the connection, and a reconnect(): whether
    // the server committed it all the same.
    virtual bool committedWhenLost() const { return false; }
    // The last failure was a conflict with another program's transaction:
    // the whole read-modify-write, run again from its first read, may succeed.
    virtual bool mayRetry() const { return false; }
    // Readable when another program may have committed (-1 when the backend
    // has no such thing): for a window that follows the data while it shows.
    virtual int changeSocket() const { return -1; }

    virtual Read readKey(const QString& sectionFold, const QString& keyFold, QString& value) = 0;
    // The keys from fromFold up to, not including, toFold. False when it could not be read.
    virtual bool readRange(const QString& sectionFold, const QString& fromFold, const QString& toFold,
                           const Row& row) = 0;
    // Every key of the section in one pass that keeps nothing in memory.
    virtual bool scan(const QString& sectionFold, const Row& row) = 0;
    virtual std::optional<qint64> countKeys(const QString& sectionFold) = 0;
    // About how many keys the section holds, told without a count.
    virtual qint64 estimateKeys(const QString& sectionFold) = 0;
    // Cheap enough for every keystroke.
    virtual Poll changedElsewhere() = 0;

    // A read-modify-write: the lock from begin() to commit() or rollback();
    // what another program committed before begin() is readable after it.
    virtual bool begin() = 0;
    virtual bool commit() = 0;
    virtual void rollback() = 0;
    // row: where a scan found the key, to save looking it up; 0 when unknown.
    virtual bool set(QStringView section, QStringView key, QStringView value, const QString& sectionFold,
                     const QString& keyFold, qint64 row) = 0;
    virtual bool remove(const QString& sectionFold, const QString& keyFold, qint64 row) = 0;
};
