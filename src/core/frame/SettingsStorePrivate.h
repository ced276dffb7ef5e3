#pragma once

// Inside the settings store: shared by its reads (SettingsStore.cpp) and its
// writes (StoreWriter.cpp), seen by nothing else.

#include "core/frame/SettingsStore.h"
#include "core/frame/StoreCache.h"

struct SettingsStore::Private
{
    std::unique_ptr<StoreBackend> backend;
    mutable QString error;
    std::function<void(const QString&)> onReadFailure;
    std::function<bool(const QString&)> onConnectionLost;
    mutable bool readFailureTold = false;
    mutable bool recovering = false;
    bool editing = false; // edit() recovers a lost connection itself
    mutable qint64 othersSeen = 0;
    mutable StoreCache::Sections sections;
    StoreCache::FoldedMap<qint64> writes; // commits by section

    bool isOpen() const { return backend->isOpen(); }
    bool fail() const
    {
        error = backend->error();
        return false;
    }
    // Some values could not be read: said once, so that fewer records are
    // never shown without a word.
    void readFailed() const;
    // Memory starts afresh when another program committed.
    void checkOthers() const;
    // The connection is gone: asks until it is back (memory starts afresh)
    // or the handler gives up.
    bool recover() const;
    // A failed read: values that cannot be read, or a lost connection; true
    // when the connection is back and the read may be made again.
    bool readFailedOrLost() const;
    const std::optional<QString>& read(StoreCache::Section& s, QStringView key, bool fromStore = true) const;
    StoreCache::Numbered& numbered(StoreCache::Section& s, QStringView prefix) const;
};
