#include "CurlyMessageParser.h"

#include <algorithm>

namespace {

void appendEscaped(QByteArray& out, char byte)
{
    if (CurlyMessageParser::needsEscape(byte)) {
        out.append(CurlyMessageParser::EscapeByte);
        out.append(char(byte ^ CurlyMessageParser::EscapeXor));
    } else {
        out.append(byte);
    }
}

bool isTextSeparator(char byte)
{
    return byte == '\n' || byte == CurlyMessageParser::StartByte || byte == CurlyMessageParser::EndByte;
}

bool isFrameByte(char byte)
{
    return byte == CurlyMessageParser::StartByte || byte == CurlyMessageParser::EndByte;
}

// Hands each run of bytes between separators to `append` and each separator to `atSeparator`,
// in order: one pass, so splitting costs time linear in the data however the separators are
// spread.
template <typename IsSeparator, typename Append, typename AtSeparator>
void forEachRun(const QByteArray& data, IsSeparator isSeparator, Append append, AtSeparator atSeparator)
{
    const char* at = data.constData();
    const char* const end = at + data.size();
    while (at < end) {
        const char* separator = std::find_if(at, end, isSeparator);
        append(at, separator - at);
        if (separator == end)
            return;
        atSeparator(*separator);
        at = separator + 1;
    }
}

// A piece that would grow past the cap is dropped, and with it everything up to its separator.
void appendCapped(QByteArray& pending, bool& overflow, const char* bytes, qsizetype count)
{
    if (overflow || count == 0)
        return;
    if (pending.size() + count > CurlyMessageParser::MaxPendingLength) {
        pending.clear();
        overflow = true;
        return;
    }
    pending.append(bytes, count);
}

} // namespace

CurlyMessageParser::CurlyMessageParser(QObject* parent)
    : QObject(parent)
{
}

bool CurlyMessageParser::needsEscape(char byte)
{
    return byte == StartByte || byte == EndByte || byte == EscapeByte;
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

QStringList CurlyMessageParser::parseUtf8(const QByteArray& chunk)
{
    splitUtf8(chunk);
    QStringList messages;
    messages.swap(m_finishedTexts);
    for (const QString& message : std::as_const(messages))
        emit messageReceived(message);
    return messages;
}

QStringList CurlyMessageParser::parseText(const QString& text)
{
    return parseUtf8(text.toUtf8());
}

void CurlyMessageParser::splitUtf8(const QByteArray& chunk)
{
    forEachRun(
        chunk, isTextSeparator,
        [this](const char* bytes, qsizetype count) { appendCapped(m_pendingText, m_textOverflow, bytes, count); },
        [this](char) { finishPendingText(); });
}

void CurlyMessageParser::finishPendingText()
{
    if (!m_textOverflow) {
        const QString message = QString::fromUtf8(m_pendingText).trimmed();
        if (!message.isEmpty())
            m_finishedTexts.append(message);
    }
    m_pendingText.clear();
    m_textOverflow = false;
}

QList<QByteArray> CurlyMessageParser::parseBytes(const QByteArray& data)
{
    forEachRun(
        data, isFrameByte,
        [this](const char* bytes, qsizetype count) { appendCapped(m_pendingBytes, m_bytesOverflow, bytes, count); },
        [this](char separator) {
            if (separator == EndByte && !m_pendingBytes.isEmpty() && !m_bytesOverflow)
                m_finishedFrames.append(m_pendingBytes);
            // A start byte begins a fresh frame: noise since the last frame must not become its head.
            m_pendingBytes.clear();
            m_bytesOverflow = false;
        });
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

QString CurlyMessageParser::pendingText() const
{
    return QString::fromUtf8(m_pendingText);
}

QByteArray CurlyMessageParser::pendingBytes() const
{
    return m_pendingBytes;
}
