// ReadIniInt, ReadIniString and WriteIniString on the settings file: the default of 50, the
// comment kept in its column (or at four blanks), the key order of a new file, and the file's
// default location next to the executable.

#include "app/PublicMod.h"
#include "support/Files.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quillon;
using quillon::testing::ReadAll;
using quillon::testing::WriteAll;


class IniSettingsRoutines : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanupTestCase();
    void keepsCommentColumn_data();
    void keepsCommentColumn();
    void rewritesValueWithCommentInFile_data();
    void rewritesValueWithCommentInFile();
    void readsIntOrFifty_data();
    void readsIntOrFifty();
    void readsStringOrDefault();
    void newFileHoldsSevenKeysInOrder();
    void defaultPathIsNextToExecutable();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void IniSettingsRoutines::init()
{
    m_path = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".ini");
    QFile::remove(m_path);
    SetIniFilePath(m_path);
}

void IniSettingsRoutines::cleanupTestCase()
{
    SetIniFilePath({});
}

void IniSettingsRoutines::keepsCommentColumn_data()
{
    QTest::addColumn<QByteArray>("current");
    QTest::addColumn<QByteArray>("newValue");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("no comment: value alone") << QByteArray("15") << QByteArray("3") << QByteArray("3");
    QTest::newRow("comment at column 9, one-character value: seven blanks")
        << QByteArray("12      ; COM") << QByteArray("5") << QByteArray("5       ; COM");
    QTest::newRow("comment column just reachable: four blanks")
        << QByteArray("1       ;c") << QByteArray("1234") << QByteArray("1234    ;c");
    QTest::newRow("value too long for the column: exactly four blanks")
        << QByteArray("1 ; c") << QByteArray("123456789") << QByteArray("123456789    ; c");
    QTest::newRow("comment right after the value: four blanks")
        << QByteArray("7;c") << QByteArray("8") << QByteArray("8    ;c");
    QTest::newRow("everything from the first semicolon kept")
        << QByteArray("1  ;a;b ; c") << QByteArray("2") << QByteArray("2    ;a;b ; c");
    QTest::newRow("comment only") << QByteArray(";c") << QByteArray("-1") << QByteArray("-1    ;c");
}

void IniSettingsRoutines::keepsCommentColumn()
{
    QFETCH(QByteArray, current);
    QFETCH(QByteArray, newValue);
    QFETCH(QByteArray, expected);
    QCOMPARE(ValueKeepingComment(current, newValue), expected);
}

void IniSettingsRoutines::rewritesValueWithCommentInFile_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    const QByteArray other = "; kept\r\n[Point]\r\nTop=1 ;x\r\n";
    QTest::newRow("comment at column 9 keeps its column")
        << "[QuillonSet]\r\nPort=12      ; COM\r\n" + other << "5"
        << "[QuillonSet]\r\nPort=5       ; COM\r\n" + other;
    QTest::newRow("long value puts four blanks")
        << "[QuillonSet]\r\nPort = 1 ; COM\r\n" + other << "123456789"
        << "[QuillonSet]\r\nPort=123456789    ; COM\r\n" + other;
    QTest::newRow("no comment: value replaced")
        << "[QuillonSet]\r\nPORT=  4  \r\n" + other << "0"
        << "[QuillonSet]\r\nPORT=0\r\n" + other;
    // The current value is read through a 300-byte buffer: the comment is cut at 299 bytes.
    QTest::newRow("comment beyond the read buffer is cut")
        << "[QuillonSet]\r\nPort=1 ;" + QByteArray(400, 'c') + "\r\n" << "2"
        << "[QuillonSet]\r\nPort=2    ;" + QByteArray(296, 'c') + "\r\n";
}

void IniSettingsRoutines::rewritesValueWithCommentInFile()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    WriteAll(m_path, before);
    WriteIniString("quillonset", "port", value);
    QCOMPARE(ReadAll(m_path), after);
}

void IniSettingsRoutines::readsIntOrFifty_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("expected");
    QTest::newRow("missing file") << QByteArray() << 50;
    QTest::newRow("missing key") << QByteArray("[QuillonSet]\nSpeed=3\n") << 50;
    QTest::newRow("key in another section") << QByteArray("[Point]\nPort=3\n") << 50;
    QTest::newRow("names in other case") << QByteArray("[QUILLONSET]\nport=3\n") << 3;
    QTest::newRow("comment after the number") << QByteArray("[QuillonSet]\r\nPort=17      ; 256000\r\n") << 17;
    QTest::newRow("negative") << QByteArray("[QuillonSet]\nPort=-2\n") << -2;
    QTest::newRow("leading blanks") << QByteArray("[QuillonSet]\nPort=    4\n") << 4;
    QTest::newRow("garbage value") << QByteArray("[QuillonSet]\nPort=\xff\x01\n") << 0;
    QTest::newRow("binary file") << QByteArray("\x7f" "ELF\x02\x01\x01\0\0\0\n\n[Quillon", 20) << 50;
}

void IniSettingsRoutines::readsIntOrFifty()
{
    QFETCH(QByteArray, content);
    QFETCH(int, expected);
    if (!content.isEmpty())
        WriteAll(m_path, content);
    QCOMPARE(ReadIniInt("QuillonSet", "Port"), expected);
}

void IniSettingsRoutines::readsStringOrDefault()
{
    QCOMPARE(ReadIniString("Ports", "COM1", "none"), QString("none"));
    WriteAll(m_path, "[Ports]\nCOM1 = /dev/ttyUSB0\ncom2=simulator\nCOM3=/dev/\xe4\xb8\xb2\xe5\x8f\xa3\n");
    QCOMPARE(ReadIniString("ports", "COM1", "none"), QString("/dev/ttyUSB0"));
    QCOMPARE(ReadIniString("Ports", "COM2"), QString("simulator"));
    QCOMPARE(ReadIniString("Ports", "COM3"), QString::fromUtf8("/dev/串口"));
    QCOMPARE(ReadIniString("Ports", "COM4", "none"), QString("none"));
}

void IniSettingsRoutines::newFileHoldsSevenKeysInOrder()
{
    WriteIniString("QuillonSet", "Port", "0");
    WriteIniString("QuillonSet", "Speed", "6");
    WriteIniString("Point", "Top", "-120");
    WriteIniString("Point", "Left", "1500");
    WriteIniString("Point", "Width", "9600");
    WriteIniString("Point", "Height", "7200");
    WriteIniString("Point", "WindowState", "1");
    QCOMPARE(ReadAll(m_path), QByteArray("[QuillonSet]\r\nPort=0\r\nSpeed=6\r\n"
                                         "[Point]\r\nTop=-120\r\nLeft=1500\r\nWidth=9600\r\n"
                                         "Height=7200\r\nWindowState=1\r\n"));
    QCOMPARE(ReadIniInt("Point", "Top"), -120);
}

void IniSettingsRoutines::defaultPathIsNextToExecutable()
{
    SetIniFilePath({});
    QCOMPARE(IniFilePath(), QCoreApplication::applicationDirPath() + "/ini_settings_routines.ini");
    SetIniFilePath(m_path);
    QCOMPARE(IniFilePath(), m_path);
}

QTEST_GUILESS_MAIN(IniSettingsRoutines)
#include "tst_ini_settings_routines.moc"
