// The portable profile-file routines: lookup, number reading, byte-exact rewriting of INI text
// (garbage, binary bytes and line-end styles included) and the file-level read and write.

#include "app/ProfileFile.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <optional>

using namespace quillon;
using quillon::testing::ReadAll;
using quillon::testing::WriteAll;

Q_DECLARE_METATYPE(std::optional<QByteArray>)

namespace {

// Byte strings with embedded NULs, sized by the literal.
template <qsizetype N>
QByteArray B(const char (&bytes)[N])
{
    return QByteArray(bytes, N - 1);
}


} // namespace

class ProfileFileRoutines : public QObject
{
    Q_OBJECT

private slots:
    void findsValue_data();
    void findsValue();
    void readsLeadingNumber_data();
    void readsLeadingNumber();
    void setsValueKeepingOtherBytes_data();
    void setsValueKeepingOtherBytes();
    void refusesEntriesThatCannotBeReadBack_data();
    void refusesEntriesThatCannotBeReadBack();
    void readsBackWhatItWroteInRandomBytes();
    void readIntGivesDefaultForMissingFileKeyOrValue();
    void readStringCutsToBufferAndTrimsDefault();
    void firstWriteCreatesFileWithCrLf();
    void writeFailsWithoutTouchingAnything();

private:
    QTemporaryDir m_dir;
};

void ProfileFileRoutines::findsValue_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<std::optional<QByteArray>>("expected");
    using V = std::optional<QByteArray>;

    QTest::newRow("plain key") << QByteArray("[S]\nk=v\n") << QByteArray("S") << QByteArray("k") << V("v");
    QTest::newRow("names ignore case") << QByteArray("[QuillonSet]\nPort=3\n") << QByteArray("quillonset") << QByteArray("PORT") << V("3");
    QTest::newRow("blanks around name and value dropped") << QByteArray("[S]\n \t k \t=  v w \t\n") << QByteArray("S") << QByteArray("k") << V("v w");
    QTest::newRow("blanks inside brackets dropped") << QByteArray("[ S ]\nk=v\n") << QByteArray("S") << QByteArray("k") << V("v");
    QTest::newRow("text after the bracket ignored") << QByteArray("[S] ; note\nk=v\n") << QByteArray("S") << QByteArray("k") << V("v");
    QTest::newRow("comment after a value belongs to it") << QByteArray("[S]\nk=5   ; five\n") << QByteArray("S") << QByteArray("k") << V("5   ; five");
    QTest::newRow("value keeps later equals signs") << QByteArray("[S]\nk=a=b\n") << QByteArray("S") << QByteArray("k") << V("a=b");
    QTest::newRow("empty value") << QByteArray("[S]\nk=\n") << QByteArray("S") << QByteArray("k") << V("");
    QTest::newRow("enclosing quotes removed") << QByteArray("[S]\nk=\" x \"\n") << QByteArray("S") << QByteArray("k") << V(" x ");
    QTest::newRow("unbalanced quote kept") << QByteArray("[S]\nk='x\n") << QByteArray("S") << QByteArray("k") << V("'x");
    QTest::newRow("CR LF line ends") << QByteArray("[S]\r\nk=v\r\n") << QByteArray("S") << QByteArray("k") << V("v");
    QTest::newRow("no line end after last line") << QByteArray("[S]\nk=v") << QByteArray("S") << QByteArray("k") << V("v");
    QTest::newRow("UTF-8 mark before first section") << QByteArray("\xEF\xBB\xBF[S]\nk=v\n") << QByteArray("S") << QByteArray("k") << V("v");
    QTest::newRow("first of repeated sections counts") << QByteArray("[S]\nk=1\n[S]\nk=2\n") << QByteArray("S") << QByteArray("k") << V("1");
    QTest::newRow("first of repeated keys counts") << QByteArray("[S]\nk=1\nK=2\n") << QByteArray("S") << QByteArray("k") << V("1");
    QTest::newRow("key in another section") << QByteArray("[A]\nk=1\n[B]\nj=2\n") << QByteArray("B") << QByteArray("k") << V();
    QTest::newRow("key before any section") << QByteArray("k=1\n[S]\n") << QByteArray("S") << QByteArray("k") << V();
    QTest::newRow("commented-out key") << QByteArray("[S]\n;k=1\n") << QByteArray("S") << QByteArray("k") << V();
    QTest::newRow("missing section") << QByteArray("[A]\nk=1\n") << QByteArray("S") << QByteArray("k") << V();
    QTest::newRow("empty text") << QByteArray() << QByteArray("S") << QByteArray("k") << V();
    QTest::newRow("garbage and NUL bytes around the entry")
        << B("\x01\xff\0junk]\n[S]\n\0\0\0\n[no close\n\xfe=\n k=v\n")
        << QByteArray("S") << QByteArray("k") << V("v");
    QTest::newRow("binary value bytes kept") << B("[S]\nk=\xb6\xcb\0\xbf\xda\n") << QByteArray("S") << QByteArray("k") << V(B("\xb6\xcb\0\xbf\xda"));
}

void ProfileFileRoutines::findsValue()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(std::optional<QByteArray>, expected);
    QCOMPARE(ProfileFindValue(text, section, key), expected);
}

void ProfileFileRoutines::readsLeadingNumber_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("plain") << QByteArray("17") << 17;
    QTest::newRow("negative") << QByteArray("-1200") << -1200;
    QTest::newRow("plus sign") << QByteArray("+7") << 7;
    QTest::newRow("leading blanks") << QByteArray("   4") << 4;
    QTest::newRow("comment after the number") << QByteArray("5       ; COM 6") << 5;
    QTest::newRow("letters after the digits") << QByteArray("12abc") << 12;
    QTest::newRow("no digits") << QByteArray("abc") << 0;
    QTest::newRow("sign alone") << QByteArray("-") << 0;
    QTest::newRow("blank between sign and digits") << QByteArray("- 3") << 0;
    QTest::newRow("largest int") << QByteArray("2147483647") << INT_MAX;
    QTest::newRow("smallest int") << QByteArray("-2147483648") << INT_MIN;
    QTest::newRow("too large saturates") << QByteArray("99999999999999999999") << INT_MAX;
    QTest::newRow("too small saturates") << QByteArray("-99999999999") << INT_MIN;
}

void ProfileFileRoutines::readsLeadingNumber()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    QCOMPARE(ProfileValueToInt(value), expected);
}

void ProfileFileRoutines::setsValueKeepingOtherBytes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("after");
    // Every row sets the value "9".

    QTest::newRow("new text gets CR LF")
        << QByteArray() << QByteArray("S") << QByteArray("k") << QByteArray("[S]\r\nk=9\r\n");
    QTest::newRow("replacing keeps every other line")
        << QByteArray("; top\n[A]\nx = 1 ; c\n\n[S]\n; note\nk = 1\nz=2\n[B]\nk=3\n")
        << QByteArray("s") << QByteArray("K")
        << QByteArray("; top\n[A]\nx = 1 ; c\n\n[S]\n; note\nk=9\nz=2\n[B]\nk=3\n");
    QTest::newRow("replacing keeps the file's spelling and line end")
        << QByteArray("[S]\r\n  PORT =  1  \r\nx=1\n") << QByteArray("S") << QByteArray("port")
        << QByteArray("[S]\r\nPORT=9\r\nx=1\n");
    QTest::newRow("new key after the section's last line, before blank lines")
        << QByteArray("[S]\nx=1\n; end\n\n\n[B]\n") << QByteArray("S") << QByteArray("k")
        << QByteArray("[S]\nx=1\n; end\nk=9\n\n\n[B]\n");
    QTest::newRow("new key under a bare header")
        << QByteArray("[S]\r\n[B]\r\n") << QByteArray("S") << QByteArray("k")
        << QByteArray("[S]\r\nk=9\r\n[B]\r\n");
    QTest::newRow("new key after a last line without line end")
        << QByteArray("[S]\nx=1") << QByteArray("S") << QByteArray("k")
        << QByteArray("[S]\nx=1\nk=9\n");
    QTest::newRow("new section in the first line's style")
        << QByteArray("[A]\nx=1\r\n") << QByteArray("S") << QByteArray("k")
        << QByteArray("[A]\nx=1\r\n[S]\nk=9\n");
    QTest::newRow("new section after a last line without line end")
        << QByteArray("[A]\r\nx=1") << QByteArray("S") << QByteArray("k")
        << QByteArray("[A]\r\nx=1\r\n[S]\r\nk=9\r\n");
    QTest::newRow("UTF-8 mark kept")
        << QByteArray("\xEF\xBB\xBF[S]\nk=1\n") << QByteArray("S") << QByteArray("k")
        << QByteArray("\xEF\xBB\xBF[S]\nk=9\n");
    QTest::newRow("garbage and binary bytes kept")
        << B("\0\xff\x01\n[S]\n\x80\x81 no equals\nk=1\n\0[\n")
        << QByteArray("S") << QByteArray("k")
        << B("\0\xff\x01\n[S]\n\x80\x81 no equals\nk=9\n\0[\n");
    QTest::newRow("lone CR stays inside a line")
        << QByteArray("[S]\nx=a\rb\nk=1\n") << QByteArray("S") << QByteArray("k")
        << QByteArray("[S]\nx=a\rb\nk=9\n");
    QTest::newRow("very long line kept")
        << QByteArray("[S]\n") + QByteArray(100000, 'x') + QByteArray("\nk=1\n")
        << QByteArray("S") << QByteArray("k")
        << QByteArray("[S]\n") + QByteArray(100000, 'x') + QByteArray("\nk=9\n");
}

void ProfileFileRoutines::setsValueKeepingOtherBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, after);
    QCOMPARE(ProfileSetValue(before, section, key, "9"), std::optional<QByteArray>(after));
}

void ProfileFileRoutines::refusesEntriesThatCannotBeReadBack_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("line feed in value") << QByteArray("S") << QByteArray("k") << QByteArray("1\n[X]");
    QTest::newRow("CR in key") << QByteArray("S") << QByteArray("k\r") << QByteArray("1");
    QTest::newRow("NUL in section") << B("S\0") << QByteArray("k") << QByteArray("1");
    QTest::newRow("bracket in section") << QByteArray("S]") << QByteArray("k") << QByteArray("1");
    QTest::newRow("equals in key") << QByteArray("S") << QByteArray("a=b") << QByteArray("1");
    QTest::newRow("key starting a comment") << QByteArray("S") << QByteArray(";k") << QByteArray("1");
    QTest::newRow("blank key") << QByteArray("S") << QByteArray("  ") << QByteArray("1");
}

void ProfileFileRoutines::refusesEntriesThatCannotBeReadBack()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QVERIFY(!ProfileSetValue("[S]\nk=1\n", section, key, value));

    const QString path = m_dir.filePath("refused.ini");
    WriteAll(path, "[S]\nk=1\n");
    QVERIFY(!ProfileWriteString(section, key, value, path));
    QCOMPARE(ReadAll(path), QByteArray("[S]\nk=1\n"));
}

void ProfileFileRoutines::readsBackWhatItWroteInRandomBytes()
{
    // Texts made of the bytes that matter to the format, plus NUL and high bytes.
    static const char kAlphabet[] = "[]=;\r\n \tSk\0\xff";
    QRandomGenerator rng(20240611);
    for (int round = 0; round < 500; ++round) {
        QByteArray text;
        const int length = rng.bounded(0, 80);
        for (int i = 0; i < length; ++i)
            text.append(kAlphabet[rng.bounded(int(sizeof kAlphabet - 1))]);
        const std::optional<QByteArray> written = ProfileSetValue(text, "S", "k", "value");
        QVERIFY(written);
        QCOMPARE(ProfileFindValue(*written, "s", "K"), std::optional<QByteArray>("value"));
        QCOMPARE(ProfileSetValue(*written, "S", "k", "value"), written);
    }
}

void ProfileFileRoutines::readIntGivesDefaultForMissingFileKeyOrValue()
{
    const QString path = m_dir.filePath("ints.ini");
    QCOMPARE(ProfileReadInt("S", "k", 50, m_dir.filePath("absent.ini")), 50);
    QCOMPARE(ProfileReadInt("S", "k", 50, m_dir.path()), 50);
    WriteAll(path, "[S]\r\nempty=  \r\nword=abc\r\nk=-3 ; minus three\r\n");
    QCOMPARE(ProfileReadInt("S", "missing", 50, path), 50);
    QCOMPARE(ProfileReadInt("S", "empty", 50, path), 50);
    QCOMPARE(ProfileReadInt("S", "word", 50, path), 0);
    QCOMPARE(ProfileReadInt("s", "K", 50, path), -3);
}

void ProfileFileRoutines::readStringCutsToBufferAndTrimsDefault()
{
    const QString path = m_dir.filePath("strings.ini");
    const QByteArray longValue = QByteArray(250, 'a') + QByteArray(70, 'b');
    WriteAll(path, "[S]\nlong=" + longValue + "\n");
    QCOMPARE(ProfileReadString("S", "long", "", 300, path), longValue.left(299));
    QCOMPARE(ProfileReadString("S", "long", "", 1, path), QByteArray());
    QCOMPARE(ProfileReadString("S", "long", "", 0, path), QByteArray());
    QCOMPARE(ProfileReadString("S", "none", "dflt \t ", 300, path), QByteArray("dflt"));
    QCOMPARE(ProfileReadString("S", "none", "dflt", 3, path), QByteArray("df"));
}

void ProfileFileRoutines::firstWriteCreatesFileWithCrLf()
{
    const QString path = m_dir.filePath("created.ini");
    QVERIFY(ProfileWriteString("QuillonSet", "Port", "0", path));
    QVERIFY(ProfileWriteString("QuillonSet", "Speed", "6", path));
    QVERIFY(ProfileWriteString("Point", "Top", "-15", path));
    QCOMPARE(ReadAll(path), QByteArray("[QuillonSet]\r\nPort=0\r\nSpeed=6\r\n[Point]\r\nTop=-15\r\n"));
    QCOMPARE(QDir(m_dir.path()).entryList({"created.ini*"}, QDir::Files | QDir::Hidden).size(), 1);
}

void ProfileFileRoutines::writeFailsWithoutTouchingAnything()
{
    // The path's directory is a plain file: no temporary file can be made next to it.
    const QString notADir = m_dir.filePath("plain");
    WriteAll(notADir, "keep");
    QVERIFY(!ProfileWriteString("S", "k", "1", notADir + "/settings.ini"));
    QCOMPARE(ReadAll(notADir), QByteArray("keep"));

    // The path is a directory: it can be neither read nor replaced.
    const QString dir = m_dir.filePath("adir");
    QVERIFY(QDir().mkdir(dir));
    QVERIFY(!ProfileWriteString("S", "k", "1", dir));
    QVERIFY(QFileInfo(dir).isDir());
}

QTEST_GUILESS_MAIN(ProfileFileRoutines)
#include "tst_profile_file_routines.moc"
