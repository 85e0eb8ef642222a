#pragma once

#include "ConnectionHelper.h"

#include <QColor>
#include <QIcon>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class AbstractSettings;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QWidget;
class ZRectangle;

// The process-wide style and theme engine. A theme is a set of style-sheet variables
// ("--z-bg" -> "#FFF"); selecting one substitutes the variables into every style file, installs
// the result as the application style sheet with the Fusion style, and announces `changed`.
// Widgets that paint themselves or carry icons register re-styling callbacks (Link and the
// setters built on it) that run at once and again after every theme change, for as long as
// their widget lives. Values the program sets itself (setCustomValue) take precedence over the
// theme's. User-interface thread only.
class StyleHelper : public QObject
{
    Q_OBJECT
public:
    enum ColorThemeEnum { System = 0, Light = 1, Dark = 2 };
    Q_ENUM(ColorThemeEnum)

    static StyleHelper* Instance();
    // Drops every re-styling callback; the engine and its themes stay.
    static void Clean();
    // Runs restyle after every theme change until context is destroyed; null context: nothing.
    static void Link(QObject* context, const std::function<void()>& restyle, bool callNow = true);

    static QColor ThemeColor(const QString& variable, const QColor& fallback);
    static QString ThemeValue(const QString& variable, const QString& fallback);
    static QColor MainColor();
    // The icon recoloured for the theme selected now; it does not follow later changes.
    static QIcon ColoredIcon(const QString& path, const QString& darkColor, const QString& lightColor);
    static void SetButtonIcon(QPushButton* button, const QIcon& lightIcon, const QIcon& darkIcon);
    static void SetButtonIcon(QPushButton* button, const QString& path, const QString& darkColor);
    static void SetLabelIcon(QLabel* label, const QIcon& lightIcon, const QIcon& darkIcon);
    static void SetLabelIcon(QLabel* label, const QString& path, const QString& darkColor);
    static void ShowIconsInMenu(QMenu* menu);
    // Selects "light" or "dark" from the settings' property `key` (a ColorThemeEnum, or a text
    // holding "dark") now and whenever it changes; while it is System, the theme follows the
    // system's light or dark palette.
    static void InterlinkTheme(AbstractSettings* settings, const QString& key);
    // A new rectangle without a parent, coloured by the variables (see setZRectColor), holding
    // the widget when one is given.
    static ZRectangle* Wrap(QWidget* widget, const QString& backgroundVariable, const QString& borderVariable);

    // False, with a message on the console, when the file cannot be read; nothing is stored then.
    bool addStyleFile(const QString& path);
    bool addThemeFile(const QString& path, const QString& name);
    // Every --z- variable token of the text, whole, replaced by its value in one pass; unknown
    // variables stay as written.
    QString replaceThemeColors(const QString& text) const;
    void selectTheme(const QString& name);

    QStringList themes() const;
    QString currentTheme() const;
    bool isDark() const;
    QColor mainColor() const;

    QString getThemeValue(const QString& variable, const QString& fallback) const;
    // The fallback also stands in for a value that is not a colour.
    QColor getThemeColor(const QString& variable, const QColor& fallback) const;
    void setCustomValue(const QString& variable, const QString& value);

    // Theme-following icons and backgrounds: each is re-applied on every theme change while its
    // target lives. The path forms take an icon drawn in #303030 and recolour it to darkColor
    // for dark themes.
    void setButtonIcon(QPushButton* button, const QIcon& lightIcon, const QIcon& darkIcon);
    void setButtonIcon(QPushButton* button, const QString& path, const QString& darkColor);
    void setButtonIconThemeColor(QPushButton* button, const QString& path, const QString& variable);
    void setLabelIcon(QLabel* label, const QIcon& lightIcon, const QIcon& darkIcon);
    void setLabelIcon(QLabel* label, const QString& path, const QString& darkColor);
    void setMenuActionIcon(QAction* action, const QIcon& lightIcon, const QIcon& darkIcon);
    void setMenuActionIcon(QAction* action, const QString& path, const QString& darkColor);
    void setStyledBackground(QWidget* widget, const QString& variable, const QColor& fallback);
    // Sets only the colours whose variable is named; a border variable without a value gives a
    // transparent border.
    void setZRectColor(ZRectangle* rectangle, const QString& backgroundVariable, const QString& borderVariable,
                       const QColor& backgroundFallback);
    void setZRectColorWithBorder(ZRectangle* rectangle, const QString& backgroundVariable,
                                 const QString& borderVariable, const QColor& backgroundFallback,
                                 const QColor& borderFallback);

signals:
    void changed();
    // The system's palette changed; Qt 6.4 has no colour-scheme signal of its own.
    void systemPaletteChanged();

protected:
    static QMap<QString, QString> parseTheme(const QString& text);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    StyleHelper();

    void seedCustomValues();
    const QString* lookup(const QString& variable) const;
    QString styleSheet() const;
    void applyWidgetStyle();
    // Turns the application's palette changes into systemPaletteChanged.
    void followSystemPalette();
    // Sets the light or the dark icon on the target now and after every theme change; without a
    // dark icon, the light one once.
    template <typename Target, typename SetIcon>
    void linkIcons(Target* target, const QIcon& lightIcon, const QIcon& darkIcon, SetIcon setIcon);

    bool darkTheme = false;
    bool followingSystem = false;
    QMap<QString, QString> currentVariables;
    QMap<QString, QMap<QString, QString>> themeVariables;
    QMap<QString, QString> styleFiles;
    QMap<QString, QString> customValues;
    QString currentName;
    QString appliedStyleKey;
    ConnectionHelper connections;
    QColor lightMainColor = QColor(0x30, 0x30, 0x30);
    QColor darkMainColor = QColor(Qt::white);
};
