#include "ManualControlDialog.h"

#include "KestrumBaseDevice.h"
#include "KestrumController.h"
#include "PropertyListControl.h"

#include <QVBoxLayout>

ManualControlDialog::ManualControlDialog(KestrumBaseDevice* device, AbstractSettings* info, const QString& title,
                                         StimulationSettings* stimulation)
    : m_device(device)
{
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new PropertyListControl(info, QString(), PropertyListControl::ViewAllNoScrollArea, this), 0);
    layout->addWidget(new KestrumController(device, this, stimulation), 100, Qt::AlignTop);
}

ManualControlDialog::~ManualControlDialog()
{
    switchGridOff();
}

void ManualControlDialog::done(int result)
{
    switchGridOff();
    QDialog::done(result);
}

// Shown again, its controls may set a current once more, which its end must switch off.
void ManualControlDialog::showEvent(QShowEvent* event)
{
    m_gridOffSent = false;
    QDialog::showEvent(event);
}

void ManualControlDialog::switchGridOff()
{
    if (m_gridOffSent)
        return;
    m_gridOffSent = true;
    if (m_device)
        m_device->invokeSlot();
}
