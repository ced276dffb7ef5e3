#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;
class SettingsStore;

// Tells a window at once that another program committed to the store, for a
// store that hears of it without asking (a server's notifications). With a
// store that does not, it tells nothing, and the window reads anew when it is
// activated, as before.
class StoreWatcher : public QObject
{
    Q_OBJECT

public:
    StoreWatcher(const SettingsStore& store, QObject* parent);
    ~StoreWatcher() override;

signals:
    void changed();

private:
    void watch();
    void readable();

    const SettingsStore& m_store;
    std::unique_ptr<QSocketNotifier> m_notifier;
    qint64 m_seen = 0;
};
