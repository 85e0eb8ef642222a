#pragma once

#include "ConnectionHelper.h"

#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <optional>

class AbstractMetaDescription;
class QDoubleSpinBox;
class QHBoxLayout;
class QPushButton;

// The editor of one described property. A view shows the property's value, writes the user's
// edits back through the description and follows every change of the property, whoever made
// it: the description's change signal reaches metaValueChanged queued, and showing a value
// never writes it back. Concrete views put their editor at position 0 of the editing layout,
// so the default button, when there is one, stays last. The description must outlive the view.
class BasePropertyView : public QWidget
{
    Q_OBJECT
public:
    explicit BasePropertyView(AbstractMetaDescription* description, QWidget* parent = nullptr);

    // The widget that takes the focus and the declared widths; null when the view has none.
    virtual QWidget* getEditor();
    // Deletes the editor, so that another widget can take its place.
    virtual void nullifyEditor();

    void showDefaultButton(bool show);
    QHBoxLayout* getEditingLayout() const;
    AbstractMetaDescription* getDescription() const;

public slots:
    virtual void up();
    virtual void down();
    virtual void metaValueChanged(const QVariant& value) = 0;

protected:
    // The button stands checked while the value differs from the default.
    void setDefaultButtonChecked(bool isDefault);
    // The default button's tool tip names the default as the editor shows that value, since the
    // declared default is a stored word ("ru_RU", "false") that the user never sees.
    void describeDefaultAs(const QString& shown);
    // As the spin box shows a value: in its locale, with its decimals, prefix and suffix.
    void describeDefaultIn(const QDoubleSpinBox* spinBox);
    // "!-" keeps the rest untranslated; a leading blank is kept before the translated rest.
    Q_INVOKABLE static QString translatedSuffixOrPrefix(const QString& text);
    // A declared bound or step as an integer editor takes it: truncated toward zero, within int.
    static int truncatedToInt(double value);
    static QString translatedGeneric(const QString& text);
    // The declared bounds (the whole int range when undeclared), step and decimals ("Precision").
    void applyDeclaredNumbers(QDoubleSpinBox* spinBox) const;
    std::optional<int> declaredPrecision() const;
    // Shows the value unless the spin box already holds it (as rounded to its decimals): the
    // echo of a digit just typed must not rewrite the text being typed ("0 mA" as "0.0 mA"
    // would leave the cursor before the point). Emits nothing.
    static void showInSpinBox(QDoubleSpinBox* spinBox, double value);
    // Within 0.00001 of the declared default, so "2.0" is the default of the value 2.
    bool equalsNumericDefault(const QVariant& value) const;

    // A widget holding several editing widgets side by side, as the editor; returns its layout.
    QHBoxLayout* createEditorRow();
    // At position 0, taking the row's free width; the default button then keeps its own size.
    void insertStretchingEditor(QWidget* widget);

    // Text editors commit whole texts. The echo of a text this view wrote must not set the editor
    // back: the user may have typed on since. A value from elsewhere is always shown.
    void commitText(const QString& text);
    // Marks the default by the property's current text (the announced one may be stale, as
    // echoes arrive queued) and returns it when the editor showing `shown` must take it.
    std::optional<QString> textToShow(const QString& shown);

    AbstractMetaDescription* description = nullptr;
    QHBoxLayout* editingLayout = nullptr;
    QPushButton* defaultButton = nullptr;
    ConnectionHelper connections;
    // Set by each concrete view; gone once nullifyEditor deleted it.
    QPointer<QWidget> editor;

private:
    void createDefaultButton();
    bool isOwnWrite(const QString& current);

    std::optional<QString> lastWrittenText;
};
