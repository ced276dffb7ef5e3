#pragma once

#include <QString>

#include <memory>
#include <vector>

struct sqlite3;

// All persistent data of the program: text values addressed by section and
// key, compared without regard to letter case, kept in one SQLite file per
// account (table "settings", readable with the sqlite3 shell).
//
// Reads come from memory: a section is loaded the first time it is asked for
// and every write goes through to the file, so a read costs a hash lookup
// even when the status bar reads every record at each keystroke. Each write
// is durable when it returns; saveAll() writes a group all or nothing.
class SettingsStore
{
public:
    struct Write
    {
        QString section;
        QString key;
        QString value;
    };

    explicit SettingsStore(const QString& path);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // Opens the file, creating it when it does not exist. A file that is not a
    // sound store is reported and left exactly as it was.
    bool open();
    bool isOpen() const;
    bool isReadOnly() const;
    QString path() const;
    QString lastError() const;

    // nullptr when the key was never written.
    const QString* find(QStringView section, QStringView key) const;
    // The same for prefix & n (Tanko12) without building the key.
    const QString* findNumbered(QStringView section, QStringView prefix, qint64 n) const;

    // One past the highest number n of prefix & n that a numbered read can
    // reach without a lookup of its own: the bound for reading records in turn.
    qint64 numberedEnd(QStringView section, QStringView prefix) const;
    // How many keys the section holds.
    qint64 keyCount(QStringView section) const;

    bool save(const QString& section, const QString& key, const QString& value);
    bool saveAll(const std::vector<Write>& writes);

    // tanko.db in the account's application data folder for "Tanko".
    static QString defaultPath();

    // The store behind GetSetting and SaveSetting.
    static SettingsStore* current();
    static void setCurrent(SettingsStore* store);

private:
    const QString* numberedByHash(QStringView section, QStringView prefix, qint64 n) const;

    struct Private;
    std::unique_ptr<Private> d;
};

// Opens the account's store at start-up. A store that cannot be used is
// explained in a message that names the file, and false is returned.
bool OpenStore(SettingsStore& store);

// The program's own access to the store. The application name is always
// "Tanko"; defaults turn into text as the conversions do (a number with
// LocaleText, True as "True").
QString GetSetting(QStringView app, QStringView section, QStringView key, const QString& defaultValue);
QString GetSetting(QStringView app, QStringView section, QStringView key, const char* defaultValue);
QString GetSetting(QStringView app, QStringView section, QStringView key, double defaultValue);
QString GetSetting(QStringView app, QStringView section, QStringView key, int defaultValue);
QString GetSetting(QStringView app, QStringView section, QStringView key, bool defaultValue);
// Returns false, with SettingsStore::lastError() set, when the write failed.
bool SaveSetting(QStringView app, const QString& section, const QString& key, const QString& value);
