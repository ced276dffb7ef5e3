#include "TestSupport.h"

#include "users/UserList.h"

#include <QTest>

namespace
{
const QString Option = QStringLiteral("Option");

void putUsers(TestSupport::Environment& env, const QStringList& names, const QString& lastUser = QString())
{
    env.put(Option, QStringLiteral("TotUsers"), QString::number(names.size()));
    for (int i = 0; i < names.size(); ++i)
        env.put(Option, QStringLiteral("User%1").arg(i + 1), names[i]);
    if (!lastUser.isNull())
        env.put(Option, QStringLiteral("LastUser"), lastUser);
}
} // namespace

class TestUserList : public QObject
{
    Q_OBJECT

private slots:
    void firstConfirmationStartsTheList();
    void knownNameKeepsTheList();
    void otherCaseIsAnotherEntrySharingTheSection();
    void namesAreKeptExactly_data();
    void namesAreKeptExactly();
    void tenUsers();
    void readListsAndSelects_data();
    void readListsAndSelects();
    void unreadableCountAppendsNothing_data();
    void unreadableCountAppendsNothing();
    void storedLanguage_data();
    void storedLanguage();
    void languageStoredOnlyForKnownNames();
};

void TestUserList::firstConfirmationStartsTheList()
{
    TestSupport::Environment env("fr", 0, QString());
    QCOMPARE(UserList::Read().names, QStringList());
    QCOMPARE(UserList::Read().selected, -1);

    UserList::Save(QStringLiteral("Anna"), 0);
    QCOMPARE(env.get(Option, QStringLiteral("TotUsers")), QStringLiteral("1"));
    QCOMPARE(env.get(Option, QStringLiteral("User1")), QStringLiteral("Anna"));
    QCOMPARE(env.get(Option, QStringLiteral("LastUser")), QStringLiteral("Anna"));
    QCOMPARE(env.get(QStringLiteral("Anna"), QStringLiteral("Lang")), QStringLiteral("0"));
    QCOMPARE(UserList::Read().names, QStringList{QStringLiteral("Anna")});
    QCOMPARE(UserList::Read().selected, 0);
}

void TestUserList::knownNameKeepsTheList()
{
    TestSupport::Environment env;
    putUsers(env, {QStringLiteral("Anna"), QStringLiteral("Bob")}, QStringLiteral("Anna"));
    env.put(QStringLiteral("Bob"), QStringLiteral("Lang"), QStringLiteral("0"));

    UserList::Save(QStringLiteral("Bob"), 2);
    QCOMPARE(env.get(Option, QStringLiteral("TotUsers")), QStringLiteral("2"));
    QCOMPARE(env.get(Option, QStringLiteral("User3")), QStringLiteral("<absent>"));
    QCOMPARE(env.get(Option, QStringLiteral("LastUser")), QStringLiteral("Bob"));
    QCOMPARE(env.get(QStringLiteral("Bob"), QStringLiteral("Lang")), QStringLiteral("2"));
}

void TestUserList::otherCaseIsAnotherEntrySharingTheSection()
{
    TestSupport::Environment env;
    putUsers(env, {QStringLiteral("Anna")}, QStringLiteral("Anna"));
    env.put(QStringLiteral("Anna"), QStringLiteral("Lang"), QStringLiteral("2"));

    UserList::Save(QStringLiteral("anna"), 1);
    QCOMPARE(env.get(Option, QStringLiteral("TotUsers")), QStringLiteral("2"));
    QCOMPARE(env.get(Option, QStringLiteral("User2")), QStringLiteral("anna"));
    // One section for both spellings: Anna's language is now French too.
    QCOMPARE(env.get(QStringLiteral("Anna"), QStringLiteral("Lang")), QStringLiteral("1"));
    QCOMPARE(UserList::StoredLanguage(QStringLiteral("Anna")), std::optional<int>(1));
}

void TestUserList::namesAreKeptExactly_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks around the name") << QStringLiteral(" Anna ");
    QTest::newRow("blanks only") << QStringLiteral("   ");
    QTest::newRow("blank inside") << QStringLiteral("Anna Maria");
    QTest::newRow("accents and apostrophe") << QStringLiteral("Élodie d'Artois");
}

void TestUserList::namesAreKeptExactly()
{
    QFETCH(QString, name);
    TestSupport::Environment env;
    putUsers(env, {QStringLiteral("Anna")}, QStringLiteral("Anna"));
    UserList::Save(name, 2);
    QCOMPARE(env.get(Option, QStringLiteral("User2")), name);
    QCOMPARE(env.get(Option, QStringLiteral("LastUser")), name);
    QCOMPARE(env.get(name, QStringLiteral("Lang")), QStringLiteral("2"));
    const UserList::Users users = UserList::Read();
    QCOMPARE(users.names, (QStringList{QStringLiteral("Anna"), name}));
    QCOMPARE(users.selected, 1);
}

void TestUserList::tenUsers()
{
    TestSupport::Environment env("nl");
    QStringList names;
    for (int i = 1; i <= 10; ++i) {
        names << QStringLiteral("Driver %1").arg(i);
        UserList::Save(names.last(), i % 3);
    }
    QCOMPARE(env.get(Option, QStringLiteral("TotUsers")), QStringLiteral("10"));
    QCOMPARE(env.get(Option, QStringLiteral("User10")), QStringLiteral("Driver 10"));
    QCOMPARE(env.get(Option, QStringLiteral("User01")), QStringLiteral("<absent>"));
    const UserList::Users users = UserList::Read();
    QCOMPARE(users.names, names); // in the order they were first confirmed
    QCOMPARE(users.selected, 9);
    QCOMPARE(users.total, 10.0f);
}

void TestUserList::readListsAndSelects_data()
{
    QTest::addColumn<QString>("total");
    QTest::addColumn<QStringList>("stored"); // "-" leaves that User key out
    QTest::addColumn<QString>("lastUser");   // null leaves LastUser out
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<int>("selected");

    const QStringList abc = {QStringLiteral("Anna"), QStringLiteral("Bob"), QStringLiteral("Cleo")};
    QTest::newRow("last user selected") << "3" << abc << "Bob" << abc << 1;
    QTest::newRow("no last user: first entry") << "3" << abc << QString() << abc << 0;
    QTest::newRow("last user not listed: none") << "3" << abc << "Dirk" << abc << -1;
    QTest::newRow("last user in other case: none") << "3" << abc << "bob" << abc << -1;
    QTest::newRow("duplicates: the last one")
        << "3" << QStringList{"Anna", "Bob", "Anna"} << "Anna" << QStringList{"Anna", "Bob", "Anna"} << 2;
    QTest::newRow("missing User key listed empty")
        << "3" << QStringList{"Anna", "-", "Cleo"} << "Cleo" << QStringList{"Anna", "", "Cleo"} << 2;
    QTest::newRow("empty User key listed empty")
        << "3" << QStringList{"Anna", "", "Cleo"} << "" << QStringList{"Anna", "", "Cleo"} << 0;
    QTest::newRow("count below the keys: the first ones") << "2" << abc << "Cleo" << QStringList{"Anna", "Bob"} << -1;
    QTest::newRow("no count: nothing") << "-" << abc << "Anna" << QStringList() << -1;
    QTest::newRow("count 0: nothing") << "0" << abc << "Anna" << QStringList() << -1;
}

void TestUserList::readListsAndSelects()
{
    QFETCH(QString, total);
    QFETCH(QStringList, stored);
    QFETCH(QString, lastUser);
    QFETCH(QStringList, listed);
    QFETCH(int, selected);
    TestSupport::Environment env;
    if (total != u"-")
        env.put(Option, QStringLiteral("TotUsers"), total);
    for (int i = 0; i < stored.size(); ++i)
        if (stored[i] != u"-")
            env.put(Option, QStringLiteral("User%1").arg(i + 1), stored[i]);
    if (!lastUser.isNull())
        env.put(Option, QStringLiteral("LastUser"), lastUser);

    const UserList::Users users = UserList::Read();
    QCOMPARE(users.names, listed);
    QCOMPARE(users.selected, selected);
}

void TestUserList::unreadableCountAppendsNothing_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("total");
    QTest::newRow("en: letters") << "en"
                                 << "two";
    QTest::newRow("en: empty text") << "en"
                                    << "";
    QTest::newRow("fr: 1.5 is no French number") << "fr"
                                                 << "1.5";
    QTest::newRow("en: negative") << "en"
                                  << "-2";
    QTest::newRow("en: more than the keys") << "en"
                                            << "1000000000";
    QTest::newRow("en: beyond single precision") << "en"
                                                 << "1e40";
}

void TestUserList::unreadableCountAppendsNothing()
{
    QFETCH(QString, locale);
    QFETCH(QString, total);
    TestSupport::Environment env(locale);
    putUsers(env, {QStringLiteral("Anna"), QStringLiteral("Bob")}, QStringLiteral("Anna"));
    env.put(Option, QStringLiteral("TotUsers"), total);

    QVERIFY(!UserList::ReadUserTotal());
    QCOMPARE(UserList::Read().names, QStringList());
    QCOMPARE(UserList::Read().selected, -1);

    UserList::Save(QStringLiteral("Zoe"), 1);
    QCOMPARE(env.get(Option, QStringLiteral("TotUsers")), total);
    QCOMPARE(env.get(Option, QStringLiteral("User1")), QStringLiteral("Anna"));
    QCOMPARE(env.get(Option, QStringLiteral("User2")), QStringLiteral("Bob"));
    QCOMPARE(env.store().keyCount(Option), 4);
    QCOMPARE(env.get(Option, QStringLiteral("LastUser")), QStringLiteral("Zoe"));
    QCOMPARE(env.get(QStringLiteral("Zoe"), QStringLiteral("Lang")), QStringLiteral("1"));
}

void TestUserList::storedLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("stored"); // null: no Lang key
    QTest::addColumn<int>("expected");   // -1: leave the choice alone

    QTest::newRow("en: 0 English") << "en"
                                   << "0" << 0;
    QTest::newRow("en: 2 Dutch") << "en"
                                 << "2" << 2;
    QTest::newRow("en: no key") << "en" << QString() << -1;
    QTest::newRow("en: empty text means none") << "en"
                                               << "" << -1;
    QTest::newRow("en: letters") << "en"
                                 << "Dutch" << -1;
    QTest::newRow("en: 3 is no language") << "en"
                                          << "3" << -1;
    QTest::newRow("en: -1 is no language") << "en"
                                           << "-1" << -1;
    QTest::newRow("en: 2.5 halves to even 2") << "en"
                                              << "2.5" << 2;
    QTest::newRow("en: 0.5 halves to even 0") << "en"
                                              << "0.5" << 0;
    QTest::newRow("en: -0.4 rounds to 0") << "en"
                                          << "-0.4" << 0;
    QTest::newRow("en: 1e40 overflows") << "en"
                                        << "1e40" << -1;
    QTest::newRow("fr: 1,5 halves to even 2") << "fr"
                                              << "1,5" << 2;
    QTest::newRow("fr: 1.5 is no French number") << "fr"
                                                 << "1.5" << -1;
    QTest::newRow("nl: blanks around 1") << "nl"
                                         << " 1 " << 1;
}

void TestUserList::storedLanguage()
{
    QFETCH(QString, locale);
    QFETCH(QString, stored);
    QFETCH(int, expected);
    TestSupport::Environment env(locale);
    if (!stored.isNull())
        env.put(QStringLiteral("Anna"), QStringLiteral("Lang"), stored);
    QCOMPARE(UserList::StoredLanguage(QStringLiteral("Anna")).value_or(-1), expected);
}

void TestUserList::languageStoredOnlyForKnownNames()
{
    TestSupport::Environment env;
    env.put(QStringLiteral("Anna"), QStringLiteral("Lang"), QStringLiteral("0"));
    UserList::StoreLanguageIfKnown(QStringLiteral("ANNA"), 2);
    UserList::StoreLanguageIfKnown(QStringLiteral("Zoe"), 1);
    UserList::StoreLanguageIfKnown(QString(), 1);
    QCOMPARE(env.get(QStringLiteral("Anna"), QStringLiteral("Lang")), QStringLiteral("2"));
    QCOMPARE(env.get(QStringLiteral("Zoe"), QStringLiteral("Lang")), QStringLiteral("<absent>"));
    QCOMPARE(env.get(QString(), QStringLiteral("Lang")), QStringLiteral("<absent>"));
}

QTEST_GUILESS_MAIN(TestUserList)
#include "tst_userlist.moc"
