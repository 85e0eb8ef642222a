// Feeds arbitrary bytes to the zone-time record of a stored run, as a damaged or hand-edited
// Stats.xml would give them: once as the whole file, once as the two stay lists inside a file
// that loads. Opening the record never changes the file. The per-stay table holds one row for
// every safe stay and one for each danger stay that follows one, in turn; each row's length is
// its list entry as a number (0 for what is none), and the values a row does not have are
// marked as missing.
#include "Experiment_ConflictTest_Stats.h"
#include "FuzzScratch.h"

#include <QCoreApplication>
#include <QXmlStreamWriter>

#include <cstdio>
#include <memory>

namespace {

[[noreturn]] void broken(const char* promise, const QString& detail = QString())
{
    std::fprintf(stderr, "fuzz_zonerecord: %s %s\n", promise, qPrintable(detail));
    std::abort();
}

QList<int> stayLengths(const QString& list)
{
    QList<int> lengths;
    for (const QString& item : list.split(QLatin1Char(';'))) {
        if (!item.trimmed().isEmpty())
            lengths << item.trimmed().toInt();
    }
    return lengths;
}

void requireRow(const Experiment_LightBox_Stats& record, const Experiment_Stats* built, int length, bool safe)
{
    const auto* row = qobject_cast<const Experiment_LightBox_Stats*>(built);
    constexpr int none = Experiment_LightBox_Stats::noValue;
    if (!row || row->getDurationMs() != length || row->getLatentTimeMs() != none || row->getCyclesCount() != 1)
        broken("a row does not hold its stay", QString::number(length));
    if (row->title() != (safe ? record.safeZoneName() : record.dangerZoneName()))
        broken("a row names the wrong zone", row->title());
    if (row->getSafeZoneTimeMs() != (safe ? length : none) || row->getDangerZoneTimeMs() != (safe ? none : length))
        broken("a row puts its stay in the wrong zone", QString::number(length));
}

void requireTable(const QString& path, const QByteArray& onDisk)
{
    auto record = std::make_unique<Experiment_ConflictTest_Stats>(path, true);
    const bool loaded = record->reload();
    if (fuzzReadBack(path) != onDisk)
        broken("opening the record changed its file");
    if (!loaded)
        return;
    const QList<Experiment_Stats*> rows = record->buildResult();
    const QList<int> safe = stayLengths(record->getSafeZoneTimes());
    const QList<int> danger = stayLengths(record->getDangerZoneTimes());
    qsizetype at = 0;
    for (qsizetype i = 0; i < safe.size(); ++i) {
        if (at < rows.size())
            requireRow(*record, rows.at(at++), safe.at(i), true);
        if (i < danger.size() && at < rows.size())
            requireRow(*record, rows.at(at++), danger.at(i), false);
    }
    if (rows.size() != safe.size() + std::min(safe.size(), danger.size()))
        broken("the table has the wrong number of rows", QString::number(rows.size()));
    qDeleteAll(rows);
}

QByteArray recordWithLists(const QByteArray& input)
{
    const qsizetype half = input.size() / 2;
    QByteArray file;
    QXmlStreamWriter writer(&file);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("Experiment_LightBox_Stats"));
    writer.writeTextElement(QStringLiteral("SafeZoneTimes"), QString::fromUtf8(input.left(half)));
    writer.writeTextElement(QStringLiteral("DangerZoneTimes"), QString::fromUtf8(input.mid(half)));
    writer.writeEndElement();
    writer.writeEndDocument();
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_zonerecord";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    static const bool quiet = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        return true;
    }();
    Q_UNUSED(quiet);

    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    requireTable(fuzzInputFile(QStringLiteral("Stats.xml"), data, size), input);
    const QByteArray wrapped = recordWithLists(input);
    requireTable(fuzzInputFile(QStringLiteral("Stats.xml"), reinterpret_cast<const uint8_t*>(wrapped.constData()),
                               size_t(wrapped.size())),
                 wrapped);
    return 0;
}
