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

const QString MainTitle = "Tankometer - Anna - v1.0.43";
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

    void eachModeAndLanguage_data()
    {
        QTest::addColumn<float>("langOfs");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("confirmation");
        const auto row = [](const char* name, float langOfs, int mode, const char* title, const char* confirmation) {
            QTest::newRow(name) << langOfs << mode << QString(title) << QString(confirmation);
        };
        row("en import", 0, 1, "Import Tanko Data - Select the destination path", "Data Imported");
        row("en export", 0, 2, "Export Tanko Data - Select the destination path", "Data Exported");
        row("fr import", 1, 1, "Importer Données Tanko - Selectionnez le dossier de destination", "Données Importées");
        row("fr export", 1, 2, "Exporter Données Tanko - Selectionnez le dossier source", "Données Exportées");
        row("nl import", 2, 1, "Import Tanko Data - Select the destination path", "Data Imported");
        row("nl export", 2, 2, "Export Tanko Data - Select the destination path", "Data Exported");
    }

    void eachModeAndLanguage()
    {
        QFETCH(float, langOfs);
        QFETCH(int, mode);
        QFETCH(QString, confirmation);
        TestSupport::Environment env("en", langOfs);
        FakeFileDialog dialog(env.messages);

        // First use: no initial file; the choice is confirmed and remembered.
        Import_Export(qint16(mode), nullptr, MainTitle);
        QCOMPARE(dialog.requests.size(), 1u);
        const FileDialog::Request& first = dialog.requests[0];
        QTEST(first.title, "title");
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5 [%6]")
                     .arg(first.filter)
                     .arg(first.filterIndex)
                     .arg(first.flags)
                     .arg(first.defaultExt)
                     .arg(first.save ? "save" : "open", first.fileName),
                 QStringLiteral("Tanko files (*.tnk)|*.tnk 1 2627588 .tnk %1 []").arg(mode == 2 ? "save" : "open"));
        QCOMPARE(env.messages.shown.size(), 1u);
        const TestSupport::Message& shown = env.messages.shown[0];
        QCOMPARE(QStringLiteral("%1 (%2, %3)").arg(shown.text).arg(shown.style).arg(shown.title),
                 confirmation + "\n\r/home/anna/run.tnk (64, " + MainTitle + ")");

        // The next use offers the last file.
        dialog.answer.fileName = "/media/key/later.tnk";
        Import_Export(qint16(mode), nullptr, MainTitle);
        QCOMPARE(dialog.requests[1].fileName, QString("/home/anna/run.tnk"));
        QCOMPARE(env.get("Anna", "LastPath"), QString("/media/key/later.tnk"));
    }

    // Cancel is silent; a dialog that failed has chosen nothing and says so
    // rather than confirm. Either way the last path stays.
    void withoutAChoice_data()
    {
        QTest::addColumn<float>("langOfs");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("lastPath"); // empty: never written
        QTest::addColumn<QString>("message");  // empty: none
        const int cancelled = FileDialog::Answer::Cancelled, failed = FileDialog::Answer::Failed;
        QTest::newRow("import cancelled, first use") << 0.f << 1 << cancelled << ""
                                                     << "";
        QTest::newRow("export cancelled") << 0.f << 2 << cancelled << "/home/anna/old.tnk"
                                          << "";
        QTest::newRow("fr export failed") << 1.f << 2 << failed << ""
                                          << "L'xport des données a échoué";
    }

    void withoutAChoice()
    {
        QFETCH(float, langOfs);
        QFETCH(int, mode);
        QFETCH(int, outcome);
        QFETCH(QString, lastPath);
        QFETCH(QString, message);
        TestSupport::Environment env("en", langOfs);
        if (!lastPath.isEmpty())
            env.put("Anna", "LastPath", lastPath);
        FakeFileDialog dialog(env.messages);
        dialog.answer = {FileDialog::Answer::Outcome(outcome), {}};
        Import_Export(qint16(mode), nullptr, MainTitle);
        QCOMPARE(dialog.requests.size(), 1u);
        QStringList shown;
        for (const TestSupport::Message& m : env.messages.shown)
            shown << QStringLiteral("%1 (%2, %3)").arg(m.text).arg(m.style).arg(m.title);
        QCOMPARE(shown, message.isEmpty() ? QStringList() : QStringList{message + " (64, " + MainTitle + ")"});
        QCOMPARE(env.get("Anna", "LastPath"), lastPath.isEmpty() ? "<absent>" : lastPath);
    }

    // A path stored as "Error..." is shown as a warning before the dialog, then offered all the same.
    void aStoredErrorIsShownFirst_data()
    {
        QTest::addColumn<QString>("lastPath");
        QTest::addColumn<bool>("warned");
        QTest::newRow("Error") << "Error 75 on C:\\Data\\run.tnk" << true;
        QTest::newRow("error in lower case") << "error.tnk" << false;
    }

    void aStoredErrorIsShownFirst()
    {
        QFETCH(QString, lastPath);
        QFETCH(bool, warned);
        TestSupport::Environment env("fr", 1);
        env.put("Anna", "LastPath", lastPath);
        FakeFileDialog dialog(env.messages);
        Import_Export(1, nullptr, MainTitle);
        QCOMPARE(dialog.requests[0].fileName, lastPath);
        QCOMPARE(dialog.messagesBefore[0], warned ? 1 : 0);
        QCOMPARE(env.messages.shown.size(), warned ? 2u : 1u);
        if (warned) {
            QCOMPARE(env.messages.shown[0].text, lastPath);
            QCOMPARE(env.messages.shown[0].style, 48);
            QCOMPARE(env.messages.shown[0].title, QString("Tankometer"));
        }
        QCOMPARE(env.messages.shown.back().text, QString("Données Importées\n\r/home/anna/run.tnk"));
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
        Import_Export(1, nullptr, MainTitle);
        Import_Export(2, nullptr, MainTitle);
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
