#include "frame/Conversions.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

VbError::VbError(Number number)
    : std::runtime_error(number == Overflow         ? "Overflow"
                         : number == DivisionByZero ? "Division by zero"
                                                    : "Type mismatch"),
      m_number(number)
{
}

double Mixed::toNumber() const
{
    if (const auto* number = std::get_if<double>(&m_value))
        return *number;
    return LocaleNumber(std::get<QString>(m_value));
}

QString Mixed::toText() const
{
    if (const auto* text = std::get_if<QString>(&m_value))
        return *text;
    return LocaleText(std::get<double>(m_value));
}

namespace
{
bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

double parseAscii(const std::string& text)
{
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Underflow reads as 0; overflow is an error of its own.
        const auto e = text.find_first_of("eE");
        if (e != std::string::npos && text.find('-', e) != std::string::npos)
            return 0;
        throw VbError(VbError::Overflow);
    }
    return value;
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
    try {
        return parseAscii(ascii);
    } catch (const VbError&) {
        // ValText never fails: a number beyond the double range reads as 0.
        return 0;
    }
}

QString StrNumber(double number)
{
    const QString text = writeNumber(number, u'.');
    return text.startsWith(u'-') ? text : u' ' + text;
}

QString StrNumber(const Mixed& value)
{
    return StrNumber(value.toNumber());
}

std::optional<double> tryLocaleNumber(QStringView text, const LocaleInfo& locale)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].isSpace())
        ++begin;
    while (end > begin && text[end - 1].isSpace())
        --end;
    std::string ascii;
    qsizetype i = begin;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            ascii += '-';
        ++i;
    }
    bool intDigits = false, fracDigits = false;
    for (; i < end; ++i) {
        const QChar c = text[i];
        if (isAsciiDigit(c)) {
            ascii += char(c.unicode());
            intDigits = true;
        } else if (c == locale.decimalSeparator) {
            break;
        } else if (intDigits && locale.isGroupSeparator(c)) {
            continue;
        } else if (c == u'e' || c == u'E') {
            break;
        } else {
            return std::nullopt;
        }
    }
    if (i < end && text[i] == locale.decimalSeparator) {
        ascii += intDigits ? "." : "0.";
        for (++i; i < end && isAsciiDigit(text[i]); ++i) {
            ascii += char(text[i].unicode());
            fracDigits = true;
        }
    }
    if (!intDigits && !fracDigits)
        return std::nullopt;
    if (i < end && (text[i] == u'e' || text[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < end && (text[i] == u'+' || text[i] == u'-'))
            ascii += char(text[i++].unicode());
        bool expDigits = false;
        for (; i < end && isAsciiDigit(text[i]); ++i) {
            ascii += char(text[i].unicode());
            expDigits = true;
        }
        if (!expDigits)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;
    if (ascii.ends_with('.'))
        ascii.pop_back();
    try {
        return parseAscii(ascii);
    } catch (const VbError&) {
        return std::nullopt;
    }
}

double LocaleNumber(QStringView text, const LocaleInfo& locale)
{
    if (auto value = tryLocaleNumber(text, locale))
        return *value;
    throw VbError(VbError::TypeMismatch);
}

qint32 LocaleWholeNumber(QStringView text, const LocaleInfo& locale)
{
    const double rounded = std::nearbyint(LocaleNumber(text, locale)); // half to even
    if (rounded < double(std::numeric_limits<qint32>::min()) || rounded > double(std::numeric_limits<qint32>::max()))
        throw VbError(VbError::Overflow);
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

QString FormatPattern(const Mixed& value, QStringView pattern, const LocaleInfo& locale)
{
    if (!value.isText())
        return FormatPattern(value.toNumber(), pattern, locale);
    const QString text = value.toText();
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

QDate DateFromText(QStringView text, const LocaleInfo& locale)
{
    const QStringList parts = text.toString().split(u' ', Qt::SkipEmptyParts);
    if (parts.size() < 3)
        return {};
    const qsizetype n = parts.size();
    bool dayOk = false, yearOk = false;
    const int day = parts[n - 3].toInt(&dayOk);
    const int year = parts[n - 1].toInt(&yearOk);
    int month = 0;
    for (int m = 0; m < locale.monthNames.size(); ++m)
        if (parts[n - 2].compare(locale.monthNames[m], Qt::CaseInsensitive) == 0)
            month = m + 1;
    if (!dayOk || !yearOk || month == 0)
        return {};
    return QDate(year, month, day);
}

double EuroValue(const QString& amount, const Mixed& factor, const LocaleInfo& locale)
{
    const double typed = locale.decimalSeparator == u'.' ? ValText(amount) : LocaleNumber(amount, locale);
    const double product = typed * (factor.isText() ? LocaleNumber(factor.toText(), locale) : factor.toNumber());
    // Round to cents as FormatPattern does, then read that "."-text back.
    static const LocaleInfo point = LocaleInfo::english();
    const QString cents = FormatPattern(product, u"0.00", point);
    return ValText(cents);
}
