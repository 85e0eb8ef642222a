#pragma once

#include <QPushButton>

// A push button with the pointing-hand cursor that announces hovering, enabling, double clicks
// and its visibility, with factories of themed icon buttons.
class ZPushButton : public QPushButton
{
    Q_OBJECT
public:
    // The object name is set when not empty.
    ZPushButton(const QIcon& icon, const QString& text, const QString& objectName, QWidget* parent = nullptr);
    ZPushButton(const QIcon& icon, const QString& text, QWidget* parent = nullptr);
    explicit ZPushButton(const QString& text, QWidget* parent = nullptr);
    explicit ZPushButton(QWidget* parent = nullptr);

    bool isHovered() const;

    // A button showing the overlay picture over the icon, both white in dark themes.
    static QPushButton* DoubleIconButton(const QString& iconPath, const QString& overlayIconPath, const QSize& size);
    // A checkable button showing the checked or the unchecked picture, themed when it changes.
    static QPushButton* ToggleButton(const QString& uncheckedIconPath, const QString& checkedIconPath, bool flat);

public slots:
    // Each announces only a real change.
    void enable();
    void disable();
    void setEnabledState(bool enabled);

signals:
    void mouseHover();
    void mouseLeft();
    void mouseHoverChanged(bool hovered);
    void disabled();
    void enabled();
    void enabledStateChanged(bool enabled);
    void doubleClicked();
    void onHidden();
    void onShown();
    void onVisibleChanged(bool visible);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // A double click is one action of its own, not a second click.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setHovered(bool hovered);

    bool hovered = false;
};
