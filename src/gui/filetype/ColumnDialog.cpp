#include "gui/filetype/ColumnDialog.h"

#include "core/currency/Currencies.h"
#include "core/frame/Titles.h"
#include "gui/WindowContext.h"
#include "gui/base/Accessibility.h"
#include "gui/base/Appearance.h"
#include "ui_ColumnDialog.h"

#include <QHeaderView>

using namespace Exchange;

namespace
{
QString capitalized(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

void addUnits(QComboBox* box, std::initializer_list<Unit> units, const Speech& speech)
{
    for (const Unit unit : units)
        box->addItem(speech.text(unitName(unit)), keyword(unit));
}

void select(QComboBox* box, const QString& data)
{
    box->setCurrentIndex(std::max(0, box->findData(data)));
}
} // namespace

ColumnDialog::ColumnDialog(WindowContext& context, const ImportPlan& plan, QWidget* parent)
    : QDialog(parent), m_ctx(context), ui(std::make_unique<Ui::ColumnDialog>()), m_start(plan.assignment)
{
    ui->setupUi(this);
    setWindowTitle(m_ctx.text(Text::ColumnsTitle) + QStringLiteral(" - ") + UserWindowTitle(m_ctx.user()));
    setWindowIcon(programIcon());
    ui->PreviewLabel->setText(m_ctx.text(Text::PreviewName));
    ui->Preview->setAccessibleName(m_ctx.text(Text::PreviewName));
    QStringList columns = {m_ctx.text(Text::NoColumn)};
    for (qsizetype c = 0; c < plan.header.size(); ++c)
        columns << QStringLiteral("%1: %2").arg(c + 1).arg(plan.header[c].trimmed());
    for (int r = 0; r < ChoosableRoles; ++r) {
        Role[size_t(r)] = findChild<QComboBox*>(QStringLiteral("Role_%1").arg(r));
        RoleLabel[size_t(r)] = findChild<QLabel*>(QStringLiteral("RoleLabel_%1").arg(r));
        RoleLabel[size_t(r)]->setText(capitalized(m_ctx.text(roleName(Exchange::Role(r)))));
        Accessibility::labelField(RoleLabel[size_t(r)], Role[size_t(r)]);
        Role[size_t(r)]->addItems(columns);
        Role[size_t(r)]->setCurrentIndex(plan.assignment.use[size_t(r)].column + 1);
        connect(Role[size_t(r)], &QComboBox::currentIndexChanged, this, [this](int index) {
            if (index > 0)
                ui->Preview->selectColumn(index - 1);
            check();
        });
    }
    fillPreview(plan);
    fillUnits(plan.assignment);
    ui->OkButton->setText(m_ctx.text(Text::Ok));
    ui->CancelButton->setText(m_ctx.text(Text::Cancel));
    connect(ui->OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    check();
    Role[0]->setFocus();
}

ColumnDialog::~ColumnDialog() = default;

void ColumnDialog::fillPreview(const ImportPlan& plan)
{
    QTableWidget* preview = ui->Preview;
    preview->setColumnCount(int(plan.header.size()));
    preview->setRowCount(int(plan.preview.size()));
    QStringList titles;
    for (qsizetype c = 0; c < plan.header.size(); ++c)
        titles << QStringLiteral("%1: %2").arg(c + 1).arg(plan.header[c].trimmed());
    preview->setHorizontalHeaderLabels(titles);
    for (size_t r = 0; r < plan.preview.size(); ++r)
        for (qsizetype c = 0; c < plan.header.size(); ++c)
            preview->setItem(int(r), int(c), new QTableWidgetItem(plan.preview[r].value(c)));
    preview->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
}

void ColumnDialog::fillUnits(const Assignment& a)
{
    const Speech& speech = m_ctx.speech();
    for (const auto& [label, box, text] : {std::tuple{ui->DistanceUnitLabel, ui->DistanceUnit, Text::DistanceUnitLabel},
                                           {ui->QuantityUnitLabel, ui->QuantityUnit, Text::QuantityUnitLabel},
                                           {ui->CurrencyLabel, ui->Currency, Text::CurrencyLabel}}) {
        label->setText(m_ctx.text(text));
        Accessibility::labelField(label, box);
    }
    addUnits(ui->DistanceUnit, {Unit::Km, Unit::Miles}, speech);
    addUnits(ui->QuantityUnit, {Unit::Litres, Unit::UsGallons, Unit::ImpGallons, Unit::Kg, Unit::Kwh}, speech);
    select(ui->DistanceUnit, a.use[a.has(Odometer) ? Odometer : Distance].how);
    const Unit quantity = a.has(VolumeUnit) && a.unit(VolumeUnit) != Unit::Unknown ? a.unit(VolumeUnit)
                          : a.unit(Litres) == Unit::Gallons                        ? Unit::UsGallons
                                                                                   : a.unit(Litres);
    select(ui->QuantityUnit, keyword(quantity));
    ui->Currency->addItem(QStringLiteral("Euro"), QString());
    for (const CurrencyRow& row : m_ctx.currencies().named())
        ui->Currency->addItem(row.name.trimmed(), row.name.trimmed());
    select(ui->Currency, a.use[a.has(Amount) ? Amount : UnitPrice].how);
}

void ColumnDialog::check()
{
    ui->OkButton->setEnabled(Role[Date]->currentIndex() > 0);
}

Assignment ColumnDialog::assignment() const
{
    Assignment a = m_start;
    a.own = false;
    for (int r = 0; r < ChoosableRoles; ++r) {
        const int column = Role[size_t(r)]->currentIndex() - 1;
        if (column != a.use[size_t(r)].column)
            a.use[size_t(r)] = Use{column, QString()};
    }
    // What the window does not show stays, unless its column now feeds something else.
    for (int r = ChoosableRoles; r < RoleCount; ++r)
        for (int shown = 0; shown < ChoosableRoles; ++shown)
            if (a.use[size_t(r)].column >= 0 && a.use[size_t(r)].column == a.use[size_t(shown)].column)
                a.use[size_t(r)] = Use{};
    const QString distance = ui->DistanceUnit->currentData().toString();
    const QString quantity = ui->QuantityUnit->currentData().toString();
    const QString currency = ui->Currency->currentData().toString();
    for (const Exchange::Role r : {Odometer, Distance})
        a.use[r].how = a.has(r) ? distance : QString();
    a.use[Litres].how = a.has(Litres) ? quantity : QString();
    const bool gallons = quantity == keyword(Unit::UsGallons) || quantity == keyword(Unit::ImpGallons);
    a.use[VolumeUnit].how = a.has(VolumeUnit) && gallons ? quantity : QString();
    for (const Exchange::Role r : {Amount, UnitPrice})
        a.use[r].how = a.has(r) ? currency : QString();
    return a;
}

std::optional<Assignment> ColumnDialog::choose(WindowContext& context, const ImportPlan& plan, QWidget* owner)
{
    ColumnDialog dialog(context, plan, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.assignment();
}
