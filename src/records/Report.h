#pragma once

#include "frame/SettingsStore.h"

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
    bool noRecords = true;   // the stored count was 0 (or unusable)
    bool finalLine = false;  // the overall average line was written
    QString averageText;     // that line's figure, 07.467
    QString unitText;        // that line's unit, Liters or Liter
};

// Reads the records of `user` from `store` (none when the store is null). A
// count, consumption or amount that the user's notation cannot read is 0.
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

// The whole report of `user` as the window shows it.
Report BuildReport(const SettingsStore* store, const QString& user);

// A text box keeps one character per line break where the report has CR LF.
// This gives the text in that form and moves offsets of the report onto it,
// so that the same characters are styled.
class LineBreakMap
{
public:
    explicit LineBreakMap(QStringView text);
    const QString& documentText() const { return m_documentText; }
    qsizetype documentOffset(qsizetype offset) const;

private:
    QString m_documentText;
    std::vector<qsizetype> m_carriageReturns; // offsets of the CR of each CR LF
};
