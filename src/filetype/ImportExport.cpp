#include "filetype/ImportExport.h"

#include "filetype/FileDialog.h"
#include "filetype/modFileType.h"
#include "frame/Module1.h"
#include "frame/Platform.h"
#include "frame/SettingsStore.h"
#include "frame/StringTable.h"

std::function<void()>& registerDataFileTypeHook()
{
    static std::function<void()> hook = RegisterDataFileType;
    return hook;
}

void Import_Export(qint16 mode, QWidget* parent, const QString& mainTitle)
{
    if (const auto& declare = registerDataFileTypeHook())
        declare();

    const bool importing = mode == 1;
    Platform::MessageBoxes& messages = *Platform::services().messages;
    const QString lastPath = GetSetting(u"Tanko", Module1::CurUser, u"LastPath", "");
    // A path that begins with "Error" is shown as it stands before it is offered.
    if (lastPath.startsWith(u"Error"))
        messages.show(parent, lastPath, Platform::Exclamation, QStringLiteral("Tankometer"));

    FileDialog::Request request;
    request.title = LocalizedText(importing ? 273 : 276);
    request.filter = QString::fromUtf16(ImportExport::Filter);
    request.filterIndex = 1;
    request.flags = ImportExport::Flags;
    request.defaultExt = QStringLiteral(".tnk");
    request.save = !importing;
    request.fileName = lastPath;

    const FileDialog::Answer answer = FileDialog::current().show(parent, request);
    if (answer.outcome == FileDialog::Answer::Cancelled)
        return;
    // A dialog that failed chose nothing: say so rather than confirm a choice.
    if (answer.outcome == FileDialog::Answer::Failed || answer.fileName.isEmpty()) {
        messages.show(parent, LocalizedText(importing ? 279 : 282), Platform::Information, mainTitle);
        return;
    }

    messages.show(parent, LocalizedText(importing ? 267 : 270) + QStringLiteral("\n\r") + answer.fileName,
                  Platform::Information, mainTitle);
    // A failed write of the path is not worth a message.
    SaveSetting(u"Tanko", Module1::CurUser, QStringLiteral("LastPath"), answer.fileName);
}
