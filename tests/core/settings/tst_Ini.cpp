#include "core/settings/Ini.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;
using TestSupport::readAll;
using TestSupport::writeAll;

namespace {

// One write: section, key, value.
using Write = QByteArrayList;
using Writes = QList<QByteArrayList>;

using TestSupport::ReadOnlyBits;

// The file's mode bits, without what the current user happens to be allowed.
QFileDevice::Permissions modeBits(const QString& path)
{
    return QFile::permissions(path) &
           ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

QByteArray run(char c, int count)
{
    return QByteArray(count, c);
}

} // namespace

class TestIni : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void readsTheFileOfTheMomentWithoutCaching();
    void read_data();
    void read();
    void readFromMissingFile();
    void readFromEmptyFileName();
    void readsTheFileEveryTime();

    void write_data();
    void write();
    void writeCreatesAMissingFile();
    void writeWithoutFileNameDoesNothing();
    void writeLeavesAReadOnlyFileAlone();
    void writeRefusesLineBreaks_data();
    void writeRefusesLineBreaks();
    void writeKeepsTheFileMode();
    void writeToAFolderDoesNothing();

    void readBoolean_data();
    void readBoolean();
    void writeBoolean();
    void readInteger_data();
    void readInteger();
    void integerBeyondADouble_data();
    void integerBeyondADouble();
    void writeInteger_data();
    void writeInteger();

    void absentKeyReadsEmptyFalseAndZero();
    void longValuesAreCutTo254();
    void firstStartWritesTheFiveSettings();
    void settingsSurviveARewrite();

private:
    QString path(const QString& name = u"options.ini"_s) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    Ini m_ini;
};

void TestIni::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_ini = Ini();
    m_ini.setFileName(path());
}

// Nothing is cached: a new file name, or a file changed behind its back, is read at once.
void TestIni::readsTheFileOfTheMomentWithoutCaching()
{
    TestSupport::writeAll(path(), "[Main]\r\nKey=1\r\n");
    const QString other = m_dir->filePath(u"other.ini"_s);
    TestSupport::writeAll(other, "[Main]\r\nKey=2\r\n");
    QCOMPARE(m_ini.RINI("Main", "Key"), QByteArray("1"));
    m_ini.setFileName(other);
    QCOMPARE(m_ini.RINI("Main", "Key"), QByteArray("2"));
    TestSupport::writeAll(other, "[Main]\r\nKey=3\r\n");
    QCOMPARE(m_ini.RINI("Main", "Key"), QByteArray("3"));
}

void TestIni::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray main = "[Main]\r\nDownloadImages=10\r\nUseProxy=False\r\n";
    QTest::newRow("plain") << main << QByteArray("Main") << QByteArray("DownloadImages")
                           << QByteArray("10");
    QTest::newRow("second key") << main << QByteArray("Main") << QByteArray("UseProxy")
                                << QByteArray("False");
    QTest::newRow("section name in other case")
        << main << QByteArray("MAIN") << QByteArray("DownloadImages") << QByteArray("10");
    QTest::newRow("key name in other case")
        << main << QByteArray("Main") << QByteArray("downloadimages") << QByteArray("10");
    QTest::newRow("file spelled in other case")
        << QByteArray("[mAiN]\r\ncAsHeSiZe=300\r\n") << QByteArray("Main")
        << QByteArray("CasheSize") << QByteArray("300");
    QTest::newRow("missing section")
        << main << QByteArray("Other") << QByteArray("UseProxy") << QByteArray();
    QTest::newRow("missing key") << main << QByteArray("Main") << QByteArray("ProxyName")
                                 << QByteArray();
    QTest::newRow("key name is not a prefix")
        << QByteArray("[Main]\r\nKeyLonger=1\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray();
    QTest::newRow("section name is not a prefix")
        << QByteArray("[MainX]\r\nKey=1\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray();
    QTest::newRow("empty file") << QByteArray() << QByteArray("Main") << QByteArray("Key")
                                << QByteArray();

    // Blanks and tabs.
    QTest::newRow("blanks and tabs around key and value")
        << QByteArray("[Main]\r\n \t Key \t=\t Value \t \r\n") << QByteArray("Main")
        << QByteArray("Key") << QByteArray("Value");
    QTest::newRow("blanks and tabs inside the brackets")
        << QByteArray("[ \tMain\t ]\r\nKey=v\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray("v");
    QTest::newRow("blanks before the bracket")
        << QByteArray("  \t[Main]\r\nKey=v\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray("v");
    QTest::newRow("blanks inside a value kept")
        << QByteArray("[Main]\r\nKey=a  \t b\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray("a  \t b");
    QTest::newRow("blank inside a key name")
        << QByteArray("[Main]\r\nProxy Name = host\r\n") << QByteArray("Main")
        << QByteArray("Proxy Name") << QByteArray("host");
    QTest::newRow("blank inside a section name")
        << QByteArray("[My Main]\r\nKey=v\r\n") << QByteArray("my main") << QByteArray("Key")
        << QByteArray("v");

    // Quotes.
    QTest::newRow("double quotes removed, inner blanks kept")
        << QByteArray("[Main]\r\nKey=\"  a b  \"\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray("  a b  ");
    QTest::newRow("single quotes removed")
        << QByteArray("[Main]\r\nKey='x y'\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray("x y");
    QTest::newRow("quotes with blanks outside them")
        << QByteArray("[Main]\r\nKey = \"x\" \r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray("x");
    QTest::newRow("mismatched quotes kept")
        << QByteArray("[Main]\r\nKey=\"x'\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray("\"x'");
    QTest::newRow("opening quote only kept")
        << QByteArray("[Main]\r\nKey=\"x\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray("\"x");
    QTest::newRow("a lone quote kept") << QByteArray("[Main]\r\nKey=\"\r\n") << QByteArray("Main")
                                       << QByteArray("Key") << QByteArray("\"");
    QTest::newRow("empty quotes") << QByteArray("[Main]\r\nKey=''\r\n") << QByteArray("Main")
                                  << QByteArray("Key") << QByteArray();
    QTest::newRow("only one pair removed")
        << QByteArray("[Main]\r\nKey=\"\"x\"\"\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray("\"x\"");
    QTest::newRow("quotes inside kept")
        << QByteArray("[Main]\r\nKey=a\"b\"\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray("a\"b\"");

    // Values and odd lines.
    QTest::newRow("equals sign inside the value")
        << QByteArray("[Main]\r\nKey=a=b\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray("a=b");
    QTest::newRow("empty value") << QByteArray("[Main]\r\nKey=\r\nNext=1\r\n") << QByteArray("Main")
                                 << QByteArray("Key") << QByteArray();
    QTest::newRow("key without equals sign")
        << QByteArray("[Main]\r\nKey\r\nNext=1\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray();
    QTest::newRow("bytes of the code page kept")
        << QByteArray("[Main]\r\nName=\xCF\xF0\xE8\x98\xFF\r\n") << QByteArray("Main")
        << QByteArray("Name") << QByteArray("\xCF\xF0\xE8\x98\xFF");
    QTest::newRow("blank lines between")
        << QByteArray("[Main]\r\n\r\n  \r\n\r\nKey=v\r\n") << QByteArray("Main")
        << QByteArray("Key") << QByteArray("v");

    // Comments.
    QTest::newRow("commented key is not found")
        << QByteArray("[Main]\r\n;Key=c\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray();
    QTest::newRow("comment after blanks is not found")
        << QByteArray("[Main]\r\n \t;Key=c\r\nKey=v\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray("v");
    QTest::newRow("semicolon inside a key name")
        << QByteArray("[Main]\r\nK;ey=v\r\n") << QByteArray("Main") << QByteArray("K;ey")
        << QByteArray("v");
    QTest::newRow("semicolon inside a value kept")
        << QByteArray("[Main]\r\nKey=v ; not a comment\r\n") << QByteArray("Main")
        << QByteArray("Key") << QByteArray("v ; not a comment");

    // Where entries count.
    QTest::newRow("lines before the first section are not found")
        << QByteArray("Key=early\r\n[Main]\r\nOther=1\r\n") << QByteArray("Main")
        << QByteArray("Key") << QByteArray();
    QTest::newRow("text after the bracket is not an entry")
        << QByteArray("[Main] Key=x\r\nOther=1\r\n") << QByteArray("Main") << QByteArray("Key")
        << QByteArray();
    QTest::newRow("text after the bracket leaves the section usable")
        << QByteArray("[Main] Key=x\r\nOther=1\r\n") << QByteArray("Main") << QByteArray("Other")
        << QByteArray("1");
    QTest::newRow("key of another section is not found")
        << QByteArray("[Other]\r\nKey=1\r\n[Main]\r\nB=2\r\n") << QByteArray("Main")
        << QByteArray("Key") << QByteArray();
    QTest::newRow("section ends at the next header")
        << QByteArray("[Main]\r\nA=1\r\n[Other]\r\nKey=2\r\n") << QByteArray("Main")
        << QByteArray("Key") << QByteArray();
    QTest::newRow("of duplicate sections the first is searched")
        << QByteArray("[Main]\r\nA=1\r\n[Other]\r\n[main]\r\nA=2\r\nB=3\r\n") << QByteArray("Main")
        << QByteArray("A") << QByteArray("1");
    QTest::newRow("of duplicate sections only the first is searched")
        << QByteArray("[Main]\r\nA=1\r\n[Other]\r\n[main]\r\nA=2\r\nB=3\r\n") << QByteArray("Main")
        << QByteArray("B") << QByteArray();
    QTest::newRow("of duplicate keys the first wins")
        << QByteArray("[Main]\r\nA=1\r\na=2\r\n") << QByteArray("Main") << QByteArray("A")
        << QByteArray("1");

    // Line ends.
    QTest::newRow("LF lines") << QByteArray("[Main]\nA=1\nB=2\n") << QByteArray("Main")
                              << QByteArray("B") << QByteArray("2");
    QTest::newRow("CR lines") << QByteArray("[Main]\rA=1\rB=2\r") << QByteArray("Main")
                              << QByteArray("B") << QByteArray("2");
    QTest::newRow("mixed line ends") << QByteArray("[Other]\rX=0\n[Main]\r\nA=1\rB=2\nC=3")
                                     << QByteArray("Main") << QByteArray("B") << QByteArray("2");
    QTest::newRow("CR lines, key of the first section not found in the second")
        << QByteArray("[Other]\rB=0\r[Main]\rA=1\r") << QByteArray("Main") << QByteArray("B")
        << QByteArray();
    QTest::newRow("LF CR is two line ends") << QByteArray("[Main]\n\rA=1\n\r") << QByteArray("Main")
                                            << QByteArray("A") << QByteArray("1");
    QTest::newRow("last line without line end")
        << QByteArray("[Main]\r\nA=1") << QByteArray("Main") << QByteArray("A") << QByteArray("1");

    // The 255-byte buffer.
    const auto longFile = [](const QByteArray& value) -> QByteArray {
        return "[Main]\r\nKey=" + value + "\r\n";
    };
    QTest::newRow("253 bytes whole")
        << longFile(run('a', 253)) << QByteArray("Main") << QByteArray("Key") << run('a', 253);
    QTest::newRow("254 bytes whole")
        << longFile(run('b', 254)) << QByteArray("Main") << QByteArray("Key") << run('b', 254);
    QTest::newRow("255 bytes cut to 254") << longFile(run('c', 254) + 'X') << QByteArray("Main")
                                          << QByteArray("Key") << run('c', 254);
    QTest::newRow("1000 bytes cut to 254")
        << longFile(run('d', 254) + run('X', 746)) << QByteArray("Main") << QByteArray("Key")
        << run('d', 254);
    QTest::newRow("254 bytes between quotes whole")
        << longFile('"' + run('e', 254) + '"') << QByteArray("Main") << QByteArray("Key")
        << run('e', 254);
    QTest::newRow("blanks around a 254-byte value do not count")
        << longFile("   " + run('f', 254) + "   ") << QByteArray("Main") << QByteArray("Key")
        << run('f', 254);
}

void TestIni::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    writeAll(path(), file);
    QCOMPARE(m_ini.RINI(section, key), expected);
    QCOMPARE(readAll(path()), file); // reading never writes
}

void TestIni::readFromMissingFile()
{
    QCOMPARE(m_ini.RINI("Main", "DownloadImages"), QByteArray());
    QCOMPARE(m_ini.RINIb("Main", "UseProxy"), false);
    QCOMPARE(m_ini.RINIi("Main", "CasheSize"), qint16(0));
    QVERIFY(!QFile::exists(path()));
}

void TestIni::readFromEmptyFileName()
{
    writeAll(path(), "[Main]\r\nKey=v\r\n");
    QCOMPARE(Ini().RINI("Main", "Key"), QByteArray());
}

void TestIni::readsTheFileEveryTime()
{
    m_ini.WInI("Main", "Key", "first");
    Ini other;
    other.setFileName(path());
    QCOMPARE(other.RINI("Main", "Key"), QByteArray("first"));
    writeAll(path(), "[Main]\r\nKey=edited by hand\r\n");
    QCOMPARE(m_ini.RINI("Main", "Key"), QByteArray("edited by hand"));
    other.WInI("Main", "Key", "second");
    QCOMPARE(m_ini.RINI("Main", "Key"), QByteArray("second"));
}

void TestIni::write_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Writes>("writes");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty file gets the section") << QByteArray() << Writes{{"Main", "Key", "Value"}}
                                                 << QByteArray("[Main]\r\nKey=Value\r\n");
    QTest::newRow("existing key keeps its place")
        << QByteArray("[Main]\r\nA=1\r\nB=2\r\nC=3\r\n") << Writes{{"Main", "B", "22"}}
        << QByteArray("[Main]\r\nA=1\r\nB=22\r\nC=3\r\n");
    QTest::newRow("existing key keeps its spelling")
        << QByteArray("[main]\r\n  KeY = old \r\nNext=1\r\n") << Writes{{"MAIN", "key", "new"}}
        << QByteArray("[main]\r\nKeY=new\r\nNext=1\r\n");
    QTest::newRow("shorter and longer values")
        << QByteArray("[Main]\r\nA=a long old value\r\nB=2\r\n")
        << Writes{{"Main", "A", "s"}, {"Main", "B", "a much longer value than before"}}
        << QByteArray("[Main]\r\nA=s\r\nB=a much longer value than before\r\n");
    QTest::newRow("value written exactly as given")
        << QByteArray("[Main]\r\n") << Writes{{"Main", "Key", "  \"quoted\" ; = \t"}}
        << QByteArray("[Main]\r\nKey=  \"quoted\" ; = \t\r\n");
    QTest::newRow("empty value") << QByteArray("[Main]\r\nKey=old\r\n")
                                 << Writes{{"Main", "Key", ""}} << QByteArray("[Main]\r\nKey=\r\n");
    QTest::newRow("bytes of the code page written as given")
        << QByteArray() << Writes{{"\xC3\xEB", "\xCA\xEB", "\x98\xFF\x80"}}
        << QByteArray("[\xC3\xEB]\r\n\xCA\xEB=\x98\xFF\x80\r\n");
    QTest::newRow("new key after the last entry")
        << QByteArray("[Main]\r\nA=1\r\n\r\n;about Other\r\n[Other]\r\nX=1\r\n")
        << Writes{{"Main", "B", "2"}}
        << QByteArray("[Main]\r\nA=1\r\nB=2\r\n\r\n;about Other\r\n[Other]\r\nX=1\r\n");
    QTest::newRow("new key after the last entry, comments between entries stay")
        << QByteArray("[Main]\r\nA=1\r\n;c\r\nB=2\r\n;tail\r\n") << Writes{{"Main", "C", "3"}}
        << QByteArray("[Main]\r\nA=1\r\n;c\r\nB=2\r\nC=3\r\n;tail\r\n");
    QTest::newRow("new keys keep their order")
        << QByteArray("[Main]\r\n[Other]\r\n") << Writes{{"Main", "B", "2"}, {"Main", "A", "1"}}
        << QByteArray("[Main]\r\nB=2\r\nA=1\r\n[Other]\r\n");
    QTest::newRow("new key into a section whose header ends the file")
        << QByteArray("[Main]") << Writes{{"Main", "B", "2"}} << QByteArray("[Main]\r\nB=2\r\n");
    QTest::newRow("new key after a last line without line end")
        << QByteArray("[Main]\r\nA=1") << Writes{{"Main", "B", "2"}}
        << QByteArray("[Main]\r\nA=1\r\nB=2\r\n");
    QTest::newRow("new section at the end, no blank line")
        << QByteArray("[Other]\r\nX=1\r\n") << Writes{{"Main", "A", "1"}}
        << QByteArray("[Other]\r\nX=1\r\n[Main]\r\nA=1\r\n");
    QTest::newRow("new section after a blank last line")
        << QByteArray("[Other]\r\nX=1\r\n\r\n") << Writes{{"Main", "A", "1"}}
        << QByteArray("[Other]\r\nX=1\r\n\r\n[Main]\r\nA=1\r\n");
    QTest::newRow("new section, file without final line end")
        << QByteArray("[Other]\r\nX=1") << Writes{{"Main", "A", "1"}}
        << QByteArray("[Other]\r\nX=1\r\n[Main]\r\nA=1\r\n");
    QTest::newRow("new section, file ending in LF")
        << QByteArray("[Other]\nX=1\n") << Writes{{"Main", "A", "1"}}
        << QByteArray("[Other]\nX=1\n[Main]\r\nA=1\r\n");
    QTest::newRow("new section, file ending in CR")
        << QByteArray("[Other]\rX=1\r") << Writes{{"Main", "A", "1"}}
        << QByteArray("[Other]\rX=1\r[Main]\r\nA=1\r\n");
    QTest::newRow("new section, file of comments only")
        << QByteArray("; settings") << Writes{{"Main", "A", "1"}}
        << QByteArray("; settings\r\n[Main]\r\nA=1\r\n");
    QTest::newRow("LF file, replaced line ends in CR LF")
        << QByteArray("[Main]\nA=1\nB=2\n") << Writes{{"Main", "A", "9"}}
        << QByteArray("[Main]\nA=9\r\nB=2\n");
    QTest::newRow("CR file, new key")
        << QByteArray("[Main]\rA=1\r[Other]\r") << Writes{{"Main", "B", "2"}}
        << QByteArray("[Main]\rA=1\rB=2\r\n[Other]\r");
    QTest::newRow("replaced last line without line end")
        << QByteArray("[Main]\r\nA=1") << Writes{{"Main", "A", "2"}}
        << QByteArray("[Main]\r\nA=2\r\n");
    QTest::newRow("first of duplicate sections written")
        << QByteArray("[Main]\r\nA=1\r\n[MAIN]\r\nB=2\r\n") << Writes{{"Main", "B", "3"}}
        << QByteArray("[Main]\r\nA=1\r\nB=3\r\n[MAIN]\r\nB=2\r\n");
    QTest::newRow("first of duplicate keys written")
        << QByteArray("[Main]\r\nA=1\r\nA=2\r\n") << Writes{{"Main", "a", "3"}}
        << QByteArray("[Main]\r\nA=3\r\nA=2\r\n");
    QTest::newRow("key before the first section untouched")
        << QByteArray("A=0\r\n[Main]\r\n") << Writes{{"Main", "A", "1"}}
        << QByteArray("A=0\r\n[Main]\r\nA=1\r\n");
    QTest::newRow("commented key untouched")
        << QByteArray("[Main]\r\n;A=1\r\n") << Writes{{"Main", "A", "2"}}
        << QByteArray("[Main]\r\nA=2\r\n;A=1\r\n");
    QTest::newRow("text after the bracket kept")
        << QByteArray("[Main] ; c\r\nA=1\r\n") << Writes{{"Main", "A", "2"}}
        << QByteArray("[Main] ; c\r\nA=2\r\n");
    QTest::newRow("every other byte untouched")
        << QByteArray("; top \xFF\r\nloose=1\n\n[Main]\t \r\n  A = 1 \r\nNoEquals\r\n"
                      "; c\r\n\r\n[Other]\rX=\"q\"  \r\n  \r\n")
        << Writes{{"Main", "B", "2"}, {"Other", "X", "3"}, {"Third", "T", "t"}}
        << QByteArray("; top \xFF\r\nloose=1\n\n[Main]\t \r\n  A = 1 \r\nNoEquals\r\nB=2\r\n"
                      "; c\r\n\r\n[Other]\rX=3\r\n  \r\n[Third]\r\nT=t\r\n");
}

void TestIni::write()
{
    QFETCH(QByteArray, file);
    QFETCH(Writes, writes);
    QFETCH(QByteArray, expected);
    writeAll(path(), file);
    for (const Write& w : writes)
        m_ini.WInI(w[0], w[1], w[2]);
    QCOMPARE(readAll(path()), expected);
    for (const Write& w : writes)
        QCOMPARE(m_ini.RINI(w[0], w[1]), w[2].trimmed());
}

void TestIni::writeCreatesAMissingFile()
{
    m_ini.WInI("Main", "ProxyName", "127.0.0.1");
    QCOMPARE(readAll(path()), QByteArray("[Main]\r\nProxyName=127.0.0.1\r\n"));
}

void TestIni::writeWithoutFileNameDoesNothing()
{
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    Ini ini;
    ini.WInI("Main", "Key", "v");
    QVERIFY(QDir::setCurrent(before));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
}

void TestIni::writeLeavesAReadOnlyFileAlone()
{
    const QByteArray bytes = "[Main]\r\nUseProxy=False\r\n";
    writeAll(path(), bytes);
    QVERIFY(QFile::setPermissions(path(), ReadOnlyBits));
    m_ini.WInIb("Main", "UseProxy", true);
    m_ini.WInI("Main", "New", "1");
    m_ini.WInI("Other", "New", "1");
    QCOMPARE(readAll(path()), bytes);
    QCOMPARE(modeBits(path()), ReadOnlyBits & ~QFileDevice::ReadUser);
    QCOMPARE(m_ini.RINIb("Main", "UseProxy"), false);
}

void TestIni::writeRefusesLineBreaks_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("LF in value") << QByteArray("Main") << QByteArray("Key")
                                 << QByteArray("v\n[Main]");
    QTest::newRow("CR in value") << QByteArray("Main") << QByteArray("Key") << QByteArray("v\rX=1");
    QTest::newRow("CR LF in value")
        << QByteArray("Main") << QByteArray("Key") << QByteArray("v\r\nX=1");
    QTest::newRow("LF in key") << QByteArray("Main") << QByteArray("Ke\ny") << QByteArray("v");
    QTest::newRow("CR in key") << QByteArray("Main") << QByteArray("Key\r") << QByteArray("v");
    QTest::newRow("LF in section") << QByteArray("Ma\nin") << QByteArray("Key") << QByteArray("v");
    QTest::newRow("CR in section") << QByteArray("\rMain") << QByteArray("Key") << QByteArray("v");
    QTest::newRow("empty section") << QByteArray() << QByteArray("Key") << QByteArray("v");
    QTest::newRow("empty key") << QByteArray("Main") << QByteArray() << QByteArray("v");
}

void TestIni::writeRefusesLineBreaks()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);

    m_ini.WInI(section, key, value);
    QVERIFY(!QFile::exists(path())); // not even created

    const QByteArray bytes = "[Main]\r\nKey=old\r\n";
    writeAll(path(), bytes);
    m_ini.WInI(section, key, value);
    QCOMPARE(readAll(path()), bytes);
}

void TestIni::writeKeepsTheFileMode()
{
    writeAll(path(), "[Main]\r\nKey=old\r\n");
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(path(), mode));
    m_ini.WInI("Main", "Key", "new");
    QCOMPARE(readAll(path()), QByteArray("[Main]\r\nKey=new\r\n"));
    QCOMPARE(modeBits(path()), mode);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"options.ini"_s}); // no temporary file left behind
}

void TestIni::writeToAFolderDoesNothing()
{
    QVERIFY(QDir(m_dir->path()).mkdir(u"options.ini"_s));
    m_ini.WInI("Main", "Key", "v");
    QVERIFY(QFileInfo(path()).isDir());
    QCOMPARE(m_ini.RINI("Main", "Key"), QByteArray());
}

void TestIni::readBoolean_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("expected");
    QTest::newRow("True") << QByteArray("True") << true;
    QTest::newRow("True with blanks around") << QByteArray("  True\t") << true;
    QTest::newRow("True in quotes") << QByteArray("\"True\"") << true;
    QTest::newRow("true") << QByteArray("true") << false;
    QTest::newRow("TRUE") << QByteArray("TRUE") << false;
    QTest::newRow("1") << QByteArray("1") << false;
    QTest::newRow("-1") << QByteArray("-1") << false;
    QTest::newRow("False") << QByteArray("False") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("Truex") << QByteArray("Truex") << false;
    QTest::newRow("True in quotes with blanks") << QByteArray("\" True\"") << false;
}

void TestIni::readBoolean()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, expected);
    writeAll(path(), "[Main]\r\nUseProxy=" + value + "\r\n");
    QCOMPARE(m_ini.RINIb("Main", "UseProxy"), expected);
}

void TestIni::writeBoolean()
{
    m_ini.WInIb("Main", "UseProxy", true);
    QCOMPARE(readAll(path()), QByteArray("[Main]\r\nUseProxy=True\r\n"));
    QCOMPARE(m_ini.RINIb("Main", "UseProxy"), true);
    m_ini.WInIb("Main", "UseProxy", false);
    QCOMPARE(readAll(path()), QByteArray("[Main]\r\nUseProxy=False\r\n"));
    QCOMPARE(m_ini.RINIb("Main", "UseProxy"), false);
}

void TestIni::readInteger_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("300") << QByteArray("300") << 300;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("2.5 to even") << QByteArray("2.5") << 2;
    QTest::newRow("3.5 to even") << QByteArray("3.5") << 4;
    QTest::newRow("0.5 to even") << QByteArray("0.5") << 0;
    QTest::newRow("1.5 to even") << QByteArray("1.5") << 2;
    QTest::newRow("-2.5 to even") << QByteArray("-2.5") << -2;
    QTest::newRow("-3.5 to even") << QByteArray("-3.5") << -4;
    QTest::newRow("2.50 to even") << QByteArray("2.50") << 2;
    QTest::newRow("2.4999") << QByteArray("2.4999") << 2;
    QTest::newRow("2.5001") << QByteArray("2.5001") << 3;
    QTest::newRow("2.6") << QByteArray("2.6") << 3;
    QTest::newRow("-2.6") << QByteArray("-2.6") << -3;
    QTest::newRow(".51") << QByteArray(".51") << 1;
    QTest::newRow("-.5") << QByteArray("-.5") << 0;
    QTest::newRow("7.") << QByteArray("7.") << 7;
    QTest::newRow("300 abc") << QByteArray("300 abc") << 300;
    QTest::newRow("300abc") << QByteArray("300abc") << 300;
    QTest::newRow("12 then letters") << QByteArray("12px") << 12;
    QTest::newRow("300 then blank in quotes") << QByteArray("\"300 \"") << 300;
    QTest::newRow("blanks before in quotes") << QByteArray("\" \t42\"") << 42;
    QTest::newRow("blanks inside the number") << QByteArray("3 00") << 300;
    QTest::newRow("blanks after the sign") << QByteArray("- 5") << -5;
    QTest::newRow("plus sign") << QByteArray("+7") << 7;
    QTest::newRow("minus sign") << QByteArray("-7") << -7;
    QTest::newRow("sign only") << QByteArray("-") << 0;
    QTest::newRow("point only") << QByteArray(".") << 0;
    QTest::newRow("two signs") << QByteArray("--5") << 0;
    QTest::newRow("letters") << QByteArray("abc") << 0;
    QTest::newRow("letters then digits") << QByteArray("x12") << 0;
    QTest::newRow("second point ends the number") << QByteArray("1.2.3") << 1;
    QTest::newRow("comma ends the number") << QByteArray("1,9") << 1;
    QTest::newRow("hexadecimal") << QByteArray("0x10") << 0;
    QTest::newRow("leading zeros") << QByteArray("007") << 7;
    QTest::newRow("32767") << QByteArray("32767") << 32767;
    QTest::newRow("32767.4") << QByteArray("32767.4") << 32767;
    QTest::newRow("32767.5 clamped") << QByteArray("32767.5") << 32767;
    QTest::newRow("32768 clamped") << QByteArray("32768") << 32767;
    QTest::newRow("huge clamped") << QByteArray("99999999999999999999") << 32767;
    QTest::newRow("254 digits clamped") << run('9', 254) << 32767;
    QTest::newRow("-32768") << QByteArray("-32768") << -32768;
    QTest::newRow("-32768.5 to even") << QByteArray("-32768.5") << -32768;
    QTest::newRow("-32769 clamped") << QByteArray("-32769") << -32768;
    QTest::newRow("huge negative clamped") << QByteArray("-1" + run('0', 40)) << -32768;
}

void TestIni::readInteger()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    writeAll(path(), "[Main]\r\nCasheSize=" + value + "\r\n");
    QCOMPARE(m_ini.RINIi("Main", "CasheSize"), qint16(expected));
}

// Values read from a file are cut to 254 bytes; a text given to ToInteger is not.
void TestIni::integerBeyondADouble_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("400 digits clamped") << run('9', 400) << 32767;
    QTest::newRow("400 negative digits clamped") << QByteArray("-" + run('5', 400)) << -32768;
    QTest::newRow("zeros, blanks, 330 digits, fraction")
        << QByteArray("00 " + run('1', 330) + ".5") << 32767;
    QTest::newRow("tiny fraction") << QByteArray("0." + run('0', 400) + "9") << 0;
    QTest::newRow("tiny negative fraction") << QByteArray("-." + run('0', 400) + "9") << 0;
}

void TestIni::integerBeyondADouble()
{
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    QCOMPARE(Ini::ToInteger(text), qint16(expected));
}

void TestIni::writeInteger_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("300") << 300 << QByteArray("300");
    QTest::newRow("0") << 0 << QByteArray("0");
    QTest::newRow("-5") << -5 << QByteArray("-5");
    QTest::newRow("32767") << 32767 << QByteArray("32767");
    QTest::newRow("-32768") << -32768 << QByteArray("-32768");
}

void TestIni::writeInteger()
{
    QFETCH(int, value);
    QFETCH(QByteArray, text);
    m_ini.WInIi("Main", "CasheSize", qint16(value));
    QCOMPARE(readAll(path()), "[Main]\r\nCasheSize=" + text + "\r\n");
    QCOMPARE(m_ini.RINIi("Main", "CasheSize"), qint16(value));
}

void TestIni::absentKeyReadsEmptyFalseAndZero()
{
    writeAll(path(), "[Main]\r\nOther=True\r\n");
    QCOMPARE(m_ini.RINI("Main", "Absent"), QByteArray());
    QCOMPARE(m_ini.RINIb("Main", "Absent"), false);
    QCOMPARE(m_ini.RINIi("Main", "Absent"), qint16(0));
}

void TestIni::longValuesAreCutTo254()
{
    m_ini.WInI("Main", "Exact", run('x', 254));
    m_ini.WInI("Main", "Over", run('y', 255));
    QCOMPARE(m_ini.RINI("Main", "Exact"), run('x', 254));
    QCOMPARE(m_ini.RINI("Main", "Over"), run('y', 254));
    // The file holds what was written; only the read is cut.
    QCOMPARE(readAll(path()),
             "[Main]\r\nExact=" + run('x', 254) + "\r\nOver=" + run('y', 255) + "\r\n");
}

void TestIni::firstStartWritesTheFiveSettings()
{
    writeAll(path(), QByteArray()); // the empty file made before the first-run window
    m_ini.WInIi("Main", "DownloadImages", 10);
    m_ini.WInIb("Main", "UseProxy", false);
    m_ini.WInI("Main", "ProxyName", "127.0.0.1");
    m_ini.WInI("Main", "ProxyPort", "8080");
    m_ini.WInIi("Main", "CasheSize", 300);
    QCOMPARE(readAll(path()), QByteArray("[Main]\r\n"
                                         "DownloadImages=10\r\n"
                                         "UseProxy=False\r\n"
                                         "ProxyName=127.0.0.1\r\n"
                                         "ProxyPort=8080\r\n"
                                         "CasheSize=300\r\n"));
    QCOMPARE(m_ini.RINIi("Main", "DownloadImages"), qint16(10));
    QCOMPARE(m_ini.RINIb("Main", "UseProxy"), false);
    QCOMPARE(m_ini.RINI("Main", "ProxyName"), QByteArray("127.0.0.1"));
    QCOMPARE(m_ini.RINI("Main", "ProxyPort"), QByteArray("8080"));
    QCOMPARE(m_ini.RINIi("Main", "CasheSize"), qint16(300));
}

void TestIni::settingsSurviveARewrite()
{
    // A file brought over from Windows, saved again on unload with changed values.
    writeAll(path(), "[Main]\r\nDownloadImages=10\r\nUseProxy=False\r\nProxyName=127.0.0.1\r\n"
                     "ProxyPort=8080\r\nCasheSize=300\r\n");
    m_ini.WInIi("Main", "DownloadImages", 3000);
    m_ini.WInIb("Main", "UseProxy", true);
    m_ini.WInI("Main", "ProxyName", "proxy.local");
    m_ini.WInI("Main", "ProxyPort", "3128");
    m_ini.WInIi("Main", "CasheSize", 50);
    QCOMPARE(
        readAll(path()),
        QByteArray("[Main]\r\nDownloadImages=3000\r\nUseProxy=True\r\nProxyName=proxy.local\r\n"
                   "ProxyPort=3128\r\nCasheSize=50\r\n"));
}

QTEST_GUILESS_MAIN(TestIni)
#include "tst_Ini.moc"
