#pragma once

#include "core/frame/StoreBackend.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct StoreLocation;

// prefix & n (Tanko12) without a heap allocation: the status bar and the log
// form a numbered key for every record. The prefix has at most 40 characters.
class NumberedKey
{
public:
    NumberedKey(QStringView prefix, qint64 n);
    QStringView view() const { return QStringView(m_text, m_size); }
    operator QStringView() const { return view(); }

private:
    char16_t m_text[64];
    qsizetype m_size = 0;
};

// All persistent data of the program: text values addressed by section and
// key, compared without regard to letter case, in a database behind a
// StoreBackend (one SQLite file per account unless told otherwise).
//
// Reads come from memory: a single key is read from the database the first
// time it is asked for (an absent key is remembered as absent), numbered keys
// such as Tanko1, Tanko2 ... a prefix at a time, and every write goes through
// to the database. Another program may write the same store (a second login,
// a home folder shared by two machines): find(), numberedEnd() and keyCount()
// first ask the backend whether anyone else committed since, and start memory
// afresh if so; findNumbered() answers from the view the last of those
// checked, so that a walk over the records sees one state. A value found stays
// valid until the second check that finds another writer's data.
//
// A read-modify-write goes through update() or edit(): it holds the write
// lock from before the first read to the commit, so two programs never take
// the same record number. Each write is durable when it returns.
//
// On a server, the connection may go: the connection-lost handler is asked
// whether to try again (Retry) or give up (Exit), and until it gives up the
// read or the write under way waits for the server, then runs as if nothing
// had happened. A read-modify-write that the server could not serialize with
// another program's runs again, a few times at most.
//
// The store shows nothing itself: a failure is in lastError(), and values
// that could not be read are told to the read-failure handler, once per opening.
class SettingsStore
{
public:
    struct Write
    {
        QString section;
        QString key;
        QString value;
        bool remove = false; // the key is deleted; value is not used
    };

    // The writes of one edit(), carried out as they are named, so that
    // renumbering 100,000 records needs no list of half a million writes. A
    // row id from scan() saves looking the key up; a wrong one is noticed and
    // the key looked up after all.
    class Writer
    {
    public:
        void set(QStringView section, QStringView key, QStringView value, qint64 row = 0);
        void remove(QStringView section, QStringView key, qint64 row = 0);

    private:
        friend class SettingsStore;
        struct State;
        explicit Writer(State& state) : m_state(state) {}
        State& m_state;
    };

    enum class Update
    {
        Written,  // committed
        Declined, // compute() returned nothing; nothing was written
        Failed    // lastError() says why; nothing was written
    };
    using Compute = std::function<std::optional<std::vector<Write>>(const SettingsStore&)>;
    // Names the writes to the writer; false declines, and nothing is written.
    using Edit = std::function<bool(const SettingsStore&, Writer&)>;
    // A key as the database holds it: folded key and value in UTF-8, a null
    // value for one too large to be the program's (over MaxValueBytes).
    using Visit = StoreBackend::Row;

    static constexpr int MaxValueBytes = StoreBackend::MaxValueBytes;

    // The SQLite file at path.
    explicit SettingsStore(const QString& path, int busyMs = 3000);
    explicit SettingsStore(std::unique_ptr<StoreBackend> backend);
    // The file, or the database on a server, that the location names.
    explicit SettingsStore(const StoreLocation& location);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // Opens the store, creating it when it does not exist. A store that is not
    // sound is reported and left exactly as it was.
    bool open();
    bool isOpen() const;
    bool isReadOnly() const;
    // The last failure was another program holding the store, not a fault of it.
    bool isBusy() const;
    // Opened from the main file alone: what its journal holds, the latest
    // fill-ups, is not seen. The reason is in lastError().
    bool mayMissRecent() const;
    // The file, or the server and database, as messages name it.
    QString path() const;
    QString lastError() const;
    void setReadFailureHandler(std::function<void(const QString& reason)> handler);
    // True: connect again and go on; false: give up, and what was under way fails.
    void setConnectionLostHandler(std::function<bool(const QString& reason)> handler);
    // The connection to the server could not be made, or went.
    bool isLost() const;
    // For a store on a server, its name ("host:port") and database; empty for a file.
    QString server() const;
    QString database() const;
    // Readable when another program may have committed; -1 for none. It
    // changes when a lost connection is made anew.
    int changeSocket() const;

    // nullptr when the key was never written or holds more than MaxValueBytes.
    const QString* find(QStringView section, QStringView key) const;
    // Whether the key exists at all, however long its value.
    bool holds(QStringView section, QStringView key) const;
    // The same as find() for prefix & n (Tanko12) without building the key.
    const QString* findNumbered(QStringView section, QStringView prefix, qint64 n) const;

    // One past the highest number n of prefix & n that a numbered read can
    // reach without a lookup of its own: the bound for reading records in turn.
    qint64 numberedEnd(QStringView section, QStringView prefix) const;
    // The numbers n of the keys prefix & n the section holds, in increasing
    // order, however far apart they are.
    std::vector<qint64> keyNumbers(QStringView section, QStringView prefix) const;
    // How many keys the section holds.
    qint64 keyCount(QStringView section) const;
    // About as many: told without a count.
    qint64 keyEstimate(QStringView section) const;
    // Every key of a section as the database holds it now, in one pass that
    // keeps nothing in memory: the reader of a whole user's records. False
    // when it could not be read.
    bool scan(QStringView section, const Visit& visit) const;
    // How many times another program's writes were found, asking the
    // database first: what was read while this stays the same is current.
    qint64 othersChanges() const;
    // How many of this store's own commits wrote to the section: together with
    // othersChanges(), whether what was read of it is still what it holds.
    qint64 writesTo(QStringView section) const;

    bool save(const QString& section, const QString& key, const QString& value);
    bool saveAll(const std::vector<Write>& writes);
    // Takes the write lock, brings memory up to date with the database, lets
    // compute read the current data and name the writes, and commits them,
    // all or nothing. compute may run more than once: after a conflict with
    // another program, or a connection lost before the commit, it runs
    // again on the data as it then is.
    Update update(const Compute& compute);
    Update edit(const Edit& compute);
    // A read-modify-write too long to name at once (an import of many
    // fill-ups): compute names the writes batch after batch (0, 1, 2 ...)
    // until it returns an empty list, all under the one write lock and
    // committed together. nullopt from any batch (a cancel) leaves the store
    // as it was. Reads see the store as it was before the first batch.
    using Batches = std::function<std::optional<std::vector<Write>>(const SettingsStore&, qint64 batch)>;
    Update updateInBatches(const Batches& compute);

    // tanko.db in the account's application data folder for "Tanko".
    static QString defaultPath();

private:
    // One run of edit(); commitLost when the connection went with the commit.
    Update attempt(const Edit& compute, bool& commitLost);
    const QString* numberedByHash(QStringView section, QStringView prefix, qint64 n) const;
    const QString* lookup(QStringView section, QStringView key, bool fromStore = true) const;

    struct Private;
    std::unique_ptr<Private> d;
};
