#include "TestSupport.h"

#include "frame/Module1.h"

#include <QTest>

namespace TestSupport
{
LocaleInfo locale(const QString& name)
{
    if (name == u"fr")
        return LocaleInfo::french();
    if (name == u"nl")
        return LocaleInfo::dutch();
    return LocaleInfo::english();
}

Environment::Environment(const QString& localeName, float langOfs, const QString& user)
{
    setUserLocale(locale(localeName));
    Module1::LangOfs = langOfs;
    Module1::CurUser = user;
    m_store = std::make_unique<SettingsStore>(m_dir.filePath(QStringLiteral("tanko.db")));
    if (!m_store->open())
        qFatal("test store: %s", qPrintable(m_store->lastError()));
    SettingsStore::setCurrent(m_store.get());
    m_saved = Platform::services();
    Platform::services() = {&messages, &launcher, &clock};
}

Environment::~Environment()
{
    Platform::services() = m_saved;
    SettingsStore::setCurrent(nullptr);
    Module1::CurUser.clear();
    Module1::LangOfs = 0;
}

void Environment::put(const QString& section, const QString& key, const QString& value)
{
    if (!m_store->save(section, key, value))
        qFatal("test store: %s", qPrintable(m_store->lastError()));
}

QString Environment::get(const QString& section, const QString& key) const
{
    const QString* value = m_store->find(section, key);
    return value ? *value : QStringLiteral("<absent>");
}

void Environment::reopen()
{
    m_store = std::make_unique<SettingsStore>(m_dir.filePath(QStringLiteral("tanko.db")));
    if (!m_store->open())
        qFatal("test store: %s", qPrintable(m_store->lastError()));
    SettingsStore::setCurrent(m_store.get());
}
} // namespace TestSupport
