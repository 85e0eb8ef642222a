// Feeds arbitrary bytes to the settings loaders, as a damaged or hostile settings file would:
// the XML document reader, the JSON reader and the file loading of a settings object, which
// also keeps a damaged file aside. None of them may crash or hang.
#include "FuzzScratch.h"
#include "ZTSettings.h"

#include <QColor>
#include <QCoreApplication>
#include <QPoint>
#include <QSize>

#include <cstddef>
#include <cstdint>

class FuzzSettings : public ZTSettings
{
    Q_OBJECT
public:
    enum Mode { Off, On };
    Q_ENUM(Mode)

    ZT_BOUNDED_PROPERTY(int, Threshold, 20, 1, 200, 1)
    ZT_BOUNDED_PROPERTY(double, Ratio, 0.4, 0.0, 1.0, 0.1)
    ZT_PROPERTY(float, Gain, 0.5f)
    ZT_PROPERTY(qlonglong, Counter, 0)
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

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    static FuzzSettings fromText;
    fromText.loadFromXMLString(QString::fromUtf8(bytes));
    fromText.loadFromJson(bytes);
    fromText.saveToString();
    fromText.saveToJsonString();

    const QString path = fuzzInputFile(QStringLiteral("Fuzz.settings"), data, size);
    static FuzzSettings xmlFile(path, false, nullptr, ZTSettings::XML);
    static FuzzSettings jsonFile(path, false, nullptr, ZTSettings::JSON);
    xmlFile.reload();
    jsonFile.reload();
    return 0;
}

#include "fuzz_settingsloader.moc"
