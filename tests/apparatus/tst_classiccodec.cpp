#include "ClassicKestrumCodec.h"
#include "CurlyMessageParser.h"

#include <QTest>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

} // namespace

class TestClassicCodec : public QObject
{
    Q_OBJECT

private slots:
    void commandFrames_data();
    void commandFrames();
    void stateMessageLayout();
    void stateMessageEscapesTone();
    void checksumIsEscapedLikePayload();
    void invalidCommandsGiveNoPayload();
    void encodedFramesDecodeToPayloadAndChecksum();
    void replySplitOverReadsIsAssembled();
    void escapeSplitOverReadsIsAssembled();
    void unfinishedFrameIsNeverDelivered();
    void bytesOutsideFramesAreDropped();
    void restartedFrameAbandonsThePartialOne();
    void runawayFrameIsDropped();
    void serialNumberReplies_data();
    void serialNumberReplies();
    void userDataReply();
    void tooShortRepliesAreRejected_data();
    void tooShortRepliesAreRejected();
};

void TestClassicCodec::commandFrames_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("serial number request")
        << ClassicKestrumCodec::serialNumberRequestPayload() << hex("7B 0D 00 02 F1 7D");
    QTest::newRow("user data request") << ClassicKestrumCodec::userDataRequestPayload() << hex("7B 0D 00 04 00 EF 7D");
    QTest::newRow("open door") << ClassicKestrumCodec::doorPayload(true) << hex("7B 0D 00 06 ED 7D");
    QTest::newRow("close door") << ClassicKestrumCodec::doorPayload(false) << hex("7B 0D 00 07 EC 7D");
    QTest::newRow("write serial number, cut to eight characters")
        << ClassicKestrumCodec::writeSerialNumberPayload(QStringLiteral("S426125399"))
        << hex("7B 0D 00 01 53 34 32 36 31 32 35 33 38 7D");
    QTest::newRow("raw command with bytes to escape")
        << ClassicKestrumCodec::commandPayload(hex("7B 5C")) << hex("7B 0D 00 03 00 5C 5B 5C 7C 19 7D");
}

void TestClassicCodec::commandFrames()
{
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, frame);
    QCOMPARE(ClassicKestrumCodec::encodeFrame(payload).toHex(' '), frame.toHex(' '));
}

void TestClassicCodec::stateMessageLayout()
{
    ClassicOutputState outputs;
    outputs.leftLight = 30;
    outputs.tone = 1000;
    outputs.leftSpeaker = true;
    outputs.gridLevel = 25;
    outputs.gridOn = true;
    const QByteArray payload = ClassicKestrumCodec::statePayload(outputs);
    QCOMPARE(payload.toHex(' '), hex("0A 00 00 1E 1E 1E 00 00 00 E8 03 19 05").toHex(' '));
    QCOMPARE(ClassicKestrumCodec::encodeFrame(payload).toHex(' '),
             hex("7B 0A 00 00 1E 1E 1E 00 00 00 E8 03 19 05 93 7D").toHex(' '));

    const QByteArray allOff = ClassicKestrumCodec::statePayload({});
    QCOMPARE(allOff.toHex(' '), hex("0A 00 00 00 00 00 00 00 00 00 00 00 00").toHex(' '));
}

void TestClassicCodec::stateMessageEscapesTone()
{
    ClassicOutputState outputs;
    outputs.leftLight = 100;
    outputs.rightLight = 50;
    outputs.tone = 0x007B;
    outputs.gridLevel = 255;
    outputs.leftSpeaker = true;
    outputs.rightSpeaker = true;
    outputs.gridOn = true;
    QCOMPARE(ClassicKestrumCodec::encodeFrame(ClassicKestrumCodec::statePayload(outputs)).toHex(' '),
             hex("7B 0A 00 00 64 64 64 32 32 32 5C 5B 00 FF 07 B3 7D").toHex(' '));
}

void TestClassicCodec::checksumIsEscapedLikePayload()
{
    QCOMPARE(CurlyMessageParser::checksum(hex("83")), quint8(0x7D));
    QCOMPARE(ClassicKestrumCodec::encodeFrame(hex("83")).toHex(' '), hex("7B 83 5C 5D 7D").toHex(' '));
    QCOMPARE(ClassicKestrumCodec::encodeFrame(hex("A4")).toHex(' '), hex("7B A4 5C 7C 7D").toHex(' '));
    // Longer payloads than the text framing handles are framed whole.
    const QByteArray longPayload(300, '\x01');
    const QByteArray frame = ClassicKestrumCodec::encodeFrame(longPayload);
    QCOMPARE(frame.size(), 300 + 3);
    QCOMPARE(quint8(frame.at(301)), quint8(0xD4));
}

void TestClassicCodec::invalidCommandsGiveNoPayload()
{
    QVERIFY(ClassicKestrumCodec::writeSerialNumberPayload(QString()).isEmpty());
    QVERIFY(ClassicKestrumCodec::commandPayload(QByteArray()).isEmpty());
    QVERIFY(ClassicKestrumCodec::commandPayload(QByteArray(9, 'a')).isEmpty());
    QCOMPARE(ClassicKestrumCodec::commandPayload(QByteArray(8, 'a')).size(), 12);
}

void TestClassicCodec::encodedFramesDecodeToPayloadAndChecksum()
{
    ClassicFrameDecoder decoder;
    for (int value = 0; value < 256; ++value) {
        const QByteArray payload = QByteArray(1, char(value)) + hex("7B 7D 5C 00");
        const QList<QByteArray> frames = decoder.feed(ClassicKestrumCodec::encodeFrame(payload));
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames.first(), payload + char(CurlyMessageParser::checksum(payload)));
    }
}

void TestClassicCodec::replySplitOverReadsIsAssembled()
{
    const QByteArray reply = hex("7B 0D 90 02 53 34 32 36 31 32 35 33 A7 7D");
    for (int cut = 1; cut < reply.size(); ++cut) {
        ClassicFrameDecoder decoder;
        QVERIFY(decoder.feed(reply.left(cut)).isEmpty());
        const QList<QByteArray> frames = decoder.feed(reply.mid(cut));
        QCOMPARE(frames.size(), 1);
        const ClassicReply understood = ClassicKestrumCodec::interpretReply(frames.first());
        QCOMPARE(understood.kind, ClassicReply::SerialNumber);
        QCOMPARE(understood.serialNumber, QStringLiteral("S4261253"));
    }
}

void TestClassicCodec::escapeSplitOverReadsIsAssembled()
{
    ClassicFrameDecoder decoder;
    QVERIFY(decoder.feed(hex("7B 0D 5C")).isEmpty());
    const QList<QByteArray> frames = decoder.feed(hex("5D 7D"));
    QCOMPARE(frames, QList<QByteArray>{hex("0D 7D")});
}

void TestClassicCodec::unfinishedFrameIsNeverDelivered()
{
    ClassicFrameDecoder decoder;
    QVERIFY(decoder.feed(hex("7B 0D 90 02 53 34 32 36")).isEmpty());
    QVERIFY(decoder.isInsideFrame());
    // An escape right before the end leaves the frame malformed: nothing is delivered.
    decoder.reset();
    QVERIFY(decoder.feed(hex("7B 0D 90 5C 7D")).isEmpty());
    QVERIFY(!decoder.isInsideFrame());
}

void TestClassicCodec::bytesOutsideFramesAreDropped()
{
    ClassicFrameDecoder decoder;
    const QList<QByteArray> frames = decoder.feed(hex("78 79 7D 7B 61 62 7D 5C 7B 7D 00"));
    QCOMPARE(frames, (QList<QByteArray>{hex("61 62"), QByteArray()}));
}

void TestClassicCodec::restartedFrameAbandonsThePartialOne()
{
    ClassicFrameDecoder decoder;
    QVERIFY(decoder.feed(hex("7B 01 02")).isEmpty());
    QCOMPARE(decoder.feed(hex("7B 03 7D")), QList<QByteArray>{hex("03")});
}

void TestClassicCodec::runawayFrameIsDropped()
{
    ClassicFrameDecoder decoder;
    QVERIFY(decoder.feed(QByteArray(1, '\x7B') + QByteArray(1000, '\x01') + '\x7D').isEmpty());
    QCOMPARE(decoder.feed(hex("7B 05 7D")), QList<QByteArray>{hex("05")});
}

void TestClassicCodec::serialNumberReplies_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("number");

    QTest::newRow("eight characters") << hex("0D 90 02 53 34 32 36 31 32 35 33 A7") << true << "S4261253";
    // A NUL at the end takes the character before it along: seven characters become six.
    QTest::newRow("seven characters and NUL padding") << hex("0D 90 02 53 34 32 36 31 32 35 00 DA") << false << "";
    QTest::newRow("space before NUL padding") << hex("0D 90 02 53 34 32 36 31 32 20 00 DA") << false << "";
    QTest::newRow("seven characters without padding") << hex("0D 90 02 53 34 32 36 31 32 35 DA") << true << "S426125";
    QTest::newRow("six characters") << hex("0D 90 02 53 34 32 36 31 32 00") << false << "";
    QTest::newRow("spaces around") << hex("0D 90 02 20 53 34 32 36 31 32 35 20 00") << true << "S426125";
    QTest::newRow("dash and underscore") << hex("0D 90 02 53 34 2D 36 31 5F 35 33 00") << true << "S4-61_53";
    QTest::newRow("longer than eight bytes is cut")
        << hex("0D 90 02 53 34 32 36 31 32 35 33 39 39 00") << true << "S4261253";
    QTest::newRow("checksum never counts as a character")
        << hex("0D 90 02 53 34 32 36 31 32 35 41") << true << "S426125";
    // Line noise is no number: the chamber is asked again rather than named with control bytes.
    QTest::newRow("control byte inside") << hex("0D 90 02 53 34 32 1B 31 32 35 33 00") << false << "";
    QTest::newRow("NUL inside") << hex("0D 90 02 53 00 32 36 31 32 35 33 00") << false << "";
    QTest::newRow("DEL and C1 bytes") << hex("0D 90 02 53 34 7F 36 31 32 85 33 00") << false << "";
    // The number names the chamber's settings file: it must stay a plain name in its folder.
    QTest::newRow("path up and out") << hex("0D 90 02 2E 2E 2F 2E 2E 2F 78 79 00") << false << "";
    QTest::newRow("backslash") << hex("0D 90 02 53 34 32 5C 31 32 35 33 00") << false << "";
    QTest::newRow("leading dot") << hex("0D 90 02 2E 34 32 36 31 32 35 33 00") << false << "";
    QTest::newRow("space inside") << hex("0D 90 02 53 34 32 20 31 32 35 33 00") << false << "";
}

void TestClassicCodec::serialNumberReplies()
{
    QFETCH(QByteArray, frame);
    QFETCH(bool, accepted);
    QFETCH(QString, number);
    const ClassicReply reply = ClassicKestrumCodec::interpretReply(frame);
    QCOMPARE(reply.kind == ClassicReply::SerialNumber, accepted);
    QCOMPARE(reply.serialNumber, number);
}

void TestClassicCodec::userDataReply()
{
    ClassicFrameDecoder decoder;
    const QList<QByteArray> frames = decoder.feed(hex("7B 0D 90 04 01 02 03 04 55 7D"));
    QCOMPARE(frames.size(), 1);
    const ClassicReply reply = ClassicKestrumCodec::interpretReply(frames.first());
    QCOMPARE(reply.kind, ClassicReply::UserData);
    QCOMPARE(reply.userData, hex("01 02 03 04"));
}

void TestClassicCodec::tooShortRepliesAreRejected_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("header only") << hex("0D 90 02");
    QTest::newRow("user data without all four bytes") << hex("0D 90 04 01 02 03 55");
    QTest::newRow("other command byte") << hex("0A 90 02 53 34 32 36 31 32 35 33 A7");
    QTest::newRow("other reply code") << hex("0D 90 05 53 34 32 36 31 32 35 33 A7");
}

void TestClassicCodec::tooShortRepliesAreRejected()
{
    QFETCH(QByteArray, frame);
    QCOMPARE(ClassicKestrumCodec::interpretReply(frame).kind, ClassicReply::Unknown);
}

QTEST_GUILESS_MAIN(TestClassicCodec)
#include "tst_classiccodec.moc"
