// Where the settings file lives: beside a program run from a build folder, per user for an
// installed one.

#include "app/IniLocation.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace quillon;

class SettingsLocationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void location_data()
    {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<QString>("installBinDir");
        QTest::addColumn<bool>("perUser");
        QTest::newRow("build folder: beside the program") << m_build.path() << QStringLiteral("/usr/bin") << false;
        QTest::newRow("the prefix's bin folder: per user") << m_build.path() << m_build.path() << true;
        QTest::newRow("same folder written differently") << m_build.path() + QStringLiteral("/.") << m_build.path() << true;
        QTest::newRow("a folder the user may not write: per user") << QStringLiteral("/proc") << QStringLiteral("/usr/bin") << true;
    }
    void location()
    {
        QFETCH(QString, programDir);
        QFETCH(QString, installBinDir);
        QFETCH(bool, perUser);
        if (QTest::currentDataTag() == QByteArray("a folder the user may not write: per user") && ::geteuid() == 0)
            QSKIP("root may write anywhere");
        const QString expected = perUser ? QStringLiteral("/home/u/.config/quillon/quillon.ini")
                                         : QDir::cleanPath(programDir) + QStringLiteral("/quillon.ini");
        QCOMPARE(SettingsFileFor(programDir + QStringLiteral("/quillon"), installBinDir, QStringLiteral("/home/u/.config")),
                 expected);
    }

private:
    QTemporaryDir m_build;
};

QTEST_GUILESS_MAIN(SettingsLocationTest)
#include "tst_settings_location.moc"
