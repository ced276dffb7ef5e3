#pragma once

// Reading a file of fill-ups as a stream of CSV records, within bounds: the
// bytes are read a block at a time and never held whole, a record longer
// than MaxLineChars or with more than MaxColumns fields is passed over (and
// said so) without keeping more of it, and a path that is not a regular
// file is refused before it is opened, so that no pipe or device can block
// or flood the reading.

#include "core/frame/Speech.h"

#include <QIODevice>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <memory>

namespace Exchange
{
// A line of a fill-up log is under a hundred characters; a note with line
// breaks a few thousand.
inline constexpr qsizetype MaxLineChars = 65536;
inline constexpr int MaxColumns = 512;
// What a driver's log can hold, with room to spare: a fill-up a day for
// 2,800 years, in at most 256 MB.
inline constexpr qint64 MaxDataLines = 1 << 20;
inline constexpr qint64 MaxBytes = qint64(256) << 20;

// The file at path opened for reading, or why not (in the speech's
// language): a folder, a pipe, a device or a socket is refused before it is
// opened, and a file that changes into one meanwhile after.
std::unique_ptr<QIODevice> OpenSource(const QString& path, const Speech& speech, QString& problem);

// One record of a file and the lines it spans (a quoted line break takes in
// the next line).
struct Record
{
    enum Problem
    {
        None,
        TooLong,        // over MaxLineChars: its fields are not kept
        TooManyColumns, // over MaxColumns: its fields are not kept
        Unterminated    // a quote that the file never closes
    };
    qint64 line = 0;
    qint64 lastLine = 0;
    QStringList fields;
    bool quoted = false; // a field of it was quoted
    Problem problem = None;
};

// The records of a device's text: UTF-8, or UTF-16 or UTF-32 by their byte
// order mark, or Windows-1252 where the start is not UTF-8.
class RecordReader
{
public:
    enum class State
    {
        Text,
        Empty,    // nothing but blanks
        Binary,   // NUL or other control characters
        TooLarge, // over MaxBytes
        Failed    // the device's errorString()
    };

    explicit RecordReader(QIODevice& device);
    ~RecordReader();

    // The first line with something on it, as it stands; the records still
    // begin with it.
    QString firstLine();
    void setSeparator(QChar separator) { m_separator = separator; }
    // The next record into it; false at the end, or when state() is no longer Text.
    bool next(Record& record);
    State state() const { return m_state; }
    QString errorString() const { return m_device.errorString(); }
    bool fellBack() const { return m_fellBack; } // read as Windows-1252

private:
    bool fill();
    void decodeStart(const QByteArray& bytes);
    bool scan(Record& record, QString& field, bool& quoted, bool& any, qsizetype& chars);
    void addField(Record& record, QString& field, bool keep);

    QIODevice& m_device;
    std::unique_ptr<QStringDecoder> m_decoder;
    QString m_text;
    qsizetype m_at = 0;
    qint64 m_bytes = 0;
    qint64 m_line = 1;
    QChar m_separator = u',';
    State m_state = State::Text;
    bool m_atEnd = false, m_fellBack = false, m_endsInBreak = false;
};
} // namespace Exchange
