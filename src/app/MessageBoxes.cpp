#include "app/MessageBoxes.h"

#include "base/AppInfo.h"

#include <QFont>
#include <QFontDatabase>
#include <QMessageBox>

namespace quillon {

void MessageBoxes::Plain(const QString &text)
{
    if (!m_silenced)
        QMessageBox(QMessageBox::NoIcon, AppTitle(), text, QMessageBox::Ok, m_parent).exec();
}

void MessageBoxes::Information(const QString &text)
{
    if (!m_silenced)
        QMessageBox(QMessageBox::Information, AppTitle(), text, QMessageBox::Ok, m_parent).exec();
}

void InstallFontSubstitutions()
{
    const QStringList candidates = {QStringLiteral("WenQuanYi Zen Hei"),
                                    QStringLiteral("WenQuanYi Micro Hei"),
                                    QStringLiteral("Noto Sans CJK SC"),
                                    QStringLiteral("Noto Serif CJK SC"),
                                    QStringLiteral("AR PL UMing CN")};
    const QStringList installed = QFontDatabase::families();
    QStringList present;
    for (const QString &family : candidates)
        if (installed.contains(family))
            present << family;
    if (present.isEmpty())
        return;
    for (const QString &alias : {QStringLiteral("宋体"), QStringLiteral("SimSun")})
        QFont::insertSubstitutions(alias, present);
}

} // namespace quillon
