#pragma once

#include <QPointer>
#include <QWidget>

class QGridLayout;
class QLabel;
class QScrollArea;
class ZStackPanel;

// A scrollable stack panel that shows a placeholder over itself while it holds no items.
class ZScrollViewer : public QWidget
{
    Q_OBJECT
public:
    explicit ZScrollViewer(Qt::Orientation orientation = Qt::Vertical, QWidget* parent = nullptr);

    QScrollArea* getScrollArea() const;
    ZStackPanel* getStackPanel() const;

    void add(QWidget* widget);
    void addWidget(QWidget* widget);
    // Hands the item back to the caller, without a parent.
    void remove(QWidget* widget);
    // Deletes every item through the event loop.
    void clear();
    int count() const;
    QWidget* itemAt(int index) const;
    void setItemAlignment(QWidget* widget, Qt::Alignment alignment);
    void setItemAlignmentByIndex(int index, Qt::Alignment alignment);
    void setItemPadding(int margin);
    void setItemPadding(int left, int top, int right, int bottom);
    void setSpacing(int spacing);
    // An index outside the items is ignored.
    void setItemVisible(int index, bool visible);

    // Replaces (and deletes) the placeholder; a null widget leaves none.
    void setPlaceholderWidget(QWidget* widget, Qt::Alignment alignment = Qt::AlignCenter);
    // A word-wrapped label as the placeholder, returned for further styling.
    QLabel* setPlaceholderText(const QString& text, Qt::Alignment placement = Qt::AlignCenter,
                               Qt::Alignment textAlignment = Qt::AlignCenter, const QString& objectName = QString(),
                               int margin = 0);

    // Black content gives the items' area a black background whatever the colour.
    void setBackgroundAndBorder(const QColor& background, quint8 borderWidth, const QColor& borderColor,
                                bool blackContent = false);
    void setBackground(const QColor& background, bool blackContent = false);
    void setTransparentBackground(bool blackContent = false);

public slots:
    // The placeholder shows exactly while there are no items.
    void checkPlaceholder();

private:
    QScrollArea* scrollArea;
    ZStackPanel* stackPanel;
    QPointer<QWidget> placeholder;
    QGridLayout* grid;
};
