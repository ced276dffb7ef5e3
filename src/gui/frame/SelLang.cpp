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
    ui->Frame1->setTitle(LocalizedText(132));
    ui->Frame2->setTitle(LocalizedText(135));
    ui->Frame1->setToolTip(LocalizedText(201));
    ui->Frame2->setToolTip(LocalizedText(201));
    ui->Command2->setText(LocalizedText(116));
    ui->Command3->setText(LocalizedText(119));
    ui->Command4->setText(LocalizedText(122));
    ui->Command5->setText(LocalizedText(125));
    ui->Command1->setText(LocalizedText(128));
    ui->Command6->setText(LocalizedText(210));
    ui->Command8->setText(LocalizedText(222));
    ui->Command2->setToolTip(LocalizedText(159));
    ui->Command3->setToolTip(LocalizedText(162));
    ui->Command4->setToolTip(LocalizedText(165));
    ui->Command5->setToolTip(LocalizedText(168));
    ui->Command1->setToolTip(LocalizedText(171));
    ui->Command6->setToolTip(LocalizedText(213));
    ui->Command9->setText(LocalizedText(225));
    Label1[2]->setText(LocalizedText(138));
    Label1[3]->setText(LocalizedText(141));
    Label1[4]->setText(LocalizedText(144));
    Label1[5]->setText(LocalizedText(147));
    Label1[6]->setText(LocalizedText(150));
    Text1[1]->setToolTip(LocalizedText(153));
    Label1[3]->setToolTip(LocalizedText(153));
    Label1[7]->setText(LocalizedText(216));

    ShowCurrMess = ReadShowCurrMess(Module1::CurUser);
    const CurrentCurrency currency = ReadCurrentCurrency(Module1::CurUser);
    CurDevName = currency.name;

    ui->Image1->setToolTip(LocalizedText(156));
    m_panels[0]->setToolTip(LocalizedText(177));
    m_panels[1]->setToolTip(LocalizedText(180));
    m_panels[2]->setToolTip(LocalizedText(174));

    Label2->setText(currency.name);
    if (currency.foreign) {
        CurRate = currency.rate;
        CurRateBis = currency.factor;
        if (!Timer1.isActive())
            Timer1.start();
        if (ShowCurrMess)
            Platform::services().messages->show(this, LocalizedText(240), Platform::Information, windowTitle());
        showAmountTooltip(ForeignAmountTooltip(currency.name, Text1[3]->text(), CurRateBis));
    } else {
        CurRate = 1;
        CurRateBis = 1;
        Timer1.stop();
        setLabel2Shown(true);
        showAmountTooltip(LocalizedText(219));
    }

    const QString currencyTip = Label2->text() == u"Euro" ? LocalizedText(225) + QStringLiteral(" = €")
                                                          : CurDevName + QStringLiteral(": ") + LocalizedText(237) +
                                                                QStringLiteral(" = ") + CurRate.toText();
    Label2->setToolTip(currencyTip);
    ui->Command9->setToolTip(currencyTip);
    Accessibility::nameControls(this);
}
