#include "report/emg_exercise_type.hpp"

#include <string>

namespace {

// The name in lower case: ASCII letters, and the German capitals Ä, Ö, Ü
// (UTF-8 C3 84, C3 96, C3 9C) as their small letters.
std::string lowered(std::string_view name)
{
    std::string out(name);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z')
            out[i] = static_cast<char>(c - 'A' + 'a');
        else if (c == 0xC3 && i + 1 < out.size()) {
            const unsigned char next = static_cast<unsigned char>(out[i + 1]);
            if (next == 0x84 || next == 0x96 || next == 0x9C)
                out[i + 1] = static_cast<char>(next + 0x20);
            ++i;
        }
    }
    return out;
}

bool holds(const std::string& text, std::initializer_list<const char*> words)
{
    for (const char* word : words)
        if (text.find(word) != std::string::npos)
            return true;
    return false;
}

}  // namespace

const char* emg_exercise_type_name(EmgExerciseType type)
{
    switch (type) {
    case EmgExerciseType::opening:
        return "opening";
    case EmgExerciseType::protrusion:
        return "protrusion";
    case EmgExerciseType::laterotrusion_right:
        return "laterotrusion_right";
    case EmgExerciseType::laterotrusion_left:
        return "laterotrusion_left";
    case EmgExerciseType::chewing:
        return "chewing";
    case EmgExerciseType::other:
        break;
    }
    return "other";
}

std::optional<EmgExerciseType> emg_exercise_type_from_name(std::string_view name)
{
    const std::string text = lowered(name);
    // Chewing first: "Kauen mit Öffnung" is chewing.
    if (holds(text, {"chew", "kau", "mastica"}))
        return EmgExerciseType::chewing;
    if (holds(text, {"latero", "lateral"})) {
        const bool right = holds(text, {"right", "rechts"});
        const bool left = holds(text, {"left", "links"});
        if (right != left)
            return right ? EmgExerciseType::laterotrusion_right : EmgExerciseType::laterotrusion_left;
        return std::nullopt;
    }
    if (holds(text, {"protru"}))
        return EmgExerciseType::protrusion;
    if (holds(text, {"open", "\xc3\xb6" "ffn", "oeffn"}))
        return EmgExerciseType::opening;
    return std::nullopt;
}
