#include "TrackDataFile.h"

#include "GlobalConsole.h"

#include <QFileInfo>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

constexpr qint64 maxOffset = 0xFFFFFFFFll;
constexpr qint64 maxDescriptionLength = 4096;
// A boundary found again past damage counts only when this many records chain on from it (or
// fewer that end exactly at the end of the file): a chance match in payload bytes does not.
constexpr int confirmingRecords = 3;
constexpr qint64 scanChunk = 1 << 20;
constexpr int damageListedInMessage = 5;

struct Prefix
{
    qint64 position = 0;
    quint32 key = 0;
    qint64 end = 0;
};

quint32 readU32(const char* bytes)
{
    return qFromLittleEndian<quint32>(bytes);
}

// A prefix can start a record when its payload of at least one byte (the writer writes no
// empty payload) ends inside the file.
std::optional<Prefix> plausiblePrefix(qint64 position, const char* bytes, qint64 size)
{
    const qint64 end = readU32(bytes + 4);
    if (end <= position + TrackDataFile::prefixSize || end > size)
        return std::nullopt;
    return Prefix{position, readU32(bytes), end};
}

std::optional<Prefix> plausiblePrefixAt(QIODevice& device, qint64 position, qint64 size)
{
    if (position + TrackDataFile::prefixSize >= size || !device.seek(position))
        return std::nullopt;
    const QByteArray bytes = device.read(TrackDataFile::prefixSize);
    if (bytes.size() != TrackDataFile::prefixSize)
        return std::nullopt;
    return plausiblePrefix(position, bytes.constData(), size);
}

// The records whose end offsets lead from one to the next, starting at `position`, up to the
// end of the file or the first prefix that cannot start a record.
QList<Prefix> chainFrom(QIODevice& device, qint64 position, qint64 size, qsizetype limit)
{
    QList<Prefix> chain;
    while (chain.size() < limit) {
        const std::optional<Prefix> prefix = plausiblePrefixAt(device, position, size);
        if (!prefix)
            break;
        chain.append(*prefix);
        position = prefix->end;
    }
    return chain;
}

bool confirmedBoundary(QIODevice& device, qint64 position, qint64 size)
{
    const QList<Prefix> chain = chainFrom(device, position, size, confirmingRecords);
    return chain.size() == confirmingRecords || (!chain.isEmpty() && chain.constLast().end == size);
}

// The first confirmed record boundary at or after `from`; the file size when there is none. No
// record can start beyond the reach of the 32-bit end offsets.
qint64 nextRecordBoundary(QIODevice& device, qint64 from, qint64 size)
{
    const qint64 reach = qMin(size, maxOffset);
    for (qint64 chunkStart = from; chunkStart + TrackDataFile::prefixSize < reach; chunkStart += scanChunk) {
        if (!device.seek(chunkStart))
            break;
        const QByteArray chunk = device.read(scanChunk + TrackDataFile::prefixSize);
        for (qint64 i = 0; i < scanChunk && i + TrackDataFile::prefixSize <= chunk.size(); ++i) {
            const qint64 candidate = chunkStart + i;
            if (plausiblePrefix(candidate, chunk.constData() + i, size) && confirmedBoundary(device, candidate, size))
                return candidate;
        }
    }
    return size;
}

// A stretch of the file that holds no intact record.
struct Damage
{
    qint64 offset = 0;
    qint64 length = 0;
};

struct Walk
{
    QMap<quint32, quint32> index;
    quint32 maxKey = 0;
    QList<Damage> damage;
};

// Where a chain breaks before the end of the file, the walk goes on at the next confirmed record
// boundary. The last records before the break have too few successors to confirm their end
// offsets, and one that overshoots would swallow the records after it: a record with that
// boundary inside it is damaged and leaves the chain.
Damage skipToNextBoundary(QIODevice& device, qint64 size, qint64 position, QList<Prefix>& chain)
{
    const qint64 chainEnd = chain.isEmpty() ? position : chain.constLast().end;
    const qsizetype unconfirmed = qMax<qsizetype>(0, chain.size() - confirmingRecords);
    const qint64 scanFrom =
        chain.isEmpty() ? position + 1 : chain.at(unconfirmed).position + TrackDataFile::prefixSize + 1;
    const qint64 next = nextRecordBoundary(device, scanFrom, size);
    const auto swallowing = std::find_if(chain.begin() + unconfirmed, chain.end(),
                                         [next](const Prefix& record) { return record.end > next; });
    const qint64 damageStart = swallowing == chain.end() ? chainEnd : swallowing->position;
    chain.erase(swallowing, chain.end());
    return {damageStart, next - damageStart};
}

// Follows the end offsets from record to record, taking up again past each damaged stretch, so
// damage costs only the records it hit.
Walk walkRecords(QIODevice& device, qint64 size)
{
    Walk walk;
    qint64 position = TrackDataFile::headerSize;
    while (position < size) {
        QList<Prefix> chain = chainFrom(device, position, size, std::numeric_limits<qsizetype>::max());
        position = chain.isEmpty() ? position : chain.constLast().end;
        if (position < size) {
            const Damage damage = skipToNextBoundary(device, size, position, chain);
            walk.damage.append(damage);
            position = damage.offset + damage.length;
        }
        for (const Prefix& record : std::as_const(chain)) {
            if (record.key == TrackDataFile::droppedKey)
                continue;
            walk.index.insert(record.key, quint32(record.position));
            walk.maxKey = qMax(walk.maxKey, record.key);
        }
    }
    return walk;
}

// Empty for a sound file; otherwise what a reader of the run needs to judge it.
QString damageReport(const QString& path, quint32 headerCount, const Walk& walk)
{
    if (walk.damage.isEmpty() && quint32(walk.index.size()) == headerCount)
        return {};
    const QString report = QStringLiteral("%1: the header counts %2 records, %3 are intact")
                               .arg(path)
                               .arg(headerCount)
                               .arg(walk.index.size());
    if (walk.damage.isEmpty())
        return report;
    QStringList stretches;
    for (const Damage& stretch : walk.damage.first(qMin(walk.damage.size(), damageListedInMessage)))
        stretches << QStringLiteral("%1 bytes at offset %2").arg(stretch.length).arg(stretch.offset);
    if (walk.damage.size() > damageListedInMessage)
        stretches << QStringLiteral("%1 more stretches").arg(walk.damage.size() - damageListedInMessage);
    return report + QStringLiteral("; damaged bytes skipped: ") + stretches.join(QStringLiteral(", "));
}

} // namespace

TrackDataFile::TrackDataFile() = default;

TrackDataFile::~TrackDataFile()
{
    close();
}

bool TrackDataFile::open(const QString& path, bool load)
{
    close();
    filePath = path;
    lastMessage.clear();
    return load ? openForReview() : startFresh();
}

void TrackDataFile::close()
{
    if (file)
        file->close();
    file.reset();
    index.clear();
    maxKey = 0;
    headerCount = 0;
    fileSize = 0;
    descriptionOffset = noDescription;
    descriptionText.clear();
}

bool TrackDataFile::isOpen() const
{
    return file && file->isOpen();
}

bool TrackDataFile::isWritable() const
{
    return isOpen() && file->isWritable();
}

void TrackDataFile::fail(const QString& text)
{
    lastMessage = text;
    GlobalConsole::writeItem(text.toHtmlEscaped(), QStringLiteral("Error"));
    if (file)
        file->close();
    file.reset();
}

bool TrackDataFile::startFresh()
{
    if (QFileInfo::exists(filePath) && !QFile::remove(filePath)) {
        fail(QStringLiteral("Cannot replace the track file %1").arg(filePath));
        return false;
    }
    file = std::make_unique<QFile>(filePath);
    if (!file->open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        fail(QStringLiteral("Cannot create the track file %1: %2").arg(filePath, file->errorString()));
        return false;
    }
    if (!writeAt(0, headerBytes(0, noDescription))) {
        fail(QStringLiteral("Cannot write the header of the track file %1").arg(filePath));
        return false;
    }
    fileSize = headerSize;
    return true;
}

bool TrackDataFile::openForReview()
{
    if (!QFileInfo(filePath).isFile()) {
        lastMessage = QStringLiteral("No track file at %1").arg(filePath);
        return false;
    }
    file = std::make_unique<QFile>(filePath);
    if (!file->open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("Cannot read the track file %1: %2").arg(filePath, file->errorString()));
        return false;
    }
    fileSize = file->size();
    const QByteArray header = file->read(headerSize);
    if (header.size() < headerSize || readU32(header.constData()) != magic) {
        fail(QStringLiteral("%1 is not a track file; it is left as it is").arg(filePath));
        return false;
    }
    headerCount = readU32(header.constData() + 4);
    descriptionOffset = readU32(header.constData() + 8);

    const Walk walk = walkRecords(*file, fileSize);
    const QString damage = damageReport(filePath, headerCount, walk);
    index = walk.index;
    maxKey = walk.maxKey;
    headerCount = quint32(walk.index.size());
    readDescription();
    if (!damage.isEmpty()) {
        lastMessage = damage;
        GlobalConsole::writeItem(damage.toHtmlEscaped(), QStringLiteral("Warning"));
    }
    return true;
}

void TrackDataFile::readDescription()
{
    descriptionText.clear();
    const qint64 start = qint64(descriptionOffset) + prefixSize;
    if (descriptionOffset == noDescription || start >= fileSize || !file->seek(start))
        return;
    descriptionText = QString::fromUtf8(file->readLine(maxDescriptionLength)).trimmed();
}

QByteArray TrackDataFile::headerBytes(quint32 count, quint32 descriptionOffset)
{
    QByteArray header(headerSize, '\0');
    qToLittleEndian<quint32>(magic, header.data());
    qToLittleEndian<quint32>(count, header.data() + 4);
    qToLittleEndian<quint32>(descriptionOffset, header.data() + 8);
    return header;
}

QByteArray TrackDataFile::prefixBytes(quint32 key, quint32 end)
{
    QByteArray prefix(prefixSize, '\0');
    qToLittleEndian<quint32>(key, prefix.data());
    qToLittleEndian<quint32>(end, prefix.data() + 4);
    return prefix;
}

bool TrackDataFile::writeAt(qint64 position, const QByteArray& bytes)
{
    if (file->seek(position) && file->write(bytes) == bytes.size())
        return true;
    lastMessage = QStringLiteral("Cannot write to the track file %1: %2").arg(filePath, file->errorString());
    return false;
}

// A record always reaches the disk before the header counts it, and a rewritten record is
// appended before its old copy is dropped: a crash between the two writes leaves a file
// whose intact records hold every frame, as a reviewer reads them.
bool TrackDataFile::writeRecordBytes(quint32 key, const QByteArray& payload, bool overwrite)
{
    const std::lock_guard lock(deviceMutex);
    if (!isWritable() || payload.isEmpty() || key == droppedKey)
        return false;
    const auto existing = index.constFind(key);
    if (existing != index.constEnd() && !overwrite)
        return false;

    if (existing != index.constEnd()) {
        const quint32 position = existing.value();
        if (!file->seek(position))
            return false;
        const QByteArray oldPrefix = file->read(prefixSize);
        if (oldPrefix.size() != prefixSize)
            return false;
        const quint32 oldEnd = readU32(oldPrefix.constData() + 4);
        if (qint64(position) + prefixSize + payload.size() <= oldEnd)
            return writeAt(position, prefixBytes(key, oldEnd) + payload);
        if (!appendRecord(key, payload))
            return false;
        return writeAt(position, prefixBytes(droppedKey, oldEnd));
    }

    if (!appendRecord(key, payload))
        return false;
    ++headerCount;
    maxKey = qMax(maxKey, key);
    return writeAt(0, headerBytes(headerCount, descriptionOffset));
}

bool TrackDataFile::appendRecord(quint32 key, const QByteArray& payload)
{
    const qint64 position = fileSize;
    const qint64 end = position + prefixSize + payload.size();
    if (end > maxOffset) {
        lastMessage = QStringLiteral("The track file %1 has reached its 4 GiB limit").arg(filePath);
        return false;
    }
    if (!writeAt(position, prefixBytes(key, quint32(end)) + payload))
        return false;
    fileSize = end;
    index.insert(key, quint32(position));
    return true;
}

QByteArray TrackDataFile::readRecordBytes(quint32 key) const
{
    const std::lock_guard lock(deviceMutex);
    const auto found = index.constFind(key);
    if (!isOpen() || found == index.constEnd())
        return {};
    const qint64 position = found.value();
    if (position + prefixSize > fileSize || !file->seek(position))
        return {};
    const QByteArray prefix = file->read(prefixSize);
    if (prefix.size() != prefixSize)
        return {};
    const qint64 end = readU32(prefix.constData() + 4);
    if (end < position + prefixSize || end > fileSize)
        return {};
    const QByteArray payload = file->read(end - position - prefixSize);
    return payload.size() == end - position - prefixSize ? payload : QByteArray();
}

bool TrackDataFile::claim()
{
    return !inUse.exchange(true);
}

void TrackDataFile::release()
{
    inUse.store(false);
}

bool TrackDataFile::isInUse() const
{
    return inUse.load();
}
