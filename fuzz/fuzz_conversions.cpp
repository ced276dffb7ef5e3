// Any text a user can type or paste, under each of the three locales, through
// every conversion: nothing may crash, and what the program writes in the
// user's notation must read back.
#include "frame/Conversions.h"

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

void roundTrips(double number, const LocaleInfo& locale)
{
    // Written with 15 digits, the largest doubles round beyond the range.
    if (!std::isfinite(number) || std::fabs(number) > 1e300)
        return;
    // "##.########" writes a bare separator for what rounds to 0, as it should.
    for (const char16_t* pattern : {u"00.00", u"00.000"})
        check(tryLocaleNumber(FormatPattern(number, pattern, locale), locale).has_value());
    FormatPattern(number, u"##.########", locale);
    const std::optional<double> back = tryLocaleNumber(LocaleText(number, locale), locale);
    check(back.has_value());
    check(*back == 0 ? number == 0 || std::fabs(number) < 1e-300
                     : std::fabs(*back - number) <= std::fabs(number) * 1e-13);
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
    if (const std::optional<double> number = tryLocaleNumber(text, locale))
        roundTrips(*number, locale);
    try {
        LocaleWholeNumber(text, locale);
    } catch (const VbError&) {
    }
    try {
        EuroValue(text, Mixed(QStringLiteral("0.8")), locale);
        EuroValue(QStringLiteral("46.80"), Mixed(text), locale);
    } catch (const VbError&) {
    }
    FormatPattern(Mixed(text), u"00.00", locale);
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
