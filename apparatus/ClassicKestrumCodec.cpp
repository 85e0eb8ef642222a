#include "ClassicKestrumCodec.h"

namespace {

constexpr char serviceCommand = 0x0D;
constexpr char stateCommand = 0x0A;
constexpr char writeSerialNumberCode = 0x01;
constexpr char serialNumberCode = 0x02;
constexpr char rawCommandCode = 0x03;
constexpr char userDataCode = 0x04;
constexpr char openDoorCode = 0x06;
constexpr char closeDoorCode = 0x07;

constexpr quint8 leftSpeakerFlag = 0x01;
constexpr quint8 rightSpeakerFlag = 0x02;
constexpr quint8 gridFlag = 0x04;

// Bytes before the data of a reply: the command byte, a byte nobody reads, the reply code.
constexpr int replyHeaderBytes = 3;
constexpr int checksumBytes = 1;

QByteArray servicePayload(char code)
{
    return QByteArray{} + serviceCommand + char(0x00) + code;
}

bool needsEscape(quint8 byte)
{
    return byte == ClassicKestrumCodec::frameStart || byte == ClassicKestrumCodec::frameEnd
           || byte == ClassicKestrumCodec::escape;
}

void appendEscaped(QByteArray& out, quint8 byte)
{
    if (needsEscape(byte)) {
        out.append(char(ClassicKestrumCodec::escape));
        out.append(char(byte ^ ClassicKestrumCodec::escapeMask));
    } else {
        out.append(char(byte));
    }
}

} // namespace

quint8 ClassicKestrumCodec::checksum(const QByteArray& payload)
{
    quint8 sum = 0;
    for (char byte : payload)
        sum = quint8(sum - quint8(byte));
    return sum;
}

QByteArray ClassicKestrumCodec::encodeFrame(const QByteArray& payload)
{
    QByteArray frame;
    frame.reserve(2 * payload.size() + 4);
    frame.append(char(frameStart));
    for (char byte : payload)
        appendEscaped(frame, quint8(byte));
    appendEscaped(frame, checksum(payload));
    frame.append(char(frameEnd));
    return frame;
}

QByteArray ClassicKestrumCodec::statePayload(const ClassicOutputState& outputs)
{
    quint8 flags = 0;
    if (outputs.leftSpeaker)
        flags |= leftSpeakerFlag;
    if (outputs.rightSpeaker)
        flags |= rightSpeakerFlag;
    if (outputs.gridOn)
        flags |= gridFlag;

    QByteArray payload;
    payload.append(stateCommand).append(char(0x00)).append(char(0x00));
    payload.append(3, char(outputs.leftLight));
    payload.append(3, char(outputs.rightLight));
    payload.append(char(outputs.tone & 0xFF));
    payload.append(char(outputs.tone >> 8));
    payload.append(char(outputs.gridLevel));
    payload.append(char(flags));
    return payload;
}

QByteArray ClassicKestrumCodec::serialNumberRequestPayload()
{
    return servicePayload(serialNumberCode);
}

QByteArray ClassicKestrumCodec::userDataRequestPayload()
{
    return servicePayload(userDataCode) + char(0x00);
}

QByteArray ClassicKestrumCodec::doorPayload(bool open)
{
    return servicePayload(open ? openDoorCode : closeDoorCode);
}

QByteArray ClassicKestrumCodec::writeSerialNumberPayload(const QString& serialNumber)
{
    const QByteArray bytes = serialNumber.left(maxSerialNumberBytes).toLatin1();
    if (bytes.isEmpty())
        return {};
    return servicePayload(writeSerialNumberCode) + bytes;
}

QByteArray ClassicKestrumCodec::commandPayload(const QByteArray& data)
{
    if (data.isEmpty() || data.size() > maxCommandBytes)
        return {};
    return servicePayload(rawCommandCode) + char(0x00) + data;
}

QString ClassicKestrumCodec::serialNumberFromBytes(const QByteArray& numberBytes)
{
    QString text = QString::fromLatin1(numberBytes.left(maxSerialNumberBytes)).trimmed();
    // A shorter number is padded with NUL bytes; they are padding, not part of the number.
    while (text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

ClassicReply ClassicKestrumCodec::interpretReply(const QByteArray& frame)
{
    ClassicReply reply;
    if (frame.size() < replyHeaderBytes + checksumBytes || frame.at(0) != serviceCommand)
        return reply;

    const int dataBytes = frame.size() - replyHeaderBytes - checksumBytes;
    const char code = frame.at(2);
    if (code == serialNumberCode) {
        const QString number = serialNumberFromBytes(frame.mid(replyHeaderBytes, dataBytes));
        if (number.size() >= minSerialNumberLength) {
            reply.kind = ClassicReply::SerialNumber;
            reply.serialNumber = number;
        }
    } else if (code == userDataCode && dataBytes >= userDataBytes) {
        reply.kind = ClassicReply::UserData;
        reply.userData = frame.mid(frame.size() - checksumBytes - userDataBytes, userDataBytes);
    }
    return reply;
}

QList<QByteArray> ClassicFrameDecoder::feed(const QByteArray& data)
{
    QList<QByteArray> frames;
    for (char byte : data)
        takeByte(quint8(byte), frames);
    return frames;
}

void ClassicFrameDecoder::reset()
{
    gathered.clear();
    insideFrame = false;
    escapePending = false;
}

void ClassicFrameDecoder::takeByte(quint8 byte, QList<QByteArray>& frames)
{
    if (byte == ClassicKestrumCodec::frameStart) {
        // A new start abandons whatever was half received.
        reset();
        insideFrame = true;
        return;
    }
    if (!insideFrame)
        return;
    if (byte == ClassicKestrumCodec::frameEnd) {
        if (!escapePending)
            frames.append(gathered);
        reset();
        return;
    }
    if (escapePending) {
        gathered.append(char(byte ^ ClassicKestrumCodec::escapeMask));
        escapePending = false;
    } else if (byte == ClassicKestrumCodec::escape) {
        escapePending = true;
    } else {
        gathered.append(char(byte));
    }
    if (gathered.size() > maxFrameBytes)
        reset();
}
