// Loads arbitrary bytes as the key-value text file of the key-value table. Reading never
// damages: a table that does not save on closing leaves the file as it was. A table that does
// writes pairs of lines, and what it writes loads and saves back to the same bytes.
#include "FuzzScratch.h"
#include "KeyValueTableWidget.h"

#include <QApplication>
#include <QTableWidget>

#include <cstdint>
#include <cstdlib>

namespace {

QByteArray loadAndSave(const QString& path)
{
    delete new KeyValueTableWidget(path, true);
    return fuzzReadBack(path);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: torn down at exit it leaves Qt's font engines unreachable, and the leak
    // check at exit would report them as this target's.
    new QApplication(*argc, *argv);
    // Fonts and styles load on the first table and stay for the process; loaded here, they are
    // not taken for a leak of the first input.
    KeyValueTableWidget(QString(), false).grab();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = fuzzInputFile(QStringLiteral("pairs.txt"), data, size);
    int rows = 0;
    {
        const KeyValueTableWidget reader(path, false);
        rows = reader.findChild<QTableWidget*>()->rowCount();
    }
    if (fuzzReadBack(path) != input)
        std::abort();
    // One row per pair, and the empty row for a new one; two lines per pair.
    const QByteArray saved = loadAndSave(path);
    if (saved.count('\n') != 2 * qsizetype(rows - 1) || (!saved.isEmpty() && !saved.endsWith('\n')))
        std::abort();
    if (loadAndSave(path) != saved)
        std::abort();
    return 0;
}
