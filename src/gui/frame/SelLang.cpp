#include "gui/frame/Form1.h"

#include "core/currency/CurrencyTable.h"
#include "core/frame/Module1.h"
#include "core/frame/Platform.h"
#include "core/frame/StringTable.h"
#include "gui/base/Accessibility.h"
#include "ui_Form1.h"

#include <QStatusBar>

// Every language-dependent caption and tooltip of the main window, and the
// display of the current currency.
void Form1::SelLang()
{
    ui->Frame1->setTitle(LocalizedText(Text::Data));
    ui->Frame2->setTitle(LocalizedText(Text::Results));
    ui->Frame1->setToolTip(LocalizedText(Text::AuthorTip));
    ui->Frame2->setToolTip(LocalizedText(Text::AuthorTip));
    ui->Command2->setText(LocalizedText(Text::Save));
    ui->Command3->setText(LocalizedText(Text::Average));
    ui->Command4->setText(LocalizedText(Text::User));
    ui->Command5->setText(LocalizedText(Text::Export));
    ui->Command1->setText(LocalizedText(Text::Exit));
    ui->Command6->setText(LocalizedText(Text::Import));
    ui->Command8->setText(LocalizedText(Text::Calendar));
    ui->Command2->setToolTip(LocalizedText(Text::SaveTip));
    ui->Command3->setToolTip(LocalizedText(Text::AverageTip));
    ui->Command4->setToolTip(LocalizedText(Text::UserTip));
    ui->Command5->setToolTip(LocalizedText(Text::ExportTip));
    ui->Command1->setToolTip(LocalizedText(Text::ExitTip));
    ui->Command6->setToolTip(LocalizedText(Text::ImportTip));
    ui->Command9->setText(LocalizedText(Text::Currency));
    Label1[2]->setText(LocalizedText(Text::StartKms));
    Label1[3]->setText(LocalizedText(Text::ArrivalKms));
    Label1[4]->setText(LocalizedText(Text::FuelQuantity));
    Label1[5]->setText(LocalizedText(Text::TotalKilometers));
    Label1[6]->setText(LocalizedText(Text::AverageConsumption));
    Text1[1]->setToolTip(LocalizedText(Text::OrTotalKilometers));
    Label1[3]->setToolTip(LocalizedText(Text::OrTotalKilometers));
    Label1[7]->setText(LocalizedText(Text::PaidAmount));

    ShowCurrMess = ReadShowCurrMess(Module1::CurUser);
    const CurrentCurrency currency = ReadCurrentCurrency(Module1::CurUser);
    CurDevName = currency.name;

    ui->Image1->setToolTip(LocalizedText(Text::About));
    m_panels[0]->setToolTip(LocalizedText(Text::SystemDate));
    m_panels[1]->setToolTip(LocalizedText(Text::SystemTime));
    m_panels[2]->setToolTip(LocalizedText(Text::TotalAverageTip));

    Label2->setText(currency.name);
    if (currency.foreign) {
        CurRate = currency.rate;
        CurRateBis = currency.factor;
        if (!Timer1.isActive())
            Timer1.start();
        if (ShowCurrMess)
            Platform::services().messages->show(this, LocalizedText(Text::NotEuroWarning), Platform::Information, windowTitle());
        showAmountTooltip(ForeignAmountTooltip(currency.name, Text1[3]->text(), CurRateBis));
    } else {
        CurRate = 1;
        CurRateBis = 1;
        Timer1.stop();
        setLabel2Shown(true);
        showAmountTooltip(LocalizedText(Text::PaidAmountInEuro));
    }

    const QString currencyTip = Label2->text() == u"Euro" ? LocalizedText(Text::Currency) + QStringLiteral(" = €")
                                                          : CurDevName + QStringLiteral(": ") + LocalizedText(Text::ActualRate) +
                                                                QStringLiteral(" = ") + CurRate.toText();
    Label2->setToolTip(currencyTip);
    ui->Command9->setToolTip(currencyTip);
    Accessibility::nameControls(this);
}
