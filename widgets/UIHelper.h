#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

class QColor;
class QFrame;
class QGridLayout;
class QLabel;
class QLayout;
class QLayoutItem;
class QPushButton;
class QWidget;
class ZPushButton;

// Factories of small widgets in the toolkit's look, and tidying of layouts. Widgets come back
// without a parent; the caller places them. Buttons that act carry the pointing-hand cursor.
// User-interface thread only.
class UIHelper
{
public:
    // Object name and style sheet are set only when not empty.
    static ZPushButton* simpleBtn(const QString& text, const QString& toolTip = QString(),
                                  const QString& objectName = QString(), const QString& styleSheet = QString());
    // The icon is drawn in #303030. An empty colour turns it white in dark themes; a colour
    // starting with "--" follows that theme variable; any other colour is fixed.
    static ZPushButton* btn(const QString& iconPath, const QString& text, const QString& toolTip, const QSize& iconSize,
                            const QString& objectName = QString(), const QString& styleSheet = QString(),
                            const QString& color = QString());
    static ZPushButton* btn(const QIcon& icon, const QString& text, const QString& toolTip, const QSize& iconSize,
                            const QString& objectName = QString(), const QString& styleSheet = QString());
    static ZPushButton* imageButton(const QString& iconPath, const QString& toolTip, const QSize& iconSize,
                                    const QSize& buttonSize, const QString& objectName = QString(),
                                    const QString& styleSheet = QString());
    static ZPushButton* imageButton(const QIcon& icon, const QString& toolTip, const QSize& iconSize,
                                    const QSize& buttonSize, const QString& objectName = QString(),
                                    const QString& styleSheet = QString());
    // Flat buttons of a fixed size showing the SVG as it is drawn.
    static QPushButton* GenerateSvgButton(const QString& text, const QString& iconPath, const QSize& iconSize,
                                          const QSize& buttonSize, const QString& styleSheet = QString());
    static QPushButton* GenerateSvgButton(const QString& iconPath, const QSize& iconSize, const QSize& buttonSize,
                                          const QString& styleSheet = QString());
    static ZPushButton* GenerateSmartSvgButton(const QString& iconPath, const QSize& buttonSize);
    // With a fill colour, the root element's fill attribute takes it (see svgWithFill).
    static QPushButton* FixedSizeSvg(const QString& iconPath, const QSize& size, const QString& fillColor = QString());
    // Opens the link when clicked; the label and the tool tip default to the link.
    static QPushButton* GenerateLinkButton(const QString& link, const QString& label = QString(),
                                           const QString& toolTip = QString(), const QString& objectName = QString());

    // A size of 0 and an empty family leave those declarations out of the style sheet.
    static QLabel* GenerateLabel(const QString& text, int fontSize, const QColor& color, bool bold = false,
                                 const QString& fontFamily = QString());
    static QLabel* GenerateBoldLabel(const QString& text, int fontSize, const QColor& color,
                                     const QString& fontFamily = QString());
    static QLabel* GenerateLabelWithName(const QString& text, const QString& objectName, QWidget* parent = nullptr);
    static QLabel* GenerateIconWidget(const QIcon& icon, const QSize& size);
    static QLabel* GenerateIconWidget(const QIcon& icon, int width, int height);
    static QPixmap SvgToPixmap(const QString& path, const QSize& size);
    // At the SVG's own size unless a size with a positive width and height is given; a null
    // pixmap for a file that cannot be read.
    static QPixmap PixmapFromSvg(const QString& path, const QString& fillColor, const QSize& size);
    static QIcon IconFromSvg(const QString& path, const QString& fillColor, const QSize& size);
    // The first path naming an existing file; empty when none does.
    static QString findValidResource(const QStringList& paths);

    // A solid background of the colour in every colour group, filled by the widget itself.
    static void ChangeBackground(QWidget* widget, const QColor& colour);
    // A plain box frame of the width in the colour.
    static void ChangeBorders(QFrame* frame, int width, const QColor& colour);
    // Deletes every widget and nested layout the layout holds; the layout too when asked.
    static void ClearLayout(QLayout* layout, bool deleteLayout);
    static void Delete(QLayoutItem* item);
    static void Delete(QWidget* widget);
    // Replaces the host's layout (and what it held) by a grid holding only the child.
    static void InsertToWidget(QWidget* host, QWidget* child, int margin, Qt::Alignment alignment = Qt::Alignment());
    static void SetGridMargins(QGridLayout* grid, int margin, int verticalSpacing, int horizontalSpacing);

private:
    // The SVG text with the fill attribute written right after "<svg" set to the colour;
    // any other text unchanged; empty when the file cannot be read.
    static QString svgWithFill(const QString& path, const QString& fillColor);
    static void fixSize(QPushButton* button, const QSize& size);
};
