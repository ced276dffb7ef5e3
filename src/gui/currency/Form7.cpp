#include "core/frame/Legacy.h"
#include "gui/currency/Form7.h"

#include "core/frame/Module1.h"
#include "core/frame/Platform.h"
#include "core/frame/SettingsStore.h"
#include "core/frame/StringTable.h"
#include "core/frame/Titles.h"
#include "gui/base/Accessibility.h"
#include "gui/base/Appearance.h"
#include "ui_Form7.h"

#include <QShowEvent>

Form7::Form7(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::Form7>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    setWindowIcon(QIcon());

    Option1 = {ui->Option1_0, ui->Option1_1, ui->Option1_2, ui->Option1_3, ui->Option1_4, ui->Option1_5};
    Text1 = {ui->Text1_0, ui->Text1_1, ui->Text1_2, ui->Text1_3, ui->Text1_4, ui->Text1_5};
    Text2 = {ui->Text2_0, ui->Text2_1, ui->Text2_2, ui->Text2_3, ui->Text2_4, ui->Text2_5};
    Text4 = {ui->Text4_0, ui->Text4_1, ui->Text4_2, ui->Text4_3, ui->Text4_4, ui->Text4_5};

    // Each field is read as its column heading and its row, counted from the
    // Euro in tab order; the choice of a row also with the row's currency.
    for (int n = 0; n < CurrencyRows; ++n) {
        const bool left = n < CurrencyRows / 2;
        Accessibility::nameRow(Option1[n], Text::CurrentCurrency, n + 1, {Text1[n]});
        Accessibility::nameRow(Text1[n], left ? ui->Label1_0 : ui->Label1_1, n + 1);
        Accessibility::nameRow(Text2[n], left ? ui->Label2_0 : ui->Label2_1, n + 1);
        Accessibility::nameRow(Text4[n], left ? ui->Label3_0 : ui->Label3_1, n + 1);
        connect(Text1[n], &QLineEdit::textChanged, this, [this] { Accessibility::nameControls(this); });
    }
    Accessibility::nameAfter(ui->Text3, {ui->Text3});
    // Enter anywhere submits; Escape leaves, storing nothing.
    ui->Command1->setDefault(true);

    // Row 0 is the Euro: fixed texts, no inverse to compute.
    for (int i = 1; i < CurrencyRows; ++i)
        connect(Text2[i], &QLineEdit::textChanged, this, [this, i] { Text2_Change(i); });
    connect(ui->Command1, &QPushButton::clicked, this, &Form7::Command1_Click);
}

Form7::~Form7() = default;

void Form7::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (shownByProgram(this, event))
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

    ui->Label1_0->setText(LocalizedText(Text::Currency));
    ui->Label1_1->setText(LocalizedText(Text::Currency));
    ui->Label2_0->setText(LocalizedText(Text::ExchangeRate));
    ui->Label2_1->setText(LocalizedText(Text::ExchangeRate));
    ui->Label3_0->setText(LocalizedText(Text::CurrencyRate));
    ui->Label3_1->setText(LocalizedText(Text::CurrencyRate));
    ui->Command1->setText(LocalizedText(Text::Submit));
    ui->Check1->setText(LocalizedText(Text::ShowCurrencyMessage));
    ui->Text3->setPlainText(LocalizedText(Text::CurrencyInstructions));

    const CurrentCurrency current = ReadCurrentCurrency(Module1::CurUser);
    const bool listed = current.foreign && current.row >= 1 && current.row < CurrencyRows;
    Option1[listed ? int(current.row) : 0]->setChecked(true);

    for (int n = 1; n < CurrencyRows; ++n) {
        const QString digits = QString::number(n);
        Text1[n]->setText(GetSetting(u"Tanko", u"Devises", QString(QStringLiteral("Dev") + digits), DefNames[n]));
        const QString inverse = GetSetting(u"Tanko", u"Devises", QString(QStringLiteral("TauxBis") + digits), "");
        // A number default comes back in the user's notation: 1,54982 under a "," locale.
        Text2[n]->setText(RateShown(
            GetSetting(u"Tanko", u"Devises", QString(QStringLiteral("Taux") + digits), DefRates[n]), inverse));
        Text4[n]->setText(inverse);
        Text2_Change(n);
    }

    ShowCurrMess = ReadShowCurrMess(Module1::CurUser);
    ui->Check1->setChecked(ShowCurrMess);

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

    // The table is read and written under one lock, so that another
    // program's change in between is neither lost nor overwritten unseen.
    CurrencySubmit submit;
    SettingsStore* store = Legacy::current();
    const auto compute = [&](const SettingsStore&) -> std::optional<std::vector<SettingsStore::Write>> {
        submit = SubmitCurrencies(choice, Module1::CurUser);
        if (submit.refusal)
            return std::nullopt;
        return submit.writes;
    };
    const SettingsStore::Update saved = store ? store->update(compute) : SettingsStore::Update::Failed;
    if (submit.refusal) {
        Platform::services().messages->show(this, *submit.refusal, Platform::Critical, windowTitle());
        return;
    }
    if (saved != SettingsStore::Update::Written) {
        // Nothing was written: the window stays open with the user's table.
        QString text = LocalizedText(Text::CurrenciesNotSaved);
        if (store)
            text += u'\n' + store->lastError();
        Platform::services().messages->show(this, text, Platform::Critical, windowTitle());
        return;
    }
    chosen = Chosen{submit.label, ReadCurrentCurrency(Module1::CurUser).name};
    accept();
}
