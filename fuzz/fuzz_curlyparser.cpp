// Feeds port bytes to the brace-framed parser in text (UTF-8) and byte mode, cut into reads at
// places the input chooses, and checks that where a read ends never changes what is delivered,
// that nothing pending grows past the cap, and that whatever is framed comes back.
#include "CurlyMessageParser.h"
#include "FuzzStream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

struct Delivered
{
    QStringList texts;
    QList<QByteArray> frames;

    bool operator==(const Delivered& other) const = default;
};

Delivered parseReads(const QList<QByteArray>& reads)
{
    CurlyMessageParser parser;
    Delivered delivered;
    for (const QByteArray& read : reads) {
        delivered.texts += parser.parseUtf8(read);
        delivered.frames += parser.parseBytes(read);
        if (parser.pendingText().size() > CurlyMessageParser::MaxPendingLength
            || parser.pendingBytes().size() > CurlyMessageParser::MaxPendingLength)
            std::abort();
    }
    return delivered;
}

void checkMessages(const Delivered& delivered)
{
    for (const QString& text : delivered.texts) {
        if (text.isEmpty() || text.trimmed() != text || text.size() > CurlyMessageParser::MaxPendingLength
            || text.contains(u'{') || text.contains(u'}') || text.contains(u'\n'))
            std::abort();
    }
    for (const QByteArray& frame : delivered.frames) {
        if (frame.isEmpty() || frame.size() > CurlyMessageParser::MaxPendingLength)
            std::abort();
    }
}

// A board sends text framed in braces; it arrives trimmed, or not at all when only blanks were
// sent. (Text mode knows no escapes, so text that the framing would escape is left out.)
void checkTextRoundTrip(const QByteArray& stream)
{
    QString text = QString::fromUtf8(stream);
    for (const QChar escaped : {u'{', u'}', u'\\', u'\n'})
        text.remove(escaped);
    const QByteArray payload = text.left(CurlyMessageParser::MaxPendingLength / 3).toUtf8();
    const QString sent = QString::fromUtf8(payload).trimmed();
    const QStringList back = CurlyMessageParser().parseUtf8(CurlyMessageParser::frame(payload, true, false));
    if (back != (sent.isEmpty() ? QStringList() : QStringList{sent}))
        std::abort();
}

// Whatever is framed with a checksum comes back unchanged, checksum last.
void checkFrameRoundTrip(const QByteArray& stream)
{
    const QByteArray payload = stream.left(CurlyMessageParser::MaxPendingLength / 2);
    if (payload.isEmpty())
        return;
    const QList<QByteArray> back = CurlyMessageParser().parseBytes(CurlyMessageParser::frameMessage(payload));
    if (back.size() != 1 || back[0] != payload + char(CurlyMessageParser::checksum(payload)))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const FuzzStream input = FuzzStream::fromInput(data, size);
    const Delivered whole = parseReads({input.stream});
    checkMessages(whole);
    if (parseReads(input.reads()) != whole || parseReads(input.singleBytes()) != whole)
        std::abort();
    checkTextRoundTrip(input.stream);
    checkFrameRoundTrip(input.stream);
    return 0;
}
