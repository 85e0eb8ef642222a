#include "ManualControlDialog.h"

#include "KestrumController.h"
#include "PropertyListControl.h"

#include <QVBoxLayout>

ManualControlDialog::ManualControlDialog(KestrumBaseDevice* device, AbstractSettings* info, const QString& title,
                                         StimulationSettings* stimulation)
    : m_controller(new KestrumController(device, this, stimulation))
{
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new PropertyListControl(info, QString(), PropertyListControl::ViewAllNoScrollArea, this), 0);
    layout->addWidget(m_controller, 100, Qt::AlignTop);
}

ManualControlDialog::~ManualControlDialog()
{
    switchOutputsOff();
}

void ManualControlDialog::done(int result)
{
    switchOutputsOff();
    QDialog::done(result);
}

// Shown again, its controls may set a current once more, which its end must switch off.
void ManualControlDialog::showEvent(QShowEvent* event)
{
    m_outputsOffSent = false;
    QDialog::showEvent(event);
}

void ManualControlDialog::switchOutputsOff()
{
    if (m_outputsOffSent)
        return;
    m_outputsOffSent = true;
    m_controller->switchOffWhatItSwitchedOn();
}
