// Feeds arbitrary port bytes to the classic chamber's frame decoder, cut into reads at
// arbitrary places, and checks that whatever comes out is understood without harm.
#include "ClassicKestrumCodec.h"
#include "CurlyMessageParser.h"

#include <cstdint>
#include <cstdlib>

namespace {

void checkReply(const QByteArray& frame)
{
    if (frame.size() > ClassicFrameDecoder::maxFrameBytes)
        std::abort();
    const ClassicReply reply = ClassicKestrumCodec::interpretReply(frame);
    if (reply.kind == ClassicReply::SerialNumber
        && (reply.serialNumber.size() < ClassicKestrumCodec::minSerialNumberLength
            || reply.serialNumber.size() > ClassicKestrumCodec::maxSerialNumberBytes))
        std::abort();
    if (reply.kind == ClassicReply::UserData && reply.userData.size() != ClassicKestrumCodec::userDataBytes)
        std::abort();
}

void checkRoundTrip(const QByteArray& payload)
{
    if (payload.size() >= ClassicFrameDecoder::maxFrameBytes)
        return;
    ClassicFrameDecoder decoder;
    const QList<QByteArray> frames = decoder.feed(ClassicKestrumCodec::encodeFrame(payload));
    if (frames.size() != 1 || frames.first() != payload + char(CurlyMessageParser::checksum(payload)))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    // The first byte chooses the length of each read, as a port delivers bytes in any chunks.
    const qsizetype chunk = qsizetype(data[0] % 16) + 1;
    ClassicFrameDecoder decoder;
    for (qsizetype at = 0; at < input.size(); at += chunk) {
        for (const QByteArray& frame : decoder.feed(input.mid(at, chunk)))
            checkReply(frame);
    }
    checkRoundTrip(input);
    return 0;
}
