#include "core/filetype/TnkFile.h"

#include <QStringDecoder>

namespace TnkFile
{
namespace
{
bool isControl(char16_t c)
{
    return c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r' && c != u'\f';
}

} // namespace

Text decode(const QByteArray& bytes)
{
    Text out;
    if (const std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*bom);
        out.text = decoder(bytes);
    } else {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        out.text = utf8(bytes);
        if (utf8.hasError())
            out.text = QString::fromLatin1(bytes);
    }
    if (out.text.startsWith(QChar(0xFEFF)))
        out.text.remove(0, 1);
    // A text file holds no NUL; a few stray control characters may be
    // typing slips, many are not text.
    qsizetype controls = 0;
    const qsizetype sample = std::min<qsizetype>(out.text.size(), 64 * 1024);
    for (qsizetype i = 0; i < sample; ++i)
        controls += isControl(out.text[i].unicode()) ? 1 : 0;
    if (out.text.contains(QChar(0)) || controls * 100 > sample)
        out.problem = TextProblem::Binary;
    else if (out.text.trimmed().isEmpty())
        out.problem = TextProblem::Empty;
    if (out.problem != TextProblem::None)
        out.text.clear();
    return out;
}

bool Records::next(Row& row)
{
    const qsizetype size = m_text.size();
    while (m_at < size) {
        row.line = m_line;
        row.fields.clear();
        QString field;
        bool quoted = false;
        bool any = false; // a separator or a quote: the line is not empty
        for (; m_at < size; ++m_at) {
            const QChar c = m_text[m_at];
            if (quoted) {
                if (c == u'"' && m_at + 1 < size && m_text[m_at + 1] == u'"') {
                    field += u'"';
                    ++m_at;
                } else if (c == u'"') {
                    quoted = false;
                } else {
                    if (c == u'\n' || (c == u'\r' && (m_at + 1 >= size || m_text[m_at + 1] != u'\n')))
                        ++m_line;
                    field += c;
                }
            } else if (c == u'"') {
                quoted = any = true;
            } else if (c == m_separator) {
                row.fields << field;
                field.clear();
                any = true;
            } else if (c == u'\r' || c == u'\n') {
                if (c == u'\r' && m_at + 1 < size && m_text[m_at + 1] == u'\n')
                    ++m_at;
                ++m_at;
                ++m_line;
                break;
            } else {
                field += c;
                any = any || !c.isSpace();
            }
        }
        row.fields << field;
        if (any)
            return true;
    }
    return false;
}

QByteArray line(const QStringList& fields)
{
    QByteArray out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        const QString& f = fields[i];
        if (f.contains(u',') || f.contains(u'"') || f.contains(u'\r') || f.contains(u'\n')) {
            QString quoted = f;
            out += '"' + quoted.replace(QStringLiteral("\""), QStringLiteral("\"\"")).toUtf8() + '"';
        } else {
            out += f.toUtf8();
        }
    }
    out += "\r\n";
    return out;
}
QString guarded(const QString& text)
{
    static const QString starts = QStringLiteral("=+-@\t\r'");
    return !text.isEmpty() && starts.contains(text[0]) ? u'\'' + text : text;
}

QString unguarded(const QString& cell)
{
    return cell.startsWith(u'\'') ? cell.mid(1) : cell;
}
} // namespace TnkFile
