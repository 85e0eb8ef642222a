#include "FileUtilities.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// Every case works on a real tree in a temporary folder:
//   top.mp4  notes.txt  readonly.txt (read-only)
//   a/x.mp4  a/y.txt  a/b/deep.mp4  a/b/loop -> the tree's root (a link loop)
//   c/   .git/inner/   outside/keep.txt (reached only through a/b/out -> outside)
class TestFileUtilities : public QObject
{
    Q_OBJECT

    QTemporaryDir temp;
    QString root;    // the tree, with a trailing "/"
    QString outside; // a folder beside the tree that links point into

    static void expectRefusal(const char* pattern)
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QString::fromLatin1(pattern)));
    }

private slots:
    void init()
    {
        QVERIFY(temp.isValid());
        root = temp.path() + "/tree/";
        outside = temp.path() + "/outside/";
        QVERIFY(QDir().mkpath(root + "a/b"));
        QVERIFY(QDir().mkpath(root + "c"));
        QVERIFY(QDir().mkpath(root + ".git/inner"));
        QVERIFY(QDir().mkpath(outside));
        QVERIFY(writeFileBytes(root + "top.mp4", "top"));
        QVERIFY(writeFileBytes(root + "notes.txt", "notes!"));
        QVERIFY(writeFileBytes(root + "readonly.txt", "ro"));
        QVERIFY(writeFileBytes(root + "a/x.mp4", "xx"));
        QVERIFY(writeFileBytes(root + "a/y.txt", "yyy"));
        QVERIFY(writeFileBytes(root + "a/b/deep.mp4", "deeeep"));
        QVERIFY(writeFileBytes(outside + "keep.txt", "keep"));
        QVERIFY(QFile::link(root, root + "a/b/loop"));
        QVERIFY(QFile::link(outside, root + "a/b/out"));
        QVERIFY(QFile::setPermissions(root + "readonly.txt", QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    }

    void cleanup()
    {
        QFile::setPermissions(root + "readonly.txt", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QDir(root).removeRecursively();
        QDir(outside).removeRecursively();
    }

    void folderSlash_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("windows") << "C:\\data\\\\run"
                                 << "C:/data/run/";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("already") << "/data/"
                                 << "/data/";
        QTest::newRow("three slashes") << "/a///b"
                                       << "/a//b/";
        QTest::newRow("network") << "\\\\server\\share"
                                 << "/server/share/";
    }
    void folderSlash()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(FileUtilities::FolderSlash(path), expected);
    }

    void createIfNotExists()
    {
        QVERIFY(FileUtilities::createIfNotExists(root + "a"));
        QCOMPARE(readFileBytes(root + "a/x.mp4"), QByteArray("xx"));
        QVERIFY(FileUtilities::createIfNotExists(root + "n1/n2/n3"));
        QVERIFY(QDir(root + "n1/n2/n3").exists());
        QVERIFY(!FileUtilities::createIfNotExists(root + "top.mp4/under"));
    }

    void clearFolderEmptiesOrRemoves()
    {
        QVERIFY(FileUtilities::clearFolder(root + "a", false));
        QVERIFY(QDir(root + "a").exists());
        QVERIFY(QDir(root + "a").isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System));
        // The link loop and the link to a folder outside were removed, not walked into.
        QCOMPARE(readFileBytes(outside + "keep.txt"), QByteArray("keep"));
        QCOMPARE(readFileBytes(root + "top.mp4"), QByteArray("top"));

        QVERIFY(FileUtilities::clearFolder(root + "c", true));
        QVERIFY(!QDir(root + "c").exists());
        QVERIFY(!FileUtilities::clearFolder(root + "missing", false));
        QVERIFY(!QDir(root + "missing").exists());
    }

    void clearFolderRefusesDangerousPaths()
    {
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root));
        expectRefusal("empty path");
        QVERIFY(!FileUtilities::clearFolder(QString(), true));
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(readFileBytes(root + "notes.txt"), QByteArray("notes!"));

        expectRefusal("symbolic link");
        QVERIFY(!FileUtilities::clearFolder(root + "a/b/out/", false));
        QCOMPARE(readFileBytes(outside + "keep.txt"), QByteArray("keep"));

        // The home folder is faked into the tree, so a regression could only hurt the tree.
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(root + "a/b"));
        expectRefusal("home folder");
        const bool homeCleared = FileUtilities::clearFolder(root + "a/b", true);
        expectRefusal("home folder");
        const bool parentCleared = FileUtilities::clearFolder(root + "a/", false);
        qputenv("HOME", home);
        QVERIFY(!homeCleared);
        QVERIFY(!parentCleared);
        QCOMPARE(readFileBytes(root + "a/b/deep.mp4"), QByteArray("deeeep"));
        QCOMPARE(readFileBytes(root + "a/x.mp4"), QByteArray("xx"));
    }

    void subfolders()
    {
        QCOMPARE(FileUtilities::GetSubfolders(root, false, false), QStringList({"a/", "c/"}));
        QCOMPARE(FileUtilities::GetSubfolders(root, false, true), QStringList({"a/", "a/b/", "c/"}));
        QCOMPARE(FileUtilities::GetSubfolders(root.chopped(1), true, true),
                 QStringList({root + "a/", root + "a/b/", root + "c/"}));
        QCOMPARE(FileUtilities::GetSubfolders(root + "missing", false, true), QStringList());
    }

    void filesOfType()
    {
        const QStringList plain = FileUtilities::getFilesOfType(root, "mp4", false, false);
        QCOMPARE(plain, QStringList({"top.mp4"}));
        QCOMPARE(FileUtilities::getFilesOfType(root, ".mp4", false, false), plain);
        QCOMPARE(FileUtilities::getFilesOfType(root, "*.mp4", false, false), plain);

        QCOMPARE(FileUtilities::getFilesOfType(root, "mp4", true, false),
                 QStringList({"top.mp4", "a/x.mp4", "a/b/deep.mp4"}));
        const QString abs = QDir(root).absolutePath();
        QCOMPARE(FileUtilities::getFilesOfType(root, "mp4", true, true),
                 QStringList({abs + "/top.mp4", abs + "/a/x.mp4", abs + "/a/b/deep.mp4"}));
        QCOMPARE(FileUtilities::getFilesOfTypes(root + "a", {"txt", "", "mp4"}, false, false),
                 QStringList({"x.mp4", "y.txt"}));
        QCOMPARE(FileUtilities::getFilesOfType(root + "missing", "mp4", true, true), QStringList());
    }

    void filesOfEmptyTypeListEverything()
    {
        const QStringList all = FileUtilities::getFilesOfType(root + "a", QString(), false, false);
        QCOMPARE(all, QStringList({".", "..", "b", "x.mp4", "y.txt"}));
        const QStringList deep = FileUtilities::getFilesOfType(root + "a", QString(), true, false);
        QVERIFY(deep.contains("b/deep.mp4"));
        QVERIFY(deep.contains("b/loop"));
        QVERIFY(!deep.contains("b/loop/top.mp4"));
    }

    void copyFolderStructure()
    {
        const QString target = temp.path() + "/copy/";
        QVERIFY(FileUtilities::CopyFolderStructure(root, target, false));
        QCOMPARE(FileUtilities::GetSubfolders(target, false, true), QStringList({"a/", "a/b/", "c/"}));
        QCOMPARE(FileUtilities::getFilesOfType(target, "mp4", true, false), QStringList());

        QVERIFY(writeFileBytes(target + "a/x.mp4", "kept"));
        QVERIFY(FileUtilities::CopyFolderStructure(root, target, true));
        QCOMPARE(readFileBytes(target + "a/b/deep.mp4"), QByteArray("deeeep"));
        QCOMPARE(readFileBytes(target + "notes.txt"), QByteArray("notes!"));
        QCOMPARE(readFileBytes(target + "a/x.mp4"), QByteArray("kept"));
        QVERIFY(!QFileInfo::exists(target + "a/b/loop"));
        QVERIFY(FileUtilities::clearFolder(target, true));

        // A relative source is resolved against the working directory, files included.
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root));
        const bool relativeCopied = FileUtilities::CopyFolderStructure("a", target, true);
        QVERIFY(QDir::setCurrent(previous));
        QVERIFY(relativeCopied);
        QCOMPARE(readFileBytes(target + "b/deep.mp4"), QByteArray("deeeep"));

        for (int file = 0; file < 3; ++file)
            expectRefusal("could not copy");
        QVERIFY(!FileUtilities::CopyFolderStructure(root + "a", root + "top.mp4/inside", true));
    }

    void sizes()
    {
        QCOMPARE(FileUtilities::filesize(root + "a/y.txt"), 3);
        QCOMPARE(FileUtilities::filesize(root + "missing"), 0);
        QCOMPARE(FileUtilities::dirsize(root + "a"), 2 + 3 + 6);
        QCOMPARE(FileUtilities::dirsize(root), 3 + 6 + 2 + 2 + 3 + 6);
        QCOMPARE(FileUtilities::dirsize(root + "missing"), 0);
        QCOMPARE(FileUtilities::filesizeNice(root + "notes.txt"), QStringLiteral("6 B"));
        QCOMPARE(FileUtilities::filesizeNice(root + "missing"), QString());
    }

    void filesizeNice_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << qint64(0) << 2 << "0 B";
        QTest::newRow("bytes") << qint64(1000) << 2 << "1000 B";
        QTest::newRow("exactly 1024") << qint64(1024) << 2 << "1024 B";
        QTest::newRow("kilobytes") << qint64(1536) << 2 << "1.50 KB";
        QTest::newRow("a megabyte") << qint64(1048576) << 2 << "1024.00 KB";
        QTest::newRow("gigabytes") << qint64(3) * 1024 * 1024 * 1024 << 1 << "3.0 GB";
        QTest::newRow("beyond terabytes") << qint64(2048) * 1024 * 1024 * 1024 * 1024 << 0 << "2048 TB";
    }
    void filesizeNice()
    {
        QFETCH(qint64, bytes);
        QFETCH(int, precision);
        QFETCH(QString, expected);
        QCOMPARE(FileUtilities::filesizeNice(bytes, precision), expected);
    }

    void namesAndSuffixes()
    {
        QCOMPARE(FileUtilities::filename("/a/b/archive.tar.gz", false), QStringLiteral("archive.tar"));
        QCOMPARE(FileUtilities::filename("/a/b/archive.tar.gz", true), QStringLiteral("archive.tar.gz"));
        QCOMPARE(FileUtilities::filename("/a/b/README", false), QStringLiteral("README"));
        QCOMPARE(FileUtilities::filetype("/a/b/archive.tar.gz"), QStringLiteral("gz"));
        QCOMPARE(FileUtilities::replaceFileSuffix("/a/clip", "avi"), QString());
        QCOMPARE(FileUtilities::replaceFileSuffix("/mp4/clip.mp4", "avi"), QStringLiteral("/mp4/clip.avi"));
        QCOMPARE(FileUtilities::replaceFileSuffix("/x/mp4clip.mp4", "avi"), QStringLiteral("/x/mp4clip.avi"));
        QCOMPARE(FileUtilities::replaceFileSuffix("/x.mp4/clip", "avi"), QString());
    }

    void removeFile()
    {
        QVERIFY(FileUtilities::removeFile(root + "readonly.txt"));
        QVERIFY(!QFileInfo::exists(root + "readonly.txt"));
        QVERIFY(!FileUtilities::removeFile(root + "readonly.txt"));

        expectRefusal("refusing to remove the folder");
        QVERIFY(!FileUtilities::removeFile(root + "c"));
        QVERIFY(QDir(root + "c").exists());

        const QFile::Permissions before = QFile::permissions(outside);
        QVERIFY(FileUtilities::removeFile(root + "a/b/out"));
        QVERIFY(!QFileInfo(root + "a/b/out").isSymLink());
        QCOMPARE(QFile::permissions(outside), before);
        QCOMPARE(readFileBytes(outside + "keep.txt"), QByteArray("keep"));
    }

    void acceptableFileName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("acceptable");
        QTest::newRow("plain") << "run 1.xml" << true;
        QTest::newRow("bar") << "a|b" << true;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("cyrillic") << "Опыт.xml" << true;
        for (const char* bad : {"a/b", "a\\b", "c:d", "a*", "a?", "a<b", "a>b", "a\"b"})
            QTest::newRow(bad) << QString::fromLatin1(bad) << false;
    }
    void acceptableFileName()
    {
        QFETCH(QString, name);
        QFETCH(bool, acceptable);
        QCOMPARE(FileUtilities::acceptableFileName(name), acceptable);
    }

    void base64RoundTrips()
    {
        const QString text = QStringLiteral("Привет, mouse #3");
        QCOMPARE(FileUtilities::base64_decode(FileUtilities::base64_encode(text)), text);
        QCOMPARE(FileUtilities::base64_encode(QStringLiteral("a")), QStringLiteral("YQ=="));

        QByteArray bytes;
        for (int i = 0; i < 256; ++i)
            bytes.append(char(i));
        const QString encoded = FileUtilities::base64_encode(bytes);
        QCOMPARE(FileUtilities::base64_decode_as_bytes(encoded), bytes);
        QCOMPARE(FileUtilities::base64_decode(encoded.toLatin1()), bytes);
        QCOMPARE(FileUtilities::base64_decode(QByteArray("YW\nJj !")), QByteArray("abc"));

        const QString plus = FileUtilities::base64_encode(QByteArray("\xfb\xff\xbe"));
        QCOMPARE(plus, QStringLiteral("+/++"));
        QCOMPARE(FileUtilities::base64_decodeFromPercentEncoding(QStringLiteral("%2B%2F%2B%2B")),
                 QString::fromUtf8(QByteArray("\xfb\xff\xbe")));
        QCOMPARE(FileUtilities::base64_decodeFromPercentEncoding(QByteArray("YQ%3D%3D")), QStringLiteral("a"));
    }
};

QTEST_GUILESS_MAIN(TestFileUtilities)
#include "tst_fileutilities.moc"
