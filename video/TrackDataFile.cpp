#include "TrackDataFile.h"

#include "GlobalConsole.h"

#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSaveFile>
#include <QSet>
#include <QtEndian>

namespace {

constexpr qint64 maxOffset = 0xFFFFFFFFll;
constexpr qint64 copyChunk = 1 << 20;
constexpr qint64 maxDescriptionLength = 4096;

// Files a writer of this process holds open. A reviewer must never rebuild one of them:
// the writer's handle would go on writing into the replaced file and its frames would be lost.
QMutex writersMutex;
QSet<QString>& filesBeingWritten()
{
    static QSet<QString> paths;
    return paths;
}

QString canonicalKey(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

void registerWriter(const QString& path, bool writing)
{
    QMutexLocker lock(&writersMutex);
    if (writing)
        filesBeingWritten().insert(canonicalKey(path));
    else
        filesBeingWritten().remove(canonicalKey(path));
}

bool isBeingWritten(const QString& path)
{
    QMutexLocker lock(&writersMutex);
    return filesBeingWritten().contains(canonicalKey(path));
}

quint32 readU32(const char* bytes)
{
    return qFromLittleEndian<quint32>(bytes);
}

QString nextFreeAsidePath(const QString& path)
{
    QString candidate = path + ".broken";
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = path + ".broken" + QString::number(n);
    return candidate;
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
    repaired = false;
    asidePath.clear();
    lastMessage.clear();
    return load ? openForReview() : startFresh();
}

void TrackDataFile::close()
{
    if (isWritable())
        registerWriter(filePath, false);
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
    GlobalConsole::writeItem(text, QStringLiteral("Error"));
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
    registerWriter(filePath, true);
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

    const Walk walk = walkRecords(*file);
    if (!walk.torn && quint32(walk.index.size()) == headerCount) {
        adopt(walk);
        readDescription();
        return true;
    }
    const bool readable = repair(walk);
    if (readable)
        GlobalConsole::writeItem(lastMessage, QStringLiteral("Warning"));
    return readable;
}

TrackDataFile::Walk TrackDataFile::walkRecords(QIODevice& device)
{
    Walk walk;
    const qint64 size = device.size();
    qint64 position = headerSize;
    while (position < size) {
        if (position + prefixSize > size || !device.seek(position)) {
            walk.torn = true;
            break;
        }
        const QByteArray prefix = device.read(prefixSize);
        if (prefix.size() != prefixSize) {
            walk.torn = true;
            break;
        }
        const quint32 key = readU32(prefix.constData());
        const qint64 end = readU32(prefix.constData() + 4);
        if (end < position + prefixSize || end > size) {
            walk.torn = true;
            break;
        }
        if (key != droppedKey) {
            walk.index.insert(key, quint32(position));
            walk.maxKey = qMax(walk.maxKey, key);
        }
        position = end;
        walk.intactEnd = end;
    }
    return walk;
}

void TrackDataFile::adopt(const Walk& walk)
{
    index = walk.index;
    maxKey = walk.maxKey;
    headerCount = quint32(walk.index.size());
}

bool TrackDataFile::repair(const Walk& walk)
{
    const QString found = QStringLiteral("%1: the header counts %2 records, %3 are intact%4")
                              .arg(filePath)
                              .arg(headerCount)
                              .arg(walk.index.size())
                              .arg(walk.torn ? QStringLiteral(" and the last one is torn") : QString());
    adopt(walk);
    if (descriptionOffset != noDescription && qint64(descriptionOffset) + prefixSize >= walk.intactEnd)
        descriptionOffset = noDescription;

    if (isBeingWritten(filePath)) {
        lastMessage = found + QStringLiteral("; it is being written, so the intact records are read as they stand");
        readDescription();
        return true;
    }
    const QString aside = nextFreeAsidePath(filePath);
    if (!QFile::copy(filePath, aside)) {
        lastMessage = found + QStringLiteral("; it could not be copied aside, so it is read as it stands");
        readDescription();
        return true;
    }
    asidePath = aside;
    if (!writeRebuilt(walk)) {
        lastMessage = found + QStringLiteral("; rebuilding failed, the intact records are read as they stand");
        readDescription();
        return true;
    }
    // The original stays open until the rebuilt file has replaced it.
    file = std::make_unique<QFile>(filePath);
    if (!file->open(QIODevice::ReadOnly)) {
        fail(found + QStringLiteral("; the rebuilt file cannot be read: ") + file->errorString());
        return false;
    }
    fileSize = file->size();
    repaired = true;
    lastMessage = found + QStringLiteral("; rebuilt from the intact records, the original is kept as ") + aside;
    readDescription();
    return true;
}

// Intact records keep their offsets: the rebuilt file is the original up to the end of the
// last intact record, under a header whose count matches them.
bool TrackDataFile::writeRebuilt(const Walk& walk)
{
    QSaveFile out(filePath);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(headerBytes(quint32(walk.index.size()), descriptionOffset));
    qint64 position = headerSize;
    while (position < walk.intactEnd) {
        if (!file->seek(position))
            return false;
        const QByteArray chunk = file->read(qMin(copyChunk, walk.intactEnd - position));
        if (chunk.isEmpty() || out.write(chunk) != chunk.size())
            return false;
        position += chunk.size();
    }
    return out.commit();
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
// whose intact records hold every frame, which a reviewer's open rebuilds.
bool TrackDataFile::writeRecordBytes(quint32 key, const QByteArray& payload, bool overwrite)
{
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
