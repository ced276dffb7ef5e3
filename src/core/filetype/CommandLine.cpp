#include "core/filetype/CommandLine.h"

#include "core/Context.h"
#include "core/filetype/Exchange.h"
#include "core/filetype/QtOptions.h"
#include "core/frame/CleanEnd.h"
#include "core/frame/SettingsStore.h"
#include "core/frame/Titles.h"
#include "core/records/FillUps.h"
#include "core/users/Users.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cstdio>
#include <variant>

namespace CommandLine
{
namespace
{
enum Status
{
    Done = 0,
    Failed = 1,
    Usage = 2,
    Declined = 3
};

int say(const QString& line, int status)
{
    std::fputs(qPrintable(QStringLiteral("tankometer: ") + line + u'\n'), stderr);
    return status;
}

QString quoted(const QString& name)
{
    return u'"' + name + u'"';
}

// The question without --yes, answered on the terminal.
bool confirmed(const QString& summary)
{
    std::fputs(qPrintable(summary + QStringLiteral("\n\nImport? [y/N] ")), stderr);
    const QString answer = QString::fromLocal8Bit(CleanEnd::readLine().value_or(QByteArray())).trimmed().toLower();
    return answer == u"y" || answer == u"yes";
}

int ended()
{
    return say(QStringLiteral("nothing imported: ended by %1").arg(CleanEnd::signalName(CleanEnd::received())),
               128 + CleanEnd::received());
}

int exportFillUps(Context& context, const QString& file)
{
    const Exchange::ExportResult result = Exchange::ExportFile(context, file);
    if (!result.problem.isEmpty())
        return say(QStringLiteral("nothing exported: %1").arg(result.problem), Failed);
    const QString where = file == u"-" ? QStringLiteral("standard output") : QDir::toNativeSeparators(file);
    return say(QStringLiteral("%1 fill-ups of %2 written to %3").arg(result.written).arg(quoted(context.user()), where),
               Done);
}

int importFillUps(Context& context, const QString& file, bool yes)
{
    const QString& user = context.user();
    const Exchange::ImportPlan plan = Exchange::PlanImportFile(file, context);
    if (!plan.problem.isEmpty())
        return say(QDir::toNativeSeparators(file) + QStringLiteral(": ") + plan.problem, Failed);
    if (!yes && plan.toImport() > 0 && !confirmed(Exchange::Summary(plan, context, file)))
        return CleanEnd::received() ? ended() : say(QStringLiteral("nothing imported"), Declined);
    FillUps::Appended result;
    if (plan.toImport() > 0) {
        // A signal stops the import between batches, before the commit: the store stays as it was.
        result = Exchange::ApplyImport(context, plan, [](qint64, qint64) { return CleanEnd::received() == 0; });
        if (result.cancelled)
            return ended();
        if (result.outcome != FillUps::Outcome::Done)
            return say(QStringLiteral("nothing imported: %1")
                           .arg(result.outcome == FillUps::Outcome::Failed ? context.fillUps().reason()
                                                                           : context.text(Text::FileTooLarge)),
                       Failed);
    } else {
        result.duplicates = plan.duplicates;
    }
    QStringList rows;
    for (size_t i = 0; i < plan.refused.size() && i < 10; ++i)
        rows << QString::number(plan.refused[i].line);
    if (plan.refused.size() > 10)
        rows << QStringLiteral("...");
    return say(QStringLiteral("%1 fill-ups imported into %2 from %3; %4 already present, skipped; %5 lines refused%6")
                   .arg(result.written)
                   .arg(quoted(user), QDir::toNativeSeparators(file))
                   .arg(result.duplicates)
                   .arg(plan.refused.size())
                   .arg(rows.isEmpty() ? QString() : QStringLiteral(" (rows %1)").arg(rows.join(QStringLiteral(", ")))),
               Done);
}
} // namespace

bool Wanted(int argc, char* argv[])
{
    QByteArrayList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    for (const int i : QtOptions::ownArguments(arguments))
        if (arguments[i].startsWith('-') && arguments[i] != "-")
            return true;
    return false;
}

namespace
{
// What the arguments ask for, once they are known to make sense.
struct Request
{
    bool exporting = false;
    bool yes = false;
    QString user;
    QString file;
};

// The request, or the exit status when the arguments were answered or refused.
std::variant<Request, int> parseArguments()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tankometer follows the fuel consumption of your vehicle. Without options it opens its "
                       "windows; these move a user's fill-ups to and from a .tnk or .csv file."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version and ends."));
    const QCommandLineOption exporting(
        QStringLiteral("export"), QStringLiteral("Writes the fill-ups of user NAME to FILE."), QStringLiteral("NAME"));
    const QCommandLineOption importing(
        QStringLiteral("import"), QStringLiteral("Adds the fill-ups of FILE to those of user NAME, after a summary."),
        QStringLiteral("NAME"));
    const QCommandLineOption yes(QStringLiteral("yes"), QStringLiteral("Imports without asking."));
    parser.addOptions({version, exporting, importing, yes});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The file to write or to read."));

    // Qt's usage line names neither the program as a user types it nor the two forms.
    QString helpText = parser.helpText();
    helpText.replace(0, helpText.indexOf(u'\n'),
                     QStringLiteral("Usage: tankometer --export NAME FILE\n"
                                    "       tankometer --import NAME FILE [--yes]\n"
                                    "       tankometer [FILE]   (the windows; a .tnk FILE is offered for import)"));
    // "-abc" is one unknown option, not three; Qt's own options are the windows'.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(QtOptions::withoutQtOptions(QCoreApplication::arguments())))
        return say(parser.errorText() + u'\n' + helpText.section(u'\n', 0, 0), Usage);
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(qPrintable(helpText), stdout);
        return Done;
    }
    if (parser.isSet(version)) {
        std::fputs(qPrintable(VersionText()), stdout);
        return Done;
    }
    if (parser.isSet(exporting) == parser.isSet(importing))
        return say(QStringLiteral("give either --export NAME FILE or --import NAME FILE (see --help)"), Usage);
    if (parser.isSet(yes) && !parser.isSet(importing))
        return say(QStringLiteral("--yes goes with --import"), Usage);
    if (parser.positionalArguments().size() != 1)
        return say(QStringLiteral("give one FILE after the user's name (see --help)"), Usage);
    return Request{parser.isSet(exporting), parser.isSet(yes),
                   parser.value(parser.isSet(exporting) ? exporting : importing), parser.positionalArguments().front()};
}

// NAME as the user window lists users: exactly, letter case included.
int noSuchUser(const QString& user, const QStringList& users)
{
    QStringList names;
    for (const QString& name : users)
        names << quoted(name);
    return say(QStringLiteral("no user named %1 (names are matched exactly, letter case included); %2")
                   .arg(quoted(user), names.isEmpty() ? QStringLiteral("there are no users yet")
                                                      : QStringLiteral("the users are ") + names.join(u", ")),
               Usage);
}
} // namespace

int Run(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const CleanEnd::Signals ending(false);
    // The store's folder is named after the application, as for the windows.
    QCoreApplication::setApplicationName(QString::fromUtf16(ApplicationName));
    const std::variant<Request, int> parsed = parseArguments();
    if (const int* status = std::get_if<int>(&parsed))
        return *status;
    const Request& request = std::get<Request>(parsed);

    // A missing store is not made here: it has no users.
    const QString path = SettingsStore::defaultPath();
    SettingsStore store(path);
    if (QFileInfo::exists(path) && !store.open())
        return say(QStringLiteral("cannot use %1: %2").arg(QDir::toNativeSeparators(path), store.lastError()), Failed);
    // The texts of summaries and refusals in English, whoever the user is.
    Context context(store, Platform::SystemServices(), LocaleInfo::fromQLocale(QLocale::system()));
    const QStringList users = store.isOpen() ? context.users().read().names : QStringList();
    if (!users.contains(request.user))
        return noSuchUser(request.user, users);
    context.setUser(request.user);
    return request.exporting ? exportFillUps(context, request.file) : importFillUps(context, request.file, request.yes);
}

QString FileToOpen(const QStringList& arguments)
{
    for (const QString& arg : QtOptions::withoutQtOptions(arguments).mid(1))
        if (!arg.startsWith(u'-'))
            return QFileInfo(arg).absoluteFilePath();
    return {};
}
} // namespace CommandLine
