// Import and export: the file dialog each asks for, the confirmation, the
// remembered path, and no data moving.
#include "TestSupport.h"

#include "filetype/FileDialog.h"
#include "filetype/ImportExport.h"

#include <QFileDialog>
#include <QTest>

namespace
{
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

class TestImportExport : public QObject
{
    Q_OBJECT

private slots:
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
        row("export cancelled", 0, 2, "/old.tnk", cancelled, enExport, "");
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

    void noDataMoves()
    {
        TestSupport::Environment env("en");
        TestSupport::putRecords(env, "Anna", "05 December 2026;06.15;60");
        env.put("Devises", "Dev1", "CHF");
        QTemporaryDir dir;
        QFile file(dir.filePath("run.tnk"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("kept as it is") == 13);
        file.close();
        FakeFileDialog dialog(env.messages);
        dialog.answer.fileName = file.fileName();
        std::vector<size_t> dialogsBeforeDeclaring;
        registerDataFileTypeHook() = [&] { dialogsBeforeDeclaring.push_back(dialog.requests.size()); };
        Import_Export(1, nullptr, "Main");
        Import_Export(2, nullptr, "Main");
        registerDataFileTypeHook() = [] {};

        // Declared at the start of each run, before its dialog.
        QCOMPARE(dialogsBeforeDeclaring, (std::vector<size_t>{0, 1}));
        QCOMPARE(env.store().keyCount(u"Anna"), 4 + 1); // the record and LastPath
        QCOMPARE(env.get("Anna", "Tanko1"), QString("06.15"));
        QCOMPARE(env.store().keyCount(u"Devises"), 1);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("kept as it is"));
    }

    void theDesktopDialog_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("open") << false;
        QTest::newRow("save") << true;
    }

    void theDesktopDialog()
    {
        QFETCH(bool, save);
        QTemporaryDir dir;
        const FileDialog::Request request{
            "Pick", "Tanko files (*.tnk)|*.tnk", 1, ImportExport::Flags, dir.filePath("last.tnk"), ".tnk", save};
        QFileDialog dialog;
        configureFileDialog(dialog, request);
        QCOMPARE(dialog.windowTitle(), QString("Pick"));
        QCOMPARE(dialog.acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        // Opening insists on an existing file; saving may name a new one.
        QCOMPARE(dialog.fileMode(), save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        QVERIFY(dialog.testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(dialog.selectedNameFilter(), QString("Tanko files (*.tnk)"));
        QCOMPARE(dialog.defaultSuffix(), QString("tnk"));
        QCOMPARE(dialog.directory().absolutePath(), QDir(dir.path()).absolutePath());
    }
};

QTEST_MAIN(TestImportExport)
#include "tst_importexport.moc"
