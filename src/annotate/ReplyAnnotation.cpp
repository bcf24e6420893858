#include "annotate/ReplyAnnotation.h"

#include <QList>

#include <algorithm>
#include <iterator>

namespace quillon {

namespace {

struct CodeText {
    int code;
    const char *text;
};

// 27.007 §9.2.1 (general) and §9.2.2 (GPRS-related; the network cause is in brackets).
constexpr CodeText kCme[] = {
    {0, "手机（模块）故障"},
    {1, "没有与手机的连接"},
    {2, "手机适配器链路被保留"},
    {3, "不允许的操作"},
    {4, "不支持的操作"},
    {5, "需要 PH-SIM PIN 码"},
    {6, "需要 PH-FSIM PIN 码"},
    {7, "需要 PH-FSIM PUK 码"},
    {10, "未插入 SIM 卡"},
    {11, "需要 SIM 卡 PIN 码"},
    {12, "需要 SIM 卡 PUK 码"},
    {13, "SIM 卡故障"},
    {14, "SIM 卡忙"},
    {15, "SIM 卡错误"},
    {16, "密码错误"},
    {17, "需要 SIM 卡 PIN2 码"},
    {18, "需要 SIM 卡 PUK2 码"},
    {20, "存储器已满"},
    {21, "无效的索引"},
    {22, "未找到"},
    {23, "存储器故障"},
    {24, "文本字符串过长"},
    {25, "文本字符串中有无效字符"},
    {26, "拨号字符串过长"},
    {27, "拨号字符串中有无效字符"},
    {30, "无网络服务"},
    {31, "网络超时"},
    {32, "网络不允许，仅限紧急呼叫"},
    {40, "需要网络个性化 PIN 码"},
    {41, "需要网络个性化 PUK 码"},
    {42, "需要网络子集个性化 PIN 码"},
    {43, "需要网络子集个性化 PUK 码"},
    {44, "需要服务提供商个性化 PIN 码"},
    {45, "需要服务提供商个性化 PUK 码"},
    {46, "需要企业个性化 PIN 码"},
    {47, "需要企业个性化 PUK 码"},
    {48, "需要隐藏密钥"},
    {49, "不支持的 EAP 方法"},
    {50, "参数不正确"},
    {51, "命令已实现但当前被禁用"},
    {52, "命令被用户中止"},
    {53, "因终端功能限制未附着到网络"},
    {54, "调制解调器不允许，终端仅限紧急呼叫"},
    {55, "因终端功能限制不允许该操作"},
    {56, "仅允许固定拨号，被叫号码不是固定拨号号码"},
    {57, "因终端的其他使用暂时无法服务"},
    {58, "不支持的语言或字母表"},
    {59, "意外的数据值"},
    {60, "系统故障"},
    {61, "缺少数据"},
    {62, "呼叫被禁止"},
    {63, "消息等待指示订阅失败"},
    {100, "未知错误"},
    {103, "非法的移动台（#3）"},
    {106, "非法的移动设备（#6）"},
    {107, "不允许 GPRS 服务（#7）"},
    {108, "不允许 GPRS 和非 GPRS 服务（#8）"},
    {111, "不允许的公共陆地移动网（#11）"},
    {112, "不允许的位置区（#12）"},
    {113, "该位置区不允许漫游（#13）"},
    {114, "该网络不允许 GPRS 服务（#14）"},
    {115, "位置区内没有合适的小区（#15）"},
    {122, "网络拥塞（#22）"},
    {125, "资源不足（#26）"},
    {126, "APN 缺失或未知（#27）"},
    {127, "未知的 PDP 地址或 PDP 类型（#28）"},
    {128, "用户认证失败（#29）"},
    {129, "激活被网关拒绝（#30）"},
    {130, "激活被拒绝，原因未指明（#31）"},
    {131, "不支持的业务选项（#32）"},
    {132, "请求的业务选项未订阅（#33）"},
    {133, "业务选项暂时不可用（#34）"},
    {134, "NSAPI 已被使用（#35）"},
    {140, "不支持的功能"},
    {141, "承载资源修改或 TFT 操作出现语义错误（#41）"},
    {142, "TFT 操作出现语法错误（#42）"},
    {143, "未知的 PDP 上下文（#43）"},
    {144, "数据包过滤器出现语义错误（#44）"},
    {145, "数据包过滤器出现语法错误（#45）"},
    {146, "PDP 上下文没有激活的 TFT（#46）"},
    {148, "未指明的 GPRS 错误"},
    {149, "PDP 认证失败"},
    {150, "无效的移动台类别"},
};

// 27.005 §3.2.5, with the RP causes of 24.011 E.2 and the TP failure causes of 23.040 §9.2.3.22
// it names for 0-255.
constexpr CodeText kCms[] = {
    {1, "未分配的号码"},
    {8, "运营商决定的禁止"},
    {10, "呼叫被禁止"},
    {21, "短信传送被拒绝"},
    {22, "存储容量已满"},
    {27, "目的地不可用"},
    {28, "身份不明的用户"},
    {29, "业务被拒绝"},
    {30, "未知用户"},
    {38, "网络故障"},
    {41, "暂时故障"},
    {42, "网络拥塞"},
    {47, "资源不可用，原因未指明"},
    {50, "请求的业务未订阅"},
    {69, "请求的业务未实现"},
    {81, "无效的短信传送参考值"},
    {95, "语义错误的消息"},
    {96, "无效的必选信息"},
    {97, "消息类型不存在或未实现"},
    {98, "消息与短信协议状态不兼容"},
    {99, "信息单元不存在或未实现"},
    {111, "协议错误，原因未指明"},
    {127, "互通错误，原因未指明"},
    {128, "不支持远程信息处理互通"},
    {129, "不支持 0 类短信"},
    {130, "无法替换短信"},
    {143, "未指明的 TP-PID 错误"},
    {144, "不支持的数据编码方案（字母表）"},
    {145, "不支持的消息类别"},
    {159, "未指明的 TP-DCS 错误"},
    {160, "命令无法执行"},
    {161, "不支持的命令"},
    {175, "未指明的 TP-Command 错误"},
    {176, "不支持的 TPDU"},
    {192, "短信中心忙"},
    {193, "未订阅短信中心"},
    {194, "短信中心系统故障"},
    {195, "无效的短信实体地址"},
    {196, "目的短信实体被禁止"},
    {197, "短信被拒绝：重复的短信"},
    {198, "不支持的 TP-VPF"},
    {199, "不支持的 TP-VP"},
    {208, "SIM 卡短信存储已满"},
    {209, "SIM 卡没有短信存储能力"},
    {210, "移动台出错"},
    {211, "存储容量已满"},
    {212, "SIM 卡应用工具包忙"},
    {213, "SIM 卡数据下载出错"},
    {255, "未指明的错误原因"},
    {300, "移动设备故障"},
    {301, "移动设备的短信服务被保留"},
    {302, "不允许的操作"},
    {303, "不支持的操作"},
    {304, "无效的 PDU 模式参数"},
    {305, "无效的文本模式参数"},
    {310, "未插入 SIM 卡"},
    {311, "需要 SIM 卡 PIN 码"},
    {312, "需要 PH-SIM PIN 码"},
    {313, "SIM 卡故障"},
    {314, "SIM 卡忙"},
    {315, "SIM 卡错误"},
    {316, "需要 SIM 卡 PUK 码"},
    {317, "需要 SIM 卡 PIN2 码"},
    {318, "需要 SIM 卡 PUK2 码"},
    {320, "存储器故障"},
    {321, "无效的存储索引"},
    {322, "存储器已满"},
    {330, "短信中心地址未知"},
    {331, "无网络服务"},
    {332, "网络超时"},
    {340, "不需要 +CNMA 确认"},
    {500, "未知错误"},
};

template <size_t N> QString Find(const CodeText (&table)[N], int code)
{
    const auto *found = std::find_if(std::begin(table), std::end(table),
                                     [code](const CodeText &c) { return c.code == code; });
    return found == std::end(table) ? QString() : QString::fromUtf8(found->text);
}

/// The values after "+XXX: ", split at commas outside quotes, quotes removed.
struct Fields {
    QList<QString> values;
    QList<bool> quoted;
};

Fields SplitFields(QByteArrayView text)
{
    Fields f;
    QByteArray current;
    bool inQuotes = false, wasQuoted = false;
    for (char c : text) {
        if (c == '"') {
            inQuotes = !inQuotes;
            wasQuoted = true;
        } else if (c == ',' && !inQuotes) {
            f.values << QString::fromLatin1(current.trimmed());
            f.quoted << wasQuoted;
            current.clear();
            wasQuoted = false;
        } else {
            current += c;
        }
    }
    f.values << QString::fromLatin1(current.trimmed());
    f.quoted << wasQuoted;
    return f;
}

bool ToInt(const QString &s, int &out)
{
    bool ok = false;
    out = s.toInt(&ok);
    return ok && !s.isEmpty() && s.at(0).isDigit();
}

QString BerText(int ber)
{
    static const char *const kRxqual[] = {"低于 0.2%", "0.2%~0.4%", "0.4%~0.8%", "0.8%~1.6%",
                                          "1.6%~3.2%", "3.2%~6.4%", "6.4%~12.8%", "高于 12.8%"};
    if (ber >= 0 && ber <= 7)
        return QStringLiteral("误码率%1（RXQUAL %2）").arg(QString::fromUtf8(kRxqual[ber])).arg(ber);
    return QStringLiteral("误码率未知");
}

QStringList Signal(const Fields &f)
{
    int rssi = 0, ber = 0;
    if (f.values.size() != 2 || !ToInt(f.values[0], rssi) || !ToInt(f.values[1], ber))
        return {};
    QString level;
    if (rssi == 31)
        level = QStringLiteral("信号强度 -51 dBm 或更强");
    else if (rssi == 0)
        level = QStringLiteral("信号强度 -113 dBm 或更弱");
    else if (rssi >= 1 && rssi <= 30)
        level = QStringLiteral("信号强度 %1 dBm").arg(RssiDbm(rssi));
    else
        level = QStringLiteral("信号强度未知");
    return {QStringLiteral("%1，%2；%3").arg(level, RssiQuality(rssi), BerText(ber))};
}

QString Area(const QString &name, const QString &hex)
{
    bool ok = false;
    const qulonglong value = hex.toULongLong(&ok, 16);
    return ok ? QStringLiteral("%1 %2（十进制 %3）").arg(name, hex).arg(value)
              : QStringLiteral("%1 %2").arg(name, hex);
}

QStringList Registration(const Fields &f, bool eps)
{
    // Unsolicited: <stat>[,<lac>,<ci>...]; read reply: <n>,<stat>[,<lac>,<ci>...].
    int first = 0, stat = 0;
    if (f.values.isEmpty() || !ToInt(f.values[0], first))
        return {};
    qsizetype next = 1;
    if (f.values.size() >= 2 && !f.quoted[1]) {
        if (!ToInt(f.values[1], stat))
            return {};
        next = 2;
    } else {
        stat = first;
    }
    const QString meaning = RegistrationText(stat);
    if (meaning.isEmpty())
        return {};
    QStringList out{QStringLiteral("网络注册状态 %1：%2").arg(stat).arg(meaning)};
    if (f.values.size() >= next + 2 && f.quoted[next] && f.quoted[next + 1]) {
        out << QStringLiteral("%1，%2").arg(
                   Area(eps ? QStringLiteral("跟踪区 TAC") : QStringLiteral("位置区 LAC"), f.values[next]),
                   Area(QStringLiteral("小区 CI"), f.values[next + 1]));
    }
    return out;
}

QStringList SimState(const QString &state)
{
    const struct {
        const char *state;
        const char *text;
    } states[] = {
        {"READY", "SIM 卡已就绪，不需要密码"},
        {"SIM PIN", "SIM 卡等待输入 PIN 码"},
        {"SIM PUK", "SIM 卡已锁定，等待输入 PUK 码解锁"},
        {"SIM PIN2", "等待输入 PIN2 码"},
        {"SIM PUK2", "PIN2 已锁定，等待输入 PUK2 码"},
        {"PH-SIM PIN", "等待输入手机-SIM 卡密码"},
        {"PH-NET PIN", "等待输入网络个性化密码"},
        {"PH-NET PUK", "等待输入网络个性化解锁码"},
    };
    for (const auto &s : states)
        if (state == QLatin1String(s.state))
            return {QString::fromUtf8(s.text)};
    return {};
}

QStringList ErrorLine(const QString &value, bool cms)
{
    int code = 0;
    if (!ToInt(value, code))
        return {};
    QString text = cms ? CmsErrorText(code) : CmeErrorText(code);
    if (text.isEmpty())
        text = QStringLiteral("标准未列出的错误码（可能是厂商自定义）");
    return {QStringLiteral("%1错误 %2：%3").arg(cms ? QStringLiteral("短信") : QStringLiteral("设备"))
                .arg(code)
                .arg(text)};
}

QStringList CallerNumber(const Fields &f)
{
    if (f.values.isEmpty() || !f.quoted[0])
        return {};
    QString line = QStringLiteral("来电号码 %1").arg(f.values[0].isEmpty() ? QStringLiteral("（未提供）")
                                                                          : f.values[0]);
    int type = 0;
    if (f.values.size() >= 2 && ToInt(f.values[1], type)) {
        line += type == 145 ? QStringLiteral("，国际格式（类型 145）")
                            : QStringLiteral("，号码类型 %1").arg(type);
    }
    return {line};
}

} // namespace

QString CmeErrorText(int code) { return Find(kCme, code); }

QString CmsErrorText(int code)
{
    const QString listed = Find(kCms, code);
    if (!listed.isEmpty())
        return listed;
    if (code >= 224 && code <= 254)
        return QStringLiteral("应用相关的错误原因");
    if (code >= 512)
        return QStringLiteral("厂商自定义的错误");
    return QString();
}

int RssiDbm(int rssi)
{
    if (rssi >= 0 && rssi <= 31)
        return -113 + 2 * rssi;
    return 0;
}

QString RssiQuality(int rssi)
{
    if (rssi < 0 || rssi > 31)
        return QStringLiteral("未知");
    if (rssi <= 1)
        return QStringLiteral("极弱");
    if (rssi <= 9)
        return QStringLiteral("弱");
    if (rssi <= 14)
        return QStringLiteral("一般");
    if (rssi <= 19)
        return QStringLiteral("好");
    return QStringLiteral("很好");
}

QString RegistrationText(int stat)
{
    static const char *const kStat[] = {
        "未注册，没有在搜索网络",
        "已注册，本地网络",
        "未注册，正在搜索网络",
        "注册被拒绝",
        "未知（例如不在覆盖范围内）",
        "已注册，漫游",
        "已注册，仅短信，本地网络",
        "已注册，仅短信，漫游",
        "仅可紧急服务",
        "已注册，本地网络，不优先回落",
        "已注册，漫游，不优先回落",
    };
    if (stat < 0 || stat >= int(std::size(kStat)))
        return QString();
    return QString::fromUtf8(kStat[stat]);
}

QStringList AnnotateReply(QByteArrayView line)
{
    const QByteArrayView text = line.trimmed();
    if (text == "RING")
        return {QStringLiteral("来电振铃")};
    if (text == "NO CARRIER")
        return {QStringLiteral("通话已断开或未能接通")};
    if (text == "BUSY")
        return {QStringLiteral("对方忙")};
    if (text == "NO ANSWER")
        return {QStringLiteral("对方无人接听")};
    if (!text.startsWith('+'))
        return {};
    const qsizetype colon = text.indexOf(':');
    if (colon < 0)
        return {};
    const QByteArrayView name = text.first(colon);
    const QByteArrayView rest = text.sliced(colon + 1).trimmed();
    if (name == "+CME ERROR")
        return ErrorLine(QString::fromLatin1(rest), false);
    if (name == "+CMS ERROR")
        return ErrorLine(QString::fromLatin1(rest), true);
    if (name == "+CPIN")
        return SimState(QString::fromLatin1(rest));
    if (name == "+CRING")
        return {QStringLiteral("来电振铃（%1）").arg(QString::fromLatin1(rest))};
    const Fields fields = SplitFields(rest);
    if (name == "+CSQ")
        return Signal(fields);
    if (name == "+CREG" || name == "+CGREG")
        return Registration(fields, false);
    if (name == "+CEREG")
        return Registration(fields, true);
    if (name == "+CLIP")
        return CallerNumber(fields);
    int reference = 0;
    if (name == "+CMGS" && fields.values.size() >= 1 && ToInt(fields.values[0], reference))
        return {QStringLiteral("短信已发出，消息参考号 %1").arg(reference)};
    return {};
}

} // namespace quillon
