#include "core/users/Users.h"

#include "core/frame/Conversions.h"

#include <QCryptographicHash>

#include <cfloat>
#include <cmath>

namespace
{
const QString kOption = QStringLiteral("Option");

// A number read into a single-precision variable; too large a value
// overflows as the assignment would.
float toSingle(double number)
{
    if (std::isnan(number) || std::fabs(number) > double(FLT_MAX))
        throw ConversionError(ConversionError::Overflow);
    return float(number);
}

// One key per header line, named by a digest of it: a header may be long
// and hold any character.
QString importColumnsKey(const QString& headerLine)
{
    return QStringLiteral("ImportColumns") +
           QString::fromLatin1(QCryptographicHash::hash(headerLine.toUtf8(), QCryptographicHash::Sha256).toHex(), 16);
}

// "User" & n: a whole count gives User1, User10 ...
QString userKey(float n, const LocaleInfo& locale)
{
    return QStringLiteral("User") + LocaleText(double(n), locale);
}

std::optional<float> userTotal(const SettingsStore& store, const LocaleInfo& locale)
{
    float total = 0;
    try {
        const QString* stored = store.find(kOption, u"TotUsers");
        total = stored ? toSingle(LocaleNumber(*stored, locale)) : 0;
    } catch (const ConversionError&) {
        return std::nullopt;
    }
    // The program writes a count with its keys; a larger count comes from
    // a hand edit and would list (or overwrite) keys that do not exist.
    if (total < 0 || double(total) > double(store.keyCount(kOption)))
        return std::nullopt;
    return total;
}
} // namespace

Users::Users(SettingsStore& store, const LocaleInfo& locale) : m_store(store), m_locale(locale) {}

QString Users::value(QStringView section, QStringView key) const
{
    const QString* stored = m_store.find(section, key);
    return stored ? *stored : QString();
}

std::optional<float> Users::total() const
{
    return m_store.isOpen() ? userTotal(m_store, m_locale) : std::optional<float>(0);
}

Users::List Users::read() const
{
    List users;
    const std::optional<float> total = this->total();
    if (!total || *total == 0)
        return users;
    users.total = *total;
    for (float i = 1; i <= users.total; i += 1)
        users.names << value(kOption, userKey(i, m_locale));
    const QString lastUser = value(kOption, u"LastUser");
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

bool Users::confirm(const QString& name, int language)
{
    // One transaction: another program appending a user meanwhile gets the
    // next number, never the same one.
    const auto writes = [&](const SettingsStore& s) {
        std::vector<SettingsStore::Write> list;
        if (const std::optional<float> total = userTotal(s, m_locale)) {
            bool found = false;
            for (float i = 1; i <= *total && !found; i += 1) {
                const QString* stored = s.find(kOption, userKey(i, m_locale));
                found = stored && *stored == name;
            }
            if (!found) {
                const float count = *total + 1;
                list.push_back({kOption, QStringLiteral("TotUsers"), LocaleText(double(count), m_locale)});
                list.push_back({kOption, userKey(count, m_locale), name});
            }
        }
        list.push_back({kOption, QStringLiteral("LastUser"), name});
        list.push_back({name, QStringLiteral("Lang"), LocaleText(language, m_locale)});
        return std::optional(list);
    };
    return m_store.update(writes) == SettingsStore::Update::Written;
}

std::optional<int> Users::language(const QString& name) const
{
    const QString stored = value(name, u"Lang");
    if (stored.isEmpty())
        return std::nullopt;
    try {
        const double index = std::nearbyint(double(toSingle(LocaleNumber(stored, m_locale)))); // halves to even
        if (index >= 0 && index <= 2)
            return int(index);
    } catch (const ConversionError&) {
    }
    return std::nullopt;
}

bool Users::storeLanguageIfKnown(const QString& name, int language)
{
    if (language < 0 || value(name, u"Lang").isEmpty())
        return true;
    return m_store.save(name, QStringLiteral("Lang"), LocaleText(language, m_locale));
}

QString Users::lastPath(const QString& user) const
{
    return value(user, u"LastPath");
}

bool Users::setLastPath(const QString& user, const QString& path)
{
    return m_store.save(user, QStringLiteral("LastPath"), path);
}

QString Users::importColumns(const QString& user, const QString& headerLine) const
{
    return value(user, importColumnsKey(headerLine));
}

bool Users::setImportColumns(const QString& user, const QString& headerLine, const QString& columns)
{
    return m_store.save(user, importColumnsKey(headerLine), columns);
}

// "120 80 720 440", and " maximized" after it: whole numbers, the same in every notation.
std::optional<Users::Place> Users::reportPlace(const QString& user) const
{
    const QStringList fields = value(user, u"ReportPlace").split(u' ', Qt::SkipEmptyParts);
    if (fields.size() != 4 && !(fields.size() == 5 && fields[4] == u"maximized"))
        return std::nullopt;
    int numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = fields[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (numbers[2] <= 0 || numbers[3] <= 0)
        return std::nullopt;
    return Place{QRect(numbers[0], numbers[1], numbers[2], numbers[3]), fields.size() == 5};
}

bool Users::setReportPlace(const QString& user, const Place& place)
{
    const QRect& r = place.rect;
    return m_store.save(user, QStringLiteral("ReportPlace"),
                        QStringLiteral("%1 %2 %3 %4%5")
                            .arg(r.x())
                            .arg(r.y())
                            .arg(r.width())
                            .arg(r.height())
                            .arg(place.maximized ? QStringLiteral(" maximized") : QString()));
}
