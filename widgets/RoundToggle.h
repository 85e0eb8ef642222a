#pragma once

#include <QColor>
#include <QWidget>

// A painted on/off switch: a track with a round knob at its left (off) or right (on) end.
class RoundToggle : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool isChecked READ getIsChecked WRITE setChecked NOTIFY isCheckedChanged)
    Q_PROPERTY(QColor untoggledColor READ getUntoggledColor WRITE setUntoggledColor NOTIFY untoggledColorChanged)
    Q_PROPERTY(QColor toggledColor READ getToggledColor WRITE setToggledColor NOTIFY toggledColorChanged)
public:
    // Following the theme, the colours come from --z-btn-bg (off) and --z-accent (on).
    explicit RoundToggle(QWidget* parent = nullptr, bool followTheme = true);

    void setChecked(bool checked);
    bool getIsChecked() const;
    void setToggledColor(const QColor& color);
    QColor getToggledColor() const;
    void setUntoggledColor(const QColor& color);
    QColor getUntoggledColor() const;

public slots:
    void setIsChecked(bool checked);

signals:
    void isCheckedChanged(bool checked);
    // After a flip by the left mouse button.
    void clicked();
    void untoggledColorChanged(const QColor& color);
    void toggledColorChanged(const QColor& color);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool checked = false;
    QColor untoggledColor = QColor(0x77, 0x77, 0x77);
    QColor toggledColor = QColor(0x00, 0xCC, 0xFF);
};
