#pragma once

#include "core/frame/SettingsStore.h"

#include <QString>
#include <QStringView>

#include <vector>

class FillUpTable;

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

// Built from the records present (none when the store is null), skipping
// missing ones. A consumption or amount that is not a number counts as 0; a
// sum beyond the range of numbers shows the error text.
ReportBody BuildReportBody(const FillUpTable& records);
ReportBody BuildReportBody(const SettingsStore* store, const QString& user);

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
Report ComposeReport(const ReportBody& body, const QString& user);

// The whole report of the records' user as the window shows it, and its
// overall average.
Report BuildReport(const FillUpTable& records, double* totalAverage = nullptr);
Report BuildReport(const SettingsStore* store, const QString& user);

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
