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

// A number that cannot be read or written: the procedure that meets it ends in
// its error handler, as the original program's run-time errors 6 and 13 did.
class ConversionError : public std::runtime_error
{
public:
    enum Number
    {
        Overflow = 6,
        DivisionByZero = 11,
        TypeMismatch = 13
    };
    explicit ConversionError(Number number);
    Number number() const { return m_number; }

private:
    Number m_number;
};

// A value of the main window that holds either a number or a text (a computed
// consumption is kept as its rounded "06.15"); a text is read as a number in
// the user's notation where one is needed.
class NumberOrText
{
public:
    NumberOrText(double number = 0) : m_value(number) {}
    NumberOrText(int number) : m_value(double(number)) {}
    NumberOrText(const QString& text) : m_value(text) {}
    NumberOrText(const char* text) : m_value(QString::fromUtf8(text)) {}

    bool isText() const { return std::holds_alternative<QString>(m_value); }
    // The number; a text is read with LocaleNumber and may throw.
    double toNumber(const LocaleInfo& locale) const;
    // The text; a number is written with LocaleText.
    QString toText(const LocaleInfo& locale) const;
    bool operator==(const NumberOrText& other) const = default;

private:
    std::variant<double, QString> m_value;
};

double ValText(QStringView text);

QString StrNumber(double number);
QString StrNumber(const NumberOrText& value, const LocaleInfo& locale);

// LocaleNumber without the error: nullopt for a text that is not a number.
std::optional<double> tryLocaleNumber(QStringView text, const LocaleInfo& locale);
double LocaleNumber(QStringView text, const LocaleInfo& locale);
// A counter: LocaleNumber rounded half to even; Overflow outside 32 bits.
qint32 LocaleWholeNumber(QStringView text, const LocaleInfo& locale);

QString LocaleText(double number, const LocaleInfo& locale);

// A number the program wrote into the store (a count, a consumption, an amount,
// a rate), read right whatever locale it was written under: the program writes
// no grouping, so a text with exactly one "." or "," among its digits has that
// sign as its decimal separator ("06.15" and "06,15" are both 6.15). Any other
// text is read in the user's notation. nullopt when it is not a number.
std::optional<double> StoredNumber(QStringView text, const LocaleInfo& locale);

QString FormatPattern(double number, QStringView pattern, const LocaleInfo& locale);
QString FormatPattern(const NumberOrText& value, QStringView pattern, const LocaleInfo& locale);
QString FormatPattern(QDate date, QStringView pattern, const LocaleInfo& locale);

// Reads back a date written with "dd mmmm yyyy" (a weekday in front is
// allowed); an invalid QDate when the text is not such a date.
QDate DateFromText(QStringView text, const LocaleInfo& locale);

// The Euro value of an amount typed in a foreign currency: amount x factor,
// rounded half away from zero to cents. The amount is read in the user's
// notation, a factor text as a stored number. Throws TypeMismatch when either
// cannot be read, Overflow when the value lies beyond the double range.
double EuroValue(const QString& amount, const NumberOrText& factor, const LocaleInfo& locale);
