#include "core/filetype/ExchangeSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Exchange
{
namespace
{
constexpr qint64 kBlock = 64 * 1024;

bool isControl(char16_t c)
{
    return c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r' && c != u'\f';
}

#ifdef Q_OS_UNIX
// Why a file of this type is not read; nothing for a regular file.
std::optional<Text::Id> kindProblem(mode_t mode)
{
    if (S_ISREG(mode))
        return std::nullopt;
    if (S_ISDIR(mode))
        return Text::SourceFolder;
    if (S_ISFIFO(mode))
        return Text::SourcePipe;
    if (S_ISSOCK(mode))
        return Text::SourceSocket;
    return Text::SourceDevice;
}
#endif
} // namespace

std::unique_ptr<QIODevice> OpenSource(const QString& path, const Speech& speech, QString& problem)
{
    const QString name = QDir::toNativeSeparators(path);
    auto file = std::make_unique<QFile>(path);
#ifdef Q_OS_UNIX
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status = {};
    if (::stat(encoded.constData(), &status) != 0) {
        problem = speech.text(Text::CannotRead).arg(name, qt_error_string(errno));
        return nullptr;
    }
    if (const std::optional<Text::Id> kind = kindProblem(status.st_mode)) {
        problem = speech.text(*kind).arg(name);
        return nullptr;
    }
    // Without waiting, in case it became a pipe since: then it is refused as one.
    const int fd = ::open(encoded.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        problem = speech.text(Text::CannotRead).arg(name, qt_error_string(errno));
        return nullptr;
    }
    if (::fstat(fd, &status) != 0 || kindProblem(status.st_mode)) {
        problem = speech.text(kindProblem(status.st_mode).value_or(Text::SourceDevice)).arg(name);
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        problem = speech.text(Text::CannotRead).arg(name, file->errorString());
        return nullptr;
    }
#else
    const QFileInfo info(path);
    if (info.isDir() || (info.exists() && !info.isFile())) {
        problem = speech.text(info.isDir() ? Text::SourceFolder : Text::SourceDevice).arg(name);
        return nullptr;
    }
    if (!file->open(QIODevice::ReadOnly)) {
        problem = speech.text(Text::CannotRead).arg(name, file->errorString());
        return nullptr;
    }
#endif
    return file;
}

RecordReader::RecordReader(QIODevice& device) : m_device(device) {}

RecordReader::~RecordReader() = default;

void RecordReader::decodeStart(const QByteArray& bytes)
{
    const std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(bytes);
    m_decoder = std::make_unique<QStringDecoder>(bom.value_or(QStringConverter::Utf8));
    QString text = (*m_decoder)(bytes);
    if (!bom && m_decoder->hasError()) {
        // Older spreadsheets write Windows-1252; where Qt has no such codec, Latin-1 is its nearest.
        m_decoder = std::make_unique<QStringDecoder>("windows-1252");
        if (!m_decoder->isValid())
            m_decoder = std::make_unique<QStringDecoder>(QStringConverter::Latin1);
        text = (*m_decoder)(bytes);
        m_fellBack = true;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    // A text file holds no NUL; a few stray control characters may be
    // typing slips, many are not text.
    const qsizetype controls = std::count_if(text.begin(), text.end(), [](QChar c) { return isControl(c.unicode()); });
    if (text.contains(QChar(0)) || controls * 100 > text.size())
        m_state = State::Binary;
    m_text = text;
}

bool RecordReader::fill()
{
    while (m_state == State::Text && !m_atEnd) {
        QByteArray bytes(kBlock, Qt::Uninitialized);
        const qint64 got = m_device.read(bytes.data(), kBlock);
        if (got < 0) {
            m_state = State::Failed;
            return false;
        }
        if (got == 0) {
            m_atEnd = true;
            return false;
        }
        bytes.truncate(got);
        m_bytes += got;
        if (m_bytes > MaxBytes) {
            m_state = State::TooLarge;
            return false;
        }
        if (m_at > 0) {
            m_text.remove(0, m_at);
            m_at = 0;
        }
        const qsizetype before = m_text.size();
        if (!m_decoder)
            decodeStart(bytes);
        else
            m_text += (*m_decoder)(bytes);
        if (m_text.size() > before && m_state == State::Text)
            return true;
    }
    return false;
}

QString RecordReader::firstLine()
{
    qsizetype start = m_at, at = m_at;
    for (;;) {
        if (at >= m_text.size()) {
            const qsizetype consumed = m_at;
            if (!fill())
                break;
            start -= consumed - m_at;
            at -= consumed - m_at;
        }
        const QChar c = m_text[at];
        if (c == u'\n' || c == u'\r') {
            if (!QStringView(m_text).sliced(start, at - start).trimmed().isEmpty())
                return m_text.sliced(start, at - start);
            start = at + 1;
        } else if (at - start > MaxLineChars) {
            break;
        }
        ++at;
    }
    const QString line = m_text.sliced(start, std::min(at, m_text.size()) - start);
    if (line.trimmed().isEmpty() && m_state == State::Text)
        m_state = State::Empty;
    return line;
}

void RecordReader::addField(Record& record, QString& field, bool keep)
{
    if (keep && record.problem == Record::None) {
        if (record.fields.size() >= MaxColumns) {
            record.problem = Record::TooManyColumns;
            record.fields.clear();
        } else {
            record.fields << field;
        }
    }
    field.clear();
}

// Up to the end of the record: true at a line break outside quotes, false
// at the end of the text.
bool RecordReader::scan(Record& record, QString& field, bool& quoted, bool& any, qsizetype& chars)
{
    const auto peek = [this](QChar wanted) {
        if (m_at + 1 >= m_text.size())
            fill();
        return m_at + 1 < m_text.size() && m_text[m_at + 1] == wanted;
    };
    for (;; ++m_at) {
        if (m_at >= m_text.size() && !fill())
            return false;
        const QChar c = m_text[m_at];
        if (++chars > MaxLineChars && record.problem == Record::None) {
            record.problem = Record::TooLong;
            record.fields.clear();
        }
        const bool keep = record.problem == Record::None;
        m_endsInBreak = false;
        if (quoted) {
            if (c == u'"' && peek(u'"')) {
                ++m_at;
            } else if (c == u'"') {
                quoted = false;
                continue;
            } else if (c == u'\n' || (c == u'\r' && !peek(u'\n'))) {
                ++m_line;
                m_endsInBreak = true;
            }
        } else if (c == u'"') {
            quoted = any = record.quoted = true;
            continue;
        } else if (c == m_separator) {
            addField(record, field, true);
            any = true;
            continue;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && peek(u'\n'))
                ++m_at;
            ++m_at;
            ++m_line;
            return true;
        } else {
            any = any || !c.isSpace();
        }
        if (keep)
            field += c;
    }
}

bool RecordReader::next(Record& record)
{
    if (!m_decoder)
        fill();
    while (m_state == State::Text) {
        record.line = m_line;
        record.fields.clear();
        record.quoted = false;
        record.problem = Record::None;
        QString field;
        bool quoted = false, any = false;
        qsizetype chars = 0;
        const bool lineEnded = scan(record, field, quoted, any, chars);
        // A quote still open at the end took in the lines up to the last that holds something.
        record.lastLine = lineEnded || m_endsInBreak ? m_line - 1 : m_line;
        if (quoted) {
            record.problem = Record::Unterminated;
            record.fields.clear();
        }
        addField(record, field, true);
        if (m_state != State::Text)
            return false;
        if (any || record.problem != Record::None)
            return true;
        if (!lineEnded)
            return false;
    }
    return false;
}
} // namespace Exchange
