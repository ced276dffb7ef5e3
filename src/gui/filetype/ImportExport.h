#pragma once

#include "core/filetype/Exchange.h"

#include <QString>
#include <QtGlobal>

class QWidget;
class WindowContext;

// The main window's Export and Import: the user picks a ".tnk" (or ".csv")
// file, the current user's fill-ups are written to it or read from it, and
// the path is remembered for the next time.
class ImportExport
{
public:
    // The dialog's settings, the same for both modes; the save dialog also asks
    // before it replaces a file, now that export writes one.
    static constexpr int Flags = 2627588; // 0x281804
    static constexpr char16_t Filter[] = u"Tanko files (*.tnk)|*.tnk|CSV files (*.csv)|*.csv";
    // From this many fill-ups on, an import shows its progress and can be cancelled.
    static constexpr qint64 ProgressFrom = 5000;

    // owner owns the dialogs.
    ImportExport(WindowContext& context, QWidget* owner) : m_ctx(context), m_owner(owner) {}

    // mode 1 imports, 2 exports; mainTitle is the main window's title, which
    // the messages carry.
    void Run(qint16 mode, const QString& mainTitle);

    // Reads the file, asks what the file does not tell (which vehicle, the
    // order of its dates, its columns when they need confirming), asks with a
    // summary whether to import its fill-ups into the current user's (and to
    // put all of them in date order when some are older), imports them and
    // says how many came in.
    void ImportFile(const QString& path, const QString& mainTitle);

private:
    enum class Step
    {
        Cancel,
        Again, // with the choices changed
        Import,
        ImportAndSort
    };
    bool answer(const Exchange::ImportPlan& plan, Exchange::ImportChoices& choices, const QString& mainTitle);
    bool chooseColumns(const Exchange::ImportPlan& plan, Exchange::ImportChoices& choices);
    Step summarize(const Exchange::ImportPlan& plan, Exchange::ImportChoices& choices, const QString& path,
                   const QString& mainTitle);
    void importPlan(const Exchange::ImportPlan& plan, bool sort, const QString& path, const QString& mainTitle);
    void exportTo(const QString& path, const QString& mainTitle);
    void rememberPath(const QString& path);

    WindowContext& m_ctx;
    QWidget* m_owner;
};
