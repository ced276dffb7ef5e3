// The summary of an import, asked before anything is written: what the file
// is, which column feeds what and what is left out, the counts, and every
// line refused or passed over, said with its reason.
#include "core/filetype/Exchange.h"

#include "core/filetype/ExchangeDialect.h"
#include "core/frame/Plural.h"

#include <QDir>
#include <QRegularExpression>

namespace Exchange
{
namespace
{
// A column's title without the unit or note in brackets at its end:
// "Odo (km)" is "Odo".
QString shown(const QString& title)
{
    static const QRegularExpression note(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QString t = title.trimmed();
    const QString bare = QString(t).remove(note);
    return bare.isEmpty() ? t : bare;
}

Text::Id orderName(DateOrder order)
{
    return order == DateOrder::Dmy ? Text::DayFirst : order == DateOrder::Mdy ? Text::MonthFirst : Text::YearFirst;
}

// "Odo (km), odometer differences": the column and how it is read.
QString source(const ImportPlan& plan, Role role, const Speech& s)
{
    const Assignment& a = plan.assignment;
    const QString column = shown(plan.header.value(a.column(role)));
    QStringList how;
    if (role == Date && plan.dateOrder != DateOrder::Unknown)
        how << s.text(orderName(plan.dateOrder));
    if ((role == Odometer || role == Distance) && a.has(DistanceUnit))
        how << s.text(Text::EachLineSays).arg(shown(plan.header.value(a.column(DistanceUnit))));
    else if (role == Odometer || role == Distance)
        how << s.text(unitName(a.unit(role)));
    if (role == Litres && a.has(VolumeUnit))
        how << s.text(Text::EachLineSays).arg(shown(plan.header.value(a.column(VolumeUnit))));
    else if (role == Litres)
        how << s.text(unitName(a.unit(role)));
    if (role == Amount || role == UnitPrice)
        how << s.text(role == Amount ? Text::AmountTotal : Text::AmountPerUnit);
    // The currency of amounts that do not name theirs.
    if ((role == Amount || role == UnitPrice) && !a.has(Currency))
        how << (a.use[role].how.isEmpty() ? QStringLiteral("€") : a.use[role].how);
    QString text = how.isEmpty() ? column : column + QStringLiteral(" (") + how.join(QStringLiteral(", ")) + u')';
    if (role == Odometer)
        text += QStringLiteral(", ") + s.text(Text::OdometerDifferences);
    return text;
}

// Why a column that is not read is left out.
Text::Id whyLeftOut(const QString& title, const Assignment& generic, int column, const Assignment& a)
{
    static const QRegularExpression consumption(
        QStringLiteral("l\\s*/\\s*100|mpg|km\\s*/\\s*l|consumption|economy|efficiency|verbrauch|consommation|"
                       "verbruik|consumo"),
        QRegularExpression::CaseInsensitiveOption);
    if (consumption.match(title).hasMatch())
        return Text::ComputedHere;
    if (generic.column(Distance) == column && a.has(Odometer))
        return Text::OdometerGives;
    if ((generic.column(UnitPrice) == column || generic.column(Amount) == column) && a.has(Amount))
        return Text::TotalRead;
    return Text::NotKept;
}
} // namespace

QString RefusalLine(const Refusal& r, const Speech& s)
{
    const QString where = r.lastLine > r.line
                              ? s.text(Text::Rows) + u' ' + QString::number(r.line) + u'-' + QString::number(r.lastLine)
                              : s.text(Text::Row) + u' ' + QString::number(r.line);
    return where + QStringLiteral(": ") + r.reason;
}

QString AssignmentLine(const ImportPlan& plan, const Speech& s)
{
    static const Role shownRoles[] = {Date,    Odometer, Distance, Litres, Amount, UnitPrice, Currency,    Full,
                                      Partial, Missed,   Vehicle,  Fuel,   Kind,   Tank,      Consumption, Paid};
    QStringList parts;
    for (const Role role : shownRoles) {
        if (!plan.assignment.has(role) || (role == UnitPrice && plan.assignment.has(Amount)))
            continue;
        const Role named = role == Odometer ? Distance : role == UnitPrice ? Amount : role;
        parts << s.text(roleName(named)) + QStringLiteral(" ← ") + source(plan, role, s);
    }
    return parts.join(QStringLiteral("; "));
}

QString LeftOutLine(const ImportPlan& plan, const Speech& s)
{
    const Assignment generic = columnsOf(plan.header);
    std::map<Text::Id, QStringList> byReason;
    for (int c = 0; c < plan.header.size(); ++c) {
        const auto& use = plan.assignment.use;
        if (plan.header[c].trimmed().isEmpty() ||
            std::any_of(use.begin(), use.end(), [c](const Use& u) { return u.column == c; }))
            continue;
        byReason[whyLeftOut(plan.header[c], generic, c, plan.assignment)] << shown(plan.header[c]);
    }
    QStringList parts;
    for (auto& [reason, names] : byReason) {
        const qsizetype more = names.size() - 6;
        if (more > 0)
            names = names.first(6) << Plural(s, Text::AndMore, more);
        parts << names.join(QStringLiteral(", ")) + QStringLiteral(" (") + s.text(reason) + u')';
    }
    return parts.isEmpty() ? QString() : s.text(Text::LeftOutColumns).arg(parts.join(QStringLiteral("; ")));
}

QString Summary(const ImportPlan& plan, const Context& context, const QString& path)
{
    const Speech& s = context.speech();
    QStringList lines = {s.text(Text::ImportQuestion).arg(context.user()), QDir::toNativeSeparators(path)};
    if (!appName(plan.app).isEmpty() || !plan.vehicle.isEmpty())
        lines << (appName(plan.app).isEmpty() ? s.text(Text::VehicleOnly).arg(plan.vehicle)
                  : plan.vehicle.isEmpty()    ? s.text(Text::ExportOf).arg(appName(plan.app))
                                              : s.text(Text::ExportOfVehicle).arg(appName(plan.app), plan.vehicle));
    lines << AssignmentLine(plan, s);
    if (const QString leftOut = LeftOutLine(plan, s); !leftOut.isEmpty())
        lines << leftOut;
    for (const QString& reason : plan.confirm)
        lines << s.text(Text::ToConfirm).arg(reason);
    lines << QString();
    QString toImport = Plural(s, Text::ToImport, plan.toImport());
    QStringList flags;
    if (plan.partial > 0)
        flags << Plural(s, Text::PartialCount, plan.partial);
    if (plan.missed > 0)
        flags << Plural(s, Text::MissedCount, plan.missed);
    if (!flags.isEmpty())
        toImport += QStringLiteral(" (") + flags.join(QStringLiteral(", ")) + u')';
    lines << toImport << Plural(s, Text::AlreadyPresent, plan.duplicates)
          << Plural(s, Text::LinesRefused, plan.refused.lines);
    lines += plan.leftOut;
    for (const Refusal& r : plan.refused.first)
        lines << RefusalLine(r, s);
    if (plan.refused.entries > qint64(plan.refused.first.size()))
        lines << QStringLiteral("…");
    if (plan.olderThanPresent)
        lines << QString() << s.text(Text::OlderOffer);
    return lines.join(u'\n');
}

QString CountLine(qint64 count, const Speech& speech)
{
    return speech.text(Text::FillUpCount).arg(count);
}
} // namespace Exchange
