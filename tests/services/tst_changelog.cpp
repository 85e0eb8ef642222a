#include "ChangeLog.h"
#include "ChangeLogText.h"
#include "LanguageContext.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {
// Two versions; the older has no English entries. Entries carry platform marks, markup-like
// text, an unknown element and a lone "<".
const QString Sample = QStringLiteral("<ru-RU>\r\nВступление\r\n</ru-RU>\r\n\r\n"
                                      "1.1 (2024-01-02)\r\n"
                                      "<ru-RU>\r\n+ Только Windows [Windows]\r\n+ Общее <5 мс\r\n</ru-RU>\r\n"
                                      "<en-EN>\r\n+ Windows only [windows]\r\n+ Shared <5 ms & <x>hidden</x>more\r\n"
                                      "+ Linux only [Linux]\r\n</en-EN>\r\n\r\n"
                                      "1.0 (2023-05-06)\r\n<ru-RU>\r\n+ Первый выпуск\r\n</ru-RU>\r\n");
} // namespace

class TestChangeLog : public QObject
{
    Q_OBJECT

private slots:
    void languagesAndPlatformsAreFiltered_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QStringList>("blocks");
        QTest::addColumn<QString>("richText");

        const QString version11 = "<b>1.1 <span style=\"color: #999; font-weight: normal\">(2024-01-02)</span></b>"
                                  "<table cellspacing=\"6\">";
        const QString row = "<tr><td class=\"bull\">+</td><td>%1</td></tr>";
        const QString end = "</table><br><br><br>";
        const QStringList english = {"1.1 (2024-01-02)\r\n+ Windows only [windows]\r\n+ Shared <5 ms & more\r\n"
                                     "+ Linux only [Linux]",
                                     "1.0 (2023-05-06)"};
        QTest::newRow("English on Linux") << "en_US"
                                          << "linux" << english
                                          << ChangeLogText::StyleBlock + version11
                                                 + row.arg("Shared &lt;5 ms &amp; more") + row.arg("Linux only") + end;
        QTest::newRow("English on Windows") << "en_US"
                                            << "windows" << english
                                            << ChangeLogText::StyleBlock + version11 + row.arg("Windows only")
                                                   + row.arg("Shared &lt;5 ms &amp; more") + end;
        QTest::newRow("Russian on Linux")
            << "ru_RU"
            << "linux"
            << QStringList{"Вступление", "1.1 (2024-01-02)\r\n+ Только Windows [Windows]\r\n+ Общее <5 мс",
                           "1.0 (2023-05-06)\r\n+ Первый выпуск"}
            << ChangeLogText::StyleBlock + version11 + row.arg("Общее &lt;5 мс") + end
                   + "<b>1.0 <span style=\"color: #999; font-weight: normal\">(2023-05-06)</span></b>"
                     "<table cellspacing=\"6\">"
                   + row.arg("Первый выпуск") + end;
    }

    void languagesAndPlatformsAreFiltered()
    {
        QFETCH(QString, language);
        QFETCH(QString, platform);
        QFETCH(QStringList, blocks);
        QFETCH(QString, richText);
        for (const QString& lineBreak : {"\r\n", "\n"}) {
            const QString text = ChangeLogText::withWindowsLineBreaks(QString(Sample).replace("\r\n", lineBreak));
            const QStringList resolved =
                ChangeLogText::blocks(ChangeLogText::resolveLanguages(text, ChangeLogText::languageTags(language)));
            QCOMPARE(resolved, blocks);
            QCOMPARE(ChangeLogText::richText(resolved, platform), richText);
        }
        // The JSON keeps every entry of the language, marks and bullets included.
        const QJsonArray json = ChangeLogText::json(blocks);
        QCOMPARE(json.size(), language == "en_US" ? 1 : 2);
        const QJsonObject first = json.at(0).toObject();
        QCOMPARE(first.value("version").toString(), QStringLiteral("1.1 (2024-01-02)"));
        QCOMPARE(first.value("changes").toArray().size(), language == "en_US" ? 3 : 2);
        QVERIFY(first.value("changes").toArray().at(0).toString().startsWith("+ "));
    }

    void unclosedTagsStay()
    {
        const QStringList tags = ChangeLogText::languageTags("ru_RU");
        QCOMPARE(ChangeLogText::resolveLanguages("a < b <c> d <en>x</en>\r\ne", tags), QStringLiteral("a < b <c> d e"));
        QCOMPARE(ChangeLogText::resolveLanguages("<ru>a</ru><ru-RU>\r\n b \r\n</ru-RU> <", tags),
                 QStringLiteral("ab <"));
    }

    // The built-in log, in the language chosen before its first use, shows what concerns Linux.
    void theProgramsOwnLogIsFound()
    {
        QCOMPARE(LanguageContext::setLanguage("en_US"), QStringLiteral("en_US"));
        QCOMPARE(AppHelper::translatedChangeLogPath(), QStringLiteral("qrc:/Kestrum-CHANGELOG.txt"));
        const QStringList blocks = AppHelper::translatedChangeLogBlocks();
        QVERIFY(blocks.size() >= 2);
        QVERIFY(blocks.constFirst().startsWith("3.10.0 ("));
        const QString shown = AppHelper::translatedChangeLog();
        QVERIFY(shown.contains("The program runs on Linux (Debian 12)</td>"));
        QVERIFY(!shown.contains("autostart"));
        QVERIFY(!shown.contains("Программа"));
        const QJsonArray json = AppHelper::translatedChangeLogJson();
        QCOMPARE(json.size(), blocks.size());
        QVERIFY(QJsonDocument(json).toJson().contains("autostart [Windows]"));
        QVERIFY(AppHelper::translatedChangeLogBlocks("/no/such/ChangeLog.txt").isEmpty());
    }
};

QTEST_MAIN(TestChangeLog)
#include "tst_changelog.moc"
