#include "accessories/Form4.h"

#include "accessories/Pictures.h"
#include "frame/Accessibility.h"
#include "frame/StringTable.h"
#include "ui_Form4.h"

#include <QMouseEvent>
#include <QShowEvent>

Form4::Form4(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::Form4>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(size());
    Label1 = {ui->Label1_0, ui->Label1_1};

    Pictures::showIn(ui->Image1, Pictures::About);
    ui->Image1->installEventFilter(this);
    // The names and the frame lie on the picture: a click or a hover there
    // belongs to the picture.
    for (QWidget* overlay :
         {static_cast<QWidget*>(ui->Shape1), static_cast<QWidget*>(ui->Label1_0), static_cast<QWidget*>(ui->Label1_1)})
        overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The card is read as the names written on it.
    Accessibility::nameAfter(ui->Image1, {Label1[0], Label1[1]});
}

Form4::~Form4() = default;

void Form4::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

void Form4::Form_Activate()
{
    ui->Image1->setToolTip(LocalizedText(207));
}

void Form4::Image1_Click()
{
    accept();
}

bool Form4::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->Image1 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && ui->Image1->rect().contains(mouse->position().toPoint()))
            Image1_Click();
    }
    return QDialog::eventFilter(watched, event);
}
