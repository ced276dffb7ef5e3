#include "records/Report.h"

#include "records/FillUp.h"

#include "frame/Conversions.h"
#include "frame/StringTable.h"
#include "frame/Titles.h"

#include <algorithm>

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
const QString kPerHundred = QStringLiteral(" / 100 Kms");
const QString kTotal = QStringLiteral(" - Tot: ");
const QString kEuro = QStringLiteral(" €");

class RecordReader
{
public:
    RecordReader(const SettingsStore* store, const QString& user) : m_store(store), m_user(user) {}

    // A value never written reads as the default the original passes: 0 or "".
    QStringView text(QStringView prefix, qint64 n, QStringView fallback) const
    {
        const QString* value = m_store ? m_store->findNumbered(m_user, prefix, n) : nullptr;
        return value ? QStringView(*value) : fallback;
    }

    qint64 count() const
    {
        if (!m_store)
            return 0;
        // Each record has keys of its own, so a count edited by hand beyond
        // the keys of the section reads no further than they go.
        return std::min<qint64>(StoredRecordCount(*m_store, m_user), m_store->keyCount(m_user));
    }

private:
    const SettingsStore* m_store;
    const QString& m_user;
};

double numberOrZero(QStringView text)
{
    return tryLocaleNumber(text).value_or(0);
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

QString averageFigure(double average)
{
    return FormatPattern(Mixed(LocaleText(average)), u"00.000");
}

QString averageUnit(double average)
{
    return LocalizedText(average == 1 ? 195 : 198);
}

QString versionText()
{
    return QStringLiteral("Version ") + ProgramVersion();
}
} // namespace

ReportBody BuildReportBody(const SettingsStore* store, const QString& user)
{
    ReportBody body;
    const RecordReader records(store, user);
    const qint64 n = records.count();
    if (n == 0)
        return body;
    body.noRecords = false;

    const QString liters = LocalizedText(198);
    const QString monthLabel = LocalizedText(255);
    QString& out = body.text;
    out.reserve(qsizetype(std::min<qint64>(n, 1'000'000)) * 72 + 256);

    int count = 0;
    int monthCount = 0;
    double sum = 0;
    double monthSum = 0;
    double monthAmount = 0;
    QStringView date = records.text(u"Date", 1, u"0");
    for (qint64 i = 1; i <= n; ++i) {
        const QStringView tanko = records.text(u"Tanko", i, u"0");
        const QStringView payCom = records.text(u"PayCom", i, u"");
        const double conso = numberOrZero(tanko);
        const double amount = numberOrZero(records.text(u"Pay", i, u"0"));

        out += u' ';
        out += date;
        if (conso != 0) {
            ++count;
            ++monthCount;
            out += QStringLiteral(" - ");
            out += tanko;
            out += u' ';
            out += liters;
            out += kPerHundred;
        }
        if (amount != 0) {
            out += kTotal;
            out += LocaleText(amount);
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

        const QStringView next = i < n ? records.text(u"Date", i + 1, u"0") : QStringView();
        if (i < n && monthKey(date) == monthKey(next)) {
            date = next;
            continue;
        }
        const double monthAverage = monthCount > 0 ? monthSum / monthCount : 0;
        if (averageShown(monthAverage)) {
            out += kCrLf;
            out += QStringLiteral("- ");
            out += monthLabel;
            out += QStringLiteral(": ");
            out += averageFigure(monthAverage);
            out += u' ';
            out += averageUnit(monthAverage);
            out += kPerHundred;
        }
        if (monthAmount != 0) {
            out += kTotal;
            out += LocaleText(monthAmount);
            out += kEuro;
        }
        // The last month is closed only by its amount; the overall line
        // then starts after one line break less.
        if (i < n)
            out += kCrLf + kCrLf;
        else if (monthAmount != 0)
            out += kCrLf;
        monthCount = 0;
        monthSum = 0;
        monthAmount = 0;
        date = next;
    }

    body.TotalAverage = count > 0 ? sum / count : 0;
    out += kCrLf;
    if (body.totalAmount == 0)
        out += kCrLf;
    if (averageShown(body.TotalAverage)) {
        body.finalLine = true;
        body.averageText = averageFigure(body.TotalAverage);
        body.unitText = averageUnit(body.TotalAverage);
        out += QStringLiteral("- ");
        out += LocalizedText(204);
        out += QStringLiteral(": ");
        out += body.averageText;
        out += u' ';
        out += body.unitText;
        out += kPerHundred;
    }
    if (body.totalAmount != 0) {
        out += kTotal;
        out += LocaleText(body.totalAmount);
        out += kEuro;
    }
    return body;
}

Report ComposeReport(const ReportBody& body, const QString& user)
{
    const QString product = QStringLiteral("Tankometer");
    const QString version = versionText();
    const QString authorLabel = LocalizedText(261);
    const QString author = QStringLiteral("Remo Vastelli");
    const QString userLabel = LocalizedText(258);

    Report report;
    QString& text = report.text;
    text.reserve(body.text.size() + 128);
    text += u' ' + product + QStringLiteral(": ") + version + u'\n';
    text += u' ' + authorLabel + QStringLiteral(": ") + author + u'\n' + u'\n';
    text += u' ' + userLabel + QStringLiteral(": ") + user + u'\n' + u'\n';
    if (body.noRecords) {
        text += u' ' + LocalizedText(192);
    } else {
        text += body.text;
        text += kCrLf;
    }

    const qsizetype lp = product.size();
    const qsizetype lv = version.size();
    const qsizetype lal = authorLabel.size();
    const qsizetype la = author.size();
    const qsizetype lul = userLabel.size();
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
        return report;
    // The final line is found from the end; the 2 is the closing CR LF.
    const qsizetype l = text.size();
    const QString figureToEnd = body.averageText + u' ' + body.unitText + kPerHundred;
    const qsizetype lt = 2 + LocalizedText(204).size() + 2 + figureToEnd.size();
    const QString amount = body.totalAmount != 0 ? LocaleText(body.totalAmount) : QString();
    const qsizetype lpart = body.totalAmount != 0 ? kTotal.size() + amount.size() + kEuro.size() : 0;
    report.runs.push_back({l - lt - lpart - 2, lt + lpart, ReportRun::Bold});
    report.runs.push_back({l - figureToEnd.size() - lpart - 2, body.averageText.size(), ReportRun::Teal});
    if (body.totalAmount != 0)
        report.runs.push_back({l - amount.size() - kEuro.size() - 2, amount.size(), ReportRun::Teal});
    return report;
}

Report BuildReport(const SettingsStore* store, const QString& user)
{
    return ComposeReport(BuildReportBody(store, user), user);
}

LineBreakMap::LineBreakMap(QStringView text)
{
    m_documentText.reserve(text.size());
    qsizetype from = 0;
    for (qsizetype cr = text.indexOf(u"\r\n"); cr >= 0; cr = text.indexOf(u"\r\n", from)) {
        m_documentText += text.sliced(from, cr - from);
        m_documentText += u'\n';
        m_carriageReturns.push_back(cr);
        from = cr + 2;
    }
    m_documentText += text.sliced(from);
}

qsizetype LineBreakMap::documentOffset(qsizetype offset) const
{
    const auto before = std::lower_bound(m_carriageReturns.begin(), m_carriageReturns.end(), offset);
    return offset - (before - m_carriageReturns.begin());
}
