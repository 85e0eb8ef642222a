#include "ApparatusThread.h"
#include "CurlyKestrum.h"
#include "KestrumConstants.h"
#include "ScriptedBoard.h"
#include "SerialManagerStatusWidget.h"
#include "SerialPortManager.h"
#include "SerialPortOverseer.h"

#include <QDateTime>
#include <QPointer>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTest>

namespace {

const QDateTime fixedTime(QDate(2026, 4, 12), QTime(10, 30, 0));

// The row of one port in the view's text.
QString rowOf(const QString& text, const QString& portName)
{
    const QString start = QStringLiteral("<tr><td>") + portName.toHtmlEscaped() + QStringLiteral("</td>");
    const qsizetype at = text.indexOf(start);
    if (at < 0)
        return QString();
    return text.mid(at, text.indexOf(QStringLiteral("</tr>"), at) + 5 - at);
}

void addNamedPort(const QString& name, const QString& description, const QString& manufacturer)
{
    SerialPortEnumerator::addExtraPort(
        SerialPortEntry{name, QStringLiteral("/dev/") + name, description, manufacturer, QString()});
}

} // namespace

class TestPortStatus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void headerAndLayout();
    void portBorrowedByProber();
    void portHeldOpenByDevice();
    void portHeldButClosed();
    void portOfAnAdoptedChamber();
    void portNobodyHolds();
    void rowsInTextOrderOfNames();
    void reportedTextsAreEscaped();
    void widgetRefreshesByItself();
};

void TestPortStatus::initTestCase()
{
    SerialPortEnumerator::setSystemPortsIncluded(false);
}

void TestPortStatus::cleanup()
{
    SerialPortEnumerator::clearExtraPorts();
}

void TestPortStatus::headerAndLayout()
{
    const QString text = SerialManagerStatusWidget::buildStatusText(fixedTime);
    const QString header = QStringLiteral("<th style=\"background: #000; color: #FFF; text-align: left\">");
    QCOMPARE(text, fixedTime.toString(Qt::TextDate) + "<br><table border=1 cellspacing=0 cellpadding=5><tr>" + header
                       + "</th>" + header + "Type</th>" + header + "Open</th>" + header + "BaudRate</th>" + header
                       + "Manufacturer</th>" + header + "Description</th></tr></table>");
}

void TestPortStatus::portBorrowedByProber()
{
    ScriptedBoard board(QStringLiteral("Door unit"), QStringLiteral("Kestrum"));
    SerialPortOverseer overseer;
    overseer.registerDeviceType("KestrumDoor", "{whois}\r\n", "{iamdoor}", 115200, QSerialPort::NoParity,
                                QSerialPort::OneStop);
    overseer.scan();
    QCOMPARE(
        rowOf(SerialManagerStatusWidget::buildStatusText(fixedTime), board.portName()),
        "<tr><td>" + board.portName()
            + "</td><td><span style=\"color:#F90\">_KestrumDoor</span></td>"
              "<td><span style=\"color: #3C0\">@</span></td><td>115200</td><td>Kestrum</td><td>Door unit</td></tr>");
}

void TestPortStatus::portHeldOpenByDevice()
{
    ScriptedBoard board(QStringLiteral("Startle sensor"), QStringLiteral("Kestrum"));
    QSerialPort* port = SerialPortManager::instance()->openPort(board.portName(), "Startle");
    QVERIFY(port);
    port->setBaudRate(19200);
    QVERIFY(port->open(QIODevice::ReadWrite));
    const QString row = rowOf(SerialManagerStatusWidget::buildStatusText(fixedTime), board.portName());
    QVERIFY2(row.contains("<td><span style=\"color:#159\">Startle</span></td><td><span style=\"color: "
                          "#3C0\">@</span></td><td>19200</td>"),
             qPrintable(row));
    SerialPortManager::instance()->releasePort(port, "Startle");
}

void TestPortStatus::portHeldButClosed()
{
    ScriptedBoard board(QStringLiteral("Chamber"), QStringLiteral("Kestrum"));
    QSerialPort* port = SerialPortManager::instance()->openPort(board.portName(), "ClassicKestrum");
    QVERIFY(port);
    port->setBaudRate(57600);
    const QString row = rowOf(SerialManagerStatusWidget::buildStatusText(fixedTime), board.portName());
    QVERIFY2(row.contains("<td><span style=\"color:#915\">ClassicKestrum</span></td><td>-</td><td>57600</td>"),
             qPrintable(row));
    SerialPortManager::instance()->releasePort(port, "ClassicKestrum");
}

// The chamber and its port live in the apparatus thread; the view reads the port there.
void TestPortStatus::portOfAnAdoptedChamber()
{
    ScriptedBoard board(QStringLiteral("Chamber"), QStringLiteral("Kestrum"));
    QSerialPort* port = board.takePort(KestrumConstants::CurlyKestrumTypeName);
    QVERIFY(port);
    QPointer<CurlyKestrum> chamber = new CurlyKestrum(port);
    QVERIFY(ApparatusThread::adopt(chamber));
    const QString row = rowOf(SerialManagerStatusWidget::buildStatusText(fixedTime), board.portName());
    QVERIFY2(row.contains("KestrumV4</span></td><td><span style=\"color: #3C0\">@</span></td><td>115200</td>"),
             qPrintable(row));
    chamber->deleteLater();
    QTRY_VERIFY(chamber.isNull());
    QTRY_VERIFY(!rowOf(SerialManagerStatusWidget::buildStatusText(fixedTime), board.portName()).contains("KestrumV4"));
}

void TestPortStatus::portNobodyHolds()
{
    addNamedPort("ttyUSB7", "FT232R USB UART", "FTDI");
    QCOMPARE(rowOf(SerialManagerStatusWidget::buildStatusText(fixedTime), "ttyUSB7"),
             QStringLiteral("<tr><td>ttyUSB7</td><td></td><td><span style=\"color: #C30\">X</span></td><td></td>"
                            "<td>FTDI</td><td>FT232R USB UART</td></tr>"));
}

void TestPortStatus::rowsInTextOrderOfNames()
{
    addNamedPort("COM3", "Three", "M");
    addNamedPort("COM10", "Ten", "M");
    addNamedPort("COM1", "One", "M");
    const QString text = SerialManagerStatusWidget::buildStatusText(fixedTime);
    const qsizetype one = text.indexOf("<td>COM1</td>");
    const qsizetype ten = text.indexOf("<td>COM10</td>");
    const qsizetype three = text.indexOf("<td>COM3</td>");
    QVERIFY(one >= 0 && ten >= 0 && three >= 0);
    QVERIFY(one < ten);
    QVERIFY(ten < three);
}

void TestPortStatus::reportedTextsAreEscaped()
{
    addNamedPort("ttyUSB<1>", "<img src=x onerror=alert(1)> & co", "\"Acme\" <b>");
    const QString text = SerialManagerStatusWidget::buildStatusText(fixedTime);
    QVERIFY(!text.contains("<img"));
    QVERIFY(!text.contains("<b>"));
    QCOMPARE(rowOf(text, "ttyUSB<1>"),
             QStringLiteral("<tr><td>ttyUSB&lt;1&gt;</td><td></td><td><span style=\"color: #C30\">X</span></td>"
                            "<td></td><td>&quot;Acme&quot; &lt;b&gt;</td>"
                            "<td>&lt;img src=x onerror=alert(1)&gt; &amp; co</td></tr>"));
}

void TestPortStatus::widgetRefreshesByItself()
{
    SerialManagerStatusWidget widget;
    QVERIFY(widget.statusText().contains("<table"));
    QVERIFY(!widget.statusText().contains("ttyACM9"));
    addNamedPort("ttyACM9", "Late board", "Kestrum");
    QTRY_VERIFY_WITH_TIMEOUT(widget.statusText().contains("<td>ttyACM9</td>"), 5000);
}

QTEST_MAIN(TestPortStatus)
#include "tst_portstatus.moc"
