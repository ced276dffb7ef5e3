#include "core/filetype/Exchange.h"

#include "core/filetype/TnkFile.h"
#include "core/frame/Conversions.h"
#include "core/frame/Files.h"

#include <cmath>

namespace Exchange
{
namespace
{
bool digit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// "06.15", "60,50", "-3": digits with at most one "." or "," between them.
bool plainNumber(QStringView t)
{
    qsizetype i = (!t.isEmpty() && (t[0] == u'-' || t[0] == u'+')) ? 1 : 0;
    qsizetype digits = 0, separators = 0;
    bool afterSeparator = false;
    for (; i < t.size(); ++i) {
        if (digit(t[i])) {
            ++digits;
            afterSeparator = false;
        } else if ((t[i] == u'.' || t[i] == u',') && digits > 0 && separators == 0) {
            ++separators;
            afterSeparator = true;
        } else {
            return false;
        }
    }
    return digits > 0 && !afterSeparator;
}

// A stored number as the file writes it: its own digits with "." where it is
// plain, its value where it is not (grouped, an exponent); empty when it is
// not a number at all.
QString exported(const QString& stored, const LocaleInfo& locale)
{
    const QStringView t = QStringView(stored).trimmed();
    const std::optional<double> value = t.isEmpty() ? std::nullopt : StoredNumber(t, locale);
    if (!value || !std::isfinite(*value))
        return {};
    if (!plainNumber(t))
        return StrNumber(*value).trimmed();
    QString out = t.toString();
    out.replace(u',', u'.');
    if (out.startsWith(u'+'))
        out.remove(0, 1);
    return out;
}
} // namespace

QByteArray ExportText(const FillUpList& fillUps, const LocaleInfo& locale, qint64* count)
{
    QStringList header;
    for (const char* name : TnkFile::OwnColumns)
        header << QString::fromLatin1(name);
    QByteArray out = TnkFile::line(header);
    for (size_t i = 0; i < fillUps.size(); ++i) {
        const FillUp f = fillUps[i];
        QString paid, currency;
        if (f.paid.value) {
            paid = exported(f.paid.value->typed, locale);
            currency = paid.isEmpty() ? QString() : f.paid.value->currency;
        }
        out += TnkFile::line({f.date.value ? f.date.value->toString(Qt::ISODate) : QString(),
                              exported(f.distance.text, locale), exported(f.litres.text, locale),
                              exported(f.consumption.text, locale), exported(f.euro.text, locale), paid, currency});
    }
    if (count)
        *count = qint64(fillUps.size());
    return out;
}

ExportResult ExportFile(const FillUpList& fillUps, const QString& path, const LocaleInfo& locale)
{
    ExportResult result;
    const QByteArray text = ExportText(fillUps, locale, &result.written);
    result.problem = Files::write(path, text);
    if (!result.problem.isEmpty())
        result.written = 0;
    return result;
}
} // namespace Exchange
