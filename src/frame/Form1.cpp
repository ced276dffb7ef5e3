#include "frame/Form1.h"
#include "frame/Titles.h"

#include "accessories/Form4.h"
#include "accessories/Form6.h"
#include "accessories/Pictures.h"
#include "currency/CurrencyTable.h"
#include "filetype/ImportExport.h"
#include "frame/Accessibility.h"
#include "frame/Appearance.h"
#include "frame/Module1.h"
#include "frame/Platform.h"
#include "frame/SettingsStore.h"
#include "frame/StringTable.h"
#include "records/FillUp.h"
#include "records/Form2.h"
#include "ui_Form1.h"
#include "users/StartUp.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStatusBar>

Form1::Form1(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::Form1>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setWindowIcon(programIcon());

    Text1 = {ui->Text1_0, ui->Text1_1, ui->Text1_2, ui->Text1_3};
    Label1 = {ui->Label1_0, ui->Label1_1, ui->Label1_2, ui->Label1_3, ui->Label1_4,
              ui->Label1_5, ui->Label1_6, ui->Label1_7, ui->Label1_8};
    Label2 = ui->Label2;

    for (int i = 0; i < int(Text1.size()); ++i) {
        connect(Text1[i], &QLineEdit::textChanged, this, [this, i] { Text1_Change(i); });
        Text1[i]->installEventFilter(this);
    }
    for (QLabel* label : Label1)
        label->installEventFilter(this);
    ui->Image1->installEventFilter(this);
    Pictures::showIn(ui->Image1, Pictures::Main);

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
    // A screen reader says what each entry field is for and reads each result
    // with the heading above it.
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
    if (event->spontaneous())
        return;
    if (!m_placed) {
        m_placed = true;
        centreOnScreen(this);
        Text1[1]->setFocus();
    }
    Form_Activate();
}

void Form1::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    emit closed();
}

void Form1::Form_Activate()
{
    setWindowTitle(UserWindowTitle(Module1::CurUser));
    SelLang();
    MoyTot = 0;
    CalcKms();
    CalLtrs();
    MoyenneTot();
    ui->Command2->setEnabled(!Text1[3]->text().isEmpty());
}

void Form1::updateClock()
{
    const QDateTime now = Platform::services().clock->now();
    m_panels[0]->setText(now.date().toString(userLocale().shortDateFormat));
    m_panels[1]->setText(now.time().toString(QStringLiteral("HH:mm")));
}

void Form1::Timer1_Timer()
{
    Label2->setVisible(!Label2->isVisible());
}

namespace
{
EntryTexts entryTexts(const std::array<QLineEdit*, 4>& fields)
{
    return {fields[0]->text(), fields[1]->text(), fields[2]->text(), fields[3]->text()};
}
} // namespace

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
    const CaptionOutcome out = ::CalLtrs(values, entryTexts(Text1), Label1[0]->text());
    if (out.caption)
        Accessibility::showResult(Label1[1], *out.caption);
    ui->Command2->setEnabled(!out.failed && out.saveEnabled);
}

void Form1::MoyenneTot()
{
    const SettingsStore* store = SettingsStore::current();
    if (!store)
        return;
    const TotalAverage average = ComputeTotalAverage(*store, Module1::CurUser);
    MoyTot = average.MoyTot;
    Accessibility::showResult(m_panels[2], average.text);
}

// The tooltip of the amount field and its caption for the current currency.
// Throws when the amount's Euro value cannot be formed.
QString Form1::amountTooltip()
{
    if (CurDevName == u"Euro")
        return LocalizedText(219);
    const QString name = ReadCurrentCurrency(Module1::CurUser).name;
    const QString amount = Text1[3]->text();
    if (amount.isEmpty())
        return LocalizedText(243) + name;
    return LocalizedText(243) + name + QStringLiteral(" - ") + StrNumber(EuroValue(amount, CurRateBis)) +
           QStringLiteral(" €");
}

void Form1::Text1_Change(int Index)
{
    CalcKms();
    CalLtrs();
    MoyenneTot();
    try {
        if (Index == 3 && !Text1[3]->text().isEmpty())
            LocaleNumber(Text1[3]->text());
        if (Index != 3)
            return;
        const QString tip = amountTooltip();
        Text1[3]->setToolTip(tip);
        Label1[7]->setToolTip(tip);
    } catch (const VbError&) {
        ui->Command2->setEnabled(false);
        Accessibility::showResult(Label1[1], LocalizedText(186));
    }
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
    SettingsStore* store = SettingsStore::current();
    if (!store)
        return;
    const FillUpEntry entry{Module1::CurUser, Label1[8]->text(), values.Conso,
                            Text1[3]->text(), CurDevName,        CurRateBis};
    const auto writes = FillUpWrites(entry);
    if (!writes)
        return;
    if (!store->saveAll(*writes)) {
        // Never lose a fill-up silently: the fields keep it for another try.
        Platform::services().messages->show(this, LocalizedText(285) + u'\n' + store->lastError(), Platform::Critical,
                                            windowTitle());
        return;
    }
    for (QLineEdit* field : Text1)
        field->setText(QString());
    MoyenneTot();
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
    ::Import_Export(2, this, windowTitle());
}

void Form1::Command6_Click()
{
    ::Import_Export(1, this, windowTitle());
}

void Form1::Command7_Click()
{
    // Every calculator path is tried; errors are ignored.
    for (const QString& path : Platform::services().launcher->calculatorPaths())
        Platform::services().launcher->start(path);
}

void Form1::Command8_Click()
{
    Form6 calendar(Label1[8], this);
    calendar.exec();
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
        if (watched == ui->Image1)
            Image1_Click();
        for (int i = 0; i < int(Label1.size()); ++i)
            if (watched == Label1[i])
                Label1_Click(i);
    }
    return QWidget::eventFilter(watched, event);
}
