#pragma once

#include "BasePropertyView.h"

#include <QList>

#include <functional>

class QGridLayout;
class QLineEdit;
class QPushButton;

// An editable list of texts: one line edit per item with buttons to remove it and to move it up
// or down, and a button that appends an empty item. Every action stores the whole list, and
// each new value rebuilds the rows.
class StringListPropertyView : public BasePropertyView
{
    Q_OBJECT
public:
    explicit StringListPropertyView(AbstractMetaDescription* description, QWidget* parent = nullptr);

    // Keeps the rows: the list has no single editor to hand over.
    void nullifyEditor() override;

public slots:
    void metaValueChanged(const QVariant& value) override;

protected:
    void rebuild();

private:
    void clearRows();
    void addRow(int index, const QString& text, int count);
    QPushButton* addButton(const QString& text, int row, int column);
    // Reads the property's current list, lets the change edit it and stores the result.
    void change(const std::function<void(QStringList&)>& edit);

    QWidget* container = nullptr;
    QList<QLineEdit*> lineEdits;
    QList<QPushButton*> buttons;
    ConnectionHelper rowConnections;
    QGridLayout* grid = nullptr;
};
