#include "CurlyMessageParser.h"

#include <algorithm>

CurlyMessageParser::CurlyMessageParser(QObject* parent)
    : QObject(parent)
{
}

bool CurlyMessageParser::needsEscape(char byte)
{
    return byte == StartByte || byte == EndByte || byte == EscapeByte;
}

static void appendEscaped(QByteArray& out, char byte)
{
    if (CurlyMessageParser::needsEscape(byte)) {
        out.append(CurlyMessageParser::EscapeByte);
        out.append(char(byte ^ CurlyMessageParser::EscapeXor));
    } else {
        out.append(byte);
    }
}

quint8 CurlyMessageParser::checksum(const QByteArray& payload)
{
    quint8 sum = 0;
    for (char byte : payload)
        sum = quint8(sum - quint8(byte));
    return sum;
}

QByteArray CurlyMessageParser::frame(const QByteArray& payload, bool withBraces, bool withChecksum)
{
    QByteArray out;
    out.reserve(payload.size() * 2 + 4);
    if (withBraces)
        out.append(StartByte);
    for (char byte : payload)
        appendEscaped(out, byte);
    if (withChecksum)
        appendEscaped(out, char(checksum(payload)));
    if (withBraces)
        out.append(EndByte);
    return out;
}

QByteArray CurlyMessageParser::frameMessage(const QByteArray& payload)
{
    return frame(payload, true, true);
}

QByteArray CurlyMessageParser::unescape(const QByteArray& escaped)
{
    QByteArray out;
    out.reserve(escaped.size());
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != EscapeByte) {
            out.append(escaped[i]);
        } else if (i + 1 < escaped.size()) {
            out.append(char(escaped[i + 1] ^ EscapeXor));
            ++i;
        }
    }
    return out;
}

QStringList CurlyMessageParser::parseText(const QString& text)
{
    splitText(text);
    QStringList messages;
    messages.swap(m_finishedTexts);
    for (const QString& message : std::as_const(messages))
        emit messageReceived(message);
    return messages;
}

static bool isTextSeparator(QChar c)
{
    return c == u'\n' || c == u'{' || c == u'}';
}

// One pass over the text, so splitting costs time linear in its length however the separators
// are spread.
void CurlyMessageParser::splitText(const QString& text)
{
    const QStringView view(text);
    qsizetype pieceStart = 0;
    for (qsizetype i = 0; i < view.size(); ++i) {
        if (!isTextSeparator(view[i]))
            continue;
        appendPendingText(view.sliced(pieceStart, i - pieceStart));
        finishPendingText();
        pieceStart = i + 1;
    }
    appendPendingText(view.sliced(pieceStart));
}

void CurlyMessageParser::appendPendingText(QStringView piece)
{
    if (m_textOverflow)
        return;
    if (m_pendingText.size() + piece.size() > MaxPendingLength) {
        m_pendingText.clear();
        m_textOverflow = true;
        return;
    }
    m_pendingText.append(piece);
}

void CurlyMessageParser::finishPendingText()
{
    if (!m_textOverflow) {
        const QString message = m_pendingText.trimmed();
        if (!message.isEmpty())
            m_finishedTexts.append(message);
    }
    m_pendingText.clear();
    m_textOverflow = false;
}

static bool isFrameByte(char byte)
{
    return byte == CurlyMessageParser::StartByte || byte == CurlyMessageParser::EndByte;
}

QList<QByteArray> CurlyMessageParser::parseBytes(const QByteArray& data)
{
    const char* at = data.constData();
    const char* const end = at + data.size();
    while (at < end) {
        // Body bytes up to the next brace go in as one run.
        const char* brace = std::find_if(at, end, isFrameByte);
        appendPendingBytes(at, brace - at);
        if (brace == end)
            break;
        if (*brace == EndByte && !m_pendingBytes.isEmpty() && !m_bytesOverflow)
            m_finishedFrames.append(m_pendingBytes);
        // A start byte begins a fresh frame: noise since the last frame must not become its head.
        m_pendingBytes.clear();
        m_bytesOverflow = false;
        at = brace + 1;
    }
    QList<QByteArray> frames;
    frames.reserve(m_finishedFrames.size());
    for (const QByteArray& escaped : std::as_const(m_finishedFrames)) {
        const QByteArray message = unescape(escaped);
        if (message.isEmpty())
            continue; // a lone escape byte: nothing was sent
        frames.append(message);
        emit messageBytesReceived(message);
    }
    m_finishedFrames.clear();
    return frames;
}

void CurlyMessageParser::appendPendingBytes(const char* bytes, qsizetype count)
{
    if (m_bytesOverflow || count == 0)
        return;
    if (m_pendingBytes.size() + count > MaxPendingLength) {
        m_pendingBytes.clear();
        m_bytesOverflow = true;
        return;
    }
    m_pendingBytes.append(bytes, count);
}

QString CurlyMessageParser::pendingText() const
{
    return m_pendingText;
}

QByteArray CurlyMessageParser::pendingBytes() const
{
    return m_pendingBytes;
}
