#include "core/frame/Legacy.h"
#include "core/users/UserList.h"

#include "core/frame/Conversions.h"
#include "core/frame/Log.h"
#include "core/frame/SettingsStore.h"

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

QString option(const SettingsStore& store, const QString& key)
{
    const QString* value = store.find(Option, key);
    return value ? *value : QString();
}

std::optional<float> userTotal(const SettingsStore& store)
{
    float total = 0;
    try {
        const QString* stored = store.find(Option, u"TotUsers");
        total = stored ? toSingle(LocaleNumber(*stored)) : 0;
    } catch (const VbError&) {
        return std::nullopt;
    }
    // The program writes a count with its keys; a larger count comes from
    // a hand edit and would list (or overwrite) keys that do not exist.
    if (total < 0 || double(total) > double(store.keyCount(Option)))
        return std::nullopt;
    return total;
}
} // namespace

namespace UserList
{
std::optional<float> ReadUserTotal()
{
    const SettingsStore* store = Legacy::current();
    return store ? userTotal(*store) : std::optional<float>(0);
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

bool Save(const QString& name, int language)
{
    SettingsStore* store = Legacy::current();
    if (!store)
        return false;
    // One transaction: another program appending a user meanwhile gets the
    // next number, never the same one.
    const auto writes = [&name, language](const SettingsStore& s) {
        std::vector<SettingsStore::Write> list;
        if (const std::optional<float> total = userTotal(s)) {
            bool found = false;
            for (float i = 1; i <= *total && !found; i += 1)
                found = option(s, userKey(i)) == name;
            if (!found) {
                const float count = *total + 1;
                list.push_back({Option, QStringLiteral("TotUsers"), LocaleText(double(count))});
                list.push_back({Option, userKey(count), name});
            }
        }
        list.push_back({Option, QStringLiteral("LastUser"), name});
        list.push_back({name, QStringLiteral("Lang"), LocaleText(language)});
        return std::optional(list);
    };
    if (store->update(writes) == SettingsStore::Update::Written)
        return true;
    qCWarning(lcUsers, "the user list was not saved: %s", qUtf8Printable(store->lastError()));
    return false;
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
