// Feeds arbitrary port bytes to the brace-framed parser in both modes, cut into pieces the way
// reads arrive, and checks what it delivers.
#include "CurlyMessageParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses the read size, the rest is the stream.
    const qsizetype chunk = 1 + data[0] % 64;
    const QByteArray stream(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    CurlyMessageParser textParser;
    CurlyMessageParser byteParser;
    for (qsizetype at = 0; at < stream.size(); at += chunk) {
        const QByteArray piece = stream.mid(at, chunk);
        const QStringList messages = textParser.parseText(QString::fromLatin1(piece));
        for (const QString& message : messages) {
            if (message.isEmpty() || message.trimmed() != message || message.contains(u'{') || message.contains(u'}')
                || message.contains(u'\n'))
                abort();
        }
        const QList<QByteArray> frames = byteParser.parseBytes(piece);
        for (const QByteArray& frame : frames) {
            if (frame.isEmpty())
                abort();
        }
        if (textParser.pendingText().size() > CurlyMessageParser::MaxPendingLength
            || byteParser.pendingBytes().size() > CurlyMessageParser::MaxPendingLength)
            abort();
    }

    // Whatever is framed comes back unchanged, checksum last.
    const QByteArray payload = stream.left(CurlyMessageParser::MaxPendingLength / 2);
    if (!payload.isEmpty()) {
        CurlyMessageParser roundTrip;
        const QList<QByteArray> back = roundTrip.parseBytes(CurlyMessageParser::frameMessage(payload));
        if (back.size() != 1 || back[0] != payload + char(CurlyMessageParser::checksum(payload)))
            abort();
    }
    return 0;
}
