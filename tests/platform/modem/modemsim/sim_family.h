#pragma once
// The chipset families the simulated modem can play, each with the quirks that trip up voice
// software: how it numbers its +VSM methods, which +VLS label is the telephone line, RING text
// or <DLE>R, caller-ID layout, DTMF reports, OK or VCON after a stream, buffer-underrun reports,
// full duplex or not, and the older "#" command set.
#include "tests/platform/modem/modemsim/sim_audio.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

namespace qlnrec::modemsim {

struct SimMethod {
    int code = 0;
    QByteArray listing; // the +VSM=? line
    SimFormat format = SimFormat::None;
};

struct SimFamily {
    QString name;
    bool hashCommands = false;                              // voice through #CLS=8 / #VRX / #VTX / #VTS
    bool voiceCapable = true;                               // false: a data modem (no class 8 at all)
    QByteArray classList = "0,1,8";                         // +FCLASS=? answer
    QByteArray hashClassList;                               // #CLS=? answer; empty: ERROR
    std::map<QByteArray, QList<QByteArray>> identification; // "I3", "+FMI?", "+GMM", ...
    std::vector<SimMethod> methods;                         // +VSM=? (V.253 families)
    bool wide = true;                                       // "#" family: #VBS=16 accepted
    QList<QByteArray> lineListing;                          // +VLS=? lines
    int lineLabel = 1;                                      // the label that takes the line off hook
    bool ringDle = true;                                    // <DLE>R in voice mode
    bool ringText = false;                                  // RING text in voice mode (always in data mode)
    // Packet: unformatted (+VCID=2), the whole multiple-data-message packet as one hex line.
    enum class CallerIdStyle { Framed, Spaced, Unspaced, Packet } callerIdStyle = CallerIdStyle::Spaced;
    bool duplicateNumber = false; // an extra "NMBR = O" after the number
    QByteArray callerIdCommand = "+VCID=1";
    enum class DtmfStyle { ShieldedRepeats, Shielded, Single } dtmfStyle = DtmfStyle::Single;
    QByteArray streamEndResult = "OK"; // after a stream ends
    bool etxBeforeTransmitEnd = true;  // <DLE><ETX> precedes the result after a transmit stream
    QByteArray answerResult = "OK";
    QByteArray dialResult = "OK";         // when the far end answers
    bool underrunAtTransmitStart = false; // one <DLE>u when transmitting starts
    bool spuriousDialToneInPlay = false;  // a false <DLE>d while playing
    bool duplex = true;                   // +VTR
    bool compactDoubleDle = false;        // <DLE><SUB> for two data 0x10
    bool hangUpLeavesVoice = false;       // ATH returns to data mode
    bool plainAtiRefused = false;         // ATI answers ERROR
    int toneUnitMs = 10;                  // +VTS / #VTS duration unit

    // How a caller's hang-up shows (SimModem::farEndHangsUp()).
    bool steCommand = false;               // -STE=<bits> / -STE? accepted (Conexant)
    bool loopDropReported = false;         // the loop-current break as <DLE>l
    bool loopDropNeedsSte = false;         // ... only once -STE bit 2 (remote hang-up) is set
    bool silenceDetection = true;          // +VSD works: <DLE>s / <DLE>q while receiving
    bool silenceOnlyS = false;             // every silence report is <DLE>s (Lucent)
    bool exchangeTonesReported = true;     // the exchange's busy / dial tone after the caller left
    bool toneReportsNeedVtd = false;       // "#" family: tone reports (touch tones too) only after #VTD
    bool toneReportsOnlyReceiving = false; // busy and dial tone reported in voice receive only
};

SimFamily conexantFamily(); // CX93001-style USB modem
SimFamily lucentFamily();   // Agere / Lucent "Venus"
SimFamily usrFamily();      // US Robotics 5637-style V.253 modem
SimFamily rockwellFamily(); // Rockwell RCV56 with the "#" command set
QStringList familyNames();
// By name ("conexant", "lucent", "usr", "rockwell"); Conexant for an unknown name.
SimFamily familyByName(const QString& name, bool* known = nullptr);

} // namespace qlnrec::modemsim
