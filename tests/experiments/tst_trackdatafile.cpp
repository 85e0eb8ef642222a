#include "TestFiles.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <memory>

namespace {

quint32 u32At(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray header(quint32 count, quint32 descriptionOffset = 0xFFFFFFFF)
{
    return le32(0x01010000) + le32(count) + le32(descriptionOffset) + le32(0);
}

QByteArray record(quint32 key, quint32 position, const QByteArray& payload)
{
    return le32(key) + le32(position + 8 + quint32(payload.size())) + payload;
}

TrackFrame detectedFrame(int seed)
{
    TrackFrame frame;
    frame.detected = true;
    frame.timeMs = 1'700'000'000'000 + seed;
    frame.setCenter(QPoint(100 + seed, 200 + seed));
    frame.setRect(QRect(90 + seed, 190, 20, 21));
    frame.area = 400 + seed;
    frame.image = QByteArray("\x89PNG-ish", 8);
    return frame;
}

// Track.tdata payload of detectedFrame(0), spelled out in the stream's big-endian layout.
QByteArray detectedPayload()
{
    return QByteArray::fromHex("01"               // detected
                               "0000018BCFE56800" // timeMs 1700000000000
                               "00000000"
                               "00000000"         // pointA
                               "0000000000000000" // reserved double 0.0
                               "00000000"
                               "00000000" // pointB
                               "00000064"
                               "000000C8" // center 100, 200
                               "0000005A"
                               "000000BE"
                               "00000014"
                               "00000015" // rect 90, 190, 20, 21
                               "00"       // reserved flag
                               "00000190" // area 400
                               "00000008"
                               "89504E472D697368"); // image bytes
}

} // namespace

class TrackDataFileTest : public QObject
{
    Q_OBJECT

private slots:
    // Every case gets a folder of its own, so what one leaves cannot hide what another does.
    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        path = folder->filePath(QStringLiteral("Track.tdata"));
    }

    void oneUndetectedFrameIsTwentyFiveBytes()
    {
        TrackDataFile track;
        QVERIFY(track.open(path, false));
        QCOMPARE(readFileBytes(path), header(0));
        QVERIFY(track.writeRecord(track.lastKey() + 1, TrackFrame(), true));
        const QByteArray expected = header(1)
                                    + QByteArray::fromHex("01000000"
                                                          "19000000"
                                                          "00");
        QCOMPARE(readFileBytes(path), expected);
        QCOMPARE(track.lastKey(), 1u);
    }

    void detectedFrameLayoutIsByteExact()
    {
        TrackDataFile track;
        QVERIFY(track.open(path, false));
        QVERIFY(track.writeRecord(1, detectedFrame(0), true));
        QCOMPARE(readFileBytes(path), header(1) + record(1, 16, detectedPayload()));

        TrackFrame nullImage = detectedFrame(0);
        nullImage.image = QByteArray();
        QVERIFY(track.writeRecord(2, nullImage, true));
        QCOMPARE(readFileBytes(path).right(4), QByteArray::fromHex("FFFFFFFF"));
    }

    void framesRoundTripThroughReviewOpen()
    {
        {
            TrackDataFile writer;
            QVERIFY(writer.open(path, false));
            for (quint32 key = 1; key <= 50; ++key)
                QVERIFY(writer.writeRecord(key, key % 3 ? detectedFrame(int(key)) : TrackFrame(), true));
        }
        const QByteArray before = readFileBytes(path);
        TrackDataFile reader;
        QVERIFY(reader.open(path, true));
        QVERIFY(!reader.isWritable());
        QVERIFY(!reader.wasRepaired());
        QCOMPARE(reader.recordCount(), 50u);
        QCOMPARE(reader.lastKey(), 50u);
        for (quint32 key = 1; key <= 50; ++key) {
            TrackFrame frame;
            QVERIFY(reader.readRecord(key, frame));
            QCOMPARE(frame.detected, key % 3 != 0);
            if (frame.detected) {
                const TrackFrame expected = detectedFrame(int(key));
                QCOMPARE(frame.timeMs, expected.timeMs);
                QCOMPARE(frame.center(), expected.center());
                QCOMPARE(frame.rect(), expected.rect());
                QCOMPARE(frame.area, expected.area);
                QCOMPARE(frame.image, expected.image);
            }
        }
        TrackFrame missing;
        QVERIFY(!reader.readRecord(51, missing));
        QVERIFY(!reader.writeRecord(51, TrackFrame(), true));
        QCOMPARE(readFileBytes(path), before);
    }

    void rewritesInPlaceAndDropsRecordsThatGrow()
    {
        TrackDataFile track;
        QVERIFY(track.open(path, false));
        for (quint32 key = 1; key <= 5; ++key)
            QVERIFY(track.writeRecord(key, detectedFrame(int(key)), true));
        const QByteArray full = readFileBytes(path);
        const quint32 fifth = quint32(full.size() - (8 + detectedPayload().size()));

        QVERIFY(!track.writeRecord(5, TrackFrame(), false));
        QVERIFY(track.writeRecord(5, TrackFrame(), true));
        QByteArray shorter = readFileBytes(path);
        QCOMPARE(shorter.size(), full.size());
        QCOMPARE(u32At(shorter, 4), 5u);
        QCOMPARE(u32At(shorter, int(fifth)), 5u);
        QCOMPARE(u32At(shorter, int(fifth) + 4), quint32(full.size()));
        QCOMPARE(shorter.at(int(fifth) + 8), '\0');

        TrackFrame longer = detectedFrame(5);
        longer.image = QByteArray(500, 'x');
        QVERIFY(track.writeRecord(5, longer, true));
        const QByteArray grown = readFileBytes(path);
        QCOMPARE(u32At(grown, 4), 5u);
        QCOMPARE(u32At(grown, int(fifth)), 0xFFFFFFFFu);
        QCOMPARE(u32At(grown, int(fifth) + 4), quint32(full.size()));
        QCOMPARE(u32At(grown, full.size()), 5u);
        QCOMPARE(u32At(grown, full.size() + 4), quint32(grown.size()));

        TrackDataFile reader;
        QVERIFY(reader.open(path, true));
        QVERIFY(!reader.wasRepaired());
        TrackFrame back;
        QVERIFY(reader.readRecord(5, back));
        QCOMPARE(back.image, longer.image);
        QCOMPARE(reader.keys(), (QList<quint32>{1, 2, 3, 4, 5}));
    }

    void countMismatchIsRebuiltKeepingTheOriginal()
    {
        const QByteArray one = detectedPayload();
        QByteArray damaged = header(3) + record(1, 16, one);
        damaged += record(2, quint32(damaged.size()), QByteArray(1, '\0'));
        QVERIFY(writeFileBytes(path, damaged));

        TrackDataFile reader;
        QVERIFY(reader.open(path, true));
        QVERIFY(reader.wasRepaired());
        QVERIFY(reader.message().contains(QStringLiteral("counts 3")));
        QCOMPARE(readFileBytes(reader.setAsidePath()), damaged);
        const QByteArray rebuilt = readFileBytes(path);
        QCOMPARE(u32At(rebuilt, 4), 2u);
        QCOMPARE(rebuilt.mid(8), damaged.mid(8));
        TrackFrame frame;
        QVERIFY(reader.readRecord(1, frame));
        QCOMPARE(frame.area, 400);
        QVERIFY(reader.readRecord(2, frame));
        QVERIFY(!frame.detected);

        TrackDataFile again;
        QVERIFY(again.open(path, true));
        QVERIFY(!again.wasRepaired());
        QCOMPARE(again.recordCount(), 2u);
    }

    void tornTailIsCutAndEveryIntactFrameKept()
    {
        QByteArray bytes = header(3) + record(1, 16, detectedPayload());
        bytes += record(2, quint32(bytes.size()), QByteArray(1, '\0'));
        const int intact = int(bytes.size());
        // A crash in the middle of appending the third record: its prefix promises more
        // bytes than reached the disk.
        bytes += le32(3) + le32(quint32(intact + 8 + 200)) + QByteArray(17, '\1');
        QVERIFY(writeFileBytes(path, bytes));

        TrackDataFile reader;
        QVERIFY(reader.open(path, true));
        QVERIFY(reader.wasRepaired());
        QCOMPARE(reader.keys(), (QList<quint32>{1, 2}));
        QCOMPARE(readFileBytes(reader.setAsidePath()), bytes);
        QCOMPARE(readFileBytes(path), header(2) + bytes.mid(16, intact - 16));

        // A second damaged file beside it does not overwrite the first copy set aside.
        QVERIFY(writeFileBytes(path, bytes));
        TrackDataFile second;
        QVERIFY(second.open(path, true));
        QVERIFY(second.setAsidePath() != reader.setAsidePath());
        QCOMPARE(readFileBytes(reader.setAsidePath()), bytes);
    }

    void brokenChainsAreNotFollowed_data()
    {
        QTest::addColumn<quint32>("end");
        QTest::newRow("zero end") << 0u;
        QTest::newRow("end before start") << 10u;
        QTest::newRow("end inside prefix") << 20u;
    }

    void brokenChainsAreNotFollowed()
    {
        QFETCH(quint32, end);
        QByteArray bytes = header(2) + record(7, 16, QByteArray(1, '\0'));
        bytes += le32(8) + le32(end) + QByteArray(4, '\0');
        QVERIFY(writeFileBytes(path, bytes));
        TrackDataFile reader;
        QVERIFY(reader.open(path, true));
        QVERIFY(reader.wasRepaired());
        QCOMPARE(reader.keys(), QList<quint32>{7});
    }

    void reviewNeverCreatesOrTouchesForeignFiles()
    {
        TrackDataFile reader;
        QVERIFY(!reader.open(path, true));
        QVERIFY(!QFile::exists(path));
        QVERIFY(!reader.message().isEmpty());

        const QByteArray garbage("this is not a track file at all");
        QVERIFY(writeFileBytes(path, garbage));
        QVERIFY(!reader.open(path, true));
        QVERIFY(!reader.isOpen());
        QCOMPARE(readFileBytes(path), garbage);

        QVERIFY(writeFileBytes(path, header(0).left(10)));
        QVERIFY(!reader.open(path, true));
        QCOMPARE(readFileBytes(path), header(0).left(10));
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files), QStringList{QStringLiteral("Track.tdata")});
    }

    void fileBeingWrittenIsNotRebuilt()
    {
        TrackDataFile writer;
        QVERIFY(writer.open(path, false));
        QVERIFY(writer.writeRecord(1, TrackFrame(), true));
        QVERIFY(writer.writeRecord(2, TrackFrame(), true));
        {
            // The moment between a record reaching the disk and the header counting it.
            QFile raw(path);
            QVERIFY(raw.open(QIODevice::ReadWrite));
            raw.seek(4);
            raw.write(le32(1));
        }
        TrackDataFile reader;
        QVERIFY(reader.open(path, true));
        QVERIFY(!reader.wasRepaired());
        QCOMPARE(reader.keys(), (QList<quint32>{1, 2}));
        QVERIFY(writer.writeRecord(3, TrackFrame(), true));
        QCOMPARE(u32At(readFileBytes(path), 4), 3u);
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files), QStringList{QStringLiteral("Track.tdata")});
    }

    void writerStartsAfresh()
    {
        QVERIFY(writeFileBytes(path, header(1) + record(1, 16, QByteArray(1, '\0'))));
        TrackDataFile writer;
        QVERIFY(writer.open(path, false));
        QCOMPARE(writer.recordCount(), 0u);
        QCOMPARE(readFileBytes(path), header(0));
        QVERIFY(!writer.writeRecordBytes(1, QByteArray(), true));
        writer.close();
        QVERIFY(!writer.isOpen());
        QVERIFY(!writer.writeRecord(1, TrackFrame(), true));
    }

    void descriptionLineIsRead()
    {
        QByteArray bytes = header(2, 16) + record(0, 16, "frame times\nrest");
        bytes += record(1, quint32(bytes.size()), QByteArray(1, '\0'));
        QVERIFY(writeFileBytes(path, bytes));
        TrackDataFile reader;
        QVERIFY(reader.open(path, true));
        QCOMPARE(reader.description(), QStringLiteral("frame times"));
    }

    void payloadFreeRecordsHoldAnyStreamableValue()
    {
        TrackDataFile log;
        QVERIFY(log.open(path, false));
        QVERIFY(log.writeRecord<qint64>(0, 1234567890123, true));
        QVERIFY(log.writeRecord<qint64>(1, -5, true));
        TrackDataFile reader;
        QVERIFY(reader.open(path, true));
        qint64 value = 0;
        QVERIFY(reader.readRecord(0, value));
        QCOMPARE(value, 1234567890123);
        QVERIFY(reader.readRecord(1, value));
        QCOMPARE(value, -5);
        QCOMPARE(readFileBytes(path).mid(24, 8), QByteArray::fromHex("0000011F71FB04CB"));
    }

    void olderTrackDataIsReadWithoutTimeStamps()
    {
        // Track.data of an older run: same container, records without the time stamp.
        const QByteArray detected = QByteArray::fromHex("01"
                                                        "00000003"
                                                        "00000004"         // pointA 3, 4
                                                        "3FF8000000000000" // reserved 1.5
                                                        "00000005"
                                                        "00000006" // pointB 5, 6
                                                        "0000012C"
                                                        "000000F0" // center 300, 240
                                                        "00000118"
                                                        "000000DC"
                                                        "00000028"
                                                        "00000029"   // rect
                                                        "01"         // reserved flag
                                                        "00000640"   // area 1600
                                                        "FFFFFFFF"); // no image
        QByteArray bytes = header(2) + record(1, 16, detected);
        bytes += record(2, quint32(bytes.size()), QByteArray(1, '\0'));
        const QString legacyPath = folder->filePath(QStringLiteral("Track.data"));
        QVERIFY(writeFileBytes(legacyPath, bytes));

        TrackDataFile legacy;
        QVERIFY(legacy.open(legacyPath, true));
        TrackFrame frame;
        QVERIFY(legacy.readRecordWith(1, frame, readTrackFrameLegacy));
        QVERIFY(frame.detected);
        QCOMPARE(frame.timeMs, 0);
        QCOMPARE(frame.pointA(), QPoint(3, 4));
        QCOMPARE(frame.reservedValue, 1.5);
        QCOMPARE(frame.pointB(), QPoint(5, 6));
        QCOMPARE(frame.center(), QPoint(300, 240));
        QCOMPARE(frame.rect(), QRect(280, 220, 40, 41));
        QVERIFY(frame.reservedFlag);
        QCOMPARE(frame.area, 1600);
        QVERIFY(frame.image.isNull());

        // An undetected record leaves the other fields as they were.
        QVERIFY(legacy.readRecordWith(2, frame, readTrackFrameLegacy));
        QVERIFY(!frame.detected);
        QCOMPARE(frame.area, 1600);
        // Read with the current layout, the same record runs past its end and is refused.
        TrackFrame wrongLayout;
        QVERIFY(!legacy.readRecord(1, wrongLayout));
        QVERIFY(!QFile::exists(path));
    }

    void legacyFixtureFromDiskIsRead()
    {
        const QString fixture = qEnvironmentVariable("KESTRUM_SOURCE_DIR")
                                + QStringLiteral("/tests/experiments/fixtures/legacy-run/Track.data");
        TrackDataFile legacy;
        QVERIFY2(legacy.open(fixture, true), qPrintable(legacy.message()));
        QVERIFY(!legacy.wasRepaired());
        QCOMPARE(legacy.recordCount(), 3u);
        TrackFrame frame;
        QVERIFY(legacy.readRecordWith(2, frame, readTrackFrameLegacy));
        QVERIFY(frame.detected);
        QCOMPARE(frame.center(), QPoint(320, 240));
        QCOMPARE(frame.rect(), QRect(300, 220, 40, 40));
        QCOMPARE(frame.area, 1200);
        QVERIFY(QImage::fromData(frame.image, "PNG").size() == QSize(2, 2));
        QVERIFY(legacy.readRecordWith(3, frame, readTrackFrameLegacy));
        QVERIFY(!frame.detected);
    }

private:
    std::unique_ptr<QTemporaryDir> folder;
    QString path;
};

QTEST_GUILESS_MAIN(TrackDataFileTest)
#include "tst_trackdatafile.moc"
