#pragma once
// The file name of a recording and of the per-line temporary file. Caller numbers and names come
// from outside (caller ID, the phone book), so the name is cleaned before it reaches the disk.
#include <QDateTime>
#include <QString>

namespace qlnrec::audio {

// Names the greeting recorder and the legal-notice recorder capture under; the block pipeline
// treats them specially.
inline const QString kGreetingName = QStringLiteral("Greeting.wav");
inline const QString kLegalName = QStringLiteral("legal.wav");

// Longest file name (in UTF-8 bytes) a recording gets; file systems refuse more than 255.
inline constexpr int kMaxRecordingNameBytes = 250;

// kind + "~L" + line with a leading blank + "yyyy-mm-dd~hh-mm-ss" + number part + name part +
// ".wav", e.g. "A~L 02026-12-07~14-05-09~5551234.wav". Not yet cleaned.
QString buildRecordingName(const QString& callKind, int line, const QDateTime& when,
                           const QString& callerNumberPart, const QString& callerNamePart);

// Every \ / * ? < > | and double quote, and every control character, becomes "@"; anything else
// is kept, so names of ordinary callers are unchanged. A name longer than kMaxRecordingNameBytes
// is shortened in front of its ".wav" (never inside a character).
QString cleanRecordingName(const QString& name);

// The per-line temporary file's name: "qlnt" + the line index in plain digits.
QString tempFileName(int line);

} // namespace qlnrec::audio
