#include "tests/platform/modem/modemsim/sim_family.h"

namespace qlnrec::modemsim {

namespace {

QList<QByteArray> v253LineListing(int lineLabel)
{
    QList<QByteArray> lines;
    const char* events = ",0B8433C1,0FE431C1,0B8431C1";
    lines.append(QByteArray("0,\"\"") + events);
    if (lineLabel == 1) {
        lines.append(QByteArray("1,\"T\"") + events);
        lines.append(QByteArray("2,\"L\"") + events);
    } else {
        // The older numbering: the handset first, the line second.
        lines.append(QByteArray("1,\"L\"") + events);
        lines.append(QByteArray("2,\"T\"") + events);
    }
    lines.append(QByteArray("3,\"LT\"") + events);
    lines.append(QByteArray("4,\"S\"") + events);
    lines.append(QByteArray("5,\"ST\"") + events);
    lines.append(QByteArray("7,\"MST\"") + events);
    return lines;
}

} // namespace

SimFamily conexantFamily()
{
    SimFamily f;
    f.name = QStringLiteral("conexant");
    f.classList = "0,1,1.0,2,8";
    f.identification = {
        {"I", {"56000"}},        {"I0", {"56000"}},      {"I3", {"CX93001-EIS_V0.2002-V92"}},
        {"+FMI?", {"CONEXANT"}}, {"+FMM?", {"CX93001"}}, {"+GMI", {"CONEXANT"}},
    };
    // Host-processed numbering: mu-law 131 and A-law 132, 16-bit linear as 133.
    f.methods = {
        {1, "1,\"UNSIGNED PCM\",8,0,(7200,8000),(0),(0)", SimFormat::Unsigned8},
        {128, "128,\"8-BIT LINEAR\",8,0,(7200,8000),(0),(0)", SimFormat::Unsigned8},
        {129, "129,\"ADPCM\",4,0,(7200,8000),(0),(0)", SimFormat::None},
        {130, "130,\"UNSIGNED PCM\",8,0,(7200,8000),(0),(0)", SimFormat::Unsigned8},
        {131, "131,\"ULAW\",8,0,(8000),(0),(0)", SimFormat::MuLaw},
        {132, "132,\"ALAW\",8,0,(8000),(0),(0)", SimFormat::ALaw},
        {133, "133,\"LINEAR\",16,0,(7200,8000),(0),(0)", SimFormat::Signed16},
    };
    f.lineListing = v253LineListing(1);
    f.lineLabel = 1;
    f.ringDle = true;
    f.callerIdStyle = SimFamily::CallerIdStyle::Framed;
    f.dtmfStyle = SimFamily::DtmfStyle::ShieldedRepeats;
    f.underrunAtTransmitStart = true;
    f.duplex = true;
    // CX93001: the loop-current break only with -STE bit 2; +VSD does nothing and the exchange's
    // busy tone often goes unreported.
    f.steCommand = true;
    f.loopDropReported = true;
    f.loopDropNeedsSte = true;
    f.silenceDetection = false;
    f.exchangeTonesReported = false;
    return f;
}

SimFamily lucentFamily()
{
    SimFamily f;
    f.name = QStringLiteral("lucent");
    f.classList = "0,1,8";
    f.plainAtiRefused = true;
    f.identification = {
        {"I0", {"ZOOM V.92 Dualmode"}},
        {"+GMI", {"Agere Systems"}},
        {"+GMM", {"Venus V.92"}},
    };
    // Lucent numbering: A-law 130, mu-law 131.
    f.methods = {
        {128, "128,\"8-BIT LINEAR\",8,0,(7200,8000,11025),(0),(0)", SimFormat::Unsigned8},
        {129, "129,\"16-BIT LINEAR\",16,0,(7200,8000,11025),(0),(0)", SimFormat::Signed16},
        {130, "130,\"8-BIT ALAW\",8,0,(8000),(0),(0)", SimFormat::ALaw},
        {131, "131,\"8-BIT ULAW\",8,0,(8000),(0),(0)", SimFormat::MuLaw},
        {132, "132,\"IMA ADPCM\",4,0,(7200,8000,11025),(0),(0)", SimFormat::None},
    };
    f.lineListing = v253LineListing(2);
    f.lineLabel = 2;
    f.ringDle = true;
    f.callerIdStyle = SimFamily::CallerIdStyle::Unspaced;
    f.dtmfStyle = SimFamily::DtmfStyle::Single;
    f.duplex = false;
    f.etxBeforeTransmitEnd = false;
    f.compactDoubleDle = true;
    f.silenceOnlyS = true;
    return f;
}

SimFamily usrFamily()
{
    SimFamily f;
    f.name = QStringLiteral("usr");
    f.classList = "0,1,1.0,8";
    f.identification = {
        {"I", {"5601"}},
        {"I0", {"5601"}},
        {"I3", {"U.S. Robotics 56K FAX USB V1.2.23"}},
        {"+FMI?", {"U.S. Robotics"}},
        {"+FMM?", {"56K FAX USB"}},
    };
    // A firmware without 16-bit linear: the 8-bit formats only.
    f.methods = {
        {128, "128,\"8-BIT LINEAR\",8,0,(7200,8000,11025),(0),(0)", SimFormat::Unsigned8},
        {130, "130,\"8-BIT ALAW\",8,0,(8000),(0),(0)", SimFormat::ALaw},
        {131, "131,\"8-BIT ULAW\",8,0,(8000),(0),(0)", SimFormat::MuLaw},
        {132, "132,\"IMA ADPCM\",4,0,(7200,8000,11025),(0),(0)", SimFormat::None},
        {133, "133,\"G.729\",8,0,(8000),(0),(0)", SimFormat::None},
    };
    f.lineListing = v253LineListing(1);
    f.lineLabel = 1;
    f.ringDle = false;
    f.ringText = true;
    f.callerIdStyle = SimFamily::CallerIdStyle::Spaced;
    f.duplicateNumber = true;
    f.dtmfStyle = SimFamily::DtmfStyle::Shielded;
    f.streamEndResult = "VCON";
    f.spuriousDialToneInPlay = true;
    f.duplex = true;
    return f;
}

SimFamily rockwellFamily()
{
    SimFamily f;
    f.name = QStringLiteral("rockwell");
    f.hashCommands = true;
    f.classList = "0,1,2";
    f.hashClassList = "0,1,2,8";
    f.identification = {
        {"I", {"56000"}},
        {"I0", {"56000"}},
        {"I3", {"RCV56DPF-PLL L8571A Rev 50.02/34.00"}},
    };
    f.wide = false;
    f.ringDle = false;
    f.ringText = true;
    f.callerIdStyle = SimFamily::CallerIdStyle::Spaced;
    f.callerIdCommand = "#CID=1";
    f.dtmfStyle = SimFamily::DtmfStyle::Single;
    f.streamEndResult = "VCON";
    f.answerResult = "VCON";
    f.dialResult = "VCON";
    f.duplex = false;
    f.hangUpLeavesVoice = true;
    f.toneUnitMs = 100;
    f.loopDropReported = true;
    f.toneReportsNeedVtd = true;
    f.toneReportsOnlyReceiving = true;
    return f;
}

QStringList familyNames()
{
    return {QStringLiteral("conexant"), QStringLiteral("lucent"), QStringLiteral("usr"),
            QStringLiteral("rockwell")};
}

SimFamily familyByName(const QString& name, bool* known)
{
    const QString n = name.trimmed().toLower();
    if (known) {
        *known = familyNames().contains(n);
    }
    if (n == QLatin1String("lucent")) {
        return lucentFamily();
    }
    if (n == QLatin1String("usr")) {
        return usrFamily();
    }
    if (n == QLatin1String("rockwell")) {
        return rockwellFamily();
    }
    return conexantFamily();
}

} // namespace qlnrec::modemsim
