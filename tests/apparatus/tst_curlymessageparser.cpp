#include "CurlyMessageParser.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCurlyMessageParser : public QObject
{
    Q_OBJECT

private:
    static QStringList parseInChunks(const QByteArray& stream, QRandomGenerator& random)
    {
        CurlyMessageParser parser;
        QStringList messages;
        qsizetype at = 0;
        while (at < stream.size()) {
            const qsizetype length = random.bounded(1, 9);
            messages += parser.parseUtf8(stream.mid(at, length));
            at += length;
        }
        return messages;
    }

private slots:
    void framesWithoutChecksumLeaveTheSumAlone()
    {
        QCOMPARE(CurlyMessageParser::frame("off", true, false), QByteArray("{off}"));
        QCOMPARE(CurlyMessageParser::frame("sn", true, false), QByteArray::fromHex("7b736e7d"));
        QCOMPARE(CurlyMessageParser::frame("sn", false, false), QByteArray("sn"));
        // A payload whose sum would be an escaped byte gets no escape before the end byte.
        QCOMPARE(CurlyMessageParser::frame(QByteArray::fromHex("a3"), true, false), QByteArray::fromHex("7ba37d"));
    }

    void framesWithChecksumSumToZero()
    {
        QCOMPARE(CurlyMessageParser::frame("sn", true, true), QByteArray::fromHex("7b736e1f7d"));
        QCOMPARE(CurlyMessageParser::frameMessage(QByteArray::fromHex("0d0002")), QByteArray::fromHex("7b0d0002f17d"));
        QCOMPARE(CurlyMessageParser::frameMessage(QByteArray::fromHex("f2")), QByteArray::fromHex("7bf20e7d"));
        QCOMPARE(CurlyMessageParser::checksum(QByteArray::fromHex("0a00001e1e1e000000e8031905")), quint8(0x93));
    }

    void escapesFramingBytes()
    {
        // 0x7D in the payload, then a checksum that is 0x5C itself: (0 - 0x7D - 0x27) mod 256.
        QCOMPARE(CurlyMessageParser::frame(QByteArray::fromHex("7d27"), true, true),
                 QByteArray::fromHex("7b5c5d275c7c7d"));
        QCOMPARE(CurlyMessageParser::frame(QByteArray::fromHex("7b5c"), true, false),
                 QByteArray::fromHex("7b5c5b5c7c7d"));
        // Line ends and NUL pass as they are.
        QCOMPARE(CurlyMessageParser::frame(QByteArray("a\r\n\0b", 5), false, false), QByteArray("a\r\n\0b", 5));
    }

    void framesLongPayloadsWhole()
    {
        const QByteArray payload(300, 'x');
        const QByteArray framed = CurlyMessageParser::frame(payload, true, true);
        QCOMPARE(framed.size(), 303);
        QCOMPARE(CurlyMessageParser().parseBytes(framed).value(0).left(300), payload);
    }

    void textModeSplitsAtBracesAndLineEnds()
    {
        CurlyMessageParser parser;
        QSignalSpy spy(&parser, &CurlyMessageParser::messageReceived);
        QCOMPARE(parser.parseText("{sn=S42612537}\r\n"), QStringList{"sn=S42612537"});
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QString("sn=S42612537"));

        QCOMPARE(parser.parseText("x:12,y:"), QStringList());
        QCOMPARE(parser.parseText("-3,z:4\r\n"), QStringList{"x:12,y:-3,z:4"});

        QCOMPARE(parser.parseText("{}"), QStringList());
        QCOMPARE(parser.parseText("\r\n\r\n"), QStringList());
        QCOMPARE(parser.parseText("  {a}{b}\nc\\d}"), (QStringList{"a", "b", "c\\d"}));
        QCOMPARE(spy.count(), 5);
    }

    void textInRandomChunksGivesTheSameMessages()
    {
        const QByteArray stream = "{iamkestrum}\r\n{sn=S42612537}\r\n{version=4.2.1}\r\nS,1,2,3\n"
                                  "{v=5}{}\r\n\r\n  x:1,y:2  \n{sound=B,4000}";
        const QStringList whole = CurlyMessageParser().parseText(QString::fromLatin1(stream));
        QCOMPARE(whole, (QStringList{"iamkestrum", "sn=S42612537", "version=4.2.1", "S,1,2,3", "v=5", "x:1,y:2",
                                     "sound=B,4000"}));
        QRandomGenerator random(20240611);
        for (int round = 0; round < 200; ++round)
            QCOMPARE(parseInChunks(stream, random), whole);
    }

    // Reads end anywhere, also inside a character: framing is found in the bytes, and each
    // message is decoded on its own, so a cut character never eats the brace after it.
    void utf8InRandomChunksGivesTheSameMessages()
    {
        const QByteArray stream = "{sn=\xc3\xa9t\xc3\xa9}\r\n\xe2{x:1}\xf0\x9f{mouse \xf0\x9f\x90\xad}"
                                  "junk\xc3}{v=\xff"
                                  "2}\n\xe2\x82";
        const QStringList expected{u"sn=\u00e9t\u00e9"_s, u"\ufffd"_s,     u"x:1"_s,      u"\ufffd\ufffd"_s,
                                   u"mouse \U0001F42D"_s, u"junk\ufffd"_s, u"v=\ufffd2"_s};
        CurlyMessageParser whole;
        QSignalSpy spy(&whole, &CurlyMessageParser::messageReceived);
        QCOMPARE(whole.parseUtf8(stream), expected);
        QCOMPARE(spy.count(), expected.size());
        // A character cut at the end of a read is whole once the rest arrives.
        QCOMPARE(whole.parseUtf8("\xac}"), QStringList{u"\u20ac"_s});
        QRandomGenerator random(20240612);
        for (int round = 0; round < 500; ++round)
            QCOMPARE(parseInChunks(stream, random), expected);
    }

    void textWithoutSeparatorsIsCapped()
    {
        CurlyMessageParser parser;
        const QString garbage(1000, QLatin1Char('g'));
        for (int i = 0; i < 1000; ++i)
            QVERIFY(parser.parseText(garbage).isEmpty());
        QVERIFY(parser.pendingText().size() <= CurlyMessageParser::MaxPendingLength);
        // The overlong piece is dropped up to its separator; the stream then recovers.
        QCOMPARE(parser.parseText("tail}{sn=S1}"), QStringList{"sn=S1"});
        QCOMPARE(parser.parseText(QString(CurlyMessageParser::MaxPendingLength, QLatin1Char('a')) + "}"),
                 QStringList{QString(CurlyMessageParser::MaxPendingLength, QLatin1Char('a'))});
    }

    void textSplittingIsLinear()
    {
        // Many separators after a long run of text: a search from the start for every separator
        // kind at every step would take quadratic time here.
        const QString input = QString(2000, QLatin1Char('a'))
                                  .append(QString(500000, QLatin1Char('}')))
                                  .append(QString(500000, QLatin1Char('\n')));
        CurlyMessageParser parser;
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(parser.parseText(input).size(), 1);
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    }

    void byteModeUnescapesFrames()
    {
        CurlyMessageParser parser;
        QSignalSpy spy(&parser, &CurlyMessageParser::messageBytesReceived);
        QCOMPARE(parser.parseBytes(QByteArray::fromHex("7b61627d")), QList<QByteArray>{"ab"});
        QCOMPARE(parser.parseBytes(QByteArray::fromHex("7b615c5d7d")), QList<QByteArray>{"a}"});
        QCOMPARE(parser.parseBytes(QByteArray::fromHex("7b7d")), QList<QByteArray>());
        QCOMPARE(parser.parseBytes(QByteArray::fromHex("7b615c7d")), QList<QByteArray>{"a"});
        QCOMPARE(parser.parseBytes(QByteArray::fromHex("7b5c7d")), QList<QByteArray>());
        QCOMPARE(spy.count(), 3);
    }

    void byteModeDropsNoiseBetweenFrames()
    {
        CurlyMessageParser parser;
        QCOMPARE(parser.parseBytes(QByteArray::fromHex("78797b61627d")), QList<QByteArray>{"ab"});
        QCOMPARE(parser.parseBytes(QByteArray::fromHex("7b6162")), QList<QByteArray>());
        // A start byte in the middle of a frame means the old frame was cut: begin afresh.
        QCOMPARE(parser.parseBytes(QByteArray::fromHex("7b63647d")), QList<QByteArray>{"cd"});
    }

    void byteModeKeepsChecksumAndSurvivesChunking()
    {
        QByteArray stream;
        const QList<QByteArray> payloads{QByteArray::fromHex("0d9002533432363132353337"),
                                         QByteArray::fromHex("0d00047b7d5c00"), QByteArray::fromHex("0a")};
        QList<QByteArray> expected;
        for (const QByteArray& payload : payloads) {
            stream += CurlyMessageParser::frameMessage(payload);
            expected.append(payload + char(CurlyMessageParser::checksum(payload)));
        }
        QRandomGenerator random(7);
        for (int round = 0; round < 200; ++round) {
            CurlyMessageParser parser;
            QList<QByteArray> frames;
            for (qsizetype at = 0; at < stream.size();) {
                const qsizetype length = random.bounded(1, 6);
                frames += parser.parseBytes(stream.mid(at, length));
                at += length;
            }
            QCOMPARE(frames, expected);
        }
    }

    void byteModeCapsAnEndlessFrame()
    {
        CurlyMessageParser parser;
        QVERIFY(parser.parseBytes("{" + QByteArray(100000, 'z')).isEmpty());
        QVERIFY(parser.pendingBytes().size() <= CurlyMessageParser::MaxPendingLength);
        QCOMPARE(parser.parseBytes("}"), QList<QByteArray>());
        QCOMPARE(parser.parseBytes("{ok}"), QList<QByteArray>{"ok"});
    }
};

QTEST_GUILESS_MAIN(TestCurlyMessageParser)
#include "tst_curlymessageparser.moc"
