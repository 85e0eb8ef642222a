#include "StyleHelper.h"
#include "WidgetBenchmarkMain.h"

#include <QApplication>
#include <QGridLayout>
#include <QPushButton>
#include <QWidget>
#include <benchmark/benchmark.h>

// One theme switch with 500 widgets that follow the theme: the sheet rebuilt and installed,
// every widget re-polished, every linked icon and background re-applied. The aim is under 50 ms.
static void BM_ThemeSwitch(benchmark::State& state)
{
    StyleHelper* style = StyleHelper::Instance();
    style->addStyleFile(QStringLiteral(":/themes/zt.theme.css"));
    style->addStyleFile(QStringLiteral(":/KestrumStyle.css"));
    style->addThemeFile(QStringLiteral(":/themes/light.css"), QStringLiteral("light"));
    style->addThemeFile(QStringLiteral(":/themes/dark.css"), QStringLiteral("dark"));
    style->selectTheme(QStringLiteral("light"));

    QWidget window;
    auto* grid = new QGridLayout(&window);
    const int widgets = int(state.range(0));
    for (int i = 0; i < widgets; ++i) {
        auto* button = new QPushButton(QStringLiteral("Button %1").arg(i));
        StyleHelper::SetButtonIcon(button, QStringLiteral(":/icons/settings.svg"), QStringLiteral("#FFF"));
        style->setStyledBackground(button, QStringLiteral("--z-btn-bg"), Qt::gray);
        grid->addWidget(button, i / 20, i % 20);
    }
    window.show();
    QApplication::processEvents();

    bool dark = false;
    for (auto _ : state) {
        dark = !dark;
        style->selectTheme(dark ? QStringLiteral("dark") : QStringLiteral("light"));
        QApplication::processEvents();
    }
    StyleHelper::Clean();
}
BENCHMARK(BM_ThemeSwitch)->Arg(500)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
