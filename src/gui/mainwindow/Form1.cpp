#include "gui/mainwindow/Form1.h"

#include "core/currency/Currencies.h"
#include "core/currency/CurrencyRates.h"
#include "core/frame/Titles.h"
#include "core/records/FillUps.h"
#include "core/records/Report.h"
#include "gui/WindowContext.h"
#include "gui/accessories/Form4.h"
#include "gui/accessories/Form6.h"
#include "gui/accessories/Pictures.h"
#include "gui/base/Appearance.h"
#include "gui/base/Colours.h"
#include "gui/currency/Form7.h"
#include "gui/filetype/ImportExport.h"
#include "gui/records/Form2.h"
#include "ui_Form1.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStatusBar>

Form1::Form1(WindowContext& context, QWidget* parent)
    : QWidget(parent), m_ctx(context), ui(std::make_unique<Ui::Form1>()), m_names(context.announcer(), context.speech())
{
    Accessibility::readAsFrame(this);
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setWindowIcon(programIcon());
    Colours::follow(this);

    Text1 = {ui->Text1_0, ui->Text1_1, ui->Text1_2, ui->Text1_3};
    Label1 = {ui->Label1_0, ui->Label1_1, ui->Label1_2, ui->Label1_3, ui->Label1_4,
              ui->Label1_5, ui->Label1_6, ui->Label1_7, ui->Label1_8};
    Label2 = ui->Label2;
    // Designer keeps whole points only.
    QFont currencyFont = Label2->font();
    currencyFont.setPointSizeF(11.25);
    Label2->setFont(currencyFont);

    for (int i = 0; i < int(Text1.size()); ++i) {
        connect(Text1[i], &QLineEdit::textChanged, this, [this, i] { Text1_Change(i); });
        Text1[i]->installEventFilter(this);
    }
    for (QLabel* label : Label1)
        label->installEventFilter(this);
    Pictures::showIn(ui->Image1, Pictures::Main);
    connect(ui->Image1, &Picture::clicked, this, &Form1::Image1_Click);

    connect(ui->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(ui->Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(ui->Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(ui->Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(ui->Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(ui->Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(ui->Command8, &QPushButton::clicked, this, &Form1::Command8_Click);
    connect(ui->Command9, &QPushButton::clicked, this, &Form1::Command9_Click);

    Timer1.setInterval(500);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    makeStatusBar();
    Form_Load();
}

Form1::~Form1() = default;

// The date and the time keep themselves current; the third panel shows the
// total average. A screen reader reads each field as its label and each
// result with the heading above it.
void Form1::makeStatusBar()
{
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(ui->StatusBar1);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
    }
    m_panels[0]->setFixedWidth(1440 / 15);
    m_panels[1]->setFixedWidth(1510 / 15);
    ui->StatusBar1->addWidget(m_panels[0]);
    ui->StatusBar1->addWidget(m_panels[1]);
    ui->StatusBar1->addWidget(m_panels[2], 1);
    Accessibility::labelField(Label1[2], Text1[0]);
    Accessibility::labelField(Label1[3], Text1[1]);
    Accessibility::labelField(Label1[4], Text1[2]);
    Accessibility::labelField(Label1[7], Text1[3]);
    m_names.nameAfter(Label1[0], {Label1[5], Label1[0]});
    m_names.nameAfter(Label1[1], {Label1[6], Label1[1]});
    m_names.nameAfter(m_panels[2], {m_panels[2]});
    m_names.nameAfter(ui->Image1, {ui->Image1});
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &Form1::updateClock);
    m_clock.start();
    updateClock();
}

void Form1::Form_Load()
{
    Label1[8]->setText(FormatPattern(m_ctx.services().clock->today(), u"dd mmmm yyyy", m_ctx.locale()));
}

void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shownByProgram(this, event, m_placed, Text1[1]))
        Form_Activate();
}

void Form1::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    emit closed();
}

EntryTexts Form1::entryTexts() const
{
    return {Text1[0]->text(), Text1[1]->text(), Text1[2]->text(), Text1[3]->text()};
}

AmountProblem Form1::amountProblem() const
{
    return CheckAmount(Text1[3]->text(), CurDevName != u"Euro", CurRateBis, m_ctx.locale());
}

void Form1::Form_Activate()
{
    setWindowTitle(UserWindowTitle(m_ctx.user()));
    SelLang();
    MoyTot = 0;
    CalcKms();
    CalLtrs();
    MoyenneTot();
    ui->Command2->setEnabled(SaveEnabledOnActivation(entryTexts(), m_distanceError, m_consumptionError));
}

void Form1::updateClock()
{
    const QDateTime now = m_ctx.services().clock->now();
    m_panels[0]->setText(now.date().toString(m_ctx.locale().shortDateFormat));
    m_panels[1]->setText(now.time().toString(QStringLiteral("HH:mm")));
}

void Form1::Timer1_Timer()
{
    setLabel2Shown(!m_label2Shown);
}

// The blink hides the name by its colour: hiding the label itself would tell a
// screen reader twice a second.
void Form1::setLabel2Shown(bool shown)
{
    if (shown == m_label2Shown)
        return;
    m_label2Shown = shown;
    Label2->setStyleSheet(shown ? QStringLiteral("color: %1;").arg(Colours::readable(Colours::Maroon, palette()).name())
                                : QStringLiteral("color: transparent;"));
}

void Form1::showCaption(QLabel* label, const Caption& caption, bool& error)
{
    m_names.showResult(label, caption.text);
    error = caption.error;
}

void Form1::CalcKms()
{
    const CaptionOutcome out = ::CalcKms(values, entryTexts(), m_ctx.speech());
    if (out.caption)
        showCaption(Label1[0], *out.caption, m_distanceError);
    if (out.failed)
        ui->Command2->setEnabled(false);
}

void Form1::CalLtrs()
{
    const CaptionOutcome out = ::CalLtrs(values, entryTexts(), m_distanceError, amountProblem(), m_ctx.speech());
    if (out.caption)
        showCaption(Label1[1], *out.caption, m_consumptionError);
    ui->Command2->setEnabled(!out.failed && out.saveEnabled);
}

void Form1::MoyenneTot()
{
    const FillUps::Average average = m_ctx.fillUps().average(m_ctx.user());
    MoyTot = average.value;
    m_names.showResult(m_panels[2], TotalAverageText(average, m_ctx.speech()));
}

// The tooltip of the amount field and its caption: by the currency, or why the
// amount cannot be saved (a screen reader reads it as the field's description).
void Form1::showAmountTooltip(const QString& byCurrency)
{
    const QString problem = AmountProblemText(amountProblem(), m_ctx.speech());
    const QString tip = problem.isEmpty() ? byCurrency : problem;
    Text1[3]->setToolTip(tip);
    Label1[7]->setToolTip(tip);
}

void Form1::Text1_Change(int Index)
{
    // What Enter told no longer holds: the field is described by its tooltip again.
    if (!Text1[3]->accessibleDescription().isEmpty())
        Text1[3]->setAccessibleDescription(QString());
    CalcKms();
    CalLtrs(); // an amount that cannot be saved shows the error text there
    MoyenneTot();
    if (Index != 3)
        return;
    if (CurDevName == u"Euro")
        showAmountTooltip(m_ctx.text(Text::PaidAmountInEuro));
    else
        showAmountTooltip(ForeignAmountTooltip(m_ctx.currencies().current(m_ctx.user()).name, Text1[3]->text(),
                                               CurRateBis, m_ctx.speech()));
}

void Form1::Text1_KeyPress(int Index, int KeyAscii)
{
    if (KeyAscii != 13)
        return;
    if (Index == 1)
        Text1[2]->setFocus();
    else if (Index == 2)
        Text1[3]->setFocus();
    else if (Index == 3 && ui->Command2->isEnabled())
        ui->Command2->setFocus();
    else if (Index == 3)
        m_ctx.announcer().tell(Text1[3], m_ctx.text(Text::CannotSave).arg(whySaveIsOff()));
}

// What keeps the save button off: the amount's problem, a result that shows
// the error text, the amount not typed, or the consumption that is impossible.
QString Form1::whySaveIsOff() const
{
    if (const QString problem = AmountProblemText(amountProblem(), m_ctx.speech()); !problem.isEmpty())
        return problem;
    if (m_distanceError)
        return m_names.nameOf(Label1[0]);
    if (m_consumptionError || !Text1[3]->text().isEmpty())
        return m_names.nameOf(Label1[1]);
    return m_ctx.text(Text::AmountMissing);
}

void Form1::Command2_Click()
{
    const LocaleInfo& locale = m_ctx.locale();
    const std::optional<FillUp> fillUp =
        EnteredFillUp(Label1[8]->text(), values.TotKms.toNumber(locale), values.Ltrs.toNumber(locale),
                      values.Conso.toText(locale), Text1[3]->text(), CurDevName, CurRateBis.toText(locale), locale);
    // The record number is read and taken under one lock: another program
    // saving at the same moment gets the next one.
    const FillUps::Outcome saved = fillUp ? m_ctx.fillUps().save(m_ctx.user(), *fillUp) : FillUps::Outcome::Declined;
    if (saved != FillUps::Outcome::Done) {
        // Never lose a fill-up silently: the fields keep it for another try.
        const QString text = saved == FillUps::Outcome::Failed
                                 ? m_ctx.notWritten(Text::FillUpNotSaved, m_ctx.fillUps().reason())
                                 : m_ctx.text(Text::FillUpNotSaved);
        m_ctx.messages().show(this, text, Platform::Critical, windowTitle());
        return;
    }
    for (QLineEdit* field : Text1)
        field->setText(QString());
    MoyenneTot();
    // Ready for the next fill-up; the save button, now disabled, would pass the focus to Exit.
    Text1[1]->setFocus(Qt::OtherFocusReason);
}

void Form1::Command1_Click()
{
    close();
}

void Form1::Command3_Click()
{
    {
        Form2 form2(m_ctx, this);
        form2.exec();
    }
    Form_Activate();
}

void Form1::Command4_Click()
{
    hide();
    emit userWanted();
}

void Form1::Command5_Click()
{
    Import_Export(2);
}

void Form1::Command6_Click()
{
    Import_Export(1);
}

void Form1::Import_Export(qint16 mode)
{
    ImportExport(m_ctx, this).Run(mode, windowTitle());
    // Imported fill-ups count in the average at once.
    MoyenneTot();
}

void Form1::OfferImport(const QString& path)
{
    ImportExport(m_ctx, this).ImportFile(path, windowTitle());
    MoyenneTot();
}

void Form1::Command7_Click()
{
    // Every calculator path is tried; only when none started does the user hear of it.
    Platform::Launcher& launcher = *m_ctx.services().launcher;
    bool started = false;
    for (const QString& path : launcher.calculatorPaths())
        started = launcher.start(path) || started;
    if (!started)
        m_ctx.messages().show(this, m_ctx.text(Text::NoCalculator), Platform::Exclamation, windowTitle());
}

void Form1::Command8_Click()
{
    Form6 calendar(m_ctx, Label1[8]->text(), this);
    connect(&calendar, &Form6::dateChosen, Label1[8], &QLabel::setText);
    calendar.exec();
    Form_Activate();
}

void Form1::Command9_Click()
{
    Form7 form7(m_ctx, this);
    form7.exec();
    ShowCurrMess = form7.showsWarning();
    if (const std::optional<Form7::Chosen> chosen = form7.chosen()) {
        Label2->setText(chosen->label);
        CurDevName = chosen->CurDevName;
    }
    Form_Activate();
}

void Form1::Image1_Click()
{
    hide();
    {
        Form4 about(m_ctx, this);
        about.exec();
    }
    // Showing the window again activates it.
    show();
}

void Form1::Label1_Click(int Index)
{
    if (Index == 8)
        Command8_Click();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        for (int i = 0; i < int(Text1.size()); ++i)
            if (watched == Text1[i] && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter))
                Text1_KeyPress(i, 13);
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < int(Label1.size()); ++i)
            if (watched == Label1[i])
                Label1_Click(i);
    }
    return QWidget::eventFilter(watched, event);
}
