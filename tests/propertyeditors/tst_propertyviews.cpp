#include "AbstractMetaDescriptor.h"
#include "BasePropertyView.h"
#include "CustomMetaDescription.h"
#include "DialogSeam.h"
#include "DirectJumpSlider.h"
#include "DoubleSpinBoxWithSuggestions.h"
#include "EditableLabel.h"
#include "LanguageContext.h"
#include "PropertyViewFactory.h"
#include "SampleSettings.h"
#include "SpecialPropertyView.h"
#include "StyleHelper.h"
#include "TypedKeys.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QWheelEvent>

#include <memory>
#include <thread>

// Properties with the editor attributes the views read.
class EditorSample : public ZTSettings
{
    Q_OBJECT
public:
    enum Side { Left, Right, Both };
    Q_ENUM(Side)
    // Named as the program's language choice, so that the translations name the languages.
    enum KestrumLanguage { ru_RU, en_US };
    Q_ENUM(KestrumLanguage)

    ZT_BOUNDED_PROPERTY(double, Current, 2.0, 0.0, 15.0, 0.1)
    Q_CLASSINFO("CurrentSpecialType", "Slider")
    Q_CLASSINFO("CurrentPrecision", "1")
    Q_CLASSINFO("CurrentSuffix", " mA")
    ZT_BOUNDED_PROPERTY(int, Brightness, 100, 0, 100, 10)
    Q_CLASSINFO("BrightnessSpecialType", "Slider")
    ZT_PROPERTY(int, Count, 5)
    Q_CLASSINFO("CountMinimum", "0.9")
    Q_CLASSINFO("CountSuffix", " s")
    ZT_PROPERTY(double, Gain, 1.0)
    Q_CLASSINFO("GainSuggestions", "1, 2.5, x, 10")
    ZT_PROPERTY(QPointF, Span, QPointF(2, 5))
    Q_CLASSINFO("SpanSpecialType", "Range")
    Q_CLASSINFO("SpanMinimum", "0")
    Q_CLASSINFO("SpanMaximum", "10")
    ZT_PROPERTY(Side, Placement, EditorSample::Left)
    ZT_PROPERTY(QString, Mode, "Low")
    Q_CLASSINFO("ModeSpecialType", "StringList")
    ZT_PROPERTY(int, Choice, -1)
    Q_CLASSINFO("ChoiceSpecialType", "EnumStringList")
    ZT_PROPERTY(QString, Notes, "")
    Q_CLASSINFO("NotesSpecialType", "Multiline")
    ZT_PROPERTY(QString, Folder, "")
    Q_CLASSINFO("FolderSpecialType", "PickFolder")
    ZT_PROPERTY(QString, Picture, "")
    Q_CLASSINFO("PictureSpecialType", "PickFile:Image")
    ZT_PROPERTY(QString, Name, "Rat")
    ZT_PROPERTY(QString, Title, "Run")
    Q_CLASSINFO("TitleSpecialType", "Stretch")
    ZT_PROPERTY(QDate, Day, QDate(2024, 1, 2))
    ZT_PROPERTY(QDateTime, Stamp, QDateTime())
    ZT_PROPERTY(int, Locked, 3)
    Q_CLASSINFO("LockedReadOnly", "true")
    ZT_PROPERTY(int, Plain, 3)
    Q_CLASSINFO("PlainNoDefault", "true")
    ZT_PROPERTY(QColor, Shade, QColor(Qt::red))
    Q_CLASSINFO("ShadeSpecialType", "Alpha")
    ZT_PROPERTY(StyleHelper::ColorThemeEnum, Theme, StyleHelper::System)
    ZT_PROPERTY(KestrumLanguage, Language, EditorSample::ru_RU)
    ZT_PROPERTY(bool, Mirrored, false)
    ZT_PROPERTY(QString, Shelter, "Dark side")
    Q_CLASSINFO("ShelterSpecialType", "StringList")

public:
    using ZTSettings::ZTSettings;
};

namespace {
// Shows every text of the contexts it serves in angle brackets, so a test sees what was translated.
class BracketTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        const QByteArray name(context);
        return name == "Generic" || name == "Speed" ? QStringLiteral("<%1>").arg(QString::fromUtf8(sourceText))
                                                    : QString();
    }
};

// A view of one property of the settings object, in a window of its own.
std::unique_ptr<BasePropertyView> viewOf(ZTSettings& settings, const QString& name, int* span = nullptr)
{
    int columns = 0;
    std::unique_ptr<BasePropertyView> view(
        PropertyViewFactory::create(settings.metaDescriptor()->propertyByName(name), nullptr, columns));
    if (span)
        *span = columns;
    return view;
}

template <typename Editor>
Editor* editorOf(BasePropertyView& view)
{
    return view.findChild<Editor*>();
}

QPushButton* defaultButtonOf(BasePropertyView& view)
{
    return view.findChild<QPushButton*>(QStringLiteral("propertyDefaultButton"));
}

// Delivers the queued echoes of the changes made so far.
void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

struct PickRecorder
{
    QList<DialogSeam::Request> requests;
    QStringList answer;

    PickRecorder()
    {
        DialogSeam::setHandler([this](const DialogSeam::Request& request) {
            requests.append(request);
            DialogSeam::Answer reply;
            reply.paths = answer;
            return reply;
        });
    }
    ~PickRecorder() { DialogSeam::setHandler({}); }
};
} // namespace

class TestPropertyViews : public QObject
{
    Q_OBJECT

private slots:
    void viewIsChosenByTypeAndSpecialKind_data()
    {
        QTest::addColumn<bool>("sample");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("view");
        QTest::addColumn<int>("span");
        QTest::newRow("PickFile") << false << "Picture"
                                  << "SpecialPropertyView" << 2;
        QTest::newRow("PickFolder") << false << "Folder"
                                    << "SpecialPropertyView" << 2;
        QTest::newRow("Multiline") << false << "Notes"
                                   << "MultilinePropertyView" << 2;
        QTest::newRow("Slider") << false << "Current"
                                << "SliderPropertyView" << 1;
        QTest::newRow("EnumStringList") << false << "Choice"
                                        << "EnumStringListPropertyView" << 1;
        QTest::newRow("StringList on a text") << false << "Mode"
                                              << "EnumStringListPropertyView" << 1;
        QTest::newRow("Range") << false << "Span"
                               << "DualDoubleSpinBox" << 1;
        QTest::newRow("enumeration") << false << "Placement"
                                     << "EnumPropertyView" << 1;
        QTest::newRow("QPointF") << true << "Centre"
                                 << "DualDoubleSpinBox" << 1;
        QTest::newRow("QPoint") << true << "Origin"
                                << "DualDoubleSpinBox" << 1;
        QTest::newRow("bool") << true << "Enabled"
                              << "BoolPropertyView" << 1;
        QTest::newRow("int") << true << "Threshold"
                             << "IntPropertyView" << 1;
        QTest::newRow("uint") << true << "Mask"
                              << "IntPropertyView" << 1;
        QTest::newRow("qlonglong") << true << "Counter"
                                   << "IntPropertyView" << 1;
        QTest::newRow("QDate") << false << "Day"
                               << "DatePropertyView" << 1;
        QTest::newRow("QDateTime") << false << "Stamp"
                                   << "DatePropertyView" << 1;
        QTest::newRow("double") << true << "Ratio"
                                << "DoublePropertyView" << 1;
        QTest::newRow("float") << true << "Gain"
                               << "DoublePropertyView" << 1;
        QTest::newRow("QColor") << true << "Tint"
                                << "ColorPropertyView" << 1;
        QTest::newRow("QColor, Alpha") << false << "Shade"
                                       << "ColorPropertyView" << 1;
        QTest::newRow("QStringList") << true << "Names"
                                     << "StringListPropertyView" << 1;
        QTest::newRow("QString") << true << "Label"
                                 << "StringPropertyView" << 2;
        QTest::newRow("QString, Stretch") << false << "Title"
                                          << "StringPropertyView" << 2;
        QTest::newRow("QSize") << true << "FrameSize"
                               << "StringPropertyView" << 2;
    }

    void viewIsChosenByTypeAndSpecialKind()
    {
        QFETCH(bool, sample);
        QFETCH(QString, property);
        QFETCH(QString, view);
        QFETCH(int, span);
        SampleSettings sampleSettings;
        EditorSample editorSettings;
        int columns = 0;
        const auto chosen =
            viewOf(sample ? static_cast<ZTSettings&>(sampleSettings) : editorSettings, property, &columns);
        QCOMPARE(chosen->metaObject()->className(), view);
        QCOMPARE(columns, span);
        QVERIFY(chosen->getEditor());
    }

    void defaultButtonMarksValuesOtherThanTheDefault_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("isDefault");
        QTest::newRow("int") << "Count" << QVariant(5) << true;
        QTest::newRow("int, other") << "Count" << QVariant(6) << false;
        QTest::newRow("enumeration") << "Placement" << QVariant::fromValue(EditorSample::Left) << true;
        QTest::newRow("enumeration, other") << "Placement" << QVariant::fromValue(EditorSample::Both) << false;
        QTest::newRow("double within 0.00001") << "Gain" << QVariant(1.000001) << true;
        QTest::newRow("double, other") << "Gain" << QVariant(1.1) << false;
        QTest::newRow("slider, declared 2.0") << "Current" << QVariant(2) << true;
        QTest::newRow("slider, other") << "Current" << QVariant(0.5) << false;
        QTest::newRow("text") << "Title" << QVariant("Run") << true;
        QTest::newRow("text, other") << "Title" << QVariant("Walk") << false;
        QTest::newRow("colour") << "Shade" << QVariant(QColor(Qt::red)) << true;
        QTest::newRow("colour, other") << "Shade" << QVariant(QColor(Qt::blue)) << false;
        QTest::newRow("range") << "Span" << QVariant(QPointF(2, 5)) << true;
        QTest::newRow("range, other") << "Span" << QVariant(QPointF(2, 6)) << false;
    }

    void defaultButtonMarksValuesOtherThanTheDefault()
    {
        QFETCH(QString, property);
        QFETCH(QVariant, value);
        QFETCH(bool, isDefault);
        EditorSample settings;
        const QVariant declared = settings.getValue(property);
        const auto view = viewOf(settings, property);
        QPushButton* button = defaultButtonOf(*view);
        QVERIFY(button);
        QVERIFY(!button->isChecked());
        QVERIFY(settings.setValue(property, value));
        settle();
        QCOMPARE(button->isChecked(), !isDefault);
        button->click();
        QCOMPARE(settings.getValue(property), declared);
        settle();
        QVERIFY(!button->isChecked());
    }

    void noDefaultButtonWhenReadOnlyOrNoDefault()
    {
        EditorSample settings;
        QVERIFY(!defaultButtonOf(*viewOf(settings, "Locked")));
        QVERIFY(!defaultButtonOf(*viewOf(settings, "Plain")));
        SampleSettings sample;
        QCOMPARE(defaultButtonOf(*viewOf(sample, "Threshold"))->toolTip(), QStringLiteral("Set default to '20 px'"));
    }

    // The default button names the default as the editor shows that value, never the stored word.
    void defaultButtonNamesTheDefaultAsShown_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("russian");
        QTest::newRow("enumeration") << "Theme"
                                     << "System" << QStringLiteral("По выбору системы");
        QTest::newRow("language") << "Language" << QStringLiteral("Русский") << QStringLiteral("Русский");
        QTest::newRow("check box") << "Mirrored"
                                   << "No" << QStringLiteral("Нет");
        QTest::newRow("number with a unit") << "Current"
                                            << "2.0 mA" << QStringLiteral("2,0 мА");
        QTest::newRow("text choice") << "Shelter"
                                     << "Dark side" << QStringLiteral("Тёмная сторона");
    }

    void defaultButtonNamesTheDefaultAsShown()
    {
        QFETCH(QString, property);
        QFETCH(QString, english);
        QFETCH(QString, russian);
        // The language the program starts in on this machine, as it installs it.
        const QString language = LanguageContext::AutoDetectLanguage(QString());
        QTranslator translator;
        QVERIFY(translator.load(QStringLiteral(":/translations/Kestrum_%1.qm").arg(language)));
        QCoreApplication::installTranslator(&translator);
        const auto uninstall = qScopeGuard([&translator] { QCoreApplication::removeTranslator(&translator); });
        EditorSample settings;
        settings.metaDescriptor()->propertyByName("Shelter")->enums = QStringList{"Bright side", "Dark side"};
        const auto view = viewOf(settings, property);
        const QString shown = language == u"ru_RU" ? russian : english;
        QCOMPARE(defaultButtonOf(*view)->toolTip(),
                 QCoreApplication::translate("BasePropertyView", "Set default to") + " '" + shown + "'");
        if (auto* choice = editorOf<QComboBox>(*view))
            QCOMPARE(choice->currentText(), shown);
        if (auto* number = editorOf<QDoubleSpinBox>(*view))
            QCOMPARE(number->text(), shown);
    }

    // A property's change reaches its view queued, from any thread; an edit reaches the property
    // at once and its echo writes nothing back.
    void valuesFlowBothWays()
    {
        SampleSettings settings;
        const auto view = viewOf(settings, "Threshold");
        auto* spinBox = editorOf<QSpinBox>(*view);
        QCOMPARE(spinBox->value(), 20);
        QCOMPARE(spinBox->suffix(), QStringLiteral(" px"));

        settings.setThreshold(50);
        QCOMPARE(spinBox->value(), 20);
        QTRY_COMPARE(spinBox->value(), 50);

        QSignalSpy stores(&settings, &SampleSettings::changedThreshold);
        spinBox->setValue(60);
        QCOMPARE(settings.getThreshold(), 60);
        settle();
        QCOMPARE(stores.count(), 1);
        spinBox->setValue(500);
        QCOMPARE(settings.getThreshold(), 200);

        std::thread([&settings] { settings.setThreshold(77); }).join();
        QTRY_COMPARE(spinBox->value(), 77);
    }

    void numericBoundsStepsAndSuggestions()
    {
        EditorSample settings;
        const auto plain = viewOf(settings, "Plain");
        QCOMPARE(editorOf<QSpinBox>(*plain)->minimum(), INT_MIN);
        QCOMPARE(editorOf<QSpinBox>(*plain)->maximum(), INT_MAX);
        const auto count = viewOf(settings, "Count");
        QCOMPARE(editorOf<QSpinBox>(*count)->minimum(), 0);
        count->up();
        QCOMPARE(settings.getCount(), 5);

        SampleSettings sample;
        const auto offset = viewOf(sample, "Offset");
        offset->up();
        QCOMPARE(sample.getOffset(), 421.0);

        const auto gainView = viewOf(settings, "Gain");
        auto* gain = editorOf<DoubleSpinBoxWithSuggestions>(*gainView);
        QCOMPARE(gain->getSuggestions(), QList<double>({1, 2.5, 10}));
        gain->setValue(2.6);
        gain->stepBy(1);
        QCOMPARE(settings.getGain(), 10.0);
        gain->setValue(1);
        gain->stepBy(-1);
        QCOMPARE(gain->value(), 1.0);
        gain->stepBy(5);
        QCOMPARE(settings.getGain(), 10.0);
    }

    void pairsStoreTheirType()
    {
        EditorSample settings;
        const auto range = viewOf(settings, "Span");
        const QList<QDoubleSpinBox*> ends = range->findChildren<QDoubleSpinBox*>();
        QCOMPARE(ends.size(), 2);
        ends[0]->setValue(3);
        QCOMPARE(settings.getSpan(), QPointF(3, 5));
        // The lower end passing the upper one takes it along.
        ends[0]->setValue(7);
        QCOMPARE(settings.getSpan(), QPointF(7, 7));
        QCOMPARE(ends[1]->value(), 7.0);

        SampleSettings sample;
        const auto origin = viewOf(sample, "Origin");
        origin->findChildren<QDoubleSpinBox*>().at(0)->setValue(10.7);
        QCOMPARE(sample.getOrigin(), QPoint(10, 20));
        const auto centre = viewOf(sample, "Centre");
        centre->findChildren<QDoubleSpinBox*>().at(1)->setValue(3.5);
        QCOMPARE(sample.getCentre(), QPointF(1.5, 3.5));
    }

    // A number typed with either decimal sign, in either language, is the number meant, never
    // ten times it. What a field cannot read as its number (a whole number with a decimal sign,
    // a number beyond the range) gives the value before back. Nothing is stored before the
    // entry is finished, with Enter or by leaving the field: swapping the sign of "1,5" passes
    // through "15", the grid current's maximum. A step is stored at once, as the number shown.
    // Once taken, the number shows in the language.
    void typedNumbersAreTakenAsMeant_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("property");
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("stored");
        for (const QString language : {"en_US", "ru_RU"}) {
            const auto row = [&language](const char* field, const char* property, int box, const QString& typed,
                                         double stored) {
                QTest::addRow("%s %s %s", qPrintable(language), field, qPrintable(typed))
                    << language << property << box << typed << stored;
            };
            for (const QChar sign : {u'.', u','}) {
                const auto typed = [sign](QString text) { return text.replace(u'.', sign); };
                row("slider", "Current", 0, typed("0.5"), 0.5);
                row("slider", "Current", 0, typed("1.5"), 1.5);
                row("slider", "Current", 0, typed("10.5"), 10.5);
                row("slider, too many decimals", "Current", 0, typed("0.55"), 0.5);
                const QChar other = sign == u'.' ? u',' : u'.';
                row("slider, sign swapped", "Current", 0, QString(u'1') + other + QStringLiteral("5←⌫") + sign + u'⇥',
                    1.5);
                row("spin box with suggestions", "Gain", 0, typed("0.5"), 0.5);
                row("range lower end", "Span", 0, typed("1.5"), 1.5);
                row("range upper end", "Span", 1, typed("7.5"), 7.5);
                // No whole number: the value before stays.
                row("whole number", "Count", 0, typed("1.5"), 5);
                row("whole number", "Count", 0, typed("1.000"), 5);
                row("whole-number slider", "Brightness", 0, typed("5.5"), 100);
            }
            row("slider, beyond the range", "Current", 0, "16", 2);
            row("slider, stepped", "Current", 0, "0.5↑↑↑", 0.8);
            row("spin box with suggestions, stepped", "Gain", 0, "2.6↑", 10);
            row("spin box, not a number", "Gain", 0, "x", 1);
            // The separator is refused; the digits are the number meant.
            row("whole number, digit groups", "Count", 0, "1 000", 1000);
        }
    }

    void typedNumbersAreTakenAsMeant()
    {
        QFETCH(QString, language);
        QFETCH(QString, property);
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(double, stored);
        QLocale::setDefault(QLocale(language));
        const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::system()); });
        EditorSample settings;
        const auto view = viewOf(settings, property);
        view->show();
        auto* spinBox = view->findChildren<QAbstractSpinBox*>().at(box);
        spinBox->setFocus();
        spinBox->selectAll();
        const QVariant before = settings.getValue(property);
        bool taken = false;
        for (const QChar key : typed) {
            pressKey(spinBox, key);
            settle();
            taken = taken || takesTheNumber(key);
            if (!taken)
                QCOMPARE(settings.getValue(property), before);
        }
        const auto shown = [&](const QString& number) {
            const QString suffix = spinBox->property("suffix").toString();
            return spinBox->property("prefix").toString() + number + suffix;
        };
        if (QString(typed).replace(u',', u'.').toDouble() == stored)
            QCOMPARE(spinBox->text(), shown(typed));
        if (!taken)
            QTest::keyClick(spinBox, Qt::Key_Return);
        const QVariant value = settings.getValue(property);
        const QPointF pair = value.toPointF();
        // Exactly: 0.7999999999999999 would pass a fuzzy comparison with 0.8.
        const double number = property != "Span" ? value.toDouble() : box == 0 ? pair.x() : pair.y();
        QCOMPARE(QString::number(number, 'g', 17), QString::number(stored, 'g', 17));
        const int decimals = spinBox->property("decimals").isValid() ? spinBox->property("decimals").toInt() : 0;
        QLocale inLanguage(language);
        inLanguage.setNumberOptions(QLocale::OmitGroupSeparator);
        QCOMPARE(spinBox->text(), shown(inLanguage.toString(stored, 'f', decimals)));
        QTest::keyClick(spinBox, Qt::Key_Return);
        QCOMPARE(settings.getValue(property), value);
    }

    // A grid current is set in steps of its declared 0.1 mA, with the spin box or the slider.
    void sliderWorksInStepsOfAFractionalStep()
    {
        EditorSample settings;
        const auto view = viewOf(settings, "Current");
        view->show();
        auto* slider = editorOf<DirectJumpSlider>(*view);
        auto* spinBox = editorOf<QDoubleSpinBox>(*view);
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 150);
        QCOMPARE(slider->value(), 20);
        QCOMPARE(spinBox->decimals(), 1);
        QCOMPARE(spinBox->suffix(), QStringLiteral(" mA"));
        spinBox->setValue(0.5);
        QCOMPARE(settings.getCurrent(), 0.5);
        settle();
        QCOMPARE(slider->value(), 5);
        QTest::keyClick(slider, Qt::Key_Right);
        QCOMPARE(settings.getCurrent(), 0.6);
        QTest::keyClick(spinBox, Qt::Key_Up);
        QCOMPARE(settings.getCurrent(), 0.7);

        const auto brightness = viewOf(settings, "Brightness");
        auto* whole = editorOf<DirectJumpSlider>(*brightness);
        QCOMPARE(whole->maximum(), 100);
        QTest::keyClick(whole, Qt::Key_Left);
        QCOMPARE(settings.getBrightness(), 90);
    }

    void sliderJumpsToTheClickAndIgnoresTheWheel()
    {
        DirectJumpSlider slider;
        slider.setRange(0, 100);
        slider.resize(200, 20);
        slider.show();
        QStringList events;
        connect(&slider, &QSlider::valueChanged, this,
                [&](int value) { events << QStringLiteral("value %1").arg(value); });
        connect(&slider, &DirectJumpSlider::sliderJump, this,
                [&](int value) { events << QStringLiteral("jump %1").arg(value); });
        connect(&slider, &QSlider::sliderReleased, this, [&] { events << QStringLiteral("released"); });
        QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
        QCOMPARE(events, QStringList({"value 50", "jump 50", "released"}));

        QWheelEvent wheel(QPointF(100, 10), slider.mapToGlobal(QPointF(100, 10)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&slider, &wheel);
        QVERIFY(wheel.isAccepted());
        slider.disableMouseWheel(true);
        QApplication::sendEvent(&slider, &wheel);
        QVERIFY(!wheel.isAccepted());
        QCOMPARE(slider.value(), 50);
    }

    // Text is stored whole when editing finishes, and the echo of what was stored never sets the
    // editor back while the user types on.
    void textViewsCommitWhenEditingFinishes_data()
    {
        QTest::addColumn<QString>("property");
        QTest::newRow("auto-sizing line") << "Name";
        QTest::newRow("stretching line") << "Title";
        QTest::newRow("folder path") << "Folder";
    }

    void textViewsCommitWhenEditingFinishes()
    {
        QFETCH(QString, property);
        EditorSample settings;
        const QString before = settings.getValue(property).toString();
        const auto view = viewOf(settings, property);
        auto* edit = qobject_cast<QLineEdit*>(view->getEditor());
        QVERIFY(edit);
        QTest::keyClicks(edit, "ab");
        settle();
        QCOMPARE(settings.getValue(property).toString(), before);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(settings.getValue(property).toString(), before + "ab");
        QTest::keyClicks(edit, "c");
        settle();
        QCOMPARE(edit->text(), before + "abc");
        QCOMPARE(settings.getValue(property).toString(), before + "ab");

        settings.setValue(property, "other");
        QTRY_COMPARE(edit->text(), QStringLiteral("other"));
        // The auto-sizing line widens with its text and narrows again.
        if (qobject_cast<EditableLabel*>(edit)) {
            edit->setText(QString(40, u'w'));
            const int wide = edit->maximumWidth();
            edit->setText("w");
            QVERIFY(edit->maximumWidth() < wide);
            QCOMPARE(edit->maximumWidth(), edit->minimumWidth());
        }
    }

    void multilineTextCommitsWhenLeft()
    {
        EditorSample settings;
        const auto view = viewOf(settings, "Notes");
        auto* edit = editorOf<QPlainTextEdit>(*view);
        QTest::keyClicks(edit, "one");
        settle();
        QCOMPARE(settings.getNotes(), QString());
        QFocusEvent leave(QEvent::FocusOut);
        QApplication::sendEvent(edit, &leave);
        QCOMPARE(settings.getNotes(), QStringLiteral("one"));
        settings.setNotes("two\nlines");
        QTRY_COMPARE(edit->toPlainText(), QStringLiteral("two\nlines"));
    }

    void pickersGoThroughTheDialogSeam()
    {
        QTemporaryDir folder;
        EditorSample settings;
        settings.setFolder(folder.path());
        settings.setPicture(folder.filePath("missing.png"));
        PickRecorder picker;
        const auto folderView = viewOf(settings, "Folder");
        folderView->findChild<QPushButton*>("propertyPickerButton")->click();
        QCOMPARE(settings.getFolder(), folder.path());
        picker.answer = QStringList{"/data/runs"};
        folderView->findChild<QPushButton*>("propertyPickerButton")->click();
        QCOMPARE(settings.getFolder(), QStringLiteral("/data/runs"));
        QCOMPARE(qobject_cast<QLineEdit*>(folderView->getEditor())->text(), QStringLiteral("/data/runs"));

        const auto fileView = viewOf(settings, "Picture");
        fileView->findChild<QPushButton*>("propertyPickerButton")->click();
        QCOMPARE(picker.requests.size(), 3);
        QCOMPARE(picker.requests[0].kind, DialogSeam::Kind::Folder);
        QCOMPARE(picker.requests[0].folder, folder.path());
        QCOMPARE(picker.requests[0].title, QStringLiteral("Open"));
        QCOMPARE(picker.requests[2].kind, DialogSeam::Kind::OpenFile);
        QCOMPARE(picker.requests[2].folder, QString());
        QCOMPARE(picker.requests[2].filter, QStringLiteral("Image (*.jpg *.png *.jpeg *.bmp)"));
        QCOMPARE(settings.getPicture(), QStringLiteral("/data/runs"));
    }

    void fileFilterFollowsTheArgument_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("filter");
        QTest::newRow("video") << "Video"
                               << "Video (*.avi *.mpg *.mpeg *.mp4 *.mov *.mkv *.webm)";
        QTest::newRow("none") << ""
                              << "Любой файл (*.*)";
        QTest::newRow("any") << "*.*"
                             << "Любой файл (*.*)";
        QTest::newRow("pattern list") << "*.png;*.jpg"
                                      << "(*.png *.jpg)";
    }

    void fileFilterFollowsTheArgument()
    {
        QFETCH(QString, argument);
        QFETCH(QString, filter);
        CustomMetaDescription description;
        description.specialType = "PickFile:" + argument;
        description.pickOption = "PickFile";
        description.pickExtensions = argument;
        QCOMPARE(SpecialPropertyView(&description).fileFilter(), filter);
    }

    // The stored choice does not depend on the language the choices are shown in.
    void choicesShowTranslatedAndStoreTheirKey()
    {
        BracketTranslator translator;
        QCoreApplication::installTranslator(&translator);
        EditorSample settings;
        settings.metaDescriptor()->propertyByName("Mode")->enums = QStringList{"Low", "High"};
        settings.metaDescriptor()->propertyByName("Choice")->enums = QStringList{"A", "B", "C"};
        const auto modeView = viewOf(settings, "Mode");
        auto* mode = editorOf<QComboBox>(*modeView);
        QCOMPARE(mode->itemText(1), QStringLiteral("<High>"));
        QCOMPARE(mode->currentIndex(), 0);
        mode->setCurrentIndex(1);
        QCOMPARE(settings.getMode(), QStringLiteral("High"));
        settings.setMode("Unknown");
        QTRY_COMPARE(mode->currentIndex(), -1);

        const auto choiceView = viewOf(settings, "Choice");
        auto* choice = editorOf<QComboBox>(*choiceView);
        QCOMPARE(choice->currentIndex(), -1);
        settings.setChoice(2);
        QTRY_COMPARE(choice->currentIndex(), 2);
        settings.setChoice(3);
        QTRY_COMPARE(choice->currentIndex(), -1);
        choice->setCurrentIndex(1);
        QCOMPARE(settings.getChoice(), 1);

        SampleSettings sample;
        const auto paceView = viewOf(sample, "Pace");
        auto* pace = editorOf<QComboBox>(*paceView);
        QCOMPARE(pace->itemText(0), QStringLiteral("<Slow>"));
        QCOMPARE(pace->currentIndex(), 1);
        pace->setCurrentIndex(2);
        QCOMPARE(sample.getPace(), SampleSettings::Adaptive);
        QCOMPARE(editorOf<QSpinBox>(*viewOf(settings, "Count"))->suffix(), QStringLiteral(" <s>"));
        QCoreApplication::removeTranslator(&translator);
    }

    void otherViewsEditTheirTypes()
    {
        SampleSettings sample;
        const auto enabled = viewOf(sample, "Enabled");
        editorOf<QCheckBox>(*enabled)->click();
        QCOMPARE(sample.getEnabled(), false);

        EditorSample settings;
        const auto shade = viewOf(settings, "Shade");
        QCOMPARE(editorOf<QLabel>(*shade)->text(), QStringLiteral("#FF0000"));
        qobject_cast<QPushButton*>(shade->getEditor())->click();
        auto* dialog = shade->findChild<QColorDialog*>();
        QVERIFY(dialog->testOption(QColorDialog::ShowAlphaChannel));
        dialog->setCurrentColor(QColor(0, 128, 255, 100));
        dialog->accept();
        QCOMPARE(settings.getShade(), QColor(0, 128, 255, 100));
        QCOMPARE(editorOf<QLabel>(*shade)->text(), QStringLiteral("#640080FF"));

        const auto day = viewOf(settings, "Day");
        QCOMPARE(editorOf<QDateEdit>(*day)->date(), QDate(2024, 1, 2));
        editorOf<QDateEdit>(*day)->setDate(QDate(2025, 3, 4));
        QCOMPARE(settings.getDay(), QDate(2025, 3, 4));
        const auto stamp = viewOf(settings, "Stamp");
        editorOf<QDateEdit>(*stamp)->setDate(QDate(2025, 3, 4));
        QCOMPARE(settings.getStamp().date(), QDate(2025, 3, 4));
    }

    void stringListEditsItsItems()
    {
        SampleSettings settings;
        const auto view = viewOf(settings, "Names");
        const auto buttons = [&view](const QString& text) {
            QList<QPushButton*> found;
            for (QPushButton* button : view->findChildren<QPushButton*>())
                if (button->text() == text)
                    found << button;
            return found;
        };
        QCOMPARE(buttons(QStringLiteral("\u2191")).size(), 2);
        QVERIFY(!buttons(QStringLiteral("\u2191"))[0]->isEnabled());
        QVERIFY(!buttons(QStringLiteral("\u2193"))[1]->isEnabled());
        buttons(QStringLiteral("\u2193"))[0]->click();
        QCOMPARE(settings.getNames(), QStringList({"beta", "alpha"}));
        settle();
        buttons("+")[0]->click();
        QCOMPARE(settings.getNames(), QStringList({"beta", "alpha", ""}));
        settle();
        auto* last = view->findChildren<QLineEdit*>().constLast();
        last->setText("gamma");
        emit last->editingFinished();
        settle();
        buttons(QStringLiteral("\u0425"))[0]->click();
        QCOMPARE(settings.getNames(), QStringList({"alpha", "gamma"}));
    }
};

QTEST_MAIN(TestPropertyViews)
#include "tst_propertyviews.moc"
