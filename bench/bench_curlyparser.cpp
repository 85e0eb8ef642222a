// Parser throughput on a chamber-like reply stream, fed in reads of 4 KiB and 64 KiB.
#include "CurlyMessageParser.h"

#include <benchmark/benchmark.h>

namespace {

QByteArray replyStream(qsizetype size)
{
    QByteArray stream;
    int sample = 0;
    while (stream.size() < size) {
        stream += "{x:" + QByteArray::number(sample % 997 - 400) + ",y:" + QByteArray::number(sample % 313)
                  + ",z:12,t:" + QByteArray::number(1200 + sample) + "}\r\n";
        stream += CurlyMessageParser::frameMessage(QByteArray::fromHex("0d90025334323631323533377d5c"));
        ++sample;
    }
    stream.truncate(size);
    return stream;
}

constexpr qsizetype StreamSize = 4 * 1024 * 1024;

// Feeds the stream in reads of state.range(0) bytes; parse returns how many messages a read gave.
template <typename Parse>
void feedStream(benchmark::State& state, Parse parse)
{
    const qsizetype chunk = state.range(0);
    const QByteArray stream = replyStream(StreamSize);
    for (auto _ : state) {
        CurlyMessageParser parser;
        qsizetype messages = 0;
        for (qsizetype at = 0; at < stream.size(); at += chunk)
            messages += parse(parser, stream.mid(at, chunk));
        benchmark::DoNotOptimize(messages);
    }
    state.SetBytesProcessed(state.iterations() * stream.size());
}

void textMode(benchmark::State& state)
{
    feedStream(state, [](CurlyMessageParser& parser, const QByteArray& read) { return parser.parseUtf8(read).size(); });
}

void byteMode(benchmark::State& state)
{
    feedStream(state,
               [](CurlyMessageParser& parser, const QByteArray& read) { return parser.parseBytes(read).size(); });
}

} // namespace

BENCHMARK(textMode)->Arg(4 * 1024)->Arg(64 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK(byteMode)->Arg(4 * 1024)->Arg(64 * 1024)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
