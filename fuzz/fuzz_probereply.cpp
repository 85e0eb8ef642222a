// Feeds a probed port's reads to the prober's reply gathering and checks that the answer is
// recognised at exactly the read that completes it, wherever the reads are cut, and that what
// is kept while waiting never grows beyond what may still begin the answer.
#include "FuzzStream.h"
#include "SerialPortOverseer.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte tells the length of the answer (1 to 16 bytes) that the next bytes give.
    const size_t answerLength = std::min<size_t>(1 + data[0] % 16, size - 1);
    const QByteArray answer(reinterpret_cast<const char*>(data + 1), qsizetype(answerLength));
    if (answer.isEmpty())
        return 0;
    const FuzzStream input = FuzzStream::fromInput(data + 1 + answerLength, size - 1 - answerLength);

    QByteArray received;
    QByteArray seen;
    for (const QByteArray& read : input.reads()) {
        seen += read;
        const bool found = SerialPortOverseer::gatherReply(received, read, answer);
        if (found != seen.contains(answer))
            std::abort();
        if (found)
            break;
        if (received.size() >= answer.size() || !seen.endsWith(received))
            std::abort();
    }
    return 0;
}
