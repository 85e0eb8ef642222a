// Reads fuzz input as the update service's answer and as two version texts, and checks that
// the record takes only string and boolean values of the right keys, that a version is never
// newer than itself nor both newer and older than another, and that a three-part version of
// four-digit parts survives the round trip through its Zero4 text.
#include "VersionChecker.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdint>
#include <cstdlib>

namespace {
// Reaches the answer reading, which only the checker itself uses.
class AnswerReader : public VersionChecker
{
public:
    using VersionChecker::parseVersionInfo;
};

void checkRecord(const QByteArray& body)
{
    const VersionInfo info = AnswerReader::parseVersionInfo(body);
    const QJsonObject answer = QJsonDocument::fromJson(body).object();
    const QJsonValue version = answer.value(QStringLiteral("version"));
    if (info.version != (version.isString() ? version.toString() : QString()))
        std::abort();
    if (info.valid
        != (answer.value(QStringLiteral("valid")).isBool() && answer.value(QStringLiteral("valid")).toBool()))
        std::abort();
}

void checkOrder(const QString& a, const QString& b)
{
    if (VersionChecker::isNewer(a, a) || (VersionChecker::isNewer(a, b) && VersionChecker::isNewer(b, a)))
        std::abort();
}

void checkZero4(const QByteArray& bytes)
{
    if (bytes.size() < 6)
        return;
    QStringList parts;
    for (int part = 0; part < 3; ++part)
        parts << QString::number(((uint8_t(bytes[2 * part]) << 8) | uint8_t(bytes[2 * part + 1])) % 10000);
    const QString version = parts.join(QLatin1Char('.'));
    if (VersionChecker::versionFromZero4String(VersionChecker::versionToZero4String(version)) != version)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkRecord(bytes);
    const QList<QByteArray> halves = bytes.split('\n');
    checkOrder(QString::fromUtf8(halves.value(0)), QString::fromUtf8(halves.value(1)));
    checkZero4(bytes);
    return 0;
}
