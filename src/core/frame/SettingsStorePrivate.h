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
    mutable bool readFailureTold = false;
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
    const std::optional<QString>& read(StoreCache::Section& s, QStringView key, bool fromStore = true) const;
    StoreCache::Numbered& numbered(StoreCache::Section& s, QStringView prefix) const;
};
