#pragma once
// The About dialog: the program's title, the maker's line, the support and contact lines and the
// version. There is at most one for the whole run; it has no owner, so it stays open (and keeps
// the program running) after the main window has closed.

#include <QDialog>

class QLabel;
class QPushButton;

namespace quillon {

class frmAbout : public QDialog
{
    Q_OBJECT

public:
    /// Shows the run's About dialog, modeless and above all other windows. When none is open a
    /// new one is built (its Form_Load runs); otherwise the open one is shown and raised as it
    /// is. Closing the dialog deletes it. Returns the dialog shown.
    static frmAbout *ShowSingle();

    /// The open About dialog, or nullptr when none is open.
    static frmAbout *Instance();

private:
    frmAbout();

    void Form_Load();
    void cmdOK_Click();

    QLabel *lblTitle = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblVersion = nullptr;
    QPushButton *cmdOK = nullptr;
};

} // namespace quillon
