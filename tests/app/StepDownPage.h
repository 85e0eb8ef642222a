#pragma once

#include "ApparatusFixtures.h"
#include "BaseExperiment.h"
#include "Clock.h"
#include "ExperimentController.h"
#include "KestrumExperimentTypeSelector.h"
#include "KestrumModel.h"
#include "MetaKestrumDevice.h"
#include "PageExperiment.h"
#include "ScriptedCameraView.h"

#include <QComboBox>
#include <QSplitter>
#include <QTest>

#include <memory>
#include <optional>

// The experiment page over a chamber stand-in whose camera delivers frames on a manual clock,
// with the step-down paradigm chosen on the experiment panel and the background calibrated.
struct StepDownPage
{
    ManualClock clock;
    ScriptedCameraView* camera = nullptr;
    std::unique_ptr<KestrumModel> model;
    std::unique_ptr<PageExperiment> page;
    RecordingDevice* chamber = adoptedChamber(QStringLiteral("SN-RUN"));
    MetaKestrumDevice* panel = nullptr;

    explicit StepDownPage(const QString& folder)
    {
        KestrumModel::setPanelFactory([this](KestrumBaseDevice* device) {
            camera = new ScriptedCameraView(&clock, 25);
            return new MetaKestrumDevice(device, camera);
        });
        model = std::make_unique<KestrumModel>(folder);
        model->init();
        for (BaseExperiment* experiment : model->experiments())
            experiment->setClock(&clock);
        page = std::make_unique<PageExperiment>();
        model->registerDevice(chamber);
    }

    // Whether the panel came and its background is calibrated on an empty arena.
    [[nodiscard]] bool calibrated()
    {
        if (!QTest::qWaitFor([this] { return page->panelSplitter()->count() == 1; }))
            return false;
        panel = static_cast<MetaKestrumDevice*>(page->panelSplitter()->widget(0));
        QComboBox* types = page->experimentPanel()->typeSelector()->comboBox();
        types->setCurrentIndex(int(model->experimentTypeKeys().indexOf("StepDown")));
        camera->deliver(arenaFrame(std::nullopt));
        panel->calibrateBackground();
        bool init = false;
        bool triggered = false;
        bool started = false;
        return QTest::qWaitFor(
            [&] { return (panel->experiment()->initTriggeredStarted(init, triggered, started), init); });
    }

    // Frames every 40 ms with the animal at x for as long as the run goes, at most the time given.
    [[nodiscard]] bool animalAt(int x, int forMs)
    {
        for (int t = 0; t < forMs && panel->experiment()->isTriggered(); t += 40) {
            clock.advance(40);
            if (!camera->deliverAnalysed(arenaFrame(x)))
                return false;
        }
        return true;
    }
};
