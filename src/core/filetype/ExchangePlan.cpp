// Planning an import: what a file holds and how much of it would come in,
// asked before anything is written; then the import itself.
#include "core/filetype/Exchange.h"

#include "core/filetype/ExchangeDialect.h"
#include "core/filetype/ExchangeReader.h"
#include "core/filetype/TnkFile.h"

#include <QDir>
#include <QFile>

#include <bit>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace Exchange
{
namespace
{
constexpr qint64 kNone = std::numeric_limits<qint64>::min();

// Compared to the cent, as the program shows them: 60.00 is 60.
qint64 hundredths(const std::optional<double>& value)
{
    if (!value)
        return kNone;
    if (std::fabs(*value) < 1e15)
        return std::llround(*value * 100);
    return std::bit_cast<qint64>(*value);
}

using Key = std::array<qint64, 3>;

// Day, consumption and Euro amount, as a fill-up already present is compared.
Key keyOf(const FillUp& f)
{
    return {f.date.value ? f.date.value->toJulianDay() : kNone, hundredths(f.consumption.value),
            hundredths(f.euro.value)};
}

Key keyOf(const FillUpList& list, size_t i)
{
    const auto meaning = [&](FillUpList::Field field) {
        const double v = list.value(i, field);
        return std::isnan(v) ? std::nullopt : std::optional(v);
    };
    const double day = list.value(i, FillUpList::Date);
    return {std::isnan(day) ? kNone : qint64(day), hundredths(meaning(FillUpList::Consumption)),
            hundredths(meaning(FillUpList::Euro))};
}

struct KeyHash
{
    size_t operator()(const Key& k) const noexcept
    {
        return std::hash<qint64>()(k[0]) ^ (std::hash<qint64>()(k[1]) * 31) ^ (std::hash<qint64>()(k[2]) * 1009);
    }
};

// Which planned fill-ups repeat one the user has: each present fill-up
// stands for one line, so two like fill-ups of one day both come in.
std::vector<char> duplicatesOf(const std::vector<FillUp>& fillUps, const FillUpList& present)
{
    std::unordered_map<Key, qint64, KeyHash> counts;
    for (size_t i = 0; i < present.size(); ++i)
        ++counts[keyOf(present, i)];
    std::vector<char> duplicate(fillUps.size(), 0);
    for (size_t i = 0; i < fillUps.size() && !counts.empty(); ++i) {
        const auto it = counts.find(keyOf(fillUps[i]));
        if (it != counts.end() && it->second > 0) {
            --it->second;
            duplicate[i] = 1;
        }
    }
    return duplicate;
}

// The field separator that makes the header name the most columns we know,
// and the columns it names.
Columns headerOf(const QString& text, ImportPlan& plan, QStringList& header)
{
    Columns columns;
    for (const QChar separator : {u',', u';'}) {
        TnkFile::Row first;
        TnkFile::Records(text, separator).next(first);
        const Columns found = columnsOf(first.fields);
        if (found.usable() && (!columns.usable() || found.found() > columns.found() ||
                               (found.found() == columns.found() && first.fields.size() > header.size()))) {
            columns = found;
            header = first.fields;
            plan.separator = separator;
        }
    }
    return columns;
}

// Once through the lines for the decimal sign and the odometer readings,
// holding one line at a time.
void readNumbers(const QString& text, const Columns& columns, ImportPlan& plan, LineReader& reader)
{
    DecimalSign decimal;
    QStringList odometer;
    TnkFile::Row row;
    TnkFile::Records records(text, plan.separator);
    records.next(row);
    while (records.next(row)) {
        for (const Role role : {Odometer, Distance, Litres, Consumption, Amount, Paid})
            if (columns.at[role] >= 0)
                decimal.add(row.fields.value(columns.at[role]));
        if (columns.at[Odometer] >= 0)
            odometer << row.fields.value(columns.at[Odometer]);
    }
    plan.decimal = decimal.sign(plan.separator);
    reader.setDecimal(plan.decimal);
    if (columns.at[Odometer] >= 0)
        reader.readOdometer(odometer);
}

ImportPlan problem(const Context& context, Text::Id text)
{
    ImportPlan plan;
    plan.problem = context.text(text);
    return plan;
}
} // namespace

ImportPlan PlanImport(QByteArray bytes, Context& context)
{
    if (bytes.size() > TnkFile::MaxFileBytes)
        return problem(context, Text::FileTooLarge);
    TnkFile::Text decoded = TnkFile::decode(bytes);
    bytes = QByteArray();
    if (decoded.problem == TnkFile::TextProblem::Empty)
        return problem(context, Text::FileEmpty);
    if (decoded.problem == TnkFile::TextProblem::Binary)
        return problem(context, Text::FileBinary);

    ImportPlan plan;
    QStringList header;
    const Columns columns = headerOf(decoded.text, plan, header);
    if (!columns.usable())
        return problem(context, Text::NoColumns);
    plan.ownFormat = columns.own;
    LineReader reader(header, columns, plan.decimal, context.currencies().named(), context.speech());
    readNumbers(decoded.text, columns, plan, reader);

    TnkFile::Row row;
    TnkFile::Records records(decoded.text, plan.separator);
    records.next(row);
    for (size_t index = 0; records.next(row); ++index) {
        // Spreadsheets write blank rows as separators alone; our own files
        // write such a line only for a record with nothing readable.
        if (!plan.ownFormat &&
            std::all_of(row.fields.begin(), row.fields.end(), [](const QString& f) { return f.trimmed().isEmpty(); }))
            continue;
        std::variant<FillUp, QString> read = reader.read(row, index);
        if (const QString* reason = std::get_if<QString>(&read))
            plan.refused.push_back({row.line, *reason});
        else
            plan.fillUps.push_back(std::move(std::get<FillUp>(read)));
    }
    decoded.text = QString();
    const std::vector<char> duplicate = duplicatesOf(plan.fillUps, *context.fillUps().list(context.user()));
    plan.duplicates = std::count(duplicate.begin(), duplicate.end(), 1);
    if (context.fillUps().lastRecord(context.user()) + plan.toImport() > FillUps::MaxRecord)
        return problem(context, Text::FileTooLarge);
    return plan;
}

ImportPlan PlanImportFile(const QString& path, Context& context)
{
    QFile file(path);
    const QString name = QDir::toNativeSeparators(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ImportPlan plan;
        plan.problem = QStringLiteral("cannot read %1: %2").arg(name, file.errorString());
        return plan;
    }
    // A device or a pipe has no size to refuse it by: read one byte past the limit.
    QByteArray bytes = file.read(TnkFile::MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        ImportPlan plan;
        plan.problem = QStringLiteral("cannot read %1: %2").arg(name, file.errorString());
        return plan;
    }
    file.close();
    return PlanImport(std::move(bytes), context);
}

FillUps::Appended ApplyImport(Context& context, const ImportPlan& plan, const FillUps::Progress& progress)
{
    return context.fillUps().append(
        context.user(), plan.fillUps,
        [&plan](const FillUpList& present) { return duplicatesOf(plan.fillUps, present); }, progress);
}

QString Summary(const ImportPlan& plan, const Context& context, const QString& path)
{
    const Speech& s = context.speech();
    QString text = s.text(Text::ImportQuestion).arg(context.user()) + u'\n' + QDir::toNativeSeparators(path) +
                   QStringLiteral("\n\n") + s.text(Text::ToImport).arg(plan.toImport()) + u'\n' +
                   s.text(Text::AlreadyPresent).arg(plan.duplicates) + u'\n' +
                   s.text(Text::LinesRefused).arg(plan.refused.size());
    for (size_t i = 0; i < plan.refused.size() && i < 10; ++i)
        text += u'\n' + s.text(Text::Row) + u' ' + QString::number(plan.refused[i].line) + QStringLiteral(": ") +
                plan.refused[i].reason;
    if (plan.refused.size() > 10)
        text += QStringLiteral("\n…");
    return text;
}

QString CountLine(qint64 count, const Speech& speech)
{
    return speech.text(Text::FillUpCount).arg(count);
}
} // namespace Exchange
