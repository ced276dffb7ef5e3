#include "core/frame/Conversions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

ConversionError::ConversionError(Number number)
    : std::runtime_error(number == Overflow         ? "Overflow"
                         : number == DivisionByZero ? "Division by zero"
                                                    : "Type mismatch"),
      m_number(number)
{
}

double NumberOrText::toNumber(const LocaleInfo& locale) const
{
    if (const auto* number = std::get_if<double>(&m_value))
        return *number;
    return LocaleNumber(std::get<QString>(m_value), locale);
}

QString NumberOrText::toText(const LocaleInfo& locale) const
{
    if (const auto* text = std::get_if<QString>(&m_value))
        return *text;
    return LocaleText(std::get<double>(m_value), locale);
}

namespace
{
bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The value of a plain ASCII number ("-12.5e3"); nullopt beyond the double
// range, 0 below it.
std::optional<double> parseAscii(const std::string& text)
{
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc::result_out_of_range)
        return value;
    // Out of range either way: too large when the first significant digit
    // stands at 10^1 or above once the exponent is applied.
    const size_t e = text.find_first_of("eE");
    const std::string mantissa = text.substr(0, e);
    long long exponent = 0;
    if (e != std::string::npos) {
        const bool negative = text[e + 1] == '-';
        for (size_t i = e + 1; i < text.size(); ++i)
            if (isdigit(static_cast<unsigned char>(text[i])))
                exponent = std::min(exponent * 10 + (text[i] - '0'), 1'000'000'000LL);
        if (negative)
            exponent = -exponent;
    }
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_of("123456789");
    if (first == std::string::npos)
        return 0.0;
    const long long place = first < point ? (long long)(point - first) - 1 : -(long long)(first - point);
    if (place + exponent > 0)
        return std::nullopt;
    return 0.0;
}

// The 15 significant digits of |number| and the power of ten of the first one.
struct Digits
{
    char digit[15];
    int exponent;
    bool negative;
};

Digits significantDigits(double number)
{
    Digits d{};
    d.negative = std::signbit(number) && number != 0;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(number));
    d.digit[0] = buf[0];
    for (int i = 0; i < 14; ++i)
        d.digit[i + 1] = buf[i + 2];
    d.exponent = std::atoi(buf + 17);
    return d;
}

// Plain decimal writing with at most 15 significant digits, exponent form for
// very large or small numbers: the shared part of StrNumber and LocaleText.
QString writeNumber(double number, QChar decimalSeparator)
{
    if (!std::isfinite(number))
        return number > 0 ? QStringLiteral("1.#INF") : number < 0 ? QStringLiteral("-1.#INF") : QStringLiteral("NaN");
    if (number == 0)
        return QStringLiteral("0");
    const Digits d = significantDigits(number);
    int last = 14;
    while (last > 0 && d.digit[last] == '0')
        --last;
    QString out;
    if (d.negative)
        out += u'-';
    if (d.exponent >= 15 || d.exponent < -5) {
        out += QChar(d.digit[0]);
        if (last > 0) {
            out += decimalSeparator;
            for (int i = 1; i <= last; ++i)
                out += QChar(d.digit[i]);
        }
        out += d.exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
        out += QString::number(std::abs(d.exponent)).rightJustified(2, u'0');
        return out;
    }
    if (d.exponent < 0) {
        out += u'0';
        out += decimalSeparator;
        for (int i = -1; i > d.exponent; --i)
            out += u'0';
        for (int i = 0; i <= last; ++i)
            out += QChar(d.digit[i]);
        return out;
    }
    for (int i = 0; i <= d.exponent; ++i)
        out += QChar(i <= 14 ? d.digit[i] : '0');
    if (last > d.exponent) {
        out += decimalSeparator;
        for (int i = d.exponent + 1; i <= last; ++i)
            out += QChar(d.digit[i]);
    }
    return out;
}
} // namespace

double ValText(QStringView text)
{
    std::string ascii;
    bool point = false;
    bool anyDigit = false;
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n'))
            ++i;
    };
    skipBlanks();
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            ascii += '-';
        ++i;
    }
    for (;; ++i) {
        skipBlanks();
        if (i >= text.size())
            break;
        const QChar c = text[i];
        if (isAsciiDigit(c)) {
            ascii += char(c.unicode());
            anyDigit = true;
        } else if (c == u'.' && !point) {
            ascii += anyDigit ? "." : "0.";
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return 0;
    // An exponent counts only when digits follow it.
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        std::string exponent = "e";
        qsizetype j = i + 1;
        const auto skip = [&] {
            while (j < text.size() && (text[j] == u' ' || text[j] == u'\t' || text[j] == u'\n'))
                ++j;
        };
        skip();
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-'))
            exponent += char(text[j++].unicode());
        bool expDigits = false;
        for (;; ++j) {
            skip();
            if (j >= text.size() || !isAsciiDigit(text[j]))
                break;
            exponent += char(text[j].unicode());
            expDigits = true;
        }
        if (expDigits)
            ascii += exponent;
    }
    // ValText never fails: a number beyond the double range reads as 0.
    return parseAscii(ascii).value_or(0);
}

QString StrNumber(double number)
{
    const QString text = writeNumber(number, u'.');
    return text.startsWith(u'-') ? text : u' ' + text;
}

QString StrNumber(const NumberOrText& value, const LocaleInfo& locale)
{
    return StrNumber(value.toNumber(locale));
}

namespace
{
// An optional exponent at text[i]: "e" or "E", an optional sign, digits.
// False when an "e" is not followed by such an exponent.
bool readExponent(QStringView text, qsizetype& i, std::string& ascii)
{
    if (i >= text.size() || (text[i] != u'e' && text[i] != u'E'))
        return true;
    ascii += 'e';
    ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ascii += char(text[i++].unicode());
    bool digits = false;
    for (; i < text.size() && isAsciiDigit(text[i]); ++i) {
        ascii += char(text[i].unicode());
        digits = true;
    }
    return digits;
}
} // namespace

std::optional<double> tryLocaleNumber(QStringView text, const LocaleInfo& locale)
{
    text = text.trimmed();
    std::string ascii;
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            ascii += '-';
        ++i;
    }
    // A grouping separator stands among the digits of the integer part and is
    // followed by exactly three of them: "1,234.5", never "31,0" or "60,50".
    bool intDigits = false, fracDigits = false, grouped = false;
    int groupDigits = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isAsciiDigit(c)) {
            ascii += char(c.unicode());
            intDigits = true;
            ++groupDigits;
        } else if (c != locale.decimalSeparator && locale.isGroupSeparator(c)) {
            if (!intDigits || (grouped && groupDigits != 3))
                return std::nullopt;
            grouped = true;
            groupDigits = 0;
        } else {
            break;
        }
    }
    if (grouped && groupDigits != 3)
        return std::nullopt;
    if (i < text.size() && text[i] == locale.decimalSeparator) {
        ascii += intDigits ? "." : "0.";
        for (++i; i < text.size() && isAsciiDigit(text[i]); ++i) {
            ascii += char(text[i].unicode());
            fracDigits = true;
        }
    }
    if (!intDigits && !fracDigits)
        return std::nullopt;
    if (!readExponent(text, i, ascii) || i != text.size())
        return std::nullopt;
    if (ascii.ends_with('.'))
        ascii.pop_back();
    return parseAscii(ascii);
}

namespace
{
// The form the program writes ("06.15", "60,50", "1234"): up to fifteen
// digits around at most one sign. Such a number and its power of ten are
// exact doubles, so one division rounds it as the full reader would; the
// total average reads every record at each keystroke.
std::optional<double> plainStoredNumber(QStringView text)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (text.isEmpty() || text.size() > 16)
        return std::nullopt;
    quint64 mantissa = 0;
    int digits = 0;
    int decimals = -1;
    for (QChar c : text) {
        if (isAsciiDigit(c)) {
            mantissa = mantissa * 10 + (c.unicode() - u'0');
            ++digits;
            if (decimals >= 0)
                ++decimals;
        } else if ((c == u'.' || c == u',') && decimals < 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || digits > 15)
        return std::nullopt;
    return double(mantissa) / kPowers[std::max(decimals, 0)];
}
} // namespace

std::optional<double> StoredNumber(QStringView text, const LocaleInfo& locale)
{
    if (const std::optional<double> plain = plainStoredNumber(text))
        return plain;
    const QStringView t = text.trimmed();
    std::string ascii;
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        if (t[i] == u'-')
            ascii += '-';
        ++i;
    }
    int separators = 0;
    bool digits = false;
    for (; i < t.size(); ++i) {
        if (isAsciiDigit(t[i])) {
            ascii += char(t[i].unicode());
            digits = true;
        } else if (t[i] == u'.' || t[i] == u',') {
            ascii += digits ? "." : "0.";
            ++separators;
        } else {
            break;
        }
    }
    if (separators != 1 || !digits || !readExponent(t, i, ascii) || i != t.size())
        return tryLocaleNumber(text, locale);
    if (ascii.ends_with('.'))
        ascii.pop_back();
    return parseAscii(ascii);
}

double LocaleNumber(QStringView text, const LocaleInfo& locale)
{
    if (auto value = tryLocaleNumber(text, locale))
        return *value;
    throw ConversionError(ConversionError::TypeMismatch);
}

qint32 LocaleWholeNumber(QStringView text, const LocaleInfo& locale)
{
    const double rounded = std::nearbyint(LocaleNumber(text, locale)); // half to even
    if (rounded < double(std::numeric_limits<qint32>::min()) || rounded > double(std::numeric_limits<qint32>::max()))
        throw ConversionError(ConversionError::Overflow);
    return qint32(rounded);
}

QString LocaleText(double number, const LocaleInfo& locale)
{
    return writeNumber(number, locale.decimalSeparator);
}

QString FormatPattern(double number, QStringView pattern, const LocaleInfo& locale)
{
    const qsizetype point = pattern.indexOf(u'.');
    const QStringView intPattern = point < 0 ? pattern : pattern.left(point);
    const QStringView fracPattern = point < 0 ? QStringView() : pattern.mid(point + 1);
    const int minInt = int(intPattern.count(u'0'));
    const int maxFrac = int(fracPattern.size());
    int minFrac = 0;
    while (minFrac < maxFrac && fracPattern[minFrac] == u'0')
        ++minFrac;

    if (!std::isfinite(number))
        return LocaleText(number, locale);

    // Round half away from zero on the number as written with 15 significant
    // digits, so that 6.545 gives 6.55 although its binary value lies below.
    const Digits d = significantDigits(number);
    const int top = std::max(d.exponent, 0);
    std::string digits;
    for (int place = top; place >= -maxFrac; --place) {
        const int i = d.exponent - place;
        digits += (i >= 0 && i < 15) ? d.digit[i] : '0';
    }
    const int next = d.exponent + maxFrac + 1;
    if (next >= 0 && next < 15 && d.digit[next] >= '5') {
        int k = int(digits.size()) - 1;
        while (k >= 0 && digits[k] == '9')
            digits[k--] = '0';
        if (k >= 0)
            ++digits[k];
        else
            digits.insert(digits.begin(), '1');
    }
    std::string intPart = digits.substr(0, digits.size() - maxFrac);
    std::string fracPart = digits.substr(digits.size() - maxFrac);
    const bool zero =
        intPart.find_first_not_of('0') == std::string::npos && fracPart.find_first_not_of('0') == std::string::npos;
    const auto firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? std::string() : intPart.substr(firstNonZero);
    if (int(intPart.size()) < minInt)
        intPart.insert(0, minInt - intPart.size(), '0');
    while (int(fracPart.size()) > minFrac && fracPart.back() == '0')
        fracPart.pop_back();

    QString out;
    if (d.negative && !zero)
        out += u'-';
    out += QString::fromLatin1(intPart);
    if (point >= 0)
        out += locale.decimalSeparator;
    out += QString::fromLatin1(fracPart);
    return out;
}

QString FormatPattern(const NumberOrText& value, QStringView pattern, const LocaleInfo& locale)
{
    if (!value.isText())
        return FormatPattern(value.toNumber(locale), pattern, locale);
    const QString text = value.toText(locale);
    if (const auto number = tryLocaleNumber(text, locale))
        return FormatPattern(*number, pattern, locale);
    return text;
}

QString FormatPattern(QDate date, QStringView pattern, const LocaleInfo& locale)
{
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        if (pattern.mid(i).startsWith(u"dddd")) {
            out += locale.weekdayNames.value(date.dayOfWeek() - 1);
            i += 4;
        } else if (pattern.mid(i).startsWith(u"dd")) {
            out += QString::number(date.day()).rightJustified(2, u'0');
            i += 2;
        } else if (pattern.mid(i).startsWith(u"mmmm")) {
            out += locale.monthNames.value(date.month() - 1);
            i += 4;
        } else if (pattern.mid(i).startsWith(u"yyyy")) {
            out += QString::number(date.year()).rightJustified(4, u'0');
            i += 4;
        } else {
            out += pattern[i++];
        }
    }
    return out;
}

// The last three words: day, month name, year. Runs for every record the log
// reads, so the words are found without a list of them.
QDate DateFromText(QStringView text, const LocaleInfo& locale)
{
    QStringView words[3];
    qsizetype end = text.size();
    for (int found = 0; found < 3; ++found) {
        while (end > 0 && text[end - 1] == u' ')
            --end;
        if (end == 0)
            return {};
        qsizetype start = end;
        while (start > 0 && text[start - 1] != u' ')
            --start;
        words[2 - found] = text.sliced(start, end - start);
        end = start;
    }
    bool dayOk = false, yearOk = false;
    const int day = words[0].toInt(&dayOk);
    const int year = words[2].toInt(&yearOk);
    int month = 0;
    for (int m = 0; m < locale.monthNames.size() && month == 0; ++m)
        if (words[1].compare(locale.monthNames[m], Qt::CaseInsensitive) == 0)
            month = m + 1;
    if (!dayOk || !yearOk || month == 0)
        return {};
    return QDate(year, month, day);
}

double EuroValue(const QString& amount, const NumberOrText& factor, const LocaleInfo& locale)
{
    const double typed = LocaleNumber(amount, locale);
    double rate = 0;
    if (!factor.isText())
        rate = factor.toNumber(locale);
    else if (const auto stored = StoredNumber(factor.toText(locale), locale))
        rate = *stored;
    else
        throw ConversionError(ConversionError::TypeMismatch);
    const double product = typed * rate;
    if (!std::isfinite(product))
        throw ConversionError(ConversionError::Overflow);
    // Round to cents as FormatPattern does, then read that "."-text back;
    // rounding may carry the largest products beyond the range.
    static const LocaleInfo point = LocaleInfo::english();
    if (const auto cents = tryLocaleNumber(FormatPattern(product, u"0.00", point), point))
        return *cents;
    throw ConversionError(ConversionError::Overflow);
}
