#include "TextHelper.h"

#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

// Runs under both the C and the Russian locale; number texts are checked against the system
// decimal separator so that each run proves the locale is followed.
class TestTextHelper : public QObject
{
    Q_OBJECT

    static QString sep() { return QLocale::system().decimalPoint(); }

private slots:
    void timeToText_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<bool>("withMs");
        QTest::addColumn<QString>("expected");
        QTest::newRow("minutes") << 65.0 << false << "01:05";
        QTest::newRow("hours with ms") << 3725.5 << true << "01:02:05.500";
        QTest::newRow("quarter second") << 0.25 << true << "00:00.250";
        QTest::newRow("truncated, not rounded") << 59.999 << false << "00:59";
        QTest::newRow("one hour") << 3600.0 << false << "01:00:00";
        QTest::newRow("hundred hours") << 360000.0 << false << "100:00:00";
    }
    void timeToText()
    {
        QFETCH(double, seconds);
        QFETCH(bool, withMs);
        QFETCH(QString, expected);
        QCOMPARE(TextHelper::TimeToText(seconds, withMs), expected);
    }

    void dateTimeFileString()
    {
        const QDateTime stamp(QDate(2024, 3, 5), QTime(7, 8, 9, 12));
        QCOMPARE(TextHelper::DateTimeFileString(stamp, false), QStringLiteral("2024.03.05-07.08.09"));
        QCOMPARE(TextHelper::DateTimeFileString(stamp, true), QStringLiteral("2024.03.05-07.08.09.012"));

        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        const QString now = TextHelper::DateTimeFileString(QDateTime(), true);
        const QDateTime parsed = QDateTime::fromString(now, QStringLiteral("yyyy.MM.dd-hh.mm.ss.zzz"));
        QVERIFY2(parsed.isValid(), qPrintable(now));
        QVERIFY(parsed >= before && parsed <= QDateTime::currentDateTime().addSecs(1));
    }

    void numToStrFollowsSystemSeparator()
    {
        QCOMPARE(TextHelper::numDecimalSeparator(), sep());
        if (qEnvironmentVariable("LC_ALL").startsWith(QLatin1String("ru")))
            QCOMPARE(sep(), QStringLiteral(","));
        QCOMPARE(TextHelper::numToStr(2.50, 2, true), "2" + sep() + "5");
        QCOMPARE(TextHelper::numToStr(3.0, 2, true), QStringLiteral("3"));
        QCOMPARE(TextHelper::numToStr(3.0, 2, false), "3" + sep() + "00");
        QCOMPARE(TextHelper::numToStr(3.0, 0, true), QStringLiteral("3"));
        QCOMPARE(TextHelper::numToStr(1234.5, 1, false), "1234" + sep() + "5");
        QCOMPARE(TextHelper::numToStr(-0.125, 3, true), "-0" + sep() + "125");
        QCOMPARE(TextHelper::numToStr(1.5, -1, true), "1" + sep() + "5");
        QCOMPARE(TextHelper::numToStr(1234567.0, -1, true), "1" + sep() + "23457e+06");
        QCOMPARE(TextHelper::numToStr(10.0, -1, true), QStringLiteral("10"));
    }

    void levenshtein()
    {
        QCOMPARE(TextHelper::LevenshteinDistance(QString(), QStringLiteral("abcde")), 5);
        QCOMPARE(TextHelper::LevenshteinDistance(QStringLiteral("abc"), QStringLiteral("ABC")), 3);
        QCOMPARE(TextHelper::LevenshteinDistance(QStringLiteral("kitten"), QStringLiteral("sitting")), 3);
        QCOMPARE(TextHelper::LevenshteinDistanceNoMarksAndCases(QStringLiteral("abc"), QStringLiteral("ABC")), 0);
        QCOMPARE(TextHelper::LevenshteinDistanceNoMarksAndCases(QStringLiteral(" Hello,  wo-rld! "),
                                                                QStringLiteral("hello world?")),
                 0);
        const QString base(98, QLatin1Char('x'));
        QCOMPARE(TextHelper::LevenshteinDistance(base + "a" + "tail", base + "a" + "other"), 0);
        QCOMPARE(TextHelper::LevenshteinDistance(base + "a", base + "b"), 1);
    }

    void textValueMap()
    {
        const auto parsed = TextHelper::ParseTextValueMap(QStringLiteral("  a=1;;b = 2; c; d=e=f  "), ";", "=");
        QCOMPARE(parsed.keys(), QStringList({"a", "b "}));
        QCOMPARE(parsed.value("a"), QVariant(QStringLiteral("1")));
        QCOMPARE(parsed.value("b "), QVariant(QStringLiteral("2")));

        const QMap<QString, QVariant> record{{"type", "Sound"}, {"startMs", 1500}, {"amplitude", 0.25}};
        const QString text = TextHelper::StringifyTextValueMap(record, ";", "=");
        QCOMPARE(text, QStringLiteral("amplitude=0.25;startMs=1500;type=Sound;"));
        const auto back = TextHelper::ParseTextValueMap(text, ";", "=");
        QCOMPARE(back.keys(), record.keys());
        for (const QString& key : record.keys())
            QCOMPARE(back.value(key).toString(), record.value(key).toString());
        QCOMPARE(TextHelper::StringifyTextValueMap({}, ";", "="), QString());
    }

    void pointsAndRectangles()
    {
        const QList<QPoint> points{{1, 2}, {-30, 40}, {0, 0}};
        const QString text = TextHelper::QListPointsToString(points);
        QCOMPARE(text, QStringLiteral("1,2;-30,40;0,0;"));
        QCOMPARE(TextHelper::QListPointsFromString(text), points);
        QCOMPARE(TextHelper::QListPointsToString({}), QString());
        QCOMPARE(TextHelper::QListPointsFromString(QStringLiteral("1,")), QList<QPoint>());
        QCOMPARE(TextHelper::QListPointsFromString(QStringLiteral("5;x,7;1,2,3;4,5")), QList<QPoint>({{0, 7}, {4, 5}}));

        const QRect rect(10, -20, 300, 400);
        QCOMPARE(TextHelper::QRectToString(rect), QStringLiteral("10;-20;300;400"));
        QCOMPARE(TextHelper::QRectFromString(TextHelper::QRectToString(rect)), rect);
        QCOMPARE(TextHelper::QRectFromString(QStringLiteral("1;2;3")), QRect());
        QCOMPARE(TextHelper::QRectFromString(QStringLiteral("1;2;3;4;5")), QRect());
        QCOMPARE(TextHelper::QRectFromString(QStringLiteral("a;2;3;4")), QRect(0, 2, 3, 4));
    }

    void markersAndTags()
    {
        QCOMPARE(TextHelper::textBetween("say [hi] now", "[", "]"), QStringLiteral("hi"));
        QCOMPARE(TextHelper::textBetween("say [hi now", "[", "]"), QString());
        QCOMPARE(TextHelper::textBetween("no start", "[", "]"), QString());
        // The end marker begins inside the start marker: nothing lies between them.
        QCOMPARE(TextHelper::textBetween("abcdef", "abc", "bc"), QString());
        QCOMPARE(TextHelper::XMLTagContent("<r><Name>Box</Name></r>", "Name"), QStringLiteral("Box"));
        QCOMPARE(TextHelper::XMLTagContent("<NAME>Box</name>", "Name", Qt::CaseInsensitive), QStringLiteral("Box"));
        QCOMPARE(TextHelper::XMLTagContent("<NAME>Box</name>", "Name", Qt::CaseSensitive), QString());
        QCOMPARE(TextHelper::XMLTagContent("<Name id=\"1\">Box</Name>", "Name"), QString());
        QCOMPARE(boolify(true), QStringLiteral("1"));
        QCOMPARE(boolify(false), QStringLiteral("0"));
    }

    void listFunctions()
    {
        const QStringList list{"Alpha", "beta", "Gamma"};
        QCOMPARE(TextHelper::caseInsensitiveIndex(list, "BETA"), 1);
        QCOMPARE(TextHelper::caseInsensitiveIndex(list, "delta"), -1);
        QCOMPARE(TextHelper::join({"mp4", "avi"}, " ", "*.", ""), QStringLiteral("*.mp4 *.avi"));
        QCOMPARE(TextHelper::join({"a"}, ",", "<", ">"), QStringLiteral("<a>"));
        QCOMPARE(TextHelper::join({}, ",", "<", ">"), QString());
        QVERIFY(TextHelper::listContainsAll(list, {"alpha", "gamma"}, Qt::CaseInsensitive));
        QVERIFY(!TextHelper::listContainsAll(list, {"alpha"}, Qt::CaseSensitive));
        QVERIFY(TextHelper::listContainsAll(list, {}, Qt::CaseSensitive));
        QVERIFY(TextHelper::listsMatch({"a", "b", "b"}, {"b", "a", "b"}, false));
        QVERIFY(!TextHelper::listsMatch({"a", "b", "b"}, {"b", "a", "b"}, true));
        QVERIFY(!TextHelper::listsMatch({"a", "a", "b"}, {"a", "b", "b"}, false));
        QVERIFY(TextHelper::listsMatch({}, {}, true));
        QCOMPARE(TextHelper::reverse({"a", "b", "c"}), QStringList({"c", "b", "a"}));
        QCOMPARE(TextHelper::sortListAccordingToMajor({"z", "b", "a"}, {"a", "b"}), QStringList({"a", "b", "z"}));
    }

    void splitting()
    {
        QCOMPARE(TextHelper::splitAndTrim(QStringLiteral("  x , , y  "), ","), QStringList({"x", "y"}));
        QCOMPARE(TextHelper::splitAndTrim(QStringLiteral("   "), ","), QStringList());
        QCOMPARE(TextHelper::multisplit(QStringLiteral("a,b;c"), {",", ";"}, Qt::KeepEmptyParts),
                 QStringList({"a", "b", "c"}));
        QCOMPARE(TextHelper::multisplit(QStringLiteral("a,,b;"), {",", ";"}, Qt::KeepEmptyParts),
                 QStringList({"a", "", "b", ""}));
        QCOMPARE(TextHelper::multisplit(QStringLiteral("a|b&&c|"), {"|", "&&"}, TextHelper::SkipEmptyParts()),
                 QStringList({"a", "b", "c"}));
        QCOMPARE(TextHelper::multisplit(QStringList{"a,b"}, {}, Qt::KeepEmptyParts), QStringList({"a,b"}));
        QVERIFY(TextHelper::stringContainsListItem("USB Serial", {"bluetooth", "serial"}, Qt::CaseInsensitive));
        QVERIFY(!TextHelper::stringContainsListItem("USB Serial", {"bluetooth", "serial"}, Qt::CaseSensitive));
        QVERIFY(TextHelper::stringContainsListItem("text", {""}, Qt::CaseSensitive));
        QVERIFY(!TextHelper::stringContainsListItem("", {""}, Qt::CaseSensitive));
    }

    void paddingAndTables()
    {
        QCOMPARE(TextHelper::zeroPad(-5, 4), QStringLiteral("00-5"));
        QCOMPARE(TextHelper::zeroPad(QStringLiteral("7"), 3), QStringLiteral("007"));
        QCOMPARE(TextHelper::pad("x", "ab", 3), QStringLiteral("ababx"));
        QCOMPARE(TextHelper::pad("abc", "0", 2), QStringLiteral("abc"));
        QCOMPARE(TextHelper::pad("abc", "", 8), QStringLiteral("abc"));

        const QString table = TextHelper::printLikeTable({{"a", "1"}, {"bbb", "2"}, {"cc", "3"}}, ":");
        QCOMPARE(table, QStringLiteral("a:   1\r\nbbb: 2\r\ncc:  3"));
        for (const QString& line : table.split("\r\n"))
            QCOMPARE(line.indexOf(QRegularExpression("[0-9]")), 5);
        QCOMPARE(TextHelper::printLikeTable({}, ":"), QString());
    }

    void randomChoices()
    {
        QCOMPARE(TextHelper::randomString({}), QString());
        QCOMPARE(TextHelper::randomString({"only"}), QStringLiteral("only"));
        const QStringList items{"a", "b", "c", "d", "e", "f"};
        QSet<QString> seen;
        for (int i = 0; i < 200; ++i) {
            const QString drawn = TextHelper::randomString(items);
            QVERIFY(items.contains(drawn));
            seen.insert(drawn);
        }
        QVERIFY(seen.size() > 1);

        QStringList shuffled = items;
        TextHelper::randomizeList(shuffled);
        QVERIFY(TextHelper::listsMatch(shuffled, items, false));
        QStringList empty;
        TextHelper::randomizeList(empty);
        QVERIFY(empty.isEmpty());
    }

    void replacing()
    {
        QCOMPARE(TextHelper::replaceAll("a-b_c", {"-", "_"}, " ", Qt::CaseSensitive), QStringLiteral("a b c"));
        QCOMPARE(TextHelper::replaceAll("aXbx", {"x"}, "", Qt::CaseInsensitive), QStringLiteral("ab"));
        QCOMPARE(TextHelper::replaceAllContinuous("a    b", "  ", " "), QStringLiteral("a b"));
        QCOMPARE(TextHelper::replaceAllContinuous("aaaa", "aa", "a"), QStringLiteral("a"));
        // Replacements that would recreate the searched text forever leave the text alone.
        QCOMPARE(TextHelper::replaceAllContinuous("xax", "a", "aa"), QStringLiteral("xax"));
        QCOMPARE(TextHelper::replaceAllContinuous("xax", "", "b"), QStringLiteral("xax"));
    }

    void russianAgeSuffix_data()
    {
        QTest::addColumn<QList<int>>("ages");
        QTest::addColumn<QString>("word");
        QTest::newRow("god") << QList<int>{1, 21, 101, -1} << QStringLiteral("год");
        QTest::newRow("goda") << QList<int>{2, 24, 102, 3} << QStringLiteral("года");
        QTest::newRow("let") << QList<int>{0, 5, 11, 12, 14, 111, 112, INT_MIN} << QStringLiteral("лет");
    }
    void russianAgeSuffix()
    {
        QFETCH(QList<int>, ages);
        QFETCH(QString, word);
        for (int age : ages)
            QCOMPARE(TextHelper::russianAgeSuffix(age), word);
    }

    void jsonAndTranslit()
    {
        QCOMPARE(TextHelper::toJsonString(QJsonObject{{"a", 1}}, QJsonDocument::Compact), QStringLiteral("{\"a\":1}"));
        QCOMPARE(TextHelper::translit(QStringLiteral("Щука и Ёжик съели ЖУК")),
                 QStringLiteral("Schuka i Ezhik seli ZhUK"));
        QCOMPARE(TextHelper::translit(QStringLiteral("Hello, Мир! 42")), QStringLiteral("Hello, Mir! 42"));
        QCOMPARE(TextHelper::translit(QStringLiteral("Цыплёнок Юля ЭХ")), QStringLiteral("Tsyplenok Yulya EH"));
        QCOMPARE(TextHelper::FileName(QStringLiteral("/data/run/Stats.xml")), QStringLiteral("Stats.xml"));
    }

    void trimming()
    {
        QCOMPARE(TextHelper::trim(QStringLiteral("xxaxbxx"), QChar('x')), QStringLiteral("axb"));
        QCOMPARE(TextHelper::trim(QStringLiteral("xxx"), QChar('x')), QString());
        QCOMPARE(TextHelper::trim(QStringLiteral("ababXab"), QStringLiteral("ab")), QStringLiteral("X"));
        QCOMPARE(TextHelper::trim(QStringLiteral("abab"), QStringLiteral("ab")), QString());
        QCOMPARE(TextHelper::trim(QStringLiteral("abc"), QString()), QStringLiteral("abc"));
    }
};

QTEST_GUILESS_MAIN(TestTextHelper)
#include "tst_texthelper.moc"
