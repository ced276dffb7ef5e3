#include "gui/accessories/Form6.h"

#include "core/frame/Conversions.h"
#include "core/frame/Titles.h"
#include "gui/WindowContext.h"
#include "gui/base/Appearance.h"
#include "gui/base/Colours.h"
#include "ui_Form6.h"

#include <QLabel>
#include <QShowEvent>

namespace
{
bool sameNames(const QLocale& locale, const LocaleInfo& info)
{
    for (int m = 1; m <= 12; ++m)
        if (locale.standaloneMonthName(m, QLocale::LongFormat) != info.monthNames.value(m - 1))
            return false;
    for (int d = 1; d <= 7; ++d)
        if (locale.dayName(d, QLocale::LongFormat) != info.weekdayNames.value(d - 1))
            return false;
    return true;
}

// The calendar control names months and days from a QLocale, the date label
// from the user's notation: find a locale that speaks the same names, the
// language's main country first, so both read alike.
QLocale calendarLocale(const LocaleInfo& info)
{
    if (sameNames(QLocale::system(), info))
        return QLocale::system();
    const auto all = QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    for (const QLocale& candidate : all) {
        if (!sameNames(candidate, info))
            continue;
        const QLocale main(candidate.language());
        return sameNames(main, info) ? main : candidate;
    }
    return QLocale::system();
}
} // namespace

Form6::Form6(WindowContext& context, const QString& mainDate, QWidget* parent)
    : QDialog(parent), m_ctx(context), ui(std::make_unique<Ui::Form6>()),
      m_names(context.announcer(), context.speech()), m_mainDate(mainDate)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    // Its own empty icon: without one the window would show the program's.
    setWindowIcon(QIcon());
    Colours::follow(this);
    ui->MonthView1->setLocale(calendarLocale(m_ctx.locale()));

    // The calendar is read as the long date it has selected.
    m_names.nameAfter(ui->MonthView1, {ui->Label1});

    connect(ui->MonthView1, &QCalendarWidget::clicked, this, &Form6::MonthView1_DateClick);
    // Enter on a date chooses it as a click does, for those who use the keys.
    connect(ui->MonthView1, &QCalendarWidget::activated, this, &Form6::MonthView1_DateClick);
    connect(ui->Command1, &QPushButton::clicked, this, &Form6::Command1_Click);
}

Form6::~Form6() = default;

void Form6::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (shownByProgram(this, event))
        Form_Activate();
}

void Form6::Form_Activate()
{
    setWindowTitle(UserWindowTitle(m_ctx.user()));
    QDate date = DateFromText(m_mainDate, m_ctx.locale());
    // The label may hold a date of another locale (changed since the last
    // run): start from today and leave the label alone until a click.
    if (!date.isValid() || date < ui->MonthView1->minimumDate() || date > ui->MonthView1->maximumDate())
        date = m_ctx.services().clock->today();
    ui->MonthView1->setSelectedDate(date);
    ui->Label1->setText(FormatPattern(date, u"dddd dd mmmm yyyy", m_ctx.locale()));
    m_names.nameControls(this);
    // The calendar's own arrows show only a picture; its day table and the
    // year field that its year button opens, nothing at all.
    const std::pair<const char*, Text::Id> unnamed[] = {{"qt_calendar_prevmonth", Text::PreviousMonth},
                                                        {"qt_calendar_nextmonth", Text::NextMonth},
                                                        {"qt_calendar_calendarview", Text::DaysOfMonth},
                                                        {"qt_calendar_yearedit", Text::Year}};
    for (const auto& [part, name] : unnamed)
        if (auto* control = ui->MonthView1->findChild<QWidget*>(QLatin1String(part)))
            m_names.setName(control, m_ctx.text(name));
}

void Form6::MonthView1_DateClick(QDate DateClicked)
{
    m_mainDate = FormatPattern(DateClicked, u"dd mmmm yyyy", m_ctx.locale());
    emit dateChosen(m_mainDate);
    ui->Label1->setText(FormatPattern(DateClicked, u"dddd dd mmmm yyyy", m_ctx.locale()));
    m_names.nameControls(this);
}

void Form6::Command1_Click()
{
    accept();
}
