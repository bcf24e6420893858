#include "about/frmAbout.h"

#include "base/AppInfo.h"
#include "icon/AppIcon.h"

#include <QFont>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace quillon {
namespace {

// The dialog is laid out in twips at 15 twips to the pixel.
constexpr int kTwipsPerPixel = 15;

QRect FromTwips(int left, int top, int width, int height)
{
    return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
                 height / kTwipsPerPixel);
}

// The application maps the family "宋体" to an installed CJK font.
QFont SongTi(qreal points, bool bold = false)
{
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QLabel *MakeLabel(QWidget *parent, const char *name, const QRect &geometry,
                  const QString &text = {})
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

QPointer<frmAbout> &OpenDialog()
{
    static QPointer<frmAbout> dialog;
    return dialog;
}

} // namespace

frmAbout::frmAbout()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowIcon(AppIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(FromTwips(0, 0, 4800, 4005).size());

    lblTitle = MakeLabel(this, "lblTitle", FromTwips(600, 360, 3525, 480));
    lblTitle->setFont(SongTi(24, true));
    lblDescription = MakeLabel(this, "lblDescription", FromTwips(960, 1200, 3165, 225),
                               QStringLiteral("Korvel电子     KORVELCO"));
    lblDescription->setFont(SongTi(10.5));
    // A subscriber number never starts with 0, so this one cannot ring anybody.
    Label2 = MakeLabel(this, "Label2", FromTwips(960, 1680, 3135, 255),
                       QStringLiteral("技术支持：0755-0123 4567"));
    Label1 = MakeLabel(this, "Label1", FromTwips(840, 2160, 3375, 315),
                       QStringLiteral("info@korvel.example    2009-2026"));
    Label1->setFont(SongTi(10.5));
    lblVersion = MakeLabel(this, "lblVersion", FromTwips(1080, 2640, 2205, 225));
    lblVersion->setFont(SongTi(12));

    cmdOK = new QPushButton(QStringLiteral("确定"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(FromTwips(1320, 3240, 1500, 345));
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    Form_Load();
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("关于 ") + AppTitle());
    lblVersion->setText(QStringLiteral("版本 ") + VersionDotted());
    lblTitle->setText(AppTitle());
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void frmAbout::cmdOK_Click()
{
    close();
}

frmAbout *frmAbout::ShowSingle()
{
    QPointer<frmAbout> &dialog = OpenDialog();
    // A closed dialog lingers until its deferred deletion; it no longer counts as open.
    if (dialog && !dialog->isVisible()) {
        dialog->deleteLater();
        dialog = nullptr;
    }
    if (!dialog) {
        dialog = new frmAbout;
        dialog->show();
        return dialog;
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

frmAbout *frmAbout::Instance()
{
    const QPointer<frmAbout> &dialog = OpenDialog();
    return (dialog && dialog->isVisible()) ? dialog.data() : nullptr;
}

} // namespace quillon
