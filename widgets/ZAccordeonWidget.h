#pragma once

#include <QList>
#include <QWidget>

class ZExpander;
class ZStackPanel;

// A column of expanders with a rule for how many may be open at once: exactly one whenever
// there is a section (AlwaysOne), at most one (CollapsibleOne), or any number (AnyOne). A new
// section starts open, so under the single rules an earlier open section stays open and the
// new one closes.
class ZAccordeonWidget : public QWidget
{
    Q_OBJECT
public:
    enum AccordeonTabMode { AlwaysOne = 0, CollapsibleOne = 1, AnyOne = 2 };
    Q_ENUM(AccordeonTabMode)

    explicit ZAccordeonWidget(QWidget* parent = nullptr);

    void setHeaderStyle(const QColor& background, const QColor& border, float borderWidth);

public slots:
    void addTab(QWidget* widget, const QString& title);
    // An index outside the sections is ignored.
    void openTab(int index);
    void closeTab(int index);
    void setTabMode(ZAccordeonWidget::AccordeonTabMode mode);

private:
    void onSectionChanged(ZExpander* section, bool expanded);
    void enforceMode();
    void closeOthers(const ZExpander* kept);
    int expandedCount() const;

    ZStackPanel* panel;
    QList<ZExpander*> sections;
    AccordeonTabMode tabMode = AlwaysOne;
};

Q_DECLARE_METATYPE(ZAccordeonWidget::AccordeonTabMode)
