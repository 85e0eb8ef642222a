#include "TrackDataFile.h"

#include "FileUtilities.h"
#include "GlobalConsole.h"

#include <QFileInfo>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <optional>

namespace {

constexpr qint64 maxOffset = 0xFFFFFFFFll;
constexpr qint64 maxDescriptionLength = 4096;
// A boundary found again past damage counts only when records with consecutive keys chain on
// from it: this many, or at least confirmingAtTheEnd that end exactly at the end of the file. A
// chance match in payload bytes or garbage does not number itself on like that.
constexpr int confirmingRecords = 3;
constexpr int confirmingAtTheEnd = 2;
// The records that confirm a boundary lie within this reach of it, so judging a boundary reads
// only bytes that the search reaches soon anyway: a record longer than that is not found again
// past damage, the records after it are.
constexpr qint64 confirmingReach = qint64(8) << 20;
// Following records from one to the next reads at least this much at a time.
constexpr qint64 smallestRead = qint64(64) << 10;
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

// The file's bytes around the place the walk has reached, read from the device as the walk
// moves on. The walk goes forward, going back only a few records after a break, so every byte
// is read about once, whatever the damage.
class HeldBytes
{
public:
    HeldBytes(QIODevice& device, qint64 size)
        : device(device)
        , size(size)
    {
    }

    qint64 fileSize() const { return size; }

    // The prefix at `position`, when it can start a record; the bytes from `from` on stay held.
    std::optional<Prefix> prefixAt(qint64 from, qint64 position)
    {
        hold(from, position + TrackDataFile::prefixSize);
        if (position + TrackDataFile::prefixSize > start + bytes.size())
            return std::nullopt;
        return plausiblePrefix(position, bytes.constData() + (position - start), size);
    }

    // The first position in [from, limit) whose prefix could start a record of at most
    // `longest` bytes; `limit` when there is none. Most bytes of damage fail this at once, so
    // the search over them stays in this loop.
    qint64 firstPossibleStart(qint64 from, qint64 limit, qint64 longest)
    {
        for (qint64 position = from; position < limit;) {
            hold(position, qMin(limit, position + scanStep) + TrackDataFile::prefixSize);
            const qint64 last = qMin(limit, start + bytes.size() - TrackDataFile::prefixSize + 1);
            if (last <= position)
                return limit;
            for (; position < last; ++position) {
                const qint64 end = readU32(bytes.constData() + (position - start) + 4);
                if (end > position + TrackDataFile::prefixSize && end <= qMin(size, position + longest))
                    return position;
            }
        }
        return limit;
    }

private:
    // Holds the bytes from `from` up to `to`, as far as the file reaches, reading only those not
    // held yet; bytes well before `from` are let go.
    void hold(qint64 from, qint64 to)
    {
        to = qMin(to, size);
        if (from < start || from > start + bytes.size()) {
            start = from;
            bytes.clear();
        } else if (from - start > keptBehind) {
            bytes.remove(0, from - start);
            start = from;
        }
        const qint64 heldEnd = start + bytes.size();
        if (to > heldEnd && device.seek(heldEnd))
            bytes += device.read(qMin(qMax(to - heldEnd, smallestRead), size - heldEnd));
    }

    static constexpr qint64 keptBehind = qint64(4) << 20;
    static constexpr qint64 scanStep = qint64(1) << 20;
    QIODevice& device;
    const qint64 size;
    qint64 start = 0;
    QByteArray bytes;
};

// The writers number their records one after another; a dropped copy keeps its place in the
// chain under a key of its own.
bool continuesNumbering(const Prefix& record, std::optional<quint32> previous)
{
    return record.key == TrackDataFile::droppedKey || !previous || record.key == *previous + 1;
}

// The records whose end offsets lead from one to the next, starting at `position`, up to the
// end of the file or the first prefix that cannot start a record; with `numbered`, also up to
// the first record that does not continue the numbering of those before it.
QList<Prefix> chainFrom(HeldBytes& held, qint64 position, bool numbered)
{
    QList<Prefix> chain;
    std::optional<quint32> previous;
    while (const std::optional<Prefix> record = held.prefixAt(position, position)) {
        if (numbered && !continuesNumbering(*record, previous))
            break;
        chain.append(*record);
        if (record->key != TrackDataFile::droppedKey)
            previous = record->key;
        position = record->end;
    }
    return chain;
}

qsizetype numberedRecords(const QList<Prefix>& chain)
{
    return std::count_if(chain.cbegin(), chain.cend(),
                         [](const Prefix& record) { return record.key != TrackDataFile::droppedKey; });
}

bool confirmedBoundary(HeldBytes& held, qint64 position)
{
    qint64 next = position;
    std::optional<quint32> previous;
    for (int found = 1; found <= confirmingRecords; ++found) {
        const std::optional<Prefix> record = held.prefixAt(position, next);
        if (!record || record->end > position + confirmingReach || record->key == TrackDataFile::droppedKey
            || !continuesNumbering(*record, previous))
            return false;
        if (record->end == held.fileSize())
            return found >= confirmingAtTheEnd;
        previous = record->key;
        next = record->end;
    }
    return true;
}

// The first confirmed record boundary at or after `from`; the file size when there is none. No
// record can start beyond the reach of the 32-bit end offsets.
qint64 nextRecordBoundary(HeldBytes& held, qint64 from)
{
    const qint64 limit = qMin(held.fileSize(), maxOffset) - TrackDataFile::prefixSize;
    for (qint64 candidate = from;; ++candidate) {
        candidate = held.firstPossibleStart(candidate, limit, confirmingReach);
        if (candidate >= limit)
            return held.fileSize();
        if (confirmedBoundary(held, candidate))
            return candidate;
    }
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

void take(Walk& walk, const QList<Prefix>& chain)
{
    for (const Prefix& record : chain) {
        if (record.key == TrackDataFile::droppedKey)
            continue;
        walk.index.insert(record.key, quint32(record.position));
        walk.maxKey = qMax(walk.maxKey, record.key);
    }
}

// Where a chain breaks before the end of the file, the walk goes on at the next confirmed record
// boundary. The last records before the break have too few successors to confirm their end
// offsets, and one that overshoots would swallow the records after it: a record with that
// boundary inside it is damaged and leaves the chain.
Damage skipToNextBoundary(HeldBytes& held, qint64 position, QList<Prefix>& chain)
{
    const qint64 chainEnd = chain.isEmpty() ? position : chain.constLast().end;
    const qsizetype unconfirmed = qMax<qsizetype>(0, chain.size() - confirmingRecords);
    const qint64 scanFrom =
        chain.isEmpty() ? position + 1 : chain.at(unconfirmed).position + TrackDataFile::prefixSize + 1;
    const qint64 next = nextRecordBoundary(held, scanFrom);
    const auto swallowing = std::find_if(chain.begin() + unconfirmed, chain.end(),
                                         [next](const Prefix& record) { return record.end > next; });
    const qint64 damageStart = swallowing == chain.end() ? chainEnd : swallowing->position;
    chain.erase(swallowing, chain.end());
    return {damageStart, next - damageStart};
}

// A damaged file: the records are followed from one to the next, taking up again past each
// damaged stretch, so damage costs only the records it hit. What the damage left is trusted
// only as far as the records number on one after another: a lone record, or one whose key
// breaks the numbering, may be bytes of the damage that happen to look like a record.
Walk walkDamagedRecords(HeldBytes& held)
{
    Walk walk;
    const qint64 size = held.fileSize();
    qint64 position = TrackDataFile::headerSize;
    while (position < size) {
        QList<Prefix> chain = chainFrom(held, position, true);
        if (numberedRecords(chain) < confirmingAtTheEnd)
            chain.clear();
        position = chain.isEmpty() ? position : chain.constLast().end;
        if (position < size) {
            const Damage damage = skipToNextBoundary(held, position, chain);
            walk.damage.append(damage);
            position = damage.offset + damage.length;
        }
        take(walk, chain);
    }
    return walk;
}

// A sound file is one chain of records from the header to its end, whatever their keys.
Walk walkRecords(QIODevice& device, qint64 size)
{
    HeldBytes held(device, size);
    const QList<Prefix> whole = chainFrom(held, TrackDataFile::headerSize, false);
    if ((whole.isEmpty() ? qint64(TrackDataFile::headerSize) : whole.constLast().end) != size)
        return walkDamagedRecords(held);
    Walk walk;
    take(walk, whole);
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
    lastReason.clear();
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
        lastReason = file->errorString();
        fail(QStringLiteral("Cannot create the track file %1: %2").arg(filePath, lastReason));
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
    lastReason = file->seek(position) ? FileUtilities::writeWhole(*file, bytes) : file->errorString();
    if (lastReason.isEmpty())
        return true;
    lastMessage = QStringLiteral("Cannot write to the track file %1: %2").arg(filePath, lastReason);
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
