#include "core/frame/LocaleInfo.h"

LocaleInfo LocaleInfo::fromQLocale(const QLocale& locale)
{
    LocaleInfo info;
    info.decimalSeparator = locale.decimalPoint().at(0);
    const QString group = locale.groupSeparator();
    info.groupSeparator = group.isEmpty() ? QChar(u',') : group.at(0);
    for (int m = 1; m <= 12; ++m)
        info.monthNames << locale.standaloneMonthName(m, QLocale::LongFormat);
    for (int d = 1; d <= 7; ++d)
        info.weekdayNames << locale.dayName(d, QLocale::LongFormat);
    info.shortDateFormat = locale.dateFormat(QLocale::ShortFormat);
    return info;
}

LocaleInfo LocaleInfo::english()
{
    return fromQLocale(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

LocaleInfo LocaleInfo::french()
{
    return fromQLocale(QLocale(QLocale::French, QLocale::France));
}

LocaleInfo LocaleInfo::dutch()
{
    return fromQLocale(QLocale(QLocale::Dutch, QLocale::Netherlands));
}

bool LocaleInfo::isGroupSeparator(QChar c) const
{
    if (c == groupSeparator)
        return true;
    // French groups with a (narrow) no-break space; people type a plain one.
    if (groupSeparator.isSpace())
        return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F);
    return false;
}
