#include "filetype/FileDialog.h"

#include <QFileDialog>

namespace
{
class DesktopFileDialog : public FileDialog
{
public:
    Answer show(QWidget* parent, const Request& request) override
    {
        QFileDialog dialog(parent);
        configureFileDialog(dialog, request);
        if (dialog.exec() != QDialog::Accepted)
            return {Answer::Cancelled, {}};
        const QStringList files = dialog.selectedFiles();
        if (files.isEmpty() || files.first().isEmpty())
            return {Answer::Failed, {}};
        return {Answer::Chosen, QDir::toNativeSeparators(files.first())};
    }
};

FileDialog*& installed()
{
    static FileDialog* dialog = nullptr;
    return dialog;
}
} // namespace

FileDialog& FileDialog::current()
{
    static DesktopFileDialog desktop;
    FileDialog* dialog = installed();
    return dialog ? *dialog : desktop;
}

void FileDialog::setCurrent(FileDialog* dialog)
{
    installed() = dialog;
}

QStringList nameFiltersFrom(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        // The common dialog separates patterns with ";", Qt with blanks.
        const QString patterns = parts[i + 1].trimmed().replace(u';', u' ');
        if (description.contains(QStringLiteral("(") + patterns + u')'))
            filters << description;
        else
            filters << description + QStringLiteral(" (") + patterns + u')';
    }
    return filters;
}

void configureFileDialog(QFileDialog& dialog, const FileDialog::Request& request)
{
    dialog.setWindowTitle(request.title);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);

    // A Qt dialog has no read-only box to hide and always insists on an
    // existing folder; "file must exist" only means something when opening.
    const bool mustExist = (request.flags & FileDialog::FileMustExist) && !request.save;
    dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    // The common dialog asks before replacing a file only when told to, and
    // the program never is.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);

    const QStringList filters = nameFiltersFrom(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);

    QString suffix = request.defaultExt;
    if (suffix.startsWith(u'.'))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);

    if (!request.fileName.isEmpty())
        dialog.selectFile(QDir::fromNativeSeparators(request.fileName));
}
