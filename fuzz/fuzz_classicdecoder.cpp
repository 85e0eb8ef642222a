// Feeds port bytes to the classic chamber's frame decoder, cut into reads at places the input
// chooses, and checks that the cuts change nothing, that every reply is understood within its
// bounds, and that frames and serial numbers survive encoding and decoding.
#include "ClassicKestrumCodec.h"
#include "CurlyMessageParser.h"
#include "FuzzStream.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

QList<QByteArray> decodeReads(const QList<QByteArray>& reads)
{
    ClassicFrameDecoder decoder;
    QList<QByteArray> frames;
    for (const QByteArray& read : reads)
        frames += decoder.feed(read);
    return frames;
}

// The chamber's reply carrying this number, as the chamber frames it.
QByteArray serialNumberReply(const QString& number)
{
    const QByteArray payload = QByteArray::fromHex("0d9002") + number.toLatin1();
    return ClassicKestrumCodec::encodeFrame(payload);
}

void checkSerialNumber(const QString& number)
{
    if (number.size() < ClassicKestrumCodec::minSerialNumberLength
        || number.size() > ClassicKestrumCodec::maxSerialNumberBytes
        || !std::all_of(number.cbegin(), number.cend(),
                        [](QChar c) { return c.isLetterOrNumber() || c == u'-' || c == u'_'; }))
        std::abort();
    // Sent back by a chamber, the number is read as it was.
    const QList<QByteArray> frames = ClassicFrameDecoder().feed(serialNumberReply(number));
    if (frames.size() != 1 || ClassicKestrumCodec::interpretReply(frames.first()).serialNumber != number)
        std::abort();
}

void checkReply(const QByteArray& frame)
{
    if (frame.size() > ClassicFrameDecoder::maxFrameBytes)
        std::abort();
    const ClassicReply reply = ClassicKestrumCodec::interpretReply(frame);
    if (reply.kind == ClassicReply::SerialNumber)
        checkSerialNumber(reply.serialNumber);
    if (reply.kind == ClassicReply::UserData && reply.userData.size() != ClassicKestrumCodec::userDataBytes)
        std::abort();
    if (reply.kind != ClassicReply::SerialNumber && !reply.serialNumber.isEmpty())
        std::abort();
}

void checkRoundTrip(const QByteArray& payload)
{
    if (payload.size() >= ClassicFrameDecoder::maxFrameBytes)
        return;
    const QList<QByteArray> frames = ClassicFrameDecoder().feed(ClassicKestrumCodec::encodeFrame(payload));
    if (frames.size() != 1 || frames.first() != payload + char(CurlyMessageParser::checksum(payload)))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The heads of the two replies the chamber gives.
    static const QList<QByteArray> heads{QByteArray::fromHex("7b0d9002"), QByteArray::fromHex("7b0d9004")};
    const FuzzStream input = FuzzStream::fromInput(data, size, heads);
    const QList<QByteArray> frames = decodeReads({input.stream});
    if (decodeReads(input.reads()) != frames || decodeReads(input.singleBytes()) != frames)
        std::abort();
    for (const QByteArray& frame : frames)
        checkReply(frame);
    checkRoundTrip(input.stream);
    return 0;
}
