// The About dialog: its controls where the layout puts them, its texts set on every opening, one
// dialog at a time, always on top, and a program kept running while it is open.

#include "about/frmAbout.h"

#include "base/AppInfo.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace quillon;

namespace {

// Runs the deletion a closed dialog has scheduled for itself.
void RunDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int OpenAboutDialogs()
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        count += (qobject_cast<frmAbout *>(w) && w->isVisible()) ? 1 : 0;
    return count;
}

void ClickOK(frmAbout *dialog)
{
    auto *ok = dialog->findChild<QPushButton *>("cmdOK");
    QVERIFY(ok);
    QTest::mouseClick(ok, Qt::LeftButton);
}

} // namespace

class AboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void placesControls_data();
    void placesControls();
    void showsTextsOfThisProgram();
    void isFixedModelessAndOnTop();
    void secondShowReusesOpenDialog();
    void reopeningBuildsNewDialogWithFreshTexts();
    void reopeningRightAfterCloseShowsNewDialog();
    void keepsProgramRunningAfterMainWindowCloses();
};

void AboutDialog::cleanup()
{
    if (frmAbout *open = frmAbout::Instance())
        open->close();
    RunDeferredDeletes();
}

void AboutDialog::placesControls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<qreal>("points"); // 0: the dialog's own font
    QTest::addColumn<bool>("bold");
    QTest::newRow("lblTitle") << "lblTitle" << QRect(40, 24, 235, 32) << 24.0 << true;
    QTest::newRow("lblDescription") << "lblDescription" << QRect(64, 80, 211, 15) << 10.5 << false;
    QTest::newRow("Label2") << "Label2" << QRect(64, 112, 209, 17) << 0.0 << false;
    QTest::newRow("Label1") << "Label1" << QRect(56, 144, 225, 21) << 10.5 << false;
    QTest::newRow("lblVersion") << "lblVersion" << QRect(72, 176, 147, 15) << 12.0 << false;
    QTest::newRow("cmdOK") << "cmdOK" << QRect(88, 216, 100, 23) << 0.0 << false;
}

void AboutDialog::placesControls()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    frmAbout *dialog = frmAbout::ShowSingle();
    QCOMPARE(dialog->size(), QSize(320, 267));
    auto *control = dialog->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
    if (points > 0) {
        QCOMPARE(control->font().family(), QStringLiteral("宋体"));
        QCOMPARE(control->font().pointSizeF(), points);
        QCOMPARE(control->font().bold(), bold);
    } else {
        QCOMPARE(control->font(), dialog->font());
    }
}

void AboutDialog::showsTextsOfThisProgram()
{
    frmAbout *dialog = frmAbout::ShowSingle();
    const auto text = [dialog](const char *name) {
        return dialog->findChild<QLabel *>(name)->text();
    };
    QCOMPARE(dialog->windowTitle(), QStringLiteral("关于 Quillon"));
    QCOMPARE(text("lblTitle"), QStringLiteral("Quillon"));
    QCOMPARE(text("lblVersion"), QStringLiteral("版本 %1.%2.%3")
                                     .arg(VersionMajor()).arg(VersionMinor()).arg(VersionRevision()));
    QCOMPARE(text("lblDescription"), QStringLiteral("Korvel电子     KORVELCO"));
    QVERIFY(text("Label2").startsWith(QStringLiteral("技术支持：")));
    QVERIFY(QRegularExpression(R"(^\S+@\S+\.example {4}\d{4}-\d{4}$)").match(text("Label1")).hasMatch());
    QCOMPARE(dialog->findChild<QPushButton *>("cmdOK")->text(), QStringLiteral("确定"));
}

void AboutDialog::isFixedModelessAndOnTop()
{
    frmAbout *dialog = frmAbout::ShowSingle();
    QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(dialog->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(dialog->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QVERIFY(!dialog->parentWidget());
    QVERIFY(!dialog->isModal());
    QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
}

void AboutDialog::secondShowReusesOpenDialog()
{
    frmAbout *first = frmAbout::ShowSingle();
    // A changed caption survives the second show: the dialog is not loaded again.
    first->setWindowTitle("changed");
    frmAbout *second = frmAbout::ShowSingle();
    QCOMPARE(second, first);
    QCOMPARE(second->windowTitle(), QStringLiteral("changed"));
    QCOMPARE(OpenAboutDialogs(), 1);
}

void AboutDialog::reopeningBuildsNewDialogWithFreshTexts()
{
    QPointer<frmAbout> first = frmAbout::ShowSingle();
    first->setWindowTitle("changed");
    first->findChild<QLabel *>("lblVersion")->clear();
    ClickOK(first);
    QCOMPARE(frmAbout::Instance(), nullptr);
    RunDeferredDeletes();
    QVERIFY(first.isNull());

    frmAbout *second = frmAbout::ShowSingle();
    QVERIFY(second->isVisible());
    QCOMPARE(second->windowTitle(), QStringLiteral("关于 Quillon"));
    QVERIFY(second->findChild<QLabel *>("lblVersion")->text().startsWith(QStringLiteral("版本 ")));
    QCOMPARE(OpenAboutDialogs(), 1);
}

void AboutDialog::reopeningRightAfterCloseShowsNewDialog()
{
    QPointer<frmAbout> first = frmAbout::ShowSingle();
    ClickOK(first);
    // The closed dialog still exists until its deferred deletion runs.
    QPointer<frmAbout> second = frmAbout::ShowSingle();
    QVERIFY(second != first);
    RunDeferredDeletes();
    QVERIFY(first.isNull());
    QVERIFY(!second.isNull());
    QVERIFY(second->isVisible());
    QCOMPARE(frmAbout::Instance(), second.data());
}

void AboutDialog::keepsProgramRunningAfterMainWindowCloses()
{
    QWidget mainWindow;
    mainWindow.show();
    QPointer<frmAbout> dialog = frmAbout::ShowSingle();
    bool dialogClosedByUser = false;
    // Each step runs from the event loop; the program ends when its last window has closed.
    QTimer::singleShot(0, &mainWindow, [&] {
        mainWindow.close();
        QTimer::singleShot(0, qApp, [&] {
            dialogClosedByUser = !dialog.isNull() && dialog->isVisible();
            if (dialogClosedByUser)
                ClickOK(dialog);
        });
    });
    QTimer::singleShot(60000, qApp, [] { QCoreApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(dialogClosedByUser);
}

QTEST_MAIN(AboutDialog)
#include "tst_about_dialog.moc"
