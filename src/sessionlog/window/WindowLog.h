#pragma once
// The session log as the main window uses it: reads the [Log] section of the settings file,
// keeps the log of the window's port, shows a log problem through the window's message sink
// once no command is waiting for its replies, and gives the receive area's context menu its
// three log entries. The window shows, sends and decides nothing differently because of it.

#include "serial/SerialComm.h"
#include "sessionlog/SessionLog.h"
#include "terminal/MessageSink.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class QMenu;
class QPlainTextEdit;

namespace quillon {

class WindowLog : public QObject {
    Q_OBJECT
public:
    /// `busy` tells whether a command is waiting for its replies: a message box then would
    /// stretch the wait, so problems are shown after it.
    WindowLog(SerialComm &comm, QPlainTextEdit &receiveArea, MessageSink &messages,
              std::function<bool()> busy);
    ~WindowLog() override;

    /// nullptr when the settings turn the log off ("Enabled=0").
    SessionLog *Log() const { return m_log.get(); }
    QString Folder() const { return m_folder; }
    /// The latest log file written; empty when there is none yet.
    QString CurrentFile() const;

    /// The receive area's standard context menu with the log entries added; the caller owns it.
    QMenu *CreateMenu(const QPoint &at);

    /// "打开日志文件夹": the folder in the desktop's file manager (created first if missing).
    void OpenLogFolder();
    /// "打开当前日志": the latest file, brought up to date first, with the desktop's viewer.
    void OpenCurrentLog();
    /// "保存接收区为文本文件…": asks for a file name and saves.
    void SaveReceiveAreaAs();
    /// Writes the receive area's text, as shown, to `path` in UTF-8; false (and a message box
    /// naming the file and the reason) when it cannot be written.
    bool SaveReceiveArea(const QString &path);

private:
    void ShowProblems();

    SerialComm &m_comm;
    QPlainTextEdit &m_area;
    MessageSink &m_messages;
    std::function<bool()> m_busy;
    QString m_folder;
    std::unique_ptr<SessionLog> m_log;
    QStringList m_problems;
};

} // namespace quillon
