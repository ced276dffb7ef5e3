#include "core/frame/PostgresSchema.h"

#include "core/frame/Postgres.h"

#include <QRegularExpression>

namespace PostgresSchema
{
namespace
{
// %1 is the quoted schema. The counter and the notification are per
// statement, over its transition table: a statement that writes 2,000 keys
// costs one update of the counter, and NOTIFY folds the same channel and
// payload into one per transaction, so an import sends one notification.
// Triggers with transition tables cannot serve two events, hence three.
constexpr const char* kCreation = R"sql(
CREATE SCHEMA IF NOT EXISTS %1;
CREATE TABLE IF NOT EXISTS %1.settings(
    section text NOT NULL,
    key text NOT NULL,
    value text NOT NULL,
    section_fold text COLLATE "C" NOT NULL,
    key_fold text COLLATE "C" NOT NULL,
    PRIMARY KEY (section_fold, key_fold));
CREATE TABLE IF NOT EXISTS %1.changes(id integer PRIMARY KEY CHECK (id = 1), count bigint NOT NULL);
INSERT INTO %1.changes VALUES (1, 0) ON CONFLICT DO NOTHING;
CREATE OR REPLACE FUNCTION %1.count_changes() RETURNS trigger LANGUAGE plpgsql AS $body$
DECLARE
    n bigint;
BEGIN
    IF TG_OP = 'DELETE' THEN
        SELECT count(*) INTO n FROM old_rows;
    ELSE
        SELECT count(*) INTO n FROM new_rows;
    END IF;
    IF n > 0 THEN
        UPDATE %1.changes SET count = count + n WHERE id = 1;
        PERFORM pg_notify(TG_TABLE_SCHEMA, '');
    END IF;
    RETURN NULL;
END
$body$;
DROP TRIGGER IF EXISTS settings_inserted ON %1.settings;
CREATE TRIGGER settings_inserted AFTER INSERT ON %1.settings REFERENCING NEW TABLE AS new_rows
    FOR EACH STATEMENT EXECUTE FUNCTION %1.count_changes();
DROP TRIGGER IF EXISTS settings_updated ON %1.settings;
CREATE TRIGGER settings_updated AFTER UPDATE ON %1.settings REFERENCING NEW TABLE AS new_rows
    FOR EACH STATEMENT EXECUTE FUNCTION %1.count_changes();
DROP TRIGGER IF EXISTS settings_deleted ON %1.settings;
CREATE TRIGGER settings_deleted AFTER DELETE ON %1.settings REFERENCING OLD TABLE AS old_rows
    FOR EACH STATEMENT EXECUTE FUNCTION %1.count_changes();
CREATE TABLE IF NOT EXISTS %1.version(id integer PRIMARY KEY CHECK (id = 1), number integer NOT NULL);
INSERT INTO %1.version VALUES (1, %2) ON CONFLICT (id) DO UPDATE SET number = excluded.number;
)sql";

constexpr const char* kUpsert = " ON CONFLICT (section_fold, key_fold) DO UPDATE SET value = excluded.value"
                                " WHERE s.value IS DISTINCT FROM excluded.value";

QByteArray sql(const QString& text, const QString& schema)
{
    return text.arg(schema).toUtf8();
}

QString versionProblem(const QString& schema, qint64 found)
{
    if (found <= Version)
        return {};
    return QStringLiteral("the store in schema %1 was made by a newer Tankometer (store version %2, this program "
                          "knows %3)")
        .arg(schema)
        .arg(found)
        .arg(Version);
}

// Under the lock: made meanwhile by another program, or to be made now.
QString make(Postgres::Connection& connection, const Statements& sql)
{
    Postgres::Transaction transaction(connection, Postgres::Isolation::ReadCommitted);
    if (!transaction.isActive() || !connection.run("SELECT pg_advisory_xact_lock(hashtext($1))",
                                                   {QStringLiteral("tankometer store ") + sql.schema}))
        return connection.error().message();
    const QString table = Postgres::identifier(sql.schema) + QStringLiteral(".version");
    const Postgres::Result made = connection.exec("SELECT to_regclass($1) IS NOT NULL", {table});
    if (made.ok() && made.text(0, 0) == u"t") {
        const Postgres::Result found = connection.exec(sql.version.constData());
        if (found.ok() && found.rows() == 1 && found.integer(0, 0) >= Version)
            return versionProblem(sql.schema, found.integer(0, 0));
    }
    if (!made.ok() || !connection.run(sql.creation.constData()) || !transaction.commit())
        return connection.error().message();
    return {};
}
} // namespace

QString defaultName()
{
    return QStringLiteral("tankometer");
}

bool isValidName(QStringView name)
{
    static const QRegularExpression valid(QStringLiteral("^[a-z_][a-z0-9_]{0,62}$"));
    return valid.match(name).hasMatch();
}

Statements::Statements(const QString& name) : schema(name), channel(name)
{
    const QString s = Postgres::identifier(name);
    readKey = sql(QStringLiteral("SELECT value FROM %1.settings WHERE section_fold = $1 AND key_fold = $2"), s);
    readRange = sql(QStringLiteral("SELECT key_fold, value FROM %1.settings"
                                   " WHERE section_fold = $1 AND key_fold >= $2 AND key_fold < $3"),
                    s);
    scanSection = sql(QStringLiteral("SELECT key_fold, value FROM %1.settings WHERE section_fold = $1"), s);
    countKeys = sql(QStringLiteral("SELECT count(*) FROM %1.settings WHERE section_fold = $1"), s);
    const QString insert = QStringLiteral("INSERT INTO %1.settings AS s(section, key, value, section_fold, key_fold) ");
    upsert = sql(insert + QStringLiteral("VALUES ($1, $2, $3, $4, $5)") + QLatin1String(kUpsert), s);
    upsertMany = sql(insert +
                         QStringLiteral("SELECT * FROM unnest($1::text[], $2::text[], $3::text[], $4::text[], "
                                        "$5::text[])") +
                         QLatin1String(kUpsert),
                     s);
    remove = sql(QStringLiteral("DELETE FROM %1.settings WHERE section_fold = $1 AND key_fold = $2"), s);
    removeMany = sql(QStringLiteral("DELETE FROM %1.settings s USING unnest($1::text[], $2::text[]) AS d(sf, kf)"
                                    " WHERE s.section_fold = d.sf AND s.key_fold = d.kf"),
                     s);
    changeCount = sql(QStringLiteral("SELECT count FROM %1.changes WHERE id = 1"), s);
    version = sql(QStringLiteral("SELECT number FROM %1.version WHERE id = 1"), s);
    writeLock = sql(QStringLiteral("LOCK TABLE %1.changes IN SHARE ROW EXCLUSIVE MODE"), s);
    creation = QString::fromLatin1(kCreation).arg(s).arg(Version).toUtf8();
}

QString ensure(Postgres::Connection& connection, const QString& schema)
{
    if (!isValidName(schema))
        return QStringLiteral("\"%1\" cannot name the store's schema: use lower-case letters, digits and _ (at most "
                              "63), not starting with a digit")
            .arg(schema);
    const Statements sql(schema);
    const Postgres::Result found = connection.exec(sql.version.constData());
    if (found.ok() && found.rows() == 1 && found.integer(0, 0) >= Version)
        return versionProblem(schema, found.integer(0, 0));
    // Missing schema or table: to be made. Anything else (no permission, a
    // lost connection) is the server's to tell.
    const QString state = connection.error().sqlState;
    if (!found.ok() && state != u"3F000" && state != u"42P01")
        return connection.error().message();
    return make(connection, sql);
}
} // namespace PostgresSchema
