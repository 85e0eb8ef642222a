#include "ExperimentResultTableWidget.h"

#include "Experiment_Stats.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "QTableWidgetWithCopyPaste.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QVBoxLayout>

namespace {
constexpr int recordIndexRole = 100;
constexpr int rodentCode = 2;
constexpr int commentCode = 3;
} // namespace

ExperimentResultTableWidget::ExperimentResultTableWidget(QWidget* parent)
    : QWidget(parent)
    , table(new QTableWidgetWithCopyPaste)
    , secondTable(new QTableWidgetWithCopyPaste)
{
    auto* box = new QVBoxLayout;
    box->addWidget(table);
    box->addWidget(secondTable);
    secondTable->verticalHeader()->hide();
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    setContentsMargins(0, 0, 0, 0);
    grid->addLayout(box, 0, 0);
    connect(table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            &ExperimentResultTableWidget::onSortIndicatorChanged);
    connect(table, &QTableWidget::itemChanged, this, &ExperimentResultTableWidget::onItemChanged);
}

void ExperimentResultTableWidget::setRecords(const QList<Experiment_Stats*>& newRecords,
                                             const QList<ResultColumn>& newColumns)
{
    const QSignalBlocker blocker(table);
    records = newRecords;
    columns = newColumns;
    table->clear();
    table->setColumnCount(int(columns.size()));
    table->setRowCount(int(records.size()));
    QStringList headers;
    for (const ResultColumn& column : columns)
        headers << column.title;
    table->setHorizontalHeaderLabels(headers);
    const int editableFrom = int(columns.size()) - 2;
    for (int r = 0; r < records.size(); ++r) {
        for (int c = 0; c < columns.size(); ++c) {
            const QString& key = columns.at(c).key;
            auto* item = new QTableWidgetItem(key == QLatin1String("Title") ? records.at(r)->title()
                                                                            : records.at(r)->getValue(key).toString());
            item->setData(recordIndexRole, r);
            if (c < editableFrom)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            table->setItem(r, c, item);
        }
    }
}

void ExperimentResultTableWidget::onSortIndicatorChanged(int column, Qt::SortOrder order)
{
    KestrumSettings* settings = KestrumModel::instance()->settings();
    settings->setSortIndexResultTable(column);
    settings->setSortOrderResultTable(order);
    table->sortItems(column, order);
}

void ExperimentResultTableWidget::onItemChanged(QTableWidgetItem* item)
{
    const int n = int(columns.size());
    if (item->column() < n - 2 || item->row() >= records.size())
        return;
    const bool rodent = item->column() == n - 2;
    Experiment_Stats* record = records.value(item->data(recordIndexRole).toInt());
    // Compared with this run's own value: the same text typed into another row is saved there too.
    const QString text = item->text();
    {
        const QSignalBlocker blocker(table);
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (!record || text == (rodent ? record->getRodent() : record->getComment()))
        return;
    if (rodent)
        record->setRodent(text);
    else
        record->setComment(text);
    const QTableWidgetItem* name = table->item(item->row(), 0);
    emit itemChanged(name ? name->text() : QString(), rodent ? rodentCode : commentCode, text);
}
