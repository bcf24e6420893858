#pragma once
// What a module test run sends and shows, for the tests of the module test.

#include "ModuleFixture.h"
#include "ModuleTestSequence.h"

#include <QStringList>

namespace quillon::testing {

/// The sequence up to and including `last`.
inline QStringList ModuleTestSequenceUpTo(const QString &last)
{
    const QStringList all = ModuleTestSequence();
    return all.mid(0, all.indexOf(last) + 1);
}

/// The speeds of the 18 attempts of a search that gets no answer: 115200 bps, then one entry of
/// the list lower per attempt, and the lowest speed again for the two attempts below the list.
inline QList<int> UnansweredSearchSpeeds()
{
    return {115200, 57600, 38400, 28800, 19200, 14400, 9600, 4800, 2400,
            1200,   600,   300,   150,   110,   75,    50,   50,   50};
}

/// The receive area after a passing run: the reply to "ATI", the IMEI text, LF, CR, "测试通过".
inline QString PassedRunText(const QString &imei)
{
    return QStringLiteral("ATI\r\n\r\nQUILLON\r\nQS900\r\nREVISION 01.001\r\n\r\nOK\r\n") +
           QStringLiteral("IMEI: ") + imei + QStringLiteral("\n\r测试通过");
}

inline const QString kNoResponseText = QStringLiteral("设备没有反应,检查是否开机");
inline const QString kNoTimelyReplyText = QStringLiteral("模块没有及时回复，请重新测试下");
inline const QString kSimErrorText = QStringLiteral("SIM卡读卡出错，请检查SIM卡");
inline const QString kRegisteringText =
    QStringLiteral("正在注册网络，请查检天线连接及SIM是否停机或等5S后再重新初始化");
inline const QString kDeniedText = QStringLiteral("SIM卡已停机或没有信号");
inline const QString kImeiErrorText = QStringLiteral("读取IMEI号出错");

} // namespace quillon::testing
