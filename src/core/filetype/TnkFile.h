#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The text side of a data file: CSV as RFC 4180 has it (fields apart by a
// separator, quoted with '"' where they hold one, records ending in CRLF),
// read from UTF-8 (or UTF-16 with its byte-order mark, or Latin-1 where the
// bytes are not UTF-8, as older spreadsheets write) and written as UTF-8.
namespace TnkFile
{
// The columns of the program's own files, in their order.
inline constexpr const char* OwnColumns[] = {"date",       "distance_km", "litres",  "consumption_l_per_100km",
                                             "amount_eur", "amount_paid", "currency"};

// Larger than any driver's log: a fill-up a day for a century is 3 MB.
inline constexpr qint64 MaxFileBytes = 32 * 1024 * 1024;

// One record of the file and the line it starts on (the header is line 1).
struct Row
{
    qint64 line = 0;
    QStringList fields;
};

// Why bytes are not a text we read.
enum class TextProblem
{
    None,
    Empty,  // nothing but blanks
    Binary, // NUL or other control bytes
};

// The text of a file's bytes; a problem instead where they hold none.
struct Text
{
    TextProblem problem = TextProblem::None;
    QString text;
};
Text decode(const QByteArray& bytes);

// The records of a text one at a time, split by `separator`; lines with
// nothing at all on them are passed over.
class Records
{
public:
    Records(QStringView text, QChar separator) : m_text(text), m_separator(separator) {}
    // The next record into row; false at the end of the text.
    bool next(Row& row);

private:
    QStringView m_text;
    QChar m_separator;
    qsizetype m_at = 0;
    qint64 m_line = 1;
};

// One record as a line: fields quoted where they must be, CRLF at its end.
QByteArray line(const QStringList& fields);

// A text cell a spreadsheet shows as text and never runs: one that begins
// with a sign that starts a formula (= + - @, a tab, a carriage return) gets
// a "'" in front, and so does one that begins with "'", so that unguarded()
// gives back exactly the text that was written.
QString guarded(const QString& text);
QString unguarded(const QString& cell);
} // namespace TnkFile
