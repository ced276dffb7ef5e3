#pragma once

#include "core/frame/LocaleInfo.h"

#include <QDate>
#include <QString>

#include <optional>
#include <stdexcept>
#include <variant>

// The five conversions between numbers and texts. Each value of the program
// goes through the one its procedure names, and that decides where "," and
// where "." counts as a decimal separator:
//   ValText       text -> number, "." only, never fails
//   StrNumber     number -> text, ".", a blank before non-negative numbers
//   LocaleNumber  text -> number in the user's notation, fails on anything else
//   LocaleText    number -> text in the user's notation
//   FormatPattern number or date -> text by a pattern such as "00.00"

// A run-time error in the sense of the original program: the procedure that
// raised it ends in its error handler.
class VbError : public std::runtime_error
{
public:
    enum Number
    {
        Overflow = 6,
        DivisionByZero = 11,
        TypeMismatch = 13
    };
    explicit VbError(Number number);
    Number number() const { return m_number; }

private:
    Number m_number;
};

// A window value that holds either a number or a text.
class Mixed
{
public:
    Mixed(double number = 0) : m_value(number) {}
    Mixed(int number) : m_value(double(number)) {}
    Mixed(const QString& text) : m_value(text) {}
    Mixed(const char* text) : m_value(QString::fromUtf8(text)) {}

    bool isText() const { return std::holds_alternative<QString>(m_value); }
    // The number; a text is read with LocaleNumber and may throw.
    double toNumber() const;
    // The text; a number is written with LocaleText.
    QString toText() const;
    bool operator==(const Mixed& other) const = default;

private:
    std::variant<double, QString> m_value;
};

double ValText(QStringView text);

QString StrNumber(double number);
QString StrNumber(const Mixed& value);

// LocaleNumber without the error: nullopt for a text that is not a number.
std::optional<double> tryLocaleNumber(QStringView text, const LocaleInfo& locale = userLocale());
double LocaleNumber(QStringView text, const LocaleInfo& locale = userLocale());
// A counter: LocaleNumber rounded half to even; Overflow outside 32 bits.
qint32 LocaleWholeNumber(QStringView text, const LocaleInfo& locale = userLocale());

QString LocaleText(double number, const LocaleInfo& locale = userLocale());

// A number the program wrote into the store (a count, a consumption, an amount,
// a rate), read right whatever locale it was written under: the program writes
// no grouping, so a text with exactly one "." or "," among its digits has that
// sign as its decimal separator ("06.15" and "06,15" are both 6.15). Any other
// text is read in the user's notation. nullopt when it is not a number.
std::optional<double> StoredNumber(QStringView text, const LocaleInfo& locale = userLocale());

QString FormatPattern(double number, QStringView pattern, const LocaleInfo& locale = userLocale());
QString FormatPattern(const Mixed& value, QStringView pattern, const LocaleInfo& locale = userLocale());
QString FormatPattern(QDate date, QStringView pattern, const LocaleInfo& locale = userLocale());

// Reads back a date written with "dd mmmm yyyy" (a weekday in front is
// allowed); an invalid QDate when the text is not such a date.
QDate DateFromText(QStringView text, const LocaleInfo& locale = userLocale());

// The Euro value of an amount typed in a foreign currency: amount x factor,
// rounded half away from zero to cents. The amount is read in the user's
// notation, a factor text as a stored number. Throws TypeMismatch when either
// cannot be read, Overflow when the value lies beyond the double range.
double EuroValue(const QString& amount, const Mixed& factor, const LocaleInfo& locale = userLocale());
