#include "CollectionNotifier.h"
#include "CustomMetaDescription.h"
#include "MetaDescription.h"
#include "MetaDescriptor.h"
#include "NotifyString.h"
#include "PropertyCapabilities.h"
#include "SampleSettings.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

// A plain object whose class-info pairs exercise every attribute word and its parsing.
class Described : public QObject
{
    Q_OBJECT
public:
    enum Mode { Off, On };
    Q_ENUM(Mode)

private:
    Q_PROPERTY(int Plain MEMBER plain NOTIFY plainChanged)
    Q_CLASSINFO("PlainEditable", "True")
    Q_CLASSINFO("PlainNotVisible", "false")
    Q_CLASSINFO("PlainPriority", "abc")
    Q_CLASSINFO("PlainMinWidth", "120.9")
    Q_CLASSINFO("PlainMaxWidth", "wide")
    Q_CLASSINFO("PlainMinimum", "QSize(3, 4)")
    Q_CLASSINFO("PlainMaximum", "none")
    Q_CLASSINFO("PlainStep", "0.5f")
    Q_PROPERTY(int Flag MEMBER flag)
    Q_CLASSINFO("FlagEditable", "1")
    Q_PROPERTY(Mode Untyped MEMBER untyped)
    Q_PROPERTY(Mode Typed MEMBER typed)
    Q_CLASSINFO("TypedDefault", "Described::Mode::On")
    Q_CLASSINFO("TypedEditable", "true")
    Q_PROPERTY(QString Quoted MEMBER quoted)
    Q_CLASSINFO("QuotedDefault", "\"\"")
    Q_PROPERTY(QString Unset MEMBER unset)
    Q_PROPERTY(double Big MEMBER big)
    Q_CLASSINFO("BigDefault", "1.5e3")
    Q_PROPERTY(double Half MEMBER half)
    Q_CLASSINFO("HalfDefault", "0.5f")
    Q_CLASSINFO("HalfDefaultOverride", "0.25")
    Q_PROPERTY(QColor Named MEMBER named)
    Q_CLASSINFO("NamedDefault", "QColor(Qt::darkBlue)")
    Q_PROPERTY(QColor Word MEMBER word)
    Q_CLASSINFO("WordDefault", "QColor(\"blue\")")
    Q_PROPERTY(QColor Hex MEMBER hex)
    Q_CLASSINFO("HexDefault", "QColor(\"#123456\")")
    Q_PROPERTY(QString Computed MEMBER computed)
    Q_CLASSINFO("ComputedDefault", "computedDefault()")
    Q_PROPERTY(QString Bound MEMBER bound)
    Q_CLASSINFO("BoundVisibleBound", "!ShowCycles;Mode:A:B;;Advanced")
    Q_CLASSINFO("BoundVisibleBinded", "Ignored:true")
    Q_PROPERTY(QString Legacy MEMBER legacy)
    Q_CLASSINFO("LegacyVisibleBinded", "ShowCycles:true")
    Q_PROPERTY(QString Picked MEMBER picked)
    Q_CLASSINFO("PickedSpecialType", "PickFile:xml;json")
    Q_CLASSINFO("PickedDescription", "The file")
    Q_CLASSINFO("PickedPlaceholder", "")
    Q_CLASSINFO("PickedCategory", "1.Main")
    Q_CLASSINFO("PickedNoDefault", "")
    Q_CLASSINFO("PickedReadOnly", "")
    Q_CLASSINFO("PickedDisplayName", "File to use")
    Q_CLASSINFO("PickedIcon", ":/icons/folder-open.svg")
    Q_CLASSINFO("PickedPrefix", "at ")
    Q_PROPERTY(int Constant READ getConstant)

public:
    Q_INVOKABLE QString computedDefault() const { return QStringLiteral("from the class"); }
    int getConstant() const { return 1; }

signals:
    void plainChanged(int value);

private:
    int plain = 0;
    int flag = 0;
    Mode untyped = Off;
    Mode typed = Off;
    QString quoted;
    QString unset;
    double big = 0;
    double half = 0;
    QColor named;
    QColor word;
    QColor hex;
    QString computed;
    QString bound;
    QString legacy;
    QString picked;
};

// A subclass that declares a base class's attribute again wins.
class DerivedSample : public SampleSettings
{
    Q_OBJECT
    Q_CLASSINFO("ThresholdCategory", "2.Detection")
    Q_CLASSINFO("LabelDefault", "\"other\"")
public:
    using SampleSettings::SampleSettings;
};

class TestMetaDescriptor : public QObject
{
    Q_OBJECT

    Described described;
    MetaDescriptor descriptor;

    MetaDescription* of(const QString& name) { return qobject_cast<MetaDescription*>(descriptor.propertyByName(name)); }

private slots:
    void initTestCase() { descriptor.set(&described); }

    void describesWritablePropertiesInOrder()
    {
        QCOMPARE(descriptor.count(), 15);
        QCOMPARE(descriptor.at(0)->name, QStringLiteral("Plain"));
        QCOMPARE(descriptor.at(14)->name, QStringLiteral("Picked"));
        QVERIFY(!descriptor.at(-1));
        QVERIFY(!descriptor.at(15));
        QVERIFY(!descriptor.propertyByName("objectName"));
        QVERIFY(!descriptor.propertyByName("Constant"));
        QCOMPARE(descriptor.propertyByName("PLAIN"), descriptor.at(0));
        QCOMPARE(descriptor.getPropertiesNameAndType().value("Untyped"), QStringLiteral("Described::Mode"));
        QCOMPARE(descriptor.getClassName(), QStringLiteral("Described"));
    }

    void onlyTheWordTrueMakesEditable()
    {
        QVERIFY(!of("Plain")->editable);
        QVERIFY(!of("Flag")->editable);
        QVERIFY(of("Typed")->editable);
    }

    void presenceWordsAndTexts()
    {
        QVERIFY(!of("Plain")->visible);
        QVERIFY(of("Typed")->visible);
        MetaDescription* picked = of("Picked");
        QVERIFY(!picked->showDefault);
        QVERIFY(picked->readOnly);
        QCOMPARE(picked->displayName, QStringLiteral("File to use"));
        QCOMPARE(of("Plain")->displayName, QStringLiteral("Plain"));
        QCOMPARE(picked->specialType, QStringLiteral("PickFile:xml;json"));
        QCOMPARE(picked->pickOption, QStringLiteral("PickFile"));
        QCOMPARE(picked->pickExtensions, QStringLiteral("xml;json"));
        QVERIFY(picked->hasSpecialType);
        QCOMPARE(picked->extraInfo, (QMap<QString, QString>{{"Description", "The file"}}));
        QCOMPARE(picked->category, QStringLiteral("1.Main"));
        QCOMPARE(picked->icon, QStringLiteral(":/icons/folder-open.svg"));
        QCOMPARE(picked->prefix, QStringLiteral("at "));
        QCOMPARE(picked->getClassInfo("Icon"), QStringLiteral(":/icons/folder-open.svg"));
        QVERIFY(picked->getClassInfo("Nothing").isNull());
        QCOMPARE(picked->clindex("Nothing"), -1);
        QCOMPARE(picked->clinfo("Icon"), QStringLiteral("PickedIcon"));
    }

    void numbersFollowTheNumberRule()
    {
        MetaDescription* plain = of("Plain");
        QCOMPARE(plain->priority, 0);
        QCOMPARE(of("Typed")->priority, std::numeric_limits<int>::max());
        QVERIFY(plain->hasMinWidth);
        QCOMPARE(plain->minWidth, 120);
        QVERIFY(!plain->hasMaxWidth);
        QCOMPARE(plain->maxWidth, -1);
        QVERIFY(plain->hasMinimum);
        QCOMPARE(plain->minimum, 3.0);
        QVERIFY(!plain->hasMaximum);
        QVERIFY(plain->hasStep);
        QCOMPARE(plain->step, 0.5);
    }

    void defaults()
    {
        QVERIFY(!of("Untyped")->hasDefault);
        QCOMPARE(of("Untyped")->typeName, QStringLiteral("Described::Mode"));
        QCOMPARE(of("Untyped")->typeId, QMetaType::fromType<Described::Mode>().id());
        QCOMPARE(of("Typed")->typeName, QStringLiteral("Enum"));
        QCOMPARE(of("Typed")->typeId, 2);
        QCOMPARE(of("Typed")->defaultText, QStringLiteral("On"));
        QVERIFY(of("Quoted")->hasDefault);
        QCOMPARE(of("Quoted")->defaultText, QString());
        QVERIFY(!of("Unset")->hasDefault);
        QCOMPARE(of("Big")->defaultText, QStringLiteral("1.5e3"));
        QCOMPARE(of("Half")->defaultText, QStringLiteral("0.25"));
        QCOMPARE(of("Named")->defaultText, QStringLiteral("#000080"));
        QCOMPARE(of("Word")->defaultText, QStringLiteral("#0000ff"));
        QCOMPARE(of("Hex")->defaultText, QStringLiteral("#123456"));
        QCOMPARE(of("Computed")->defaultText, QStringLiteral("from the class"));
        // Integers as C++ declares them: the editors compare the value with this text.
        SampleSettings sample;
        QCOMPARE(sample.metaDescriptor()->propertyByName("Mask")->defaultText, QStringLiteral("255"));
    }

    void visibilityConditions()
    {
        QCOMPARE(of("Bound")->visibleBound,
                 (QMap<QString, QString>{{"ShowCycles", "false"}, {"Mode", "A:B"}, {"Advanced", "true"}}));
        QCOMPARE(of("Legacy")->visibleBound, (QMap<QString, QString>{{"ShowCycles", "true"}}));
        QVERIFY(of("Plain")->visibleBound.isEmpty());
    }

    void valuesThroughTheDescription()
    {
        MetaDescription* typed = of("Typed");
        QVERIFY(typed->isEnumType());
        QCOMPARE(QString(typed->enumerator().name()), QStringLiteral("Mode"));
        QVERIFY(typed->setValue(QStringLiteral("On")));
        QCOMPARE(typed->getValue().value<Described::Mode>(), Described::On);
        QVERIFY(typed->setTextValue("Off"));
        QVERIFY(!typed->setTextValue("Sideways"));
        QVERIFY(!typed->setTextValue("7"));
        QCOMPARE(typed->getValue().value<Described::Mode>(), Described::Off);
        QSignalSpy changed(of("Plain"), &AbstractMetaDescription::valueChanged);
        QVERIFY(of("Plain")->setValue(5));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().first().toInt(), 5);
        QVERIFY(!descriptor.setValue("Constant", 3));
        QVERIFY(descriptor.setTextValue("plain", "8"));
        QCOMPARE(of("Plain")->getValue().toInt(), 8);
    }

    void setDefaultAdoptsTheResetValue()
    {
        DerivedSample settings;
        MetaDescription* label = settings.getPropertyByName("Label");
        QCOMPARE(label->defaultText, QStringLiteral("other"));
        settings.setLabel("changed");
        QSignalSpy changed(label, &AbstractMetaDescription::valueChanged);
        label->setDefault();
        QCOMPARE(settings.getLabel(), QStringLiteral("xlsx"));
        QCOMPARE(label->defaultText, QStringLiteral("xlsx"));
        QVERIFY(changed.count() >= 1);
        QCOMPARE(settings.getPropertyByName("Threshold")->category, QStringLiteral("2.Detection"));
        QCOMPARE(settings.getPropertyByName("Tint")->defaultText, QStringLiteral("#ff0000"));
        QCOMPARE(settings.getPropertyByName("FrameSize")->defaultText, QStringLiteral("QSize(640,480)"));
    }

    void numberParsingHelpers()
    {
        double first = -1;
        double second = -1;
        QVERIFY(MetaDescription::parsePointOrSize("QSize(640, 480)", first, second));
        QCOMPARE(first, 640.0);
        QCOMPARE(second, 480.0);
        QVERIFY(MetaDescription::parsePointOrSize("640,480", first, second));
        QVERIFY(!MetaDescription::parsePointOrSize("640", first, second));
        QVERIFY(!MetaDescription::parsePointOrSize("1,2,3", first, second));
        double target = 7;
        QVERIFY(MetaDescription::assignDouble(target, "1920"));
        QCOMPARE(target, 1920.0);
        QVERIFY(!MetaDescription::assignDouble(target, "text"));
        QVERIFY(!MetaDescription::assignDouble(target, ""));
        QCOMPARE(target, 1920.0);
        int whole = 0;
        QVERIFY(MetaDescription::assignInt(whole, "-3.9"));
        QCOMPARE(whole, -3);
        QVERIFY(!MetaDescription::assignInt(whole, "1e20"));
    }

    void xmlReadingRules()
    {
        SampleSettings settings;
        QVERIFY(settings.loadFromXMLString("<SampleSettings><a><b><Threshold>5</Threshold></b></a>"
                                           "<Threshold>6</Threshold><Threshold>7</Threshold>"
                                           "<threshold>99</threshold></SampleSettings>"));
        QCOMPARE(settings.getThreshold(), 7);
        // The root may name the class or one of its bases; any other class is refused whole.
        QVERIFY(settings.loadFromXMLString("<AbstractSettings><Threshold>9</Threshold></AbstractSettings>"));
        QCOMPARE(settings.getThreshold(), 9);
        QVERIFY(settings.metaDescriptor()->lastLoadError().isEmpty());
        QVERIFY(!settings.loadFromXMLString("<Other><Threshold>4</Threshold></Other>"));
        QCOMPARE(settings.getThreshold(), 9);
        QVERIFY(settings.metaDescriptor()->lastLoadError().contains("Other"));
        QVERIFY(settings.loadFromXMLString(QChar(0xFEFF)
                                           + QStringLiteral("<SampleSettings><Threshold>8</Threshold>"
                                                            "</SampleSettings>")));
        QCOMPARE(settings.getThreshold(), 8);
        QVERIFY(settings.metaDescriptor()->lastLoadError().isEmpty());
    }

    void capabilityJson()
    {
        SampleSettings settings;
        const QJsonArray visible = settings.getAllCapabilitiesJson(false);
        QCOMPARE(visible.size(), 15);
        QCOMPARE(settings.getAllCapabilitiesJson(true).size(), 16);
        const QJsonObject threshold = visible.at(0).toObject();
        QCOMPARE(threshold.value("name").toString(), QStringLiteral("Threshold"));
        QCOMPARE(threshold.value("type").toString(), QStringLiteral("int"));
        QCOMPARE(threshold.value("value").toInt(), 20);
        QCOMPARE(threshold.value("default").toString(), QStringLiteral("20"));
        QCOMPARE(threshold.value("min").toDouble(), 1.0);
        QCOMPARE(threshold.value("max").toDouble(), 200.0);
        QCOMPARE(threshold.value("step").toDouble(), 1.0);
        QCOMPARE(threshold.value("category").toString(), QStringLiteral("1.Main"));
        QCOMPARE(threshold.value("suffix").toString(), QStringLiteral(" px"));
        QVERIFY(!threshold.contains("nameTranslated"));
        QVERIFY(!threshold.contains("suffixTranslated"));
        const QJsonObject pace = visible.at(13).toObject();
        QCOMPARE(pace.value("type").toString(), QStringLiteral("Enum"));
        QCOMPARE(pace.value("value").toString(), QStringLiteral("Fast"));
        QCOMPARE(pace.value("enum").toArray(), QJsonArray({"Slow", "Fast", "Adaptive"}));
        QCOMPARE(pace.value("enumTranslations").toArray(), QJsonArray({"Slow", "Fast", "Adaptive"}));
        QVERIFY(!visible.at(1).toObject().contains("category"));
        QVERIFY(!visible.at(1).toObject().contains("categoryTranslated"));
    }

    void capabilityJsonOfAttributes()
    {
        MetaDescriptor own;
        Described object;
        own.set(&object);
        const auto capabilities = [&](const QString& name) {
            return PropertyCapabilities::json(own.propertyByName(name));
        };
        const QJsonObject picked = capabilities("Picked");
        QCOMPARE(picked.value("hideDefault").toBool(), true);
        QCOMPARE(picked.value("readOnly").toBool(), true);
        QCOMPARE(picked.value("pickOption").toString(), QStringLiteral("PickFile"));
        QCOMPARE(picked.value("Description").toString(), QStringLiteral("The file"));
        QCOMPARE(picked.value("description").toString(), QStringLiteral("The file"));
        QCOMPARE(picked.value("prefix").toString(), QStringLiteral("at "));
        QCOMPARE(capabilities("Plain").value("hidden").toBool(), true);
        QCOMPARE(capabilities("Bound").value("visibleBound").toString(),
                 QStringLiteral("Advanced:true;Mode:A:B;ShowCycles:false"));
    }

    void capabilityTexts()
    {
        SampleSettings settings;
        QCOMPARE(settings.getPropertyCapabilities(QStringLiteral("Threshold")).value("Threshold"),
                 QStringLiteral("[\"name\"=\"Threshold\", \"type\"=\"int\", \"default\"=\"20\", \"value\"=\"20\", "
                                "\"minimum\"=\"1\", \"maximum\"=\"200\", \"step\"=\"1\"]"));
        QCOMPARE(settings.getPropertyCapabilities(QStringLiteral("Pace")).value("Pace"),
                 QStringLiteral("[\"name\"=\"Pace\", \"type\"=\"Enum\", \"default\"=\"Fast\", \"value\"=\"Fast\"]"));
        QVERIFY(settings.getPropertyCapabilities(QStringLiteral("threshold")).isEmpty());
        QCOMPARE(settings.getAllCapabilities().size(), 16);
        QCOMPARE(settings.getAllCapabilities().at(2).firstKey(), QStringLiteral("Offset"));
        QVERIFY(settings.getAllCapabilities().at(2).first().contains("\"minimum\"=\"\""));
    }

    void customDescription()
    {
        auto* custom = qobject_cast<CustomMetaDescription*>(
            CustomMetaDescription::staticMetaObject.newInstance(Q_ARG(QObject*, nullptr)));
        QVERIFY(custom);
        QVERIFY(!custom->isEnumType());
        custom->enums = {"a", "b"};
        QVERIFY(custom->isEnumType());
        QVERIFY(!custom->enumerator().isValid());
        QSignalSpy changed(custom, &AbstractMetaDescription::valueChanged);
        QVERIFY(custom->setValue(5));
        QCOMPARE(custom->getValue().toInt(), 5);
        custom->setDefault();
        QCOMPARE(custom->getValue().toInt(), 5);
        custom->defaultText = "b";
        custom->hasDefault = true;
        custom->setDefault();
        QCOMPARE(custom->getValue().toString(), QStringLiteral("b"));
        QVERIFY(custom->setTextValue("a"));
        QCOMPARE(custom->getValue().toString(), QStringLiteral("a"));
        QCOMPARE(changed.count(), 0);
        delete custom;
    }

    void notifyString()
    {
        auto* text = qobject_cast<NotifyString*>(NotifyString::staticMetaObject.newInstance());
        QVERIFY(text);
        QSignalSpy changed(text, &NotifyString::changedValue);
        text->setValue("same");
        text->setValue("same");
        QCOMPARE(changed.count(), 2);
        MetaDescriptor own;
        own.set(text);
        QCOMPARE(own.count(), 1);
        QVERIFY(own.at(0)->editable);
        QVERIFY(!own.at(0)->hasDefault);
        QCOMPARE(own.saveToJsonString(), QStringLiteral("{\"Value\":\"same\"}"));
        QVERIFY(own.loadFromXmlString("<NotifyString><Value>loaded</Value></NotifyString>"));
        QCOMPARE(text->getValue(), QStringLiteral("loaded"));
        delete text;
    }

    void collectionNotifier()
    {
        CollectionNotifier notifier;
        NotifyString item;
        QSignalSpy any(&notifier, &CollectionNotifier::itemAnyPropertyChanged);
        connect(&item, &NotifyString::changedValue, &notifier, &CollectionNotifier::onItemChangedProperty);
        item.setValue("x");
        item.setValue("y");
        QCOMPARE(any.count(), 2);
        QVERIFY(!notifier.parent());
    }
};

QTEST_GUILESS_MAIN(TestMetaDescriptor)
#include "tst_metadescriptor.moc"
