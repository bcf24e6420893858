// The receive area follows the exact receive text through appends, cuts and replacements without
// redrawing, and shows what it should: line ends as single breaks, at most the last
// ReceiveArea::kShownAtMost characters.

#include "terminal/ReceiveText.h"
#include "terminal/Widgets.h"

#include <QApplication>
#include <QTest>

using namespace quillon;

namespace {

/// One change to the receive text, followed by a refresh of the view when `refresh` is set.
struct Step {
    enum Kind { Append, Replace } kind;
    QString text;
    bool refresh;
};

/// What the view must show for `exact`: its last kShownAtMost characters, each CR LF pair, lone
/// CR and lone LF as one line break.
QString ExpectedView(const QString &exact)
{
    QString out;
    bool lastWasCR = false;
    for (const QChar c : QStringView(exact).right(qMin(exact.size(), ReceiveArea::kShownAtMost))) {
        if (c != QLatin1Char('\n') || !lastWasCR)
            out += c == QLatin1Char('\r') ? QLatin1Char('\n') : c;
        lastWasCR = c == QLatin1Char('\r');
    }
    return out;
}

/// `count` characters of numbered lines ending in CR LF ("0001 abc...\r\n").
QString Lines(int count)
{
    QString out;
    for (int n = 0; out.size() < count; ++n)
        out += QStringLiteral("%1 the quick brown fox\r\n").arg(n, 4, 10, QLatin1Char('0'));
    out.truncate(count);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class ReceiveViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void followsTheText_data()
    {
        QTest::addColumn<QList<Step>>("steps");

        QTest::newRow("appends between refreshes")
            << QList<Step>{{Step::Append, Lines(1500), true}, {Step::Append, Lines(1500), true},
                           {Step::Append, Lines(900), true}};
        QTest::newRow("a cut drops the front of the shown text")
            << QList<Step>{{Step::Append, Lines(3990), true}, {Step::Append, Lines(20), true},
                           {Step::Append, QStringLiteral("OK\r\n"), true}};
        // 4001 characters whose CR LF pair straddles the cut: the kept text starts with the LF,
        // which then shows as a line break of its own.
        QTest::newRow("a cut between CR and LF")
            << QList<Step>{{Step::Append, QString(2000, QLatin1Char('a')) + QLatin1Char('\r')
                                              + QLatin1Char('\n') + QString(1999, QLatin1Char('b')),
                            true},
                           {Step::Append, QStringLiteral("tail"), true}};
        QTest::newRow("a cut that takes a lone CR")
            << QList<Step>{{Step::Append, QString(2000, QLatin1Char('a')) + QLatin1Char('\r')
                                              + QString(2000, QLatin1Char('b')),
                            true},
                           {Step::Append, QStringLiteral("\nx"), true}};
        QTest::newRow("several cuts between two refreshes")
            << QList<Step>{{Step::Append, Lines(3000), true}, {Step::Append, Lines(3000), false},
                           {Step::Append, Lines(3000), false}, {Step::Append, Lines(10), true}};
        QTest::newRow("hexadecimal text without line ends")
            << QList<Step>{{Step::Append, QStringLiteral("[4F][4B]").repeated(400), true},
                           {Step::Append, QStringLiteral("[0D][0A]").repeated(300), true},
                           {Step::Append, QStringLiteral("[41]").repeated(10), true}};
        QTest::newRow("a flood shows only its last characters")
            << QList<Step>{{Step::Append, Lines(100), true},
                           {Step::Append, Lines(ReceiveArea::kShownAtMost * 3), true},
                           {Step::Append, Lines(50), true}};
        QTest::newRow("a replacement redraws")
            << QList<Step>{{Step::Append, Lines(3990), true}, {Step::Replace, QStringLiteral("AT\r\r\nOK\r\n"), true},
                           {Step::Append, QStringLiteral("\r\nIMEI: 1"), true}};
        QTest::newRow("emptied and filled again before a refresh")
            << QList<Step>{{Step::Append, Lines(500), true}, {Step::Replace, QString(), false},
                           {Step::Append, QStringLiteral("\nAT\r"), true}, {Step::Append, QStringLiteral("\n"), true}};
    }
    void followsTheText()
    {
        QFETCH(QList<Step>, steps);
        ReceiveText model;
        ReceiveArea view(model);
        for (const Step &step : steps) {
            if (step.kind == Step::Append)
                model.Append(step.text);
            else
                model.SetText(step.text);
            if (step.refresh) {
                view.RefreshNow();
                QCOMPARE(view.toPlainText(), ExpectedView(model.Text()));
            }
        }
    }

    void dropsCountWhatWasCut()
    {
        ReceiveText model;
        model.Append(QString(4001, QLatin1Char('x')));
        model.Append(QStringLiteral("y"));
        QCOMPARE(model.Dropped(), 2001);
        model.Clear();
        QCOMPARE(model.Dropped(), 0);
    }

    void aFloodDoesNotPinItsMemory()
    {
        ReceiveText model;
        model.Append(QString(1 << 20, QLatin1Char('x')));
        model.Append(QStringLiteral("y"));
        QCOMPARE(model.Text().size(), 2001);
        QVERIFY(model.Text().capacity() < 65536);
    }

    void aChangeShowsWithoutAnExplicitRefresh()
    {
        ReceiveText model;
        ReceiveArea view(model);
        model.Append(QStringLiteral("OK\r\n"));
        view.ModelChanged();
        QTRY_COMPARE_WITH_TIMEOUT(view.toPlainText(), QStringLiteral("OK\n"), 2000);
    }
};

QTEST_MAIN(ReceiveViewTest)
#include "tst_receive_view.moc"
