#include "sessionlog/window/WindowLog.h"

#include "app/PublicMod.h"
#include "sessionlog/LogFolder.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

namespace quillon {

namespace {
constexpr int kBusyRetryMs = 100;
}

WindowLog::WindowLog(SerialComm &comm, QPlainTextEdit &receiveArea, MessageSink &messages,
                     std::function<bool()> busy)
    : m_comm(comm), m_area(receiveArea), m_messages(messages), m_busy(std::move(busy))
{
    const QString section = QStringLiteral("Log");
    m_folder = ResolveLogFolder(ReadIniString(section, QStringLiteral("Folder")), IniFilePath());
    if (ReadIniInt(section, QStringLiteral("Enabled")) != 0) {
        m_log = std::make_unique<SessionLog>(SessionLogOptions{m_folder});
        connect(m_log.get(), &SessionLog::Problem, this, [this](const QString &text) {
            m_problems << text;
            ShowProblems();
        });
        m_comm.Activity().AddListener(m_log.get());
    }

    m_area.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_area, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        QMenu *menu = CreateMenu(at);
        menu->exec(m_area.viewport()->mapToGlobal(at));
        delete menu;
    });
}

WindowLog::~WindowLog()
{
    if (m_log)
        m_comm.Activity().RemoveListener(m_log.get());
}

QString WindowLog::CurrentFile() const { return m_log ? m_log->CurrentFile() : QString(); }

QMenu *WindowLog::CreateMenu(const QPoint &at)
{
    QMenu *menu = m_area.createStandardContextMenu(at);
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("打开日志文件夹")), &QAction::triggered, this,
            &WindowLog::OpenLogFolder);
    QAction *current = menu->addAction(QStringLiteral("打开当前日志"));
    current->setEnabled(!CurrentFile().isEmpty());
    connect(current, &QAction::triggered, this, &WindowLog::OpenCurrentLog);
    connect(menu->addAction(QStringLiteral("保存接收区为文本文件…")), &QAction::triggered, this,
            &WindowLog::SaveReceiveAreaAs);
    return menu;
}

void WindowLog::OpenLogFolder()
{
    QDir().mkpath(m_folder);
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_folder));
}

void WindowLog::OpenCurrentLog()
{
    if (m_log)
        m_log->Flush();
    const QString file = CurrentFile();
    if (!file.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

void WindowLog::SaveReceiveAreaAs()
{
    const QString proposed = QDir(m_folder).filePath(
        QDateTime::currentDateTime().toString(QStringLiteral("'receive-'yyyyMMdd-HHmmss'.txt'")));
    const QString path = QFileDialog::getSaveFileName(&m_area, QStringLiteral("保存接收区为文本文件"), proposed,
                                                      QStringLiteral("文本文件 (*.txt);;所有文件 (*)"));
    if (!path.isEmpty())
        SaveReceiveArea(path);
}

bool WindowLog::SaveReceiveArea(const QString &path)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(m_area.toPlainText().toUtf8());
        if (file.commit())
            return true;
    }
    m_messages.Plain(QStringLiteral("无法保存文件 %1（%2）：请另选一个可以写入的位置。")
                         .arg(QDir::toNativeSeparators(path), file.errorString()));
    return false;
}

void WindowLog::ShowProblems()
{
    if (m_problems.isEmpty())
        return;
    if (m_busy()) {
        QTimer::singleShot(kBusyRetryMs, this, &WindowLog::ShowProblems);
        return;
    }
    const QStringList problems = std::exchange(m_problems, {});
    for (const QString &text : problems)
        m_messages.Plain(text);
}

} // namespace quillon
