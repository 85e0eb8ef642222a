#include "PageAbout.h"

#include "AboutAppWidget.h"

#include <QGridLayout>

// The maker's name, addresses and developers are stand-ins that say what belongs there.
PageAbout::PageAbout(QWidget* parent)
    : BasePage(parent)
{
    const QMap<QString, QDateTime> developers{
        {tr("Имя разработчика"), QDateTime::fromString(QStringLiteral("1990-01-01T00:00:00.000"), Qt::ISODateWithMs)}};
    const QStringList links{QStringLiteral("https://example.com/maker-web-site"),
                            QStringLiteral("https://example.com/product-web-page")};
    auto* about = new AboutAppWidget(tr("Юридическое название производителя"), links, QString(), QString(), developers,
                                     false, -1);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    pageLayout->addWidget(about, 0, 0);
}
