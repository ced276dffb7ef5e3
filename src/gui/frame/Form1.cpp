#include "core/frame/Legacy.h"
#include "gui/frame/Form1.h"
#include "core/frame/Titles.h"

#include "core/currency/CurrencyTable.h"
#include "core/frame/Module1.h"
#include "core/frame/Platform.h"
#include "core/frame/SettingsStore.h"
#include "core/frame/StringTable.h"
#include "core/records/FillUp.h"
#include "gui/accessories/Form4.h"
#include "gui/accessories/Form6.h"
#include "gui/accessories/Pictures.h"
#include "gui/base/Accessibility.h"
#include "gui/base/Appearance.h"
#include "gui/currency/Form7.h"
#include "gui/filetype/ImportExport.h"
#include "gui/frame/StartUp.h"
#include "gui/records/Form2.h"
#include "ui_Form1.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStatusBar>

Form1::Form1(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::Form1>())
{
    Accessibility::install();
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setWindowIcon(programIcon());

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

    // Status bar: the date and the time keep themselves current; the third
    // panel shows the total average.
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
    // A screen reader reads each field as its label and each result with the
    // heading above it.
    Accessibility::labelField(Label1[2], Text1[0]);
    Accessibility::labelField(Label1[3], Text1[1]);
    Accessibility::labelField(Label1[4], Text1[2]);
    Accessibility::labelField(Label1[7], Text1[3]);
    Accessibility::nameAfter(Label1[0], {Label1[5], Label1[0]});
    Accessibility::nameAfter(Label1[1], {Label1[6], Label1[1]});
    Accessibility::nameAfter(m_panels[2], {m_panels[2]});
    Accessibility::nameAfter(ui->Image1, {ui->Image1});
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &Form1::updateClock);
    m_clock.start();
    updateClock();

    Form_Load();
}

Form1::~Form1() = default;

void Form1::Form_Load()
{
    Label1[8]->setText(FormatPattern(Platform::services().clock->today(), u"dd mmmm yyyy"));
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

namespace
{
EntryTexts entryTexts(const std::array<QLineEdit*, 4>& fields)
{
    return {fields[0]->text(), fields[1]->text(), fields[2]->text(), fields[3]->text()};
}
} // namespace

void Form1::Form_Activate()
{
    setWindowTitle(UserWindowTitle(Module1::CurUser));
    SelLang();
    MoyTot = 0;
    CalcKms();
    CalLtrs();
    MoyenneTot();
    ui->Command2->setEnabled(SaveEnabledOnActivation(entryTexts(Text1), Label1[0]->text(), Label1[1]->text()));
}

void Form1::updateClock()
{
    const QDateTime now = Platform::services().clock->now();
    m_panels[0]->setText(now.date().toString(userLocale().shortDateFormat));
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
    Label2->setStyleSheet(shown ? QStringLiteral("color: rgb(128, 0, 0);") : QStringLiteral("color: transparent;"));
}

void Form1::CalcKms()
{
    const CaptionOutcome out = ::CalcKms(values, entryTexts(Text1));
    if (out.caption)
        Accessibility::showResult(Label1[0], *out.caption);
    if (out.failed)
        ui->Command2->setEnabled(false);
}

void Form1::CalLtrs()
{
    const AmountProblem amount = CheckAmount(Text1[3]->text(), CurDevName != u"Euro", CurRateBis);
    const CaptionOutcome out = ::CalLtrs(values, entryTexts(Text1), Label1[0]->text(), amount);
    if (out.caption)
        Accessibility::showResult(Label1[1], *out.caption);
    ui->Command2->setEnabled(!out.failed && out.saveEnabled);
}

void Form1::MoyenneTot()
{
    const SettingsStore* store = Legacy::current();
    if (!store)
        return;
    const TotalAverage average = ComputeTotalAverage(*store, Module1::CurUser);
    MoyTot = average.MoyTot;
    Accessibility::showResult(m_panels[2], average.text);
}

// The tooltip of the amount field and its caption: by the currency, or why the
// amount cannot be saved (a screen reader reads it as the field's description).
void Form1::showAmountTooltip(const QString& byCurrency)
{
    const QString problem = AmountProblemText(CheckAmount(Text1[3]->text(), CurDevName != u"Euro", CurRateBis));
    const QString tip = problem.isEmpty() ? byCurrency : problem;
    Text1[3]->setToolTip(tip);
    Label1[7]->setToolTip(tip);
}

void Form1::Text1_Change(int Index)
{
    CalcKms();
    CalLtrs(); // an amount that cannot be saved shows the error text there
    MoyenneTot();
    if (Index != 3)
        return;
    if (CurDevName == u"Euro")
        showAmountTooltip(LocalizedText(Text::PaidAmountInEuro));
    else
        showAmountTooltip(
            ForeignAmountTooltip(ReadCurrentCurrency(Module1::CurUser).name, Text1[3]->text(), CurRateBis));
}

void Form1::Text1_KeyPress(int Index, int KeyAscii)
{
    if (KeyAscii != 13)
        return;
    if (Index == 1)
        Text1[2]->setFocus();
    else if (Index == 2)
        Text1[3]->setFocus();
    else if (Index == 3)
        (ui->Command2->isEnabled() ? ui->Command2 : ui->Command1)->setFocus();
}

void Form1::Command2_Click()
{
    SettingsStore* store = Legacy::current();
    if (!store)
        return;
    const FillUpEntry entry{
        Module1::CurUser, Label1[8]->text(),        values.Conso,          Text1[3]->text(), CurDevName,
        CurRateBis,       values.TotKms.toNumber(), values.Ltrs.toNumber()};
    // The record number is read and taken under one lock: another program
    // saving at the same moment gets the next one.
    const SettingsStore::Update saved =
        store->update([&entry](const SettingsStore& current) { return FillUpWrites(entry, current); });
    if (saved == SettingsStore::Update::Declined) {
        // The button is off in every such state; a save must never do nothing silently.
        Platform::services().messages->show(this, LocalizedText(Text::FillUpNotSaved), Platform::Critical, windowTitle());
        return;
    }
    if (saved == SettingsStore::Update::Failed) {
        // Never lose a fill-up silently: the fields keep it for another try.
        Platform::services().messages->show(this, LocalizedText(Text::FillUpNotSaved) + u'\n' + store->lastError(), Platform::Critical,
                                            windowTitle());
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
        Form2 form2(this);
        form2.exec();
    }
    Form_Activate();
}

void Form1::Command4_Click()
{
    hide();
    StartUp::showUserWindow();
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
    ImportExport::Run(mode, this, windowTitle());
    // Imported fill-ups count in the average at once.
    MoyenneTot();
}

void Form1::OfferImport(const QString& path)
{
    ImportExport::ImportFile(path, this, windowTitle());
    MoyenneTot();
}

void Form1::Command7_Click()
{
    // Every calculator path is tried; errors are ignored.
    for (const QString& path : Platform::services().launcher->calculatorPaths())
        Platform::services().launcher->start(path);
}

void Form1::Command8_Click()
{
    Form6 calendar(Label1[8]->text(), this);
    connect(&calendar, &Form6::dateChosen, Label1[8], &QLabel::setText);
    calendar.exec();
    Form_Activate();
}

void Form1::Command9_Click()
{
    Form7 form7(this);
    form7.exec();
    ShowCurrMess = form7.ShowCurrMess;
    if (form7.chosen) {
        Label2->setText(form7.chosen->label);
        CurDevName = form7.chosen->CurDevName;
    }
    Form_Activate();
}

void Form1::Image1_Click()
{
    hide();
    {
        Form4 about(this);
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
