#include "core/filetype/Exchange.h"

#include "core/filetype/TnkFile.h"
#include "core/frame/Conversions.h"
#include "core/frame/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <limits>
#include <optional>

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

// Whether a value read from a text that is not plain (an exponent, grouping)
// can be written with digits that stand for it: zero or a normal double that
// StrNumber writes and reads back to itself. A subnormal such as 1e-320 has
// no such digits; any we wrote would be made up.
bool representable(double value)
{
    if (!std::isfinite(value))
        return false;
    if (value != 0 && std::fabs(value) < std::numeric_limits<double>::min())
        return false;
    return ValText(StrNumber(value)) == value;
}

// A stored number as the file writes it: its own digits with "." where it is
// plain, its value where it is not and has digits of its own; empty when it is
// not a number at all.
QString exported(const QString& stored, const LocaleInfo& locale)
{
    const QStringView t = QStringView(stored).trimmed();
    const std::optional<double> value = t.isEmpty() ? std::nullopt : StoredNumber(t, locale);
    if (!value || !std::isfinite(*value))
        return {};
    if (!plainNumber(t))
        return representable(*value) ? StrNumber(*value).trimmed() : QString();
    QString out = t.toString();
    out.replace(u',', u'.');
    if (out.startsWith(u'+'))
        out.remove(0, 1);
    return out;
}

QString canonical(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + u'/' + info.fileName();
}

// The store's own files, which an export must never replace.
std::optional<Text::Id> storeRefusal(const QString& file, const QString& storePath)
{
    if (storePath.isEmpty())
        return std::nullopt;
    const QString target = canonical(file);
    const QString store = canonical(storePath);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        if (target == store + QLatin1String(suffix))
            return Text::ExportIsStore;
    const QString backups = canonical(QFileInfo(store).absolutePath() + QStringLiteral("/backups"));
    if (target.startsWith(backups + u'/'))
        return Text::ExportInBackups;
    return std::nullopt;
}

// Why the file the user chose is not written, in the context's language;
// empty when it may be.
QString refusal(const Files::Target& target, const QString& path, const Context& context)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (const std::optional<Text::Id> own = storeRefusal(target.file, context.store().path()))
        return context.text(*own).arg(shown);
    switch (target.refusal) {
    case Files::Target::None:
        return {};
    case Files::Target::Folder:
        return context.text(Text::ExportIsFolder).arg(shown);
    case Files::Target::NotAFile:
        return context.text(Text::ExportNotAFile).arg(shown);
    case Files::Target::NoFolder:
        return context.text(Text::ExportNoFolder).arg(shown);
    case Files::Target::NotWritable:
        return context.text(Text::ExportNotWritable).arg(shown, target.reason);
    case Files::Target::OtherOwner:
        return context.text(Text::ExportOtherOwner).arg(shown);
    case Files::Target::Database:
        return context.text(Text::ExportIsDatabase).arg(shown);
    case Files::Target::LinkLoop:
        return context.text(Text::ExportLinkLoop).arg(shown);
    }
    return {};
}

QString toStandardOutput(const QByteArray& text)
{
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(text) != text.size() || !out.flush())
        return QStringLiteral("cannot write to standard output: %1").arg(out.errorString());
    return {};
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
            currency = paid.isEmpty() ? QString() : TnkFile::guarded(f.paid.value->currency);
        }
        out += TnkFile::line({f.date.value ? f.date.value->toString(Qt::ISODate) : QString(),
                              exported(f.distance.text, locale), exported(f.litres.text, locale),
                              exported(f.consumption.text, locale), exported(f.euro.text, locale), paid, currency});
    }
    if (count)
        *count = qint64(fillUps.size());
    return out;
}

ExportResult ExportFile(Context& context, const QString& path)
{
    ExportResult result;
    const QByteArray text = ExportText(*context.fillUps().list(context.user()), context.locale(), &result.written);
    if (path == u"-") {
        result.problem = toStandardOutput(text);
    } else {
        const Files::Target target = Files::chosen(path);
        result.problem = refusal(target, path, context);
        if (result.problem.isEmpty())
            result.problem = Files::writeWhole(target.file, text);
    }
    if (!result.problem.isEmpty())
        result.written = 0;
    return result;
}
} // namespace Exchange
