#include "BenchSupport.h"

#include "core/platform/SystemServices.h"
#include "gui/platform/DesktopServices.h"

#include <QCoreApplication>
#include <QFile>

#include <sqlite3.h>

#include <algorithm>

namespace Bench
{
namespace
{
Platform::DesktopServices desktop(Platform::MessageBoxes* messages)
{
    Platform::DesktopServices services = Platform::desktopServices();
    if (messages)
        services.messages = messages;
    return services;
}
} // namespace

Windows::Windows(SettingsStore& store, const QString& user, Platform::MessageBoxes* messages)
    : m_context(store, Platform::systemServices(store.path()), desktop(messages), LocaleInfo::english())
{
    m_context.setUser(user);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

QString storeMadeOnce(const QString& name, const std::vector<SettingsStore::Write>& keys, const QString& insertSql,
                      int records)
{
    const QString path = QCoreApplication::applicationDirPath() + u'/' + name;
    if (QFile::exists(path))
        return path;
    const QString fresh = path + QStringLiteral(".new");
    QFile::remove(fresh);
    {
        SettingsStore store(fresh);
        if (!store.open() || !store.saveAll(keys))
            return {};
    }
    // Far faster than through the store, key by key.
    sqlite3* db = nullptr;
    sqlite3_open(fresh.toUtf8().constData(), &db);
    const QByteArray sql = (QStringLiteral("BEGIN; ") + insertSql.arg(records) + QStringLiteral("; COMMIT;")).toUtf8();
    const bool ok = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok && QFile::rename(fresh, path) ? path : QString();
}
} // namespace Bench
