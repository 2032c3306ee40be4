#include "audio/truespeech_conversion.h"

#include "audio/wave_layouts.h"
#include "platform/core/dialog_service.h"
#include "platform/core/text_helpers.h"

#include <QString>

namespace qlnrec::audio {

namespace {
const QString kBoxTitle = QStringLiteral("Quillon");
}

TrueSpeechConversion::TrueSpeechConversion(platform::AcmService& acm, platform::DialogService& dialogs)
    : acm_(acm), dialogs_(dialogs)
{
}

TrueSpeechConversion::~TrueSpeechConversion()
{
    for (Line& line : lines_) {
        if (line.prepared) {
            acm_.acmStreamUnprepareHeader(line.acmStream, &line.conversionHeader, 0);
        }
        if (line.acmStream) {
            acm_.acmStreamClose(line.acmStream, 0);
        }
        if (line.acmDriver) {
            acm_.acmDriverClose(line.acmDriver, 0);
        }
    }
}

TrueSpeechConversion::Line& TrueSpeechConversion::at(int line)
{
    return lines_.at(static_cast<std::size_t>(line));
}

const TrueSpeechConversion::Line& TrueSpeechConversion::at(int line) const
{
    return lines_.at(static_cast<std::size_t>(line));
}

void TrueSpeechConversion::critical(const QString& text, platform::MMRESULT code)
{
    dialogs_.messageBox(text + platform::hexUpper(code), kBoxTitle, platform::MessageIcon::Critical);
}

void TrueSpeechConversion::FindTrueSpeechDriver()
{
    trueSpeechDriverId_ = nullptr;
    const platform::MMRESULT result = acm_.acmDriverEnum(
        [this](platform::HACMDRIVERID id, std::uintptr_t, std::uint32_t) {
            platform::ACMDRIVERDETAILSW details{};
            details.cbStruct = sizeof details;
            if (acm_.acmDriverDetailsW(id, &details, 0) != platform::MMSYSERR_NOERROR) {
                return true;
            }
            const QString shortName = QString::fromUtf16(details.szShortName).toUpper();
            if (shortName.contains(QStringLiteral("TRUESPEECH"))) {
                trueSpeechDriverId_ = id;
                return false;
            }
            return true;
        },
        0, platform::ACM_DRIVERENUMF_DISABLED);
    if (result != platform::MMSYSERR_NOERROR) {
        critical(QStringLiteral("Acm Driver Enum Error: "), result);
    }
}

void TrueSpeechConversion::OpenConversion(int line)
{
    Line& l = at(line);
    // A stream left from an earlier capture of the line is let go first.
    CloseConversion(line);
    platform::MMRESULT result = acm_.acmDriverOpen(&l.acmDriver, trueSpeechDriverId_, 0);
    if (result != platform::MMSYSERR_NOERROR) {
        l.acmDriver = nullptr;
        critical(QStringLiteral("TrueSpeech Driver Open  Error: "), result);
    }
    const platform::WAVEFORMATEX source = platform::pcm8kMono16();
    const TrueSpeechFormat destination = trueSpeechFormat();
    result = acm_.acmStreamOpen(&l.acmStream, l.acmDriver, &source, &destination.wfx, nullptr, 0, 0,
                                platform::ACM_STREAMOPENF_NONREALTIME);
    if (result != platform::MMSYSERR_NOERROR) {
        l.acmStream = nullptr;
        critical(QStringLiteral("Stream Open Error: "), result);
    }
}

bool TrueSpeechConversion::ConvertBlock(int line, const platform::WAVEHDR& header)
{
    conversionOk_ = false;
    if (header.dwBytesRecorded == 0) {
        return false;
    }
    Line& l = at(line);
    ReleaseConversion(line);
    l.destination.assign(kDestinationBytes, 0);
    l.conversionHeader = platform::ACMSTREAMHEADER{};
    l.conversionHeader.cbStruct = kHeaderRecordSize;
    l.conversionHeader.pbSrc = reinterpret_cast<std::uint8_t*>(header.lpData);
    l.conversionHeader.cbSrcLength = header.dwBytesRecorded;
    l.conversionHeader.pbDst = l.destination.data();
    l.conversionHeader.cbDstLength = kDestinationBytes;
    platform::MMRESULT result = acm_.acmStreamPrepareHeader(l.acmStream, &l.conversionHeader, 0);
    l.prepared = result == platform::MMSYSERR_NOERROR;
    if (l.prepared) {
        result = acm_.acmStreamConvert(l.acmStream, &l.conversionHeader, 0);
    }
    if (result == platform::MMSYSERR_NOERROR) {
        conversionOk_ = true;
        return true;
    }
    ReleaseConversion(line);
    return false;
}

const std::uint8_t* TrueSpeechConversion::convertedData(int line) const
{
    return at(line).destination.data();
}

std::uint32_t TrueSpeechConversion::convertedLength(int line) const
{
    const Line& l = at(line);
    return l.destination.empty() ? 0 : std::min(l.conversionHeader.cbDstLengthUsed, kDestinationBytes);
}

void TrueSpeechConversion::ReleaseConversion(int line)
{
    Line& l = at(line);
    if (l.prepared) {
        acm_.acmStreamUnprepareHeader(l.acmStream, &l.conversionHeader, 0);
        l.prepared = false;
    }
    l.destination.clear();
    l.destination.shrink_to_fit();
    l.conversionHeader.cbDstLengthUsed = 0;
}

void TrueSpeechConversion::CloseConversion(int line)
{
    Line& l = at(line);
    ReleaseConversion(line);
    if (l.acmStream) {
        const platform::MMRESULT result = acm_.acmStreamClose(l.acmStream, 0);
        l.acmStream = nullptr;
        if (result != platform::MMSYSERR_NOERROR) {
            critical(QStringLiteral("Stram Close Error: "), result);
        }
    }
    if (l.acmDriver) {
        const platform::MMRESULT result = acm_.acmDriverClose(l.acmDriver, 0);
        l.acmDriver = nullptr;
        if (result != platform::MMSYSERR_NOERROR) {
            critical(QStringLiteral("Driver Close Error: "), result);
        }
    }
}

bool TrueSpeechConversion::isOpen(int line) const
{
    return at(line).acmStream != nullptr;
}

} // namespace qlnrec::audio
