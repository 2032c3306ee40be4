#pragma once
// The prompts a fresh install answers with: spoken at build time in the three languages and
// carried in the program. At start-up each prompt file the program folder lacks is written in
// the program's language. A file the user made is never replaced; a file that is still exactly a
// shipped prompt of another language is the program's own and follows the language.
#include <QString>
#include <QStringList>

namespace qlnrec::audio {

// The prompt files, in the program folder: the three line prompts (PCM 8 kHz 16-bit mono) and
// the four menu prompts (PCM 11,025 Hz 16-bit mono).
QStringList promptFileNames();

// The resource holding the shipped prompt `name` for a language offset (0, 1000, 2000; others
// give English).
QString shippedPromptResource(int languageOffset, const QString& name);

struct DefaultPromptsResult {
    QStringList written; // file names written
    QStringList failed;  // "name: reason" for each file that could not be written
};

DefaultPromptsResult installDefaultPrompts(const QString& programFolder, int languageOffset);

} // namespace qlnrec::audio
