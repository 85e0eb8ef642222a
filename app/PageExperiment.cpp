#include "PageExperiment.h"

#include "ApparatusPanel.h"
#include "ExperimentController.h"
#include "KestrumBaseDevice.h"
#include "KestrumModel.h"
#include "MetaKestrumDevice.h"
#include "MetaKestrumInfo.h"
#include "VideoWidget.h"

#include <QGridLayout>
#include <QLabel>
#include <QMap>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

void preferCamera(const QString& description)
{
    if (!VideoWidget::preferredCameras.contains(description))
        VideoWidget::preferredCameras.append(description);
}

// Panels stand in the order of the apparatus titles, then serial numbers; a device that has
// not told its serial number yet gets no place.
QString placeOf(ApparatusPanel* panel)
{
    const KestrumBaseDevice* device = panel->device();
    if (!device || device->serialNumber().isEmpty())
        return QString();
    const auto* deviceView = qobject_cast<const MetaKestrumDevice*>(panel);
    const QString title = deviceView && deviceView->info() ? deviceView->info()->getTitle() : QString();
    return title + device->serialNumber();
}

} // namespace

PageExperiment::PageExperiment(QWidget* parent)
    : BasePage(parent)
    , m_panelSplitter(new QSplitter(Qt::Horizontal))
    , m_hint(new QLabel(tr("No devices found")))
    , m_experimentPanel(new ExperimentController)
{
    preferCamera(QStringLiteral("HD USB Camera"));
    preferCamera(QStringLiteral("USB 2.0 Camera"));

    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    m_panelSplitter->hide();
    m_panelSplitter->setChildrenCollapsible(false);
    leftLayout->addWidget(m_panelSplitter);
    m_hint->setStyleSheet(QStringLiteral("color: #777; font-size: 20px; text-align: center"));
    m_hint->setAlignment(Qt::AlignCenter);
    leftLayout->addWidget(m_hint);

    setContentsMargins(0, 0, 0, 0);
    auto* outer = new QSplitter(Qt::Horizontal);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(left);
    outer->addWidget(m_experimentPanel);
    outer->setHandleWidth(8);
    outer->setChildrenCollapsible(false);
    outer->setSizes({800, 250});
    pageLayout->addWidget(outer, 0, 0);
    pageLayout->setRowStretch(0, 100);

    updateKestrumsView();
    KestrumModel* model = KestrumModel::instance();
    if (!model)
        return;
    m_modelConnections << connect(model, &KestrumModel::kestrumAdded, this, &PageExperiment::updateKestrumsView,
                                  Qt::QueuedConnection);
    m_modelConnections << connect(model, &KestrumModel::kestrumRemoved, this, &PageExperiment::updateKestrumsView,
                                  Qt::QueuedConnection);
    m_modelConnections << connect(model, &KestrumModel::kestrumRenamed, this, &PageExperiment::updateKestrumsView,
                                  Qt::QueuedConnection);
}

// The model deletes its panels itself; the page must not take them along.
PageExperiment::~PageExperiment()
{
    m_modelConnections.clear();
    releasePanels();
}

void PageExperiment::releasePanels()
{
    const KestrumModel* model = KestrumModel::instance();
    if (!model)
        return;
    for (ApparatusPanel* panel : model->metaDevices()) {
        panel->hide();
        panel->setParent(nullptr);
    }
}

void PageExperiment::updateKestrumsView()
{
    const KestrumModel* model = KestrumModel::instance();
    const QList<ApparatusPanel*> panels = model ? model->metaDevices() : QList<ApparatusPanel*>();
    QMap<QString, ApparatusPanel*> placed;
    for (ApparatusPanel* panel : panels) {
        panel->hide();
        panel->setParent(nullptr);
        panel->setMinimumWidth(200);
        const QString place = placeOf(panel);
        if (!place.isEmpty())
            placed.insert(place, panel);
    }
    QList<int> sizes;
    for (ApparatusPanel* panel : std::as_const(placed)) {
        m_panelSplitter->addWidget(panel);
        sizes << 100;
        panel->show();
    }
    m_panelSplitter->setVisible(!placed.isEmpty());
    m_hint->setVisible(placed.isEmpty());
    if (!placed.isEmpty())
        m_panelSplitter->setSizes(sizes);
}
