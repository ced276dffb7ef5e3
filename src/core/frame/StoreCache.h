#pragma once

#include <QString>
#include <QStringView>

#include <deque>
#include <optional>
#include <unordered_map>

// What a store keeps in memory of its file: the values read so far, by
// section and key, names compared without regard to letter case. A value
// found stays where it is until the cache is dropped, and for one more drop
// after that (see retire()), so that a caller holding it across a refresh
// reads no freed text.
namespace StoreCache
{
// Names are kept case-folded. For the usual ASCII name the hash and the
// comparison lower-case on the fly, so a lookup allocates nothing.
bool isAscii(QStringView s);
char16_t asciiLower(char16_t c);
QString folded(QStringView name);

struct FoldedHash
{
    using is_transparent = void;
    size_t operator()(QStringView s) const noexcept;
    size_t operator()(const QString& s) const noexcept { return (*this)(QStringView(s)); }
};

struct FoldedEqual
{
    using is_transparent = void;
    bool operator()(QStringView a, QStringView b) const noexcept;
    bool operator()(const QString& a, QStringView b) const noexcept { return (*this)(QStringView(a), b); }
    bool operator()(QStringView a, const QString& b) const noexcept { return (*this)(a, QStringView(b)); }
    bool operator()(const QString& a, const QString& b) const noexcept
    {
        return (*this)(QStringView(a), QStringView(b));
    }
};

template <typename Value> using FoldedMap = std::unordered_map<QString, Value, FoldedHash, FoldedEqual>;

template <typename Value> auto findFolded(FoldedMap<Value>& map, QStringView name)
{
    if (isAscii(name))
        return map.find(name);
    return map.find(QStringView(name.toString().toCaseFolded()));
}

// The number n of a key prefix & n, written without sign or leading zeros:
// in a QString, and in UTF-8 as the file holds it after prefixBytes.
std::optional<size_t> keyNumber(QStringView prefix, QStringView key);
std::optional<size_t> keyNumber(qsizetype prefixBytes, QByteArrayView key);

// The values of the numbered keys of one prefix (Tanko1, Tanko2 ...) by
// their number, made on first use: reading every record in turn then walks
// an array, and no key is hashed or even made. Complete for every number
// below its size. A deque, so that a value found stays where it is as more
// are appended.
struct Numbered
{
    std::deque<std::optional<QString>> byNumber;
    size_t stored = 0;
    // Numbers far beyond the keys there are (a hand edit) stay out of the
    // array and are found one by one.
    size_t limit() const { return 4 * stored + 16; }
};

struct Section
{
    QString name; // case-folded
    // The keys known so far: a value, or nullopt for a key known to be absent.
    FoldedMap<std::optional<QString>> values;
    FoldedMap<Numbered> numbered;
    std::optional<qint64> count;

    // A value just written, wherever memory keeps it.
    void store(const QString& key, const QString& value);
    // A key just deleted: known to be absent from now on.
    void erase(const QString& key);
};

// The sections read so far, with the one asked for last at hand.
class Sections
{
public:
    Section& operator()(QStringView name);
    // Everything goes; what was found before stays valid until the next drop.
    void retire();
    void retire(const QString& name);
    void clear();

    // The numbered keys of a prefix last asked for, when it is that one.
    Numbered* lastNumbered(const Section& section, QStringView prefix) const;
    void setLastNumbered(const Section& section, QStringView prefix, Numbered& numbered);

private:
    FoldedMap<Section> m_sections;
    FoldedMap<Section> m_retired;
    QString m_lastName;
    Section* m_last = nullptr;
    QString m_lastPrefix;
    const Section* m_lastNumberedSection = nullptr;
    Numbered* m_lastNumbered = nullptr;
};
} // namespace StoreCache
