#pragma once
// Temporary: the process-wide store while windows move to their context.
#include "core/frame/SettingsStore.h"
namespace Legacy
{
SettingsStore* current();
void setCurrent(SettingsStore* store);
} // namespace Legacy
QString GetSetting(QStringView app, QStringView section, QStringView key, const QString& defaultValue);
QString GetSetting(QStringView app, QStringView section, QStringView key, const char* defaultValue);
QString GetSetting(QStringView app, QStringView section, QStringView key, double defaultValue);
QString GetSetting(QStringView app, QStringView section, QStringView key, int defaultValue);
QString GetSetting(QStringView app, QStringView section, QStringView key, bool defaultValue);
bool SaveSetting(QStringView app, const QString& section, const QString& key, const QString& value);
