// Any text a user can type or paste, under each of the three locales, through
// every conversion: nothing may crash, a number in the user's notation keeps
// its grouping separators where they belong, and what the program writes under
// one locale reads back under every other.
#include "core/frame/Conversions.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{
const LocaleInfo& localeFor(uint8_t selector)
{
    static const LocaleInfo locales[] = {LocaleInfo::english(), LocaleInfo::french(), LocaleInfo::dutch()};
    return locales[selector % 3];
}

#define check(condition)                                                                                               \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "failed: %s for %.17g\n", #condition, number);                                        \
            __builtin_trap();                                                                                          \
        }                                                                                                              \
    } while (false)

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The grouping rule, checked apart from the reader: a grouping separator only
// in the integer part, after a digit and before exactly three digits.
bool groupsWhereTheyBelong(QStringView text, const LocaleInfo& locale)
{
    text = text.trimmed();
    const qsizetype integerEnd = [&] {
        for (qsizetype i = 0; i < text.size(); ++i)
            if (text[i] == locale.decimalSeparator || text[i] == u'e' || text[i] == u'E')
                return i;
        return text.size();
    }();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == locale.decimalSeparator || !locale.isGroupSeparator(text[i]))
            continue;
        if (i >= integerEnd || i == 0 || !isDigit(text[i - 1]) || i + 3 >= integerEnd)
            return false;
        if (!isDigit(text[i + 1]) || !isDigit(text[i + 2]) || !isDigit(text[i + 3]))
            return false;
        if (i + 4 < integerEnd && isDigit(text[i + 4]))
            return false;
    }
    return true;
}

void roundTrips(double number, const LocaleInfo& locale)
{
    // Written with 15 digits, the largest doubles round beyond the range.
    if (!std::isfinite(number) || std::fabs(number) > 1e300)
        return;
    // "##.########" writes a bare separator for what rounds to 0, as it should.
    for (const char16_t* pattern : {u"00.00", u"00.000"})
        check(tryLocaleNumber(FormatPattern(number, pattern, locale), locale).has_value());
    FormatPattern(number, u"##.########", locale);
    const QString written = LocaleText(number, locale);
    const std::optional<double> back = tryLocaleNumber(written, locale);
    check(back.has_value());
    check(*back == 0 ? number == 0 || std::fabs(number) < 1e-300
                     : std::fabs(*back - number) <= std::fabs(number) * 1e-13);
    // A stored number reads the same under every locale.
    for (uint8_t other = 0; other < 3; ++other) {
        const std::optional<double> stored = StoredNumber(written, localeFor(other));
        check(stored.has_value() && *stored == *back);
        const QString pattern = FormatPattern(number, u"00.00", locale);
        check(StoredNumber(pattern, localeFor(other)) == tryLocaleNumber(pattern, locale));
    }
    StrNumber(number);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const LocaleInfo& locale = localeFor(data[0]);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    roundTrips(ValText(text), locale);
    if (const std::optional<double> read = tryLocaleNumber(text, locale)) {
        const double number = *read;
        check(std::isfinite(number) && groupsWhereTheyBelong(text, locale));
        roundTrips(number, locale);
    }
    if (const std::optional<double> read = StoredNumber(text, locale)) {
        const double number = *read;
        check(std::isfinite(number));
    }
    try {
        LocaleWholeNumber(text, locale);
    } catch (const ConversionError&) {
    }
    for (const QString& factor : {QStringLiteral("0.8"), QStringLiteral(",8615936"), QStringLiteral("1e300")}) {
        try {
            const double number = EuroValue(text, NumberOrText(factor), locale);
            check(std::isfinite(number));
        } catch (const ConversionError&) {
        }
    }
    try {
        const double number = EuroValue(QStringLiteral("46.80"), NumberOrText(text), locale);
        check(std::isfinite(number));
    } catch (const ConversionError&) {
    }
    FormatPattern(NumberOrText(text), u"00.00", locale);
    DateFromText(text, locale);

    // The raw bytes as a double too: infinities, NaNs and denormals included.
    if (size >= 9) {
        double raw;
        std::memcpy(&raw, data + 1, sizeof raw);
        roundTrips(raw, locale);
        LocaleText(raw, locale);
        FormatPattern(raw, u"00.00", locale);
    }
    return 0;
}
