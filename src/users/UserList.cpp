#include "users/UserList.h"

#include "frame/Conversions.h"
#include "frame/SettingsStore.h"

#include <cfloat>
#include <cmath>

namespace
{
const QString Option = QStringLiteral("Option");

// A number read into a single-precision variable; too large a value
// overflows as the assignment would.
float toSingle(double number)
{
    if (std::isnan(number) || std::fabs(number) > double(FLT_MAX))
        throw VbError(VbError::Overflow);
    return float(number);
}

// "User" & n: a whole count gives User1, User10 ...
QString userKey(float n)
{
    return QStringLiteral("User") + LocaleText(double(n));
}
} // namespace

namespace UserList
{
std::optional<float> ReadUserTotal()
{
    float total = 0;
    try {
        total = toSingle(LocaleNumber(GetSetting(u"Tanko", Option, u"TotUsers", 0)));
    } catch (const VbError&) {
        return std::nullopt;
    }
    // The program writes a count with its keys; a larger count comes from
    // a hand edit and would list (or overwrite) keys that do not exist.
    const SettingsStore* store = SettingsStore::current();
    const qint64 keys = store ? store->keyCount(Option) : 0;
    if (total < 0 || double(total) > double(keys))
        return std::nullopt;
    return total;
}

Users Read()
{
    Users users;
    const std::optional<float> total = ReadUserTotal();
    if (!total || *total == 0)
        return users;
    users.total = *total;
    for (float i = 1; i <= users.total; i += 1)
        users.names << GetSetting(u"Tanko", Option, userKey(i), "");
    const QString lastUser = GetSetting(u"Tanko", Option, u"LastUser", "");
    if (lastUser.isEmpty()) {
        users.selected = users.names.isEmpty() ? -1 : 0;
        return users;
    }
    // Every match is selected in turn, so with duplicates the last one stays.
    for (int i = 0; i < users.names.size(); ++i)
        if (users.names[i] == lastUser)
            users.selected = i;
    return users;
}

void Save(const QString& name, int language)
{
    if (const std::optional<float> total = ReadUserTotal()) {
        bool found = false;
        for (float i = 1; i <= *total && !found; i += 1)
            found = GetSetting(u"Tanko", Option, userKey(i), "") == name;
        if (!found) {
            const float count = *total + 1;
            SaveSetting(u"Tanko", Option, QStringLiteral("TotUsers"), LocaleText(double(count)));
            SaveSetting(u"Tanko", Option, userKey(count), name);
        }
    }
    SaveSetting(u"Tanko", Option, QStringLiteral("LastUser"), name);
    SaveSetting(u"Tanko", name, QStringLiteral("Lang"), LocaleText(language));
}

std::optional<int> StoredLanguage(const QString& name)
{
    if (GetSetting(u"Tanko", name, u"Lang", "").isEmpty())
        return std::nullopt;
    try {
        const float stored = toSingle(LocaleNumber(GetSetting(u"Tanko", name, u"Lang", 0)));
        const double index = std::nearbyint(double(stored)); // halves go to the even neighbour
        if (index >= 0 && index <= 2)
            return int(index);
    } catch (const VbError&) {
    }
    return std::nullopt;
}

void StoreLanguageIfKnown(const QString& name, int language)
{
    if (language >= 0 && !GetSetting(u"Tanko", name, u"Lang", "").isEmpty())
        SaveSetting(u"Tanko", name, QStringLiteral("Lang"), LocaleText(language));
}
} // namespace UserList
