#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// The brace framing every serial board of the apparatus speaks, and the splitter that turns
// the bytes arriving on one port into whole messages.
//
// Text mode: "\n", "{" and "}" each end a message; pieces are trimmed and empty ones dropped.
// The framing bytes are found in the raw bytes and each finished message is then decoded as
// UTF-8 on its own, so a read that ends inside a character never hides the brace after it, and
// a broken sequence becomes a replacement character inside its own message only.
// Byte mode: a frame runs from "{" to "}"; escapes are removed; a checksum byte, if the sender
// adds one, stays as the last byte of the delivered frame.
//
// Pending text or bytes are capped: a stream that never sends a separator is dropped up to
// its next separator instead of growing memory without bound.
class CurlyMessageParser : public QObject
{
    Q_OBJECT
public:
    static constexpr char StartByte = 0x7B;
    static constexpr char EndByte = 0x7D;
    static constexpr char EscapeByte = 0x5C;
    static constexpr char EscapeXor = 0x20;
    static constexpr qsizetype MaxPendingLength = 4096;

    explicit CurlyMessageParser(QObject* parent = nullptr);

    static QByteArray frame(const QByteArray& payload, bool withBraces, bool withChecksum);
    static QByteArray frameMessage(const QByteArray& payload);
    // (0 - sum of the payload bytes) mod 256: payload and checksum together sum to zero.
    static quint8 checksum(const QByteArray& payload);
    static bool needsEscape(char byte);
    // Removes the escapes of a received frame body; a trailing lone escape byte is dropped.
    static QByteArray unescape(const QByteArray& escaped);

    // Text mode on the bytes of a port, UTF-8.
    QStringList parseUtf8(const QByteArray& chunk);
    // Text mode on text already decoded.
    QStringList parseText(const QString& text);
    QList<QByteArray> parseBytes(const QByteArray& data);

    QString pendingText() const;
    QByteArray pendingBytes() const;

signals:
    void messageReceived(QString msg);
    void messageBytesReceived(QByteArray msg);

private:
    void splitUtf8(const QByteArray& chunk);
    void finishPendingText();

    QByteArray m_pendingText;
    bool m_textOverflow = false;
    QStringList m_finishedTexts;
    QByteArray m_pendingBytes;
    bool m_bytesOverflow = false;
    QList<QByteArray> m_finishedFrames;
};
