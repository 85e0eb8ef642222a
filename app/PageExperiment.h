#pragma once

#include "BasePage.h"

class ExperimentController;
class QLabel;
class QSplitter;

// The experiment page: the panel of every apparatus the model has found, side by side in the
// order of their titles and serial numbers, and the experiment panel at the right. Without an
// apparatus it says that no device was found.
//
// The apparatus panels belong to the model; the page only holds them while it shows them.
class PageExperiment : public BasePage
{
    Q_OBJECT

public:
    explicit PageExperiment(QWidget* parent = nullptr);
    ~PageExperiment() override;

    ExperimentController* experimentPanel() const { return m_experimentPanel; }
    QSplitter* panelSplitter() const { return m_panelSplitter; }
    QLabel* hintLabel() const { return m_hint; }

public slots:
    void updateKestrumsView();

private:
    void releasePanels();

    ConnectionHelper m_modelConnections;
    QSplitter* m_panelSplitter;
    QLabel* m_hint;
    ExperimentController* m_experimentPanel;
};
