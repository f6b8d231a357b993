// The song's text notation: chord names and melodies written as note:length words.
#include "notation.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace music {

static int pitchClassOf(char letter) {
    switch (letter) {
    case 'C':
        return 0;
    case 'D':
        return 2;
    case 'E':
        return 4;
    case 'F':
        return 5;
    case 'G':
        return 7;
    case 'A':
        return 9;
    case 'B':
        return 11;
    default:
        throw std::invalid_argument(std::string("music: bad note letter '") + letter + "'");
    }
}

static std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t begin = text.find_first_not_of(' ', pos);
        if (begin == std::string_view::npos) break;
        size_t end = std::min(text.find(' ', begin), text.size());
        out.push_back(text.substr(begin, end - begin));
        pos = end;
    }
    return out;
}

// Reads the accidental after a note letter and returns how many characters it took.
static size_t accidental(std::string_view word, size_t at, int& pitchClass) {
    if (at < word.size() && word[at] == '#') return ++pitchClass, 1;
    if (at < word.size() && word[at] == 'b') return --pitchClass, 1;
    return 0;
}

std::vector<Chord> parseChords(std::string_view text) {
    std::vector<Chord> chords;
    for (std::string_view word : words(text)) {
        int pc = pitchClassOf(word[0]);
        size_t at = 1 + accidental(word, 1, pc);
        bool minor = at < word.size() && word[at] == 'm';
        if (at + (minor ? 1 : 0) != word.size())
            throw std::invalid_argument("music: bad chord '" + std::string(word) + "'");
        chords.push_back({(pc + 12) % 12, minor});
    }
    return chords;
}

std::vector<Note> parseMelody(std::string_view text, double start, int transpose) {
    std::vector<Note> notes;
    double time = start;
    for (std::string_view word : words(text)) {
        if (word == "|") continue;
        size_t colon = word.find(':');
        if (colon == std::string_view::npos || colon + 1 == word.size())
            throw std::invalid_argument("music: note without length '" + std::string(word) + "'");
        int eighths = 0;
        for (char c : word.substr(colon + 1)) {
            if (c < '0' || c > '9')
                throw std::invalid_argument("music: bad length in '" + std::string(word) + "'");
            eighths = eighths * 10 + (c - '0');
        }
        double length = eighths * kBeatSeconds / 2.0;
        std::string_view name = word.substr(0, colon);
        if (name != "-") {
            int pc = pitchClassOf(name[0]);
            size_t at = 1 + accidental(name, 1, pc);
            if (at + 1 != name.size() || name[at] < '0' || name[at] > '9')
                throw std::invalid_argument("music: bad note '" + std::string(word) + "'");
            int octave = name[at] - '0';
            notes.push_back({time, length, static_cast<float>(12 * (octave + 1) + pc + transpose)});
        }
        time += length;
    }
    return notes;
}

} // namespace music
