#pragma once
// The module test as data: the speed search, the fixed command sequence with its pauses, the
// checks and their diagnosis texts. The window runs it through its command exchange and the batch
// tester through its own asynchronous exchange, so a change here changes both.

#include <QList>
#include <QString>

#include <optional>

namespace quillon::moduletest {

/// The speed search: "AT&F" at each speed, then a pause, until the reply holds "OK".
inline const QString kSearchCommand = QStringLiteral("AT&F");
inline constexpr int kSearchPauseMs = 200;
inline const QString kSearchAnswer = QStringLiteral("OK");

/// How the thread waits after a command.
enum class PauseKind {
    None,
    Delay, ///< events keep running (the window stays open to input)
    Sleep, ///< the thread is blocked
};

/// What a step's reply is checked for.
enum class Check {
    None,
    SimReady,     ///< "+CPIN: READY"
    Registration, ///< none of the searching / denied / not searching statuses
    Imei,         ///< the echo of the IMEI command, followed by the IMEI
};

struct Step {
    int number = 0; ///< 4..14, as the steps are known to technicians
    QString command;
    PauseKind pause = PauseKind::None;
    int pauseMs = 0;
    Check check = Check::None;
    int pauseAfterPassMs = 0; ///< a Delay once the check has passed
};

/// Steps 4 to 14 in order. Step 15 writes the result.
const QList<Step> &Sequence();
/// Number of steps a technician counts in a run (search and result included): 12.
inline constexpr int kStepCount = 12;
inline constexpr int kImeiLength = 15;

/// Diagnosis texts, exactly as the window shows them.
inline const QString kNoAnswer = QStringLiteral("设备没有反应,检查是否开机");
inline const QString kSimError = QStringLiteral("SIM卡读卡出错，请检查SIM卡");
inline const QString kNoTimelyReply = QStringLiteral("模块没有及时回复，请重新测试下");
inline const QString kRegistering =
    QStringLiteral("正在注册网络，请查检天线连接及SIM是否停机或等5S后再重新初始化");
inline const QString kSuspended = QStringLiteral("SIM卡已停机或没有信号");
inline const QString kImeiError = QStringLiteral("读取IMEI号出错");
/// What a passing run appends after the IMEI text.
inline const QString kPassedTail = QStringLiteral("\n\r测试通过");

/// Judges the receive text after a step's command (and pause): the diagnosis of a failed
/// check, or nothing when the run goes on.
std::optional<QString> Judge(Check check, const QString &receiveText);

/// "IMEI: " + the 15 characters after the echo "ATD*#06#" and the line ends that follow it
/// (fewer when the text ends sooner); empty when the echo is missing.
QString ImeiTextFrom(const QString &receiveText);

/// The identification reply of "ATI" in a receive text: the lines after the echo up to the
/// final result, trimmed; empty when there is none.
QString IdentificationFrom(const QString &receiveText);

/// What became of one run, for whoever keeps records of runs.
struct RunResult {
    enum class Outcome { Passed, Failed, CutShort };
    Outcome outcome = Outcome::Failed;
    QString diagnosis;      ///< the message shown; empty for a pass
    QString cutReason;      ///< why the run was cut short
    int endedAtStep = 0;    ///< 3 for the search, 4..14 for a check, 15 for a pass
    int attempts = 0;       ///< speed search attempts made
    int answeredBaud = 0;   ///< the speed that answered; 0 when none did
    QString imei;           ///< the 15 characters of the IMEI text, when read
    QString identification; ///< the ATI reply, when read
};

/// Told about a run as it goes. Default implementations do nothing.
class RunListener {
public:
    virtual ~RunListener() = default;
    virtual void RunStarted() {}
    /// Speed search attempt `attempt` (1-based) is about to be made at `baud`.
    virtual void AttemptStarted(int /*attempt*/, int /*baud*/) {}
    /// Step `step` (4..14) is about to send its command.
    virtual void StepStarted(int /*step*/, const QString & /*command*/) {}
    virtual void RunEnded(const RunResult & /*result*/) {}
};

} // namespace quillon::moduletest
