#include "currency/Form7.h"

#include "frame/Accessibility.h"
#include "frame/Form1.h"
#include "frame/Module1.h"
#include "frame/Platform.h"
#include "frame/SettingsStore.h"
#include "frame/StringTable.h"
#include "frame/Titles.h"
#include "ui_Form7.h"

#include <QShowEvent>

Form7::Form7(Form1* main, QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::Form7>()), m_main(main)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    setWindowIcon(QIcon());

    Option1 = {ui->Option1_0, ui->Option1_1, ui->Option1_2, ui->Option1_3, ui->Option1_4, ui->Option1_5};
    Text1 = {ui->Text1_0, ui->Text1_1, ui->Text1_2, ui->Text1_3, ui->Text1_4, ui->Text1_5};
    Text2 = {ui->Text2_0, ui->Text2_1, ui->Text2_2, ui->Text2_3, ui->Text2_4, ui->Text2_5};
    Text4 = {ui->Text4_0, ui->Text4_1, ui->Text4_2, ui->Text4_3, ui->Text4_4, ui->Text4_5};

    // Each field of a row is read with its column heading and the row's currency.
    for (int n = 0; n < CurrencyRows; ++n) {
        const int half = n < CurrencyRows / 2 ? 0 : 1;
        const QWidget* currency = half ? ui->Label1_1 : ui->Label1_0;
        Accessibility::nameAfter(Option1[n], {currency, Text1[n]});
        Accessibility::nameAfter(Text1[n], {currency});
        Accessibility::nameAfter(Text2[n], {half ? ui->Label2_1 : ui->Label2_0, Text1[n]});
        Accessibility::nameAfter(Text4[n], {half ? ui->Label3_1 : ui->Label3_0, Text1[n]});
        connect(Text1[n], &QLineEdit::textChanged, this, [this] { Accessibility::nameControls(this); });
    }
    Accessibility::nameAfter(ui->Text3, {ui->Text3});

    // Row 0 is the Euro: fixed texts, no inverse to compute.
    for (int i = 1; i < CurrencyRows; ++i)
        connect(Text2[i], &QLineEdit::textChanged, this, [this, i] { Text2_Change(i); });
    connect(ui->Command1, &QPushButton::clicked, this, &Form7::Command1_Click);
}

Form7::~Form7() = default;

void Form7::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

void Form7::Form_Activate()
{
    setWindowTitle(UserWindowTitle(Module1::CurUser));

    QPalette background = ui->Text3->palette();
    background.setColor(QPalette::Base, palette().color(QPalette::Window));
    ui->Text3->setPalette(background);

    for (int n = 0; n < CurrencyRows; ++n) {
        DefNames[n] = QString::fromUtf8(DefaultCurrencyNames[n]);
        DefRates[n] = DefaultCurrencyRates[n];
    }

    ui->Label1_0->setText(LocalizedText(225));
    ui->Label1_1->setText(LocalizedText(225));
    ui->Label2_0->setText(LocalizedText(228));
    ui->Label2_1->setText(LocalizedText(228));
    ui->Label3_0->setText(LocalizedText(252));
    ui->Label3_1->setText(LocalizedText(252));
    ui->Command1->setText(LocalizedText(231));
    ui->Check1->setText(LocalizedText(264));
    ui->Text3->setPlainText(LocalizedText(249));

    const CurrentCurrency current = ReadCurrentCurrency(Module1::CurUser);
    const bool listed = current.foreign && current.row >= 1 && current.row < CurrencyRows;
    Option1[listed ? int(current.row) : 0]->setChecked(true);

    for (int n = 1; n < CurrencyRows; ++n) {
        const QString digits = QString::number(n);
        Text1[n]->setText(GetSetting(u"Tanko", u"Devises", QString(QStringLiteral("Dev") + digits), DefNames[n]));
        // A number default comes back in the user's notation: 1,54982 under a "," locale.
        Text2[n]->setText(GetSetting(u"Tanko", u"Devises", QString(QStringLiteral("Taux") + digits), DefRates[n]));
        Text4[n]->setText(GetSetting(u"Tanko", u"Devises", QString(QStringLiteral("TauxBis") + digits), ""));
        Text2_Change(n);
    }

    const bool showCurrMess = ReadShowCurrMess(Module1::CurUser);
    if (m_main)
        m_main->ShowCurrMess = showCurrMess;
    ui->Check1->setChecked(showCurrMess);

    AffTaux();
    Accessibility::nameControls(this);
}

void Form7::Text2_Change(int Index)
{
    Text4[Index]->setText(NextInverseRate(Text2[Index]->text(), Text4[Index]->text()));
    AffTaux();
}

void Form7::AffTaux()
{
    for (int n = 1; n < CurrencyRows; ++n) {
        if (Text1[n]->text().isEmpty())
            continue;
        const QString tip = RateTooltip(Text1[n]->text(), Text2[n]->text());
        Text1[n]->setToolTip(tip);
        Text2[n]->setToolTip(tip);
        Text4[n]->setToolTip(tip);
    }
}

void Form7::Command1_Click()
{
    ChckDevises();
}

void Form7::ChckDevises()
{
    CurrencyChoice choice;
    for (int n = 0; n < CurrencyRows; ++n) {
        choice.rows[n] = {Text1[n]->text(), Text2[n]->text(), Text4[n]->text()};
        if (Option1[n]->isChecked())
            choice.selected = n;
    }
    choice.showMessage = ui->Check1->isChecked();

    const CurrencySubmit submit = SubmitCurrencies(choice, Module1::CurUser);
    if (submit.refusal) {
        Platform::services().messages->show(this, *submit.refusal, Platform::Critical, windowTitle());
        return;
    }
    SettingsStore* store = SettingsStore::current();
    if (!store || !store->saveAll(submit.writes)) {
        // Nothing was written: the window stays open with the user's table.
        QString text = LocalizedText(288);
        if (store)
            text += u'\n' + store->lastError();
        Platform::services().messages->show(this, text, Platform::Critical, windowTitle());
        return;
    }
    if (m_main) {
        m_main->Label2->setText(submit.label);
        m_main->CurDevName = ReadCurrentCurrency(Module1::CurUser).name;
    }
    accept();
}

// The main window's currency button.
void Form1::Command9_Click()
{
    Form7 form7(this, this);
    form7.exec();
    Form_Activate();
}
