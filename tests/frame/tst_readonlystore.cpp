#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"
#include "frame/Platform.h"
#include "frame/SettingsStore.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
QByteArray fileHash(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

class RecordedMessages : public Platform::MessageBoxes
{
public:
    void show(QWidget*, const QString& text, int style, const QString&) override
    {
        texts << QString::number(style) + u' ' + text;
    }
    QStringList texts;
};

// Everything a user sees of a store whose folder cannot be written; returns
// what went wrong, empty when all is well.
QString checkReadOnlyStore(const QString& path)
{
    const QByteArray before = fileHash(path);
    SettingsStore store(path);
    if (!store.open())
        return QStringLiteral("does not open: ") + store.lastError();
    if (!store.isReadOnly())
        return QStringLiteral("claims to be writable");
    SettingsStore::setCurrent(&store);
    RecordedMessages messages;
    Platform::services().messages = &messages;
    Module1::CurUser = QStringLiteral("Anna");
    Form1 form;
    form.show();
    const QString average = form.findChild<QLabel*>(QStringLiteral("Panel3"))->text();
    if (average != u"07.00 Liters / 100 Kms")
        return QStringLiteral("average shown: ") + average;
    form.Text1[1]->setText(QStringLiteral("650"));
    form.Text1[2]->setText(QStringLiteral("40"));
    form.Text1[3]->setText(QStringLiteral("60"));
    form.Command2_Click();
    if (messages.texts.size() != 1 || !messages.texts[0].startsWith(u"16 The fill-up was not saved."))
        return QStringLiteral("messages: ") + messages.texts.join(u'|');
    if (form.Text1[3]->text() != u"60")
        return QStringLiteral("the typed fill-up was dropped");
    SettingsStore::setCurrent(nullptr);
    if (fileHash(path) != before)
        return QStringLiteral("the file changed");
    return {};
}
} // namespace

class TestReadOnlyStore : public QObject
{
    Q_OBJECT

private slots:
    void readOnlyFolderStillShowsTheData()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tanko.db"));
        {
            SettingsStore store(path);
            QVERIFY(store.open());
            QVERIFY(
                store.saveAll({{"Anna", "TotEntry", "2"}, {"Anna", "Tanko1", "06.00"}, {"Anna", "Tanko2", "08.00"}}));
        }
        QCOMPARE(::chmod(qPrintable(path), 0644), 0);
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
        environment.insert(QStringLiteral("TANKO_READONLY_CHILD"), path);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), dir.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QDir::tempPath());
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral("setpriv"),
                    {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
                     QCoreApplication::applicationFilePath()});
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
