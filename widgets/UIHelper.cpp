#include "UIHelper.h"

#include "CursorHelper.h"
#include "MediaHelper.h"
#include "StyleHelper.h"
#include "ZPushButton.h"

#include <QColor>
#include <QDesktopServices>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QSvgRenderer>
#include <QUrl>
#include <QWidget>

namespace {
const QString DrawnColour = QStringLiteral("#303030");
const QString DarkThemeIconColour = QStringLiteral("#FFF");

QPushButton* flatButton()
{
    auto* button = new QPushButton();
    button->setFlat(true);
    button->setContentsMargins(0, 0, 0, 0);
    return button;
}

void setIfNotEmpty(QWidget* widget, const QString& objectName, const QString& styleSheet)
{
    if (!objectName.isEmpty())
        widget->setObjectName(objectName);
    if (!styleSheet.isEmpty())
        widget->setStyleSheet(styleSheet);
}

void setColouredIcon(QPushButton* button, const QString& iconPath, const QString& color)
{
    if (color.isEmpty())
        StyleHelper::SetButtonIcon(button, iconPath, DarkThemeIconColour);
    else if (color.startsWith(QStringLiteral("--")))
        StyleHelper::Instance()->setButtonIconThemeColor(button, iconPath, color);
    else
        button->setIcon(MediaHelper::iconColored(iconPath, color, DrawnColour));
}
} // namespace

ZPushButton* UIHelper::simpleBtn(const QString& text, const QString& toolTip, const QString& objectName,
                                 const QString& styleSheet)
{
    auto* button = new ZPushButton(text);
    button->setToolTip(toolTip);
    setIfNotEmpty(button, objectName, styleSheet);
    return button;
}

ZPushButton* UIHelper::btn(const QString& iconPath, const QString& text, const QString& toolTip, const QSize& iconSize,
                           const QString& objectName, const QString& styleSheet, const QString& color)
{
    ZPushButton* button = simpleBtn(text, toolTip, objectName, styleSheet);
    button->setIconSize(iconSize);
    if (!iconPath.isEmpty())
        setColouredIcon(button, iconPath, color);
    return button;
}

ZPushButton* UIHelper::btn(const QIcon& icon, const QString& text, const QString& toolTip, const QSize& iconSize,
                           const QString& objectName, const QString& styleSheet)
{
    ZPushButton* button = simpleBtn(text, toolTip, objectName, styleSheet);
    button->setIconSize(iconSize);
    button->setIcon(icon);
    return button;
}

ZPushButton* UIHelper::imageButton(const QString& iconPath, const QString& toolTip, const QSize& iconSize,
                                   const QSize& buttonSize, const QString& objectName, const QString& styleSheet)
{
    ZPushButton* button = btn(iconPath, QString(), toolTip, iconSize, objectName, styleSheet);
    button->setFixedSize(buttonSize);
    return button;
}

ZPushButton* UIHelper::imageButton(const QIcon& icon, const QString& toolTip, const QSize& iconSize,
                                   const QSize& buttonSize, const QString& objectName, const QString& styleSheet)
{
    ZPushButton* button = imageButton(QString(), toolTip, iconSize, buttonSize, objectName, styleSheet);
    button->setIcon(icon);
    return button;
}

QPushButton* UIHelper::GenerateSvgButton(const QString& text, const QString& iconPath, const QSize& iconSize,
                                         const QSize& buttonSize, const QString& styleSheet)
{
    QPushButton* button = GenerateSvgButton(iconPath, iconSize, buttonSize, styleSheet);
    button->setText(text);
    return button;
}

QPushButton* UIHelper::GenerateSvgButton(const QString& iconPath, const QSize& iconSize, const QSize& buttonSize,
                                         const QString& styleSheet)
{
    QPushButton* button = flatButton();
    CursorHelper::setCursor(button, Qt::PointingHandCursor);
    button->setIcon(MediaHelper::icon(iconPath));
    button->setIconSize(iconSize);
    button->setFixedSize(buttonSize);
    setIfNotEmpty(button, QString(), styleSheet);
    return button;
}

ZPushButton* UIHelper::GenerateSmartSvgButton(const QString& iconPath, const QSize& buttonSize)
{
    auto* button = new ZPushButton();
    button->setFixedSize(buttonSize);
    button->setContentsMargins(0, 0, 0, 0);
    // The normal, hovered and disabled pictures are one and the same file.
    button->setIcon(MediaHelper::icon(iconPath));
    return button;
}

QPushButton* UIHelper::FixedSizeSvg(const QString& iconPath, const QSize& size, const QString& fillColor)
{
    QPushButton* button = flatButton();
    if (fillColor.isEmpty()) {
        button->setIcon(MediaHelper::icon(iconPath));
    } else {
        const QString svg = svgWithFill(iconPath, fillColor);
        if (!svg.isEmpty())
            button->setIcon(QIcon(QPixmap::fromImage(QImage::fromData(svg.toUtf8()))));
    }
    if (size.width() > 0 && size.height() > 0)
        fixSize(button, size);
    return button;
}

void UIHelper::fixSize(QPushButton* button, const QSize& size)
{
    button->setFixedSize(size);
    button->setIconSize(size);
}

QPushButton* UIHelper::GenerateLinkButton(const QString& link, const QString& label, const QString& toolTip,
                                          const QString& objectName)
{
    auto* button = new QPushButton(label.isEmpty() ? link : label);
    CursorHelper::setCursor(button, Qt::PointingHandCursor);
    button->setToolTip(toolTip.isEmpty() ? link : toolTip);
    setIfNotEmpty(button, objectName, QString());
    QObject::connect(button, &QPushButton::clicked, button, [link] { QDesktopServices::openUrl(QUrl(link)); });
    return button;
}

QLabel* UIHelper::GenerateLabel(const QString& text, int fontSize, const QColor& color, bool bold,
                                const QString& fontFamily)
{
    QString sheet = QStringLiteral("QLabel { ");
    if (fontSize > 0)
        sheet += QStringLiteral("font-size: %1px; ").arg(fontSize);
    sheet += QStringLiteral("color: ") + color.name() + QStringLiteral("; ");
    if (bold)
        sheet += QStringLiteral("font-weight: bold; ");
    if (!fontFamily.isEmpty())
        sheet += QStringLiteral("font-family: ") + fontFamily + QStringLiteral("; ");
    sheet += QLatin1Char('}');
    auto* label = new QLabel(text);
    label->setStyleSheet(sheet);
    return label;
}

QLabel* UIHelper::GenerateBoldLabel(const QString& text, int fontSize, const QColor& color, const QString& fontFamily)
{
    return GenerateLabel(text, fontSize, color, true, fontFamily);
}

QLabel* UIHelper::GenerateLabelWithName(const QString& text, const QString& objectName, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    return label;
}

QLabel* UIHelper::GenerateIconWidget(const QIcon& icon, const QSize& size)
{
    auto* label = new QLabel();
    label->setFixedSize(size);
    label->setPixmap(icon.pixmap(size));
    return label;
}

QLabel* UIHelper::GenerateIconWidget(const QIcon& icon, int width, int height)
{
    return GenerateIconWidget(icon, QSize(width, height));
}

QPixmap UIHelper::SvgToPixmap(const QString& path, const QSize& size)
{
    return QIcon(path).pixmap(size);
}

QPixmap UIHelper::PixmapFromSvg(const QString& path, const QString& fillColor, const QSize& size)
{
    QSvgRenderer renderer(svgWithFill(path, fillColor).toUtf8());
    const QSize pixmapSize = size.width() > 0 && size.height() >= 1 ? size : renderer.defaultSize();
    if (!renderer.isValid() || pixmapSize.isEmpty())
        return QPixmap();
    QPixmap pixmap(pixmapSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QIcon UIHelper::IconFromSvg(const QString& path, const QString& fillColor, const QSize& size)
{
    QIcon icon;
    icon.addPixmap(PixmapFromSvg(path, fillColor, size), QIcon::Normal);
    return icon;
}

QString UIHelper::findValidResource(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (QFile::exists(path))
            return path;
    }
    return QString();
}

QString UIHelper::svgWithFill(const QString& path, const QString& fillColor)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString text = QString::fromUtf8(file.readAll());
    const QString attribute = QStringLiteral("svg fill=\"");
    const qsizetype start = text.indexOf(attribute);
    if (fillColor.isEmpty() || start <= 0)
        return text;
    const qsizetype valueStart = start + attribute.size();
    const qsizetype valueEnd = text.indexOf(QLatin1Char('"'), valueStart);
    if (valueEnd >= 0)
        text.replace(valueStart, valueEnd - valueStart, fillColor);
    return text;
}

void UIHelper::ChangeBackground(QWidget* widget, const QColor& colour)
{
    if (!widget)
        return;
    QPalette palette = widget->palette();
    palette.setBrush(QPalette::All, QPalette::Window, QBrush(colour));
    widget->setAutoFillBackground(true);
    widget->setPalette(palette);
}

void UIHelper::ChangeBorders(QFrame* frame, int width, const QColor& colour)
{
    if (!frame)
        return;
    QPalette palette = frame->palette();
    palette.setBrush(QPalette::All, QPalette::WindowText, QBrush(colour));
    frame->setPalette(palette);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(width);
}

void UIHelper::ClearLayout(QLayout* layout, bool deleteLayout)
{
    if (!layout)
        return;
    while (QLayoutItem* item = layout->takeAt(0))
        Delete(item);
    if (deleteLayout)
        delete layout;
}

void UIHelper::Delete(QLayoutItem* item)
{
    if (!item)
        return;
    // A nested layout is its own item.
    if (QLayout* layout = item->layout()) {
        ClearLayout(layout, true);
        return;
    }
    delete item->widget();
    delete item;
}

void UIHelper::Delete(QWidget* widget)
{
    if (!widget)
        return;
    ClearLayout(widget->layout(), true);
    delete widget;
}

void UIHelper::InsertToWidget(QWidget* host, QWidget* child, int margin, Qt::Alignment alignment)
{
    if (!host)
        return;
    ClearLayout(host->layout(), true);
    auto* grid = new QGridLayout(host);
    SetGridMargins(grid, margin, 0, 0);
    grid->addWidget(child, 0, 0, alignment);
}

void UIHelper::SetGridMargins(QGridLayout* grid, int margin, int verticalSpacing, int horizontalSpacing)
{
    if (!grid)
        return;
    grid->setContentsMargins(margin, margin, margin, margin);
    grid->setVerticalSpacing(verticalSpacing);
    grid->setHorizontalSpacing(horizontalSpacing);
}
