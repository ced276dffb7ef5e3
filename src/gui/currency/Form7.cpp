#include "gui/currency/Form7.h"

#include "core/currency/CurrencyRates.h"
#include "core/frame/Titles.h"
#include "gui/WindowContext.h"
#include "gui/base/Appearance.h"
#include "gui/base/Colours.h"
#include "ui_Form7.h"

#include <QShowEvent>

Form7::Form7(WindowContext& context, QWidget* parent)
    : QDialog(parent), m_ctx(context), ui(std::make_unique<Ui::Form7>()), m_names(context.announcer(), context.speech())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    setWindowIcon(QIcon());
    Colours::follow(this);

    Option1 = {ui->Option1_0, ui->Option1_1, ui->Option1_2, ui->Option1_3, ui->Option1_4, ui->Option1_5};
    Text1 = {ui->Text1_0, ui->Text1_1, ui->Text1_2, ui->Text1_3, ui->Text1_4, ui->Text1_5};
    Text2 = {ui->Text2_0, ui->Text2_1, ui->Text2_2, ui->Text2_3, ui->Text2_4, ui->Text2_5};
    Text4 = {ui->Text4_0, ui->Text4_1, ui->Text4_2, ui->Text4_3, ui->Text4_4, ui->Text4_5};

    // Each field is read as its column heading and its row, counted from the
    // Euro in tab order; the choice of a row also with the row's currency.
    for (int n = 0; n < CurrencyRows; ++n) {
        const bool left = n < CurrencyRows / 2;
        m_names.nameRow(Option1[n], Text::CurrentCurrency, n + 1, {Text1[n]});
        m_names.nameRow(Text1[n], left ? ui->Label1_0 : ui->Label1_1, n + 1);
        m_names.nameRow(Text2[n], left ? ui->Label2_0 : ui->Label2_1, n + 1);
        m_names.nameRow(Text4[n], left ? ui->Label3_0 : ui->Label3_1, n + 1);
        connect(Text1[n], &QLineEdit::textChanged, this, [this] { m_names.nameControls(this); });
    }
    m_names.nameAfter(ui->Text3, {ui->Text3});
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
    setWindowTitle(UserWindowTitle(m_ctx.user()));

    QPalette background = ui->Text3->palette();
    background.setColor(QPalette::Base, palette().color(QPalette::Window));
    ui->Text3->setPalette(background);

    ui->Label1_0->setText(m_ctx.text(Text::Currency));
    ui->Label1_1->setText(m_ctx.text(Text::Currency));
    ui->Label2_0->setText(m_ctx.text(Text::ExchangeRate));
    ui->Label2_1->setText(m_ctx.text(Text::ExchangeRate));
    ui->Label3_0->setText(m_ctx.text(Text::CurrencyRate));
    ui->Label3_1->setText(m_ctx.text(Text::CurrencyRate));
    ui->Command1->setText(m_ctx.text(Text::Submit));
    ui->Check1->setText(m_ctx.text(Text::ShowCurrencyMessage));
    ui->Text3->setPlainText(m_ctx.text(Text::CurrencyInstructions));

    Currencies& currencies = m_ctx.currencies();
    const CurrentCurrency current = currencies.current(m_ctx.user());
    const bool listed = current.foreign && current.row >= 1 && current.row < CurrencyRows;
    Option1[listed ? int(current.row) : 0]->setChecked(true);

    const std::array<CurrencyRow, CurrencyRows> rows = currencies.table();
    for (int n = 1; n < CurrencyRows; ++n) {
        Text1[n]->setText(rows[n].name);
        Text2[n]->setText(rows[n].rate);
        Text4[n]->setText(rows[n].inverse);
        Text2_Change(n);
    }

    ShowCurrMess = currencies.showsWarning(m_ctx.user());
    ui->Check1->setChecked(ShowCurrMess);

    AffTaux();
    m_names.nameControls(this);
}

void Form7::Text2_Change(int Index)
{
    Text4[Index]->setText(NextInverseRate(Text2[Index]->text(), Text4[Index]->text(), m_ctx.locale()));
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

    const Currencies::Submitted submitted = m_ctx.currencies().submit(choice, m_ctx.user(), m_ctx.speech());
    if (submitted.refusal) {
        m_ctx.messages().show(this, *submitted.refusal, Platform::Critical, windowTitle());
        return;
    }
    if (!submitted.written) {
        // Nothing was written: the window stays open with the user's table.
        m_ctx.messages().show(this, m_ctx.notWritten(Text::CurrenciesNotSaved, m_ctx.currencies().reason()),
                              Platform::Critical, windowTitle());
        return;
    }
    m_chosen = Chosen{submitted.label, submitted.name};
    accept();
}
