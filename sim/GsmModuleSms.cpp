// Short-message commands (3GPP TS 27.005) and the messages a new module holds.
#include "sim/CommandArgs.h"
#include "sim/GsmModule.h"

namespace quillon::sim {

namespace {

const char *const kStatusText[] = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT"};

// Octets of the service-centre part in front of a stored TPDU.
int ServiceCentreOctets(const QByteArray &pdu)
{
    return pdu.isEmpty() ? 0 : quint8(pdu[0]) + 1;
}

// TS 27.005 <data> in text mode: GSM 7-bit text without a header is shown as text; 8-bit,
// UCS-2 or any user data with a header is shown as hexadecimal octets.
QByteArray TextModeData(quint8 firstOctet, quint8 dcs, quint8 udl, const QByteArray &ud)
{
    if (AlphabetOf(dcs) == Alphabet::Gsm7 && !(firstOctet & 0x40))
        return UserDataText(firstOctet, dcs, udl, ud).toLatin1();
    return ToHex(ud);
}

} // namespace

GsmModule::Result GsmModule::CmdCmgf(const AtCommand &c)
{
    return Setting(c, m_p.cmgf, 0, 1);
}

GsmModule::Result GsmModule::CmdCnmi(const AtCommand &c)
{
    static constexpr int kHigh[5] = {2, 3, 2, 2, 1};
    if (c.form == AtForm::Query) {
        QByteArray line = "+CNMI: ";
        for (int i = 0; i < 5; ++i)
            line += (i ? "," : "") + QByteArray::number(m_p.cnmi[i]);
        Info(line);
        return {};
    }
    if (c.form == AtForm::Test) {
        Info("+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)");
        return {};
    }
    const QList<QByteArray> args = SplitArgs(c.args);
    if (args.isEmpty() || args.size() > 5)
        return {Result::Error, 0};
    std::array<int, 5> values = m_p.cnmi;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i].isEmpty())
            continue;
        const auto v = ToInt(args[i]);
        if (!v || *v > kHigh[i] || (i == 2 && *v == 1))
            return {Result::Cms, 303}; // operation not supported
        values[i] = *v;
    }
    m_p.cnmi = values;
    return {};
}

GsmModule::Result GsmModule::CmdCsca(const AtCommand &c)
{
    if (c.form == AtForm::Test)
        return {};
    if (c.form == AtForm::Query) {
        Info("+CSCA: \"" + m_serviceCentre.toLatin1() + "\","
             + (m_serviceCentre.startsWith(QLatin1Char('+')) ? "145" : "129"));
        return {};
    }
    const QList<QByteArray> args = SplitArgs(c.args);
    const QByteArray number = args.isEmpty() ? QByteArray() : Unquote(args[0]);
    if (number.isEmpty() || number.size() > 21)
        return {Result::Error, 0};
    m_serviceCentre = QString::fromLatin1(number);
    return {};
}

GsmModule::Result GsmModule::CmdCmgd(const AtCommand &c)
{
    if (c.form == AtForm::Test) {
        QByteArray used;
        for (const auto &m : m_store) {
            if (m)
                used += (used.isEmpty() ? "" : ",") + QByteArray::number(m->index);
        }
        Info("+CMGD: (" + used + "),(0-4)");
        return {};
    }
    const QList<QByteArray> args = SplitArgs(c.args);
    const auto index = args.isEmpty() ? std::nullopt : ToInt(args[0]);
    const auto flag = args.size() > 1 ? ToInt(args[1]) : std::optional<int>(0);
    if (!index || !flag || *flag > 4 || args.size() > 2)
        return {Result::Error, 0};
    if (*flag == 0) {
        if (*index < 1 || *index > kStorageSize)
            return {Result::Cms, 321}; // invalid memory index
        m_store[*index - 1].reset();
        return {};
    }
    // <delflag> 1: read; 2: and sent; 3: and unsent; 4: everything.
    for (auto &m : m_store) {
        if (m && (*flag == 4 || m->status == 1 || (*flag >= 2 && m->status == 3)
                  || (*flag >= 3 && m->status == 2)))
            m.reset();
    }
    return {};
}

GsmModule::Result GsmModule::CmdCmgr(const AtCommand &c)
{
    if (c.form == AtForm::Test)
        return {};
    const auto index = ToInt(c.args);
    if (!index)
        return {Result::Error, 0};
    if (*index < 1 || *index > kStorageSize)
        return {Result::Cms, 321};
    std::optional<StoredMessage> &slot = m_store[*index - 1];
    if (!slot)
        return {}; // an empty location reads as nothing
    const int status = qBound(0, slot->status, 3);
    const QByteArray &pdu = slot->pdu;
    if (m_p.cmgf == 0) {
        const int tpduLength = int(pdu.size()) - ServiceCentreOctets(pdu);
        Info("+CMGR: " + QByteArray::number(status) + ",," + QByteArray::number(tpduLength)
             + "\r\n" + ToHex(pdu));
    } else if (status <= 1) {
        const auto deliver = DecodeDeliver(pdu);
        if (!deliver)
            return {Result::Cms, 500};
        Info("+CMGR: \"" + QByteArray(kStatusText[status]) + "\",\""
             + deliver->originator.Text().toLatin1() + "\",,\"" + deliver->timestamp.Text()
             + "\"\r\n"
             + TextModeData(deliver->firstOctet, deliver->dataCoding, deliver->userDataLength,
                            deliver->userData));
    } else {
        const auto submit = DecodeSubmit(pdu, int(pdu.size()) - ServiceCentreOctets(pdu), nullptr);
        if (!submit)
            return {Result::Cms, 500};
        Info("+CMGR: \"" + QByteArray(kStatusText[status]) + "\",\""
             + submit->destination.Text().toLatin1() + "\",\r\n"
             + TextModeData(submit->firstOctet, submit->dataCoding, submit->userDataLength,
                            submit->userData));
    }
    if (slot->status == 0)
        slot->status = 1;
    return {};
}

GsmModule::Result GsmModule::CmdCmgs(const AtCommand &c)
{
    if (c.form == AtForm::Test)
        return {};
    BodyRequest request;
    request.pduMode = m_p.cmgf == 0;
    const QList<QByteArray> args = SplitArgs(c.args);
    if (args.isEmpty())
        return {Result::Error, 0};
    if (request.pduMode) {
        const auto length = ToInt(args[0]);
        if (!length || args.size() > 1)
            return {Result::Error, 0};
        // TS 23.040: an SMS-SUBMIT TPDU has 7 to 164 octets.
        if (*length < 7 || *length > 164)
            return {Result::Cms, 304};
        request.tpduLength = *length;
    } else {
        const QByteArray number = Unquote(args[0]);
        const auto type = args.size() > 1 ? ToInt(args[1]) : std::optional<int>(129);
        if (number.isEmpty() || number.size() > 20 || !type || args.size() > 2)
            return {Result::Error, 0};
        for (char ch : number) {
            if (!QByteArrayView("0123456789+*#").contains(ch))
                return {Result::Cms, 305};
        }
        request.destination = QString::fromLatin1(number);
    }
    m_bodyRequest = request;
    m_stopLine = true;
    return {Result::Prompt, 0};
}

void GsmModule::CompleteBody(const QByteArray &body, bool overflow)
{
    const std::optional<BodyRequest> request = m_bodyRequest;
    m_bodyRequest.reset();
    if (!request)
        return;
    if (body.endsWith(char(0x1B))) { // ESC: the message is dropped, nothing is sent
        Emit("\r\nOK\r\n");
        return;
    }
    const QByteArray content = body.chopped(1);

    SentMessage sent;
    sent.timeMs = m_nowUs / 1000;
    sent.pduMode = request->pduMode;
    if (request->pduMode) {
        const auto octets = FromHex(content);
        QString why = QStringLiteral("not hexadecimal");
        std::optional<SubmitPdu> pdu;
        if (overflow)
            why = QStringLiteral("longer than the input buffer");
        else if (octets)
            pdu = DecodeSubmit(*octets, request->tpduLength, &why);
        if (!pdu) {
            Log(LogEvent::Kind::State, 0, QStringLiteral("PDU refused: %1").arg(why));
            Emit("\r\n+CMS ERROR: 304\r\n");
            return;
        }
        sent.destination = pdu->destination.Text();
        sent.text = UserDataText(pdu->firstOctet, pdu->dataCoding, pdu->userDataLength,
                                 pdu->userData);
        sent.pduHex = content;
    } else {
        if (overflow || content.size() > 160) {
            Emit("\r\n+CMS ERROR: 305\r\n");
            return;
        }
        sent.destination = request->destination;
        sent.text = QString::fromLatin1(content);
    }
    const int stat = ReportedStat();
    if (stat != 1 && stat != 5) {
        Emit("\r\n+CMS ERROR: 331\r\n"); // no network service
        return;
    }
    sent.reference = m_nextReference;
    m_nextReference = (m_nextReference + 1) % 256;
    m_sent.append(sent);
    Log(LogEvent::Kind::State, 0,
        QStringLiteral("message %1 sent to %2: %3").arg(sent.reference).arg(sent.destination,
                                                                             sent.text));
    Emit("\r\n+CMGS: " + QByteArray::number(sent.reference) + "\r\n\r\nOK\r\n");
}

QList<StoredMessage> GsmModule::DefaultMessages()
{
    const PduAddress homeCentre = PduAddress::FromText(QStringLiteral("+8613800210500"));
    auto make = [](int index, int status, DeliverPdu pdu, const QString &text,
                   const QByteArray &header = {}) {
        SetDeliverText(pdu, text, header);
        return StoredMessage{index, status, EncodeDeliver(pdu)};
    };

    QList<StoredMessage> out;

    DeliverPdu chinese;
    chinese.serviceCentre = homeCentre;
    chinese.originator = PduAddress::FromText(QStringLiteral("+8613912345678"));
    chinese.dataCoding = 0x08;
    chinese.timestamp = {24, 5, 20, 9, 15, 30, 32};
    out.append(make(1, 0, chinese, QStringLiteral("你好，这是一条测试短信。Hello 123")));

    DeliverPdu shortNumber;
    shortNumber.serviceCentre = homeCentre;
    shortNumber.originator = PduAddress::FromText(QStringLiteral("10086"), 0xA1);
    shortNumber.dataCoding = 0x08;
    shortNumber.timestamp = {24, 5, 19, 18, 0, 5, 32};
    out.append(make(2, 1, shortNumber, QStringLiteral("尊敬的客户，您的话费余额为50.00元。")));

    DeliverPdu sevenBit;
    sevenBit.serviceCentre = homeCentre;
    sevenBit.originator = PduAddress::FromText(QStringLiteral("+8613987654321"));
    sevenBit.dataCoding = 0x00;
    sevenBit.timestamp = {24, 5, 18, 7, 45, 0, 32};
    out.append(make(3, 1, sevenBit, QStringLiteral("hellohello")));

    // First part of a two-part concatenated message: IEI 00, length 3, reference 0x2A, 2 parts,
    // part 1.
    DeliverPdu withHeader;
    withHeader.serviceCentre = homeCentre;
    withHeader.originator = PduAddress::FromText(QStringLiteral("+8613912345678"));
    withHeader.dataCoding = 0x08;
    withHeader.timestamp = {24, 5, 20, 10, 0, 0, 32};
    out.append(make(4, 0, withHeader, QStringLiteral("第一部分 part 1"),
                    QByteArray::fromHex("00032A0201")));

    // A centre abroad, 7-bit text.
    DeliverPdu abroad;
    abroad.serviceCentre = PduAddress::FromText(QStringLiteral("+27381000015"));
    abroad.originator = PduAddress::FromText(QStringLiteral("27838890001"), 0xC8);
    abroad.dataCoding = 0x00;
    abroad.timestamp = {99, 3, 29, 15, 16, 59, 8};
    out.append(make(5, 1, abroad, QStringLiteral("hellohello")));

    // A centre abroad, UCS-2 text that would otherwise decode.
    DeliverPdu hongKong;
    hongKong.serviceCentre = PduAddress::FromText(QStringLiteral("+85290288000"));
    hongKong.originator = PduAddress::FromText(QStringLiteral("+85261234567"));
    hongKong.dataCoding = 0x08;
    hongKong.timestamp = {24, 5, 17, 20, 30, 0, 32};
    out.append(make(6, 1, hongKong, QStringLiteral("香港 Hi")));

    return out;
}

} // namespace quillon::sim
