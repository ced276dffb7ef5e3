#include "gui/records/FillUpEditor.h"

#include "core/frame/Conversions.h"
#include "core/frame/Module1.h"
#include "core/frame/Platform.h"
#include "core/frame/StringTable.h"
#include "core/frame/Titles.h"
#include "gui/base/Appearance.h"
#include "ui_FillUpEditor.h"

FillUpEditor::FillUpEditor(const FillUpTable& records, size_t position, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::FillUpEditor>()), m_stored(records.texts(position)),
      m_shown(FieldsOf(records, position))
{
    ui->setupUi(this);
    setWindowTitle(UserWindowTitle(Module1::CurUser));
    setWindowIcon(programIcon());
    ui->DateLabel->setText(LocalizedText(Text::DateColumn));
    ui->DistanceLabel->setText(LocalizedText(Text::TotalKilometers));
    ui->LitresLabel->setText(LocalizedText(Text::FuelQuantity));
    ui->ConsumptionLabel->setText(LocalizedText(Text::AverageConsumption));
    ui->AmountLabel->setText(LocalizedText(Text::PaidAmountInEuro));
    ui->PaidLabel->setText(LocalizedText(Text::PaidAmount));
    ui->CancelButton->setText(LocalizedText(Text::Cancel));

    const FillUpTable::Record& record = records[position];
    const QString paid = records.text(record, FillUpTable::PayCom).toString();
    ui->PaidText->setText(paid);
    ui->PaidLabel->setVisible(!paid.isEmpty());
    ui->PaidText->setVisible(!paid.isEmpty());
    // The calendar's range; a date that cannot be read starts from today and
    // is kept as stored unless the user picks one.
    ui->DateField->setDateRange(QDate(1753, 1, 1), QDate(9999, 12, 31));
    ui->DateField->setDisplayFormat(userLocale().shortDateFormat);
    ui->DateField->setDate(record.day != FillUpTable::Record::NoDay ? QDate::fromJulianDay(record.day)
                                                                    : Platform::services().clock->today());
    ui->DistanceField->setText(m_shown.distance);
    ui->LitresField->setText(m_shown.litres);
    ui->ConsumptionField->setText(m_shown.consumption);
    ui->AmountField->setText(m_shown.amount);

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

FillUpFields FillUpEditor::typed() const
{
    return {m_dateTouched ? FormatPattern(ui->DateField->date(), u"dd mmmm yyyy") : m_shown.date,
            ui->DistanceField->text(), ui->LitresField->text(), ui->ConsumptionField->text(), ui->AmountField->text()};
}

void FillUpEditor::check()
{
    const FillUpFields fields = typed();
    m_check = CheckCorrection(m_stored, m_shown, fields);
    // Given the distance and the litres, the consumption follows from them.
    const bool measured = !fields.distance.isEmpty() || !fields.litres.isEmpty();
    ui->ConsumptionField->setEnabled(!measured);
    if (measured && m_check.ok)
        ui->ConsumptionField->setText(
            FormatPattern(StoredNumber(m_check.texts[FillUpTable::Tanko]).value_or(0), u"00.00"));
    ui->Result->setText(m_check.caption);
    ui->OkButton->setEnabled(m_check.ok);
}
