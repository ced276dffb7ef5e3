#include "gui/filetype/ImportExport.h"

#include "core/filetype/Exchange.h"
#include "core/filetype/modFileType.h"
#include "core/frame/Log.h"
#include "core/records/FillUps.h"
#include "core/users/Users.h"
#include "gui/WindowContext.h"

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

void ImportExport::ImportFile(const QString& path, const QString& mainTitle)
{
    const Exchange::ImportPlan plan = Exchange::PlanImportFile(path, m_ctx);
    Platform::MessageBoxes& messages = m_ctx.messages();
    if (!plan.problem.isEmpty()) {
        messages.show(m_owner, m_ctx.text(Text::ImportFailed) + u'\n' + plan.problem, Platform::Information, mainTitle);
        return;
    }
    const QString summary = Exchange::Summary(plan, m_ctx, path);
    if (plan.toImport() == 0) {
        messages.show(m_owner, summary, Platform::Information, mainTitle);
        return;
    }
    if (messages.ask(m_owner, summary, {m_ctx.text(Text::Import), m_ctx.text(Text::CancelImport)},
                     Platform::Information, mainTitle) != 0)
        return;

    std::unique_ptr<QProgressDialog> progress;
    if (plan.toImport() >= ProgressFrom) {
        progress = std::make_unique<QProgressDialog>(m_ctx.text(Text::ToImport).arg(plan.toImport()),
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
    messages.show(m_owner,
                  m_ctx.text(Text::DataImported) + QStringLiteral("\n\r") + path + u'\n' +
                      Exchange::CountLine(result.written, m_ctx.speech()),
                  Platform::Information, mainTitle);
    rememberPath(path);
}
