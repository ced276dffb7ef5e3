// A store whose folder cannot be written: its data is shown and a save is
// refused with a message, the file left as it was.
#include "TestSupport.h"

#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Everything a user sees of such a store; what went wrong, empty when all is well.
QString checkReadOnlyStore(const QString& path)
{
    const QByteArray before = fileBytes(path);
    SettingsStore store(path);
    if (!store.open() || !store.isReadOnly())
        return "opens as " + QString(store.isOpen() ? "writable" : "nothing: " + store.lastError());
    SettingsStore::setCurrent(&store);
    TestSupport::FakeMessages messages;
    Platform::services().messages = &messages;
    Module1::CurUser = "Anna";
    Form1 form;
    form.show();
    form.Text1[1]->setText("650");
    form.Text1[2]->setText("40");
    form.Text1[3]->setText("60");
    form.Command2_Click();
    const QString seen = QStringList{form.findChild<QLabel*>("Panel3")->text(), form.Text1[3]->text(),
                                     messages.shown.empty() ? "" : QString::number(messages.shown[0].style),
                                     messages.shown.empty() ? "" : messages.shown[0].text.section(u'\n', 0, 0)}
                             .join(" / ");
    SettingsStore::setCurrent(nullptr);
    if (seen != u"07.00 Liters / 100 Kms / 60 / 16 / The fill-up was not saved." || messages.shown.size() != 1)
        return "shown: " + seen;
    return fileBytes(path) == before ? QString() : "the file changed";
}
} // namespace

class TestReadOnlyStore : public QObject
{
    Q_OBJECT

private slots:
    void readOnlyFolderStillShowsTheData()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tanko.db");
        {
            SettingsStore store(path);
            QVERIFY(store.open());
            QVERIFY(
                store.saveAll({{"Anna", "TotEntry", "2"}, {"Anna", "Tanko1", "06.00"}, {"Anna", "Tanko2", "08.00"}}));
        }
        QCOMPARE(::chmod(qPrintable(dir.path()), 0555), 0);
        auto restore = qScopeGuard([&] { ::chmod(qPrintable(dir.path()), 0755); });
        if (::geteuid() != 0) {
            const QString problem = checkReadOnlyStore(path);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
            return;
        }
        // Root writes anywhere: look through the eyes of an ordinary account.
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TANKO_READONLY_CHILD", path);
        environment.insert("HOME", dir.path());
        environment.insert("XDG_RUNTIME_DIR", QDir::tempPath());
        child.setProcessEnvironment(environment);
        child.start("setpriv",
                    {"--reuid=65534", "--regid=65534", "--clear-groups", QCoreApplication::applicationFilePath()});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 qPrintable(child.readAllStandardOutput() + child.readAllStandardError()));
    }
};

int main(int argc, char* argv[])
{
    const QString child = qEnvironmentVariable("TANKO_READONLY_CHILD");
    QApplication app(argc, argv);
    installProgramFont();
    if (!child.isEmpty()) {
        const QString problem = checkReadOnlyStore(child);
        std::printf("%s\n", qPrintable(problem));
        return problem.isEmpty() ? 0 : 1;
    }
    TestReadOnlyStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_readonlystore.moc"
