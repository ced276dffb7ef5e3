#include "core/frame/Legacy.h"
#include "gui/filetype/ImportExport.h"

#include "core/filetype/Exchange.h"
#include "core/filetype/modFileType.h"
#include "core/frame/Log.h"
#include "core/frame/Module1.h"
#include "core/frame/Platform.h"
#include "core/frame/SettingsStore.h"
#include "core/frame/StringTable.h"

#include <QProgressDialog>

#include <memory>

namespace ImportExport
{
namespace
{
Platform::MessageBoxes& messages()
{
    return *Platform::services().messages;
}

void rememberPath(const QString& path)
{
    // A failed write of the path is not worth a message.
    if (!SaveSetting(u"Tanko", Module1::CurUser, QStringLiteral("LastPath"), path))
        qCWarning(lcStore, "LastPath not kept: %s", qUtf8Printable(Legacy::current()->lastError()));
}

void exportTo(const QString& path, QWidget* owner, const QString& mainTitle)
{
    const Exchange::ExportResult result = Exchange::ExportFile(*Legacy::current(), Module1::CurUser, path);
    if (!result.problem.isEmpty()) {
        messages().show(owner, LocalizedText(Text::ExportFailed) + u'\n' + result.problem, Platform::Information, mainTitle);
        return;
    }
    messages().show(owner,
                    LocalizedText(Text::DataExported) + QStringLiteral("\n\r") + path + u'\n' + Exchange::CountLine(result.written),
                    Platform::Information, mainTitle);
    rememberPath(path);
}
} // namespace

void Run(qint16 mode, QWidget* owner, const QString& mainTitle)
{
    RegisterDataFileType();

    const bool importing = mode == 1;
    const QString lastPath = GetSetting(u"Tanko", Module1::CurUser, u"LastPath", "");
    // A path that begins with "Error" is shown as it stands before it is offered.
    if (lastPath.startsWith(u"Error"))
        messages().show(owner, lastPath, Platform::Exclamation, QStringLiteral("Tankometer"));

    Platform::FileDialogs::Request request;
    request.title = LocalizedText(importing ? Text::ImportTitle : Text::ExportTitle);
    request.filter = QString::fromUtf16(Filter);
    request.filterIndex = 1;
    request.flags = Flags | (importing ? 0 : Platform::FileDialogs::OverwritePrompt);
    request.defaultExt = QStringLiteral(".tnk");
    request.save = !importing;
    request.fileName = lastPath;

    const Platform::FileDialogs::Answer answer = Platform::services().files->show(owner, request);
    if (answer.outcome == Platform::FileDialogs::Answer::Cancelled)
        return;
    // A dialog that failed chose nothing: say so rather than confirm a choice.
    if (answer.outcome == Platform::FileDialogs::Answer::Failed || answer.fileName.isEmpty()) {
        messages().show(owner, LocalizedText(importing ? Text::ImportFailed : Text::ExportFailed), Platform::Information, mainTitle);
        return;
    }
    if (importing)
        ImportFile(answer.fileName, owner, mainTitle);
    else
        exportTo(answer.fileName, owner, mainTitle);
}

void ImportFile(const QString& path, QWidget* owner, const QString& mainTitle)
{
    SettingsStore& store = *Legacy::current();
    const QString& user = Module1::CurUser;
    const Exchange::ImportPlan plan = Exchange::PlanImportFile(path, store, user);
    if (!plan.problem.isEmpty()) {
        messages().show(owner, LocalizedText(Text::ImportFailed) + u'\n' + plan.problem, Platform::Information, mainTitle);
        return;
    }
    const QString summary = Exchange::Summary(plan, user, path);
    if (plan.toImport() == 0) {
        messages().show(owner, summary, Platform::Information, mainTitle);
        return;
    }
    if (messages().ask(owner, summary, {LocalizedText(Text::Import), LocalizedText(Text::CancelImport)}, Platform::Information, mainTitle) != 0)
        return;

    std::unique_ptr<QProgressDialog> progress;
    if (plan.toImport() >= ProgressFrom) {
        progress = std::make_unique<QProgressDialog>(LocalizedText(Text::ToImport).arg(plan.toImport()), LocalizedText(Text::CancelImport), 0,
                                                     int(plan.toImport()), owner);
        progress->setWindowTitle(mainTitle);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
    }
    const Exchange::ImportResult result = Exchange::ApplyImport(store, user, plan, [&progress](qint64 done, qint64) {
        if (!progress)
            return true;
        progress->setValue(int(done));
        return !progress->wasCanceled();
    });
    progress.reset();
    // Cancelled: the store is as it was, as after a cancelled dialog.
    if (result.cancelled)
        return;
    if (result.outcome != SettingsStore::Update::Written) {
        const QString reason =
            result.outcome == SettingsStore::Update::Declined ? LocalizedText(Text::FileTooLarge) : store.lastError();
        messages().show(owner, LocalizedText(Text::ImportFailed) + u'\n' + reason, Platform::Information, mainTitle);
        return;
    }
    messages().show(owner,
                    LocalizedText(Text::DataImported) + QStringLiteral("\n\r") + path + u'\n' + Exchange::CountLine(result.imported),
                    Platform::Information, mainTitle);
    rememberPath(path);
}
} // namespace ImportExport
