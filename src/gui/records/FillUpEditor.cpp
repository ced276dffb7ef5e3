#include "gui/records/FillUpEditor.h"

#include "core/frame/Conversions.h"
#include "core/frame/Titles.h"
#include "gui/WindowContext.h"
#include "gui/base/Appearance.h"
#include "ui_FillUpEditor.h"

FillUpEditor::FillUpEditor(WindowContext& context, const FillUp& stored, QWidget* parent)
    : QDialog(parent), m_ctx(context), ui(std::make_unique<Ui::FillUpEditor>()), m_stored(stored),
      m_shown(Shown(stored, context.locale()))
{
    ui->setupUi(this);
    setWindowTitle(UserWindowTitle(m_ctx.user()));
    setWindowIcon(programIcon());
    ui->DateLabel->setText(m_ctx.text(Text::DateColumn));
    ui->DistanceLabel->setText(m_ctx.text(Text::TotalKilometers));
    ui->LitresLabel->setText(m_ctx.text(Text::FuelQuantity));
    ui->ConsumptionLabel->setText(m_ctx.text(Text::AverageConsumption));
    ui->AmountLabel->setText(m_ctx.text(Text::PaidAmountInEuro));
    ui->PaidLabel->setText(m_ctx.text(Text::PaidAmount));
    ui->CancelButton->setText(m_ctx.text(Text::Cancel));

    const QString paid = stored.paid.text;
    ui->PaidText->setText(paid);
    ui->PaidLabel->setVisible(!paid.isEmpty());
    ui->PaidText->setVisible(!paid.isEmpty());
    // The calendar's range; a date that cannot be read starts from today and
    // is kept as stored unless the user picks one.
    ui->DateField->setDateRange(QDate(1753, 1, 1), QDate(9999, 12, 31));
    ui->DateField->setDisplayFormat(m_ctx.locale().shortDateFormat);
    ui->DateField->setDate(stored.date.value.value_or(m_ctx.services().clock->today()));
    ui->DistanceField->setText(m_shown.distance.text);
    ui->LitresField->setText(m_shown.litres.text);
    ui->ConsumptionField->setText(m_shown.consumption.text);
    ui->AmountField->setText(m_shown.euro.text);

    connect(ui->DateField, &QDateEdit::dateChanged, this, [this] {
        m_dateTouched = true;
        check();
    });
    for (QLineEdit* field : {ui->DistanceField, ui->LitresField, ui->ConsumptionField, ui->AmountField})
        connect(field, &QLineEdit::textEdited, this, &FillUpEditor::check);
    connect(ui->OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    check();
    ui->DistanceField->setFocus();
}

FillUpEditor::~FillUpEditor() = default;

FillUp FillUpEditor::typed() const
{
    FillUp typed = m_shown;
    typed.date.text =
        m_dateTouched ? FormatPattern(ui->DateField->date(), u"dd mmmm yyyy", m_ctx.locale()) : m_shown.date.text;
    typed.distance.text = ui->DistanceField->text();
    typed.litres.text = ui->LitresField->text();
    typed.consumption.text = ui->ConsumptionField->text();
    typed.euro.text = ui->AmountField->text();
    return typed;
}

void FillUpEditor::check()
{
    const FillUp fields = typed();
    m_check = CheckCorrection(m_stored, m_shown, fields, m_ctx.speech());
    // Given the distance and the litres, the consumption follows from them.
    const bool measured = !fields.distance.text.isEmpty() || !fields.litres.text.isEmpty();
    ui->ConsumptionField->setEnabled(!measured);
    if (measured && m_check.ok)
        ui->ConsumptionField->setText(
            FormatPattern(m_check.fillUp.consumption.value.value_or(0), u"00.00", m_ctx.locale()));
    ui->Result->setText(m_check.caption);
    ui->OkButton->setEnabled(m_check.ok);
}
