#pragma once

#include "core/frame/Platform.h"

#include <functional>

// Where the desktop has no registry, the classes root is kept per account in
// the table "classes" of the settings file: one row per value with its key,
// name, registry type number and data, keys and names compared without regard
// to letter case. Like a registry key, the file is opened for each access and
// closed after it; without a settings file there are no classes.
class ClassesStore : public Platform::Registry
{
public:
    // path() names the settings file; with make, a file of the classes
    // alone, made when first written.
    explicit ClassesStore(std::function<QString()> path, bool make = false);
    // classes.db beside the account's data file: the classes of an account
    // whose data is on a server.
    static QString accountFile();

    std::optional<Platform::RegistryValue> query(quint32 root, const QString& keyPath,
                                                 const QString& valueName) override;
    bool setString(quint32 root, const QString& keyPath, const QString& valueName, const QString& text) override;
    bool setDword(quint32 root, const QString& keyPath, const QString& valueName, quint32 number) override;

private:
    bool set(quint32 root, const QString& keyPath, const QString& valueName, const Platform::RegistryValue& value);
    std::function<QString()> m_path;
    bool m_make = false;
};
