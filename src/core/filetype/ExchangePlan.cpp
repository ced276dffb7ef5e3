// Planning an import: what a file holds and how much of it would come in,
// asked before anything is written; then the import itself.
#include "core/filetype/Exchange.h"

#include "core/filetype/ExchangeChain.h"
#include "core/filetype/ExchangeDialect.h"
#include "core/filetype/ExchangeFile.h"
#include "core/filetype/ExchangeReader.h"
#include "core/frame/Plural.h"
#include "core/users/Users.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>

#include <cmath>
#include <limits>
#include <unordered_map>

namespace Exchange
{
namespace
{
using Key = PlannedFillUps::Key;

struct KeyHash
{
    size_t operator()(const Key& k) const noexcept
    {
        return std::hash<qint64>()(k[0]) ^ (std::hash<qint64>()(k[1]) * 31) ^ (std::hash<qint64>()(k[2]) * 1009);
    }
};

Key keyOf(const FillUpList& list, size_t i)
{
    const double day = list.value(i, FillUpList::Date);
    return {std::isnan(day) ? std::numeric_limits<qint64>::min() : qint64(day),
            PlannedFillUps::cents(list.value(i, FillUpList::Consumption)),
            PlannedFillUps::cents(list.value(i, FillUpList::Euro))};
}

// Which planned fill-ups repeat one the user has: each present fill-up
// stands for one line, so two like fill-ups of one day both come in.
std::vector<char> duplicatesOf(const PlannedFillUps& fillUps, const FillUpList& present)
{
    std::unordered_map<Key, qint64, KeyHash> counts;
    for (size_t i = 0; i < present.size(); ++i)
        ++counts[keyOf(present, i)];
    std::vector<char> duplicate(fillUps.size(), 0);
    for (size_t i = 0; i < fillUps.size() && !counts.empty(); ++i) {
        const auto it = counts.find(fillUps.key(i));
        if (it != counts.end() && it->second > 0) {
            --it->second;
            duplicate[i] = 1;
        }
    }
    return duplicate;
}

// The vehicle imported: the one chosen, or the only one; false, with a
// question or a problem, when the file names several and none was chosen.
bool chooseVehicle(const FileRows& file, const ImportChoices& choices, ImportPlan& plan, const Speech& speech)
{
    QStringList names;
    std::vector<qint64> lines;
    for (size_t i = 0; i < file.rows->size(); ++i) {
        const QString name = file.rows->cells(i)[Vehicle].trimmed().toString();
        if (name.isEmpty())
            continue;
        const qsizetype at = names.indexOf(name);
        if (at < 0) {
            names << name;
            lines.push_back(1);
        } else {
            ++lines[size_t(at)];
        }
    }
    if (names.size() <= 1) {
        plan.vehicle = names.value(0);
        return true;
    }
    if (choices.vehicle.isEmpty()) {
        plan.question = ImportPlan::Question::Vehicle;
        plan.vehicles = names;
        plan.vehicleLines = lines;
        return false;
    }
    if (!names.contains(choices.vehicle)) {
        plan.problem = speech.text(Text::NoSuchVehicle).arg(choices.vehicle, names.join(QStringLiteral(", ")));
        return false;
    }
    plan.vehicle = choices.vehicle;
    return true;
}

Unit merged(Unit file, Unit vehicle)
{
    return file == Unit::Unknown ? vehicle : vehicle == Unit::Unknown || vehicle == file ? file : Unit::Unknown;
}

// The units that the file's section of the vehicle states, where the
// columns do not say otherwise; where the user's columns say none.
void vehicleUnits(const FileRows& file, ImportPlan& plan)
{
    const auto info = std::find_if(file.vehicles.begin(), file.vehicles.end(), [&](const VehicleInfo& v) {
        return v.name == plan.vehicle || file.vehicles.size() == 1;
    });
    if (info == file.vehicles.end())
        return;
    Assignment& a = plan.assignment;
    const auto merge = [&](Role role, Unit unit) {
        if (a.has(role) && (!file.chosen || a.use[role].how.isEmpty()))
            a.use[role].how = keyword(merged(a.unit(role), unit));
    };
    merge(Odometer, info->distance);
    merge(Distance, info->distance);
    merge(Litres, info->volume);
    if (info->volume == Unit::UsGallons || info->volume == Unit::ImpGallons)
        merge(VolumeUnit, info->volume);
}

// What a line of a kind column is when it is a fill-up.
bool isFillUpKind(QStringView kind)
{
    static const QRegularExpression words(
        QStringLiteral("^(gas|fuel|fuelup|fuel-up|fill-up|fillup|refuel(l)?ing|petrol|diesel|gasoline|tanken|"
                       "betankung|plein|tankbeurt)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return words.match(kind.trimmed()).hasMatch();
}

// The lines of the vehicle imported that are fill-ups of its first tank;
// the others are counted as left out, by why.
std::vector<size_t> keptRows(const FileRows& file, ImportPlan& plan, const Speech& speech)
{
    std::vector<size_t> kept;
    kept.reserve(file.rows->size());
    qint64 others = 0, tank = 0;
    std::map<QString, qint64> notFillUps = file.otherSections;
    for (size_t i = 0; i < file.rows->size(); ++i) {
        const RowStore::Cells cells = file.rows->cells(i);
        const QStringView vehicle = cells[Vehicle].trimmed();
        if (!plan.vehicle.isEmpty() && !vehicle.isEmpty() && vehicle != plan.vehicle)
            ++others;
        else if (!isFillUpKind(cells[Kind]))
            ++notFillUps[cells[Kind].trimmed().toString()];
        else if (!cells[Tank].trimmed().isEmpty() && cells[Tank].trimmed() != u"1")
            ++tank;
        else
            kept.push_back(i);
    }
    qint64 lines = 0;
    QStringList titles;
    for (const auto& [title, count] : notFillUps) {
        lines += count;
        titles << (title.isEmpty() ? QStringLiteral("?") : title);
    }
    if (others > 0)
        plan.leftOut << Plural(speech, Text::LeftOutVehicles, others);
    if (lines > 0)
        plan.leftOut << Plural(speech, Text::LeftOutNotFillUps, lines).arg(titles.join(QStringLiteral(", ")));
    if (tank > 0)
        plan.leftOut << Plural(speech, Text::LeftOutTank, tank);
    plan.leftOutLines = others + lines + tank;
    return kept;
}

QChar decimalOf(const FileRows& file, const std::vector<size_t>& kept, const Assignment& a)
{
    DecimalSign decimal;
    for (const size_t i : kept) {
        const RowStore::Cells cells = file.rows->cells(i);
        for (const Role role : {Odometer, Distance, Litres, Amount, UnitPrice, Consumption, Paid})
            if (a.has(role))
                decimal.add(cells[role]);
    }
    return decimal.sign(file.shape.separator);
}

// The order of the file's dates: the one chosen, or the one every date of
// the file reads in, the app's own first; false, with the question, when
// the dates do not tell.
bool decideDates(const FileRows& file, const std::vector<size_t>& kept, const ImportChoices& choices, ImportPlan& plan)
{
    plan.dateOrder = choices.dateOrder;
    if (plan.dateOrder != DateOrder::Unknown)
        return true;
    DateVote vote;
    for (const size_t i : kept)
        vote.add(file.rows->cells(i)[Date]);
    if (!vote.needed())
        return true;
    const std::vector<DateOrder> candidates = vote.candidates();
    const DateOrder stated = file.shape.dateOrder;
    if (stated != DateOrder::Unknown && std::find(candidates.begin(), candidates.end(), stated) != candidates.end())
        plan.dateOrder = stated;
    else
        plan.dateOrder = vote.decided();
    if (plan.dateOrder != DateOrder::Unknown)
        return true;
    plan.question = ImportPlan::Question::DateOrder;
    plan.dateOrders = candidates;
    plan.dateExample = vote.example();
    return false;
}

// Why the columns must be confirmed before an import: a unit the file does
// not state, no quantity, amounts written in another currency than the one
// they are read in. Columns the user chose confirm all but the units.
void confirmReasons(const FileRows& file, const RowReader& reader, ImportPlan& plan, const Speech& speech)
{
    const Assignment& a = plan.assignment;
    if (a.own)
        return;
    if ((a.has(Odometer) && a.unit(Odometer) == Unit::Unknown && !a.has(DistanceUnit)) ||
        (a.has(Distance) && a.unit(Distance) == Unit::Unknown && !a.has(DistanceUnit)))
        plan.confirm << speech.text(Text::ConfirmDistanceUnit);
    if (a.has(Litres) && !a.has(VolumeUnit) && a.unit(Litres) == Unit::Unknown)
        plan.confirm << speech.text(Text::ConfirmVolumeUnit);
    if ((a.has(Litres) && a.unit(Litres) == Unit::Gallons) || reader.unknownGallons())
        plan.confirm << speech.text(Text::ConfirmGallons);
    if (file.chosen)
        return;
    if (!a.has(Litres))
        plan.confirm << speech.text(Text::ConfirmNoQuantity);
    if (!reader.foreignSign().isNull() && a.use[Amount].how.isEmpty() && a.use[UnitPrice].how.isEmpty())
        plan.confirm << speech.text(Text::ConfirmCurrency).arg(reader.foreignSign());
}

// A unit or currency the user left out is the one the file's shape gives
// the same column.
void completeChoice(const FileRows& file, Assignment& a)
{
    for (int r = 0; r < RoleCount; ++r)
        if (a.use[r].how.isEmpty() && a.use[r].column == file.proposed.use[r].column)
            a.use[r].how = file.proposed.use[r].how;
}

void planRows(FileRows& file, Context& context, const ImportChoices& choices, ImportPlan& plan)
{
    const Speech& speech = context.speech();
    if (!chooseVehicle(file, choices, plan, speech))
        return;
    if (file.chosen)
        completeChoice(file, plan.assignment);
    vehicleUnits(file, plan);
    const std::vector<size_t> kept = keptRows(file, plan, speech);
    plan.decimal = decimalOf(file, kept, plan.assignment);
    if (!decideDates(file, kept, choices, plan))
        return;
    RowReader reader(plan.assignment, plan.header, plan.decimal, plan.dateOrder, speech);
    std::vector<Reading> readings;
    readings.reserve(kept.size());
    ChainInput input{plan.assignment.own,
                     {},
                     {},
                     context.currencies().named(),
                     plan.header.value(plan.assignment.column(Paid)).trimmed()};
    for (const size_t i : kept) {
        std::variant<Reading, QString> read = reader.read(file.rows->cells(i), file.rows->line(i), input.currencies);
        if (const QString* reason = std::get_if<QString>(&read))
            plan.refused.add(file.rows->line(i), *reason);
        else
            readings.push_back(std::get<Reading>(read));
    }
    file.rows.reset();
    confirmReasons(file, reader, plan, speech);
    input.currency = plan.assignment.use[plan.assignment.has(Amount) ? Amount : UnitPrice].how;
    plan.fillUps = PlannedFillUps(speech.locale);
    const ChainCounts counts = PlanFillUps(readings, input, speech, plan.fillUps, plan.refused);
    plan.partial = counts.partial;
    plan.missed = counts.missed;
}

// Duplicates, and whether some come before the newest fill-up present.
void compareWithPresent(Context& context, ImportPlan& plan)
{
    // A file with nothing to import need not read the user's records.
    if (plan.fillUps.empty())
        return;
    const std::shared_ptr<const FillUpList> present = context.fillUps().list(context.user());
    const std::vector<char> duplicate = duplicatesOf(plan.fillUps, *present);
    plan.duplicates = std::count(duplicate.begin(), duplicate.end(), 1);
    double newest = -INFINITY;
    for (size_t i = 0; i < present->size(); ++i)
        if (const double day = present->value(i, FillUpList::Date); !std::isnan(day))
            newest = std::max(newest, day);
    for (size_t i = 0; i < plan.fillUps.size() && !plan.olderThanPresent; ++i)
        plan.olderThanPresent = !duplicate[i] && double(plan.fillUps.key(i)[0]) < newest &&
                                plan.fillUps.key(i)[0] != std::numeric_limits<qint64>::min();
}

ImportPlan problem(const Context& context, Text::Id text)
{
    ImportPlan plan;
    plan.problem = context.text(text);
    return plan;
}
} // namespace

ImportPlan PlanImport(QIODevice& device, Context& context, const ImportChoices& choices)
{
    ImportPlan plan;
    std::optional<FileRows> file = ReadFile(device, context, choices, plan);
    if (!file)
        return plan;
    planRows(*file, context, choices, plan);
    if (!plan.problem.isEmpty() || plan.question != ImportPlan::Question::None)
        return plan;
    compareWithPresent(context, plan);
    if (context.fillUps().lastRecord(context.user()) + plan.toImport() > FillUps::MaxRecord)
        return problem(context, Text::FileTooLarge);
    return plan;
}

ImportPlan PlanImport(const QByteArray& bytes, Context& context, const ImportChoices& choices)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return PlanImport(buffer, context, choices);
}

ImportPlan PlanImportFile(const QString& path, Context& context, const ImportChoices& choices)
{
    if (path == u"-") {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            ImportPlan plan;
            plan.problem = context.text(Text::CannotRead).arg(path, in.errorString());
            return plan;
        }
        return PlanImport(in, context, choices);
    }
    ImportPlan plan;
    const std::unique_ptr<QIODevice> file = OpenSource(path, context.speech(), plan.problem);
    return file ? PlanImport(*file, context, choices) : plan;
}

FillUps::Appended ApplyImport(Context& context, const ImportPlan& plan, const FillUps::Progress& progress)
{
    return context.fillUps().append(
        context.user(), qint64(plan.fillUps.size()), [&plan](size_t i) { return plan.fillUps[i]; },
        [&plan](const FillUpList& present) { return duplicatesOf(plan.fillUps, present); }, progress);
}
} // namespace Exchange

namespace Exchange
{
bool RememberColumns(Context& context, const ImportPlan& plan, const Assignment& columns)
{
    return context.users().setImportColumns(context.user(), plan.header.join(plan.separator), columns.text());
}
} // namespace Exchange
