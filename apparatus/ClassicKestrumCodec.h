#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// Everything the classic chamber puts on the wire: the outputs it is driven to, how they
// become a state message, the fixed requests, the brace framing with its checksum, and what
// the chamber's replies mean. Kept free of ports and timers so that the exact bytes can be
// checked (and fuzzed) on their own.

// The complete output state of the chamber, sent whole in every state message.
struct ClassicOutputState
{
    quint8 leftLight = 0;
    quint8 rightLight = 0;
    quint16 tone = 0;
    quint8 gridLevel = 0;
    bool leftSpeaker = false;
    bool rightSpeaker = false;
    bool gridOn = false;

    bool operator==(const ClassicOutputState& other) const = default;
};

// One reply of the chamber, understood.
struct ClassicReply
{
    enum Kind { Unknown, SerialNumber, UserData };

    Kind kind = Unknown;
    QString serialNumber; // a usable number (7 or 8 name characters) when kind is SerialNumber
    QByteArray userData;  // four bytes when kind is UserData
};

class ClassicKestrumCodec
{
public:
    static constexpr int maxCommandBytes = 8;
    static constexpr int maxSerialNumberBytes = 8;
    static constexpr int minSerialNumberLength = 7;
    static constexpr int userDataBytes = 4;

    // 0x7B, the escaped payload, the escaped checksum, 0x7D: the brace framing every board
    // speaks, always with its checksum here; payloads of any length.
    static QByteArray encodeFrame(const QByteArray& payload);

    static QByteArray statePayload(const ClassicOutputState& outputs);
    static QByteArray serialNumberRequestPayload();
    static QByteArray userDataRequestPayload();
    static QByteArray doorPayload(bool open);
    // Empty when the serial number is empty (nothing may be sent then).
    static QByteArray writeSerialNumberPayload(const QString& serialNumber);
    // Empty unless 1 to 8 data bytes are given.
    static QByteArray commandPayload(const QByteArray& data);

    // A decoded frame: the payload followed by the checksum byte, as the chamber sent it.
    static ClassicReply interpretReply(const QByteArray& frame);
    static QString serialNumberFromBytes(const QByteArray& numberBytes);
    // Nothing but letters, digits, '-' and '_' (true when empty). A serial number names the
    // board's settings file, so it must be a plain file name (no separator, no leading dot), and
    // line noise (control bytes, NUL inside a number) never names a board.
    static bool hasOnlyNameCharacters(const QString& number);
};

// Turns the byte stream of the chamber's port into whole frames. It keeps its state from one
// read to the next, so a reply split over two reads is assembled and never delivered cut
// short; bytes outside a frame are dropped.
class ClassicFrameDecoder
{
public:
    // No reply of the chamber comes near this; a frame growing beyond it is line noise.
    static constexpr int maxFrameBytes = 64;

    QList<QByteArray> feed(const QByteArray& data);
    void reset();
    bool isInsideFrame() const { return insideFrame; }

private:
    void takeByte(char byte, QList<QByteArray>& frames);

    QByteArray gathered;
    bool insideFrame = false;
    bool escapePending = false;
};
