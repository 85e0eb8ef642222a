#include "GlobalConsole.h"
#include "MetaDescription.h"
#include "MetaDescriptor.h"
#include "SampleSettings.h"
#include "SettingsFileHelper.h"
#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QXmlStreamReader>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <unistd.h>

// Declared lower-case first, so that declaration order and name order differ.
class CaseTwins : public ZTSettings
{
    Q_OBJECT
    ZT_PROPERTY(int, level, 0)
    ZT_PROPERTY(int, Level, 0)
public:
    using ZTSettings::ZTSettings;
};

namespace {
QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

QString linkText(const QString& link)
{
    std::error_code error;
    return QString::fromStdString(std::filesystem::read_symlink(nativePath(link).toStdString(), error).string());
}

// The identity and kind of a file system entry, its own and not that of a link's target.
QString entryIdentity(const QString& path)
{
    struct stat status = {};
    if (lstat(nativePath(path).constData(), &status) != 0)
        return QStringLiteral("missing");
    return QStringLiteral("%1 %2 %3").arg(status.st_ino).arg(status.st_mode).arg(status.st_rdev);
}

int permissionBits(const QString& path)
{
    struct stat status = {};
    return stat(nativePath(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

QStringList everyEntry(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

// The settings object base: the setter protocol, saving after changes, reloading, defaults,
// values by name and the multi-object Component document.
class TestSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir temp;

private slots:
    void initTestCase() { QVERIFY(temp.isValid()); }

    void setterAnnouncesThenSaves()
    {
        const QString path = temp.filePath("order/Sample.xml");
        SampleSettings settings(path, true);
        QVERIFY(QFileInfo(temp.filePath("order")).isDir());
        QStringList events;
        connect(&settings, &SampleSettings::changedThreshold, this,
                [&](int value) { events << QStringLiteral("changed %1").arg(value); });
        connect(settings.metaDescriptor()->propertyByName("Threshold"), &AbstractMetaDescription::valueChanged, this,
                [&](const QVariant& value) { events << "description " + value.toString(); });
        connect(&settings, &ZTSettings::propertyChanged, this, [&](const QString& name) {
            events << "property " + name + (QFile::exists(path) ? " after file" : " before file");
        });
        connect(&settings, &ZTSettings::saved, this, [&] {
            events << (readFileBytes(path).contains("<Threshold>42</Threshold>") ? "saved 42" : "saved stale");
        });

        settings.setThreshold(42);
        QCOMPARE(events, QStringList({"changed 42", "description 42", "property Threshold before file", "saved 42"}));

        events.clear();
        settings.setThreshold(42);
        QVERIFY(events.isEmpty());
    }

    void boundedSettersClampAndRefuseNaN()
    {
        SampleSettings settings;
        QSignalSpy changed(&settings, &SampleSettings::changedRatio);
        settings.setThreshold(0);
        QCOMPARE(settings.getThreshold(), 1);
        settings.setThreshold(1000);
        QCOMPARE(settings.getThreshold(), 200);
        settings.setRatio(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(settings.getRatio(), 0.4);
        QCOMPARE(changed.count(), 0);
        settings.setRatio(2.5);
        QCOMPARE(settings.getRatio(), 1.0);
        settings.setRatio(-std::numeric_limits<double>::infinity());
        QCOMPARE(settings.getRatio(), 0.0);
        QCOMPARE(changed.count(), 2);
    }

    void unboundedNaNIsStoredOnce()
    {
        SampleSettings settings;
        QSignalSpy changed(&settings, &SampleSettings::changedOffset);
        settings.setOffset(std::numeric_limits<double>::quiet_NaN());
        settings.setOffset(std::numeric_limits<double>::quiet_NaN());
        QVERIFY(std::isnan(settings.getOffset()));
        QCOMPARE(changed.count(), 1);
    }

    void resetGoesBackToTheDeclaredDefault()
    {
        SampleSettings settings;
        settings.setLabel("other");
        settings.setPace(SampleSettings::Slow);
        QSignalSpy changed(&settings, &SampleSettings::changedLabel);
        settings.resetLabel();
        settings.resetPace();
        settings.resetLabel();
        QCOMPARE(settings.getLabel(), QStringLiteral("xlsx"));
        QCOMPARE(settings.getPace(), SampleSettings::Fast);
        QCOMPARE(changed.count(), 1);
    }

    void autoSaveOffWritesNothing()
    {
        const QString path = temp.filePath("off.xml");
        SampleSettings settings(path, true);
        settings.setAutoSave(false);
        QSignalSpy saved(&settings, &ZTSettings::saved);
        QSignalSpy changed(&settings, &ZTSettings::propertyChanged);
        settings.setThreshold(3);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(saved.count(), 0);
        QVERIFY(!QFile::exists(path));
    }

    void emptyPathWritesNothing()
    {
        SampleSettings settings(QString(), true);
        QSignalSpy saved(&settings, &ZTSettings::saved);
        QVERIFY(!settings.reload());
        QVERIFY(!settings.save());
        QVERIFY(!settings.saveAs(QString()));
        settings.setThreshold(5);
        QCOMPARE(saved.count(), 0);
        QCOMPARE(QDir(temp.path()).entryList(QDir::Files).filter("Sample").size(), 0);
    }

    void failedWriteIsReportedAndNotAnnounced()
    {
        // A path below a plain file cannot be written, whoever runs the test.
        const QString blocker = temp.filePath("blocker");
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        SampleSettings settings(blocker + "/Sample.xml", true);
        QSignalSpy saved(&settings, &ZTSettings::saved);
        settings.setThreshold(8);
        QVERIFY(!settings.save());
        QCOMPARE(saved.count(), 0);
    }

    void savesThroughLinksWriteTheTargetAndKeepItsPermissions_data()
    {
        // Pairs of a link and what it holds ("<root>" stands for the row's folder); the settings
        // object opens the first link, or the target itself when there is none.
        QTest::addColumn<QStringList>("links");
        QTest::newRow("no link") << QStringList();
        QTest::newRow("absolute link") << QStringList{"settings/Sample.xml", "<root>/data/real.xml"};
        QTest::newRow("chain of relative links")
            << QStringList{"settings/Sample.xml", "hop.xml", "settings/hop.xml", "../data/real.xml"};
    }

    void savesThroughLinksWriteTheTargetAndKeepItsPermissions()
    {
        QFETCH(QStringList, links);
        QTemporaryDir folder;
        const QString target = folder.filePath("data/real.xml");
        QVERIFY(QDir().mkpath(folder.filePath("data")) && QDir().mkpath(folder.filePath("settings")));
        QVERIFY(writeFileBytes(target, "<SampleSettings/>"));
        const int sharedWithGroupOnly = 0660;
        QVERIFY(chmod(nativePath(target).constData(), sharedWithGroupOnly) == 0);
        for (qsizetype i = 0; i < links.size(); i += 2)
            QVERIFY(symlink(nativePath(QString(links[i + 1]).replace("<root>", folder.path())).constData(),
                            nativePath(folder.filePath(links[i])).constData())
                    == 0);

        SampleSettings settings(links.isEmpty() ? target : folder.filePath(links.first()), true);
        QSignalSpy saved(&settings, &ZTSettings::saved);
        settings.setThreshold(42);
        QCOMPARE(saved.count(), 1);
        QVERIFY(readFileBytes(target).contains("<Threshold>42</Threshold>"));
        QCOMPARE(permissionBits(target), sharedWithGroupOnly);
        settings.setAutoSave(false);
        settings.setLabel("explicit");
        QVERIFY(settings.save());
        QCOMPARE(saved.count(), 2);

        SampleSettings reread(target);
        QVERIFY(reread.reload());
        QCOMPARE(reread.getThreshold(), 42);
        QCOMPARE(reread.getLabel(), QStringLiteral("explicit"));
        QCOMPARE(permissionBits(target), sharedWithGroupOnly);
        for (qsizetype i = 0; i < links.size(); i += 2)
            QCOMPARE(linkText(folder.filePath(links[i])), QString(links[i + 1]).replace("<root>", folder.path()));
        QCOMPARE(everyEntry(folder.filePath("data")), QStringList{"real.xml"});
        QCOMPARE(everyEntry(folder.filePath("settings")).size(), links.size() / 2);
    }

    void savesRefuseWhatIsNotARegularFile_data()
    {
        // The row's name says what the link leads to.
        QTest::addColumn<QString>("reason");
        QTest::newRow("fifo") << "not a regular file";
        QTest::newRow("device") << "not a regular file";
        QTest::newRow("folder") << "not a regular file";
        QTest::newRow("missing folder") << "there is no folder";
        QTest::newRow("read-only file") << "is read-only";
    }

    void savesRefuseWhatIsNotARegularFile()
    {
        QFETCH(QString, reason);
        const QString kind = QTest::currentDataTag();
        QTemporaryDir folder;
        const QString node = folder.filePath(kind == "missing folder" ? "missing/node" : "node");
        const QByteArray nodePath = nativePath(node);
        if (kind == "fifo")
            QVERIFY(mkfifo(nodePath.constData(), 0600) == 0);
        if (kind == "device" && mknod(nodePath.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("device nodes can be made only with the right to do so");
        if (kind == "folder")
            QVERIFY(QDir().mkdir(node));
        if (kind == "read-only file" && geteuid() == 0)
            QSKIP("nothing is read-only to root");
        if (kind == "read-only file")
            QVERIFY(writeFileBytes(node, "kept") && chmod(nodePath.constData(), 0444) == 0);
        const QString nodeBefore = entryIdentity(node);
        const QString link = folder.filePath("Sample.xml");
        QVERIFY(symlink(nodePath.constData(), nativePath(link).constData()) == 0);
        GlobalConsole::ClearText();

        SampleSettings settings(link, true);
        QSignalSpy saved(&settings, &ZTSettings::saved);
        settings.setThreshold(42);
        QVERIFY(!settings.save());
        QCOMPARE(saved.count(), 0);

        const QString console = GlobalConsole::currentText();
        QVERIFY2(console.count(link) == 2 && console.count(reason) == 2, qPrintable(console));
        QCOMPARE(linkText(link), node);
        QCOMPARE(entryIdentity(node), nodeBefore);
        QCOMPARE(everyEntry(folder.path()),
                 kind == "missing folder" ? QStringList{"Sample.xml"} : QStringList({"Sample.xml", "node"}));
        if (kind == "folder")
            QVERIFY(everyEntry(node).isEmpty());
    }

    void loadingRefusesWhatIsNotARegularFile_data()
    {
        // The row's name says what the link leads to.
        QTest::addColumn<QString>("reason");
        QTest::newRow("fifo") << "not a regular file but a fifo";
        QTest::newRow("endless device") << "not a regular file but a device";
        QTest::newRow("oversized file") << "larger than";
    }

    // A fifo would never answer and a device never end: reading either must not even begin. A
    // reader caught in one cannot be stopped, so it runs in a thread of its own and a reader that
    // does not end ends the whole test.
    void loadingRefusesWhatIsNotARegularFile()
    {
        QFETCH(QString, reason);
        const QString kind = QTest::currentDataTag();
        QTemporaryDir folder;
        QString node = folder.filePath("node");
        if (kind == "fifo")
            QVERIFY(mkfifo(nativePath(node).constData(), 0600) == 0);
        if (kind == "endless device")
            node = QStringLiteral("/dev/zero");
        if (kind == "oversized file") {
            QFile sparse(node);
            QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(SettingsFileHelper::maximumReadSize + 1));
        }
        const QString link = folder.filePath("Sample.xml");
        QVERIFY(symlink(nativePath(node).constData(), nativePath(link).constData()) == 0);
        const QStringList entriesBefore = everyEntry(folder.path());
        GlobalConsole::ClearText();

        std::mutex handOver;
        bool reloaded = true;
        int threshold = 0;
        QThread* reader = QThread::create([&] {
            SampleSettings settings(link);
            const bool fine = settings.reload();
            std::lock_guard lock(handOver);
            reloaded = fine;
            threshold = settings.getThreshold();
        });
        reader->start();
        if (!reader->wait(10000))
            qFatal("Loading settings from %s did not end", qPrintable(kind));
        delete reader;
        std::lock_guard lock(handOver);
        QVERIFY(!reloaded);
        QCOMPARE(threshold, 20);
        const QString console = GlobalConsole::currentText();
        QVERIFY2(console.contains(link) && console.contains(reason), qPrintable(console));
        QCOMPARE(everyEntry(folder.path()), entriesBefore);
    }

    void failedSaveIsReportedAndKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("full disk") << false;
        QTest::newRow("read-only folder") << true;
    }

    void failedSaveIsReportedAndKeepsTheOldFile()
    {
        QFETCH(bool, readOnlyFolder);
        if (readOnlyFolder && geteuid() == 0)
            QSKIP("nothing is read-only to root");
        QTemporaryDir folder;
        const QString path = folder.filePath("Full.xml");
        SampleSettings settings(path, true);
        QVERIFY(settings.save());
        const QByteArray before = readFileBytes(path);
        QSignalSpy saved(&settings, &ZTSettings::saved);
        GlobalConsole::ClearText();
        const QByteArray folderPath = nativePath(folder.path());
        const auto writableAgain = qScopeGuard([&] { chmod(folderPath.constData(), 0700); });
        {
            std::optional<FileSizeLimit> diskFull;
            if (readOnlyFolder)
                QVERIFY(chmod(folderPath.constData(), 0500) == 0);
            else
                diskFull.emplace(16);
            settings.setThreshold(42);
            QVERIFY(!settings.save());
        }
        QCOMPARE(saved.count(), 0);
        QCOMPARE(readFileBytes(path), before);
        QCOMPARE(everyEntry(folder.path()), QStringList{"Full.xml"});
        const QString console = GlobalConsole::currentText();
        QVERIFY2(console.count("Could not save \"" + path) == 2 && console.contains("Error"), qPrintable(console));
        // The system's reason, also when the disk filled in the middle of the bytes.
        const QString reason = systemReason(readOnlyFolder ? EACCES : EFBIG);
        QVERIFY2(settings.lastSaveProblem().endsWith(reason), qPrintable(settings.lastSaveProblem()));
        QVERIFY2(!console.contains("Unknown error"), qPrintable(console));
    }

    void saveLeavesNoTemporaryFiles()
    {
        QTemporaryDir folder;
        SampleSettings settings(folder.filePath("Clean.xml"), true);
        for (int i = 1; i <= 5; ++i)
            settings.setThreshold(i);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Clean.xml"});
    }

    // A save killed before its rename leaves its new file beside the file; the next save of the
    // file removes such files, and only those: not the file of a save that is still writing
    // (locked by another process, or of this one), nor what this scheme does not name so.
    void theNextSaveRemovesWhatKilledSavesLeft()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("Left.xml");
        SampleSettings settings(path, false);
        QVERIFY(settings.save());
        const QStringList kept{"Left.xml.saving-", "Left.xml.saving-1.bak", "Left.xml.saving-ABC",
                               "Left.xml.saving-held", "Other.xml.saving-1a2b"};
        for (const QString& name : kept + QStringList{"Left.xml.saving-0", "Left.xml.saving-3w5e11264sgsf"})
            QVERIFY(writeFileBytes(folder.filePath(name), "<SampleSettings><Thre"));
        QFile held(folder.filePath("Left.xml.saving-held"));
        QVERIFY(held.open(QIODevice::ReadOnly) && flock(held.handle(), LOCK_EX) == 0);
        QVERIFY(settings.save());
        QStringList expected = kept + QStringList{"Left.xml"};
        expected.sort();
        QCOMPARE(everyEntry(folder.path()), expected);

        held.close();
        std::atomic<bool> allSaved = true;
        auto saveOften = [&] {
            for (int i = 0; i < 200; ++i)
                allSaved = SettingsFileHelper::commit(path, QByteArray::number(i), false) && allSaved;
        };
        std::unique_ptr<QThread> other(QThread::create(saveOften));
        other->start();
        saveOften();
        QVERIFY(other->wait(60000));
        QVERIFY(allSaved);
        expected.removeOne("Left.xml.saving-held");
        QCOMPARE(everyEntry(folder.path()), expected);
    }

    void reloadAppliesWithoutSaving()
    {
        const QString path = temp.filePath("reload.xml");
        {
            SampleSettings writer(path);
            writer.setThreshold(77);
            writer.setLabel("loaded");
            QVERIFY(writer.save());
        }
        const QByteArray before = readFileBytes(path);
        SampleSettings settings(path, true);
        QSignalSpy saved(&settings, &ZTSettings::saved);
        QSignalSpy changed(&settings, &ZTSettings::propertyChanged);
        QSignalSpy reloaded(&settings, &ZTSettings::reloaded);
        QVERIFY(settings.reload());
        QCOMPARE(settings.getThreshold(), 77);
        QCOMPARE(settings.getLabel(), QStringLiteral("loaded"));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(saved.count(), 0);
        QCOMPARE(reloaded.count(), 1);
        QCOMPARE(readFileBytes(path), before);
    }

    void missingFileKeepsTheDefaults()
    {
        SampleSettings settings(temp.filePath("missing.xml"), true);
        QSignalSpy reloaded(&settings, &ZTSettings::reloaded);
        QVERIFY(settings.reload());
        QCOMPARE(reloaded.count(), 1);
        QCOMPARE(settings.getThreshold(), 20);
        QVERIFY(!QFile::exists(temp.filePath("missing.xml")));
    }

    void unsavedPropertiesStayOutOfTheFile()
    {
        SampleSettings settings;
        settings.setScratch(99);
        QVERIFY(!settings.saveToString().contains("Scratch"));
        QVERIFY(!settings.saveToJson().contains("Scratch"));
        QVERIFY(settings.loadFromXMLString("<SampleSettings><Scratch>1</Scratch></SampleSettings>"));
        QCOMPARE(settings.getScratch(), 99);
    }

    void loadDefaultsSavesEveryChange()
    {
        const QString path = temp.filePath("defaults.xml");
        SampleSettings settings(path);
        settings.setThreshold(50);
        settings.setLabel("changed");
        settings.setAutoSave(true);
        QSignalSpy saved(&settings, &ZTSettings::saved);
        QSignalSpy reloaded(&settings, &ZTSettings::reloaded);
        settings.loadDefaults();
        QCOMPARE(settings.getThreshold(), 20);
        QCOMPARE(settings.getLabel(), QStringLiteral("xlsx"));
        QCOMPARE(saved.count(), 2);
        QCOMPARE(reloaded.count(), 1);
    }

    void valuesByName()
    {
        SampleSettings settings;
        QCOMPARE(settings.getValue("threshold", 5).toInt(), 20);
        QCOMPARE(settings.getValue("NoSuchThing", 5).toInt(), 5);
        QCOMPARE(settings.getTextValue("NoSuchThing"), QString());
        QCOMPARE(settings.getTextValue("ORIGIN"), QStringLiteral("10;20"));
        QCOMPARE(settings.getTextValue("Pace"), QStringLiteral("Fast"));
        QVERIFY(settings.containsProperty("tint"));
        QVERIFY(!settings.containsProperty("objectName"));
        QVERIFY(settings.setValue("pace", "Slow"));
        QCOMPARE(settings.getPace(), SampleSettings::Slow);
        QVERIFY(settings.setTextValue("FrameSize", "QSize(800, 600)"));
        QCOMPARE(settings.getFrameSize(), QSize(800, 600));
        QVERIFY(!settings.setTextValue("FrameSize", "800"));
        // Point texts as the declarations write them, float suffixes included.
        QVERIFY(settings.setTextValue("Centre", "QPointF(0.5f, 0.25f)"));
        QCOMPARE(settings.getCentre(), QPointF(0.5, 0.25));
        QVERIFY(settings.setTextValue("Origin", "QPoint(3.7f, -4.2f)"));
        QCOMPARE(settings.getOrigin(), QPoint(3, -4));
        QVERIFY(!settings.setValue("Nothing", 1));
        QCOMPARE(settings.getPropertiesNames().first(), QStringLiteral("Threshold"));
        QVERIFY(settings.getPropertiesNames().contains("Scratch"));
        QCOMPARE(settings.getPropertyByName("BLOB")->name, QStringLiteral("Blob"));
        QVERIFY(!settings.getPropertyByName("none"));
        QCOMPARE(settings.getQVariantMap().size(), 15);
        QCOMPARE(settings.getClassName(), QStringLiteral("SampleSettings"));
    }

    void propertyByNameFollowsDeclarationOrder()
    {
        // Two names differing only in case: the first declared wins, as for setValue.
        CaseTwins settings;
        QCOMPARE(settings.getPropertyByName("level")->name, QStringLiteral("level"));
        QVERIFY(settings.setValue("LEVEL", 5));
        QCOMPARE(settings.getlevel(), 5);
        QCOMPARE(settings.getLevel(), 0);
    }

    void variantMapRoundTrip()
    {
        SampleSettings source;
        source.setThreshold(11);
        source.setNames({"x"});
        SampleSettings target;
        QVERIFY(target.loadFromQVariantMap(source.getQVariantMap()));
        QCOMPARE(target.getThreshold(), 11);
        QCOMPARE(target.getNames(), QStringList{"x"});
    }

    void jsonTexts()
    {
        SampleSettings settings;
        QVERIFY(settings.saveToJsonByteArray().startsWith("{\"Blob\":\"cmF3\""));
        QVERIFY(settings.saveToJsonString(QJsonDocument::Indented).contains("\n    \"Threshold\": 20"));
        QVERIFY(settings.loadFromJson(QStringLiteral("{\"Threshold\": 12, \"threshold\": 99}")));
        QCOMPARE(settings.getThreshold(), 12);
        QVERIFY(!settings.loadFromJson(QString()));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^JSON is not an object\\."));
        QVERIFY(!settings.loadFromJson(QByteArray("[1]")));
    }

    void toggleItemInStringList()
    {
        QStringList list{"a", "b", "a"};
        QVERIFY(ZTSettings::toogleItemInStringList(list, "  c ", true));
        QVERIFY(!ZTSettings::toogleItemInStringList(list, "c", true));
        QVERIFY(!ZTSettings::toogleItemInStringList(list, "   ", true));
        QVERIFY(ZTSettings::toogleItemInStringList(list, "a", false));
        QVERIFY(!ZTSettings::toogleItemInStringList(list, "z", false));
        QCOMPARE(list, QStringList({"b", "a", "c"}));
    }

    void componentDocument()
    {
        QCOMPARE(ZTSettings::writeComponentsToString({}), QStringLiteral("<?xml version=\"1.0\"?>\n<Component/>\n"));
        SampleSettings first;
        SampleSettings second;
        second.setThreshold(5);
        const QString path = temp.filePath("components.xml");
        QVERIFY(ZTSettings::saveListFromString({&first, &second}, path));
        const QString text = QString::fromUtf8(readFileBytes(path));
        QVERIFY(text.startsWith("<?xml version=\"1.0\"?>\n<Component>\n    <SampleSettings>\n        <Threshold>20<"));
        QCOMPARE(text.count("<SampleSettings>"), 2);
        QVERIFY(text.contains("<Threshold>5</Threshold>"));
        QVERIFY(text.endsWith("</Component>\n"));
        QBuffer buffer;
        ZTSettings::writeComponentsToFile(&buffer, {&first});
        QCOMPARE(QString::fromUtf8(buffer.data()), ZTSettings::writeComponentsToString({&first}));
        QVERIFY(!ZTSettings::saveListFromString({&first}, temp.filePath("components.xml/inside")));
    }

    void componentContentReadsBack()
    {
        SampleSettings source;
        source.setThreshold(66);
        source.setLabel("component");
        QXmlStreamReader reader(ZTSettings::writeComponentsToString({&source}));
        SampleSettings target;
        target.metaDescriptor()->loadXmlContent("SampleSettings", reader);
        QCOMPARE(target.getThreshold(), 66);
        QCOMPARE(target.getLabel(), QStringLiteral("component"));
    }

    void descriptorIsBuiltOnceAndCanBeRebuilt()
    {
        SampleSettings settings;
        AbstractMetaDescriptor* descriptor = settings.metaDescriptor();
        QCOMPARE(settings.metaDescriptor(), descriptor);
        const int count = descriptor->count();
        settings.updateMetaDescriptor();
        QCOMPARE(settings.metaDescriptor(), descriptor);
        QCOMPARE(descriptor->count(), count);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
