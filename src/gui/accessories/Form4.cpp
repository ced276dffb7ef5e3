#include "gui/accessories/Form4.h"

#include "core/frame/Titles.h"
#include "gui/WindowContext.h"
#include "gui/accessories/Pictures.h"
#include "gui/base/Appearance.h"
#include "ui_Form4.h"

#include <QShowEvent>

Form4::Form4(WindowContext& context, QWidget* parent)
    : QDialog(parent), m_ctx(context), ui(std::make_unique<Ui::Form4>()), m_names(context.announcer(), context.speech())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(size());
    Label1 = {ui->Label1_0, ui->Label1_1};

    Pictures::showIn(ui->Image1, Pictures::About);
    connect(ui->Image1, &Picture::clicked, this, &Form4::Image1_Click);
    // The names and the frame lie on the picture: a click or a hover there
    // belongs to the picture.
    for (QWidget* overlay :
         {static_cast<QWidget*>(ui->Shape1), static_cast<QWidget*>(ui->Label1_0), static_cast<QWidget*>(ui->Label1_1)})
        overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Under the picture, on the card's white whatever the palette: what the
    // program's licence gives and withholds, as a GPL program owes its users.
    ui->LicenceNotice->setText(LicenceNotice(m_ctx.speech()));
    // The card is read as the names written on it, then the notice; Enter, Space or Escape close it.
    m_names.nameAfter(ui->Image1, {Label1[0], Label1[1]});
    ui->Image1->setAccessibleDescription(ui->LicenceNotice->text());
    ui->Image1->setFocus();
}

Form4::~Form4() = default;

void Form4::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (shownByProgram(this, event))
        Form_Activate();
}

void Form4::Form_Activate()
{
    ui->Image1->setToolTip(m_ctx.text(Text::ClickToClose));
}

void Form4::Image1_Click()
{
    accept();
}
