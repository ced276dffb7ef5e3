// The user list in section "Option": what is listed and selected from what is
// stored, and what confirming a name appends, all or nothing.
#include "TestSupport.h"

#include "core/users/Users.h"

#include <QTest>

class TestUsers : public QObject
{
    Q_OBJECT

private slots:
    void listAndAppend_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("stored"); // TotUsers|User1|User2|User3|LastUser, "-" never written
        QTest::addColumn<QString>("listed"); // names, "/" between them, the selected one in []
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("after"); // TotUsers User1 User2 User3 User4 after confirming
        const auto row = [](const char* name, const char* locale, const char* stored, const char* listed,
                            const char* confirm, const char* after) {
            QTest::newRow(name) << locale << stored << listed << confirm << after;
        };
        row("en: first start, Zoe becomes User1", "en", "-|-|-|-|-", "", "Zoe", "1 Zoe - - -");
        row("fr: last user selected, a new name appended", "fr", "2|Ann|Bob|-|Bob", "Ann/[Bob]", "Zoe",
            "3 Ann Bob Zoe -");
        row("nl: a known name appends nothing", "nl", "2|Ann|Bob|-|Ann", "[Ann]/Bob", "Bob", "2 Ann Bob - -");
        row("en: names compared exactly: anna is new", "en", "1|Anna|-|-|Anna", "[Anna]", "anna", "2 Anna anna - -");
        row("nl: duplicates: the last match selected", "nl", "3|Ann|Bob|Ann|Ann", "Ann/Bob/[Ann]", "Cid",
            "4 Ann Bob Ann Cid");
        row("fr: a count as high as the keys lists the missing name empty", "fr", "3|Ann|Bob|-|-", "[Ann]/Bob/", "Zoe",
            "4 Ann Bob - Zoe");
        row("nl: a count beyond the stored keys lists nobody and overwrites none", "nl", "4|Ann|Bob|-|-", "", "Zoe",
            "4 Ann Bob - -");
        row("en: a count that is no number lists nobody", "en", "two|Ann|-|-|Ann", "", "Zoe", "two Ann - - -");
    }

    void listAndAppend()
    {
        QFETCH(QString, locale);
        QFETCH(QString, stored);
        QFETCH(QString, confirm);
        TestSupport::Environment env(locale);
        const QStringList keys{"TotUsers", "User1", "User2", "User3", "LastUser"};
        for (int i = 0; i < keys.size(); ++i)
            if (stored.section(u'|', i, i) != u"-")
                env.put("Option", keys[i], stored.section(u'|', i, i));
        Users& list = env.context().users();
        const Users::List users = list.read();
        QStringList listed = users.names;
        if (users.selected >= 0)
            listed[users.selected] = u'[' + listed[users.selected] + u']';
        QTEST(listed.join(u'/'), "listed");

        QVERIFY(list.confirm(confirm, 2));
        QStringList after;
        for (const char* key : {"TotUsers", "User1", "User2", "User3", "User4"})
            after << env.stored("Option", key).replace("<absent>", "-");
        QTEST(after.join(u' '), "after");
        QCOMPARE(env.stored("Option", "LastUser") + u'/' + env.stored(confirm.toUpper(), "LANG"), confirm + "/2");
    }

    // The list is written as one: a refused write leaves every key as it was.
    void failedSaveWritesNothing()
    {
        TestSupport::Environment env;
        env.put("Option", "TotUsers", "1");
        env.put("Option", "User1", "Ann");
        TestSupport::refuseKey(env.storePath(), "LastUser");
        env.reopen();
        QVERIFY(!env.context().users().confirm("Zoe", 1));
        QVERIFY(env.store().lastError().contains("disk is full"));
        QCOMPARE(env.stored("Option", "TotUsers") + env.stored("Option", "User2") + env.stored("Zoe", "Lang"),
                 QString("1<absent><absent>"));
    }
};

QTEST_GUILESS_MAIN(TestUsers)
#include "tst_users.moc"
