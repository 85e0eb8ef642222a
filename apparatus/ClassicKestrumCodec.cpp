#include "ClassicKestrumCodec.h"

#include "CurlyMessageParser.h"

#include <algorithm>

namespace {

constexpr char serviceCommand = 0x0D;
constexpr char stateCommand = 0x0A;

// The third byte of a service request or reply: what it is about.
enum ServiceCode : char {
    WriteSerialNumberCode = 0x01,
    SerialNumberCode = 0x02,
    RawCommandCode = 0x03,
    UserDataCode = 0x04,
    OpenDoorCode = 0x06,
    CloseDoorCode = 0x07,
};

// Bits of the last byte of the state message.
enum StateFlag : quint8 { LeftSpeakerFlag = 0x01, RightSpeakerFlag = 0x02, GridFlag = 0x04 };

// Bytes before the data of a reply: the command byte, a byte nobody reads, the reply code.
constexpr int replyHeaderBytes = 3;
constexpr int checksumBytes = 1;

QByteArray servicePayload(ServiceCode code)
{
    return QByteArray{} + serviceCommand + char(0x00) + char(code);
}

bool isUsableSerialNumber(const QString& number)
{
    return number.size() >= ClassicKestrumCodec::minSerialNumberLength
           && ClassicKestrumCodec::hasOnlyNameCharacters(number);
}

} // namespace

QByteArray ClassicKestrumCodec::encodeFrame(const QByteArray& payload)
{
    return CurlyMessageParser::frameMessage(payload);
}

QByteArray ClassicKestrumCodec::statePayload(const ClassicOutputState& outputs)
{
    quint8 flags = 0;
    if (outputs.leftSpeaker)
        flags |= LeftSpeakerFlag;
    if (outputs.rightSpeaker)
        flags |= RightSpeakerFlag;
    if (outputs.gridOn)
        flags |= GridFlag;

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
    return servicePayload(SerialNumberCode);
}

QByteArray ClassicKestrumCodec::userDataRequestPayload()
{
    return servicePayload(UserDataCode) + char(0x00);
}

QByteArray ClassicKestrumCodec::doorPayload(bool open)
{
    return servicePayload(open ? OpenDoorCode : CloseDoorCode);
}

QByteArray ClassicKestrumCodec::writeSerialNumberPayload(const QString& serialNumber)
{
    const QByteArray bytes = serialNumber.left(maxSerialNumberBytes).toLatin1();
    if (bytes.isEmpty())
        return {};
    return servicePayload(WriteSerialNumberCode) + bytes;
}

QByteArray ClassicKestrumCodec::commandPayload(const QByteArray& data)
{
    if (data.isEmpty() || data.size() > maxCommandBytes)
        return {};
    return servicePayload(RawCommandCode) + char(0x00) + data;
}

QString ClassicKestrumCodec::serialNumberFromBytes(const QByteArray& numberBytes)
{
    QString text = QString::fromLatin1(numberBytes.left(maxSerialNumberBytes)).trimmed();
    // Each NUL at the end takes the character before it along, so seven characters and a NUL
    // leave six, too few to be a number. The settings files of the chambers are named by
    // numbers read this way.
    while (text.endsWith(QChar(0)))
        text.chop(2);
    return text;
}

bool ClassicKestrumCodec::hasOnlyNameCharacters(const QString& number)
{
    return std::all_of(number.cbegin(), number.cend(),
                       [](QChar c) { return c.isLetterOrNumber() || c == u'-' || c == u'_'; });
}

ClassicReply ClassicKestrumCodec::interpretReply(const QByteArray& frame)
{
    ClassicReply reply;
    if (frame.size() < replyHeaderBytes + checksumBytes || frame.at(0) != serviceCommand)
        return reply;

    const int dataBytes = frame.size() - replyHeaderBytes - checksumBytes;
    const char code = frame.at(2);
    if (code == SerialNumberCode) {
        const QString number = serialNumberFromBytes(frame.mid(replyHeaderBytes, dataBytes));
        if (isUsableSerialNumber(number)) {
            reply.kind = ClassicReply::SerialNumber;
            reply.serialNumber = number;
        }
    } else if (code == UserDataCode && dataBytes >= userDataBytes) {
        reply.kind = ClassicReply::UserData;
        reply.userData = frame.mid(frame.size() - checksumBytes - userDataBytes, userDataBytes);
    }
    return reply;
}

QList<QByteArray> ClassicFrameDecoder::feed(const QByteArray& data)
{
    QList<QByteArray> frames;
    for (char byte : data)
        takeByte(byte, frames);
    return frames;
}

void ClassicFrameDecoder::reset()
{
    gathered.clear();
    insideFrame = false;
    escapePending = false;
}

void ClassicFrameDecoder::takeByte(char byte, QList<QByteArray>& frames)
{
    if (byte == CurlyMessageParser::StartByte) {
        // A new start abandons whatever was half received.
        reset();
        insideFrame = true;
        return;
    }
    if (!insideFrame)
        return;
    if (byte == CurlyMessageParser::EndByte) {
        if (!escapePending)
            frames.append(gathered);
        reset();
        return;
    }
    if (escapePending) {
        gathered.append(char(byte ^ CurlyMessageParser::EscapeXor));
        escapePending = false;
    } else if (byte == CurlyMessageParser::EscapeByte) {
        escapePending = true;
    } else {
        gathered.append(byte);
    }
    if (gathered.size() > maxFrameBytes)
        reset();
}
