#include "core/filetype/CommandLine.h"

#include "core/Context.h"
#include "core/filetype/Exchange.h"
#include "core/filetype/QtOptions.h"
#include "core/frame/CleanEnd.h"
#include "core/frame/SettingsStore.h"
#include "core/frame/StoreCopy.h"
#include "core/frame/StoreLocation.h"
#include "core/frame/Titles.h"
#include "core/records/FillUps.h"
#include "core/users/Users.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif
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

// What --import was given beside NAME and FILE.
struct ImportOptions
{
    bool yes = false;
    bool sortByDate = false;
    Exchange::ImportChoices choices;
};

QString counted(qint64 count, const char* noun)
{
    return QStringLiteral("%1 %2%3").arg(count).arg(QLatin1String(noun), count == 1 ? QString() : QStringLiteral("s"));
}

bool stdinIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stdin));
#else
    return ::isatty(STDIN_FILENO);
#endif
}

// A plan that cannot be imported as it stands: the status, with what to add.
std::optional<int> unanswered(const Exchange::ImportPlan& plan, const Context& context, const QString& file)
{
    if (!plan.wrongColumns.isEmpty())
        return say(QStringLiteral("--columns: ") + plan.wrongColumns, Usage);
    if (!plan.problem.isEmpty())
        return say(QDir::toNativeSeparators(file) + QStringLiteral(": ") + plan.problem, Failed);
    if (plan.question == Exchange::ImportPlan::Question::Vehicle) {
        QStringList vehicles;
        for (qsizetype i = 0; i < plan.vehicles.size(); ++i)
            vehicles << QStringLiteral("%1 (%2)").arg(quoted(plan.vehicles[i])).arg(plan.vehicleLines[size_t(i)]);
        return say(QStringLiteral("the file holds the fill-ups of several vehicles: %1; give --vehicle NAME")
                       .arg(vehicles.join(QStringLiteral(", "))),
                   Usage);
    }
    if (plan.question == Exchange::ImportPlan::Question::DateOrder) {
        QStringList orders;
        for (const Exchange::DateOrder order : plan.dateOrders)
            orders << QStringLiteral("--date-order ") + Exchange::keyword(order);
        return say(QStringLiteral("the dates can be read in more than one order (%1); give %2")
                       .arg(plan.dateExample, orders.join(QStringLiteral(" or "))),
                   Usage);
    }
    std::fputs(qPrintable(QStringLiteral("tankometer: columns: ") + Exchange::AssignmentLine(plan, context.speech()) +
                          QStringLiteral("\ntankometer: as --columns: ") + plan.assignment.text() + u'\n'),
               stderr);
    if (!plan.confirm.isEmpty())
        return say(QStringLiteral("the columns must be confirmed: %1; give them with --columns, with the unit after "
                                  "@ (km, mi, l, usgal, impgal) and the amount's currency (one of the currency "
                                  "table) after @")
                       .arg(plan.confirm.join(QStringLiteral("; "))),
                   Usage);
    return std::nullopt;
}

int importFillUps(Context& context, const QString& file, const ImportOptions& options)
{
    const QString& user = context.user();
    const Exchange::ImportPlan plan = Exchange::PlanImportFile(file, context, options.choices);
    if (const std::optional<int> status = unanswered(plan, context, file))
        return *status;
    // Standard input that is not a terminal cannot answer, nor can one that holds the file.
    if (!options.yes && (file == u"-" || !stdinIsTerminal())) {
        std::fputs(qPrintable(Exchange::Summary(plan, context, file) + u'\n'), stderr);
        return say(QStringLiteral("nothing imported; add --yes to import"), Declined);
    }
    if (!options.yes && plan.toImport() > 0 && !confirmed(Exchange::Summary(plan, context, file)))
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
    QString sorted;
    if (options.sortByDate && result.written > 0)
        sorted = context.fillUps().sortByDate(user) == FillUps::Outcome::Done
                     ? QStringLiteral("; all fill-ups put in date order")
                     : QStringLiteral("; not put in date order: ") + context.fillUps().reason();
    // Without the summary, the reasons of the lines refused are said here.
    if (options.yes)
        for (const Exchange::Refusal& r : plan.refused.first)
            say(Exchange::RefusalLine(r, context.speech()), Done);
    if (options.yes && plan.refused.entries > qint64(plan.refused.first.size()))
        say(QStringLiteral("..."), Done);
    // A file whose every fill-up was refused failed, though nothing went wrong with the store.
    const bool allRefused = result.written == 0 && result.duplicates == 0 && plan.refused.lines > 0;
    return say(QStringLiteral("%1 imported into %2 from %3; %4 already present, skipped; %5 refused%6")
                   .arg(counted(result.written, "fill-up"), quoted(user), QDir::toNativeSeparators(file),
                        QString::number(result.duplicates), counted(plan.refused.lines, "line"), sorted),
               allRefused ? Failed : Done);
}
} // namespace

bool Wanted(int argc, char* argv[])
{
    const QByteArrayList words = QtOptions::ownWords(argc, argv);
    return std::any_of(words.begin(), words.end(),
                       [](const QByteArray& word) { return word.startsWith('-') && word != "-"; });
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
    ImportOptions import;
    QString copyFrom; // --copy-store FROM; file is TO
    bool replace = false;
};

// The options that say how to read the file of an import.
struct ImportParsing
{
    QCommandLineOption columns{QStringLiteral("columns"),
                               QStringLiteral("Which column feeds what, as the summary prints it after \"as "
                                              "--columns\": date=1,odometer=2@km,litres=3@l,amount=5."),
                               QStringLiteral("LIST")};
    QCommandLineOption dateOrder{
        QStringLiteral("date-order"),
        QStringLiteral("How the file writes its dates when they do not tell: dmy, mdy or ymd."),
        QStringLiteral("ORDER")};
    QCommandLineOption vehicle{QStringLiteral("vehicle"),
                               QStringLiteral("The vehicle to import from a file of several."), QStringLiteral("NAME")};
    QCommandLineOption sortByDate{QStringLiteral("sort-by-date"),
                                  QStringLiteral("Puts all fill-ups in date order after the import.")};
};

std::variant<ImportOptions, int> importOptions(const QCommandLineParser& parser, const ImportParsing& options,
                                               bool importing)
{
    ImportOptions out;
    for (const QCommandLineOption* option :
         {&options.columns, &options.dateOrder, &options.vehicle, &options.sortByDate})
        if (parser.isSet(*option) && !importing)
            return say(QStringLiteral("--%1 goes with --import").arg(option->names().front()), Usage);
    out.choices.columnsText = parser.value(options.columns);
    out.choices.vehicle = parser.value(options.vehicle);
    out.sortByDate = parser.isSet(options.sortByDate);
    if (parser.isSet(options.dateOrder)) {
        const std::optional<Exchange::DateOrder> order = Exchange::dateOrderOfKeyword(parser.value(options.dateOrder));
        if (!order)
            return say(QStringLiteral("--date-order takes dmy, mdy or ymd"), Usage);
        out.choices.dateOrder = *order;
    }
    if (parser.isSet(options.columns) && out.choices.columnsText.trimmed().isEmpty())
        return say(QStringLiteral("--columns takes the columns, as date=1,litres=3@l"), Usage);
    return out;
}

// Where the store is, and moving a whole store: --store WHERE, --copy-store FROM TO [--replace].
struct StoreOptions
{
    QCommandLineOption store{
        QStringLiteral("store"),
        QStringLiteral("Uses the store at WHERE: a data file, or a database on a PostgreSQL server as a "
                       "postgresql:// URI or service=NAME (before TANKOMETER_STORE and the settings file "
                       "store.conf)."),
        QStringLiteral("WHERE")};
    QCommandLineOption copy{QStringLiteral("copy-store"),
                            QStringLiteral("Copies every user, currency and fill-up of the store FROM into the store "
                                           "TO (files or servers), all or nothing, and checks the copy."),
                            QStringLiteral("FROM")};
    QCommandLineOption replace{QStringLiteral("replace"), QStringLiteral("Lets --copy-store replace what TO holds.")};
};

// The request for a copy, or the exit status when its arguments are refused.
std::variant<Request, int> copyRequest(const QCommandLineParser& parser, const StoreOptions& options, bool other)
{
    if (!parser.isSet(options.copy))
        return parser.isSet(options.replace)
                   ? std::variant<Request, int>(say(QStringLiteral("--replace goes with --copy-store"), Usage))
                   : Request();
    if (other || parser.isSet(options.store))
        return say(QStringLiteral("--copy-store FROM TO goes alone (see --help)"), Usage);
    if (parser.positionalArguments().size() != 1)
        return say(QStringLiteral("give one store TO after --copy-store FROM (see --help)"), Usage);
    Request request;
    request.copyFrom = parser.value(options.copy);
    request.file = parser.positionalArguments().front();
    request.replace = parser.isSet(options.replace);
    return request;
}

int copyStore(const Request& request)
{
    const StoreLocation from = StoreLocation::read(request.copyFrom, StoreLocation::Source::Argument, "FROM");
    const StoreLocation to = StoreLocation::read(request.file, StoreLocation::Source::Argument, "TO");
    if (!from.ok() || !to.ok())
        return say(from.ok() ? to.error : from.error, Usage);
    const StoreCopy::Result copied =
        StoreCopy::run(from, to, request.replace, [] { return CleanEnd::received() != 0; });
    if (copied.stopped)
        return say(QStringLiteral("nothing copied: ended by %1").arg(CleanEnd::signalName(CleanEnd::received())),
                   128 + CleanEnd::received());
    if (!copied.problem.isEmpty())
        return say(QStringLiteral("nothing copied: ") + copied.problem, Failed);
    return say(QStringLiteral("%1 keys copied from %2 to %3, and checked by their count and checksum")
                   .arg(copied.keys)
                   .arg(from.shown(), to.shown()),
               Done);
}

// The store the options, the environment or the settings file name.
int openStore(SettingsStore& store, const StoreLocation& where)
{
    // A missing file is not made here: it has no users.
    if (where.kind == StoreLocation::Kind::File && !QFileInfo::exists(where.value))
        return Done;
    if (store.open())
        return Done;
    return say(where.kind == StoreLocation::Kind::Server
                   ? store.lastError()
                   : QStringLiteral("cannot use %1: %2").arg(where.shown(), store.lastError()),
               Failed);
}

QString usage()
{
    return QStringLiteral("Usage: tankometer [--store WHERE] --export NAME FILE\n"
                          "       tankometer [--store WHERE] --import NAME FILE|- [--yes] [--columns LIST]\n"
                          "                          [--date-order dmy|mdy|ymd] [--vehicle NAME] [--sort-by-date]\n"
                          "       tankometer --copy-store FROM TO [--replace]\n"
                          "       tankometer [FILE]   (the windows; a .tnk FILE is offered for import)");
}

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
    const StoreOptions stores;
    parser.addOptions({version, exporting, importing, yes, stores.store, stores.copy, stores.replace});
    const ImportParsing reading;
    parser.addOptions({reading.columns, reading.dateOrder, reading.vehicle, reading.sortByDate});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The file to write or to read."));

    // Qt's usage line names neither the program as a user types it nor the forms.
    QString helpText = parser.helpText();
    helpText.replace(0, helpText.indexOf(u'\n'), usage());
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
    const std::variant<Request, int> copying =
        copyRequest(parser, stores, parser.isSet(exporting) || parser.isSet(importing) || parser.isSet(yes));
    if (std::holds_alternative<int>(copying) || !std::get<Request>(copying).copyFrom.isEmpty())
        return copying;
    if (parser.isSet(exporting) == parser.isSet(importing))
        return say(QStringLiteral("give either --export NAME FILE or --import NAME FILE (see --help)"), Usage);
    if (parser.isSet(yes) && !parser.isSet(importing))
        return say(QStringLiteral("--yes goes with --import"), Usage);
    if (parser.positionalArguments().size() != 1)
        return say(QStringLiteral("give one FILE after the user's name (see --help)"), Usage);
    std::variant<ImportOptions, int> import = importOptions(parser, reading, parser.isSet(importing));
    if (const int* status = std::get_if<int>(&import))
        return *status;
    return Request{parser.isSet(exporting),
                   parser.isSet(yes),
                   parser.value(parser.isSet(exporting) ? exporting : importing),
                   parser.positionalArguments().front(),
                   std::get<ImportOptions>(import),
                   QString(),
                   false};
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

    if (!request.copyFrom.isEmpty())
        return copyStore(request);
    const StoreLocation where = StoreLocation::ofProgram();
    if (!where.ok())
        return say(where.error, where.source == StoreLocation::Source::Argument ? Usage : Failed);
    SettingsStore store(where);
    if (const int status = openStore(store, where); status != Done)
        return status;
    // The texts of summaries and refusals in English, whoever the user is.
    Context context(store, Platform::SystemServices(), LocaleInfo::fromQLocale(QLocale::system()));
    const QStringList users = store.isOpen() ? context.users().read().names : QStringList();
    if (!users.contains(request.user))
        return noSuchUser(request.user, users);
    context.setUser(request.user);
    if (request.exporting)
        return exportFillUps(context, request.file);
    ImportOptions options = request.import;
    options.yes = request.yes;
    return importFillUps(context, request.file, options);
}

QString FileToOpen(const QStringList& arguments)
{
    const QStringList own = QtOptions::withoutQtOptions(arguments);
    for (qsizetype i = 1; i < own.size(); ++i) {
        const QString& arg = own[i];
        // The store's place is no file to open.
        if (arg == u"--store")
            ++i;
        else if (!arg.startsWith(u'-'))
            return QFileInfo(arg).absoluteFilePath();
    }
    return {};
}
} // namespace CommandLine
