#pragma once

// A fuzz input taken as what a serial port delivers: a byte stream and the lengths of the reads
// it arrives in, so that targets can check that where a read ends never changes what is
// understood.
#include <QByteArray>
#include <QList>

#include <algorithm>
#include <cstddef>
#include <cstdint>

struct FuzzStream
{
    static constexpr int MaxReadLength = 64;

    QList<qsizetype> readLengths;
    QByteArray stream;

    // The first byte tells how many of the following bytes (up to 15) are read lengths, each
    // taken as 1 to MaxReadLength; the rest is the stream. With words given, a stream byte 0xFF
    // stands for the first word, 0xFE for the second and so on: the replies a board understands
    // then come up at once instead of after a long search.
    static FuzzStream fromInput(const uint8_t* data, size_t size, const QList<QByteArray>& words = {})
    {
        FuzzStream input;
        if (size == 0)
            return input;
        const size_t lengths = std::min<size_t>(data[0] % 16, size - 1);
        for (size_t i = 1; i <= lengths; ++i)
            input.readLengths.append(1 + data[i] % MaxReadLength);
        for (size_t i = 1 + lengths; i < size; ++i) {
            const qsizetype word = 0xFF - data[i];
            if (word < words.size())
                input.stream += words.at(word);
            else
                input.stream += char(data[i]);
        }
        return input;
    }

    // The stream cut into reads of the given lengths, taken in turn over and over; the whole
    // stream as one read when no length was given.
    QList<QByteArray> reads() const
    {
        if (readLengths.isEmpty())
            return {stream};
        QList<QByteArray> pieces;
        for (qsizetype at = 0, turn = 0; at < stream.size(); ++turn) {
            const qsizetype length = readLengths.at(turn % readLengths.size());
            pieces.append(stream.mid(at, length));
            at += length;
        }
        return pieces;
    }

    // The stream one byte per read, the finest cut a port can make.
    QList<QByteArray> singleBytes() const
    {
        QList<QByteArray> pieces;
        for (char byte : stream)
            pieces.append(QByteArray(1, byte));
        return pieces;
    }
};
