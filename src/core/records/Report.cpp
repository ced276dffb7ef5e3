#include "core/records/Report.h"

#include "core/records/FillUpList.h"

#include "core/frame/Conversions.h"
#include "core/frame/Memory.h"
#include "core/frame/StringTable.h"
#include "core/frame/Titles.h"

#include <algorithm>
#include <cmath>

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
const QString kPerHundred = QStringLiteral(" / 100 Kms");
const QString kTotal = QStringLiteral(" - Tot: ");
const QString kEuro = QStringLiteral(" €");

// A value never written reads as the default the original passes: 0 or "".
QStringView text(const FillUpList& records, size_t position, FillUpList::Field field, QStringView fallback)
{
    const QStringView value = records.text(position, field);
    return value.isNull() ? fallback : value;
}

// A consumption or amount that is absent or no number counts as 0.
double orZero(double value)
{
    return std::isnan(value) ? 0 : value;
}

// Characters 4 to 8 of the date text: the month name cut to five letters, or
// less of it for short names ("May 2"). The year mostly falls outside.
QStringView monthKey(QStringView date)
{
    if (date.size() < 4)
        return {};
    return date.sliced(3, std::min<qsizetype>(5, date.size() - 3));
}

// An average gets a line when it is 0, exactly 1 or above 1; one between 0
// and 1, or negative, is left out.
bool averageShown(double average)
{
    return average == 0 || average >= 1;
}

// A sum beyond the range of numbers shows the error text, never "1.#INF".
QString averageFigure(double average, const Speech& speech)
{
    return std::isfinite(average)
               ? FormatPattern(NumberOrText(LocaleText(average, speech.locale)), u"00.000", speech.locale)
               : speech.text(Text::Error);
}

// The amount as LocaleText writes it. Most stored amounts are in that form
// already (digits, the user's separator, no trailing zero), and are copied:
// writing 100,000 numbers anew is half the report's time.
void appendAmount(QString& out, QStringView stored, double amount, const LocaleInfo& locale)
{
    const QChar separator = locale.decimalSeparator;
    const qsizetype point = stored.indexOf(separator);
    const QStringView whole = point < 0 ? stored : stored.first(point);
    const QStringView fraction = point < 0 ? QStringView() : stored.sliced(point + 1);
    const auto digits = [](QStringView s) {
        return std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    const bool written = !whole.isEmpty() && digits(whole) && digits(fraction) &&
                         whole.size() + fraction.size() <= 15 &&
                         (point < 0 || (!fraction.isEmpty() && fraction.back() != u'0')) &&
                         (whole[0] != u'0' || (whole.size() == 1 && point >= 0 && fraction[0] != u'0'));
    if (written)
        out += stored;
    else
        out += LocaleText(amount, locale);
}

QString euros(double amount, const Speech& speech)
{
    return std::isfinite(amount) ? LocaleText(amount, speech.locale) : speech.text(Text::Error);
}

QString averageUnit(double average, const Speech& speech)
{
    return speech.text(average == 1 ? Text::Liter : Text::Liters);
}

QString versionText()
{
    return QStringLiteral("Version ") + ProgramVersion();
}

// Writes the body line by line into out; body gets what the final line and
// the header need.
class BodyWriter
{
public:
    BodyWriter(QString& out, const FillUpList& records, ReportBody& body, const Speech& speech)
        : out(out), records(records), body(body), speech(speech), liters(speech.text(Text::Liters))
    {
    }

    void write()
    {
        if (records.empty())
            return;
        body.noRecords = false;
        QStringView date = text(records, 0, FillUpList::Date, u"0");
        for (size_t k = 0; k < records.size(); ++k) {
            const bool last = k + 1 == records.size();
            fillUpLine(k, date);
            const QStringView next = last ? QStringView() : text(records, k + 1, FillUpList::Date, u"0");
            if (last || monthKey(date) != monthKey(next))
                monthLine(last);
            date = next;
        }
        finalLine();
    }

private:
    // " date - 06.15 Liters / 100 Kms - Tot: 60 € (46.80 USD)"
    void fillUpLine(size_t k, QStringView date)
    {
        const double conso = orZero(records.value(k, FillUpList::Consumption));
        const double amount = orZero(records.value(k, FillUpList::Euro));
        const QStringView payCom = text(records, k, FillUpList::Paid, u"");
        out += u' ';
        out += date;
        if (conso != 0) {
            ++count;
            ++monthCount;
            out += QStringLiteral(" - ");
            out += text(records, k, FillUpList::Consumption, u"0");
            out += u' ';
            out += liters;
            out += kPerHundred;
        }
        if (amount != 0) {
            out += kTotal;
            appendAmount(out, records.text(k, FillUpList::Euro), amount, speech.locale);
            out += kEuro;
        }
        if (!payCom.isEmpty()) {
            out += QStringLiteral(" (");
            out += payCom;
            out += u')';
        }
        out += kCrLf;
        sum += conso;
        body.totalAmount += amount;
        monthSum += conso;
        monthAmount += amount;
    }

    void monthLine(bool last)
    {
        const double monthAverage = monthCount > 0 ? monthSum / monthCount : 0;
        if (averageShown(monthAverage)) {
            out += kCrLf;
            out += QStringLiteral("- ");
            out += speech.text(Text::MonthlyAverage);
            out += QStringLiteral(": ");
            out += averageFigure(monthAverage, speech);
            out += u' ';
            out += averageUnit(monthAverage, speech);
            out += kPerHundred;
        }
        if (monthAmount != 0) {
            out += kTotal;
            out += euros(monthAmount, speech);
            out += kEuro;
        }
        // The last month is closed only by its amount; the overall line
        // then starts after one line break less.
        if (!last)
            out += kCrLf + kCrLf;
        else if (monthAmount != 0)
            out += kCrLf;
        monthCount = 0;
        monthSum = 0;
        monthAmount = 0;
    }

    void finalLine()
    {
        body.TotalAverage = count > 0 ? sum / count : 0;
        out += kCrLf;
        if (body.totalAmount == 0)
            out += kCrLf;
        if (averageShown(body.TotalAverage)) {
            body.finalLine = true;
            body.averageText = averageFigure(body.TotalAverage, speech);
            body.unitText = averageUnit(body.TotalAverage, speech);
            out += QStringLiteral("- ");
            out += speech.text(Text::TotalAverage);
            out += QStringLiteral(": ");
            out += body.averageText;
            out += u' ';
            out += body.unitText;
            out += kPerHundred;
        }
        if (body.totalAmount != 0) {
            out += kTotal;
            out += euros(body.totalAmount, speech);
            out += kEuro;
        }
    }

    QString& out;
    const FillUpList& records;
    ReportBody& body;
    const Speech& speech;
    const QString liters;
    int count = 0;
    int monthCount = 0;
    double sum = 0;
    double monthSum = 0;
    double monthAmount = 0;
};

void appendBody(QString& out, const FillUpList& records, ReportBody& body, const Speech& speech)
{
    BodyWriter(out, records, body, speech).write();
}

void appendHeader(QString& text, const QString& user, const Speech& speech)
{
    text += QStringLiteral(" Tankometer: ") + versionText() + u'\n';
    text += u' ' + speech.text(Text::ReportAuthor) + QStringLiteral(": Remo Vastelli\n\n");
    text += u' ' + speech.text(Text::ReportUser) + QStringLiteral(": ") + user + QStringLiteral("\n\n");
}

// The header's runs, and the final line's found from the end of the text.
void placeRuns(Report& report, const ReportBody& body, const QString& user, const Speech& speech)
{
    const qsizetype lp = QStringLiteral("Tankometer").size();
    const qsizetype lv = versionText().size();
    const qsizetype lal = speech.text(Text::ReportAuthor).size();
    const qsizetype la = QStringLiteral("Remo Vastelli").size();
    const qsizetype lul = speech.text(Text::ReportUser).size();
    const qsizetype lu = user.size();
    report.runs = {
        {1, lp, ReportRun::Bold},
        {lp + 3, lv + 1, ReportRun::Teal},
        {lp + lv + 5, lal, ReportRun::Bold},
        {lp + lv + lal + 7, la, ReportRun::Teal},
        {lp + lv + lal + la + 10, lul, ReportRun::Bold},
        {lp + lv + lal + la + lul + 12, lu, ReportRun::Teal},
    };

    if (body.noRecords || !body.finalLine)
        return;
    // The 2 is the closing CR LF.
    const qsizetype l = report.text.size();
    const QString figureToEnd = body.averageText + u' ' + body.unitText + kPerHundred;
    const qsizetype lt = 2 + speech.text(Text::TotalAverage).size() + 2 + figureToEnd.size();
    const QString amount = body.totalAmount != 0 ? euros(body.totalAmount, speech) : QString();
    const qsizetype lpart = body.totalAmount != 0 ? kTotal.size() + amount.size() + kEuro.size() : 0;
    report.runs.push_back({l - lt - lpart - 2, lt + lpart, ReportRun::Bold});
    report.runs.push_back({l - figureToEnd.size() - lpart - 2, body.averageText.size(), ReportRun::Teal});
    if (body.totalAmount != 0)
        report.runs.push_back({l - amount.size() - kEuro.size() - 2, amount.size(), ReportRun::Teal});
}

void appendEnd(QString& text, const ReportBody& body, const Speech& speech)
{
    if (body.noRecords)
        text += u' ' + speech.text(Text::NoSavedData);
    else
        text += kCrLf;
}
} // namespace

ReportBody BuildReportBody(const FillUpList& records, const Speech& speech)
{
    ReportBody body;
    body.text.reserve(qsizetype(records.size()) * 72);
    appendBody(body.text, records, body, speech);
    return body;
}

Report ComposeReport(const ReportBody& body, const QString& user, const Speech& speech)
{
    Report report;
    report.text.reserve(body.text.size() + 128);
    appendHeader(report.text, user, speech);
    report.text += body.text;
    appendEnd(report.text, body, speech);
    placeRuns(report, body, user, speech);
    return report;
}

// The body is written straight after the header: at 100,000 fill-ups a copy
// of it is 13 MB.
Report BuildReport(const FillUpList& records, const QString& user, const Speech& speech, double* totalAverage)
{
    Report report;
    ReportBody body;
    report.text.reserve(qsizetype(records.size()) * 72 + 256);
    PreferLargePages(report.text.constData(), size_t(report.text.capacity()) * sizeof(QChar));
    appendHeader(report.text, user, speech);
    appendBody(report.text, records, body, speech);
    appendEnd(report.text, body, speech);
    placeRuns(report, body, user, speech);
    if (totalAverage)
        *totalAverage = body.TotalAverage;
    return report;
}

QString TotalAverageText(const FillUps::Average& average, const Speech& speech)
{
    if (average.outOfRange)
        return speech.text(Text::Error);
    const double avg = average.value;
    if (avg == 0)
        return speech.text(Text::NoSavedData);
    if (avg >= 1)
        return FormatPattern(avg, u"00.00", speech.locale) + u' ' + speech.text(avg == 1 ? Text::Liter : Text::Liters) +
               QStringLiteral(" / 100 Kms");
    return LocaleText(avg, speech.locale);
}

LineBreakMap::LineBreakMap(QString& text)
{
    // In place: the report may be ten megabytes.
    qsizetype to = 0;
    for (qsizetype from = 0; from < text.size(); ++from) {
        if (text[from] == u'\r' && from + 1 < text.size() && text[from + 1] == u'\n') {
            m_carriageReturns.push_back(from);
            continue;
        }
        text[to++] = text[from];
    }
    text.truncate(to);
}

qsizetype LineBreakMap::documentOffset(qsizetype offset) const
{
    const auto before = std::lower_bound(m_carriageReturns.begin(), m_carriageReturns.end(), offset);
    return offset - (before - m_carriageReturns.begin());
}
