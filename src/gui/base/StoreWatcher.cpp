#include "gui/base/StoreWatcher.h"

#include "core/frame/SettingsStore.h"

#include <QSocketNotifier>

StoreWatcher::StoreWatcher(const SettingsStore& store, QObject* parent)
    : QObject(parent), m_store(store), m_seen(store.othersChanges())
{
    watch();
}

StoreWatcher::~StoreWatcher() = default;

// A connection made anew has a socket of its own.
void StoreWatcher::watch()
{
    const int socket = m_store.changeSocket();
    if (m_notifier && m_notifier->socket() == socket) {
        m_notifier->setEnabled(true);
        return;
    }
    m_notifier.reset();
    if (socket < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &StoreWatcher::readable);
}

void StoreWatcher::readable()
{
    // Quiet while the store takes in what came, which may ask about a lost connection.
    m_notifier->setEnabled(false);
    const qint64 now = m_store.othersChanges();
    watch();
    if (now != m_seen) {
        m_seen = now;
        emit changed();
    }
}
