#include "gui/platform/DesktopServices.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace Platform
{
namespace
{
class DesktopMessageBoxes : public MessageBoxes
{
public:
    void show(QWidget* owner, const QString& text, int style, const QString& title) override
    {
        ask(owner, text, {}, style, title);
    }

    int ask(QWidget* owner, const QString& text, const QStringList& buttons, int style, const QString& title) override
    {
        const QMessageBox::Icon icon = style == Critical      ? QMessageBox::Critical
                                       : style == Exclamation ? QMessageBox::Warning
                                       : buttons.isEmpty()    ? QMessageBox::Information
                                                              : QMessageBox::Question;
        // Without buttons of its own, the box has the platform's OK.
        QMessageBox box(icon, title, text, buttons.isEmpty() ? QMessageBox::Ok : QMessageBox::NoButton, owner);
        // Texts may come from the store: never read them as markup.
        box.setTextFormat(Qt::PlainText);
        QList<QAbstractButton*> added;
        for (const QString& caption : buttons)
            added << box.addButton(caption, added.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
        if (!added.isEmpty())
            box.setDefaultButton(qobject_cast<QPushButton*>(added.first()));
        box.exec();
        return int(added.indexOf(box.clickedButton()));
    }
};

class DesktopFileDialog : public FileDialogs
{
public:
    Answer show(QWidget* owner, const Request& request) override
    {
        QFileDialog dialog(owner);
        configureFileDialog(dialog, request);
        if (dialog.exec() != QDialog::Accepted)
            return {Answer::Cancelled, {}};
        const QStringList files = dialog.selectedFiles();
        if (files.isEmpty() || files.first().isEmpty())
            return {Answer::Failed, {}};
        return {Answer::Chosen, QDir::toNativeSeparators(files.first())};
    }
};

class AccessibleAnnouncer : public Announcer
{
public:
    // Qt tells the screen reader of every new name it is given.
    void rename(QObject* control, const QString& name) override { control->setProperty("accessibleName", name); }
    // A reader says the new description of the control that has the focus.
    // It stays until the control's window clears it, which makes the tooltip
    // its description again.
    void tell(QWidget* control, const QString& text) override
    {
        if (control->accessibleDescription() == text)
            control->setAccessibleDescription(QString());
        control->setAccessibleDescription(text);
    }
};
} // namespace

DesktopServices desktopServices()
{
    static DesktopMessageBoxes messages;
    static DesktopFileDialog files;
    static AccessibleAnnouncer announcer;
    return {&messages, &files, &announcer};
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

void configureFileDialog(QFileDialog& dialog, const FileDialogs::Request& request)
{
    dialog.setWindowTitle(request.title);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);

    // A Qt dialog has no read-only box to hide and always insists on an
    // existing folder; "file must exist" only means something when opening.
    const bool mustExist = (request.flags & FileDialogs::FileMustExist) && !request.save;
    dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    // The common dialog asks before replacing a file only when told to.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.flags & FileDialogs::OverwritePrompt));

    const QStringList filters = nameFiltersFrom(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);

    QString suffix = request.defaultExt;
    if (suffix.startsWith(u'.'))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    // A name typed under another entry of the filter gets that entry's extension.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, suffix](const QString& chosen) {
        const qsizetype star = chosen.indexOf(QStringLiteral("(*."));
        const QString pattern = star < 0 ? QString() : chosen.mid(star + 3).section(u')', 0, 0).section(u' ', 0, 0);
        dialog.setDefaultSuffix(pattern.isEmpty() || pattern.contains(u'*') ? suffix : pattern);
    });

    if (!request.fileName.isEmpty())
        dialog.selectFile(QDir::fromNativeSeparators(request.fileName));
}
} // namespace Platform
