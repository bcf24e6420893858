// The delete button: AT+CMGD with the index box as typed, nothing else.

#include "ModuleFixture.h"

#include <QLineEdit>
#include <QPushButton>

using namespace quillon;
using namespace quillon::testing;

namespace {

QList<int> StoredIndexes(const sim::GsmModule &module)
{
    QList<int> out;
    for (const sim::StoredMessage &s : module.StoredMessages())
        out << s.index;
    return out;
}

} // namespace

class SmsDeleteTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void indexGoesOutUnchanged_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("received");
        QTest::addColumn<QList<int>>("storedAfter");
        QTest::newRow("index 1 is deleted")
            << "1" << "AT+CMGD=1\r\n\r\nOK\r\n" << QList<int>{2, 3, 4, 5, 6};
        QTest::newRow("empty index is sent bare and refused")
            << "" << "AT+CMGD=\r\n\r\nERROR\r\n" << QList<int>{1, 2, 3, 4, 5, 6};
        QTest::newRow("empty location is fine")
            << "9" << "AT+CMGD=9\r\n\r\nOK\r\n" << QList<int>{1, 2, 3, 4, 5, 6};
    }

    void indexGoesOutUnchanged()
    {
        QFETCH(QString, index);
        QFETCH(QString, received);
        QFETCH(QList<int>, storedAfter);
        ModuleFixture m;
        Quillon &w = m.Window();
        m.f.Open();
        w.at_cmgr->setText(index);

        w.AT_CMGD->click();

        const QString line = QStringLiteral("AT+CMGD=") + index;
        QCOMPARE(QString::fromLatin1(m.f.comm->AllWritten()), line + QStringLiteral("\r\n"));
        QCOMPARE(m.ModuleLines(), QStringList{line});
        QCOMPARE(m.Received(), received);
        QCOMPARE(StoredIndexes(m.module), storedAfter);
        QVERIFY(m.f.messages.messages.isEmpty());
    }

    void deletedMessageReadsAsNothing()
    {
        ModuleFixture m;
        Quillon &w = m.Window();
        m.f.Open();
        w.AT_CMGD->click();
        w.cmgr->click();
        QVERIFY(m.f.messages.messages.isEmpty());
    }

    void closedPortSendsNothing()
    {
        ModuleFixture m;
        m.Window().AT_CMGD->click();
        QVERIFY(m.f.comm->Writes().empty());
        QCOMPARE(m.module.StoredMessages().size(), 6);
    }
};

QTEST_MAIN(SmsDeleteTest)
#include "tst_sms_delete.moc"
