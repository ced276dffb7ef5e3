#include "core/frame/StoreCache.h"

namespace StoreCache
{
bool isAscii(QStringView s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

QString folded(QStringView name)
{
    return isAscii(name) ? name.toString().toLower() : name.toString().toCaseFolded();
}

size_t FoldedHash::operator()(QStringView s) const noexcept
{
    size_t h = 1469598103934665603ull;
    for (QChar c : s) {
        h ^= asciiLower(c.unicode());
        h *= 1099511628211ull;
    }
    return h;
}

bool FoldedEqual::operator()(QStringView a, QStringView b) const noexcept
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (asciiLower(a[i].unicode()) != asciiLower(b[i].unicode()))
            return false;
    return true;
}

std::optional<size_t> keyNumber(QStringView prefix, QStringView key)
{
    if (key.size() <= prefix.size() || key.size() - prefix.size() > 12 || !key.startsWith(prefix))
        return std::nullopt;
    const QStringView digits = key.mid(prefix.size());
    if (digits.size() > 1 && digits[0] == u'0')
        return std::nullopt;
    size_t n = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

std::optional<size_t> keyNumber(qsizetype prefixBytes, QByteArrayView key)
{
    if (key.size() <= prefixBytes || key.size() - prefixBytes > 12 ||
        (key[prefixBytes] == '0' && key.size() > prefixBytes + 1))
        return std::nullopt;
    size_t n = 0;
    for (const char c : key.sliced(prefixBytes)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + size_t(c - '0');
    }
    return n;
}

void Section::store(const QString& key, const QString& value)
{
    values.insert_or_assign(key, value);
    count.reset();
    for (auto& [prefix, list] : numbered) {
        const std::optional<size_t> n = keyNumber(prefix, key);
        if (!n || *n >= list.limit())
            continue;
        // Numbers passed over were written beyond the limit, if at all.
        for (size_t m = list.byNumber.size(); m < *n; ++m) {
            const auto it = values.find(prefix + QString::number(m));
            list.byNumber.push_back(it != values.end() ? it->second : std::nullopt);
        }
        if (*n == list.byNumber.size())
            list.byNumber.emplace_back();
        list.stored += list.byNumber[*n] ? 0 : 1;
        list.byNumber[*n] = value;
    }
}

void Section::erase(const QString& key)
{
    values.insert_or_assign(key, std::nullopt);
    count.reset();
    for (auto& [prefix, list] : numbered) {
        const std::optional<size_t> n = keyNumber(prefix, key);
        if (n && *n < list.byNumber.size() && list.byNumber[*n]) {
            list.byNumber[*n].reset();
            --list.stored;
        }
    }
}

Section& Sections::operator()(QStringView name)
{
    if (m_last && name == m_lastName)
        return *m_last;
    auto it = findFolded(m_sections, name);
    if (it == m_sections.end()) {
        it = m_sections.emplace(folded(name), Section{}).first;
        it->second.name = it->first;
    }
    m_lastName = name.toString();
    m_last = &it->second;
    return it->second;
}

void Sections::retire()
{
    m_retired = std::move(m_sections);
    m_sections.clear();
    m_last = nullptr;
    m_lastNumbered = nullptr;
}

void Sections::retire(const QString& name)
{
    const auto it = findFolded(m_sections, name);
    if (it == m_sections.end())
        return;
    m_retired.insert_or_assign(it->first, std::move(it->second));
    m_sections.erase(it);
    m_last = nullptr;
    m_lastNumbered = nullptr;
}

void Sections::clear()
{
    m_sections.clear();
    m_retired.clear();
    m_last = nullptr;
    m_lastNumbered = nullptr;
}

Numbered* Sections::lastNumbered(const Section& section, QStringView prefix) const
{
    return m_lastNumbered && m_lastNumberedSection == &section && prefix == m_lastPrefix ? m_lastNumbered : nullptr;
}

void Sections::setLastNumbered(const Section& section, QStringView prefix, Numbered& numbered)
{
    m_lastNumberedSection = &section;
    m_lastPrefix = prefix.toString();
    m_lastNumbered = &numbered;
}
} // namespace StoreCache
