#pragma once
// Figures as "key value" lines, so that one program can print its figures next to those another
// program measured earlier in the same run.

#include <QMap>
#include <QString>

namespace quillon::bench {

class Results {
public:
    void Set(const QString &key, double value) { m_values[key] = value; }
    double Get(const QString &key, double missing = -1) const { return m_values.value(key, missing); }
    bool Has(const QString &key) const { return m_values.contains(key); }
    /// Writes every figure; false when the file cannot be written.
    bool Save(const QString &path) const;
    /// Reads a file written by Save; empty when it cannot be read.
    static Results Load(const QString &path);

private:
    QMap<QString, double> m_values;
};

/// Prints one line "  label ..... value unit" to standard output and flushes it.
void PrintFigure(const QString &label, double value, const QString &unit, const QString &note = {});
/// Prints a heading line.
void PrintHeading(const QString &text);
/// Prints a free line.
void PrintLine(const QString &text);

} // namespace quillon::bench
