#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <grp.h>
#include <sys/mount.h>
#include <sqlite3.h>
#include <unistd.h>

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

namespace
{
QString registryKey(quint32 root, const QString& key, const QString& name)
{
    return QString::number(root, 16) + u'|' + key.toCaseFolded() + u'|' + name.toCaseFolded();
}

std::unique_ptr<SettingsStore> openStore(const QString& path)
{
    auto store = std::make_unique<SettingsStore>(path);
    if (!store->open())
        qFatal("test store: %s", qPrintable(store->lastError()));
    return store;
}
} // namespace

std::optional<Platform::RegistryValue> FakeRegistry::query(quint32 root, const QString& key, const QString& name)
{
    const auto it = values.find(registryKey(root, key, name));
    return it == values.end() ? std::nullopt : std::optional(it->second);
}

bool FakeRegistry::setString(quint32 root, const QString& key, const QString& name, const QString& text)
{
    ++writes;
    if (!refuse)
        values[registryKey(root, key, name)] = {Platform::RegSz, text, 0};
    return !refuse;
}

bool FakeRegistry::setDword(quint32 root, const QString& key, const QString& name, quint32 number)
{
    ++writes;
    if (!refuse)
        values[registryKey(root, key, name)] = {Platform::RegDword, {}, number};
    return !refuse;
}

Environment::Environment(const QString& localeName, int language, const QString& user)
    : m_user(user), m_language(language), m_locale(TestSupport::locale(localeName))
{
    m_store = openStore(storePath());
}

Environment::~Environment() = default;

Context& Environment::context()
{
    if (!m_context) {
        m_context = makeContext();
        m_context->setUser(m_user);
        m_context->setLanguage(m_language);
    }
    return *m_context;
}

std::unique_ptr<Context> Environment::makeContext()
{
    return std::make_unique<Context>(*m_store, services(), m_locale);
}

QString Environment::storePath() const
{
    return m_dir.filePath(QStringLiteral("tanko.db"));
}

void Environment::put(const QString& section, const QString& key, const QString& value)
{
    if (!m_store->save(section, key, value))
        qFatal("test store: %s", qPrintable(m_store->lastError()));
}

void Environment::putRecords(const QString& records, const QString& user)
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
    if (!m_store->saveAll(writes))
        qFatal("test store: %s", qPrintable(m_store->lastError()));
}

QString Environment::stored(const QString& section, const QString& key) const
{
    SettingsStore fresh(storePath());
    if (!fresh.open())
        return QStringLiteral("<unreadable: %1>").arg(fresh.lastError());
    const QString* value = fresh.find(section, key);
    return value ? *value : QStringLiteral("<absent>");
}

void Environment::reopen()
{
    m_context.reset();
    m_store.reset();
    m_store = openStore(storePath());
}

void Environment::reopenAs(uint uid)
{
    m_context.reset();
    m_store.reset();
    const bool root = ::geteuid() == 0;
    if (root) {
        QDirIterator it(m_dir.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        for (QString path = m_dir.path(); !path.isEmpty(); path = it.hasNext() ? it.next() : QString())
            if (::lchown(QFile::encodeName(path).constData(), uid, uid) != 0)
                qFatal("cannot give %s to %u", qPrintable(path), uid);
        if (::setegid(uid) != 0 || ::seteuid(uid) != 0)
            qFatal("cannot become %u", uid);
    }
    m_store = openStore(storePath());
    if (root && (::seteuid(0) != 0 || ::setegid(0) != 0))
        qFatal("cannot become root again");
}

void addRows(const QString& name, const QString& table, const QStringList& more, QChar rowBreak)
{
    QTest::addColumn<QStringList>("row");
    QStringList rows;
    bool continued = false;
    for (const QString& line : table.split(QRegularExpression(QStringLiteral("[\\n%1]").arg(rowBreak)))) {
        const QString row = line.trimmed();
        if (continued)
            rows.back() += row;
        else if (!row.isEmpty())
            rows << row;
        continued = row.endsWith(u'\\');
        if (continued)
            rows.back().chop(1);
    }
    for (const QString& row : rows + more) {
        QString tag = name;
        const QStringList fields = row.split(u'|');
        for (qsizetype i = 0; i < fields.size() && tag.contains(QStringLiteral("%%1").arg(i + 1)); ++i)
            tag = tag.arg(fields[i].left(24));
        QTest::addRow("%s", qPrintable(tag)) << row.split(u'|');
    }
}

ProgramAccount::ProgramAccount(const QString& folder)
    : m_dir(folder.isEmpty() ? QDir::tempPath() + QStringLiteral("/qt_temp-XXXXXX")
                             : folder + QStringLiteral("/tanko-XXXXXX"))
{
    QDir().mkpath(path(QStringLiteral("~/data")));
    QDir().mkpath(path(QStringLiteral("~/runtime")));
    QFile::setPermissions(path(QStringLiteral("~/runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

ProgramAccount::~ProgramAccount()
{
    for (const auto& process : m_processes)
        process->kill(), process->waitForFinished();
}

QString ProgramAccount::path(QString inside) const
{
    return inside.replace(u'~', m_dir.path());
}

QProcessEnvironment ProgramAccount::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] :
         {std::pair{"HOME", "~"}, {"XDG_DATA_HOME", "~/data"}, {"XDG_RUNTIME_DIR", "~/runtime"}, {"PATH", "~"}})
        env.insert(QString::fromLatin1(name), path(QString::fromLatin1(value)));
    return env;
}

QProcess* ProgramAccount::start(const QStringList& arguments, const QStringList& environment, const QString& program)
{
    QProcess* process = m_processes.emplace_back(std::make_unique<QProcess>()).get();
    QProcessEnvironment env = this->environment();
    for (const QString& pair : environment)
        env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    process->setProcessEnvironment(env);
    process->setReadChannel(QProcess::StandardError);
    if (m_uid)
        process->setChildProcessModifier([uid = *m_uid] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0)
                ::_exit(126);
        });
    process->start(program, path(arguments.join(u'\n')).split(u'\n', Qt::SkipEmptyParts));
    return process;
}

QString ProgramAccount::run(const QStringList& arguments, const QByteArray& input)
{
    QProcess process;
    QProcessEnvironment env = environment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TANKO_PROGRAM), path(arguments.join(u'\n')).split(u'\n', Qt::SkipEmptyParts));
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        return {};
    return QStringLiteral("%1|%2|%3")
        .arg(process.exitCode())
        .arg(QString::fromUtf8(process.readAllStandardError()), QString::fromUtf8(process.readAllStandardOutput()));
}

bool ProgramAccount::up(QProcess& process) const
{
    for (int i = 0; i < 300 && process.state() != QProcess::NotRunning; ++i, QTest::qWait(50))
        if (QFile::exists(path(QStringLiteral("~/data/applications/tankometer-tnk.desktop"))))
            return true;
    return false;
}

void ProgramAccount::runAs(uint uid)
{
    m_uid = uid;
    QDirIterator it(m_dir.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    for (QString path = m_dir.path(); !path.isEmpty(); path = it.hasNext() ? it.next() : QString())
        if (::lchown(QFile::encodeName(path).constData(), uid, uid) != 0)
            qFatal("cannot give %s to %u", qPrintable(path), uid);
}

SmallDisk::SmallDisk(qint64 bytes)
{
    const QByteArray options = "size=" + QByteArray::number(bytes);
    m_mounted = ::geteuid() == 0 &&
                ::mount("tanko-test", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) == 0;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

void SmallDisk::fill()
{
    QFile filler(path(QStringLiteral("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Append));
    const QByteArray block(512, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
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
} // namespace TestSupport
