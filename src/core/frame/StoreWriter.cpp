// The store's writes: every one inside a read-modify-write that holds the
// backend's write lock from its first read to its commit.
#include "core/frame/SettingsStorePrivate.h"

#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace StoreCache;

namespace
{
// Beyond this many writes in one edit, memory of the sections written is
// dropped rather than brought up to date key by key.
constexpr size_t kRememberedWrites = 4096;
// Runs of a read-modify-write that conflicted with another program's.
constexpr int kAttempts = 10;

struct FoldedLess
{
    bool operator()(const QString& a, const QString& b) const { return folded(a) < folded(b); }
};
} // namespace

struct SettingsStore::Writer::State
{
    explicit State(SettingsStore::Private& store) : d(store) {}
    SettingsStore::Private& d;
    bool failed = false;
    std::vector<Write> remembered;
    bool forgetting = false;
    std::vector<QString> forgotten; // sections whose memory goes
    QString lastSection, sectionFold, keyFold;

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

    // Only what is in the store reaches memory.
    void remember()
    {
        std::vector<QString> written = forgotten;
        for (const QString& section : forgotten)
            d.sections.retire(section);
        for (const Write& w : remembered) {
            Section& section = d.sections(w.section);
            w.remove ? section.erase(folded(w.key)) : section.store(folded(w.key), w.value);
            if (written.empty() || written.back() != w.section)
                written.push_back(w.section);
        }
        std::sort(written.begin(), written.end(), FoldedLess());
        written.erase(std::unique(written.begin(), written.end(), FoldedEqual()), written.end());
        for (const QString& section : written)
            ++d.writes[folded(section)];
    }
};

void SettingsStore::Writer::set(QStringView section, QStringView key, QStringView value, qint64 row)
{
    State& st = m_state;
    if (st.failed)
        return;
    st.fold(section, key);
    if (!st.d.backend->set(section, key, value, st.sectionFold, st.keyFold, row)) {
        st.failed = true;
        return;
    }
    st.done(section, key, value, false);
}

void SettingsStore::Writer::remove(QStringView section, QStringView key, qint64 row)
{
    State& st = m_state;
    if (st.failed)
        return;
    st.fold(section, key);
    if (!st.d.backend->remove(st.sectionFold, st.keyFold, row)) {
        st.failed = true;
        return;
    }
    st.done(section, key, {}, true);
}

bool SettingsStore::save(const QString& section, const QString& key, const QString& value)
{
    return saveAll({{section, key, value}});
}

bool SettingsStore::saveAll(const std::vector<Write>& writes)
{
    return update([&writes](const SettingsStore&) { return writes; }) == Update::Written;
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
    for (int attempt = 1;; ++attempt) {
        bool commitLost = false;
        const Update done = this->attempt(compute, commitLost);
        if (done != Update::Failed)
            return done;
        if (d->backend->mayRetry() && attempt < kAttempts) {
            // Apart, so that the two do not meet again at once.
            std::this_thread::sleep_for(
                std::chrono::milliseconds(QRandomGenerator::global()->bounded(1, 1 + std::min(100, 1 << attempt))));
            continue;
        }
        if (!d->backend->isLost() || !d->recover())
            return Update::Failed;
        // Memory starts afresh after a reconnection: nothing to remember.
        if (commitLost && d->backend->committedWhenLost())
            return Update::Written;
    }
}

SettingsStore::Update SettingsStore::attempt(const Edit& compute, bool& commitLost)
{
    if (!d->backend->begin()) {
        d->fail();
        return Update::Failed;
    }
    // The lock is ours: what another program committed before it is in the
    // store now, and nobody can commit until we are done.
    d->editing = true;
    d->checkOthers();
    Writer::State state(*d);
    Writer writer(state);
    const bool named = compute(*this, writer);
    d->editing = false;
    // A read that went with the connection may have made compute decline.
    const bool failed = state.failed || d->backend->isLost();
    if (failed || !named) {
        if (failed)
            d->fail();
        d->backend->rollback();
        return failed ? Update::Failed : Update::Declined;
    }
    if (!d->backend->commit()) {
        d->fail();
        commitLost = d->backend->isLost();
        return Update::Failed;
    }
    state.remember();
    return Update::Written;
}
