#include "batch/JUnitReport.h"

#include "records/RecordCodec.h"

#include <QSaveFile>
#include <QSysInfo>
#include <QXmlStreamWriter>

namespace quillon::batch {

using records::Outcome;
using records::RunRecord;

namespace {
QString Seconds(qint64 ms) { return QString::number(double(ms) / 1000.0, 'f', 3); }

QString CaseName(const RunRecord &r)
{
    return QStringLiteral("%1 %2").arg(r.portEntry, r.imei.isEmpty()
                                                         ? QStringLiteral("run ") + records::RunIdText(r.runId).left(8)
                                                         : QStringLiteral("IMEI ") + r.imei);
}
} // namespace

QByteArray JUnitXml(const QList<RunRecord> &runs, const QDateTime &startedAt)
{
    qint64 totalMs = 0;
    int failures = 0;
    int errors = 0;
    for (const RunRecord &r : runs) {
        totalMs += r.durationMs;
        failures += r.outcome == Outcome::Failed;
        errors += r.outcome == Outcome::CutShort;
    }
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("quillon-batch"));
    xml.writeAttribute(QStringLiteral("tests"), QString::number(runs.size()));
    xml.writeAttribute(QStringLiteral("failures"), QString::number(failures));
    xml.writeAttribute(QStringLiteral("errors"), QString::number(errors));
    xml.writeAttribute(QStringLiteral("time"), Seconds(totalMs));
    xml.writeStartElement(QStringLiteral("testsuite"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("quillon-batch"));
    xml.writeAttribute(QStringLiteral("tests"), QString::number(runs.size()));
    xml.writeAttribute(QStringLiteral("failures"), QString::number(failures));
    xml.writeAttribute(QStringLiteral("errors"), QString::number(errors));
    xml.writeAttribute(QStringLiteral("skipped"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("time"), Seconds(totalMs));
    xml.writeAttribute(QStringLiteral("timestamp"), startedAt.toUTC().toString(Qt::ISODate));
    xml.writeAttribute(QStringLiteral("hostname"), QSysInfo::machineHostName());
    for (const RunRecord &r : runs) {
        xml.writeStartElement(QStringLiteral("testcase"));
        xml.writeAttribute(QStringLiteral("classname"), QStringLiteral("quillon-batch.") + r.portEntry);
        xml.writeAttribute(QStringLiteral("name"), CaseName(r));
        xml.writeAttribute(QStringLiteral("time"), Seconds(r.durationMs));
        if (r.outcome != Outcome::Passed) {
            const bool failed = r.outcome == Outcome::Failed;
            xml.writeStartElement(failed ? QStringLiteral("failure") : QStringLiteral("error"));
            xml.writeAttribute(QStringLiteral("message"), r.diagnosis);
            xml.writeAttribute(QStringLiteral("type"), records::OutcomeName(r.outcome));
            xml.writeCharacters(QStringLiteral("step %1, device %2, run %3")
                                    .arg(r.endStep)
                                    .arg(r.devicePath, records::RunIdText(r.runId)));
            xml.writeEndElement();
        }
        xml.writeTextElement(QStringLiteral("system-out"), r.transcript);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

bool WriteJUnit(const QString &path, const QList<RunRecord> &runs, const QDateTime &startedAt, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(JUnitXml(runs, startedAt)) < 0 || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace quillon::batch
