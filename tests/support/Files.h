#pragma once
// Whole-file reads and writes for tests that look at files byte for byte.

#include <QFile>
#include <QTest>

namespace quillon::testing {

/// The file's bytes; empty when it cannot be read.
inline QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// Replaces the file's content; fails the running test when it cannot.
inline void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace quillon::testing
