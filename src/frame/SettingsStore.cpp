#include "frame/SettingsStore.h"

#include "frame/Conversions.h"
#include "frame/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <sqlite3.h>

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

struct Section
{
    QString name; // case-folded
    // The keys known so far: a value, or nullopt for a key known to be absent.
    // Single keys are read on first use; numbered keys a prefix at a time.
    FoldedMap<std::optional<QString>> values;
    // Numbered keys of a prefix (Tanko1, Tanko2 ...) by their number, made on
    // first use: reading every record in turn then walks an array instead of
    // hashing a key per record. Complete for every number below its size.
    FoldedMap<std::vector<const QString*>> numbered;
    std::optional<qint64> count;

    // Numbers far beyond the keys there are (a hand edit) stay out of the
    // arrays and are found one by one.
    size_t numberLimit() const { return 4 * values.size() + 16; }
    void index(std::vector<const QString*>& byNumber, QStringView prefix, const QString& key, const QString* value);
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

void Section::index(std::vector<const QString*>& byNumber, QStringView prefix, const QString& key, const QString* value)
{
    const std::optional<size_t> n = keyNumber(prefix, key);
    if (!n || *n >= numberLimit())
        return;
    if (*n >= byNumber.size())
        byNumber.resize(*n + 1, nullptr);
    byNumber[*n] = value;
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

struct Statement
{
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

void bindText(sqlite3_stmt* stmt, int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QString columnText(sqlite3_stmt* stmt, int column)
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(stmt, column));
}

constexpr const char* kSchema =
    "CREATE TABLE settings(section TEXT NOT NULL, key TEXT NOT NULL, value TEXT NOT NULL,"
    " section_fold TEXT NOT NULL, key_fold TEXT NOT NULL, PRIMARY KEY(section_fold, key_fold))";
} // namespace

struct SettingsStore::Private
{
    QString path;
    QString error;
    sqlite3* db = nullptr;
    bool readOnly = false;
    sqlite3_stmt* upsert = nullptr;
    sqlite3_stmt* readKey = nullptr;
    sqlite3_stmt* readPrefix = nullptr;
    sqlite3_stmt* countKeys = nullptr;

    mutable FoldedMap<Section> sections;
    mutable QString lastSectionName;
    mutable Section* lastSection = nullptr;

    ~Private() { close(); }

    void close()
    {
        for (sqlite3_stmt* stmt : {upsert, readKey, readPrefix, countKeys})
            sqlite3_finalize(stmt);
        upsert = readKey = readPrefix = countKeys = nullptr;
        if (db)
            sqlite3_close_v2(db);
        db = nullptr;
    }

    bool fail(const QString& what)
    {
        error = what;
        return false;
    }

    QString sqliteError() const { return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory"); }

    bool exec(const char* sql)
    {
        char* message = nullptr;
        if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
            return true;
        error = QString::fromUtf8(message ? message : "unknown error");
        sqlite3_free(message);
        return false;
    }

    bool create();
    bool openExisting();
    int validate();
    Section& section(QStringView name) const;
    const std::optional<QString>& read(Section& s, QStringView key) const;
    std::vector<const QString*>& numbered(Section& s, QStringView prefix) const;
};

SettingsStore::SettingsStore(const QString& path) : d(std::make_unique<Private>())
{
    d->path = path;
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
    return d->db != nullptr;
}

bool SettingsStore::isReadOnly() const
{
    return d->readOnly;
}

bool SettingsStore::open()
{
    d->close();
    d->sections.clear();
    d->lastSection = nullptr;
    d->readOnly = false;
    const bool ok = QFileInfo::exists(d->path) ? d->openExisting() : d->create();
    if (!ok) {
        d->close();
        return false;
    }
    if (!d->readOnly) {
        const char* upsert =
            "INSERT INTO settings(section, key, value, section_fold, key_fold) VALUES(?1, ?2, ?3, ?4, ?5)"
            " ON CONFLICT(section_fold, key_fold) DO UPDATE SET value = excluded.value";
        if (sqlite3_prepare_v2(d->db, upsert, -1, &d->upsert, nullptr) != SQLITE_OK)
            return d->fail(d->sqliteError());
    }
    const std::pair<const char*, sqlite3_stmt**> reads[] = {
        {"SELECT value FROM settings WHERE section_fold = ?1 AND key_fold = ?2", &d->readKey},
        {"SELECT key_fold, value FROM settings WHERE section_fold = ?1 AND key_fold >= ?2 AND key_fold < ?3",
         &d->readPrefix},
        {"SELECT count(*) FROM settings WHERE section_fold = ?1", &d->countKeys}};
    for (const auto& [sql, stmt] : reads)
        if (sqlite3_prepare_v2(d->db, sql, -1, stmt, nullptr) != SQLITE_OK)
            return d->fail(d->sqliteError());
    return true;
}

// A new store is built beside its final name and moved into place, so that a
// tanko.db that exists is always a complete store.
bool SettingsStore::Private::create()
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("cannot create the folder %1").arg(info.absolutePath()));
    const QString fresh = path + QStringLiteral(".new");
    QFile::remove(fresh);
    if (sqlite3_open_v2(fresh.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        return fail(sqliteError());
    if (!exec("PRAGMA journal_mode=WAL") || !exec(kSchema))
        return false;
    close();
    if (!QFile::rename(fresh, path))
        return fail(QStringLiteral("cannot move %1 into place").arg(fresh));
    return openExisting();
}

bool SettingsStore::Private::openExisting()
{
    if (QFileInfo(path).size() == 0)
        return fail(QStringLiteral("the file is empty"));
    const QByteArray name = path.toUtf8();
    int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
        rc = validate();
    if (rc == SQLITE_READONLY || rc == SQLITE_CANTOPEN || rc == SQLITE_PERM) {
        // The file or its folder cannot be written: show the data all the same.
        close();
        readOnly = true;
        const QByteArray uri = "file:" + QUrl::toPercentEncoding(path, "/") + "?immutable=1";
        rc = sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
        if (rc == SQLITE_OK)
            rc = validate();
    }
    if (rc != SQLITE_OK)
        return false;
    if (!readOnly) {
        sqlite3_busy_timeout(db, 5000);
        if (!exec("PRAGMA journal_mode=WAL") || !exec("PRAGMA synchronous=FULL"))
            return false;
    }
    return true;
}

// Reads only: a damaged file must stay exactly as it was.
int SettingsStore::Private::validate()
{
    Statement check;
    int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &check.stmt, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(check.stmt);
    if (rc == SQLITE_READONLY || rc == SQLITE_CANTOPEN || rc == SQLITE_PERM)
        return rc;
    if (rc != SQLITE_ROW) {
        fail(QStringLiteral("it is not a readable Tankometer store (%1)").arg(sqliteError()));
        return rc == SQLITE_OK ? SQLITE_ERROR : rc;
    }
    const QString verdict = columnText(check.stmt, 0);
    if (verdict != QLatin1String("ok")) {
        fail(QStringLiteral("it is damaged (%1)").arg(verdict));
        return SQLITE_CORRUPT;
    }
    Statement table;
    rc = sqlite3_prepare_v2(db, "SELECT section, key, value, section_fold, key_fold FROM settings LIMIT 1", -1,
                            &table.stmt, nullptr);
    if (rc != SQLITE_OK) {
        fail(QStringLiteral("it is not a Tankometer store (%1)").arg(sqliteError()));
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
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

const std::optional<QString>& SettingsStore::Private::read(Section& s, QStringView key) const
{
    auto it = findFolded(s.values, key);
    if (it != s.values.end())
        return it->second;
    const QString foldedKey = folded(key);
    std::optional<QString> value;
    sqlite3_reset(readKey);
    bindText(readKey, 1, s.name);
    bindText(readKey, 2, foldedKey);
    if (sqlite3_step(readKey) == SQLITE_ROW)
        value = columnText(readKey, 0);
    sqlite3_reset(readKey);
    return s.values.emplace(foldedKey, std::move(value)).first->second;
}

std::vector<const QString*>& SettingsStore::Private::numbered(Section& s, QStringView prefix) const
{
    auto it = findFolded(s.numbered, prefix);
    if (it != s.numbered.end())
        return it->second;
    const QString from = folded(prefix);
    QString to = from;
    if (!to.isEmpty())
        to.back() = QChar(char16_t(to.back().unicode() + 1));
    sqlite3_reset(readPrefix);
    bindText(readPrefix, 1, s.name);
    bindText(readPrefix, 2, from);
    bindText(readPrefix, 3, to);
    // What memory already holds stays: it is what the file holds, and callers
    // may still be looking at it.
    while (sqlite3_step(readPrefix) == SQLITE_ROW)
        s.values.try_emplace(columnText(readPrefix, 0), columnText(readPrefix, 1));
    sqlite3_reset(readPrefix);
    // Indexed once all are in, so that the limit counts them all.
    auto& byNumber = s.numbered.emplace(from, std::vector<const QString*>()).first->second;
    for (const auto& [key, value] : s.values)
        if (value)
            s.index(byNumber, from, key, &*value);
    return byNumber;
}

const QString* SettingsStore::find(QStringView section, QStringView key) const
{
    if (!d->db)
        return nullptr;
    const std::optional<QString>& value = d->read(d->section(section), key);
    return value ? &*value : nullptr;
}

const QString* SettingsStore::findNumbered(QStringView section, QStringView prefix, qint64 n) const
{
    if (!d->db)
        return nullptr;
    const std::vector<const QString*>& byNumber = d->numbered(d->section(section), prefix);
    if (n >= 0 && size_t(n) < byNumber.size())
        return byNumber[size_t(n)];
    return numberedByHash(section, prefix, n);
}

const QString* SettingsStore::numberedByHash(QStringView section, QStringView prefix, qint64 n) const
{
    char16_t buffer[64];
    if (prefix.size() > 40 || n < 0)
        return find(section, prefix.toString() + QString::number(n));
    for (qsizetype i = 0; i < prefix.size(); ++i)
        buffer[i] = prefix[i].unicode();
    char16_t digits[24];
    int count = 0;
    do {
        digits[count++] = char16_t(u'0' + n % 10);
        n /= 10;
    } while (n > 0);
    qsizetype size = prefix.size();
    while (count > 0)
        buffer[size++] = digits[--count];
    return find(section, QStringView(buffer, size));
}

qint64 SettingsStore::numberedEnd(QStringView section, QStringView prefix) const
{
    return d->db ? qint64(d->numbered(d->section(section), prefix).size()) : 0;
}

qint64 SettingsStore::keyCount(QStringView section) const
{
    if (!d->db)
        return 0;
    Section& s = d->section(section);
    if (!s.count) {
        sqlite3_reset(d->countKeys);
        bindText(d->countKeys, 1, s.name);
        s.count = sqlite3_step(d->countKeys) == SQLITE_ROW ? sqlite3_column_int64(d->countKeys, 0) : 0;
        sqlite3_reset(d->countKeys);
    }
    return *s.count;
}

bool SettingsStore::save(const QString& section, const QString& key, const QString& value)
{
    return saveAll({{section, key, value}});
}

bool SettingsStore::saveAll(const std::vector<Write>& writes)
{
    if (!d->db)
        return d->fail(QStringLiteral("the store %1 is not open").arg(d->path));
    if (d->readOnly)
        return d->fail(QStringLiteral("%1 cannot be written (read-only)").arg(d->path));
    if (!d->exec("BEGIN IMMEDIATE"))
        return false;
    for (const Write& w : writes) {
        sqlite3_reset(d->upsert);
        bindText(d->upsert, 1, w.section);
        bindText(d->upsert, 2, w.key);
        bindText(d->upsert, 3, w.value);
        bindText(d->upsert, 4, w.section.toCaseFolded());
        bindText(d->upsert, 5, w.key.toCaseFolded());
        if (sqlite3_step(d->upsert) != SQLITE_DONE) {
            d->error = d->sqliteError();
            sqlite3_reset(d->upsert);
            d->exec("ROLLBACK");
            return false;
        }
    }
    sqlite3_reset(d->upsert);
    if (!d->exec("COMMIT")) {
        const QString error = d->error;
        d->exec("ROLLBACK");
        d->error = error;
        return false;
    }
    // Only what is on disk reaches memory.
    for (const Write& w : writes) {
        Section& s = d->section(w.section);
        const auto it = s.values.insert_or_assign(w.key.toCaseFolded(), w.value).first;
        s.count.reset();
        for (auto& [prefix, byNumber] : s.numbered)
            s.index(byNumber, prefix, it->first, &*it->second);
    }
    return true;
}

bool OpenStore(SettingsStore& store)
{
    if (store.open())
        return true;
    Platform::services().messages->show(
        nullptr,
        QStringLiteral("Tankometer cannot use its data file\n%1\nbecause %2.\n\nThe file was left exactly as it was. "
                       "Restore it from a copy in the backups folder beside it, or move it away to start afresh.")
            .arg(QDir::toNativeSeparators(store.path()), store.lastError()),
        Platform::Critical, QStringLiteral("Tankometer"));
    return false;
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
