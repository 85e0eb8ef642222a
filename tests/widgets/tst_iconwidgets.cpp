#include "DoubleClickButton.h"
#include "IconWidget.h"
#include "MultiStateImageWidget.h"
#include "RoundToggle.h"
#include "TestFiles.h"
#include "WidgetPixels.h"
#include "ZPushButton.h"

#include <QEnterEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
const QString Check = QStringLiteral(":/icons/check.svg");
const QString Close = QStringLiteral(":/icons/close.svg");

// Counts the paintings of the widget it watches.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

QColor halfway(const QColor& a, const QColor& b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

bool near(const QColor& a, const QColor& b)
{
    return qAbs(a.red() - b.red()) <= 2 && qAbs(a.green() - b.green()) <= 2 && qAbs(a.blue() - b.blue()) <= 2;
}
} // namespace

class TestIconWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(addShippedThemes());
        StyleHelper::Instance()->selectTheme(QStringLiteral("light"));
        QImage wide(20, 10, QImage::Format_ARGB32);
        wide.fill(Qt::red);
        QVERIFY(wide.save(pngPath));
    }

    void picturesFitCentredAndDimWhenDisabled()
    {
        IconWidget png(pngPath, QString(), QSize(40, 40));
        QCOMPARE(png.size(), QSize(40, 40));
        // 20 by 10 fits as 40 by 20, centred from y 10 to 29.
        const QColor background = pixelAt(png, 20, 5);
        QVERIFY(background != QColor(Qt::red));
        QCOMPARE(pixelAt(png, 20, 10), QColor(Qt::red));
        QCOMPARE(pixelAt(png, 20, 29), QColor(Qt::red));
        QCOMPARE(pixelAt(png, 20, 31), background);
        png.setEnabled(false);
        QVERIFY2(near(pixelAt(png, 20, 20), halfway(background, Qt::red)), qPrintable(pixelAt(png, 20, 20).name()));

        IconWidget svg(Check, QStringLiteral("#00FF00"), QSize(24, 48));
        // The 24 by 24 picture sits 12 pixels down; (9, 17) lies on its stroke.
        QCOMPARE(pixelAt(svg, 9, 29), QColor(Qt::green));
        QVERIFY(!svg.isAnimated());
        IconWidget missing(folder.filePath(QStringLiteral("missing.png")), QString(), QSize(8, 8));
        QCOMPARE(centreColour(missing), pixelAt(missing, 0, 0));
        std::unique_ptr<QLabel> plain(IconWidget::PlainIconWidget(Check, QSize(24, 24), QStringLiteral("#0000FF")));
        QCOMPARE(drawnColour(plain->pixmap().toImage()), QColor(Qt::blue));
    }

    void animatedSvgPlaysOnlyWhileActive()
    {
        const QString path = folder.filePath(QStringLiteral("blink.svg"));
        QVERIFY(writeFileBytes(path, "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.2\" baseProfile=\"tiny\" "
                                     "width=\"10\" height=\"10\"><rect width=\"10\" height=\"10\" fill=\"#303030\">"
                                     "<animateColor attributeName=\"fill\" from=\"#303030\" to=\"#FF0000\" dur=\"1s\" "
                                     "repeatCount=\"indefinite\"/></rect></svg>"));
        IconWidget icon(path, QString(), QSize(20, 20));
        QVERIFY(icon.isAnimated());
        PaintCounter counter;
        icon.installEventFilter(&counter);
        icon.show();
        QTRY_VERIFY(counter.paints >= 3);

        auto* renderer = icon.findChild<QSvgRenderer*>();
        QVERIFY(renderer);
        const auto framesPass = [renderer] {
            QSignalSpy frames(renderer, &QSvgRenderer::repaintNeeded);
            QTRY_VERIFY(frames.count() >= 3);
            QCoreApplication::processEvents();
        };
        icon.setEnabled(false);
        QCoreApplication::processEvents();
        counter.paints = 0;
        framesPass();
        QCOMPARE(counter.paints, 0);

        icon.setInvertedEnabledBehavior(true);
        QTRY_VERIFY(counter.paints >= 3);
        icon.setEnabled(true);
        QCoreApplication::processEvents();
        counter.paints = 0;
        framesPass();
        QCOMPARE(counter.paints, 0);
    }

    void statesTogglesAndButtons()
    {
        MultiStateImageWidget states(24, 24);
        QSignalSpy stateChanged(&states, &MultiStateImageWidget::stateChanged);
        states.setState(QStringLiteral("never added"));
        states.addState(QStringLiteral("svg"), Check);
        states.addState(QStringLiteral("png"), pngPath);
        states.setState(QStringLiteral("svg"));
        states.setState(QStringLiteral("svg"));
        QCOMPARE(stateChanged.count(), 1);
        QVERIFY(states.findChild<QPushButton*>());
        states.setState(QStringLiteral("png"));
        QCOMPARE(stateChanged.count(), 2);
        QCOMPARE(states.getCurrentState(), QStringLiteral("png"));
        QVERIFY(!states.findChild<QPushButton*>());
        QCOMPARE(states.findChild<QLabel*>()->pixmap().size(), QSize(24, 12));

        RoundToggle toggle;
        toggle.resize(48, 24);
        QStringList heard;
        connect(&toggle, &RoundToggle::isCheckedChanged, this, [&heard](bool on) { heard << (on ? "on" : "off"); });
        connect(&toggle, &RoundToggle::clicked, this, [&heard] { heard << "clicked"; });
        QTest::mouseClick(&toggle, Qt::RightButton);
        QVERIFY(heard.isEmpty());
        // The knob's middle shows the colour of the state, from the theme.
        QCOMPARE(pixelAt(toggle, 12, 12), QColor(0xE6, 0xE6, 0xE6));
        QTest::mouseClick(&toggle, Qt::LeftButton);
        QCOMPARE(heard, QStringList({"on", "clicked"}));
        QCOMPARE(pixelAt(toggle, 36, 12), QColor(0x77, 0xAA, 0xCC));

        ZPushButton button(QStringLiteral("Go"));
        QSignalSpy enabledState(&button, &ZPushButton::enabledStateChanged);
        QSignalSpy hover(&button, &ZPushButton::mouseHoverChanged);
        QSignalSpy visible(&button, &ZPushButton::onVisibleChanged);
        QSignalSpy doubleClicked(&button, &ZPushButton::doubleClicked);
        button.enable();
        button.disable();
        button.setEnabledState(false);
        button.setEnabledState(true);
        QCOMPARE(enabledState, QList<QVariantList>({{false}, {true}}));
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(&button, &enter);
        QVERIFY(button.isHovered());
        QCOMPARE(hover, QList<QVariantList>({{true}}));
        button.show();
        button.hide();
        QCOMPARE(visible, QList<QVariantList>({{true}, {false}}));
        QTest::mouseDClick(&button, Qt::LeftButton);
        QCOMPARE(doubleClicked.count(), 1);

        DoubleClickButton doubleClick(QStringLiteral("Twice"));
        QSignalSpy twice(&doubleClick, &DoubleClickButton::doubleClicked);
        QTest::mouseDClick(&doubleClick, Qt::RightButton);
        QTest::mouseDClick(&doubleClick, Qt::LeftButton);
        QCOMPARE(twice.count(), 1);

        std::unique_ptr<QPushButton> toggleButton(ZPushButton::ToggleButton(Check, Close, true));
        const QString drawn = QStringLiteral("#303030");
        QCOMPARE(toggleButton->icon().cacheKey(), StyleHelper::ColoredIcon(Check, "#FFF", drawn).cacheKey());
        QTest::mouseClick(toggleButton.get(), Qt::LeftButton);
        QCOMPARE(toggleButton->icon().cacheKey(), StyleHelper::ColoredIcon(Close, "#FFF", drawn).cacheKey());
        QCOMPARE(toggleButton->cursor().shape(), Qt::PointingHandCursor);
    }

private:
    QTemporaryDir folder;
    const QString pngPath = folder.filePath(QStringLiteral("wide.png"));
};

QTEST_MAIN(TestIconWidgets)
#include "tst_iconwidgets.moc"
