#include "KestrumController.h"

#include "IconWidget.h"
#include "KestrumModel.h"
#include "PropertyListControl.h"
#include "StimulationSettings.h"
#include "StyleHelper.h"
#include "UIHelper.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <utility>

namespace {

int secondsToMs(double seconds)
{
    return int(seconds * 1000.0);
}

StimulationSettings* modelStimulationSettings()
{
    const KestrumModel* model = KestrumModel::instance();
    return model ? model->stimulationSettings() : nullptr;
}

} // namespace

KestrumController::KestrumController(KestrumBaseDevice* device, QWidget* parent, StimulationSettings* settings)
    : QWidget(parent)
    , m_device(device)
    , m_settings(settings ? settings : modelStimulationSettings())
{
    setEnabled(device != nullptr);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = addSection(grid, 0,
                         {tr("Свет"), QStringLiteral("Light"),
                          makeButton(
                              QStringLiteral("btnLight_on"), [this] { switchLight(-1); }, false),
                          makeButton(
                              QStringLiteral("btnLight_onOnce"), [this] { switchLight(burstMs); }, true),
                          makeButton(
                              QStringLiteral("btnLight_off"), [this] { drive(&KestrumBaseDevice::lightOff); }, false)});
    row = addSection(grid, row,
                     {tr("Звук"), QStringLiteral("Sound"),
                      makeButton(
                          QStringLiteral("btnSound_on"), [this] { switchSound(true, -1.0); }, false),
                      makeButton(
                          QStringLiteral("btnSound_onOnce"), [this] { switchSound(true, burstMs / 1000.0); }, true),
                      makeButton(
                          QStringLiteral("btnSound_off"), [this] { switchSound(false, 0.0); }, false)});
    row = addSection(grid, row,
                     {tr("Электростимуляция"), QStringLiteral("Electro"),
                      makeButton(
                          QStringLiteral("btnElectro_on"), [this] { switchCircuit(-1); }, false),
                      makeButton(
                          QStringLiteral("btnElectro_onOnce"), [this] { switchCircuit(burstMs); }, true),
                      makeButton(
                          QStringLiteral("btnElectro_off"), [this] { drive(&KestrumBaseDevice::invokeSlot); }, false)});
    addDoorRows(grid, row);
}

// A burst button carries a small "1" in its corner.
QPushButton* KestrumController::makeButton(const QString& name, const std::function<void()>& action, bool burst)
{
    auto* button = new QPushButton(this);
    button->setObjectName(name);
    button->setCursor(Qt::PointingHandCursor);
    connect(button, &QPushButton::clicked, this, action, Qt::DirectConnection);
    if (burst) {
        auto* badgeLayout = new QGridLayout(button);
        badgeLayout->setContentsMargins(0, 0, 0, 0);
        badgeLayout->addWidget(
            new IconWidget(QStringLiteral(":/Images/one.svg"), QStringLiteral("#333"), QSize(16, 16)), 0, 0,
            Qt::AlignBottom | Qt::AlignRight);
    }
    return button;
}

QWidget* KestrumController::makeSeparator()
{
    auto* separator = new QWidget(this);
    separator->setFixedHeight(1);
    StyleHelper::Instance()->setStyledBackground(separator, QStringLiteral("--z-sub-text"), Qt::transparent);
    return separator;
}

int KestrumController::addSection(QGridLayout* grid, int row, const Section& section)
{
    grid->addWidget(makeSeparator(), row, 0, 1, 3);
    grid->addWidget(UIHelper::GenerateLabelWithName(section.header, QStringLiteral("h3"), this), row + 1, 0, 1, 3);
    grid->addWidget(section.on, row + 2, 0);
    grid->addWidget(section.burst, row + 3, 0);
    grid->addWidget(section.off, row + 4, 0, Qt::AlignTop);
    if (m_settings)
        grid->addWidget(
            new PropertyListControl(m_settings, section.category, PropertyListControl::ViewSingleCategory, this),
            row + 2, 1, 3, 2);
    grid->addWidget(UIHelper::GenerateLabelWithName(QString(), QStringLiteral("smallLabel"), this), row + 5, 0, 1, 3);
    return row + 6;
}

void KestrumController::addDoorRows(QGridLayout* grid, int row)
{
    grid->addWidget(makeSeparator(), row, 0, 1, 3);
    grid->addWidget(UIHelper::GenerateLabelWithName(tr("Двери"), QStringLiteral("h3"), this), row + 1, 0, 1, 3);
    grid->addWidget(
        makeButton(
            QStringLiteral("btnDoor_open"), [this] { drive([](auto* d) { d->setDoorOpen(true); }); }, false),
        row + 2, 0, Qt::AlignLeft);
    grid->addWidget(
        makeButton(
            QStringLiteral("btnDoor_close"), [this] { drive([](auto* d) { d->setDoorOpen(false); }); }, false),
        row + 2, 1, Qt::AlignLeft);
    grid->setRowStretch(row + 3, 100);
}

// A negative duration takes the settings' own.
void KestrumController::switchLight(int durationMs)
{
    if (!m_settings)
        return;
    const int duration = durationMs < 0 ? secondsToMs(m_settings->getLightDuration()) : durationMs;
    m_lightSwitchedOn = true;
    drive([this, duration](KestrumBaseDevice* device) {
        device->setLight(m_settings->getLightSide(), m_settings->getLightBrightness(), duration);
    });
}

// A duration of 0 s or less takes the settings' own.
void KestrumController::switchSound(bool on, double seconds)
{
    if (!on) {
        drive(&KestrumBaseDevice::soundOff);
        return;
    }
    if (!m_settings)
        return;
    const int duration = secondsToMs(seconds > 0.0 ? seconds : m_settings->getSoundDuration());
    m_soundSwitchedOn = true;
    drive([this, duration](KestrumBaseDevice* device) {
        device->setSound(m_settings->getSoundSide(), m_settings->getSoundTone(), duration);
    });
}

void KestrumController::switchCircuit(int durationMs)
{
    if (!m_settings)
        return;
    const int duration = durationMs < 0 ? secondsToMs(m_settings->getCircuitDuration()) : durationMs;
    drive([this, duration](KestrumBaseDevice* device) { device->setCircuit(m_settings->getCircuit(), duration); });
}

void KestrumController::switchOffWhatItSwitchedOn()
{
    if (std::exchange(m_lightSwitchedOn, false))
        drive(&KestrumBaseDevice::lightOff);
    if (std::exchange(m_soundSwitchedOn, false))
        drive(&KestrumBaseDevice::soundOff);
    drive(&KestrumBaseDevice::invokeSlot);
}

void KestrumController::drive(const std::function<void(KestrumBaseDevice*)>& command)
{
    if (m_device)
        command(m_device);
}
