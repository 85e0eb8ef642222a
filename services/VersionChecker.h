#pragma once

#include "VersionInfo.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVersionNumber>

class Clock;
class QNetworkAccessManager;
class ZTimer;

// Asks the maker's update service whether a newer version of the program exists: at once when
// checking starts, then periodically. The answer becomes the last result and is announced. A
// request that stays unanswered ends after requestTimeoutMs and counts as a failed one, so a
// stalled server never stops later checks. A failed request, an answer that is not JSON and an
// offered version that is not newer than the one asked about all give a record that is not
// valid. Also converts versions to and from the fixed-width number form "Zero4", in which every
// component after the first takes four decimal places. User-interface thread only.
class VersionChecker : public QObject
{
    Q_OBJECT

public:
    // The address of the update script, ".../repo/version.php"; set when the program starts.
    static QString baseUrl;
    static int requestTimeoutMs;
    // Asynchronous requests closer together than this are dropped.
    static constexpr qint64 MinimumSpacingMs = 5000;
    static constexpr int MinimumIntervalSeconds = 5;

    static VersionChecker* Instance();
    static VersionInfo LastVersion();
    // With start true: checks at once and then every max(seconds, 5) seconds.
    static void StartChecking(bool start, int seconds);
    static void FindNewVersionAsync();
    // Blocking checks: they run a nested event loop until the answer or the time-out.
    static VersionInfo findNewVersion(const QString& locale);
    static VersionInfo findNewVersion(const QString& appName, const QString& version, const QString& locale);
    // The request spacing is measured on this clock's monotonic reading.
    static void setClock(Clock* clock);

    // Every dot-separated component is a group of four decimal digits: "3.10.0" is 300100000.
    // A component that is not a number counts 0; a version too long for the number gives 0.
    static qint64 versionToZero4Number(const QString& version);
    // At least nine digits, zeros in front.
    static QString versionToZero4String(const QString& version);
    static QString versionFromZero4String(const QString& number);
    // Whether the offered text is a plain dotted version number above the own one. Both are read
    // alike, so of two versions at most one is newer.
    static bool isNewer(const QString& offered, const QString& own);

signals:
    void versionFound(VersionInfo info);

protected:
    explicit VersionChecker(QObject* parent = nullptr);

    void findNewVersionAsync();
    void findNewVersionAsync(const QString& appName, const QString& version, const QString& locale);
    // The query values are percent-encoded, so a "&", "#" or "+" in a system name stays a value.
    static QString fetchUrl(const QString& appName, const QString& version, const QString& locale);
    static VersionInfo parseVersionInfo(const QByteArray& body);

private:
    static QString defaultAppName();
    static QString defaultVersion();
    static QString defaultLocale();
    // The dotted version number at the start of the text, blanks around the text aside; `plain`
    // tells whether the number is all the text holds.
    static QVersionNumber readVersion(const QString& text, bool* plain = nullptr);
    // The parsed answer, offered only when it is newer than the version asked about.
    static VersionInfo answerFor(const QByteArray& body, const QString& askedVersion);
    bool mayRequestNow();
    void receive(const VersionInfo& info);

    static VersionChecker* _instance;

    ZTimer* checkTimer = nullptr;
    VersionInfo lastResult;
    QNetworkAccessManager* manager = nullptr;
    Clock* clock;
    bool requested = false;
    qint64 lastRequestMs = 0;
    bool ready = true;
};
