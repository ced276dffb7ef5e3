#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

// The number and date notation of the user's account: what the conversions
// need to know, and nothing of the interface language.
struct LocaleInfo
{
    QChar decimalSeparator = u'.';
    QChar groupSeparator = u',';
    QStringList monthNames;   // 12 full names, January first
    QStringList weekdayNames; // 7 full names, Monday first
    QString shortDateFormat;  // QDate format string

    static LocaleInfo fromQLocale(const QLocale& locale);
    static LocaleInfo english(); // "." decimal, "," grouping
    static LocaleInfo french();  // "," decimal, narrow no-break space grouping
    static LocaleInfo dutch();   // "," decimal, "." grouping

    bool isGroupSeparator(QChar c) const;
};
