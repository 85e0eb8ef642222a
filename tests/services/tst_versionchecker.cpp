#include "AppHelper.h"
#include "Clock.h"
#include "LoopbackUpdateServer.h"
#include "VersionChecker.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

class TestVersionChecker : public QObject
{
    Q_OBJECT

    LoopbackUpdateServer server;
    ManualClock clock;

    // One asynchronous check, far enough from the previous one; the record it announced.
    VersionInfo checkOnce()
    {
        clock.advance(VersionChecker::MinimumSpacingMs);
        QSignalSpy found(VersionChecker::Instance(), &VersionChecker::versionFound);
        VersionChecker::FindNewVersionAsync();
        return found.wait(5000) ? found.at(0).at(0).value<VersionInfo>() : VersionInfo();
    }

private slots:
    void initTestCase()
    {
        VersionChecker::baseUrl = server.baseUrl();
        VersionChecker::requestTimeoutMs = 300;
        VersionChecker::setClock(&clock);
    }

    void answersAreOfferedOnlyForANewerVersion_data()
    {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("link");

        QTest::newRow("newer, only some keys")
            << QByteArray("200 OK")
            << QByteArray("{\"valid\":true,\"version\":\"3.11.0\",\"link\":\"https://k.example/d\"}") << true
            << "3.11.0"
            << "https://k.example/d";
        QTest::newRow("newer by a fourth component")
            << QByteArray("200 OK") << QByteArray(R"({"valid":true,"version":"3.10.0.1"})") << true << "3.10.0.1"
            << "";
        QTest::newRow("the same version")
            << QByteArray("200 OK") << QByteArray("{\"valid\":true,\"version\":\"3.10\",\"link\":\"https://k\"}")
            << false << "3.10"
            << "https://k";
        QTest::newRow("older version") << QByteArray("200 OK") << QByteArray(R"({"valid":true,"version":"3.9.9"})")
                                       << false << "3.9.9"
                                       << "";
        QTest::newRow("version with markup")
            << QByteArray("200 OK") << QByteArray(R"({"valid":true,"version":"3.11<img src=x>"})") << false
            << "3.11<img src=x>"
            << "";
        QTest::newRow("not vouched for") << QByteArray("200 OK") << QByteArray(R"({"version":"4.0"})") << false << "4.0"
                                         << "";
        QTest::newRow("valid of the wrong type")
            << QByteArray("200 OK") << QByteArray(R"({"valid":"true","version":4})") << false << ""
            << "";
        QTest::newRow("malformed") << QByteArray("200 OK") << QByteArray(R"({"valid":true,"version":"4.0")") << false
                                   << ""
                                   << "";
        QTest::newRow("JSON array") << QByteArray("200 OK") << QByteArray(R"([{"valid":true}])") << false << ""
                                    << "";
        QTest::newRow("error page with JSON")
            << QByteArray("500 Internal Server Error") << QByteArray(R"({"valid":true,"version":"4.0"})") << false << ""
            << "";
    }

    void answersAreOfferedOnlyForANewerVersion()
    {
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, valid);
        QFETCH(QString, version);
        QFETCH(QString, link);
        server.answer(status, body);
        const VersionInfo info = checkOnce();
        QCOMPARE(info.valid, valid);
        QCOMPARE(info.version, version);
        QCOMPARE(info.link, link);
        QVERIFY(info.date.isEmpty() && info.changelog.isEmpty() && info.info.isEmpty() && !info.critical);
        QCOMPARE(VersionChecker::LastVersion().valid, valid);
        QCOMPARE(VersionChecker::LastVersion().version, version);
    }

    void requestNamesTheProgramAndItsPlatform()
    {
        server.answer("200 OK", R"({"valid":true,"version":"3.12","date":"2025-05-01","critical":true,)"
                                R"("changelog":"Fixes","info":"Soon"})");
        const VersionInfo info = checkOnce();
        QVERIFY(info.valid && info.critical);
        QCOMPARE(info.date, QStringLiteral("2025-05-01"));
        QCOMPARE(info.changelog, QStringLiteral("Fixes"));
        QCOMPARE(info.info, QStringLiteral("Soon"));

        const QUrl sent(QString::fromLatin1(server.targets.last()));
        QCOMPARE(sent.path(), QStringLiteral("/repo/version.php"));
        const QList<QPair<QString, QString>> items = QUrlQuery(sent).queryItems(QUrl::FullyDecoded);
        const QList<QPair<QString, QString>> expected = {{"app", QCoreApplication::applicationName()},
                                                         {"version", "3.10.0"},
                                                         {"locale", QLocale::system().name()},
                                                         {"platform", "linux"},
                                                         {"os", AppHelper::OSName()},
                                                         {"osversion", AppHelper::OSVersion()}};
        QCOMPARE(items, expected);

        // Values are encoded, so a "&", "#", "+" or blank in them stays part of the value.
        const VersionInfo blocking = VersionChecker::findNewVersion("A&b=c #1+", "3.11.9", "x y");
        QVERIFY(blocking.valid);
        QCOMPARE(VersionChecker::LastVersion().version, QStringLiteral("3.12"));
        const QUrlQuery odd(QUrl(QString::fromLatin1(server.targets.last())));
        QCOMPARE(odd.queryItemValue("app", QUrl::FullyDecoded), QStringLiteral("A&b=c #1+"));
        QCOMPARE(odd.queryItemValue("locale", QUrl::FullyDecoded), QStringLiteral("x y"));
        QVERIFY(!VersionChecker::findNewVersion("A", "3.12", "x").valid);
    }

    void aSilentServerEndsOnlyItsOwnCheck()
    {
        server.silent = true;
        clock.advance(VersionChecker::MinimumSpacingMs);
        QSignalSpy found(VersionChecker::Instance(), &VersionChecker::versionFound);
        const qsizetype sent = server.targets.size() + 1;
        VersionChecker::FindNewVersionAsync();
        QTRY_COMPARE(server.targets.size(), sent);
        // While the first waits for its answer nothing more is sent.
        clock.advance(VersionChecker::MinimumSpacingMs);
        VersionChecker::FindNewVersionAsync();
        QVERIFY(found.wait(5000));
        QVERIFY(!found.at(0).at(0).value<VersionInfo>().valid);
        QCOMPARE(server.targets.size(), sent);

        // The time-out freed the checker: the next check goes out and is answered.
        server.answer("200 OK", R"({"valid":true,"version":"3.11"})");
        found.clear();
        VersionChecker::FindNewVersionAsync();
        QVERIFY(found.wait(5000));
        QVERIFY(found.at(0).at(0).value<VersionInfo>().valid);
        QCOMPARE(server.targets.size(), sent + 1);
        // Checks closer than the spacing to the last one are dropped.
        VersionChecker::FindNewVersionAsync();
        clock.advance(VersionChecker::MinimumSpacingMs - 1);
        VersionChecker::FindNewVersionAsync();
        // The server answers at once: a check that went out would be announced by now.
        QVERIFY(!found.wait(200));
        QCOMPARE(server.targets.size(), sent + 1);
    }

    void checkingStartsAtOnceAndRepeatsAtLeastEveryFiveSeconds()
    {
        server.answer("200 OK", R"({"valid":true,"version":"3.11"})");
        clock.advance(VersionChecker::MinimumSpacingMs);
        const qsizetype sent = server.targets.size();
        QSignalSpy found(VersionChecker::Instance(), &VersionChecker::versionFound);
        VersionChecker::StartChecking(true, 2);
        auto* timer = VersionChecker::Instance()->findChild<QTimer*>();
        QVERIFY(timer && timer->isActive() && !timer->isSingleShot());
        QCOMPARE(timer->interval(), 5000);
        QVERIFY(found.wait(5000));
        QCOMPARE(server.targets.size(), sent + 1);
        VersionChecker::StartChecking(true, 600);
        QCOMPARE(timer->interval(), 600000);
    }

    void zero4Numbers_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<qint64>("number");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("back");
        QTest::newRow("three components") << "3.10.2" << qint64(300100002) << "300100002"
                                          << "3.10.2";
        QTest::newRow("two components") << "3.10" << qint64(30010) << "000030010"
                                        << "0.3.10";
        QTest::newRow("empty") << "" << qint64(0) << "000000000"
                               << "0.0.0";
        QTest::newRow("not a number") << "3.x.1" << qint64(300000001) << "300000001"
                                      << "3.0.1";
        QTest::newRow("four components") << "1.2.3.4" << qint64(1000200030004) << "1000200030004"
                                         << "10002.3.4";
        QTest::newRow("too long for the number") << "9.9.9.9.9.9" << qint64(0) << "000000000"
                                                 << "0.0.0";
    }

    void zero4Numbers()
    {
        QFETCH(QString, version);
        QFETCH(qint64, number);
        QFETCH(QString, text);
        QFETCH(QString, back);
        QCOMPARE(VersionChecker::versionToZero4Number(version), number);
        QCOMPARE(VersionChecker::versionToZero4String(version), text);
        QCOMPARE(VersionChecker::versionFromZero4String(text), back);
    }

    // Both versions are read alike, blanks around them included, so the order never contradicts itself.
    void versionsAreOrderedAlikeFromBothSides()
    {
        const QString blankSeven = QChar(0x85) + QStringLiteral("7");
        QVERIFY(VersionChecker::isNewer(blankSeven, "5.705"));
        QVERIFY(!VersionChecker::isNewer("5.705", blankSeven));
        QVERIFY(!VersionChecker::isNewer(" 3.10 ", "3.10"));
        QVERIFY(!VersionChecker::isNewer("3.10", QChar(0x2029) + QStringLiteral("3.10\t")));
        const QStringList versions{blankSeven, "5.705", " 3.10 ", "3.10.0", "3.11<b>", "", "x", "3..1", "\u00a04"};
        for (const QString& a : versions) {
            QVERIFY2(!VersionChecker::isNewer(a, a), qPrintable(a));
            for (const QString& b : versions)
                QVERIFY2(!(VersionChecker::isNewer(a, b) && VersionChecker::isNewer(b, a)), qPrintable(a + " / " + b));
        }
    }
};

QTEST_MAIN(TestVersionChecker)
#include "tst_versionchecker.moc"
