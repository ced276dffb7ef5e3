#pragma once

#include <QString>
#include <QStringList>

// Where the store lives: a SQLite file, or a database on a PostgreSQL server
// named in libpq's own terms (a postgresql:// URI, keyword=value pairs such
// as "host=db.example.org dbname=tanko", or "service=tanko" from
// pg_service.conf). Passwords come from libpq's own places (~/.pgpass, the
// service file, PGPASSWORD): a location that carries one is refused, so the
// program never keeps or shows a password.
struct StoreLocation
{
    enum class Kind
    {
        File,
        Server
    };
    enum class Source
    {
        Argument,     // --store VALUE or --store=VALUE
        Environment,  // TANKOMETER_STORE
        SettingsFile, // store=VALUE in settingsFilePath()
        Default       // SettingsStore::defaultPath()
    };

    Kind kind = Kind::File;
    Source source = Source::Default;
    // The file's absolute path, or the connection as it was given.
    QString value;
    // Set when refused: why, naming where the value came from, never the password.
    QString error;

    bool ok() const { return error.isEmpty(); }
    // What the user window shows as where the data lives: the file, or
    // "host:port/database" (or the service) without user or password.
    QString shown() const;

    // The first of: the arguments' --store, environment (TANKOMETER_STORE's
    // value; empty is unset), the settings file (absent is unset), the
    // default file.
    static StoreLocation choose(const QStringList& arguments, const QString& environment, const QString& settingsFile,
                                const QString& defaultFile);
    // The same from this process's arguments and environment.
    static StoreLocation ofProgram();
    // store.conf in the account's configuration folder for "Tanko"
    // (~/.config/Tanko/store.conf): apart from the data, which may live on
    // the server, and where an administrator expects a client's settings.
    static QString settingsFilePath();
    // A single value read as choose() reads it.
    static StoreLocation read(const QString& value, Source source, const QString& origin = {});
};
