#include "GlobalConsole.h"
#include "TestFiles.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <sys/stat.h>
#include <sys/wait.h>

#include <memory>
#include <unistd.h>

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

QByteArray payloadOf(const TrackFrame& frame)
{
    QByteArray payload;
    QDataStream stream(&payload, QIODevice::WriteOnly);
    stream.setVersion(TrackDataFile::streamVersion);
    stream << frame;
    return payload;
}

// Six records as the writer lays them down, every third one undetected.
struct SixRecords
{
    QList<QByteArray> payloads;
    QList<quint32> positions;
    QByteArray bytes = header(6);

    SixRecords()
    {
        for (int key = 1; key <= 6; ++key) {
            payloads << payloadOf(key % 3 ? detectedFrame(key) : TrackFrame());
            positions << quint32(bytes.size());
            bytes += record(quint32(key), positions.last(), payloads.last());
        }
    }
    // The bytes with the end offset of the record of `key` replaced.
    QByteArray withEnd(int key, quint32 end) const
    {
        QByteArray damaged = bytes;
        qToLittleEndian(end, damaged.data() + positions.at(key - 1) + 4);
        return damaged;
    }
};

// `count` records numbered from `firstKey` on, laid down from `position` on.
QByteArray numberedRecords(quint32 firstKey, int count, quint32 position)
{
    QByteArray bytes;
    for (quint32 key = firstKey; key < firstKey + quint32(count); ++key)
        bytes += record(key, position + quint32(bytes.size()), payloadOf(detectedFrame(int(key))));
    return bytes;
}

// Damage that looks like records in every way but their numbering: prefixes whose end offsets
// lead from one to the next, under keys at random, then random bytes.
QByteArray lookalikeGarbage(quint32 position, int records, int randomBytes)
{
    QRandomGenerator random(33);
    QByteArray bytes;
    for (int i = 0; i < records; ++i) {
        QByteArray payload(1 + int(random.bounded(200)), '\0');
        random.fillRange(reinterpret_cast<quint32*>(payload.data()), payload.size() / 4);
        bytes += record(random.generate(), position + quint32(bytes.size()), payload);
    }
    QList<quint32> noise(randomBytes / 4);
    random.fillRange(noise.data(), noise.size());
    return bytes + QByteArray(reinterpret_cast<const char*>(noise.constData()), noise.size() * 4);
}

// Every file of a folder with its bytes, to show that a review left the folder as it was.
QMap<QString, QByteArray> folderContents(const QString& path)
{
    QMap<QString, QByteArray> contents;
    const QDir folder(path);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
        contents.insert(name, readFileBytes(folder.filePath(name)));
    return contents;
}

constexpr quint32 halfOfTheFrames = 1000;

// The writer of a run, in a process of its own: half the frames, a word to the reviewer and,
// once told to go on, the other half.
bool writeInTwoHalves(const QString& path, int readyPipe, int goPipe)
{
    TrackDataFile writer;
    if (!writer.open(path, false))
        return false;
    for (quint32 key = 1; key <= 2 * halfOfTheFrames; ++key) {
        if (!writer.writeRecord(key, detectedFrame(int(key)), true))
            return false;
        char byte = 0;
        if (key == halfOfTheFrames && (::write(readyPipe, &byte, 1) != 1 || ::read(goPipe, &byte, 1) != 1))
            return false;
    }
    return true;
}

ino_t inodeOf(const QString& path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
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
        QVERIFY2(reader.message().isEmpty(), qPrintable(reader.message()));
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
        QVERIFY(reader.message().isEmpty());
        TrackFrame back;
        QVERIFY(reader.readRecord(5, back));
        QCOMPARE(back.image, longer.image);
        QCOMPARE(reader.keys(), (QList<quint32>{1, 2, 3, 4, 5}));
    }

    // Whatever the damage, review reads every intact record from the file as it stands and
    // says what it skipped: the file and its folder stay exactly as they were.
    void damageIsRecoveredInMemory_data()
    {
        QTest::addColumn<QByteArray>("damaged");
        QTest::addColumn<QList<quint32>>("intact");
        QTest::addColumn<QString>("reported");
        const SixRecords six;
        const QList<quint32> allButThird{1, 2, 4, 5, 6};
        const QString third = QStringLiteral("at offset %1").arg(six.positions.at(2));

        QTest::newRow("count disagrees") << header(7) + six.bytes.mid(16) << QList<quint32>{1, 2, 3, 4, 5, 6}
                                         << QStringLiteral("counts 7 records, 6 are intact");
        // A crash in the middle of appending: the last prefix promises more than reached the disk.
        const quint32 size = quint32(six.bytes.size());
        QTest::newRow("torn tail") << six.bytes + le32(7) + le32(size + 8 + 200) + QByteArray(17, '\1')
                                   << QList<quint32>{1, 2, 3, 4, 5, 6}
                                   << QStringLiteral("25 bytes at offset %1").arg(size);
        QTest::newRow("zero end") << six.withEnd(3, 0) << allButThird << third;
        QTest::newRow("end before its payload") << six.withEnd(3, six.positions.at(2) - 5) << allButThird << third;
        QTest::newRow("end inside its prefix") << six.withEnd(3, six.positions.at(2) + 4) << allButThird << third;
        QTest::newRow("end past the file end") << six.withEnd(3, size + 100) << allButThird << third;
        QTest::newRow("absurdly large end") << six.withEnd(3, 0xFFFFFFF0u) << allButThird << third;
        QTest::newRow("end inside a later record") << six.withEnd(3, six.positions.at(4) + 3) << allButThird << third;
        QByteArray zeroed = six.bytes;
        zeroed.replace(int(six.positions.at(2)), int(six.positions.at(3) + 6 - six.positions.at(2)),
                       QByteArray(int(six.positions.at(3) + 6 - six.positions.at(2)), '\0'));
        QTest::newRow("zeroed stretch") << zeroed << QList<quint32>{1, 2, 5, 6} << third;
    }

    void damageIsRecoveredInMemory()
    {
        QFETCH(QByteArray, damaged);
        QFETCH(QList<quint32>, intact);
        QFETCH(QString, reported);
        QVERIFY(writeFileBytes(path, damaged));
        const auto before = folderContents(folder->path());
        QSignalSpy console(GlobalConsole::Instance(), &GlobalConsole::newEntry);

        TrackDataFile reader;
        QVERIFY2(reader.open(path, true), qPrintable(reader.message()));
        QCOMPARE(reader.keys(), intact);
        QCOMPARE(reader.recordCount(), quint32(intact.size()));
        const SixRecords six;
        for (quint32 key : intact)
            QCOMPARE(reader.readRecordBytes(key), six.payloads.at(int(key) - 1));
        QVERIFY2(reader.message().contains(reported), qPrintable(reader.message()));
        QCOMPARE(console.count(), 1);
        QVERIFY(console.at(0).at(0).toString().contains(reported));
        QVERIFY(!reader.writeRecord(7, TrackFrame(), true));
        reader.close();
        QCOMPARE(folderContents(folder->path()), before);
    }

    // Past a long damaged stretch review finds the records again, and takes nothing from the
    // damage itself, however much of it looks like records.
    void damageThatLooksLikeRecordsAddsNoKey_data()
    {
        QTest::addColumn<int>("recordsAfter");
        QTest::newRow("damage to the end") << 0;
        QTest::newRow("records after the damage") << 10;
    }

    void damageThatLooksLikeRecordsAddsNoKey()
    {
        QFETCH(int, recordsAfter);
        QByteArray bytes = header(1000 + quint32(recordsAfter));
        bytes += numberedRecords(1, 1000, quint32(bytes.size()));
        const qsizetype damageStart = bytes.size();
        bytes += lookalikeGarbage(quint32(bytes.size()), 5000, 1 << 20);
        const qsizetype damageLength = bytes.size() - damageStart;
        bytes += numberedRecords(1001, recordsAfter, quint32(bytes.size()));
        QVERIFY(writeFileBytes(path, bytes));

        TrackDataFile reader;
        QVERIFY(reader.open(path, true));
        QList<quint32> written;
        for (quint32 key = 1; key <= 1000 + quint32(recordsAfter); ++key)
            written << key;
        QCOMPARE(reader.keys(), written);
        for (quint32 key : {1u, 1000u, 1000u + quint32(recordsAfter)})
            QCOMPARE(reader.readRecordBytes(key), payloadOf(detectedFrame(int(key))));
        const QString reported = QStringLiteral("%1 bytes at offset %2").arg(damageLength).arg(damageStart);
        QVERIFY2(reader.message().endsWith("damaged bytes skipped: " + reported), qPrintable(reader.message()));
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

    void fileBeingWrittenIsReadAsItStands()
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
        const ino_t inode = inodeOf(path);
        TrackDataFile reader;
        QVERIFY(reader.open(path, true));
        QCOMPARE(reader.keys(), (QList<quint32>{1, 2}));
        QVERIFY(writer.writeRecord(3, TrackFrame(), true));
        QCOMPARE(u32At(readFileBytes(path), 4), 3u);
        QCOMPARE(inodeOf(path), inode);
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files), QStringList{QStringLiteral("Track.tdata")});
    }

    // The reviewer cannot know of a writer in another process, so only a review that never
    // writes keeps every frame that writer goes on appending.
    void reviewWhileAnotherProcessWrites()
    {
        int ready[2];
        int go[2];
        QVERIFY(::pipe(ready) == 0 && ::pipe(go) == 0);
        const pid_t writer = ::fork();
        if (writer == 0) {
            ::close(ready[0]);
            ::close(go[1]);
            ::_exit(writeInTwoHalves(path, ready[1], go[0]) ? 0 : 1);
        }
        ::close(ready[1]);
        ::close(go[0]);
        char byte = 0;
        QCOMPARE(::read(ready[0], &byte, 1), ssize_t(1));
        const ino_t inode = inodeOf(path);
        {
            // The moment between a record reaching the disk and the header counting it.
            QFile raw(path);
            QVERIFY(raw.open(QIODevice::ReadWrite));
            raw.seek(4);
            raw.write(le32(halfOfTheFrames - 1));
        }
        TrackDataFile reader;
        QVERIFY(reader.open(path, true));
        QCOMPARE(reader.recordCount(), halfOfTheFrames);
        QCOMPARE(::write(go[1], &byte, 1), ssize_t(1));

        // Reviews while the second half goes on: each sees the frames from the first on, all readable.
        GlobalConsole::disableType(QStringLiteral("Warning"));
        int status = 0;
        while (::waitpid(writer, &status, WNOHANG) == 0) {
            TrackDataFile during;
            QVERIFY(during.open(path, true));
            QCOMPARE(during.keys().constLast(), during.recordCount());
            QVERIFY(during.readRecordBytes(during.recordCount()).size() > 1);
        }
        GlobalConsole::disableType(QStringLiteral("Warning"), false);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(inodeOf(path), inode);
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Track.tdata")});
        TrackDataFile after;
        QVERIFY(after.open(path, true));
        QVERIFY2(after.message().isEmpty(), qPrintable(after.message()));
        QCOMPARE(after.recordCount(), 2 * halfOfTheFrames);
        TrackFrame last;
        QVERIFY(after.readRecord(2 * halfOfTheFrames, last));
        QCOMPARE(last.area, detectedFrame(int(2 * halfOfTheFrames)).area);
        ::close(ready[0]);
        ::close(go[1]);
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

    // A disk that fills in the middle of a record: the write fails, and what the user is told is
    // the system's reason, not "Unknown error".
    void aWriteCutShortNamesTheSystemsReason()
    {
        TrackDataFile track;
        QVERIFY(track.open(path, false));
        QVERIFY(track.writeRecord(1, detectedFrame(1), true));
        {
            const FileSizeLimit diskFull(rlim_t(QFileInfo(path).size()) + 10);
            QVERIFY(!track.writeRecord(2, detectedFrame(2), true));
        }
        QCOMPARE(track.failureReason(), systemReason(EFBIG));
        QVERIFY2(track.message().endsWith(path + ": " + systemReason(EFBIG)), qPrintable(track.message()));
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
        const QString fixture = QFINDTESTDATA("fixtures/legacy-run/Track.data");
        TrackDataFile legacy;
        QVERIFY2(legacy.open(fixture, true), qPrintable(legacy.message()));
        QVERIFY(legacy.message().isEmpty());
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
