// Feeds arbitrary bytes to the settings loaders, as a damaged or hostile settings file would: the
// XML and JSON texts and the files of a settings object that saves after every change. Reading
// never changes the file read. A file that is refused stays as it was, byte for byte, with an
// identical copy kept aside and nothing saved over it. Whatever loads is written out again and
// loads back to the same value in every property (NaN as NaN, zero with its sign, colours to the
// 8 bits a channel that the files keep).
#include "AbstractMetaDescription.h"
#include "AbstractMetaDescriptor.h"
#include "FuzzScratch.h"
#include "ZTSettings.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPoint>
#include <QSize>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

class FuzzSettings : public ZTSettings
{
    Q_OBJECT
public:
    enum Mode { Off, On };
    Q_ENUM(Mode)

    ZT_BOUNDED_PROPERTY(int, Threshold, 20, 1, 200, 1)
    ZT_BOUNDED_PROPERTY(double, Ratio, 0.4, 0.0, 1.0, 0.1)
    ZT_PROPERTY(double, Offset, 420.0)
    ZT_PROPERTY(float, Gain, 0.5f)
    ZT_PROPERTY(qlonglong, Counter, 0)
    ZT_PROPERTY(uint, Mask, 0xFFu)
    ZT_PROPERTY(bool, Enabled, true)
    ZT_PROPERTY(QString, Label, "xlsx")
    ZT_PROPERTY(QStringList, Names, QStringList())
    ZT_PROPERTY(QPoint, Origin, QPoint(1, 2))
    ZT_PROPERTY(QPointF, Centre, QPointF(1, 2))
    ZT_PROPERTY(QSize, FrameSize, QSize(640, 480))
    ZT_PROPERTY(QColor, Tint, QColor(Qt::red))
    ZT_PROPERTY(Mode, Switch, FuzzSettings::On)
    ZT_PROPERTY(QByteArray, Blob, QByteArray())

public:
    using ZTSettings::ZTSettings;
};

namespace {
// Building a settings object's descriptions costs more than a load, so two objects serve the
// whole run; each use puts every value back to its default first, so that no input's outcome
// depends on the inputs before it.
FuzzSettings& fresh(bool reread, const QString& path = QString(), ZTSettings::ZTSettingsFormat format = ZTSettings::XML,
                    bool autoSave = false)
{
    static FuzzSettings first;
    static FuzzSettings second;
    FuzzSettings& settings = reread ? second : first;
    settings.setAutoSave(false);
    settings.loadDefaults();
    settings.setFilepath(path);
    settings.setFormat(format);
    settings.setAutoSave(autoSave);
    return settings;
}

[[noreturn]] void broken(const char* promise, const QString& detail = QString())
{
    std::fprintf(stderr, "fuzz_settingsloader: %s %s\n", promise, qPrintable(detail));
    std::abort();
}

bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.metaType() != b.metaType())
        return false;
    // The files keep 8 bits a colour channel; a file may give 16 ("#rrrrggggbbbb").
    if (a.typeId() == QMetaType::QColor)
        return a.value<QColor>().isValid() == b.value<QColor>().isValid()
               && a.value<QColor>().rgba() == b.value<QColor>().rgba();
    if (a.typeId() != QMetaType::Double && a.typeId() != QMetaType::Float)
        return a == b;
    const double x = a.toDouble();
    const double y = b.toDouble();
    return (std::isnan(x) && std::isnan(y)) || (x == y && std::signbit(x) == std::signbit(y));
}

void requireSameValues(FuzzSettings& loaded, FuzzSettings& reread, const char* form)
{
    for (AbstractMetaDescription* description : loaded.metaDescriptor()->properties) {
        const QVariant before = description->getValue();
        const QVariant after = reread.getValue(description->name);
        if (description->editable && !sameValue(before, after))
            broken(
                form,
                QStringLiteral("%1: %2 came back as %3").arg(description->name, before.toString(), after.toString()));
    }
}

// `load` reads bytes into a settings object, `write` gives its values as bytes again.
template <typename Load, typename Write>
void requireTextRoundTrip(const QByteArray& input, Load load, Write write, const char* form)
{
    FuzzSettings& loaded = fresh(false);
    if (!load(loaded, input))
        return;
    FuzzSettings& reread = fresh(true);
    if (!load(reread, write(loaded)))
        broken(form, QStringLiteral("written from loaded values does not load"));
    requireSameValues(loaded, reread, form);
}

void requireKeptAside(const QString& path, const QByteArray& input)
{
    const QDir folder = QFileInfo(path).dir();
    const QStringList copies = folder.entryList({QFileInfo(path).fileName() + QStringLiteral(".broken-*")});
    if (copies.isEmpty())
        broken("a refused file was not kept aside");
    for (const QString& copy : copies)
        if (fuzzReadBack(folder.filePath(copy)) != input)
            broken("a copy kept aside differs from the refused file", copy);
}

void requireFileRoundTrip(const QString& path, const QByteArray& input, ZTSettings::ZTSettingsFormat format)
{
    FuzzSettings& loaded = fresh(false, path, format, true);
    const bool accepted = loaded.reload();
    if (fuzzReadBack(path) != input)
        broken("reading changed the file");
    if (!accepted) {
        requireKeptAside(path, input);
        return;
    }
    const QString again = fuzzScratchPath(QStringLiteral("Again.settings"));
    if (!loaded.saveAs(again))
        broken("the loaded values could not be saved");
    FuzzSettings& reread = fresh(true, again, format);
    if (!reread.reload())
        broken("a saved file does not load", again);
    requireSameValues(loaded, reread, format == ZTSettings::XML ? "XML file" : "JSON file");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_settingsloader";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    static const bool quiet = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        return true;
    }();
    Q_UNUSED(quiet);

    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    requireTextRoundTrip(
        input, [](FuzzSettings& s, const QByteArray& bytes) { return s.loadFromXMLString(QString::fromUtf8(bytes)); },
        [](FuzzSettings& s) { return s.saveToString().toUtf8(); }, "XML text");
    requireTextRoundTrip(
        input, [](FuzzSettings& s, const QByteArray& bytes) { return s.loadFromJson(bytes); },
        [](FuzzSettings& s) { return s.saveToJsonString().toUtf8(); }, "JSON text");

    const QString path = fuzzInputFile(QStringLiteral("Fuzz.settings"), data, size);
    requireFileRoundTrip(path, input, ZTSettings::XML);
    requireFileRoundTrip(path, input, ZTSettings::JSON);
    return 0;
}

#include "fuzz_settingsloader.moc"
