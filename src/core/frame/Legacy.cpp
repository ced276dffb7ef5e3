#include "core/frame/Legacy.h"
#include "core/frame/Conversions.h"
namespace
{
SettingsStore* g_current = nullptr;
}
namespace Legacy
{
SettingsStore* current()
{
    return g_current;
}
void setCurrent(SettingsStore* store)
{
    g_current = store;
}
} // namespace Legacy
QString GetSetting(QStringView, QStringView section, QStringView key, const QString& defaultValue)
{
    const QString* value = g_current ? g_current->find(section, key) : nullptr;
    return value ? *value : defaultValue;
}
QString GetSetting(QStringView app, QStringView section, QStringView key, const char* defaultValue)
{
    return GetSetting(app, section, key, QString::fromUtf8(defaultValue));
}
QString GetSetting(QStringView, QStringView section, QStringView key, double defaultValue)
{
    const QString* value = g_current ? g_current->find(section, key) : nullptr;
    return value ? *value : LocaleText(defaultValue);
}
QString GetSetting(QStringView app, QStringView section, QStringView key, int defaultValue)
{
    return GetSetting(app, section, key, double(defaultValue));
}
QString GetSetting(QStringView app, QStringView section, QStringView key, bool defaultValue)
{
    return GetSetting(app, section, key, defaultValue ? QStringLiteral("True") : QStringLiteral("False"));
}
bool SaveSetting(QStringView, const QString& section, const QString& key, const QString& value)
{
    return g_current && g_current->save(section, key, value);
}
