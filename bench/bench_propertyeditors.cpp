#include "BasePropertyView.h"
#include "PropertyListControl.h"
#include "StyleHelper.h"
#include "WidgetBenchmarkMain.h"
#include "ZTSettings.h"

#include <QApplication>
#include <QSpinBox>
#include <benchmark/benchmark.h>

// As many described properties as the program's largest settings form (the application settings:
// 25), of the same kinds: choices with icons, flags, bounded numbers with suffixes and visibility
// conditions, texts and a folder.
class LargestSettings : public ZTSettings
{
    Q_OBJECT
public:
    enum Choice { First, Second, Third };
    Q_ENUM(Choice)

    ZT_PROPERTY(Choice, Language, LargestSettings::First)
    Q_CLASSINFO("LanguageCategory", "1.Main")
    ZT_PROPERTY(Choice, Theme, LargestSettings::First)
    Q_CLASSINFO("ThemeCategory", "1.Main")
    ZT_PROPERTY(Choice, Export, LargestSettings::Second)
    Q_CLASSINFO("ExportCategory", "1.Main")
    ZT_PROPERTY(Choice, Overlay, LargestSettings::First)
    Q_CLASSINFO("OverlayCategory", "1.Main")
    Q_CLASSINFO("OverlayIconFirst", ":/icons/settings.svg")
    Q_CLASSINFO("OverlayIconSecond", ":/icons/settings.svg")
    ZT_PROPERTY(Choice, Quality, LargestSettings::Third)
    Q_CLASSINFO("QualityCategory", "1.Main")
    ZT_PROPERTY(bool, Advanced, true)
    Q_CLASSINFO("AdvancedCategory", "1.Main")
    Q_CLASSINFO("AdvancedIcon", ":/icons/settings.svg")
    ZT_PROPERTY(QString, BaseFolder, "")
    Q_CLASSINFO("BaseFolderCategory", "1.Main")
    Q_CLASSINFO("BaseFolderSpecialType", "PickFolder")
    ZT_BOUNDED_PROPERTY(int, Sensitivity, 20, 0, 100, 1)
    Q_CLASSINFO("SensitivityCategory", "2.Detection")
    Q_CLASSINFO("SensitivitySuffix", "%")
    Q_CLASSINFO("SensitivityVisibleBound", "Advanced:true")
    ZT_PROPERTY(Choice, DiffMode, LargestSettings::First)
    Q_CLASSINFO("DiffModeCategory", "2.Detection")
    Q_CLASSINFO("DiffModeVisibleBound", "Advanced:true")
    ZT_BOUNDED_PROPERTY(int, Erode, 3, 1, 30, 1)
    Q_CLASSINFO("ErodeCategory", "2.Detection")
    Q_CLASSINFO("ErodeSuffix", " px")
    Q_CLASSINFO("ErodeVisibleBound", "Advanced:true")
    ZT_BOUNDED_PROPERTY(int, Dilate, 10, 1, 30, 1)
    Q_CLASSINFO("DilateCategory", "2.Detection")
    Q_CLASSINFO("DilateSuffix", " px")
    Q_CLASSINFO("DilateVisibleBound", "Advanced:true")
    ZT_BOUNDED_PROPERTY(int, MinArea, 420, 100, 1000, 10)
    Q_CLASSINFO("MinAreaCategory", "2.Detection")
    Q_CLASSINFO("MinAreaVisibleBound", "Advanced:true")
    ZT_BOUNDED_PROPERTY(int, MaxBrightness, 200, 100, 255, 1)
    Q_CLASSINFO("MaxBrightnessCategory", "2.Detection")
    Q_CLASSINFO("MaxBrightnessVisibleBound", "Advanced:true")
    ZT_PROPERTY(bool, ShowDetection, false)
    Q_CLASSINFO("ShowDetectionCategory", "2.Detection")
    Q_CLASSINFO("ShowDetectionVisibleBound", "Advanced:true")
    ZT_BOUNDED_PROPERTY(double, Current, 2.0, 0.0, 15.0, 0.1)
    Q_CLASSINFO("CurrentCategory", "3.Stimulation")
    Q_CLASSINFO("CurrentSpecialType", "Slider")
    Q_CLASSINFO("CurrentPrecision", "1")
    ZT_BOUNDED_PROPERTY(int, Tone, 1000, 100, 10000, 10)
    Q_CLASSINFO("ToneCategory", "3.Stimulation")
    Q_CLASSINFO("ToneSpecialType", "Slider")
    ZT_BOUNDED_PROPERTY(double, Phase, 15, 0, 3600, 1)
    Q_CLASSINFO("PhaseCategory", "3.Stimulation")
    ZT_PROPERTY(QString, Comment, "")
    ZT_PROPERTY(QString, Rodent, "")
    ZT_PROPERTY(QString, Format, "xlsx")
    ZT_PROPERTY(bool, ShowCycles, true)
    ZT_PROPERTY(bool, Verbose, false)
    Q_CLASSINFO("VerboseVisibleBound", "ShowCycles:true")
    ZT_PROPERTY(int, SortIndex, -1)
    ZT_PROPERTY(Choice, SortOrder, LargestSettings::Second)
    ZT_PROPERTY(bool, Debug, false)

public:
    using ZTSettings::ZTSettings;
};

// The whole form built, styled by the program's light theme, laid out and shown once. The aim is
// under 50 ms.
static void BM_BuildListControl(benchmark::State& state)
{
    StyleHelper* style = StyleHelper::Instance();
    style->addStyleFile(QStringLiteral(":/themes/zt.theme.css"));
    style->addStyleFile(QStringLiteral(":/KestrumStyle.css"));
    style->addThemeFile(QStringLiteral(":/themes/light.css"), QStringLiteral("light"));
    style->selectTheme(QStringLiteral("light"));
    LargestSettings settings;
    for (auto _ : state) {
        PropertyListControl list(&settings, QString(), PropertyListControl::ViewAll);
        list.show();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_BuildListControl)->Unit(benchmark::kMillisecond);

// A value set on the settings object and shown by its editor in the form. The aim is under 1 ms.
static void BM_ValueRoundTrip(benchmark::State& state)
{
    LargestSettings settings;
    PropertyListControl list(&settings, QString(), PropertyListControl::ViewAll);
    list.show();
    QApplication::processEvents();
    auto* spinBox = qobject_cast<QSpinBox*>(list.getWidgetInfo(QStringLiteral("MinArea")).view->getEditor());
    int value = 100;
    for (auto _ : state) {
        value = value == 1000 ? 100 : value + 10;
        settings.setMinArea(value);
        QApplication::processEvents();
        if (spinBox->value() != value)
            state.SkipWithError("the value did not make the round trip");
    }
}
BENCHMARK(BM_ValueRoundTrip)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}

#include "bench_propertyeditors.moc"
