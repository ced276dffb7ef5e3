// The list of users in section "Option" and each user's language.
#include "TestSupport.h"

#include "users/UserList.h"

#include <QTest>

namespace
{
// The User keys 1 to n as stored, "-" for a missing one.
QStringList userKeys(const TestSupport::Environment& env, int n)
{
    QStringList keys;
    for (int i = 1; i <= n; ++i)
        keys << env.get("Option", QStringLiteral("User%1").arg(i)).replace("<absent>", "-");
    return keys;
}
} // namespace

class TestUserList : public QObject
{
    Q_OBJECT

private slots:
    void savingGrowsTheListInConfirmationOrder()
    {
        TestSupport::Environment env("nl", 0, QString());
        QCOMPARE(UserList::Read().selected, -1);
        UserList::Save("Anna", 0);
        QCOMPARE(env.get("Option", "TotUsers"), QString("1"));
        QCOMPARE(env.get("Option", "LastUser"), QString("Anna"));
        QCOMPARE(env.get("Anna", "Lang"), QString("0"));

        // Another spelling is another entry, sharing the one section.
        UserList::Save("anna", 1);
        QCOMPARE(env.get("Anna", "Lang"), QString("1"));
        // Names are kept exactly, blanks and all; a known name is not added again.
        UserList::Save(" Élodie d'Artois ", 2);
        UserList::Save("Anna", 2);
        QCOMPARE(env.get("Option", "LastUser"), QString("Anna"));
        QCOMPARE(env.get("Anna", "Lang"), QString("2"));
        for (int i = 4; i <= 10; ++i)
            UserList::Save(QStringLiteral("Driver %1").arg(i), i % 3);
        QCOMPARE(env.get("Option", "TotUsers"), QString("10"));
        QCOMPARE(userKeys(env, 11), (QStringList{"Anna", "anna", " Élodie d'Artois ", "Driver 4", "Driver 5",
                                                 "Driver 6", "Driver 7", "Driver 8", "Driver 9", "Driver 10", "-"}));
        QCOMPARE(env.get(" Élodie d'Artois ", "Lang"), QString("2"));
        const UserList::Users users = UserList::Read();
        QCOMPARE(users.names, userKeys(env, 10));
        QCOMPARE(users.selected, 9);
    }

    void readListsAndSelects_data()
    {
        QTest::addColumn<QString>("total");
        QTest::addColumn<QStringList>("stored"); // "-" leaves that User key out
        QTest::addColumn<QString>("lastUser");   // "-" leaves LastUser out
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<int>("selected");
        const QStringList abc{"Anna", "Bob", "Cleo"};
        QTest::newRow("last user selected") << "3" << abc << "Bob" << abc << 1;
        QTest::newRow("no last user: first entry") << "3" << abc << "-" << abc << 0;
        QTest::newRow("last user not listed: none") << "3" << abc << "Dirk" << abc << -1;
        QTest::newRow("last user in other case: none") << "3" << abc << "bob" << abc << -1;
        QTest::newRow("duplicates: the last one")
            << "3" << QStringList{"Anna", "Bob", "Anna"} << "Anna" << QStringList{"Anna", "Bob", "Anna"} << 2;
        QTest::newRow("missing User key listed empty")
            << "3" << QStringList{"Anna", "-", "Cleo"} << "Cleo" << QStringList{"Anna", "", "Cleo"} << 2;
        QTest::newRow("empty User key listed empty")
            << "3" << QStringList{"Anna", "", "Cleo"} << "" << QStringList{"Anna", "", "Cleo"} << 0;
        QTest::newRow("count below the keys: the first ones")
            << "2" << abc << "Cleo" << QStringList{"Anna", "Bob"} << -1;
        QTest::newRow("no count: nothing") << "-" << abc << "Anna" << QStringList() << -1;
    }

    void readListsAndSelects()
    {
        QFETCH(QString, total);
        QFETCH(QStringList, stored);
        QFETCH(QString, lastUser);
        TestSupport::Environment env;
        stored << total << lastUser;
        const QStringList keys{"User1", "User2", "User3", "TotUsers", "LastUser"};
        for (int i = 0; i < keys.size(); ++i)
            if (stored[i] != u"-")
                env.put("Option", keys[i], stored[i]);
        const UserList::Users users = UserList::Read();
        QTEST(users.names, "listed");
        QTEST(users.selected, "selected");
    }

    // A count the program could not have written lists nobody, and confirming then
    // must not overwrite a User key.
    void unreadableCountAppendsNothing_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("total");
        QTest::newRow("en: letters") << "en"
                                     << "two";
        QTest::newRow("fr: 1.5 is no French number") << "fr"
                                                     << "1.5";
        QTest::newRow("en: negative") << "en"
                                      << "-2";
        QTest::newRow("en: more than the keys") << "en"
                                                << "1000000000";
    }

    void unreadableCountAppendsNothing()
    {
        QFETCH(QString, locale);
        QFETCH(QString, total);
        TestSupport::Environment env(locale);
        env.put("Option", "User1", "Anna");
        env.put("Option", "User2", "Bob");
        env.put("Option", "TotUsers", total);
        QVERIFY(!UserList::ReadUserTotal());
        QCOMPARE(UserList::Read().names, QStringList());
        UserList::Save("Zoe", 1);
        QCOMPARE(env.get("Option", "TotUsers"), total);
        QCOMPARE(userKeys(env, 3), (QStringList{"Anna", "Bob", "-"}));
        QCOMPARE(env.get("Option", "LastUser"), QString("Zoe"));
        QCOMPARE(env.get("Zoe", "Lang"), QString("1"));
    }

    void storedLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("stored"); // "-": no Lang key
        QTest::addColumn<int>("expected");   // -1: leave the choice alone
        QTest::newRow("en: 2 Dutch") << "en"
                                     << "2" << 2;
        QTest::newRow("en: no key") << "en"
                                    << "-" << -1;
        QTest::newRow("en: empty text means none") << "en"
                                                   << "" << -1;
        QTest::newRow("en: letters") << "en"
                                     << "Dutch" << -1;
        QTest::newRow("en: 3 is no language") << "en"
                                              << "3" << -1;
        QTest::newRow("en: 2.5 halves to even 2") << "en"
                                                  << "2.5" << 2;
        QTest::newRow("fr: 1,5 halves to even 2") << "fr"
                                                  << "1,5" << 2;
        QTest::newRow("fr: 1.5 is no French number") << "fr"
                                                     << "1.5" << -1;
    }

    void storedLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QString, stored);
        TestSupport::Environment env(locale);
        if (stored != u"-")
            env.put("Anna", "Lang", stored);
        QTEST(UserList::StoredLanguage("Anna").value_or(-1), "expected");
    }
};

QTEST_GUILESS_MAIN(TestUserList)
#include "tst_userlist.moc"
