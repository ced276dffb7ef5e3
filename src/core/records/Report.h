#pragma once

#include "core/frame/Speech.h"
#include "core/records/FillUps.h"

#include <QString>
#include <QStringView>

#include <vector>

// The averages report of one user, built from the stored fill-ups without any
// widget: the text exactly as the window shows it and the runs of characters
// that it sets in bold or teal. The window only copies both into its text box.

// The body: one line per fill-up in stored order, an average line after each
// run of consecutive fill-ups of one month, the overall line. CR LF breaks.
struct ReportBody
{
    QString text;            // ReportText
    double TotalAverage = 0; // mean of the non-zero consumptions
    double totalAmount = 0;  // Euro amounts added up
    bool noRecords = true;   // no record is present up to the count
    bool finalLine = false;  // the overall average line was written
    QString averageText;     // that line's figure, 07.467
    QString unitText;        // that line's unit, Liters or Liter
};

// Built from the records present, skipping missing ones. A consumption or
// amount that is not a number counts as 0; a sum beyond the range of numbers
// shows the error text.
ReportBody BuildReportBody(const FillUpList& records, const Speech& speech);

struct ReportRun
{
    enum Style
    {
        Bold,
        Teal
    };
    qsizetype start = 0;
    qsizetype length = 0;
    Style style = Bold;
    bool operator==(const ReportRun&) const = default;
};

struct Report
{
    QString text;                // header with LF breaks, then the body with CR LF
    std::vector<ReportRun> runs; // in the order they are applied
};

// Puts the header (product, version, author, user) in front of the body, or
// the no-data line when there is no record, and places the styled runs.
Report ComposeReport(const ReportBody& body, const QString& user, const Speech& speech);

// The whole report of the user's records as the window shows it, and its
// overall average.
Report BuildReport(const FillUpList& records, const QString& user, const Speech& speech,
                   double* totalAverage = nullptr);

// The total average of the status bar: "06.03 Liters / 100 Kms", the
// unformatted figure below 1, "No saved data" without one.
QString TotalAverageText(const FillUps::Average& average, const Speech& speech);

// A text box keeps one character per line break where the report has CR LF.
// This turns the text into that form, in place, and moves offsets of the
// report onto it, so that the same characters are styled.
class LineBreakMap
{
public:
    explicit LineBreakMap(QString& text);
    qsizetype documentOffset(qsizetype offset) const;

private:
    std::vector<qsizetype> m_carriageReturns; // offsets of the CR of each CR LF
};
