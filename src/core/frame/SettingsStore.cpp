#include "core/frame/SettingsStore.h"

#include "core/frame/Conversions.h"
#include "core/frame/Files.h"
#include "core/frame/Log.h"
#include "core/frame/Platform.h"
#include "core/frame/Sqlite.h"
#include "core/frame/StringTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>
#include <deque>
#include <optional>
#include <unordered_map>
#include <vector>

namespace
{
// Names are kept case-folded. For the usual ASCII name the hash and the
// comparison lower-case on the fly, so a lookup allocates nothing.
bool isAscii(QStringView s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

struct FoldedHash
{
    using is_transparent = void;
    size_t operator()(QStringView s) const noexcept
    {
        size_t h = 1469598103934665603ull;
        for (QChar c : s) {
            h ^= asciiLower(c.unicode());
            h *= 1099511628211ull;
        }
        return h;
    }
    size_t operator()(const QString& s) const noexcept { return (*this)(QStringView(s)); }
};

struct FoldedEqual
{
    using is_transparent = void;
    bool operator()(QStringView a, QStringView b) const noexcept
    {
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i)
            if (asciiLower(a[i].unicode()) != asciiLower(b[i].unicode()))
                return false;
        return true;
    }
    bool operator()(const QString& a, QStringView b) const noexcept { return (*this)(QStringView(a), b); }
    bool operator()(QStringView a, const QString& b) const noexcept { return (*this)(a, QStringView(b)); }
    bool operator()(const QString& a, const QString& b) const noexcept
    {
        return (*this)(QStringView(a), QStringView(b));
    }
};

template <typename Value> using FoldedMap = std::unordered_map<QString, Value, FoldedHash, FoldedEqual>;

// The values of the numbered keys of one prefix (Tanko1, Tanko2 ...) by
// their number, made on first use: reading every record in turn then walks
// an array, and no key is hashed or even made. Complete for every number
// below its size. A deque, so that a value found stays where it is as more
// are appended.
struct Numbered
{
    std::deque<std::optional<QString>> byNumber;
    size_t stored = 0;
    // Numbers far beyond the keys there are (a hand edit) stay out of the
    // array and are found one by one.
    size_t limit() const { return 4 * stored + 16; }
};

struct Section
{
    QString name; // case-folded
    // The keys known so far: a value, or nullopt for a key known to be absent.
    FoldedMap<std::optional<QString>> values;
    FoldedMap<Numbered> numbered;
    std::optional<qint64> count;

    // A value just written, wherever memory keeps it.
    void store(const QString& key, const QString& value);
    // A key just deleted: known to be absent from now on.
    void erase(const QString& key);
};

// The number n of a key prefix & n, written without sign or leading zeros.
std::optional<size_t> keyNumber(QStringView prefix, QStringView key)
{
    if (key.size() <= prefix.size() || key.size() - prefix.size() > 12 || !key.startsWith(prefix))
        return std::nullopt;
    const QStringView digits = key.mid(prefix.size());
    if (digits.size() > 1 && digits[0] == u'0')
        return std::nullopt;
    size_t n = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

// The number n of a key prefix & n in UTF-8 as the file holds it.
std::optional<size_t> keyNumber(qsizetype prefixBytes, QByteArrayView key)
{
    if (key.size() <= prefixBytes || key.size() - prefixBytes > 12 ||
        (key[prefixBytes] == '0' && key.size() > prefixBytes + 1))
        return std::nullopt;
    size_t n = 0;
    for (const char c : key.sliced(prefixBytes)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + size_t(c - '0');
    }
    return n;
}

void Section::store(const QString& key, const QString& value)
{
    values.insert_or_assign(key, value);
    count.reset();
    for (auto& [prefix, list] : numbered) {
        const std::optional<size_t> n = keyNumber(prefix, key);
        if (!n || *n >= list.limit())
            continue;
        // Numbers passed over were written beyond the limit, if at all.
        for (size_t m = list.byNumber.size(); m < *n; ++m) {
            const auto it = values.find(prefix + QString::number(m));
            list.byNumber.push_back(it != values.end() ? it->second : std::nullopt);
        }
        if (*n == list.byNumber.size())
            list.byNumber.emplace_back();
        list.stored += list.byNumber[*n] ? 0 : 1;
        list.byNumber[*n] = value;
    }
}

void Section::erase(const QString& key)
{
    values.insert_or_assign(key, std::nullopt);
    count.reset();
    for (auto& [prefix, list] : numbered) {
        const std::optional<size_t> n = keyNumber(prefix, key);
        if (n && *n < list.byNumber.size() && list.byNumber[*n]) {
            list.byNumber[*n].reset();
            --list.stored;
        }
    }
}

QString folded(QStringView name)
{
    return isAscii(name) ? name.toString().toLower() : name.toString().toCaseFolded();
}

template <typename Value> auto findFolded(FoldedMap<Value>& map, QStringView name)
{
    if (isAscii(name))
        return map.find(name);
    return map.find(QStringView(name.toString().toCaseFolded()));
}

SettingsStore* g_current = nullptr;

constexpr const char* kSchema =
    "CREATE TABLE settings(section TEXT NOT NULL, key TEXT NOT NULL, value TEXT NOT NULL,"
    " section_fold TEXT NOT NULL, key_fold TEXT NOT NULL, PRIMARY KEY(section_fold, key_fold))";

// Every change of a value, by this program, another one or a hand edit,
// counts here; a backup holds the count it was made at, so that a start
// without changes makes no copy.
constexpr const char* kChangeCount =
    "CREATE TABLE IF NOT EXISTS changes(id INTEGER PRIMARY KEY CHECK(id = 1), count INTEGER NOT NULL);"
    "INSERT OR IGNORE INTO changes VALUES(1, 0);"
    "CREATE TRIGGER IF NOT EXISTS settings_inserted AFTER INSERT ON settings"
    " BEGIN UPDATE changes SET count = count + 1; END;"
    "CREATE TRIGGER IF NOT EXISTS settings_updated AFTER UPDATE ON settings"
    " BEGIN UPDATE changes SET count = count + 1; END;"
    "CREATE TRIGGER IF NOT EXISTS settings_deleted AFTER DELETE ON settings"
    " BEGIN UPDATE changes SET count = count + 1; END;";

// A trigger run per row doubles the cost of a large edit: for one, they are
// dropped inside its transaction, the edit counts its own changes, and they
// are made again before the commit, so no other program ever sees them gone.
constexpr const char* kQuietChanges = "DROP TRIGGER IF EXISTS settings_inserted; DROP TRIGGER IF EXISTS "
                                      "settings_updated; DROP TRIGGER IF EXISTS settings_deleted;";
constexpr qint64 kLoudWrites = 256;
// Beyond this many writes in one edit, memory of the sections written is
// dropped rather than brought up to date key by key.
constexpr size_t kRememberedWrites = 4096;

bool cannotWrite(int rc)
{
    rc &= 0xff;
    return rc == SQLITE_READONLY || rc == SQLITE_CANTOPEN || rc == SQLITE_PERM || rc == SQLITE_IOERR;
}
} // namespace

struct SettingsStore::Private
{
    QString path;
    QString error;
    int busyMs = 3000;
    Sqlite::Database db;
    bool readOnly = false;
    bool busy = false;
    bool mayMissRecent = false;
    QString readOnlyReason;
    mutable bool readFailureShown = false;
    mutable qint64 dataVersion = 0;
    mutable qint64 othersSeen = 0;
    mutable std::optional<Sqlite::Statement> upsert;
    mutable std::optional<Sqlite::Statement> updateRow;
    mutable std::optional<Sqlite::Statement> deleteRow;
    mutable std::optional<Sqlite::Statement> deleteKey;
    mutable std::optional<Sqlite::Statement> readKey;
    mutable std::optional<Sqlite::Statement> readPrefix;
    mutable std::optional<Sqlite::Statement> countKeys;
    mutable std::optional<Sqlite::Statement> version;

    mutable FoldedMap<Section> sections;
    // The view before the last refresh: values found in it stay valid for
    // callers that still hold them.
    mutable FoldedMap<Section> retired;
    mutable QString lastSectionName;
    mutable Section* lastSection = nullptr;
    // The walk over a user's records asks for one prefix again and again.
    mutable QString lastPrefix;
    mutable const Section* lastNumberedSection = nullptr;
    mutable Numbered* lastNumbered = nullptr;

    ~Private() { close(); }

    void close()
    {
        upsert.reset();
        updateRow.reset();
        deleteRow.reset();
        deleteKey.reset();
        readKey.reset();
        readPrefix.reset();
        countKeys.reset();
        version.reset();
        db.close();
    }

    bool fail(const QString& what)
    {
        error = what;
        return false;
    }

    // The failure of the last statement, said so that a lock is not taken for damage.
    bool failed()
    {
        busy = db.isBusy();
        if (busy)
            return fail(QStringLiteral("it is in use by another program (%1)").arg(db.error()));
        return fail(db.error());
    }

    bool exec(const char* sql) { return db.exec(sql) || failed(); }

    bool create();
    bool openExisting();
    bool openReadOnly(const QString& reason);
    int validate();
    bool prepare();
    void forget() const;
    void forgetSection(const QString& name) const;
    void checkOthers() const;
    void readFailed() const;
    std::optional<QString> value(const Sqlite::Statement& statement, int column) const;
    Section& section(QStringView name) const;
    const std::optional<QString>& read(Section& s, QStringView key, bool fromFile = true) const;
    Numbered& numbered(Section& s, QStringView prefix) const;
};

SettingsStore::SettingsStore(const QString& path, int busyMs) : d(std::make_unique<Private>())
{
    d->path = path;
    d->busyMs = busyMs;
}

SettingsStore::~SettingsStore()
{
    if (g_current == this)
        g_current = nullptr;
}

QString SettingsStore::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("tanko.db"));
}

SettingsStore* SettingsStore::current()
{
    return g_current;
}

void SettingsStore::setCurrent(SettingsStore* store)
{
    g_current = store;
}

QString SettingsStore::path() const
{
    return d->path;
}

QString SettingsStore::lastError() const
{
    return d->error;
}

bool SettingsStore::isOpen() const
{
    return d->db.isOpen();
}

bool SettingsStore::isReadOnly() const
{
    return d->readOnly;
}

bool SettingsStore::isBusy() const
{
    return d->busy;
}

bool SettingsStore::mayMissRecent() const
{
    return d->mayMissRecent;
}

bool SettingsStore::open()
{
    d->close();
    d->sections.clear();
    d->retired.clear();
    d->lastSection = nullptr;
    d->lastNumbered = nullptr;
    d->readOnly = d->busy = d->mayMissRecent = false;
    d->readFailureShown = false;
    d->error.clear();
    const bool ok = (QFileInfo::exists(d->path) ? d->openExisting() : d->create()) && d->prepare();
    if (!ok)
        d->close();
    return ok;
}

bool SettingsStore::Private::prepare()
{
    if (!readOnly) {
        upsert.emplace(db,
                       "INSERT INTO settings(section, key, value, section_fold, key_fold) VALUES(?1, ?2, ?3, ?4, ?5)"
                       " ON CONFLICT(section_fold, key_fold) DO UPDATE SET value = excluded.value"
                       // A value written again unchanged is no change: it asks for no backup.
                       " WHERE value IS NOT excluded.value");
        updateRow.emplace(db, "UPDATE settings SET value = ?1 WHERE rowid = ?2 AND section_fold = ?3 AND key_fold = ?4"
                              " AND value IS NOT ?1");
        deleteRow.emplace(db, "DELETE FROM settings WHERE rowid = ?1 AND section_fold = ?2 AND key_fold = ?3");
        deleteKey.emplace(db, "DELETE FROM settings WHERE section_fold = ?1 AND key_fold = ?2");
        if (!upsert->isValid() || !updateRow->isValid() || !deleteRow->isValid() || !deleteKey->isValid())
            return failed();
    }
    readKey.emplace(db, "SELECT value FROM settings WHERE section_fold = ?1 AND key_fold = ?2");
    readPrefix.emplace(
        db, "SELECT key_fold, value FROM settings WHERE section_fold = ?1 AND key_fold >= ?2 AND key_fold < ?3");
    countKeys.emplace(db, "SELECT count(*) FROM settings WHERE section_fold = ?1");
    version.emplace(db, "PRAGMA data_version");
    if (!readKey->isValid() || !readPrefix->isValid() || !countKeys->isValid() || !version->isValid())
        return failed();
    if (version->step() != SQLITE_ROW)
        return failed();
    dataVersion = version->integer(0);
    version->reset();
    return true;
}

// A new store is built beside its final name and moved into place, so that a
// tanko.db that exists is always a complete store.
bool SettingsStore::Private::create()
{
    const QFileInfo info(path);
    if (const QString problem = Files::makeFolder(info.absolutePath()); !problem.isEmpty())
        return fail(problem);
    // Named for this process: two programs may make the store at one moment.
    const QString fresh = path + QStringLiteral(".new-") + QString::number(QCoreApplication::applicationPid());
    QFile::remove(fresh);
    if (!db.open(fresh, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, busyMs))
        return fail(db.error());
    if (!exec("PRAGMA journal_mode=WAL") || !exec(kSchema) || !exec(kChangeCount)) {
        close();
        QFile::remove(fresh);
        return false;
    }
    close();
    // Never over a store that another program made meanwhile: that one is used.
    const bool moved = QFile::rename(fresh, path);
    QFile::remove(fresh);
    if (!moved && !QFileInfo::exists(path))
        return fail(QStringLiteral("cannot move %1 into place").arg(fresh));
    return openExisting();
}

bool SettingsStore::Private::openExisting()
{
    if (QFileInfo(path).size() == 0)
        return fail(QStringLiteral("the file is empty"));
    int rc = db.open(path, SQLITE_OPEN_READWRITE, busyMs) ? validate() : db.errorCode();
    if (busy)
        return false;
    if (cannotWrite(rc) || (rc == SQLITE_OK && sqlite3_db_readonly(db.handle(), "main") == 1))
        return openReadOnly(db.error());
    if (rc != SQLITE_OK)
        return false;
    // Also the first wait for another program's write lock: one that holds
    // the file stops the start here, before anything is shown or changed.
    bool writable = db.exec("PRAGMA journal_mode=WAL") && db.exec("PRAGMA synchronous=FULL");
    if (writable) {
        Sqlite::Transaction transaction(db);
        writable = transaction.isActive() && db.exec(kChangeCount) && transaction.commit();
    }
    if (writable)
        return true;
    if (!db.isBusy() && cannotWrite(db.errorCode()))
        return openReadOnly(db.error());
    return failed();
}

// The file or its folder cannot be written: show the data all the same. Where
// even the journal cannot be read, the main file alone is shown, and whether
// that may miss the latest fill-ups is known from the journal's size.
bool SettingsStore::Private::openReadOnly(const QString& reason)
{
    readOnly = true;
    readOnlyReason = reason;
    error.clear();
    int rc = db.open(path, SQLITE_OPEN_READONLY, busyMs) ? validate() : db.errorCode();
    if (busy)
        return false;
    if (rc != SQLITE_OK && cannotWrite(rc)) {
        error.clear();
        const QString uri = QStringLiteral("file:") + QString::fromUtf8(QUrl::toPercentEncoding(path, "/")) +
                            QStringLiteral("?immutable=1");
        rc = db.open(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, busyMs) ? validate() : db.errorCode();
        mayMissRecent = rc == SQLITE_OK && QFileInfo(path + QStringLiteral("-wal")).size() > 0;
        if (mayMissRecent)
            error = reason;
    }
    if (rc != SQLITE_OK && error.isEmpty())
        fail(db.error());
    return rc == SQLITE_OK;
}

// Reads only: a damaged file must stay exactly as it was. SQLite checks the
// header and the size it gives against the file when it reads the schema.
int SettingsStore::Private::validate()
{
    Sqlite::Statement table(db, "SELECT section, key, value, section_fold, key_fold FROM settings LIMIT 1");
    int rc = table.isValid() ? table.step() : db.errorCode();
    if (rc == SQLITE_ROW || rc == SQLITE_DONE)
        return SQLITE_OK;
    rc = db.errorCode();
    if (db.isBusy())
        failed();
    else if (cannotWrite(rc))
        return rc;
    else if ((rc & 0xff) == SQLITE_CORRUPT)
        fail(QStringLiteral("it is damaged (%1)").arg(db.error()));
    else if ((rc & 0xff) == SQLITE_ERROR)
        fail(QStringLiteral("it is not a Tankometer store (%1)").arg(db.error()));
    else
        fail(QStringLiteral("it is not a readable Tankometer store (%1)").arg(db.error()));
    return rc == SQLITE_OK ? SQLITE_ERROR : rc;
}

void SettingsStore::Private::forget() const
{
    retired = std::move(sections);
    sections.clear();
    lastSection = nullptr;
    lastNumbered = nullptr;
}

void SettingsStore::Private::forgetSection(const QString& name) const
{
    const auto it = findFolded(sections, name);
    if (it == sections.end())
        return;
    retired.insert_or_assign(it->first, std::move(it->second));
    sections.erase(it);
    lastSection = nullptr;
    lastNumbered = nullptr;
}

// Costs one small statement that reads the journal's index, not the file.
void SettingsStore::Private::checkOthers() const
{
    if (!version)
        return;
    const int rc = version->step();
    const qint64 now = rc == SQLITE_ROW ? version->integer(0) : dataVersion;
    version->reset();
    if (rc != SQLITE_ROW)
        readFailed();
    if (now != dataVersion) {
        dataVersion = now;
        ++othersSeen;
        forget();
    }
}

// Some values could not be read: the user is told once, so that fewer
// records are never shown without a word.
void SettingsStore::Private::readFailed() const
{
    const QString reason = db.error();
    qCWarning(lcStore, "cannot read %s: %s", qUtf8Printable(path), qUtf8Printable(reason));
    if (readFailureShown || !Platform::services().messages)
        return;
    readFailureShown = true;
    Platform::services().messages->show(
        nullptr, LocalizedText(Text::StoreIncomplete) + QStringLiteral("\n\n") + QDir::toNativeSeparators(path) + u'\n' + reason,
        Platform::Exclamation, QStringLiteral("Tankometer"));
}

std::optional<QString> SettingsStore::Private::value(const Sqlite::Statement& statement, int column) const
{
    if (statement.bytes(column) > MaxValueBytes)
        return std::nullopt;
    return statement.text(column);
}

Section& SettingsStore::Private::section(QStringView name) const
{
    if (lastSection && name == lastSectionName)
        return *lastSection;
    auto it = findFolded(sections, name);
    if (it == sections.end()) {
        it = sections.emplace(folded(name), Section{}).first;
        it->second.name = it->first;
    }
    lastSectionName = name.toString();
    lastSection = &it->second;
    return it->second;
}

const std::optional<QString>& SettingsStore::Private::read(Section& s, QStringView key, bool fromFile) const
{
    static const std::optional<QString> absent;
    auto it = findFolded(s.values, key);
    if (it != s.values.end())
        return it->second;
    if (!fromFile)
        return absent;
    const QString foldedKey = folded(key);
    std::optional<QString> found;
    readKey->bind(1, s.name).bind(2, foldedKey);
    const int rc = readKey->step();
    if (rc == SQLITE_ROW)
        found = value(*readKey, 0);
    else if (rc != SQLITE_DONE)
        readFailed();
    readKey->reset();
    return s.values.emplace(foldedKey, std::move(found)).first->second;
}

Numbered& SettingsStore::Private::numbered(Section& s, QStringView prefix) const
{
    if (lastNumbered && lastNumberedSection == &s && prefix == lastPrefix)
        return *lastNumbered;
    lastNumberedSection = &s;
    lastPrefix = prefix.toString();
    auto it = findFolded(s.numbered, prefix);
    if (it != s.numbered.end())
        return *(lastNumbered = &it->second);
    const QString from = folded(prefix);
    QString to = from;
    if (!to.isEmpty())
        to.back() = QChar(char16_t(to.back().unicode() + 1));
    const qsizetype prefixBytes = from.toUtf8().size();
    std::vector<std::pair<size_t, QString>> found;
    readPrefix->bind(1, s.name).bind(2, from).bind(3, to);
    int rc = SQLITE_ROW;
    while ((rc = readPrefix->step()) == SQLITE_ROW)
        if (const std::optional<size_t> n = keyNumber(prefixBytes, readPrefix->utf8(0)))
            if (std::optional<QString> v = value(*readPrefix, 1))
                found.emplace_back(*n, std::move(*v));
    if (rc != SQLITE_DONE)
        readFailed();
    readPrefix->reset();
    Numbered& list = s.numbered.emplace(from, Numbered{}).first->second;
    list.stored = found.size();
    for (auto& [n, v] : found) {
        if (n >= list.limit()) {
            s.values.try_emplace(from + QString::number(n), std::move(v));
            continue;
        }
        if (n >= list.byNumber.size())
            list.byNumber.resize(n + 1);
        list.byNumber[n] = std::move(v);
    }
    return *(lastNumbered = &list);
}

const QString* SettingsStore::find(QStringView section, QStringView key) const
{
    if (!d->db.isOpen())
        return nullptr;
    d->checkOthers();
    return lookup(section, key);
}

const QString* SettingsStore::lookup(QStringView section, QStringView key, bool fromFile) const
{
    const std::optional<QString>& value = d->read(d->section(section), key, fromFile);
    return value ? &*value : nullptr;
}

const QString* SettingsStore::findNumbered(QStringView section, QStringView prefix, qint64 n) const
{
    if (!d->db.isOpen())
        return nullptr;
    const std::deque<std::optional<QString>>& byNumber = d->numbered(d->section(section), prefix).byNumber;
    if (n >= 0 && size_t(n) < byNumber.size())
        return byNumber[size_t(n)] ? &*byNumber[size_t(n)] : nullptr;
    return numberedByHash(section, prefix, n);
}

const QString* SettingsStore::numberedByHash(QStringView section, QStringView prefix, qint64 n) const
{
    if (prefix.size() > 40 || n < 0)
        return lookup(section, prefix.toString() + QString::number(n));
    // The prefix was read whole: a number beyond its array is among the
    // single keys or absent, and the file need not be asked.
    return lookup(section, NumberedKey(prefix, n), false);
}

NumberedKey::NumberedKey(QStringView prefix, qint64 n)
{
    for (QChar c : prefix.left(40))
        m_text[m_size++] = c.unicode();
    char16_t digits[24];
    int count = 0;
    do {
        digits[count++] = char16_t(u'0' + n % 10);
        n /= 10;
    } while (n > 0);
    while (count > 0)
        m_text[m_size++] = digits[--count];
}

qint64 SettingsStore::numberedEnd(QStringView section, QStringView prefix) const
{
    if (!d->db.isOpen())
        return 0;
    d->checkOthers();
    return qint64(d->numbered(d->section(section), prefix).byNumber.size());
}

std::vector<qint64> SettingsStore::keyNumbers(QStringView section, QStringView prefix) const
{
    std::vector<qint64> numbers;
    if (!d->db.isOpen())
        return numbers;
    d->checkOthers();
    Section& s = d->section(section);
    const Numbered& numbered = d->numbered(s, prefix);
    const std::deque<std::optional<QString>>& byNumber = numbered.byNumber;
    numbers.reserve(numbered.stored);
    for (size_t n = 0; n < byNumber.size(); ++n)
        if (byNumber[n])
            numbers.push_back(qint64(n));
    // Numbers too far for the array are kept with the single keys; the
    // array's come in order already.
    const size_t inOrder = numbers.size();
    const QString from = folded(prefix);
    for (const auto& [key, value] : s.values)
        if (const std::optional<size_t> n = keyNumber(from, key); value && n && *n >= byNumber.size())
            numbers.push_back(qint64(*n));
    if (numbers.size() > inOrder) {
        std::sort(numbers.begin(), numbers.end());
        numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    }
    return numbers;
}

qint64 SettingsStore::keyCount(QStringView section) const
{
    if (!d->db.isOpen())
        return 0;
    d->checkOthers();
    Section& s = d->section(section);
    if (!s.count) {
        d->countKeys->bind(1, s.name);
        const int rc = d->countKeys->step();
        s.count = rc == SQLITE_ROW ? d->countKeys->integer(0) : 0;
        if (rc != SQLITE_ROW)
            d->readFailed();
        d->countKeys->reset();
    }
    return *s.count;
}

bool SettingsStore::save(const QString& section, const QString& key, const QString& value)
{
    return saveAll({{section, key, value}});
}

bool SettingsStore::saveAll(const std::vector<Write>& writes)
{
    return update([&writes](const SettingsStore&) { return writes; }) == Update::Written;
}

bool SettingsStore::scan(QStringView section, const Visit& visit) const
{
    if (!d->db.isOpen())
        return false;
    // When the section holds most of the file, reading the table in its own
    // order is several times faster than through the index by key.
    bool most = false;
    {
        Sqlite::Statement highest(d->db, "SELECT max(rowid) FROM settings");
        most = 2 * keyEstimate(section) >= (highest.step() == SQLITE_ROW ? highest.integer(0) : 0);
    }
    Sqlite::Statement all(d->db, most
                                     ? "SELECT key_fold, value, rowid FROM settings NOT INDEXED WHERE section_fold = ?1"
                                     : "SELECT key_fold, value, rowid FROM settings WHERE section_fold = ?1");
    all.bind(1, folded(section));
    int rc = SQLITE_ROW;
    while ((rc = all.step()) == SQLITE_ROW)
        if (all.bytes(1) <= MaxValueBytes)
            visit(all.utf8(0), all.utf8(1), all.integer(2));
    if (rc != SQLITE_DONE) {
        d->readFailed();
        return false;
    }
    return true;
}

qint64 SettingsStore::keyEstimate(QStringView section) const
{
    if (!d->db.isOpen())
        return 0;
    Sqlite::Statement highest(d->db, "SELECT max(rowid) FROM settings");
    const qint64 rows = highest.step() == SQLITE_ROW ? highest.integer(0) : 0;
    Sqlite::Statement probe(d->db, "SELECT section_fold = ?1 FROM settings WHERE rowid >= ?2 LIMIT 1");
    const QString name = folded(section);
    constexpr int probes = 32;
    int ours = 0;
    for (int i = 0; i < probes; ++i) {
        probe.bind(1, name).bind(2, rows * (2 * i + 1) / (2 * probes));
        ours += probe.step() == SQLITE_ROW && probe.integer(0) ? 1 : 0;
        probe.reset();
    }
    return rows * ours / probes;
}

qint64 SettingsStore::othersChanges() const
{
    d->checkOthers();
    return d->othersSeen;
}

struct SettingsStore::Writer::State
{
    explicit State(SettingsStore::Private& store) : d(store) {}
    SettingsStore::Private& d;
    bool failed = false;
    qint64 named = 0;
    bool quiet = false;
    qint64 quietChanges = 0;
    std::vector<Write> remembered;
    bool forgetting = false;
    std::vector<QString> forgotten; // sections whose memory goes
    QString lastSection, sectionFold, keyFold;

    bool fail()
    {
        failed = true;
        return d.failed();
    }

    void fold(QStringView section, QStringView key)
    {
        if (section != lastSection) {
            lastSection = section.toString();
            sectionFold = folded(section);
        }
        if (!isAscii(key)) {
            keyFold = folded(key);
            return;
        }
        keyFold.resize(key.size());
        for (qsizetype i = 0; i < key.size(); ++i)
            keyFold[i] = QChar(asciiLower(key[i].unicode()));
    }

    void done(QStringView section, QStringView key, QStringView value, bool remove)
    {
        if (quiet)
            quietChanges += d.db.changes();
        if (!quiet && ++named > kLoudWrites) {
            quiet = d.db.exec(kQuietChanges);
            if (!quiet)
                fail();
        }
        if (!forgetting && remembered.size() < kRememberedWrites) {
            remembered.push_back({section.toString(), key.toString(), value.toString(), remove});
            return;
        }
        if (!forgetting) {
            forgetting = true;
            for (const Write& w : remembered)
                forget(w.section);
            remembered.clear();
        }
        forget(section);
    }

    void forget(QStringView section)
    {
        if (forgotten.empty() || forgotten.back() != section)
            if (std::find(forgotten.begin(), forgotten.end(), section) == forgotten.end())
                forgotten.push_back(section.toString());
    }

    // The triggers back, and the changes they missed counted.
    bool loud()
    {
        Sqlite::Statement count(d.db, "UPDATE changes SET count = count + ?1");
        return count.bind(1, quietChanges).run() && d.db.exec(kChangeCount);
    }

    // Only what is on disk reaches memory.
    void remember()
    {
        for (const QString& section : forgotten)
            d.forgetSection(section);
        for (const Write& w : remembered) {
            Section& section = d.section(w.section);
            w.remove ? section.erase(folded(w.key)) : section.store(folded(w.key), w.value);
        }
    }
};

void SettingsStore::Writer::set(QStringView section, QStringView key, QStringView value, qint64 row)
{
    State& st = m_state;
    if (st.failed)
        return;
    st.fold(section, key);
    int changed = 0;
    if (row > 0) {
        if (!st.d.updateRow->bind(1, value).bind(2, row).bind(3, st.sectionFold).bind(4, st.keyFold).run()) {
            st.fail();
            return;
        }
        changed = st.d.db.changes();
    }
    if (changed == 0) {
        st.d.upsert->bind(1, section).bind(2, key).bind(3, value).bind(4, st.sectionFold).bind(5, st.keyFold);
        if (!st.d.upsert->run()) {
            st.fail();
            return;
        }
    }
    st.done(section, key, value, false);
}

void SettingsStore::Writer::remove(QStringView section, QStringView key, qint64 row)
{
    State& st = m_state;
    if (st.failed)
        return;
    st.fold(section, key);
    int changed = 0;
    if (row > 0) {
        if (!st.d.deleteRow->bind(1, row).bind(2, st.sectionFold).bind(3, st.keyFold).run()) {
            st.fail();
            return;
        }
        changed = st.d.db.changes();
    }
    if (changed == 0 && !st.d.deleteKey->bind(1, st.sectionFold).bind(2, st.keyFold).run()) {
        st.fail();
        return;
    }
    st.done(section, key, {}, true);
}

SettingsStore::Update SettingsStore::update(const Compute& compute)
{
    return updateInBatches([&compute](const SettingsStore& store, qint64 batch) -> std::optional<std::vector<Write>> {
        return batch == 0 ? compute(store) : std::vector<Write>();
    });
}

SettingsStore::Update SettingsStore::updateInBatches(const Batches& compute)
{
    return edit([&compute](const SettingsStore& store, Writer& writer) {
        for (qint64 batch = 0;; ++batch) {
            const std::optional<std::vector<Write>> writes = compute(store, batch);
            if (!writes)
                return false;
            if (writes->empty())
                return true;
            for (const Write& w : *writes)
                w.remove ? writer.remove(w.section, w.key) : writer.set(w.section, w.key, w.value);
        }
    });
}

SettingsStore::Update SettingsStore::edit(const Edit& compute)
{
    if (!d->db.isOpen()) {
        d->fail(QStringLiteral("the store %1 is not open").arg(d->path));
        return Update::Failed;
    }
    if (d->readOnly) {
        d->fail(QStringLiteral("%1 can only be read (%2)").arg(d->path, d->readOnlyReason));
        return Update::Failed;
    }
    Writer::State state(*d);
    {
        Sqlite::Transaction transaction(d->db);
        if (!transaction.isActive()) {
            d->failed();
            return Update::Failed;
        }
        // The lock is ours: what another program committed before it is in
        // the file now, and nobody can commit until we are done.
        d->checkOthers();
        Writer writer(state);
        const bool named = compute(*this, writer);
        if (state.failed)
            return Update::Failed;
        if (!named)
            return Update::Declined;
        if ((state.quiet && !state.loud()) || !transaction.commit()) {
            d->failed();
            return Update::Failed;
        }
    }
    state.remember();
    return Update::Written;
}

bool OpenStore(SettingsStore& store)
{
    Platform::MessageBoxes& messages = *Platform::services().messages;
    const QString file = QDir::toNativeSeparators(store.path());
    while (!store.open()) {
        // Also for whoever started the program from a command line.
        qCWarning(lcStore, "%s: %s", qUtf8Printable(file), qUtf8Printable(store.lastError()));
        if (!store.isBusy()) {
            messages.show(nullptr,
                          QStringLiteral("Tankometer cannot use its data file\n%1\nbecause %2.\n\nThe file was left "
                                         "exactly as it was. Restore it from a copy in the backups folder beside it, "
                                         "or move it away to start afresh.")
                              .arg(file, store.lastError()),
                          Platform::Critical, QStringLiteral("Tankometer"));
            return false;
        }
        if (messages.ask(nullptr, LocalizedText(Text::StoreBusy) + QStringLiteral("\n\n") + file,
                         {LocalizedText(Text::Retry), LocalizedText(Text::Exit)}, Platform::Exclamation,
                         QStringLiteral("Tankometer")) != 0)
            return false;
    }
    if (store.mayMissRecent())
        messages.show(nullptr, LocalizedText(Text::StoreIncomplete) + QStringLiteral("\n\n") + file + u'\n' + store.lastError(),
                      Platform::Exclamation, QStringLiteral("Tankometer"));
    return true;
}

QString GetSetting(QStringView app, QStringView section, QStringView key, const QString& defaultValue)
{
    Q_UNUSED(app);
    const SettingsStore* store = SettingsStore::current();
    const QString* value = store ? store->find(section, key) : nullptr;
    return value ? *value : defaultValue;
}

QString GetSetting(QStringView app, QStringView section, QStringView key, const char* defaultValue)
{
    return GetSetting(app, section, key, QString::fromUtf8(defaultValue));
}

QString GetSetting(QStringView app, QStringView section, QStringView key, double defaultValue)
{
    const SettingsStore* store = SettingsStore::current();
    const QString* value = store ? store->find(section, key) : nullptr;
    Q_UNUSED(app);
    return value ? *value : LocaleText(defaultValue);
}

QString GetSetting(QStringView app, QStringView section, QStringView key, int defaultValue)
{
    return GetSetting(app, section, key, double(defaultValue));
}

QString GetSetting(QStringView app, QStringView section, QStringView key, bool defaultValue)
{
    return GetSetting(app, section, key, defaultValue ? QStringLiteral("True") : QStringLiteral("False"));
}

bool SaveSetting(QStringView app, const QString& section, const QString& key, const QString& value)
{
    Q_UNUSED(app);
    SettingsStore* store = SettingsStore::current();
    return store && store->save(section, key, value);
}
