// The ".tnk" data-file type: declared through the registry routines, the
// classes store that holds those values where there is no registry, and the
// freedesktop files; then import and export, which only choose such a file.
#include "TestSupport.h"

#include "filetype/ClassesStore.h"
#include "filetype/FileDialog.h"
#include "filetype/FreedesktopShell.h"
#include "filetype/ImportExport.h"
#include "filetype/Registry.h"
#include "filetype/modFileType.h"
#include "frame/Appearance.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

#include <QTest>

using namespace FileType;
using modFileType::HKEY_CLASSES_ROOT;

namespace
{
// The registry, the shell and the program's place, in memory: every write and notice is written down,
// in order; keys and names are compared without letter case.
class Doubles : public Registry, public ShellNotifier, public ProgramLocation
{
public:
    Doubles() : saved(services()) { services() = {this, this, this}; }
    ~Doubles() override { services() = saved; }
    std::optional<RegistryValue> query(quint32 root, const QString& key, const QString& name) override
    {
        return values.contains(fold(root, key, name)) ? std::optional(values[fold(root, key, name)]) : std::nullopt;
    }
    bool setString(quint32 root, const QString& key, const QString& name, const QString& text) override
    {
        return write(root, key, name, {RegSz, text, 0}, "string|" + text);
    }
    bool setDword(quint32 root, const QString& key, const QString& name, quint32 number) override
    {
        return write(root, key, name, {RegDword, QString(), number}, "dword|" + QString::number(number));
    }
    bool write(quint32 root, const QString& key, const QString& name, const RegistryValue& value, const QString& shown)
    {
        writes << (root == HKEY_CLASSES_ROOT ? "" : "another root: ") + key + u'|' + name + u'|' + shown;
        values[fold(root, key, name)] = value;
        return true;
    }
    void changeNotify(qint32 eventId, quint32 flags) override
    {
        notices << QStringLiteral("%1/%2").arg(eventId, 0, 16).arg(flags);
    }
    QString folder() override { return m_folder; }
    QString exeName() override { return "Tankometer"; }
    QString filePath() override { return m_folder + "\\Tankometer.exe"; }
    static QString fold(quint32 root, const QString& key, const QString& name)
    {
        return QStringLiteral("%1|%2|%3").arg(root).arg(key, name).toCaseFolded();
    }

    QMap<QString, RegistryValue> values;
    QStringList writes;
    QStringList notices;
    QString m_folder = "C:\\Program Files\\Tanko";
    Services saved;
};

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<missing>");
}

// Answers every dialog as the test decided and keeps what it was asked, and
// how many messages had been shown by then.
class FakeFileDialog : public FileDialog
{
public:
    explicit FakeFileDialog(const TestSupport::FakeMessages& messages) : m_messages(messages) { setCurrent(this); }
    ~FakeFileDialog() override { setCurrent(nullptr); }
    Answer show(QWidget*, const Request& request) override
    {
        requests.push_back(request);
        messagesBefore.push_back(int(m_messages.shown.size()));
        return answer;
    }
    Answer answer{Answer::Chosen, "/home/anna/run.tnk"};
    std::vector<Request> requests;
    std::vector<int> messagesBefore;

private:
    const TestSupport::FakeMessages& m_messages;
};
} // namespace

class TestFileType : public QObject
{
    Q_OBJECT

private slots:
    // Only the marker counts: missing, empty or a number, the eight items are written in order and
    // the desktop is told once; "Data" leaves everything as it is.
    void markerDecidesWhetherTheTypeIsDeclared_data()
    {
        QTest::addColumn<int>("markerType"); // RegNone: no marker
        QTest::addColumn<QString>("marker");
        QTest::newRow("no marker: declared") << int(RegNone) << QString();
        QTest::newRow("marker Data: nothing done") << int(RegSz) << QString("Data");
        QTest::newRow("marker empty: declared again") << int(RegSz) << QString();
        QTest::newRow("marker stored as a number: declared again") << int(RegDword) << QString();
    }

    void markerDecidesWhetherTheTypeIsDeclared()
    {
        QFETCH(int, markerType);
        QFETCH(QString, marker);
        Doubles doubles;
        doubles.values[Doubles::fold(HKEY_CLASSES_ROOT, "Tanko File", "")] = {RegSz, "other", 0};
        if (markerType != RegNone)
            doubles.values[Doubles::fold(HKEY_CLASSES_ROOT, ".TNK", "content type")] = {quint32(markerType), marker, 1};
        RegisterDataFileType();
        const bool declares = marker != u"Data";
        const QStringList eight{".tnk||string|Tanko File", ".tnk|Content Type|string|Data",
                                "Tanko File||string|Tanko saved Data", "Tanko File|EditFlags|dword|0",
                                "Tanko File\\DefaultIcon||string|C:\\Program Files\\Tanko\\Tankometer.exe,0",
                                "Tanko File\\Shell||string|", "Tanko File\\Shell\\Open||string|",
                                // Quoted both: the folder holds a blank, the file's path may too.
                                "Tanko File\\Shell\\Open\\Command||string|\"C:\\Program "
                                "Files\\Tanko\\Tankometer.exe\" \"%1\""};
        QCOMPARE(doubles.writes, declares ? eight : QStringList());
        QCOMPARE(doubles.notices, declares ? QStringList{"8000000/0"} : QStringList());
    }

    void rootFolderDoublesTheSeparator()
    {
        Doubles doubles;
        doubles.m_folder = "D:\\";
        RegisterDataFileType();
        QCOMPARE(doubles.writes.value(4), QString("Tanko File\\DefaultIcon||string|D:\\\\Tankometer.exe,0"));
        QCOMPARE(doubles.writes.value(7),
                 QString("Tanko File\\Shell\\Open\\Command||string|\"D:\\\\Tankometer.exe\" \"%1\""));
    }

    // Typed values under names of any letter case, in the settings file, which still opens; another
    // root is another tree.
    void classesStoreKeepsTypedValues()
    {
        TestSupport::Environment env;
        QVERIFY(
            ClassesStore().setString(HKEY_CLASSES_ROOT, ".tnk", "Content Type", QStringView(u"D\0é", 3).toString()));
        QVERIFY(ClassesStore().setDword(HKEY_CLASSES_ROOT, "Tanko File", "EditFlags", 0xFFFFFFFFu));
        env.put("Option", "TotUsers", "1");
        env.reopen();
        const auto text = ClassesStore().query(HKEY_CLASSES_ROOT, ".TNK", "CONTENT TYPE");
        QVERIFY(text && text->type == RegSz && text->text == QStringView(u"D\0é", 3));
        const auto number = ClassesStore().query(HKEY_CLASSES_ROOT, "tanko file", "EditFlags");
        QVERIFY(number && number->type == RegDword && number->number == 0xFFFFFFFFu);
        QVERIFY(!ClassesStore().query(0x80000001u, ".tnk", "Content Type"));
        QCOMPARE(env.get("Option", "TotUsers"), QString("1"));
    }

    // Never created by a registry write: the settings store makes its own file.
    void classesStoreWithoutFileHoldsNothing()
    {
        QTemporaryDir dir;
        ClassesStore store([&dir] { return dir.filePath("missing.db"); });
        QVERIFY(!store.setString(HKEY_CLASSES_ROOT, ".tnk", "", "Tanko File"));
        QVERIFY(!store.query(HKEY_CLASSES_ROOT, ".tnk", "") && QDir(dir.path()).isEmpty());
    }

    // Quoted for Exec (\ " $ ` escaped, % doubled), then escaped as a string value, on one line.
    void execArgumentReachesTheProgramWhole()
    {
        QCOMPARE(FreedesktopShell::execArgument("/opt/a b\"c$d`e\\f%g\nh"),
                 QString("\"/opt/a b\\\\\"c\\\\$d\\\\`e\\\\\\\\f%%g\\nh\""));
    }

    void declaresTheTypeUnderDataHome()
    {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        QStringList ran;
        FreedesktopShell shell([] { return QString("/opt/Tanko Meter/tankometer"); },
                               [&ran](const QString& program, const QStringList& arguments) {
                                   ran << QFileInfo(program).fileName() + u' ' + arguments.join(u' ');
                               });
        shell.changeNotify(modFileType::SHCNE_ASSOCCHANGED, modFileType::SHCNF_IDLIST);

        const QString mime = readText(home.filePath("mime/packages/tankometer-tnk.xml"));
        for (const char* part : {"<mime-type type=\"application/x-tanko\">", "<comment>Tanko saved Data</comment>",
                                 "<glob pattern=\"*.tnk\"/>", "<icon name=\"application-x-tanko\"/>"})
            QVERIFY2(mime.contains(QString(part)), part);
        const QStringList desktop = readText(home.filePath("applications/tankometer-tnk.desktop")).split(u'\n');
        QCOMPARE(desktop.value(0), QString("[Desktop Entry]"));
        for (const char* line : {"Type=Application", "Exec=\"/opt/Tanko Meter/tankometer\" %f",
                                 "MimeType=application/x-tanko;", "Icon=tankometer"})
            QVERIFY2(desktop.contains(QString(line)), line);

        ensureResources();
        QCOMPARE(readText(home.filePath("icons/hicolor/scalable/apps/tankometer.svg")),
                 readText(":/icons/tankometer.svg"));
        QCOMPARE(readText(home.filePath("icons/hicolor/scalable/mimetypes/application-x-tanko.svg")),
                 readText(":/icons/tankometer.svg"));
        // The cache tools run only where they are installed.
        QStringList expected;
        if (!QStandardPaths::findExecutable("update-mime-database").isEmpty())
            expected << "update-mime-database " + home.filePath("mime");
        if (!QStandardPaths::findExecutable("update-desktop-database").isEmpty())
            expected << "update-desktop-database " + home.filePath("applications");
        QCOMPARE(ran, expected);
    }

    // The real declaration writes into the account's desktop folders.
    void initTestCase()
    {
        registerDataFileTypeHook() = [] {};
    }

    // The dialog of each mode and language, offered the last path; the confirmation or the failure
    // after it; a stored "Error..." path shown first as a warning; the last path kept unless a file
    // was chosen.
    void dialogAndMessages_data()
    {
        QTest::addColumn<float>("langOfs");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("lastPath"); // empty: never written
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("messages"); // text (style, title), "|" between them
        const auto row = [](const char* name, float langOfs, int mode, const char* lastPath, int outcome,
                            const char* title, const char* messages) {
            QTest::newRow(name) << langOfs << mode << QString(lastPath) << outcome << QString(title)
                                << QString(messages);
        };
        const int chosen = FileDialog::Answer::Chosen, cancelled = FileDialog::Answer::Cancelled,
                  failed = FileDialog::Answer::Failed;
        const char* enImport = "Import Tanko Data - Select the destination path";
        const char* enExport = "Export Tanko Data - Select the destination path";
        row("en import, first use", 0, 1, "", chosen, enImport, "Data Imported\n\r/new.tnk (64, Main)");
        row("en export", 0, 2, "/old.tnk", chosen, enExport, "Data Exported\n\r/new.tnk (64, Main)");
        row("fr import", 1, 1, "/old.tnk", chosen, "Importer Données Tanko - Selectionnez le dossier de destination",
            "Données Importées\n\r/new.tnk (64, Main)");
        row("fr export", 1, 2, "/old.tnk", chosen, "Exporter Données Tanko - Selectionnez le dossier source",
            "Données Exportées\n\r/new.tnk (64, Main)");
        row("nl import", 2, 1, "/old.tnk", chosen, enImport, "Data Imported\n\r/new.tnk (64, Main)");
        row("nl export", 2, 2, "/old.tnk", chosen, enExport, "Data Exported\n\r/new.tnk (64, Main)");
        row("import cancelled, first use", 0, 1, "", cancelled, enImport, "");
        row("fr export failed", 1, 2, "/old.tnk", failed, "Exporter Données Tanko - Selectionnez le dossier source",
            "L'xport des données a échoué (64, Main)");
        row("a stored error is shown first", 0, 1, "Error 75 on C:\\run.tnk", chosen, enImport,
            "Error 75 on C:\\run.tnk (48, Tankometer)|Data Imported\n\r/new.tnk (64, Main)");
        row("an error in lower case is a path", 0, 1, "error.tnk", chosen, enImport,
            "Data Imported\n\r/new.tnk (64, Main)");
    }

    void dialogAndMessages()
    {
        QFETCH(float, langOfs);
        QFETCH(int, mode);
        QFETCH(QString, lastPath);
        QFETCH(int, outcome);
        QFETCH(QString, messages);
        TestSupport::Environment env("en", langOfs);
        if (!lastPath.isEmpty())
            env.put("Anna", "LastPath", lastPath);
        FakeFileDialog dialog(env.messages);
        dialog.answer = {FileDialog::Answer::Outcome(outcome), "/new.tnk"};
        Import_Export(qint16(mode), nullptr, "Main");
        QCOMPARE(dialog.requests.size(), 1u);
        const FileDialog::Request& request = dialog.requests[0];
        QTEST(request.title, "title");
        QCOMPARE(request.fileName, lastPath);
        QCOMPARE(request.save, mode == 2);
        QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                     .arg(request.filter)
                     .arg(request.filterIndex)
                     .arg(request.flags)
                     .arg(request.defaultExt),
                 QString("Tanko files (*.tnk)|*.tnk 1 2627588 .tnk"));
        QStringList shown;
        for (const TestSupport::Message& m : env.messages.shown)
            shown << QStringLiteral("%1 (%2, %3)").arg(m.text).arg(m.style).arg(m.title);
        QCOMPARE(shown.join(u'|'), messages);
        QCOMPARE(dialog.messagesBefore[0], messages.count(u'|')); // the warning comes before the dialog
        const QString kept = lastPath.isEmpty() ? "<absent>" : lastPath;
        QCOMPARE(env.get("Anna", "LastPath"), outcome == FileDialog::Answer::Chosen ? QString("/new.tnk") : kept);
    }

    // Declared at the start of each run, before its dialog; neither the store nor the file changes.
    void noDataMoves()
    {
        TestSupport::Environment env("en");
        TestSupport::putRecords(env, "Anna", "05 December 2026;06.15;60");
        QTemporaryDir dir;
        QFile file(dir.filePath("run.tnk"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("kept") == 4);
        file.close();
        FakeFileDialog dialog(env.messages);
        dialog.answer.fileName = file.fileName();
        std::vector<size_t> dialogsBeforeDeclaring;
        registerDataFileTypeHook() = [&] { dialogsBeforeDeclaring.push_back(dialog.requests.size()); };
        Import_Export(1, nullptr, "Main");
        Import_Export(2, nullptr, "Main");
        registerDataFileTypeHook() = [] {};
        QCOMPARE(dialogsBeforeDeclaring, (std::vector<size_t>{0, 1}));
        QCOMPARE(env.store().keyCount(u"Anna"), 4 + 1); // the record and LastPath
        QCOMPARE(env.get("Anna", "Tanko1"), QString("06.15"));
        QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == "kept");
    }

    // Opening insists on an existing file; saving may name a new one.
    void theDesktopDialog()
    {
        QTemporaryDir dir;
        for (const bool save : {false, true}) {
            QFileDialog dialog;
            configureFileDialog(dialog, {"Pick", "Tanko files (*.tnk)|*.tnk", 1, ImportExport::Flags,
                                         dir.filePath("last.tnk"), ".tnk", save});
            QCOMPARE(dialog.windowTitle(), QString("Pick"));
            QCOMPARE(dialog.fileMode(), save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
            QCOMPARE(dialog.acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
            QVERIFY(dialog.testOption(QFileDialog::DontConfirmOverwrite));
            QCOMPARE(dialog.selectedNameFilter() + dialog.defaultSuffix(), QString("Tanko files (*.tnk)tnk"));
            QCOMPARE(dialog.directory().absolutePath(), QDir(dir.path()).absolutePath());
        }
    }
};

QTEST_MAIN(TestFileType)
#include "tst_filetype.moc"
