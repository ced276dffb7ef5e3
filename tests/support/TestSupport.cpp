#include "TestSupport.h"

#include "frame/Module1.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

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

void putRecords(Environment& env, const QString& user, const QString& records)
{
    const QStringList list = records.isEmpty() ? QStringList() : records.split(u'|');
    std::vector<SettingsStore::Write> writes{{user, QStringLiteral("TotEntry"), QString::number(list.size())}};
    const char16_t* prefixes[] = {u"Date", u"Tanko", u"Pay", u"PayCom"};
    for (int n = 1; n <= list.size(); ++n) {
        const QStringList fields = list[n - 1].split(u';');
        for (int k = 0; k < 4; ++k)
            if (fields.value(k) != u"-" && !(k == 3 && fields.value(k).isEmpty()))
                writes.push_back({user, QString::fromUtf16(prefixes[k]) + QString::number(n), fields.value(k)});
    }
    if (!env.store().saveAll(writes))
        qFatal("test store: %s", qPrintable(env.store().lastError()));
}

void refuseKey(const QString& path, const QString& key, const char* reason)
{
    sqlite3* db = nullptr;
    const QByteArray sql = QStringLiteral("CREATE TRIGGER refuse_%1 BEFORE INSERT ON settings WHEN NEW.key = '%1' "
                                          "BEGIN SELECT RAISE(ABORT, '%2'); END")
                               .arg(key, QLatin1String(reason))
                               .toUtf8();
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK ||
        sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("cannot prepare the refusal: %s", sqlite3_errmsg(db));
    sqlite3_close(db);
}

void inNextModal(QObject* context, const std::function<void(QWidget*)>& inside)
{
    QTimer::singleShot(0, context, [inside] {
        const QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        inside(modal);
        if (modal && modal->isVisible())
            modal->close();
    });
}
} // namespace TestSupport
