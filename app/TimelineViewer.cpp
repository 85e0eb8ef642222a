#include "TimelineViewer.h"

#include "DashedPens.h"
#include "ExperimentScenario.h"
#include "StyleHelper.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTextOption>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Log times beyond this (about 285 000 years in ms) are not times of a run; refusing them keeps
// the duration's arithmetic exact and the grid's loop finite.
constexpr qint64 MaxLogTimeMs = qint64(1) << 53;

struct ChannelName
{
    KestrumBaseDevice::KestrumAction channel;
    QLatin1String startName;
    QLatin1String endName;
};

constexpr std::array<ChannelName, 3> channelNames{{
    {KestrumBaseDevice::Light, QLatin1String("Start_Light"), QLatin1String("End_Light")},
    {KestrumBaseDevice::Sound, QLatin1String("Start_Sound"), QLatin1String("End_Sound")},
    {KestrumBaseDevice::Circuit, QLatin1String("Start_Circuit"), QLatin1String("End_Circuit")},
}};

constexpr std::array<KestrumBaseDevice::KestrumAction, 3> rowChannels{
    KestrumBaseDevice::Light, KestrumBaseDevice::Circuit, KestrumBaseDevice::Sound};

const QBrush& channelBrush(KestrumBaseDevice::KestrumAction channel)
{
    static const std::array<QBrush, 3> brushes{QBrush(QColor(0xFF, 0xCC, 0x33)), QBrush(QColor(0x33, 0x99, 0xFF)),
                                               QBrush(QColor(0x33, 0x99, 0x33))};
    return brushes[std::clamp(int(channel), 0, 2)];
}

const QBrush& latencyBrush()
{
    static const QBrush brush(QColor(0xA7, 0xC3, 0xDE));
    return brush;
}

const QBrush& reactionBrush()
{
    static const QBrush brush(QColor(0xF5, 0xC2, 0xC1));
    return brush;
}

const QPen& curvePen()
{
    static const QPen pen(QColor(0xFF, 0x99, 0x00), 2);
    return pen;
}

const QTextOption& barTextOption()
{
    static const QTextOption option = [] {
        QTextOption made(Qt::AlignLeft | Qt::AlignVCenter);
        made.setWrapMode(QTextOption::NoWrap);
        return made;
    }();
    return option;
}

QString unitText(const char* unit)
{
    return QCoreApplication::translate("Generic", unit);
}

const QString& millisecondsUnit()
{
    static const QString text = unitText(QT_TRANSLATE_NOOP("Generic", "ms"));
    return text;
}

const QString& milliamperesUnit()
{
    static const QString text = unitText(QT_TRANSLATE_NOOP("Generic", "mA"));
    return text;
}

const QString& kilohertzUnit()
{
    static const QString text = unitText(QT_TRANSLATE_NOOP("Generic", "kHz"));
    return text;
}

} // namespace

QString TimelineViewer::stepLabel(KestrumBaseDevice::KestrumAction channel, double value)
{
    switch (channel) {
    case KestrumBaseDevice::Light:
        return QString::number(qRound64(value)) + QLatin1Char('%');
    case KestrumBaseDevice::Circuit:
        return QString::number(value, 'f', 1) + QLatin1Char(' ') + milliamperesUnit();
    case KestrumBaseDevice::Sound:
        return QString::number(value / 1000.0, 'f', 1) + QLatin1Char(' ') + kilohertzUnit();
    }
    return QString();
}

TimelineViewer::TimelineViewer(QWidget* parent)
    : QWidget(parent)
    , m_scenarioConnections(QStringLiteral("TimelineViewer scenario"))
{
    setMinimumHeight(60);
    StyleHelper::Link(this, [this] { applyTheme(); });
}

void TimelineViewer::applyTheme()
{
    m_background = QBrush(StyleHelper::ThemeColor(QStringLiteral("--z-bg"), Qt::white));
    m_textPen = QPen(StyleHelper::ThemeColor(QStringLiteral("--z-text"), Qt::black));
    m_gridPen = QPen(StyleHelper::ThemeColor(QStringLiteral("--z-grid-line"), QColor(0xCC, 0xCC, 0xCC)));
    update();
}

void TimelineViewer::setScenario(ExperimentScenario* scenario)
{
    m_scenarioConnections.clear();
    m_scenario = scenario;
    if (m_scenario)
        m_scenarioConnections << connect(m_scenario, &ExperimentScenario::saved, this, qOverload<>(&QWidget::update));
    update();
}

// An end without its start keeps the start at 0. Lines whose time is no time of a run are
// skipped, so a damaged log shows what it still holds.
void TimelineViewer::parseEvents(const QString& text)
{
    m_eventsValid = true;
    m_events.clear();
    std::array<StimulusEvent, channelNames.size()> pending;
    for (size_t i = 0; i < channelNames.size(); ++i)
        pending[i].channel = channelNames[i].channel;
    qint64 firstMs = -1;
    qint64 lastMs = -1;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QStringList fields = line.trimmed().split(QLatin1Char('|'));
        bool isNumber = false;
        const qint64 timeMs = fields.size() < 2 ? -1 : fields[0].toLongLong(&isNumber);
        if (!isNumber || timeMs < 0 || timeMs > MaxLogTimeMs)
            continue;
        lastMs = timeMs;
        if (firstMs < 0)
            firstMs = timeMs;
        for (size_t i = 0; i < channelNames.size(); ++i) {
            if (fields[1].startsWith(channelNames[i].startName)) {
                pending[i].startMs = timeMs;
            } else if (fields[1].startsWith(channelNames[i].endName)) {
                pending[i].endMs = timeMs;
                m_events.append(pending[i]);
                pending[i] = StimulusEvent{0, 0, channelNames[i].channel};
            }
        }
    }
    m_durationMs = lastMs - firstMs;
    update();
}

void TimelineViewer::setStartleCurve(const QMap<qint64, float>& curve)
{
    m_curve = curve;
    update();
}

void TimelineViewer::setReactions(const QList<StartleReaction>& reactions)
{
    m_reactions = reactions;
    update();
}

QPen TimelineViewer::dashPen1()
{
    return DashedPens::blue();
}

QPen TimelineViewer::dashPen2()
{
    return DashedPens::green();
}

QPen TimelineViewer::dashPen3()
{
    return DashedPens::red();
}

QPen TimelineViewer::dashPen4()
{
    return DashedPens::yellow();
}

QPushButton* TimelineViewer::createFlatIconButton(const QString& iconPath, const QString& toolTip, QSize size)
{
    auto* button = new QPushButton();
    button->setFlat(true);
    button->setToolTip(toolTip);
    button->setIconSize(size - QSize(2, 2));
    button->setStyleSheet(QStringLiteral("padding: 0"));
    button->setFixedSize(size);
    button->setCursor(Qt::PointingHandCursor);
    StyleHelper::SetButtonIcon(button, iconPath, QStringLiteral("#FFF"));
    return button;
}

// Zero when there is nothing to draw.
double TimelineViewer::totalSeconds() const
{
    if (m_scenario)
        return std::max(1.0, m_scenario->cycleDurationMs / 1000.0);
    return m_eventsValid ? double(m_durationMs) / 1000.0 : 0.0;
}

void TimelineViewer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    const double total = totalSeconds();
    if (total < 1.0)
        return;
    const Geometry geometry = geometryFor(painter, total);
    paintGrid(painter, geometry);
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    if (m_scenario) {
        paintScenario(painter, geometry);
        return;
    }
    paintEvents(painter, geometry);
    if (!m_curve.isEmpty())
        paintStartleRow(painter, geometry);
}

TimelineViewer::Geometry TimelineViewer::geometryFor(QPainter& painter, double total) const
{
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    Geometry geometry;
    geometry.totalSeconds = total;
    geometry.labelWidth = metrics.horizontalAdvance(QStringLiteral("99"));
    geometry.labelHeight = metrics.height() + 1;
    geometry.rows = m_curve.isEmpty() ? 3 : 4;
    geometry.rowHeight = std::max(0, (height() - geometry.labelHeight) / geometry.rows);
    geometry.rowStep = geometry.rowHeight + 1;
    geometry.pixelsPerSecond = width() / total;
    geometry.pixelsPerMs = geometry.pixelsPerSecond / 1000.0;
    return geometry;
}

// Over a long run the seconds lie closer than a pixel; one line per pixel draws the same grid.
void TimelineViewer::paintGrid(QPainter& painter, const Geometry& geometry) const
{
    const int bottom = geometry.rowStep * geometry.rows;
    painter.setPen(m_textPen);
    for (int k = 1; k <= geometry.rows; ++k)
        painter.drawLine(0, geometry.rowStep * k, width(), geometry.rowStep * k);
    const qint64 stepSeconds = std::max<qint64>(1, qint64(std::ceil(1.0 / geometry.pixelsPerSecond)));
    double lastLabelX = 0.0;
    for (qint64 second = 0; second <= geometry.totalSeconds; second += stepSeconds) {
        const double x = double(second) * geometry.pixelsPerSecond;
        painter.setPen(m_gridPen);
        painter.drawLine(QPointF(x, 0), QPointF(x, bottom));
        if (second != 0 && x - lastLabelX < geometry.labelWidth)
            continue;
        lastLabelX = x;
        painter.drawLine(QPointF(x, bottom), QPointF(x, bottom + 1));
        painter.setPen(m_textPen);
        painter.drawText(QRectF(x, bottom, geometry.labelWidth, geometry.labelHeight), QString::number(second));
    }
}

void TimelineViewer::paintScenario(QPainter& painter, const Geometry& geometry) const
{
    for (const KestrumBaseDevice::KestrumAction channel : rowChannels) {
        const QList<ScenarioStep*>* steps = m_scenario->stepsFor(channel);
        if (!steps)
            continue;
        double x = 0.0;
        for (const ScenarioStep* step : *steps) {
            x += step->delayBeforeMs * geometry.pixelsPerMs;
            const double barWidth = std::max(2.0, step->durationMs * geometry.pixelsPerMs);
            const QRectF bar(x, int(channel) * geometry.rowStep, barWidth, geometry.rowHeight);
            paintScenarioStep(painter, bar, channel, step->value);
            x += barWidth;
        }
    }
}

void TimelineViewer::paintScenarioStep(QPainter& painter, const QRectF& bar, KestrumBaseDevice::KestrumAction channel,
                                       double value) const
{
    painter.fillRect(bar, channelBrush(channel));
    painter.setPen(m_textPen);
    painter.drawText(bar, stepLabel(channel, value), barTextOption());
}

void TimelineViewer::paintEvents(QPainter& painter, const Geometry& geometry) const
{
    for (const StimulusEvent& event : m_events) {
        const QRectF bar(double(event.startMs) * geometry.pixelsPerMs, int(event.channel) * geometry.rowStep,
                         double(event.endMs - event.startMs) * geometry.pixelsPerMs, geometry.rowHeight);
        painter.fillRect(bar, channelBrush(event.channel));
    }
}

void TimelineViewer::paintStartleRow(QPainter& painter, const Geometry& geometry) const
{
    painter.save();
    painter.translate(0, 3 * geometry.rowStep);
    for (const StartleReaction& reaction : m_reactions)
        paintReaction(painter, geometry, reaction);
    paintCurve(painter, geometry);
    painter.restore();
}

void TimelineViewer::paintReaction(QPainter& painter, const Geometry& geometry, const StartleReaction& reaction) const
{
    const double stimulusX = double(reaction.stimulusStartMs) * geometry.pixelsPerMs;
    const double startX = double(reaction.startMs) * geometry.pixelsPerMs;
    const double endX = double(reaction.endMs) * geometry.pixelsPerMs;
    painter.fillRect(QRectF(stimulusX, 0, startX - stimulusX, geometry.rowHeight), latencyBrush());
    painter.fillRect(QRectF(startX, 0, endX - startX, geometry.rowHeight), reactionBrush());
    painter.setPen(m_textPen);
    painter.drawText(QPointF(stimulusX, geometry.labelHeight),
                     QString::number(reaction.latency()) + QLatin1Char(' ') + millisecondsUnit());
    painter.drawText(QPointF(startX, 2 * geometry.labelHeight),
                     QString::number(reaction.reactionDuration()) + QLatin1Char(' ') + millisecondsUnit());
}

void TimelineViewer::paintCurve(QPainter& painter, const Geometry& geometry) const
{
    const qint64 firstKey = m_curve.firstKey();
    QPainterPath path(QPointF(0, geometry.rowStep));
    for (auto point = m_curve.cbegin(); point != m_curve.cend(); ++point) {
        const double x = double(point.key() - firstKey) * geometry.pixelsPerMs;
        const double y = geometry.rowStep - 2.0 * geometry.rowStep * point.value();
        path.lineTo(x, std::max(0.0, y));
    }
    painter.setPen(curvePen());
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}
