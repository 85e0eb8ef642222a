#include "AbstractMetaDescription.h"
#include "AbstractMetaDescriptor.h"
#include "AutorunHelper.h"
#include "CryptographicHelper.h"
#include "DialogSeam.h"
#include "EventTriggerHelper.h"
#include "GlobalConsole.h"
#include "LanguageContext.h"
#include "NamedImageCache.h"
#include "PropertyBinder.h"
#include "SampleSettings.h"
#include "SettingsWithLanguage.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Values = QList<double>;
using States = QList<bool>;

namespace {
// An object with a notified property, a property without a change signal, and a method with a
// result; it counts the writes its setters take.
class Knob : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue NOTIFY valueChanged)
    Q_PROPERTY(int silent READ silent WRITE setSilent)

public:
    int value() const { return current; }
    void setValue(int value)
    {
        ++writes;
        if (value == current)
            return;
        current = value;
        emit valueChanged(value);
    }
    int silent() const { return quiet; }
    void setSilent(int value) { quiet = value; }
    Q_INVOKABLE int doubled() const { return 2 * current; }

    int writes = 0;

signals:
    void valueChanged(int value);

private:
    int current = 0;
    int quiet = 0;
};
} // namespace

class TestGeneralServices : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;

private slots:
    void autorunIsNotAvailableAndChangesNothing()
    {
        GlobalConsole::ClearText();
        const QString program = QCoreApplication::applicationFilePath();
        AutorunHelper helper(program);
        QVERIFY(helper.isPathValid());
        QVERIFY(!AutorunHelper(folder.filePath("missing")).isPathValid());
        QVERIFY(!helper.isInAutoRun());
        QVERIFY(!helper.isValid());
        QVERIFY(!helper.settingsValue().isValid());
        QVERIFY(!AutorunHelper::isThisAppInAutorun());
        QElapsedTimer waited;
        waited.start();
        for (bool add : {true, false}) {
            QVERIFY(!helper.setInAutorun(add));
            QVERIFY(!AutorunHelper::setThisAppInAutorun(add));
            QVERIFY(!AutorunHelper::setThisAppInAutorunUsingExe(add));
            QVERIFY(!AutorunHelper::setAppInAutorunUsingExe(program, add, true));
        }
        QVERIFY(waited.elapsed() < 5000);
        QCOMPARE(GlobalConsole::currentText().count("is not available on this platform; nothing was changed"), 8);
    }

    void eventTrigger_data()
    {
        QTest::addColumn<double>("threshold");
        QTest::addColumn<int>("size");
        QTest::addColumn<Values>("values");
        QTest::addColumn<States>("states");
        QTest::addColumn<int>("changes");
        QTest::newRow("hysteresis") << 50.0 << 3 << Values{60, 70, 80, 40, 60, 30, 10, 20}
                                    << States{false, false, true, true, true, true, true, false} << 2;
        QTest::newRow("clamped to the maximum")
            << 150.0 << 3 << Values{200, 200, 200} << States{false, false, false} << 0;
        QTest::newRow("threshold reached") << 50.0 << 3 << Values{50, 50, 50} << States{false, false, true} << 1;
        QTest::newRow("window of at least one") << 50.0 << 0 << Values{60, 40, 60} << States{true, false, true} << 3;
    }

    void eventTrigger()
    {
        QFETCH(double, threshold);
        QFETCH(int, size);
        QFETCH(Values, values);
        QFETCH(States, states);
        QFETCH(int, changes);
        EventTriggerHelper trigger(threshold, size);
        QSignalSpy changed(&trigger, &EventTriggerHelper::triggerChanged);
        States seen;
        for (double value : values)
            seen << trigger.addValue(value);
        QCOMPARE(seen, states);
        QCOMPARE(changed.size(), changes);
        QCOMPARE(trigger.values().size(), std::min<qsizetype>(values.size(), std::max(1, size)));
    }

    void eventTriggerForcedStates()
    {
        std::unique_ptr<QObject> made(EventTriggerHelper::staticMetaObject.newInstance());
        auto* trigger = qobject_cast<EventTriggerHelper*>(made.get());
        QVERIFY(trigger);
        QSignalSpy changed(trigger, &EventTriggerHelper::triggerChanged);
        QSignalSpy off(trigger, &EventTriggerHelper::untriggered);
        trigger->clear();
        trigger->setIsTriggered(false);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(off.size(), 2);
        trigger->setAccumulatorSize(0);
        QVERIFY(trigger->addValue(50));
        QVERIFY(!trigger->addValue(49.9));
        trigger->setValueMin(60);
        QVERIFY(trigger->addValue(0));
        QCOMPARE(trigger->values(), Values{60});
    }

    void digests()
    {
        CryptographicHelper helper;
        QCOMPARE(helper.encrypt(QCryptographicHash::Md5), "d41d8cd98f00b204e9800998ecf8427e");
        helper << 5 << 0.5 << QStringLiteral("abc") << QList<int>{1, 2} << 1234567.0 << 0.25f << QByteArray("é")
               << static_cast<ZTSettings*>(nullptr);
        QCOMPARE(helper.getInternalString(), "5;0.5;abc;1;2;1.23457e+06;0.25;é;");
        SampleSettings settings;
        helper.reset();
        helper << &settings;
        QCOMPARE(helper.getInternalString(), settings.saveToJsonString(QJsonDocument::Compact) + ";");

        helper.reset();
        helper << QStringLiteral("plain");
        QCOMPARE(helper.encrypt(QCryptographicHash::Sha256), helper.encryptLatin(QCryptographicHash::Sha256));
        QCOMPARE(helper.encrypt(QCryptographicHash::Md5, "x"),
                 QCryptographicHash::hash("x", QCryptographicHash::Md5).toHex());
        helper << QStringLiteral("é");
        QVERIFY(helper.encrypt(QCryptographicHash::Sha256) != helper.encryptLatin(QCryptographicHash::Sha256));
    }

    void propertyBindings()
    {
        Knob source;
        Knob target;
        PropertyBinder binder;
        QVERIFY(binder.bind(&source, &target, "value", "value", PropertyBinder::TwoWay));
        QCOMPARE(target.writes, 0);
        source.setValue(3);
        QCOMPARE(target.value(), 3);
        target.setValue(4);
        QCOMPARE(source.value(), 4);
        QCOMPARE(source.writes + target.writes, 4);

        QVERIFY(binder.bind(&source, &target, "value", "value", PropertyBinder::OneWay));
        target.setValue(9);
        QCOMPARE(source.value(), 4);
        source.setValue(5);
        QCOMPARE(target.value(), 5);

        QVERIFY(binder.bind(&source, &target, "silent", "value", PropertyBinder::OneWay));
        source.setSilent(7);
        QCOMPARE(target.value(), 0);
        QVERIFY(binder.bind(&source, &target, "value", "silent", PropertyBinder::OneTime));
        QCOMPARE(target.silent(), 5);
        source.setValue(6);
        QCOMPARE(target.silent(), 5);
        QVERIFY(!binder.bind(&source, &target, "value", "missing"));
        QVERIFY(!binder.bind(&source, nullptr, "value", "value"));

        // The method form writes with the target's signals blocked.
        QSignalSpy targetChanges(&target, &Knob::valueChanged);
        QVERIFY(binder.bind(&source, &target, {"missing", "value"}, "doubled()", "value"));
        QCOMPARE(target.value(), 12);
        source.setValue(1);
        QCOMPARE(target.value(), 2);
        QVERIFY(targetChanges.isEmpty());

        GlobalConsole::ClearText();
        QVERIFY(!binder.bind(&source, &target, {"value"}, "tripled()", "value"));
        QVERIFY(GlobalConsole::currentText().contains("Method tripled() not found, available methods are:"));
        QVERIFY(GlobalConsole::currentText().contains(" doubled"));
        source.setValue(8);
        QCOMPARE(target.value(), 2);

        auto doomed = std::make_unique<Knob>();
        QVERIFY(binder.bind(doomed.get(), &target, "value", "value", PropertyBinder::TwoWay));
        doomed.reset();
        target.setValue(11);
        QCOMPARE(target.value(), 11);
    }

    void namedImages()
    {
        NamedImageCache cache;
        QImage base(40, 20, QImage::Format_RGB32);
        base.fill(Qt::red);
        cache.setOriginalImage("a", base);
        QCOMPARE(cache.getImage("a", QSize(0, 10)).size(), QSize(40, 20));
        const QImageQPixmap scaled = cache.getImageAndPixmap("a", QSize(10, 10));
        QCOMPARE(scaled.size, QSize(10, 10));
        QCOMPARE(scaled.pixmap.size(), QSize(10, 5));
        QCOMPARE(scaled.image.pixelColor(5, 2), QColor(Qt::red));
        QCOMPARE(cache.getPixmap("a", QSize(10, 10)).cacheKey(), scaled.pixmap.cacheKey());
        QVERIFY(cache.getPixmap("unknown", QSize(10, 10)).isNull());
        cache.setOriginalImage("empty", QImage());
        QVERIFY(cache.getImage("empty", QSize()).isNull());

        // A widget that keeps resizing does not keep every size.
        QList<qint64> keys;
        for (int width = 1; width <= 2 * NamedImageCache::MaxScaledCopies; ++width)
            keys << cache.getPixmap("a", QSize(width, width)).cacheKey();
        QCOMPARE(cache.getPixmap("a", QSize(keys.size(), keys.size())).cacheKey(), keys.last());
        QVERIFY(cache.getPixmap("a", QSize(1, 1)).cacheKey() != keys.first());

        cache.setOriginalPixmap("a", QPixmap::fromImage(base.scaled(20, 20)));
        QCOMPARE(cache.getPixmap("a", QSize(10, 10)).size(), QSize(10, 10));
    }

    void settingsCarryTheLanguage()
    {
        QList<DialogSeam::Request> asked;
        DialogSeam::setHandler([&](const DialogSeam::Request& request) {
            asked << request;
            return DialogSeam::Answer();
        });
        const QString path = folder.filePath("language.xml");
        const QString system = LanguageContext::systemLanguage();
        const QList<QString> allowed{"en_US", "ru_RU"};
        SettingsWithLanguage settings(path, true, allowed);
        settings.reload();
        const QString chosen = allowed.contains(system) ? system : "en_US";
        QCOMPARE(settings.getLanguage(), chosen);
        AbstractMetaDescription* description = settings.metaDescriptor()->propertyByName("Language");
        QCOMPARE(description->enums, allowed);
        QCOMPARE(description->defaultText, chosen);
        QCOMPARE(description->specialType, "StringList");
        QCOMPARE(LanguageContext::currentLanguage(), chosen);
        QVERIFY(asked.isEmpty());

        // Later changes are applied and announced; a code without translations is only stored.
        QSignalSpy changes(&settings, &SettingsWithLanguage::changedLanguage);
        const QString other = chosen == "en_US" ? "ru_RU" : "en_US";
        settings.setLanguage(other);
        settings.setLanguage(other);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(LanguageContext::currentLanguage(), other);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.first().icon, QMessageBox::Warning);
        QVERIFY(asked.first().title.isEmpty());
        QCOMPARE(asked.first().text, SettingsWithLanguage::tr("Language will be changed on program restart"));
        settings.setLanguage("xx_XX");
        QCOMPARE(LanguageContext::currentLanguage(), other);
        QCOMPARE(asked.size(), 1);

        // A stored language is kept; a second load does not fill in a default again.
        settings.setLanguage("fr_FR");
        SettingsWithLanguage stored(path, false, {"de_DE"});
        stored.reload();
        QCOMPARE(stored.getLanguage(), "fr_FR");
        SettingsWithLanguage fresh(folder.filePath("fresh.xml"), false, {"de_DE", "fr_FR"});
        fresh.reload();
        QCOMPARE(fresh.getLanguage(), "de_DE");
        fresh.resetLanguage();
        fresh.reload();
        QVERIFY(fresh.getLanguage().isEmpty());
        DialogSeam::setHandler(nullptr);
        LanguageContext::setLanguage(chosen);
    }
};

QTEST_MAIN(TestGeneralServices)
#include "tst_generalservices.moc"
