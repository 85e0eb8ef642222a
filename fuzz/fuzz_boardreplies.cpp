// Feeds port text to the door unit and to the current chamber's board, cut into reads at places
// the input chooses, and checks what they make of it: the same whatever the cuts, an invalid
// serial number or one that is no plain file name never stored, the door's position moved only
// by a position report, and no stored text beyond what one message can hold.
#include "ClassicKestrumCodec.h"
#include "CurlyKestrumDevice.h"
#include "CurlyMessageParser.h"
#include "FuzzStream.h"
#include "KestrumDoor.h"

#include <QHash>

#include <cstdint>
#include <cstdlib>

namespace {

// What a board made of its replies, as far as anyone outside it can see.
struct BoardView
{
    QString serialNumber;
    QString version;
    int doorState = -1;
    QList<int> doorNumbers;

    bool operator==(const BoardView& other) const = default;
};

QStringList messagesOf(const QList<QByteArray>& reads)
{
    CurlyMessageParser parser;
    QStringList messages;
    for (const QByteArray& read : reads)
        messages += parser.parseUtf8(read);
    return messages;
}

void checkStoredText(const QString& text)
{
    if (text.size() > CurlyMessageParser::MaxPendingLength || text.contains(u'{') || text.contains(u'}')
        || text.contains(u'\n'))
        std::abort();
}

// A valid "sn=" reply names the board; anything else, an invalid number or no plain, short name
// above all, leaves the name as it was.
void checkSerialNumber(const QString& before, const CurlyDevice& board, const QString& message)
{
    const bool names = message.startsWith(QLatin1String("sn=")) && !CurlyDevice::isInvalidSerialNumberReply(message)
                       && ClassicKestrumCodec::hasOnlyNameCharacters(message.mid(3))
                       && message.size() - 3 <= CurlyDevice::MaxSerialNumberLength;
    if (board.serialNumber() != (names ? message.mid(3) : before))
        std::abort();
}

KestrumDoor::DoorState reportedDoorState(const QString& message, KestrumDoor::DoorState before)
{
    static const QHash<QString, KestrumDoor::DoorState> reports{{QStringLiteral("isopen"), KestrumDoor::DoorOpen},
                                                                {QStringLiteral("isclosed"), KestrumDoor::DoorClosed},
                                                                {QStringLiteral("ismiddle"), KestrumDoor::DoorMiddle}};
    return reports.value(message, before);
}

BoardView viewOf(const CurlyDevice& board)
{
    checkStoredText(board.serialNumber());
    checkStoredText(board.version());
    return {board.serialNumber(), board.version()};
}

BoardView runDoor(const QStringList& messages)
{
    KestrumDoor door(nullptr);
    for (const QString& message : messages) {
        const QString serialNumber = door.serialNumber();
        const KestrumDoor::DoorState state = door.doorState();
        door.takeMessage(message);
        checkSerialNumber(serialNumber, door, message);
        if (door.doorState() != reportedDoorState(message, state))
            std::abort();
    }
    BoardView view = viewOf(door);
    view.doorState = door.doorState();
    view.doorNumbers = {door.minDrive(), door.maxDrive(),    door.stepTime(),
                        door.step(),     door.rawPosition(), int(door.stepsEnabled())};
    return view;
}

BoardView runChamber(const QStringList& messages)
{
    CurlyKestrumDevice chamber(nullptr);
    for (const QString& message : messages) {
        const QString serialNumber = chamber.serialNumber();
        chamber.takeMessage(message);
        checkSerialNumber(serialNumber, chamber, message);
    }
    return viewOf(chamber);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QList<QByteArray> replies{"sn=",      "sn=000000", "sn=yy", "isopen", "isclosed",
                                           "ismiddle", "version=",  "v=",    "raw=",   "stepped=true",
                                           "step=",    "}\r\n{",    "\x01",  "\x7f"};
    const FuzzStream input = FuzzStream::fromInput(data, size, replies);
    const QStringList whole = messagesOf({input.stream});
    const QStringList cut = messagesOf(input.reads());
    if (runDoor(cut) != runDoor(whole) || runChamber(cut) != runChamber(whole))
        std::abort();
    return 0;
}
