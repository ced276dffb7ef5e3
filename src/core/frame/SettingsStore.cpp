#include "core/frame/SettingsStore.h"

#include "core/frame/Log.h"
#include "core/frame/PostgresBackend.h"
#include "core/frame/SettingsStorePrivate.h"
#include "core/frame/SqliteBackend.h"
#include "core/frame/StoreLocation.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>

using namespace StoreCache;

SettingsStore::SettingsStore(const QString& path, int busyMs)
    : SettingsStore(std::make_unique<SqliteBackend>(path, busyMs))
{
}

SettingsStore::SettingsStore(std::unique_ptr<StoreBackend> backend) : d(std::make_unique<Private>())
{
    d->backend = std::move(backend);
}

SettingsStore::SettingsStore(const StoreLocation& location)
    : SettingsStore(
          location.kind == StoreLocation::Kind::Server
              ? std::unique_ptr<StoreBackend>(std::make_unique<PostgresBackend>(location.value, location.shown()))
              : std::make_unique<SqliteBackend>(location.value))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("tanko.db"));
}

QString SettingsStore::path() const
{
    return d->backend->location();
}

QString SettingsStore::lastError() const
{
    return d->error;
}

bool SettingsStore::isOpen() const
{
    return d->isOpen();
}

bool SettingsStore::isReadOnly() const
{
    return d->backend->isReadOnly();
}

bool SettingsStore::isBusy() const
{
    return d->backend->isBusy();
}

bool SettingsStore::mayMissRecent() const
{
    return d->backend->mayMissRecent();
}

void SettingsStore::setReadFailureHandler(std::function<void(const QString&)> handler)
{
    d->onReadFailure = std::move(handler);
}

void SettingsStore::setConnectionLostHandler(std::function<bool(const QString&)> handler)
{
    d->onConnectionLost = std::move(handler);
}

bool SettingsStore::isLost() const
{
    return d->backend->isLost();
}

QString SettingsStore::server() const
{
    return d->backend->server();
}

QString SettingsStore::database() const
{
    return d->backend->database();
}

int SettingsStore::changeSocket() const
{
    return d->backend->changeSocket();
}

bool SettingsStore::open()
{
    d->sections.clear();
    d->readFailureTold = false;
    d->error.clear();
    const bool ok = d->backend->open();
    // One that may miss its latest records opens all the same, and says why.
    d->error = ok && !d->backend->mayMissRecent() ? QString() : d->backend->error();
    return ok;
}

void SettingsStore::Private::readFailed() const
{
    const QString reason = backend->error();
    qCWarning(lcStore, "cannot read %s: %s", qUtf8Printable(backend->location()), qUtf8Printable(reason));
    if (readFailureTold || !onReadFailure)
        return;
    readFailureTold = true;
    onReadFailure(reason);
}

bool SettingsStore::Private::recover() const
{
    // Asked once at a time, however many reads fail while the question shows.
    if (editing || recovering || !onConnectionLost)
        return false;
    recovering = true;
    bool back = false;
    while (!back && onConnectionLost(backend->error()))
        back = backend->reconnect();
    recovering = false;
    if (!back)
        return false;
    ++othersSeen;
    sections.retire();
    return true;
}

bool SettingsStore::Private::readFailedOrLost() const
{
    if (!backend->isLost()) {
        readFailed();
        return false;
    }
    qCWarning(lcStore, "%s", qUtf8Printable(backend->error()));
    return recover();
}

void SettingsStore::Private::checkOthers() const
{
    const StoreBackend::Poll poll = backend->changedElsewhere();
    if (poll == StoreBackend::Poll::Failed)
        readFailedOrLost();
    if (poll == StoreBackend::Poll::Changed) {
        ++othersSeen;
        sections.retire(); // read again what another program may have written
    }
}

const std::optional<QString>& SettingsStore::Private::read(Section& s, QStringView key, bool fromStore) const
{
    static const std::optional<QString> absent;
    auto it = findFolded(s.values, key);
    if (it != s.values.end())
        return it->second;
    if (!fromStore)
        return absent;
    const QString foldedKey = folded(key);
    std::optional<QString> found;
    QString value;
    StoreBackend::Read outcome = backend->readKey(s.name, foldedKey, value);
    if (outcome == StoreBackend::Read::Failed && readFailedOrLost())
        outcome = backend->readKey(s.name, foldedKey, value);
    if (outcome == StoreBackend::Read::Found)
        found = std::move(value);
    return s.values.emplace(foldedKey, std::move(found)).first->second;
}

Numbered& SettingsStore::Private::numbered(Section& s, QStringView prefix) const
{
    if (Numbered* last = sections.lastNumbered(s, prefix))
        return *last;
    auto it = findFolded(s.numbered, prefix);
    if (it != s.numbered.end()) {
        sections.setLastNumbered(s, prefix, it->second);
        return it->second;
    }
    const QString from = folded(prefix);
    QString to = from;
    if (!to.isEmpty())
        to.back() = QChar(char16_t(to.back().unicode() + 1));
    const qsizetype prefixBytes = from.toUtf8().size();
    std::vector<std::pair<size_t, QString>> found;
    const auto keep = [&](QByteArrayView key, QByteArrayView value, qint64) {
        if (const std::optional<size_t> n = keyNumber(prefixBytes, key); n && !value.isNull())
            found.emplace_back(*n, QString::fromUtf8(value));
    };
    if (!backend->readRange(s.name, from, to, keep) && readFailedOrLost()) {
        found.clear();
        backend->readRange(s.name, from, to, keep);
    }
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
    sections.setLastNumbered(s, prefix, list);
    return list;
}

const QString* SettingsStore::find(QStringView section, QStringView key) const
{
    if (!d->isOpen())
        return nullptr;
    d->checkOthers();
    return lookup(section, key);
}

bool SettingsStore::holds(QStringView section, QStringView key) const
{
    if (find(section, key))
        return true;
    if (!d->isOpen())
        return false;
    QString value;
    return d->backend->readKey(folded(section), folded(key), value) == StoreBackend::Read::TooLarge;
}

const QString* SettingsStore::lookup(QStringView section, QStringView key, bool fromStore) const
{
    const std::optional<QString>& value = d->read(d->sections(section), key, fromStore);
    return value ? &*value : nullptr;
}

const QString* SettingsStore::findNumbered(QStringView section, QStringView prefix, qint64 n) const
{
    if (!d->isOpen())
        return nullptr;
    const std::deque<std::optional<QString>>& byNumber = d->numbered(d->sections(section), prefix).byNumber;
    if (n >= 0 && size_t(n) < byNumber.size())
        return byNumber[size_t(n)] ? &*byNumber[size_t(n)] : nullptr;
    return numberedByHash(section, prefix, n);
}

const QString* SettingsStore::numberedByHash(QStringView section, QStringView prefix, qint64 n) const
{
    if (prefix.size() > 40 || n < 0)
        return lookup(section, prefix.toString() + QString::number(n));
    // The prefix was read whole: a number beyond its array is among the
    // single keys or absent, and the store need not be asked.
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
    if (!d->isOpen())
        return 0;
    d->checkOthers();
    return qint64(d->numbered(d->sections(section), prefix).byNumber.size());
}

std::vector<qint64> SettingsStore::keyNumbers(QStringView section, QStringView prefix) const
{
    std::vector<qint64> numbers;
    if (!d->isOpen())
        return numbers;
    d->checkOthers();
    Section& s = d->sections(section);
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
    if (!d->isOpen())
        return 0;
    d->checkOthers();
    Section& s = d->sections(section);
    if (!s.count) {
        s.count = d->backend->countKeys(s.name);
        if (!s.count) {
            d->readFailedOrLost();
            return 0;
        }
    }
    return *s.count;
}

qint64 SettingsStore::keyEstimate(QStringView section) const
{
    return d->isOpen() ? d->backend->estimateKeys(folded(section)) : 0;
}

bool SettingsStore::scan(QStringView section, const Visit& visit) const
{
    if (!d->isOpen())
        return false;
    if (d->backend->scan(folded(section), visit))
        return true;
    // A server's rows come whole or not at all: a scan the connection went with is made again.
    return d->readFailedOrLost() && d->backend->scan(folded(section), visit);
}

qint64 SettingsStore::othersChanges() const
{
    if (d->isOpen())
        d->checkOthers();
    return d->othersSeen;
}

qint64 SettingsStore::writesTo(QStringView section) const
{
    const auto it = findFolded(d->writes, section);
    return it == d->writes.end() ? 0 : it->second;
}
