#include "core/frame/StoreLocation.h"

#include "core/frame/Postgres.h"
#include "core/frame/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <libpq-fe.h>

#include <cstring>
#include <optional>

namespace
{
// A conninfo as libpq reads it, or why it cannot.
class Options
{
public:
    explicit Options(const QString& conninfo)
    {
        char* message = nullptr;
        m_list = PQconninfoParse(conninfo.toUtf8().constData(), &message);
        if (message) {
            m_error = QString::fromUtf8(message).trimmed();
            PQfreemem(message);
        }
    }
    // What libpq would use where the conninfo names nothing: PGHOST, PGPORT ... or its own.
    Options() : m_list(PQconndefaults()) {}
    ~Options() { PQconninfoFree(m_list); }
    Options(const Options&) = delete;
    Options& operator=(const Options&) = delete;

    bool ok() const { return m_list != nullptr; }
    QString error() const { return m_error; }
    QString value(const char* keyword) const
    {
        for (const PQconninfoOption* o = m_list; o && o->keyword; ++o)
            if (std::strcmp(o->keyword, keyword) == 0)
                return QString::fromUtf8(o->val);
        return {};
    }

private:
    PQconninfoOption* m_list = nullptr;
    QString m_error;
};

bool isUri(const QString& value)
{
    return value.startsWith(u"postgresql://") || value.startsWith(u"postgres://");
}

bool isKeywordValue(const QString& value)
{
    static const QRegularExpression keyword(QStringLiteral("^[A-Za-z_]+\\s*="));
    return keyword.match(value).hasMatch();
}

// libpq's complaint about a URI it cannot read may quote the URI, or the part
// of it that holds the password.
QString withoutPassword(QString text, const QString& uri)
{
    const qsizetype start = uri.indexOf(u"://") + 3;
    qsizetype end = start;
    while (end < uri.size() && uri[end] != u'/' && uri[end] != u'?')
        ++end;
    const qsizetype at = uri.lastIndexOf(u'@', end - 1);
    const qsizetype colon = uri.indexOf(u':', start);
    if (at < start || colon < 0 || colon > at)
        return text;
    const QString password = uri.mid(colon + 1, at - colon - 1);
    text.replace(uri, uri.left(colon) + uri.mid(at));
    return password.isEmpty() ? text : text.replace(password, QStringLiteral("***"));
}

QString sourceName(StoreLocation::Source source)
{
    switch (source) {
    case StoreLocation::Source::Argument:
        return QStringLiteral("--store");
    case StoreLocation::Source::Environment:
        return QStringLiteral("TANKOMETER_STORE");
    case StoreLocation::Source::SettingsFile:
        return QDir::toNativeSeparators(StoreLocation::settingsFilePath());
    case StoreLocation::Source::Default:
        break;
    }
    return QStringLiteral("the default store");
}

StoreLocation refused(StoreLocation::Source source, const QString& why)
{
    StoreLocation location;
    location.source = source;
    location.error = why;
    return location;
}

// The one store= line of the file; nullopt when the file is absent or names none.
std::optional<StoreLocation> fromSettingsFile(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    const QString name = QDir::toNativeSeparators(path);
    const auto refuse = [&name](const QString& why) {
        return refused(StoreLocation::Source::SettingsFile, name + why);
    };
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return refuse(QStringLiteral(": ") + file.errorString());
    std::optional<QString> value;
    int valueLine = 0;
    const QStringList lines = QString::fromUtf8(file.read(64 * 1024)).split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0 || line.left(eq).trimmed() != u"store")
            return refuse(
                QStringLiteral(" line %1: only \"store=\" and the store's file or server belong here").arg(i + 1));
        if (value)
            return refuse(QStringLiteral(" lines %1 and %2: name the store once").arg(valueLine).arg(i + 1));
        value = line.mid(eq + 1).trimmed();
        valueLine = i + 1;
    }
    if (!value)
        return std::nullopt;
    return StoreLocation::read(*value, StoreLocation::Source::SettingsFile,
                               name + QStringLiteral(" line %1").arg(valueLine));
}
} // namespace

StoreLocation StoreLocation::read(const QString& given, Source source, const QString& origin)
{
    const QString from = origin.isEmpty() ? sourceName(source) : origin;
    const QString value = given.trimmed();
    if (value.isEmpty() || value.startsWith(u"--"))
        return refused(source, from + QStringLiteral(": name the store's file or server"));
    StoreLocation location;
    location.source = source;
    if (!isUri(value) && !isKeywordValue(value)) {
        // The working folder of a program started from the desktop is anyone's guess.
        if (source == Source::SettingsFile && QDir::isRelativePath(value))
            return refused(source, from + QStringLiteral(": give the store file's full path"));
        location.value = QFileInfo(value).absoluteFilePath();
        return location;
    }
    const Options options(value);
    if (!options.ok())
        return refused(source, from + QStringLiteral(": cannot read the server's address: ") +
                                   withoutPassword(options.error(), value));
    if (!options.value("password").isEmpty())
        return refused(source, from + QStringLiteral(": the server's address holds a password. Tankometer never keeps "
                                                     "or shows a password: put it in ~/.pgpass or in the service file "
                                                     "(pg_service.conf) instead."));
    // "dbname=x" could be either: never a guess.
    if (!isUri(value) && QFileInfo::exists(value))
        return refused(source, from + QStringLiteral(": \"%1\" is both a file and a server's address; write ./%1 "
                                                     "for the file")
                                          .arg(value));
    location.kind = Kind::Server;
    location.value = value;
    return location;
}

StoreLocation StoreLocation::choose(const QStringList& arguments, const QString& environment,
                                    const QString& settingsFile, const QString& defaultFile)
{
    std::optional<QString> given;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString value;
        if (arguments[i] == u"--store")
            value = i + 1 < arguments.size() ? arguments[++i] : QString();
        else if (arguments[i].startsWith(u"--store="))
            value = arguments[i].mid(8);
        else
            continue;
        if (given)
            return refused(Source::Argument, QStringLiteral("--store: name the store once"));
        given = value;
    }
    if (given)
        return read(*given, Source::Argument);
    if (!environment.isEmpty())
        return read(environment, Source::Environment);
    if (std::optional<StoreLocation> fromFile = fromSettingsFile(settingsFile))
        return *fromFile;
    StoreLocation location;
    location.value = defaultFile;
    return location;
}

StoreLocation StoreLocation::ofProgram()
{
    return choose(QCoreApplication::arguments(), qEnvironmentVariable("TANKOMETER_STORE"), settingsFilePath(),
                  SettingsStore::defaultPath());
}

QString StoreLocation::settingsFilePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("store.conf"));
}

QString StoreLocation::shown() const
{
    if (!ok())
        return {};
    if (kind == Kind::File)
        return QDir::toNativeSeparators(value);
    const Options options(value);
    QString host = options.value("host");
    if (host.isEmpty())
        host = options.value("hostaddr");
    const QString service = options.value("service");
    const QString database = options.value("dbname");
    // The service file says where; the server, once reached, says it exactly.
    if (!service.isEmpty() && host.isEmpty())
        return QStringLiteral("service ") + service + (database.isEmpty() ? QString() : u'/' + database);
    const Options defaults;
    const QString port = options.value("port");
    return Postgres::describe(host.isEmpty() ? defaults.value("host") : host,
                              port.isEmpty() ? defaults.value("port") : port,
                              !database.isEmpty()                   ? database
                              : !defaults.value("dbname").isEmpty() ? defaults.value("dbname")
                                                                    : defaults.value("user"));
}
