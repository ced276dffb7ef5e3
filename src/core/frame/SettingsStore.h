#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

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
// key, compared without regard to letter case, kept in one SQLite file per
// account (table "settings", readable with the sqlite3 shell).
//
// Reads come from memory: a single key is read from the file the first time
// it is asked for (an absent key is remembered as absent), numbered keys such
// as Tanko1, Tanko2 ... a prefix at a time, and every write goes through to
// the file. Another program may write the same file (a second login, a home
// folder shared by two machines): find(), numberedEnd() and keyCount() first
// ask SQLite whether anyone else committed since, and start memory afresh if
// so; findNumbered() answers from the view the last of those checked, so that
// a walk over the records sees one state. A value found stays valid until the
// second check that finds another writer's data.
//
// A read-modify-write goes through update() or edit(): it holds the write
// lock from before the first read to the commit, so two programs never take
// the same record number. Each write is durable when it returns.
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
    using Visit = std::function<void(QByteArrayView foldedKey, QByteArrayView value, qint64 row)>;

    // Values longer than this were not written by the program and read as
    // absent, so that a hand-edited megabyte cannot stall every keystroke.
    static constexpr int MaxValueBytes = 64 * 1024;

    explicit SettingsStore(const QString& path, int busyMs = 3000);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // Opens the file, creating it when it does not exist. A file that is not a
    // sound store is reported and left exactly as it was.
    bool open();
    bool isOpen() const;
    bool isReadOnly() const;
    // The last failure was another program holding the file, not a fault of it.
    bool isBusy() const;
    // Opened from the main file alone: what its journal (-wal) holds, the
    // latest fill-ups, is not seen. The reason is in lastError().
    bool mayMissRecent() const;
    QString path() const;
    QString lastError() const;

    // nullptr when the key was never written.
    const QString* find(QStringView section, QStringView key) const;
    // The same for prefix & n (Tanko12) without building the key.
    const QString* findNumbered(QStringView section, QStringView prefix, qint64 n) const;

    // One past the highest number n of prefix & n that a numbered read can
    // reach without a lookup of its own: the bound for reading records in turn.
    qint64 numberedEnd(QStringView section, QStringView prefix) const;
    // The numbers n of the keys prefix & n the section holds, in increasing
    // order, however far apart they are.
    std::vector<qint64> keyNumbers(QStringView section, QStringView prefix) const;
    // How many keys the section holds.
    qint64 keyCount(QStringView section) const;
    // About as many: told by a few rows spread over the file, without a count.
    qint64 keyEstimate(QStringView section) const;
    // Every key of a section as the file holds it now, in one pass that keeps
    // nothing in memory: the reader of a whole user's records. Values longer
    // than MaxValueBytes are left out. False when the file could not be read.
    bool scan(QStringView section, const Visit& visit) const;
    // How many times another program's writes were found in the file, asking
    // the file first: what was read while this stays the same is current.
    qint64 othersChanges() const;

    bool save(const QString& section, const QString& key, const QString& value);
    bool saveAll(const std::vector<Write>& writes);
    // Takes the write lock, brings memory up to date with the file, lets
    // compute read the current data and name the writes, and commits them,
    // all or nothing. compute may run GetSetting: it reads this store.
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

    // The store behind GetSetting and SaveSetting.
    static SettingsStore* current();
    static void setCurrent(SettingsStore* store);

private:
    const QString* numberedByHash(QStringView section, QStringView prefix, qint64 n) const;
    const QString* lookup(QStringView section, QStringView key, bool fromFile = true) const;

    struct Private;
    std::unique_ptr<Private> d;
};

// Opens the account's store at start-up. A store held by another program is
// waited for, then the user may retry or exit (false, isBusy()). A store that
// cannot be used is explained in a message that names the file and gives the
// system's reason, and false is returned; one that may miss its latest
// records opens all the same, after a message that says so.
bool OpenStore(SettingsStore& store);

// The program's own access to the store. The application name is always
// "Tanko"; defaults turn into text as the conversions do (a number with
// LocaleText, True as "True").
QString GetSetting(QStringView app, QStringView section, QStringView key, const QString& defaultValue);
QString GetSetting(QStringView app, QStringView section, QStringView key, const char* defaultValue);
QString GetSetting(QStringView app, QStringView section, QStringView key, double defaultValue);
QString GetSetting(QStringView app, QStringView section, QStringView key, int defaultValue);
QString GetSetting(QStringView app, QStringView section, QStringView key, bool defaultValue);
// Returns false, with SettingsStore::lastError() set, when the write failed.
bool SaveSetting(QStringView app, const QString& section, const QString& key, const QString& value);
