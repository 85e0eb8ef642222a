#include "GlobalConsole.h"
#include "SampleSettings.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <cmath>
#include <limits>

// The XML and JSON settings files: exact bytes of the written files, exact round trips of
// every property type, and damaged files that must stay as they were.
class TestSettingsFormats : public QObject
{
    Q_OBJECT

    QTemporaryDir temp;

    static QByteArray fixture(const QString& name)
    {
        const QString path = QFINDTESTDATA("fixtures/" + name);
        const QByteArray bytes = readFileBytes(path);
        if (bytes.isEmpty())
            qWarning() << "missing fixture" << path;
        return bytes;
    }

    QString path(const QString& name) const { return temp.filePath(name); }

    // Values chosen to break any conversion that is not exact.
    static void fillTrickyValues(SampleSettings& s)
    {
        s.setThreshold(199);
        s.setRatio(0.1 + 0.2);
        s.setOffset(-5e-324);
        s.setGain(0.1f);
        s.setCounter(std::numeric_limits<qlonglong>::min());
        s.setMask(std::numeric_limits<uint>::max());
        s.setEnabled(false);
        s.setLabel(QString::fromUtf8("  Привет\r\n\t\x01\x1f <&>\"' \xF0\x9F\x90\x81  "));
        s.setNames({QString(), QString::fromUtf8("мышь;крыса"), QStringLiteral("tab\there\rcr"), QStringLiteral("x")});
        s.setOrigin(QPoint(-7, 2147483647));
        s.setCentre(QPointF(0.1, -1e300));
        s.setFrameSize(QSize(1920, 0));
        s.setTint(QColor(1, 2, 3, 4));
        s.setPace(SampleSettings::Adaptive);
        QByteArray every;
        for (int i = 0; i < 256; ++i)
            every.append(char(i));
        s.setBlob(every);
    }

    static void compareAll(SampleSettings& a, SampleSettings& b)
    {
        QCOMPARE(b.getThreshold(), a.getThreshold());
        QCOMPARE(b.getRatio(), a.getRatio());
        QCOMPARE(std::signbit(b.getOffset()), std::signbit(a.getOffset()));
        QCOMPARE(b.getOffset(), a.getOffset());
        QCOMPARE(b.getGain(), a.getGain());
        QCOMPARE(b.getCounter(), a.getCounter());
        QCOMPARE(b.getMask(), a.getMask());
        QCOMPARE(b.getEnabled(), a.getEnabled());
        QCOMPARE(b.getLabel(), a.getLabel());
        QCOMPARE(b.getNames(), a.getNames());
        QCOMPARE(b.getOrigin(), a.getOrigin());
        QCOMPARE(b.getCentre(), a.getCentre());
        QCOMPARE(b.getFrameSize(), a.getFrameSize());
        QCOMPARE(b.getTint(), a.getTint());
        QCOMPARE(b.getTint().alpha(), a.getTint().alpha());
        QCOMPARE(b.getPace(), a.getPace());
        QCOMPARE(b.getBlob(), a.getBlob());
    }

    void roundTrip(ZTSettings::ZTSettingsFormat format, const QString& name)
    {
        SampleSettings written(path(name), false, nullptr, format);
        fillTrickyValues(written);
        QVERIFY(written.save());
        SampleSettings read(path(name), false, nullptr, format);
        QVERIFY(read.reload());
        compareAll(written, read);
        // A second generation writes the very same bytes.
        const QByteArray first = readFileBytes(path(name));
        QVERIFY(read.saveAs(path(name + ".again")));
        QCOMPARE(readFileBytes(path(name + ".again")), first);
    }

private slots:
    void initTestCase() { QVERIFY(temp.isValid()); }

    void goldenFilesOfTheDefaults_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("fixtureName");
        QTest::newRow("xml") << int(ZTSettings::XML) << "SampleSettings.xml";
        QTest::newRow("json") << int(ZTSettings::JSON) << "SampleSettings.json";
    }

    void goldenFilesOfTheDefaults()
    {
        QFETCH(int, format);
        QFETCH(QString, fixtureName);
        SampleSettings settings(path("golden-" + fixtureName), false, nullptr, ZTSettings::ZTSettingsFormat(format));
        QVERIFY(settings.save());
        QCOMPARE(readFileBytes(settings.getFilepath()), fixture(fixtureName));
    }

    void goldenFileOfTrickyValues()
    {
        SampleSettings settings(path("tricky.xml"));
        fillTrickyValues(settings);
        QVERIFY(settings.save());
        QCOMPARE(readFileBytes(settings.getFilepath()), fixture("SampleSettingsTricky.xml"));
    }

    void goldenFilesLoad_data()
    {
        QTest::addColumn<QString>("fixtureName");
        QTest::newRow("as written now") << "SampleSettingsTricky.xml";
        // Line breaks were once carried as Base64 too.
        QTest::newRow("older Base64 texts") << "SampleSettingsBase64.xml";
    }

    void goldenFilesLoad()
    {
        QFETCH(QString, fixtureName);
        // The committed files read back into the values they were written from.
        SampleSettings expected;
        fillTrickyValues(expected);
        QVERIFY(writeFileBytes(path("fromFixture.xml"), fixture(fixtureName)));
        SampleSettings loaded(path("fromFixture.xml"));
        QVERIFY(loaded.reload());
        compareAll(expected, loaded);
    }

    // A log of many lines stays a text any reader of XML reads as it is; only a character that
    // XML cannot carry at all turns a text into Base64.
    void multiLineTextsAreWrittenAsText()
    {
        const QString log = QStringLiteral("10:00 start\r\n10:01 grid on\r\n\r\n  indented <&>\r\nlast\rcr only");
        const QStringList stays{QStringLiteral("12.5\r\n30"), QStringLiteral("a\nb")};
        SampleSettings written(path("lines.xml"));
        written.setLabel(log);
        written.setNames(stays);
        QVERIFY(written.save());
        const QByteArray bytes = readFileBytes(path("lines.xml"));
        QVERIFY2(!bytes.contains("encoding="), bytes.constData());
        QVERIFY2(bytes.contains("<Label>10:00 start&#13;\n10:01 grid on&#13;\n&#13;\n  indented &lt;&amp;&gt;&#13;\n"
                                "last&#13;cr only</Label>"),
                 bytes.constData());

        QXmlStreamReader reader(bytes);
        while (reader.readNextStartElement() && reader.name() != u"Label")
            if (reader.name() != u"SampleSettings")
                reader.skipCurrentElement();
        QCOMPARE(reader.readElementText(), log);

        SampleSettings read(path("lines.xml"));
        QVERIFY(read.reload());
        QCOMPARE(read.getLabel(), log);
        QCOMPARE(read.getNames(), stays);
    }

    void everyTypeRoundTripsThroughXml() { roundTrip(ZTSettings::XML, "roundtrip.xml"); }
    void everyTypeRoundTripsThroughJson() { roundTrip(ZTSettings::JSON, "roundtrip.json"); }

    void nonFiniteDoublesRoundTrip_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("xml") << int(ZTSettings::XML);
        QTest::newRow("json") << int(ZTSettings::JSON);
    }

    void nonFiniteDoublesRoundTrip()
    {
        QFETCH(int, format);
        const auto fileFormat = ZTSettings::ZTSettingsFormat(format);
        for (double value : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(), -0.0, 1e300, 5e-324}) {
            SampleSettings written(path("nonfinite"), false, nullptr, fileFormat);
            written.setOffset(value);
            QVERIFY(written.save());
            SampleSettings read(path("nonfinite"), false, nullptr, fileFormat);
            read.setOffset(1);
            QVERIFY(read.reload());
            if (std::isnan(value)) {
                QVERIFY(std::isnan(read.getOffset()));
            } else {
                QCOMPARE(read.getOffset(), value);
                QCOMPARE(std::signbit(read.getOffset()), std::signbit(value));
            }
        }
    }

    void numbersIgnoreTheUserLocale()
    {
        SampleSettings settings;
        settings.setOffset(1.5);
        QVERIFY(settings.saveToString().contains("<Offset>1.5</Offset>"));
        QVERIFY(settings.saveToJsonString().contains("\"Offset\":1.5"));
    }

    void byteOrderMarkIsAccepted_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("xml") << int(ZTSettings::XML)
                             << QByteArray("\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<SampleSettings>\n"
                                           "    <Threshold>33</Threshold>\n</SampleSettings>\n");
        QTest::newRow("json") << int(ZTSettings::JSON) << QByteArray("\xEF\xBB\xBF{\"Threshold\":33}");
    }

    void byteOrderMarkIsAccepted()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, content);
        QVERIFY(writeFileBytes(path("bom"), content));
        SampleSettings settings(path("bom"), false, nullptr, ZTSettings::ZTSettingsFormat(format));
        QVERIFY(settings.reload());
        QCOMPARE(settings.getThreshold(), 33);
        QCOMPARE(QDir(temp.path()).entryList({"bom.broken-*"}).size(), 0);
    }

    void damagedFileIsKeptAside_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("line");
        const QByteArray good = "<?xml version=\"1.0\"?>\n<SampleSettings>\n    <Threshold>33</Threshold>\n"
                                "    <Label>kept</Label>\n</SampleSettings>\n";
        QTest::newRow("xml truncated") << int(ZTSettings::XML) << good.left(good.size() - 12) << 5;
        QTest::newRow("xml empty") << int(ZTSettings::XML) << QByteArray() << 1;
        QTest::newRow("xml wrong root") << int(ZTSettings::XML)
                                        << QByteArray("<?xml version=\"1.0\"?>\n<OtherSettings>\n"
                                                      "    <Threshold>33</Threshold>\n</OtherSettings>\n")
                                        << 2;
        QTest::newRow("xml garbage") << int(ZTSettings::XML) << QByteArray("\x00\xff\x13garbage<<", 12) << 1;
        QTest::newRow("xml mismatched tags")
            << int(ZTSettings::XML)
            << QByteArray("<SampleSettings>\n<Threshold>33</Threshold>\n<Label>x</Lab>\n</SampleSettings>") << 3;
        QTest::newRow("json truncated") << int(ZTSettings::JSON) << QByteArray("{\"Threshold\":33,\n\"Label\":\"ke")
                                        << 2;
        QTest::newRow("json array") << int(ZTSettings::JSON) << QByteArray("[]") << 1;
        QTest::newRow("json empty") << int(ZTSettings::JSON) << QByteArray() << 1;
        QTest::newRow("json garbage") << int(ZTSettings::JSON) << QByteArray("\x00\xff\x13garbage", 10) << 1;
    }

    void damagedFileIsKeptAside()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, content);
        QFETCH(int, line);
        QTemporaryDir folder;
        const QString file = folder.filePath("Damaged.settings");
        QVERIFY(writeFileBytes(file, content));
        GlobalConsole::ClearText();

        SampleSettings settings(file, true, nullptr, ZTSettings::ZTSettingsFormat(format));
        QSignalSpy saved(&settings, &ZTSettings::saved);
        QVERIFY(!settings.reload());

        QCOMPARE(settings.getThreshold(), 20);
        QCOMPARE(settings.getLabel(), QStringLiteral("xlsx"));
        QCOMPARE(saved.count(), 0);
        QCOMPARE(readFileBytes(file), content);
        const QStringList copies = QDir(folder.path()).entryList({"Damaged.settings.broken-*"});
        QCOMPARE(copies.size(), 1);
        QCOMPARE(readFileBytes(folder.filePath(copies.first())), content);
        const QString message = GlobalConsole::currentText();
        QVERIFY2(message.contains(file), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("line %1").arg(line)), qPrintable(message));
        QVERIFY2(message.contains(copies.first()), qPrintable(message));

        // The next change writes a sound file; the damaged one stays aside.
        settings.setThreshold(44);
        QCOMPARE(saved.count(), 1);
        SampleSettings again(file, false, nullptr, ZTSettings::ZTSettingsFormat(format));
        QVERIFY(again.reload());
        QCOMPARE(again.getThreshold(), 44);
        QCOMPARE(readFileBytes(folder.filePath(copies.first())), content);
    }

    void fileOfABaseClassLoads()
    {
        // A run record written by one class is opened for review by a subclass of it.
        const QByteArray content = "<?xml version=\"1.0\"?>\n<ZTSettings>\n"
                                   "    <Threshold>33</Threshold>\n</ZTSettings>\n";
        QTemporaryDir folder;
        const QString file = folder.filePath("Stats.xml");
        QVERIFY(writeFileBytes(file, content));
        SampleSettings settings(file, true);
        QSignalSpy saved(&settings, &ZTSettings::saved);
        QVERIFY(settings.reload());
        QCOMPARE(settings.getThreshold(), 33);
        QCOMPARE(saved.count(), 0);
        QCOMPARE(readFileBytes(file), content);
        QCOMPARE(QDir(folder.path()).entryList({"Stats.xml.broken-*"}).size(), 0);
    }

    void secondDamageInTheSameSecondGetsItsOwnCopy()
    {
        QTemporaryDir folder;
        const QString file = folder.filePath("Twice.xml");
        for (int i = 0; i < 2; ++i) {
            QVERIFY(writeFileBytes(file, QByteArray("<broken")));
            SampleSettings settings(file);
            QVERIFY(!settings.reload());
        }
        QCOMPARE(QDir(folder.path()).entryList({"Twice.xml.broken-*"}).size(), 2);
    }

    void emptyJsonObjectIsNotDamage()
    {
        QVERIFY(writeFileBytes(path("empty.json"), "{}"));
        SampleSettings settings(path("empty.json"), false, nullptr, ZTSettings::JSON);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^JSON object is empty"));
        QVERIFY(settings.reload());
        QCOMPARE(QDir(temp.path()).entryList({"empty.json.broken-*"}).size(), 0);
    }

    void valuesThatDoNotFitKeepTheirProperty()
    {
        QVERIFY(writeFileBytes(path("unfit.xml"),
                               "<?xml version=\"1.0\"?>\n<SampleSettings>\n"
                               "    <Threshold>many</Threshold>\n    <Enabled>maybe</Enabled>\n"
                               "    <Origin>10</Origin>\n    <Tint>#zz</Tint>\n    <Pace>Sideways</Pace>\n"
                               "    <Blob>!!</Blob>\n    <Label>applied</Label>\n</SampleSettings>\n"));
        SampleSettings settings(path("unfit.xml"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("value of .* does not fit"));
        for (int i = 0; i < 5; ++i)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("value of .* does not fit"));
        QVERIFY(settings.reload());
        QCOMPARE(settings.getThreshold(), 20);
        QCOMPARE(settings.getEnabled(), true);
        QCOMPARE(settings.getOrigin(), QPoint(10, 20));
        QCOMPARE(settings.getTint(), QColor(Qt::red));
        QCOMPARE(settings.getPace(), SampleSettings::Fast);
        QCOMPARE(settings.getBlob(), QByteArray("raw"));
        QCOMPARE(settings.getLabel(), QStringLiteral("applied"));
    }

    void outOfRangeValuesAreClampedOnLoad()
    {
        QVERIFY(writeFileBytes(path("range.xml"),
                               "<SampleSettings><Threshold>5000</Threshold><Ratio>-3</Ratio></SampleSettings>"));
        SampleSettings settings(path("range.xml"));
        QVERIFY(settings.reload());
        QCOMPARE(settings.getThreshold(), 200);
        QCOMPARE(settings.getRatio(), 0.0);
    }

    void olderFilesStillRead()
    {
        // A one-item list written as plain text, six-digit points and CR LF line ends.
        QVERIFY(writeFileBytes(path("older.xml"),
                               "<?xml version=\"1.0\"?>\r\n<SampleSettings>\r\n    <Names>only</Names>\r\n"
                               "    <Centre>0.333333;2</Centre>\r\n    <Nested><Threshold>9</Threshold></Nested>\r\n"
                               "</SampleSettings>\r\n"));
        SampleSettings settings(path("older.xml"));
        QVERIFY(settings.reload());
        QCOMPARE(settings.getNames(), QStringList{"only"});
        QCOMPARE(settings.getCentre(), QPointF(0.333333, 2));
        QCOMPARE(settings.getThreshold(), 9);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFormats)
#include "tst_settings_formats.moc"
