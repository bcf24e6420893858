#include "app/Quillon.h"

#include "base/AppInfo.h"
#include "app/PublicMod.h"
#include "gsm/ModuleTest.h"
#include "gsm/QuickCommands.h"
#include "connection/LineLabel.h"
#include "connection/ModemLines.h"
#include "connection/PortConnection.h"
#include "serial/Speeds.h"
#include "records/window/WindowRecords.h"
#include "sessionlog/window/WindowLog.h"
#include "sms/operations/SmsOperations.h"
#include "terminal/CommandExchange.h"
#include "terminal/DigitFilter.h"
#include "terminal/OperationContext.h"
#include "terminal/ReceiveMonitor.h"
#include "terminal/Widgets.h"
#include "terminal/WindowGate.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolTip>
#include <QUrl>

namespace quillon {

namespace {

constexpr int kTwipsPerPixel = 15;
const QString kSimSun = QStringLiteral("宋体");
const QColor kBlue{0, 0, 255};
const QColor kRed{255, 0, 0};
const QColor kLinkOrange{255, 128, 0};
const QColor kLinkLit{255, 255, 192};
const QColor kListBackground{192, 255, 255};
const QColor kPanelBackground{128, 128, 255};

/// Left, top, width, height in twips relative to the client area.
struct Twips {
    int left, top, width, height;
};

void Place(QWidget *w, Twips at)
{
    w->setGeometry(at.left / kTwipsPerPixel, at.top / kTwipsPerPixel, at.width / kTwipsPerPixel,
                   at.height / kTwipsPerPixel);
}

void SetFont(QWidget *w, qreal points, bool bold = false)
{
    QFont f(kSimSun);
    f.setPointSizeF(points);
    f.setBold(bold);
    w->setFont(f);
}

void SetColors(QWidget *w, const QColor *text, const QColor *background)
{
    QPalette p = w->palette();
    if (text) {
        p.setColor(QPalette::WindowText, *text);
        p.setColor(QPalette::Text, *text);
    }
    if (background) {
        p.setColor(QPalette::Window, *background);
        p.setColor(QPalette::Base, *background);
        p.setColor(QPalette::Button, *background);
        w->setAutoFillBackground(true);
    }
    w->setPalette(p);
}

template <typename T> T *Make(QWidget *parent, const char *name, Twips at)
{
    auto *w = new T(parent);
    w->setObjectName(QLatin1String(name));
    Place(w, at);
    return w;
}

/// A control of kind T showing `text` (buttons, labels, check boxes, text boxes).
template <typename T> T *Make(QWidget *parent, const char *name, const QString &text, Twips at)
{
    auto *w = Make<T>(parent, name, at);
    w->setText(text);
    return w;
}

} // namespace

Quillon::Quillon(SerialComm &comm, MessageSink &messages, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      MSComm(comm), m_messages(messages)
{
    setObjectName(QStringLiteral("Quillon"));
    setWindowTitle(QStringLiteral("Korvel电子串口调试器"));
    setFixedSize(7605 / kTwipsPerPixel, 8820 / kTwipsPerPixel);
    move(2415 / kTwipsPerPixel, 825 / kTwipsPerPixel);
    SetFont(this, 9);
    // Only the window's own surface is blue; text boxes and buttons keep their usual colours.
    QPalette surface = palette();
    surface.setColor(QPalette::Window, kBlue);
    setPalette(surface);
    setAutoFillBackground(true);
    setMouseTracking(true);

    BuildControls();
    SetTabOrder();
    Wire();
}

Quillon::~Quillon()
{
    // Behaviour objects refer to the controls; drop them before the children go.
    m_records.reset();
    m_log.reset();
    m_sms.reset();
    m_moduleTest.reset();
    m_simPin.reset();
    m_quick.reset();
    m_context.reset();
    m_monitor.reset();
    m_connection.reset();
    m_lines.reset();
    m_exchange.reset();
}

void Quillon::BuildControls()
{
    // Region A: port controls.
    ComboPort = Make<QComboBox>(this, "ComboPort", {120, 120, 1320, 300});
    for (int port = 1; port <= kPortCount; ++port)
        ComboPort->addItem(PortEntryText(port));
    SetColors(ComboPort, nullptr, &kListBackground);
    ComboSpeed = Make<QComboBox>(this, "ComboSpeed", {120, 480, 1325, 315});
    for (int index = 0; index < kSpeedCount; ++index)
        ComboSpeed->addItem(SpeedEntryText(index));
    ComboSpeed->setMaxVisibleItems(kSpeedCount);
    SetColors(ComboSpeed, nullptr, &kListBackground);
    ComStartStop = Make<QPushButton>(this, "ComStartStop", QStringLiteral("打 开 端 口"),
                                     {120, 840, 1335, 375});

    // Region B: module command column.
    ComVersion = Make<QPushButton>(this, "ComVersion", QStringLiteral("测试模块"),
                                   {120, 1260, 1335, 375});
    TextPIN = Make<QLineEdit>(this, "TextPIN", QStringLiteral("8642"), {120, 1680, 615, 315});
    TextPIN->setMaxLength(4);
    SetFont(TextPIN, 10.5);
    ComPIN = Make<QPushButton>(this, "ComPIN", QStringLiteral("SIM卡"), {780, 1680, 675, 375});
    ComSignal = Make<QPushButton>(this, "ComSignal", QStringLiteral("信号"), {120, 2100, 615, 375});
    Comcops = Make<QPushButton>(this, "Comcops", QStringLiteral("网络"), {840, 2100, 615, 375});
    Command3 = Make<QPushButton>(this, "Command3", QStringLiteral("拨 号 测 试"),
                                 {120, 2520, 1335, 375});
    TextNumber = Make<QLineEdit>(this, "TextNumber", QStringLiteral("10086"),
                                 {120, 2940, 1325, 315});
    TextNumber->setMaxLength(20);
    SetFont(TextNumber, 10.5);
    ComCallID = Make<QPushButton>(this, "ComCallID", QStringLiteral("读来电"), {120, 3360, 735, 435});
    const QColor callIdGrey{224, 224, 224};
    SetColors(ComCallID, nullptr, &callIdGrey);
    ComHandOff = Make<QPushButton>(this, "ComHandOff", QStringLiteral("挂机"), {880, 3360, 550, 435});
    ComDial = Make<QPushButton>(this, "ComDial", QStringLiteral("发DTMF音"), {120, 3840, 975, 315});
    dtmf = Make<QLineEdit>(this, "dtmf", QStringLiteral("1"), {1200, 3840, 255, 315});
    Command2 = Make<QPushButton>(this, "Command2", QStringLiteral("接听电话"), {120, 4200, 1335, 375});
    TC_ID = Make<QPushButton>(this, "TC_ID", QStringLiteral("GSM"), {120, 4680, 615, 375});
    AT_SOMO = Make<QPushButton>(this, "AT_SOMO", QStringLiteral("关机"), {840, 4680, 615, 375});
    AT_DSR = Make<QPushButton>(this, "AT_DSR", QStringLiteral("开机"), {120, 5160, 615, 375});
    AT_CFUN = Make<QPushButton>(this, "AT_CFUN", QStringLiteral("复位"), {840, 5160, 615, 375});
    Check1 = Make<QCheckBox>(this, "Check1", QStringLiteral("英文短信"), {120, 5640, 1215, 375});
    SetColors(Check1, nullptr, &kPanelBackground);

    // Region C: short-message column.
    Command1 = Make<QPushButton>(this, "Command1", QStringLiteral("发送短信"), {1560, 4080, 975, 375});
    cmgr = Make<QPushButton>(this, "cmgr", QStringLiteral("读短信"), {1560, 4560, 975, 375});
    AT_CMGD = Make<QPushButton>(this, "AT_CMGD", QStringLiteral("删短信"), {1560, 5040, 975, 375});
    Label6 = Make<QLabel>(this, "Label6", QStringLiteral("短信号"), {1440, 5640, 540, 180});
    SetColors(Label6, &kRed, &kBlue);
    at_cmgr = Make<QLineEdit>(this, "at_cmgr", QStringLiteral("1"), {2040, 5520, 375, 270});

    // Region D: line and traffic indicators.
    LabelDTR = Make<LineLabel>(this, "LabelDTR", {120, 6060, 1320, 255});
    LabelDTR->setToolTip(QStringLiteral("改变DTR的状态"));
    LabelRTS = Make<LineLabel>(this, "LabelRTS", {120, 6360, 1320, 255});
    LabelRTS->setToolTip(QStringLiteral("改变RTS的状态"));
    Label3 = Make<QLabel>(this, "Label3", QStringLiteral("发送"), {120, 6720, 375, 255});
    SetColors(Label3, nullptr, &kPanelBackground);
    TextSend = Make<Lamp>(this, "TextSend", {520, 6675, 200, 270});
    TextSend->SetColor(kLampYellow);
    Label4 = Make<QLabel>(this, "Label4", QStringLiteral("接收"), {795, 6720, 375, 255});
    SetColors(Label4, nullptr, &kPanelBackground);
    TextReceive = Make<Lamp>(this, "TextReceive", {1240, 6675, 200, 270});
    TextReceive->SetColor(kLampYellow);
    LabelDSR = Make<LineLabel>(this, "LabelDSR", {120, 7020, 1320, 255});
    LabelCTS = Make<LineLabel>(this, "LabelCTS", {120, 7320, 1320, 255});
    LabelCD = Make<LineLabel>(this, "LabelCD", {120, 7620, 1320, 255});
    CheckDisplay = Make<QCheckBox>(this, "CheckDisplay", QStringLiteral("显示十六进制"),
                                   {120, 7920, 1400, 255});
    SetColors(CheckDisplay, &kBlue, &kPanelBackground);

    // Region E: link and text areas.
    AT_OID = Make<QLabel>(this, "AT_OID", VendorUrl(), {2400, 120, 4095, 375});
    SetFont(AT_OID, 14.25, true);
    SetColors(AT_OID, &kLinkOrange, &kBlue);
    AT_OID->setCursor(Qt::PointingHandCursor);
    AT_OID->setMouseTracking(true);
    AT_OID->installEventFilter(this);
    Label1 = Make<QLabel>(this, "Label1", QStringLiteral("指令区--可以手动输入指令"), {2640, 600, 3435, 285});
    SetFont(Label1, 14.25);
    SetColors(Label1, &kRed, &kBlue);
    TextOut = Make<CommandArea>(this, "TextOut", {2640, 960, 4455, 1215});
    SetFont(TextOut, 12);
    Label2 = Make<QLabel>(this, "Label2", QStringLiteral("短信区-英文140字，中文70字"),
                          {2640, 2280, 4095, 375});
    SetFont(Label2, 14.25);
    SetColors(Label2, &kRed, &kBlue);
    SEND = Make<QPlainTextEdit>(this, "SEND", {2640, 2640, 4455, 1335});
    SEND->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SEND->setTabChangesFocus(true);
    SetFont(SEND, 12);
    const QColor white{255, 255, 255};
    SetColors(SEND, nullptr, &white);
    Label5 = Make<QLabel>(this, "Label5", QStringLiteral("接收区"), {2640, 4080, 855, 375});
    SetFont(Label5, 14.25);
    SetColors(Label5, &kRed, &kBlue);
    RTextBuf = new ReceiveArea(m_received, this);
    RTextBuf->setObjectName(QStringLiteral("RTextBuf"));
    Place(RTextBuf, {2640, 4440, 4455, 4095});
    SetFont(RTextBuf, 12);

    ComboPort->installEventFilter(this);
}

void Quillon::SetTabOrder()
{
    // Focusable controls in the order of their tab places.
    const QList<QWidget *> order = {
        ComboPort, ComboSpeed, ComStartStop, CheckDisplay, TextOut, RTextBuf, TextSend,
        TextReceive, ComVersion, ComSignal, ComPIN, TextPIN, Command3, TextNumber, ComHandOff,
        ComDial, ComCallID, Comcops, Command1, SEND, dtmf, cmgr, at_cmgr, Command2, AT_CMGD,
        TC_ID, AT_SOMO, AT_CFUN, AT_DSR, Check1};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void Quillon::Wire()
{
    m_gate = new WindowGate(this);
    m_exchange = std::make_unique<CommandExchange>(MSComm, *TextOut, m_received, *TextSend, *m_gate);
    m_lines = std::make_unique<ModemLines>(
        MSComm, LineLabels{LabelDTR, LabelRTS, LabelDSR, LabelCTS, LabelCD});
    m_connection = std::make_unique<PortConnection>(
        MSComm, PortControls{this, ComboPort, ComboSpeed, ComStartStop, TextOut}, *m_lines,
        *m_exchange, m_messages);
    m_monitor = std::make_unique<ReceiveMonitor>(MSComm, m_received, *TextReceive, *m_exchange);

    m_exchange->SetPortIsOpen([this] { return m_connection->PortIsOpen(); });
    connect(m_exchange.get(), &CommandExchange::WriteFailed, this,
            [this](const CommError &e) { m_connection->ReportWriteFailure(e); });
    connect(m_exchange.get(), &CommandExchange::Refused, this,
            [this](const QString &text) { m_messages.Information(text); });
    m_monitor->SetHexDisplay([this] { return CheckDisplay->isChecked(); });
    m_monitor->SetShowLineStates([this] { m_lines->ShowLineStates(); });

    m_context = std::make_unique<OperationContext>(OperationContext{
        *m_exchange, m_received, m_messages, [this] { return m_connection->PortIsOpen(); }});
    m_quick = std::make_unique<QuickCommands>(*m_context, MSComm, *dtmf, *TextNumber);
    m_simPin = std::make_unique<SimPinCheck>(*m_context, *TextPIN);
    m_moduleTest = std::make_unique<ModuleTest>(*m_context, *m_connection);
    m_sms = std::make_unique<SmsOperations>(*m_context, *TextNumber, *SEND, *Check1, *at_cmgr);

    connect(&m_connection->TimerRead(), &QTimer::timeout, this, [this] { m_monitor->TimerRead_Timer(); });
    connect(ComStartStop, &QPushButton::clicked, this, [this] { m_connection->ComStartStop_Click(); });
    connect(ComboSpeed, &QComboBox::activated, this, [this] { m_connection->ComboSpeed_Click(); });
    // A line read that fails ends the label refresh there; the click has nothing to report.
    connect(LabelDTR, &LineLabel::clicked, this, [this] { Attempt([this] { m_lines->LabelDTR_Click(); }); });
    connect(LabelRTS, &LineLabel::clicked, this, [this] { Attempt([this] { m_lines->LabelRTS_Click(); }); });

    InstallKeyPressHandler(TextOut, [this](int code) { return m_exchange->TextOut_KeyPress(code); });
    InstallKeyPressHandler(TextNumber, DigitFilter);
    InstallKeyPressHandler(TextPIN, DigitFilter);

    QuickCommands *quick = m_quick.get();
    connect(AT_DSR, &QPushButton::clicked, this, [quick] { quick->AT_DSR_Click(); });
    connect(AT_CFUN, &QPushButton::clicked, this, [quick] { quick->AT_CFUN_Click(); });
    connect(AT_SOMO, &QPushButton::clicked, this, [quick] { quick->AT_SOMO_Click(); });
    connect(TC_ID, &QPushButton::clicked, this, [quick] { quick->TC_ID_Click(); });
    connect(Comcops, &QPushButton::clicked, this, [quick] { quick->Comcops_Click(); });
    connect(ComSignal, &QPushButton::clicked, this, [quick] { quick->ComSignal_Click(); });
    connect(ComCallID, &QPushButton::clicked, this, [quick] { quick->ComCallID_Click(); });
    connect(ComDial, &QPushButton::clicked, this, [quick] { quick->ComDial_Click(0); });
    connect(Command2, &QPushButton::clicked, this, [quick] { quick->Command2_Click(); });
    connect(ComHandOff, &QPushButton::clicked, this, [quick] { quick->ComHandOff_Click(); });
    connect(Command3, &QPushButton::clicked, this, [quick] { quick->Command3_Click(); });
    connect(ComPIN, &QPushButton::clicked, this, [this] { m_simPin->ComPIN_Click(); });
    connect(ComVersion, &QPushButton::clicked, this, [this] { m_moduleTest->ComVersion_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { m_sms->Command1_Click(); });
    connect(cmgr, &QPushButton::clicked, this, [this] { m_sms->cmgr_Click(); });
    connect(AT_CMGD, &QPushButton::clicked, this, [this] { m_sms->AT_CMGD_Click(); });
    // The session log; problems wait until no command is waiting for its replies.
    m_log = std::make_unique<WindowLog>(MSComm, *RTextBuf, m_messages,
                                        [this] { return m_exchange->State().WaitActive; });
    // Every module test run kept as a test record, in the log folder.
    m_records = std::make_unique<WindowRecords>(MSComm, *m_moduleTest, m_log->Folder(), m_messages);
    connect(this, &Quillon::Closing, m_records.get(), &WindowRecords::WindowClosing);
}

bool Quillon::PortIsOpen() const { return m_connection->PortIsOpen(); }

void Quillon::Form_Load()
{
    int port = ReadIniInt(QStringLiteral("QuillonSet"), QStringLiteral("Port"));
    // A stored position below 0 would leave the list without a selection: use the default.
    if (port >= kPortCount || port < 0)
        port = 0;
    ComboPort->setCurrentIndex(port);

    int speed = ReadIniInt(QStringLiteral("QuillonSet"), QStringLiteral("Speed"));
    if (speed >= kSpeedCount || speed < 0)
        speed = kDefaultSpeedIndex;
    m_connection->SelectSpeed(speed);

    BSE1.SetProperty(0x6803000A, 1);
    BSE1.Invoke(0x6003000C);
    BSE1.Invoke(0x6003000B);

    m_lines->ShowNeutral(true);
    m_connection->SetPortIsOpen(false);
    TextOut->setEnabled(false);
    TextOut->SetText(QStringLiteral("请先打开端口!"));
    m_received.Clear();
    RTextBuf->RefreshNow();
    setWindowTitle(QStringLiteral("Korvel电子测试程序  版本 V%1.%2%3")
                       .arg(VersionMajor())
                       .arg(VersionMinor())
                       .arg(VersionRevision()));
    SEND->setPlainText(VendorHost() + QStringLiteral("/ Korvel电子 KORVELCO "));
}

void Quillon::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Q_EMIT Closing();
    // An operation may be running in a nested loop: let it run out without sending or pausing.
    m_exchange->SetClosing();
    m_connection->TimerRead().stop();
    Attempt([this] {
        if (MSComm.PortOpen())
            MSComm.SetPortOpen(false);
    });
    WriteIniString(QStringLiteral("QuillonSet"), QStringLiteral("Port"),
                   QString::number(ComboPort->currentIndex()));
    WriteIniString(QStringLiteral("QuillonSet"), QStringLiteral("Speed"),
                   QString::number(ComboSpeed->currentIndex()));
    int state = 0;
    if (windowState() & Qt::WindowMinimized)
        state = 1;
    else if (windowState() & Qt::WindowMaximized)
        state = 2;
    if (state != 0)
        setWindowState(Qt::WindowNoState);
    const QRect outer = frameGeometry();
    WriteIniString(QStringLiteral("Point"), QStringLiteral("Top"), QString::number(outer.top() * kTwipsPerPixel));
    WriteIniString(QStringLiteral("Point"), QStringLiteral("Left"), QString::number(outer.left() * kTwipsPerPixel));
    WriteIniString(QStringLiteral("Point"), QStringLiteral("Width"), QString::number(outer.width() * kTwipsPerPixel));
    WriteIniString(QStringLiteral("Point"), QStringLiteral("Height"), QString::number(outer.height() * kTwipsPerPixel));
    WriteIniString(QStringLiteral("Point"), QStringLiteral("WindowState"), QString::number(state));
}

void Quillon::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void Quillon::mouseMoveEvent(QMouseEvent *event)
{
    // Only the bare window surface turns the link back to its designed colour.
    if (!childAt(event->position().toPoint()))
        SetColors(AT_OID, &kLinkOrange, nullptr);
    QWidget::mouseMoveEvent(event);
}

void Quillon::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!childAt(event->position().toPoint()))
        m_showAbout();
    QWidget::mouseDoubleClickEvent(event);
}

bool Quillon::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == AT_OID) {
        if (event->type() == QEvent::MouseButtonPress) {
            QDesktopServices::openUrl(QUrl(VendorUrl()));
            return true;
        }
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
            SetColors(AT_OID, &kLinkLit, nullptr);
            return event->type() == QEvent::MouseMove;
        }
    } else if (watched == ComboPort && event->type() == QEvent::ToolTip && m_describePort) {
        ComboPort->setToolTip(m_describePort(ComboPort->currentIndex() + 1));
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quillon
