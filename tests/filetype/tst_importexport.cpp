#include "TestSupport.h"

#include "filetype/FileDialog.h"
#include "filetype/ImportExport.h"
#include "frame/Appearance.h"
#include "frame/Form1.h"

#include <QFileDialog>
#include <QPushButton>
#include <QTest>

namespace
{
// Answers every dialog as the test decided and keeps what it was asked, and
// how many messages had been shown by then.
class FakeFileDialog : public FileDialog
{
public:
    explicit FakeFileDialog(const TestSupport::FakeMessages& messages) : m_messages(messages)
    {
        FileDialog::setCurrent(this);
    }
    ~FakeFileDialog() override { FileDialog::setCurrent(nullptr); }

    Answer show(QWidget*, const Request& request) override
    {
        requests.push_back(request);
        messagesBefore.push_back(int(m_messages.shown.size()));
        return answer;
    }

    Answer answer{Answer::Chosen, QStringLiteral("/home/anna/run.tnk")};
    std::vector<Request> requests;
    std::vector<int> messagesBefore;

private:
    const TestSupport::FakeMessages& m_messages;
};

const QString MainTitle = QStringLiteral("Tankometer - Anna - v1.0.43");
} // namespace

class TestImportExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        installProgramFont();
        // The real declaration writes into the account's desktop folders.
        registerDataFileTypeHook() = [] {};
    }

    void eachModeAndLanguage_data()
    {
        QTest::addColumn<float>("langOfs");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("confirmation");
        QTest::addColumn<bool>("save");
        QTest::newRow("en import") << 0.0f << 1 << "Import Tanko Data - Select the destination path"
                                   << "Data Imported" << false;
        QTest::newRow("en export") << 0.0f << 2 << "Export Tanko Data - Select the destination path"
                                   << "Data Exported" << true;
        QTest::newRow("fr import") << 1.0f << 1 << "Importer Données Tanko - Selectionnez le dossier de destination"
                                   << "Données Importées" << false;
        QTest::newRow("fr export") << 1.0f << 2 << "Exporter Données Tanko - Selectionnez le dossier source"
                                   << "Données Exportées" << true;
        QTest::newRow("nl import") << 2.0f << 1 << "Import Tanko Data - Select the destination path"
                                   << "Data Imported" << false;
        QTest::newRow("nl export") << 2.0f << 2 << "Export Tanko Data - Select the destination path"
                                   << "Data Exported" << true;
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
        QTEST(first.save, "save");
        QCOMPARE(first.filter, QStringLiteral("Tanko files (*.tnk)|*.tnk"));
        QCOMPARE(first.filterIndex, 1);
        QCOMPARE(first.flags, 2627588);
        QCOMPARE(first.defaultExt, QStringLiteral(".tnk"));
        QCOMPARE(first.fileName, QString());
        QCOMPARE(env.messages.shown.size(), 1u);
        QCOMPARE(env.messages.shown[0].text, confirmation + QStringLiteral("\n\r/home/anna/run.tnk"));
        QCOMPARE(env.messages.shown[0].style, 64);
        QCOMPARE(env.messages.shown[0].title, MainTitle);
        QCOMPARE(env.get("Anna", "LastPath"), QStringLiteral("/home/anna/run.tnk"));

        // Second use offers the last file.
        dialog.answer.fileName = QStringLiteral("/media/key/later.tnk");
        Import_Export(qint16(mode), nullptr, MainTitle);
        QCOMPARE(dialog.requests[1].fileName, QStringLiteral("/home/anna/run.tnk"));
        QCOMPARE(env.get("Anna", "LastPath"), QStringLiteral("/media/key/later.tnk"));
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
        QTest::newRow("import cancelled, first use") << 0.0f << 1 << cancelled << ""
                                                     << "";
        QTest::newRow("export cancelled") << 0.0f << 2 << cancelled << "/home/anna/old.tnk"
                                          << "";
        QTest::newRow("en import failed") << 0.0f << 1 << failed << "/home/anna/old.tnk"
                                          << "Data Import failed";
        QTest::newRow("fr export failed") << 1.0f << 2 << failed << ""
                                          << "L'xport des données a échoué";
        QTest::newRow("nl export failed") << 2.0f << 2 << failed << "/home/anna/old.tnk"
                                          << "Data Export failed";
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
        QCOMPARE(env.messages.shown.size(), message.isEmpty() ? 0u : 1u);
        if (!message.isEmpty()) {
            QCOMPARE(env.messages.shown[0].text, message);
            QCOMPARE(env.messages.shown[0].style, 64);
            QCOMPARE(env.messages.shown[0].title, MainTitle);
        }
        QCOMPARE(env.get("Anna", "LastPath"), lastPath.isEmpty() ? QStringLiteral("<absent>") : lastPath);
    }

    // A path stored as "Error..." is shown as a warning before the dialog,
    // then offered all the same.
    void aStoredErrorIsShownFirst_data()
    {
        QTest::addColumn<QString>("lastPath");
        QTest::addColumn<bool>("warned");
        QTest::newRow("Error") << "Error 75 on C:\\Data\\run.tnk" << true;
        QTest::newRow("error in lower case") << "error.tnk" << false;
        QTest::newRow("Erro") << "Erro.tnk" << false;
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
            QCOMPARE(env.messages.shown[0].title, QStringLiteral("Tankometer"));
        }
        QCOMPARE(env.messages.shown.back().text, QStringLiteral("Données Importées\n\r/home/anna/run.tnk"));
    }

    void noDataMoves()
    {
        TestSupport::Environment env("en");
        env.put("Anna", "TotEntry", "1");
        env.put("Anna", "Date1", "05 December 2026");
        env.put("Anna", "Tanko1", "06.15");
        env.put("Devises", "Dev1", "CHF");
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("run.tnk"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("kept as it is");
        out.close();
        FakeFileDialog dialog(env.messages);
        dialog.answer.fileName = file;
        std::vector<size_t> dialogsBeforeDeclaring;
        registerDataFileTypeHook() = [&] { dialogsBeforeDeclaring.push_back(dialog.requests.size()); };

        Import_Export(1, nullptr, MainTitle);
        Import_Export(2, nullptr, MainTitle);
        registerDataFileTypeHook() = [] {};

        // Declared at the start of each run, before its dialog.
        QCOMPARE(dialogsBeforeDeclaring, (std::vector<size_t>{0, 1}));
        QCOMPARE(env.store().keyCount(u"Anna"), 4);
        QCOMPARE(env.get("Anna", "Tanko1"), QStringLiteral("06.15"));
        QCOMPARE(env.get("Anna", "Date1"), QStringLiteral("05 December 2026"));
        QCOMPARE(env.store().keyCount(u"Devises"), 1);
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), QByteArray("kept as it is"));
    }

    void theButtonsStayDisabled()
    {
        TestSupport::Environment env("en");
        Form1 form1;
        form1.show();
        for (const char* name : {"Command5", "Command6"})
            QVERIFY(!form1.findChild<QPushButton*>(QLatin1String(name))->isEnabled());
    }

    void nameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("the program's") << "Tanko files (*.tnk)|*.tnk" << QStringList{"Tanko files (*.tnk)"};
        QTest::newRow("patterns added") << "Text|*.txt;*.log" << QStringList{"Text (*.txt *.log)"};
        QTest::newRow("two pairs") << "A|*.a|B (*.b)|*.b" << QStringList{"A (*.a)", "B (*.b)"};
    }

    void nameFilters()
    {
        QFETCH(QString, filter);
        QTEST(nameFiltersFrom(filter), "expected");
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
        FileDialog::Request request{QStringLiteral("Pick"),
                                    QStringLiteral("Tanko files (*.tnk)|*.tnk"),
                                    1,
                                    ImportExport::Flags,
                                    dir.filePath(QStringLiteral("last.tnk")),
                                    QStringLiteral(".tnk"),
                                    save};
        QFileDialog dialog;
        configureFileDialog(dialog, request);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Pick"));
        QCOMPARE(dialog.acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        // Opening insists on an existing file; saving may name a new one.
        QCOMPARE(dialog.fileMode(), save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        QVERIFY(dialog.testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(dialog.nameFilters(), QStringList{"Tanko files (*.tnk)"});
        QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("Tanko files (*.tnk)"));
        QCOMPARE(dialog.defaultSuffix(), QStringLiteral("tnk"));
        QCOMPARE(dialog.directory().absolutePath(), QDir(dir.path()).absolutePath());
    }
};

QTEST_MAIN(TestImportExport)
#include "tst_importexport.moc"
