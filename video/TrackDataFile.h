#pragma once

#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QIODevice>
#include <QList>
#include <QMap>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

// An indexed file of keyed records: a 16-byte header (magic, record count, description
// offset, reserved) followed by records, each a little-endian key and end offset and then
// the QDataStream bytes of one payload. The container knows nothing of the payload, so the
// run's track and the recorder's frame-time log share it.
//
// Two ways in:
//  - open(path, false): a writer starting a new file (header only); records are appended.
//  - open(path, true): a reviewer. The file is only read: nothing is created, changed or
//    removed, so a writer in this or another process keeps appending undisturbed. Damage (a
//    count that disagrees, a torn tail, broken end offsets) is recovered in memory: the index
//    holds every intact record, found again past a damaged stretch, and message() and the
//    console say what was skipped.
//
// Records may be read from several threads: they take turns at the one file position. A reader
// that goes through the whole file (a replay overlay's loader) claims the file for that time,
// and the readers of single records elsewhere leave a claimed file alone.
class TrackDataFile
{
public:
    static constexpr quint32 droppedKey = 0xFFFFFFFFu;
    static constexpr quint32 noDescription = 0xFFFFFFFFu;
    static constexpr quint32 magic = 0x01010000u;
    static constexpr int headerSize = 16;
    static constexpr int prefixSize = 8;
    // Every payload is written and read with this stream version, whatever the Qt release.
    static constexpr QDataStream::Version streamVersion = QDataStream::Qt_6_4;

    TrackDataFile();
    ~TrackDataFile();
    TrackDataFile(const TrackDataFile&) = delete;
    TrackDataFile& operator=(const TrackDataFile&) = delete;

    bool open(const QString& path, bool load);
    void close();

    bool writeRecordBytes(quint32 key, const QByteArray& payload, bool overwrite);
    QByteArray readRecordBytes(quint32 key) const;

    template <typename T>
    bool writeRecord(quint32 key, const T& value, bool overwrite)
    {
        QByteArray payload;
        QDataStream stream(&payload, QIODevice::WriteOnly);
        stream.setVersion(streamVersion);
        stream << value;
        return writeRecordBytes(key, payload, overwrite);
    }

    // Reads the payload of a key with the given stream reader; false when the key is
    // missing or the payload does not hold a complete value.
    template <typename T, typename Reader>
    bool readRecordWith(quint32 key, T& value, Reader reader) const
    {
        const QByteArray payload = readRecordBytes(key);
        if (payload.isEmpty())
            return false;
        QDataStream stream(payload);
        stream.setVersion(streamVersion);
        reader(stream, value);
        return stream.status() == QDataStream::Ok;
    }

    template <typename T>
    bool readRecord(quint32 key, T& value) const
    {
        return readRecordWith(key, value, [](QDataStream& s, T& v) { s >> v; });
    }

    QString path() const { return filePath; }
    bool isOpen() const;
    bool isWritable() const;
    quint32 lastKey() const { return maxKey; }
    quint32 recordCount() const { return headerCount; }
    QList<quint32> keys() const { return index.keys(); }
    bool contains(quint32 key) const { return index.contains(key); }
    QString description() const { return descriptionText; }
    // Why the last open failed or what damage it found; empty for a sound file.
    QString message() const { return lastMessage; }
    // The system's reason ("No space left on device") why the file could not be created or
    // written, when that was the failure.
    QString failureReason() const { return lastReason; }

    // Takes the claim when nobody holds it; true when the caller now holds it and must release it.
    bool claim();
    void release();
    bool isInUse() const;

private:
    bool startFresh();
    bool openForReview();
    void readDescription();
    static QByteArray headerBytes(quint32 count, quint32 descriptionOffset);
    static QByteArray prefixBytes(quint32 key, quint32 end);
    bool writeAt(qint64 position, const QByteArray& bytes);
    bool appendRecord(quint32 key, const QByteArray& payload);
    void fail(const QString& text);

    QString filePath;
    std::unique_ptr<QFile> file;
    QMap<quint32, quint32> index;
    quint32 maxKey = 0;
    quint32 headerCount = 0;
    qint64 fileSize = 0;
    quint32 descriptionOffset = noDescription;
    QString descriptionText;
    QString lastMessage;
    QString lastReason;
    // Taken by every record read and write.
    mutable std::mutex deviceMutex;
    std::atomic<bool> inUse{false};
};
