#include "gui/filetype/ImportExport.h"

#include "core/filetype/Exchange.h"
#include "core/filetype/ExchangeDates.h"
#include "core/filetype/modFileType.h"
#include "core/frame/Log.h"
#include "core/frame/Plural.h"
#include "core/records/FillUps.h"
#include "core/users/Users.h"
#include "gui/WindowContext.h"
#include "gui/filetype/ColumnDialog.h"

#include <QProgressDialog>

#include <memory>

void ImportExport::rememberPath(const QString& path)
{
    // A failed write of the path is not worth a message.
    if (!m_ctx.users().setLastPath(m_ctx.user(), path))
        qCWarning(lcStore, "LastPath not kept: %s", qUtf8Printable(m_ctx.users().reason()));
}

void ImportExport::exportTo(const QString& path, const QString& mainTitle)
{
    const Exchange::ExportResult result = Exchange::ExportFile(m_ctx, path);
    if (!result.problem.isEmpty()) {
        m_ctx.messages().show(m_owner, m_ctx.text(Text::ExportFailed) + u'\n' + result.problem, Platform::Information,
                              mainTitle);
        return;
    }
    m_ctx.messages().show(m_owner,
                          m_ctx.text(Text::DataExported) + QStringLiteral("\n\r") + path + u'\n' +
                              Exchange::CountLine(result.written, m_ctx.speech()),
                          Platform::Information, mainTitle);
    rememberPath(path);
}

void ImportExport::Run(qint16 mode, const QString& mainTitle)
{
    RegisterDataFileType(m_ctx.services());

    const bool importing = mode == 1;
    const QString lastPath = m_ctx.users().lastPath(m_ctx.user());
    // A path that begins with "Error" is shown as it stands before it is offered.
    if (lastPath.startsWith(u"Error"))
        m_ctx.messages().show(m_owner, lastPath, Platform::Exclamation, QStringLiteral("Tankometer"));

    Platform::FileDialogs::Request request;
    request.title = m_ctx.text(importing ? Text::ImportTitle : Text::ExportTitle);
    request.filter = QString::fromUtf16(Filter);
    request.filterIndex = 1;
    request.flags = Flags | (importing ? 0 : Platform::FileDialogs::OverwritePrompt);
    request.defaultExt = QStringLiteral(".tnk");
    request.save = !importing;
    request.fileName = lastPath;

    const Platform::FileDialogs::Answer answer = m_ctx.files().show(m_owner, request);
    if (answer.outcome == Platform::FileDialogs::Answer::Cancelled)
        return;
    // A dialog that failed chose nothing: say so rather than confirm a choice.
    if (answer.outcome == Platform::FileDialogs::Answer::Failed || answer.fileName.isEmpty()) {
        m_ctx.messages().show(m_owner, m_ctx.text(importing ? Text::ImportFailed : Text::ExportFailed),
                              Platform::Information, mainTitle);
        return;
    }
    if (importing)
        ImportFile(answer.fileName, mainTitle);
    else
        exportTo(answer.fileName, mainTitle);
}

// The question a plan leaves open, asked; false when the user cancels.
bool ImportExport::answer(const Exchange::ImportPlan& plan, Exchange::ImportChoices& choices, const QString& mainTitle)
{
    using Question = Exchange::ImportPlan::Question;
    QStringList buttons;
    if (plan.question == Question::Vehicle) {
        for (qsizetype i = 0; i < plan.vehicles.size(); ++i)
            buttons << QStringLiteral("%1 (%2)").arg(plan.vehicles[i]).arg(plan.vehicleLines[size_t(i)]);
    } else {
        for (const Exchange::DateOrder order : plan.dateOrders) {
            const std::optional<QDate> day = Exchange::readDate(plan.dateExample, order, m_ctx.locale());
            const Text::Id name = order == Exchange::DateOrder::Dmy   ? Text::DayFirst
                                  : order == Exchange::DateOrder::Mdy ? Text::MonthFirst
                                                                      : Text::YearFirst;
            QString text = m_ctx.text(name);
            text[0] = text[0].toUpper();
            buttons << text + (day ? QStringLiteral(": ") + FillUpText::date(*day, m_ctx.locale()).text : QString());
        }
    }
    const QString question = plan.question == Question::Vehicle ? m_ctx.text(Text::VehicleQuestion)
                                                                : m_ctx.text(Text::DateQuestion).arg(plan.dateExample);
    const int chosen = m_ctx.messages().ask(m_owner, question, buttons << m_ctx.text(Text::CancelImport),
                                            Platform::Information, mainTitle);
    if (chosen < 0 || chosen >= buttons.size() - 1)
        return false;
    if (plan.question == Question::Vehicle)
        choices.vehicle = plan.vehicles[chosen];
    else
        choices.dateOrder = plan.dateOrders[size_t(chosen)];
    return true;
}

// The column window; the columns chosen are kept for files with this header.
bool ImportExport::chooseColumns(const Exchange::ImportPlan& plan, Exchange::ImportChoices& choices)
{
    const std::optional<Exchange::Assignment> columns = ColumnDialog::choose(m_ctx, plan, m_owner);
    if (!columns)
        return false;
    choices.columns = columns;
    if (!Exchange::RememberColumns(m_ctx, plan, *columns))
        qCWarning(lcStore, "columns not kept: %s", qUtf8Printable(m_ctx.users().reason()));
    return true;
}

ImportExport::Step ImportExport::summarize(const Exchange::ImportPlan& plan, Exchange::ImportChoices& choices,
                                           const QString& path, const QString& mainTitle)
{
    Platform::MessageBoxes& messages = m_ctx.messages();
    const QString summary = Exchange::Summary(plan, m_ctx, path);
    if (plan.toImport() == 0 && plan.ownFormat()) {
        messages.show(m_owner, summary, Platform::Information, mainTitle);
        return Step::Cancel;
    }
    // The offer to sort comes first, so that it is what Enter chooses.
    std::vector<Step> steps;
    QStringList buttons;
    if (plan.toImport() > 0 && plan.olderThanPresent) {
        steps.push_back(Step::ImportAndSort);
        buttons << m_ctx.text(Text::ImportAndSort);
    }
    if (plan.toImport() > 0) {
        steps.push_back(Step::Import);
        buttons << m_ctx.text(Text::Import);
    }
    if (!plan.ownFormat()) {
        steps.push_back(Step::Again);
        buttons << m_ctx.text(Text::ColumnsButton);
    }
    buttons << m_ctx.text(Text::CancelImport);
    const int chosen = messages.ask(m_owner, summary, buttons, Platform::Information, mainTitle);
    if (chosen < 0 || size_t(chosen) >= steps.size())
        return Step::Cancel;
    if (steps[size_t(chosen)] == Step::Again && !chooseColumns(plan, choices))
        return Step::Cancel;
    return steps[size_t(chosen)];
}

void ImportExport::ImportFile(const QString& path, const QString& mainTitle)
{
    Exchange::ImportChoices choices;
    for (;;) {
        const Exchange::ImportPlan plan = Exchange::PlanImportFile(path, m_ctx, choices);
        if (!plan.problem.isEmpty()) {
            m_ctx.messages().show(m_owner, m_ctx.text(Text::ImportFailed) + u'\n' + plan.problem, Platform::Information,
                                  mainTitle);
            return;
        }
        if (plan.question != Exchange::ImportPlan::Question::None) {
            if (!answer(plan, choices, mainTitle))
                return;
            continue;
        }
        // Columns the file does not make plain are confirmed before the summary.
        if (!plan.confirm.isEmpty() && !choices.columns) {
            if (!chooseColumns(plan, choices))
                return;
            continue;
        }
        const Step step = summarize(plan, choices, path, mainTitle);
        if (step == Step::Cancel)
            return;
        if (step != Step::Again)
            return importPlan(plan, step == Step::ImportAndSort, path, mainTitle);
    }
}

void ImportExport::importPlan(const Exchange::ImportPlan& plan, bool sort, const QString& path,
                              const QString& mainTitle)
{
    Platform::MessageBoxes& messages = m_ctx.messages();
    std::unique_ptr<QProgressDialog> progress;
    if (plan.toImport() >= ProgressFrom) {
        progress = std::make_unique<QProgressDialog>(Plural(m_ctx.speech(), Text::ToImport, plan.toImport()),
                                                     m_ctx.text(Text::CancelImport), 0, int(plan.toImport()), m_owner);
        progress->setWindowTitle(mainTitle);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
    }
    const FillUps::Appended result = Exchange::ApplyImport(m_ctx, plan, [&progress](qint64 done, qint64) {
        if (!progress)
            return true;
        progress->setValue(int(done));
        return !progress->wasCanceled();
    });
    progress.reset();
    // Cancelled: the store is as it was, as after a cancelled dialog.
    if (result.cancelled)
        return;
    if (result.outcome != FillUps::Outcome::Done) {
        const QString reason =
            result.outcome == FillUps::Outcome::Failed ? m_ctx.fillUps().reason() : m_ctx.text(Text::FileTooLarge);
        messages.show(m_owner, m_ctx.text(Text::ImportFailed) + u'\n' + reason, Platform::Information, mainTitle);
        return;
    }
    rememberPath(path);
    QString text = m_ctx.text(Text::DataImported) + QStringLiteral("\n\r") + path + u'\n' +
                   Exchange::CountLine(result.written, m_ctx.speech());
    if (!sort || result.written == 0) {
        messages.show(m_owner, text, Platform::Information, mainTitle);
        return;
    }
    FillUps& log = m_ctx.fillUps();
    if (log.sortByDate(m_ctx.user()) != FillUps::Outcome::Done) {
        messages.show(m_owner, text + u'\n' + log.reason(), Platform::Information, mainTitle);
        return;
    }
    text += u'\n' + m_ctx.text(Text::SortedByDate);
    if (messages.ask(m_owner, text, {m_ctx.text(Text::Ok), m_ctx.text(Text::UndoSort)}, Platform::Information,
                     mainTitle) == 1 &&
        log.undoSort(m_ctx.user()) != FillUps::Outcome::Done)
        messages.show(m_owner, m_ctx.text(Text::ChangedElsewhere), Platform::Information, mainTitle);
}
