#include "gui/mainwindow/Form1.h"

#include "core/currency/Currencies.h"
#include "core/currency/CurrencyRates.h"
#include "gui/WindowContext.h"
#include "ui_Form1.h"

#include <QStatusBar>

// Every language-dependent caption and tooltip of the main window, and the
// display of the current currency.
void Form1::SelLang()
{
    const auto text = [this](Text::Id id) { return m_ctx.text(id); };
    ui->Frame1->setTitle(text(Text::Data));
    ui->Frame2->setTitle(text(Text::Results));
    ui->Frame1->setToolTip(text(Text::AuthorTip));
    ui->Frame2->setToolTip(text(Text::AuthorTip));
    ui->Command2->setText(text(Text::Save));
    ui->Command3->setText(text(Text::Average));
    ui->Command4->setText(text(Text::User));
    ui->Command5->setText(text(Text::Export));
    ui->Command1->setText(text(Text::Exit));
    ui->Command6->setText(text(Text::Import));
    ui->Command8->setText(text(Text::Calendar));
    ui->Command2->setToolTip(text(Text::SaveTip));
    ui->Command3->setToolTip(text(Text::AverageTip));
    ui->Command4->setToolTip(text(Text::UserTip));
    ui->Command5->setToolTip(text(Text::ExportTip));
    ui->Command1->setToolTip(text(Text::ExitTip));
    ui->Command6->setToolTip(text(Text::ImportTip));
    ui->Command9->setText(text(Text::Currency));
    Label1[2]->setText(text(Text::StartKms));
    Label1[3]->setText(text(Text::ArrivalKms));
    Label1[4]->setText(text(Text::FuelQuantity));
    Label1[5]->setText(text(Text::TotalKilometers));
    Label1[6]->setText(text(Text::AverageConsumption));
    Text1[1]->setToolTip(text(Text::OrTotalKilometers));
    Label1[3]->setToolTip(text(Text::OrTotalKilometers));
    Label1[7]->setText(text(Text::PaidAmount));
    SelLangCurrency();
    m_names.nameControls(this);
}

void Form1::SelLangCurrency()
{
    const QString& user = m_ctx.user();
    ShowCurrMess = m_ctx.currencies().showsWarning(user);
    const CurrentCurrency currency = m_ctx.currencies().current(user);
    CurDevName = currency.name;

    ui->Image1->setToolTip(m_ctx.text(Text::About));
    m_panels[0]->setToolTip(m_ctx.text(Text::SystemDate));
    m_panels[1]->setToolTip(m_ctx.text(Text::SystemTime));
    m_panels[2]->setToolTip(m_ctx.text(Text::TotalAverageTip));

    Label2->setText(currency.name);
    if (currency.foreign) {
        CurRate = currency.rate;
        CurRateBis = currency.factor;
        if (!Timer1.isActive())
            Timer1.start();
        if (ShowCurrMess)
            m_ctx.messages().show(this, m_ctx.text(Text::NotEuroWarning), Platform::Information, windowTitle());
        showAmountTooltip(ForeignAmountTooltip(currency.name, Text1[3]->text(), CurRateBis, m_ctx.speech()));
    } else {
        CurRate = 1;
        CurRateBis = 1;
        Timer1.stop();
        setLabel2Shown(true);
        showAmountTooltip(m_ctx.text(Text::PaidAmountInEuro));
    }

    const QString currencyTip = Label2->text() == u"Euro"
                                    ? m_ctx.text(Text::Currency) + QStringLiteral(" = €")
                                    : CurDevName + QStringLiteral(": ") + m_ctx.text(Text::ActualRate) +
                                          QStringLiteral(" = ") + CurRate.toText(m_ctx.locale());
    Label2->setToolTip(currencyTip);
    ui->Command9->setToolTip(currencyTip);
}
